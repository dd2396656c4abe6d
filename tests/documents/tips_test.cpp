#include <QFile>
#include <QListWidget>
#include <QTest>

#include "documents/tiphooks.h"
#include "documents/tips.h"
#include "editing.h"

namespace kavrin::test {
namespace {

QStringList texts(const QVector<TipEntry>& entries) {
    QStringList out;
    for (const TipEntry& e : entries) out << e.text;
    return out;
}

class TipDataTest : public KavrinTest {
protected:
    void writeDataFile(const QByteArray& bytes) {
        QFile f(programDir + "html.dat");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
};

TEST_F(TipDataTest, PrefixLookupOnTheShippedFileFindsTheExactTagFirst) {
    const QStringList& lines = tagDataLines();
    ASSERT_GT(lines.size(), 50);
    EXPECT_TRUE(findTagLine(lines, "<B").startsWith("<B "));
    EXPECT_TRUE(findTagLine(lines, "<BASE").startsWith("<BASE "));
    EXPECT_TRUE(findTagLine(lines, "<A").startsWith("<A "));
    EXPECT_TRUE(findTagLine(lines, "<P").startsWith("<P "));
    EXPECT_TRUE(findTagLine(lines, "<ZORK").isEmpty());
    // Lines end without their CR.
    for (const QString& line : lines) EXPECT_FALSE(line.contains(u'\r'));

    const QVector<TipEntry> img = attributeEntries(findTagLine(lines, "<IMG"));
    ASSERT_FALSE(img.isEmpty());
    EXPECT_EQ(img[0], (TipEntry{"align=", "attribute"}));
    EXPECT_TRUE(img.contains(TipEntry{"ismap", "flag"}));
    EXPECT_TRUE(img.contains(TipEntry{"onClick=", "event"}));
    EXPECT_EQ(texts(valueEntries(findTagLine(lines, "<IMG"), "ALIGN=")).first(), "top");
    EXPECT_EQ(texts(valueEntries(findTagLine(lines, "<IMG"), "BORDER=")).size(), 11);
}

TEST_F(TipDataTest, TokenKindsAndValueLists) {
    const QString line = "<X onClick= HREF=url NOWRAP ALIGN=left,,right  WIDTH=n% VALIGN=top,bottom >";
    EXPECT_EQ(attributeEntries(line),
              (QVector<TipEntry>{{"onClick=", "event"}, {"href=", "attribute"}, {"nowrap", "flag"},
                                 {"align=", "attribute"}, {"width=", "attribute"}, {"valign=", "attribute"}}));
    // An empty piece of a list stays an entry; "ALIGN=" is not "VALIGN=".
    EXPECT_EQ(texts(valueEntries(line, "ALIGN=")), (QStringList{"left", "", "right"}));
    EXPECT_EQ(texts(valueEntries(line, "WIDTH=")),
              (QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_TRUE(valueEntries(line, "HREF=").isEmpty());
    EXPECT_TRUE(valueEntries(line, "ONCLICK=").isEmpty());
    // Without a blank a line has no items, and the first and last tokens never are items.
    EXPECT_TRUE(attributeEntries("<BR>").isEmpty());
    EXPECT_TRUE(attributeEntries("<BR >").isEmpty());
}

TEST_F(TipDataTest, MissingBinaryAndChangedDataFilesAreSafe) {
    const QString path = programDir + "html.dat";
    QFile::remove(path);
    EXPECT_TRUE(tagDataLines().isEmpty());
    EXPECT_TRUE(findTagLine(tagDataLines(), "<B").isEmpty());

    QByteArray junk;
    for (int i = 0; i < 5000; ++i) junk += char(i * 37);
    writeDataFile(junk);
    ASSERT_TRUE(QFile::exists(path));
    const QStringList& lines = tagDataLines();
    for (const QString& l : lines) attributeEntries(l), valueEntries(l, "A=");

    // A changed file is read again.
    writeDataFile("<Q CITE=url LANG=en,fr ></Q>\r\n");
    EXPECT_EQ(texts(valueEntries(findTagLine(tagDataLines(), "<Q"), "LANG=")), (QStringList{"en", "fr"}));
}

TEST_F(TipDataTest, CommentsClosedLaterSuppressTipsButAnOpenOneAtTheEndDoesNot) {
    EXPECT_TRUE(insideClosedComment(u"<!-- <b  --> x", 7));
    EXPECT_FALSE(insideClosedComment(u"<!-- <b ", 7));
    EXPECT_FALSE(insideClosedComment(u"<!-- x --> <b ", 13));
    EXPECT_FALSE(insideClosedComment(u"<b ", 2));
}

TEST(TipPlacement, SizesAndFitsInsideTheWindow) {
    TipPlacementInput in{2, 10, QPoint(100, 50), 600, 800, 800};
    // Two entries: 40 pixels high, under the caret line.
    EXPECT_EQ(tipListGeometry(in), QRect(87, 71, 150, 40));
    in.entries = 9;
    EXPECT_EQ(tipListGeometry(in).height(), 123);
    in.fontSize = 14;
    EXPECT_EQ(tipListGeometry(in).top(), 75);

    // Near the bottom: above the caret line.
    in = {9, 10, QPoint(100, 560), 600, 800, 800};
    EXPECT_EQ(tipListGeometry(in), QRect(87, 566 - 123 - 4, 150, 123));
    // A short window with the caret low: from the top down to the caret line.
    in = {9, 10, QPoint(100, 80), 120, 800, 800};
    EXPECT_EQ(tipListGeometry(in), QRect(87, 0, 150, 81));
    // A short window with the caret high: shortened to reach the bottom.
    in = {9, 10, QPoint(100, 10), 120, 800, 800};
    EXPECT_EQ(tipListGeometry(in), QRect(87, 31, 150, 89));

    // Near the right edge the list moves left; in a narrow window it fills the width.
    in = {2, 10, QPoint(780, 50), 600, 800, 790};
    EXPECT_EQ(tipListGeometry(in).left(), 800 - 150 - 10);
    in = {2, 10, QPoint(100, 50), 600, 120, 116};
    EXPECT_EQ(tipListGeometry(in), QRect(2, 71, 112, 40));
    // Far right on a wide screen still places it (no 16-bit overflow).
    in = {2, 10, QPoint(5000, 50), 600, 6000, 6000};
    EXPECT_EQ(tipListGeometry(in).left(), 4987);
}

class TipsTest : public EditingTest {
protected:
    QStringList shown() const {
        QStringList out;
        for (int i = 0; i < doc->lstTip->count(); ++i) out << doc->lstTip->item(i)->text();
        return out;
    }
    QString current() const {
        return doc->lstTip->currentItem() ? doc->lstTip->currentItem()->text() : QString();
    }
    bool listShown() const { return !doc->lstTip->isHidden(); }
};

TEST_F(TipsTest, BlankInAStartTagShowsItsAttributesAndAcceptingChainsToTheValues) {
    type("<img");
    EXPECT_FALSE(listShown());
    type(" ");
    ASSERT_TRUE(listShown());
    EXPECT_EQ(shown(), texts(attributeEntries(findTagLine(tagDataLines(), "<IMG"))));
    EXPECT_EQ(doc->lstTip->item(0)->data(Qt::UserRole).toString(), "attribute");
    EXPECT_EQ(current(), "align=");
    // The list sits inside the window and the editor keeps the focus.
    EXPECT_TRUE(doc->rect().contains(doc->lstTip->geometry()));

    type("bo");
    EXPECT_EQ(doc->lstTipStr, "bo");
    EXPECT_EQ(current(), "border=");
    key(Qt::Key_Return);
    EXPECT_EQ(editor->text(), "<img border=\"\"");
    EXPECT_EQ(editor->selStart(), 13);
    // The value list of the chosen attribute follows at once.
    ASSERT_TRUE(listShown());
    EXPECT_TRUE(doc->attValueHelp);
    EXPECT_EQ(shown().size(), 11);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Tab);
    EXPECT_EQ(editor->text(), "<img border=\"2\"");
    EXPECT_FALSE(listShown());

    // Each acceptance is one undo step.
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<img border=\"\"");
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<img bo");
}

TEST_F(TipsTest, FlagsGoInBareAndOtherKeysCloseTheList) {
    type("<img ");
    type("is");
    EXPECT_EQ(current(), "ismap");
    key(Qt::Key_Tab);
    EXPECT_EQ(editor->text(), "<img ismap");
    EXPECT_FALSE(listShown());

    type(" ");
    ASSERT_TRUE(listShown());
    type("1");
    EXPECT_FALSE(listShown());
    EXPECT_EQ(editor->text(), "<img ismap 1");
}

TEST_F(TipsTest, ValuesAreQuotedWithoutDoublingAQuote) {
    type("<p align=");
    ASSERT_TRUE(listShown());
    EXPECT_EQ(shown(), (QStringList{"left", "center", "right", "justify"}));
    key(Qt::Key_Down);
    acceptTip(doc);
    EXPECT_EQ(editor->text(), "<p align=\"center\"");

    // After a quote the user typed, only the closing one; a quote already there is kept single.
    setColoured("<p align=\"");
    editor->setSelStart(10);
    showValueTips(doc, "p", "align", true);
    acceptTip(doc);
    EXPECT_EQ(editor->text(), "<p align=\"left\"");
    setColoured("<p align=\"\">");
    editor->setSelStart(10);
    showValueTips(doc, "p", "align", true);
    acceptTip(doc);
    EXPECT_EQ(editor->text(), "<p align=\"left\">");
}

TEST_F(TipsTest, FaceListsTheInstalledFontsEvenWithoutTheDataFile) {
    QFile::remove(programDir + "html.dat");
    fontNames = {"Arial", "Courier New", "Verdana"};
    fontCount = 3;
    type("<font face=");
    ASSERT_TRUE(listShown());
    EXPECT_EQ(shown(), fontNames);
    // Other tags offer nothing without the file, and nothing breaks.
    setColoured("");
    type("<img ");
    EXPECT_FALSE(listShown());
    type("align=");
    EXPECT_FALSE(listShown());
    EXPECT_EQ(editor->text(), "<img align=");
}

TEST_F(TipsTest, NoTipsInsideACommentThatIsClosedLater) {
    setColoured("<!--  -->");
    editor->setSelStart(5);
    type("<b ");
    EXPECT_FALSE(listShown());
    setColoured("<!-- ");
    editor->setSelStart(5);
    type("<b ");
    EXPECT_TRUE(listShown());
}

TEST_F(TipsTest, DelayedListShowsOnlyInTheSourceViewWhenTheUserPaused) {
    tagTipDelay = 1000;
    type("<b ");
    EXPECT_FALSE(listShown());
    EXPECT_TRUE(doc->tmrTipPause->isActive());
    EXPECT_EQ(doc->tmrTipPause->interval(), 1000);
    tmrTipPause_Timer(doc);
    EXPECT_TRUE(listShown());
    EXPECT_FALSE(doc->tmrTipPause->isActive());

    doc->lstTip->hide();
    type(" c");  // typed on during the pause
    tmrTipPause_Timer(doc);
    EXPECT_FALSE(listShown());

    type(" ");
    doc->mode = 1;
    tmrTipPause_Timer(doc);
    EXPECT_FALSE(listShown());
    doc->mode = 0;

    // Tips switched off: nothing is prepared.
    tagTipDelay = -1;
    doc->lstTip->clear();
    type(" ");
    EXPECT_EQ(doc->lstTip->count(), 0);
    EXPECT_FALSE(doc->tmrTipPause->isActive());
}

TEST_F(TipsTest, KeysTypedIntoTheListReachTheSourceAndFocusLossHidesIt) {
    type("<b ");
    ASSERT_TRUE(listShown());
    doc->lstTip->setFocus();
    QTest::keyClicks(doc->lstTip, "cl");
    EXPECT_EQ(editor->text(), "<b cl");
    EXPECT_EQ(current(), "class=");
    doc->lstTip->setFocus();
    QTest::keyClick(doc->lstTip, Qt::Key_Return);
    EXPECT_EQ(editor->text(), "<b class=\"\"");

    // The focus check hides the list only when neither the editor nor the list has the focus.
    doc->lstTip->show();
    doc->tipListHasFocus = true;
    tmrCheck4Focus_Timer(doc);
    EXPECT_TRUE(listShown());
    doc->tipListHasFocus = false;
    if (!doc->editorHasFocus()) {
        tmrCheck4Focus_Timer(doc);
        EXPECT_FALSE(listShown());
    }
}

TEST_F(TipsTest, AListWhoseFirstEntryIsBracketedInsertsNothing) {
    type("<b");
    doc->lstTip->clear();
    doc->lstTip->addItem("[none]");
    doc->lstTip->setCurrentRow(0);
    showTipList(doc);
    acceptTip(doc);
    EXPECT_EQ(editor->text(), "<b");
    EXPECT_FALSE(listShown());
}

}  // namespace
}  // namespace kavrin::test
