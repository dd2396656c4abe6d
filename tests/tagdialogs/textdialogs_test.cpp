// The hyperlink, comment and page body dialogs as a user works them, for a new element and for
// an edited tag.
#include <QApplication>
#include <QPlainTextEdit>

#include "mainwindow/mainsettings.h"
#include "platform/files/settingsstore.h"
#include "tagdialogs/tagdialog.h"
#include "tagdialogs/text/frmBody.h"
#include "tagdialogs/text/frmComment.h"
#include "tagdialogs/text/frmHrefAnchor.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

class TextDialogTest : public TagDialogTest {
protected:
    template <class Dialog>
    void insertWith(const QString& className, std::function<void(Dialog&)> drive) {
        expectDialogWindow<Dialog>(className, drive);
        showModalDialog<Dialog>();
        EXPECT_EQ(Form::forms().size(), baseForms) << "the dialog must be gone";
    }

    static QString url(int n) { return getSetting(settingsApp, "URLs", "URL_" + QString::number(n)); }
    static void setUrl(int n, const QString& value) { saveSetting(settingsApp, "URLs", "URL_" + QString::number(n), value); }
};

TEST_F(TextDialogTest, LinkWrapsTheSelectionOrCarriesTypedText) {
    setDocument("say |word| now");
    insertWith<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) {
        EXPECT_EQ(d.caption(), "Hypertext Anchor");
        EXPECT_TRUE(d.txtAnchor->isVisible());
        EXPECT_EQ(d.txtAnchor->toPlainText(), "word");
        EXPECT_EQ(d.cboTarget->count(), 4);
        type(d.cboHref, "  page.htm ");
        type(d.txtName, "n1");
        type(d.cboTarget, "_blank");
        type(d.txtTabindex, "2");
        type(d.txtAccesskey, "k");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(),
              "say <a href=\"page.htm\" name=\"n1\" target=\"_blank\" tabindex=\"2\" accesskey=\"k\">word</a> now");

    // Changed anchored text: a new link before the selection, which stays; the typed text keeps
    // its case even with capital tags.
    uppercaseTags = true;
    setDocument("say |word| now");
    insertWith<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) {
        EXPECT_EQ(d.cboHref->count(), 1);
        EXPECT_EQ(d.cboHref->itemText(0), "page.htm");
        type(d.cboHref, "b.htm");
        d.txtAnchor->setPlainText("Other");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "say <A HREF=\"b.htm\">Other</A>word now");

    // A selection over two lines, left as it is, is wrapped, not written a second time.
    uppercaseTags = false;
    setDocument("|one\r\ntwo|\r\nend");
    insertWith<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) {
        type(d.cboHref, "c.htm");
        QTest::keyClick(d.cboHref->lineEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(text(), "<a href=\"c.htm\">one\r\ntwo</a>\r\nend");

    // Nothing selected and nothing typed: an empty link at the caret.
    setDocument("x|y");
    insertWith<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) { d.cmdOk->click(); });
    EXPECT_EQ(text(), "x<a></a>y");
}

TEST_F(TextDialogTest, LinkHistoryKeepsFifteenAddressesMostRecentFirst) {
    for (int n = 1; n <= 5; ++n) setUrl(n, "u" + QString::number(n));
    setUrl(7, "  u7 ");  // a gap closes up
    setDocument("|");
    insertWith<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) {
        EXPECT_EQ(d.urlHistory.entries, (QStringList{"u1", "u2", "u3", "u4", "u5", "u7"}));
        type(d.cboHref, "u5");
        d.cmdOk->click();
    });
    EXPECT_EQ(url(1), "u5");
    EXPECT_EQ(url(2), "u1");
    EXPECT_EQ(url(5), "u4");
    EXPECT_EQ(url(6), "u7");
    EXPECT_EQ(url(7), "");

    // The head used again: unchanged. Cancel saves without changing.
    UrlHistory history;
    history.load();
    history.use("u5");
    EXPECT_EQ(history.entries.first(), "u5");
    EXPECT_EQ(history.entries.size(), 6);
    // An empty address is not remembered and writes no href.
    history.use("");
    EXPECT_EQ(history.entries.size(), 6);
    setDocument("|");
    insertWith<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) { d.cmdOk->click(); });
    EXPECT_EQ(text(), "<a></a>");
    EXPECT_EQ(url(1), "u5");

    // Full: the oldest drops out.
    for (int n = 1; n <= 15; ++n) setUrl(n, "f" + QString::number(n));
    setDocument("|");
    insertWith<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) {
        type(d.cboHref, "new");
        d.cmdCancel->click();
    });
    EXPECT_EQ(url(1), "f1");
    insertWith<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) {
        type(d.cboHref, "new");
        d.cmdOk->click();
    });
    EXPECT_EQ(url(1), "new");
    EXPECT_EQ(url(2), "f1");
    EXPECT_EQ(url(15), "f14");
}

TEST_F(TextDialogTest, EditedLinkKeepsUnknownAttributesAndHidesTheAnchoredText) {
    setDocument("<A HREF=\"x.htm\" onClick=\"go()\" name=\"\" target=_top data-x|>t</A>");
    ASSERT_TRUE(editTagOffered());
    expectDialogWindow<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) {
        EXPECT_EQ(d.cboHref->currentText(), "x.htm");
        EXPECT_EQ(d.cboTarget->currentText(), "_top");
        EXPECT_FALSE(d.txtAnchor->isVisible());
        EXPECT_FALSE(d.lblAnchor->isVisible());
        type(d.txtTabindex, "3");
        d.cmdOk->click();
    });
    mainWindow->mnuPopupEditTag_Click();
    EXPECT_EQ(text().toStdString(), "<a href=\"x.htm\" target=\"_top\" tabindex=\"3\" onClick=\"go()\" data-x>t</A>");
    EXPECT_EQ(url(1), "x.htm");
}

TEST_F(TextDialogTest, InsertHyperlinkMenuOpensTheDialog) {
    setDocument("|");
    expectDialogWindow<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) { d.cmdCancel->click(); });
    mainWindow->mnuInsertHyperlink->trigger();
    EXPECT_EQ(text(), "");
    EXPECT_EQ(Form::forms().size(), baseForms);

    // In design view there is no source selection to show: the anchored text is hidden.
    setDocument("|w|");
    doc->mode = 2;
    expectDialogWindow<frmHrefAnchor>("frmHrefAnchor", [](frmHrefAnchor& d) {
        EXPECT_FALSE(d.txtAnchor->isVisible());
        EXPECT_EQ(d.txtAnchor->toPlainText(), "");
        d.cmdCancel->click();
    });
    showModalDialog<frmHrefAnchor>();
    doc->mode = 0;
    EXPECT_EQ(text(), "w");
}

TEST(CommentBuild, BoxBannerAndWrap) {
    const QString crlf = "\r\n";
    CommentParts box = buildComment(2, "hello", 30, false);
    EXPECT_EQ(box.start + box.text + box.end,
              "<!--" + QString(26, '=') + crlf + QString(12, ' ') + "hello" + crlf + QString(27, '=') + "-->");
    // No blank: cut at exactly the width; with blanks, after the last blank that fits.
    CommentParts cut = buildComment(2, QString(60, 'x') + "yz", 25, false);
    EXPECT_EQ(cut.text, crlf + QString(25, 'x') + crlf + QString(25, 'x') + crlf + QString(10, 'x') + "yz");
    CommentParts words = buildComment(2, "aaaa bbbb cccc dddd eeee ffff gggg", 25, true);
    EXPECT_EQ(words.text, crlf + "AAAA BBBB CCCC DDDD EEEE " + crlf + "FFFF GGGG");
    EXPECT_EQ(words.start, "<!--" + QString(21, '='));
    CommentParts banner = buildComment(3, "ab", 30, true);
    EXPECT_EQ(banner.start + banner.text + banner.end, "<!--" + QString(14, '=') + "AB" + QString(14, '=') + "-->");
    // A text wider than the banner: no "=" at all rather than a failure.
    CommentParts wide = buildComment(3, QString(40, 'w'), 25, false);
    EXPECT_EQ(wide.start + wide.end, "<!---->");
    CommentParts plain = buildComment(1, "", 70, false);
    EXPECT_EQ(plain.start + plain.text + plain.end, "<!---->");
}

TEST_F(TextDialogTest, CommentStylesAndWidth) {
    setDocument("a|Sel|b");
    insertWith<frmComment>("frmComment", [](frmComment& d) {
        EXPECT_EQ(d.caption(), "Comment");
        EXPECT_EQ(d.txtWidth->text(), "70");
        EXPECT_TRUE(d.optStyle[0]->isVisible());
        EXPECT_FALSE(d.optStyle[1]->isVisible());
        // The sample stands beside its option button, where the Advanced page's first box is.
        const int radioEnd = d.optStyle[0]->mapTo(&d, QPoint(0, 0)).x() + d.optStyle[0]->sizeHint().width();
        EXPECT_LT(d.fraMain[0]->mapTo(&d, QPoint(0, 0)).x() - radioEnd, 20);
        d.tbsMain->setCurrentIndex(1);  // looking is not choosing
        EXPECT_TRUE(d.chkUCase->isVisible());
        d.chkUCase->setChecked(true);
        d.cmdOk->click();
    });
    EXPECT_EQ(text().toStdString(), "a<!--SEL-->b");
    EXPECT_EQ(getSetting(settingsApp, "Settings", "CommentLength"), " 70");

    // A width typed digit by digit is kept; below 25 it is stored but the box is 25 wide.
    setDocument("|hello|");
    insertWith<frmComment>("frmComment", [](frmComment& d) {
        d.tbsMain->setCurrentIndex(1);
        QTest::mouseClick(d.txtStyleA, Qt::LeftButton);
        EXPECT_TRUE(d.optStyle[1]->isChecked());
        EXPECT_EQ(d.txtStyleA->text(), "hello");
        clear(d.txtWidth);
        type(d.txtWidth, "15");
        EXPECT_EQ(d.txtWidth->text(), "15");
        d.tbsMain->setCurrentIndex(0);  // the style chosen stays
        d.cmdOk->click();
    });
    EXPECT_EQ(text().toStdString(),
              ("<!--" + QString(21, '=') + "\r\n" + QString(10, ' ') + "hello\r\n" + QString(22, '=') + "-->")
                  .toStdString());
    EXPECT_EQ(getSetting(settingsApp, "Settings", "CommentLength"), " 15");

    // Out of range when the field is left, and the arrows step by 5 within 10 to 200.
    setDocument("|");
    insertWith<frmComment>("frmComment", [](frmComment& d) {
        EXPECT_EQ(d.txtWidth->text(), "15");
        d.tbsMain->setCurrentIndex(1);
        clear(d.txtWidth);
        type(d.txtWidth, "250");
        d.checkWidth();
        EXPECT_EQ(d.txtWidth->text(), "200");
        d.updWidth->upButton->click();
        EXPECT_EQ(d.txtWidth->text(), "200");
        clear(d.txtWidth);
        d.checkWidth();
        EXPECT_EQ(d.txtWidth->text(), "15");
        d.updWidth->downButton->click();
        EXPECT_EQ(d.txtWidth->text(), "10");
        d.optStyle[2]->click();
        type(d.txtStyleB, "hi");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<!--" + QString(11, '=') + "hi" + QString(11, '=') + "-->");
}

TEST_F(TextDialogTest, NewBodyWrapsTheSelectionUnlessThePageHasOne) {
    setDocument("|hello|");
    insertWith<frmBody>("frmBody", [this](frmBody& d) {
        QApplication::setActiveWindow(&d);
        EXPECT_EQ(d.caption(), "Body");
        EXPECT_FALSE(d.cmdColor->isEnabled());
        EXPECT_EQ(d.swatchColor("link"), 0x800000);
        // Clicking a sample aims the button at its colour; the background image box disables it.
        QTest::mouseClick(d.lblLink, Qt::LeftButton);
        EXPECT_EQ(d.colorTarget, "link");
        EXPECT_EQ(d.cmdColor->text(), "Select Link Color");
        EXPECT_TRUE(d.cmdColor->isEnabled());
        EXPECT_TRUE(d.txtLink->hasFocus());
        d.txtBackground->setFocus();
        EXPECT_FALSE(d.cmdColor->isEnabled());
        d.txtBGcolor->setFocus();
        EXPECT_EQ(d.cmdColor->text(), "Select Backgound Color");
        // The picker's first box is black: pick it for the background.
        expectDialogWindow<frmColor>("frmColor", [](frmColor& picker) {
            const PaletteEntry box = webSafePalette()[0];
            QTest::mouseClick(&picker, Qt::LeftButton, {}, QPoint(picker.paletteLeft() + box.x / 15 + 5, box.y / 15 + 5));
            picker.cmdOk->click();
        });
        d.cmdColor->click();
        EXPECT_EQ(d.txtBGcolor->text(), "000000");
        EXPECT_EQ(d.swatchColor("bgcolor"), 0);
        type(d.txtBackground, "bg.gif");
        type(d.txtAlink, "red");
        type(d.txtText, "#000");
        d.updTopMargin->upButton->click();
        d.chkFixedBackground->setChecked(true);
        d.cmdOk->click();
    });
    EXPECT_EQ(text().toStdString(),
              "<body background=\"bg.gif\" bgcolor=\"000000\" text=\"#000\" alink=\"red\" topmargin=\"1\" "
              "bgproperties=\"fixed\">hello\r\n\r\n</body>");

    setDocument("<BODY>|x|");
    insertWith<frmBody>("frmBody", [](frmBody& d) {
        type(d.txtLink, "blue");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<BODY><body link=\"blue\">");
}

TEST_F(TextDialogTest, EditedBodyShowsItsColoursAndKeepsWhatItHasNoFieldFor) {
    setDocument("<BODY ALINK=\"#FF0000\" text=\"#000000\" onload=\"go()\" bgproperties=FIXED|>");
    ASSERT_TRUE(editTagOffered());
    expectDialogWindow<frmBody>("frmBody", [](frmBody& d) {
        EXPECT_EQ(d.txtAlink->text(), "#FF0000");
        EXPECT_EQ(d.swatchColor("alink"), 0x0000FF);
        EXPECT_EQ(d.txtText->text(), "#000000");
        EXPECT_EQ(d.swatchColor("text"), 0);
        EXPECT_TRUE(d.chkFixedBackground->isChecked());  // the value in capitals means the same
        d.cmdOk->click();
    });
    mainWindow->mnuPopupEditTag_Click();
    EXPECT_EQ(text().toStdString(),
              "<body text=\"#000000\" alink=\"#FF0000\" bgproperties=\"fixed\" onload=\"go()\">");

    // An unknown bgproperties value stays as written; kept attributes never reach the next opening.
    setDocument("<body bgproperties=scroll onload=x|>");
    ASSERT_TRUE(editTagOffered());
    expectDialogWindow<frmBody>("frmBody", [](frmBody& d) {
        EXPECT_FALSE(d.chkFixedBackground->isChecked());
        d.cmdOk->click();
    });
    mainWindow->mnuPopupEditTag_Click();
    EXPECT_EQ(text().toStdString(), "<body bgproperties=\"scroll\" onload=\"x\">");
    editingTag = false;
    setDocument("<p>|</p>");
    insertWith<frmBody>("frmBody", [](frmBody& d) { d.cmdOk->click(); });
    EXPECT_EQ(text().toStdString(), "<p><body>\r\n\r\n</body></p>");
}

}  // namespace
}  // namespace kavrin::test
