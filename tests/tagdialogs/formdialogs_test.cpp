// The form and form element dialogs: new elements of every kind from the menu and the presets
// the toolbar and tag tree use, and existing tags taken back through Edit Tag.
#include <QDir>
#include <QImage>

#include "documents/fileops.h"
#include "documents/globals.h"
#include "tagdialogs/structure/frmForm.h"
#include "tagdialogs/structure/frmInput.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

class FormDialogsTest : public TagDialogTest {
protected:
    // The element dialog for a new element, opened on a tab as the toolbar does.
    void newElement(int tab, std::function<void(frmInput&)> drive) {
        expectDialogWindow<frmInput>("frmInput", drive);
        showFormElementDialog(tab);
        EXPECT_EQ(Form::forms().size(), baseForms) << "the dialog must be gone";
    }
    // The widgets a user sees in the frame, by their captions or their own names.
    static QStringList shownLabels(frmInput& d) {
        QStringList shown;
        for (QLabel* l : {d.lblName, d.lblValue, d.lblAlign, d.lblTabindex, d.lblSize, d.lblMaxLength, d.lblHeight,
                          d.lblVSpace, d.lblBorder, d.lblRows, d.lblCols})
            if (l->isVisibleTo(&d)) shown << l->text();
        for (QCheckBox* c : {d.chkNoTab, d.chkChecked, d.chkMultiple, d.chkSelected})
            if (c->isVisibleTo(&d)) shown << c->text();
        if (d.cmdImage->isVisibleTo(&d)) shown << "Browse";
        if (d.cboWrap->isVisibleTo(&d)) shown << "wrap list";
        if (d.txtValue->isVisibleTo(&d)) shown << "value box";
        return shown;
    }
};

// ---- Form ----

TEST_F(FormDialogsTest, NewFormWrapsTheSelectionAndWritesMethodBeforeAction) {
    setDocument("a|<p>x</p>|b");
    fromMenu<frmForm>(mainWindow->mnuInsertFormForm, "frmForm", [](frmForm& d) {
        EXPECT_EQ(d.caption(), "Form");
        EXPECT_EQ(d.cboMethod->itemText(1), "get");
        EXPECT_EQ(d.cboEncrypt->itemText(1), "multipart/form-data");
        EXPECT_EQ(d.cboMethod->currentText(), "");
        type(d.txtAction, "/cgi-bin/send");
        type(d.cboMethod, "POST");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a<form method=\"POST\" action=\"/cgi-bin/send\"><p>x</p>\r\n</form>b");

    setDocument("|");
    fromMenu<frmForm>(mainWindow->mnuInsertFormForm, "frmForm", [](frmForm& d) {
        type(d.cboEncrypt, "text/plain");
        type(d.txtName, "f");
        d.cboMethod->setCurrentIndex(1);
        QTest::keyClick(d.txtName, Qt::Key_Return);
    });
    EXPECT_EQ(text(), "<form name=\"f\" method=\"get\" enctype=\"text/plain\">\r\n</form>");

    fromMenu<frmForm>(mainWindow->mnuInsertFormForm, "frmForm", [](frmForm& d) {
        type(d.txtName, "g");
        QTest::keyClick(d.txtName, Qt::Key_Escape);
    });
    EXPECT_EQ(text().count("<form"), 1);
}

TEST_F(FormDialogsTest, EditedFormComesBackInOrderWithItsOtherAttributesLast) {
    editTag<frmForm>("<FORM ACTION=go.cgi id=f1 Name=\"order form\" |novalidate>x</FORM>", "frmForm",
                     [](frmForm& d) {
                         EXPECT_EQ(d.txtAction->text(), "go.cgi");
                         EXPECT_EQ(d.txtName->text(), "order form");
                         EXPECT_EQ(d.extraAttributes, " id=\"f1\" novalidate");
                         clear(d.txtAction);
                         type(d.cboMethod, "get");
                         d.cmdOk->click();
                     });
    EXPECT_EQ(text(), "<form name=\"order form\" method=\"get\" id=\"f1\" novalidate>x</FORM>");
}

// ---- Form element: the kinds ----

TEST_F(FormDialogsTest, EachKindShowsItsFieldsAndWritesItsAttributes) {
    struct Case {
        int tab;
        QStringList shown;
        QString written;  // with every shown text field filled by its own label, boxes ticked
    };
    const QString tail = " align=\"Align\" tabindex=\"Tabindex\" name=\"Name\"";
    const Case cases[] = {
        {1, {"Name", "Value (caption)", "Align", "Tabindex", "NoTab", "value box"},
         "<input type=\"button\" value=\"Value (caption)\"" + tail + ">"},
        {2, {"Name", "Value", "Align", "Tabindex", "NoTab", "Checked", "value box"},
         "<input type=\"checkbox\" value=\"Value\"" + tail + " checked>"},
        {3, {"Name", "Value", "value box"}, "<input type=\"hidden\" value=\"Value\" name=\"Name\">"},
        {4, {"Name", "Source", "Align", "Tabindex", "Width", "HSpace", "Height", "VSpace", "Border", "NoTab", "Browse",
             "value box"},
         "<input type=\"image\" src=\"Source\" width=\"Width\" height=\"Height\" hspace=\"HSpace\" vspace=\"VSpace\" "
         "border=\"Border\"" + tail + ">"},
        {5, {"Name", "Value", "Align", "Tabindex", "Size", "Max Length", "NoTab", "value box"},
         "<input type=\"password\" value=\"Value\" size=\"Size\" maxlength=\"Max Length\"" + tail + ">"},
        {6, {"Name", "Value", "Align", "Tabindex", "NoTab", "Checked", "value box"},
         "<input type=\"radio\" value=\"Value\"" + tail + " checked>"},
        {7, {"Name", "Value (caption)", "Align", "Tabindex", "NoTab", "value box"},
         "<input type=\"reset\" value=\"Value (caption)\"" + tail + ">"},
        {8, {"Name", "Value (caption)", "Align", "Tabindex", "NoTab", "value box"},
         "<input type=\"submit\" value=\"Value (caption)\"" + tail + ">"},
        {9, {"Name", "Value", "Align", "Tabindex", "Size", "Max Length", "NoTab", "value box"},
         "<input type=\"text\" value=\"Value\" size=\"Size\" maxlength=\"Max Length\"" + tail + ">"},
        {10, {"Name", "Wrap", "Rows", "Cols", "wrap list"},
         "<textarea cols=\"12\" rows=\"34\" wrap=\"virtual\" name=\"Name\"></textarea>"},
        {11, {"Name", "Size", "Allow Multiple Selections", "value box"},
         "<select size=\"Size\" multiple name=\"Name\"></select>"},
        {12, {"Caption", "Value", "Selected", "value box"}, "<option value=\"Value\" selected>Caption"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tab);
        setDocument("a|old|b");
        newElement(c.tab, [&c](frmInput& d) {
            EXPECT_EQ(d.caption(), "Form Element");
            EXPECT_EQ(d.tbsMain->count(), 12);
            EXPECT_EQ(d.tbsMain->currentIndex(), c.tab - 1);
            EXPECT_TRUE(d.tbsMain->isEnabled());
            EXPECT_EQ(shownLabels(d), c.shown);
            // What the user sees gets filled; a check box is ticked.
            const std::pair<QLabel*, QLineEdit*> pairs[] = {
                {d.lblName, d.txtName},        {d.lblValue, d.txtValue},   {d.lblTabindex, d.txtTabindex},
                {d.lblSize, d.txtSize},        {d.lblMaxLength, d.txtMaxLength}, {d.lblHeight, d.txtHeight},
                {d.lblVSpace, d.txtVSpace},    {d.lblBorder, d.txtBorder}};
            for (const auto& [label, edit] : pairs)
                if (edit->isVisibleTo(&d)) clear(edit), type(edit, label->text());
            if (d.cboAlign->isVisibleTo(&d)) type(d.cboAlign, "Align");
            if (d.cboWrap->isVisibleTo(&d)) d.cboWrap->setCurrentIndex(1);
            if (d.txtRows->isVisibleTo(&d)) type(d.txtRows, "34"), type(d.txtCols, "12");
            for (QCheckBox* box : {d.chkChecked, d.chkMultiple, d.chkSelected})
                if (box->isVisibleTo(&d)) box->click();
            d.cmdOk->click();
        });
        EXPECT_EQ(text(), "a" + c.written + "b");
        EXPECT_EQ(caret(), 1 + c.written.size() - formElementEndTag(FormKind(c.tab)).size());
    }
}

TEST_F(FormDialogsTest, EmptyElementsWriteOnlyWhatTheyMust) {
    // Nothing filled: a plain button; hidden keeps its empty value; an option has no value.
    setDocument("|sel|");
    fromMenu<frmInput>(mainWindow->mnuInsertFormElement, "frmInput", [](frmInput& d) {
        EXPECT_EQ(d.kind(), FormKind::Button);
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<input type=\"button\">");
    setDocument("|");
    newElement(3, [](frmInput& d) { d.cmdOk->click(); });
    EXPECT_EQ(text(), "<input type=\"hidden\" value=\"\">");
    setDocument("|");
    newElement(12, [](frmInput& d) { d.cmdOk->click(); });
    EXPECT_EQ(text(), "<option>");

    // A new option takes the selection as its caption and replaces it.
    setDocument("x|Red apples|y");
    newElement(12, [](frmInput& d) {
        EXPECT_EQ(d.txtName->text(), "Red apples");
        type(d.txtValue, "r");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "x<option value=\"r\">Red applesy");

    // A value with blanks and quotes stays one attribute.
    setDocument("|");
    newElement(9, [](frmInput& d) {
        type(d.txtValue, "say \"hi\" there");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<input type=\"text\" value=\"say &quot;hi&quot; there\">");
}

TEST_F(FormDialogsTest, FieldsFollowTheKindNoTabAndTheDigitFilter) {
    setDocument("|");
    newElement(9, [](frmInput& d) {
        type(d.txtValue, "abc");
        type(d.txtTabindex, "4");
        // Another kind empties every field.
        d.tbsMain->setCurrentIndex(4);
        EXPECT_EQ(d.kind(), FormKind::Password);
        EXPECT_EQ(d.txtValue->text(), "");
        EXPECT_EQ(d.txtTabindex->text(), "");

        type(d.txtTabindex, "4");
        d.chkNoTab->click();
        EXPECT_EQ(d.txtTabindex->text(), "");
        EXPECT_FALSE(d.txtTabindex->isEnabled());
        d.chkNoTab->click();
        EXPECT_TRUE(d.txtTabindex->isEnabled());
        EXPECT_EQ(d.txtTabindex->text(), "");

        // Rows and Cols take digits only, and Backspace still mends a typing slip.
        d.tbsMain->setCurrentIndex(9);
        type(d.txtRows, "1a2-");
        EXPECT_EQ(d.txtRows->text(), "12");
        QTest::keyClick(d.txtRows, Qt::Key_Backspace);
        type(d.txtRows, "5");
        type(d.txtCols, "x40");
        EXPECT_EQ(d.txtRows->text(), "15");
        EXPECT_EQ(d.txtCols->text(), "40");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<textarea cols=\"40\" rows=\"15\"></textarea>");
    EXPECT_EQ(caret(), QString("<textarea cols=\"40\" rows=\"15\">").size());

    // Cancel writes nothing and leaves no kind behind.
    dialogKind = "select";
    fromMenu<frmInput>(mainWindow->mnuInsertFormElement, "frmInput", [](frmInput& d) {
        EXPECT_EQ(d.kind(), FormKind::Select);
        EXPECT_FALSE(d.tbsMain->isEnabled());
        d.cmdCancel->click();
    });
    EXPECT_EQ(dialogKind, "");
    EXPECT_EQ(text(), "<textarea cols=\"40\" rows=\"15\"></textarea>");
}

TEST_F(FormDialogsTest, ImageBrowseFillsTheSourceAndThePictureSize) {
    QDir().mkpath(workDir + "site/img");
    QImage picture(40, 25, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(workDir + "site/img/go.png"));
    writeFile("site/img/broken.png", "not a picture");
    expectSave(workDir + "site/form.htm");
    saveDocument(doc);
    setDocument("|");
    newElement(4, [this](frmInput& d) {
        expectDialog("open", [this](CommonDialog& cdl) {
            EXPECT_EQ(cdl.dialogTitle, "Select an Image");
            EXPECT_EQ(cdl.filter, "Images (*.gif;*.jpg;*.jpeg;*.png)|*.gif;*.jpg;*.jpeg;*.png|All Files (*.*)|*.*");
            cdl.fileName = workDir + "site/img/go.png";
            return true;
        });
        d.cmdImage->click();
        EXPECT_EQ(d.txtValue->text(), "img/go.png");
        EXPECT_EQ(d.txtSize->text(), "40");
        EXPECT_EQ(d.txtHeight->text(), "25");
        // A file that is no picture takes the source but leaves the sizes; Cancel changes nothing.
        expectOpen(workDir + "site/img/broken.png");
        d.cmdImage->click();
        EXPECT_EQ(d.txtValue->text(), "img/broken.png");
        EXPECT_EQ(d.txtSize->text(), "40");
        expectDialogCancel("open");
        d.cmdImage->click();
        EXPECT_EQ(d.txtValue->text(), "img/broken.png");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<input type=\"image\" src=\"img/broken.png\" width=\"40\" height=\"25\">");
}

// ---- Form element: Edit Tag ----

TEST_F(FormDialogsTest, EditedElementsKeepEveryAttributeTheirKindDoesNotWrite) {
    struct Case {
        QString tag;  // "|" marks the caret
        FormKind kind;
        bool tabsEnabled;
        QString written;
    };
    const Case cases[] = {
        // The kind comes from the type, wherever it stands.
        {"<input name=\"agree\" value=\"1\" TYPE=Checkbox checked|>", FormKind::Checkbox, false,
         "<input type=\"checkbox\" value=\"1\" name=\"agree\" checked>"},
        // What the kind does not write stays as it was, never dropped or renamed.
        {"<input type=\"checkbox\" size=\"3\" name=\"c\"|>", FormKind::Checkbox, false,
         "<input type=\"checkbox\" name=\"c\" size=\"3\">"},
        {"<input type=\"image\" src=\"a.gif\" maxlength=\"5\" hspace=\"2\" value=\"v\"|>", FormKind::Image, false,
         "<input type=\"image\" src=\"a.gif\" hspace=\"2\" maxlength=\"5\" value=\"v\">"},
        {"<input type=\"text\" width=\"9\" src=\"x\" size=\"20\" onchange=\"go()\" disabled|>", FormKind::Text, false,
         "<input type=\"text\" size=\"20\" width=\"9\" src=\"x\" onchange=\"go()\" disabled>"},
        // A type the tabs do not name is kept; so is the lack of one.
        {"<input type=\"file\" name=\"up\" size=\"30\" accept=\"image/*\"|>", FormKind::Text, false,
         "<input type=\"file\" size=\"30\" name=\"up\" accept=\"image/*\">"},
        {"<input name=\"q\"|>", FormKind::Text, true, "<input name=\"q\">"},
        {"<input type=\"button\" value=\"Go\"|>", FormKind::Button, false, "<input type=\"button\" value=\"Go\">"},
        {"<input type=\"hidden\" name=\"h\"|>", FormKind::Hidden, false, "<input type=\"hidden\" value=\"\" name=\"h\">"},
        // A tab index read before NoTab is kept all the same.
        {"<input type=\"radio\" tabindex=\"3\" notab|>", FormKind::Radio, false,
         "<input type=\"radio\" tabindex=\"3\" notab>"},
        // Elements of their own take their kind from the tag and never their end tag.
        {"<textarea name=\"t\" type=\"text\" rows=\"3\" cols=\"40\" wrap=\"virtual\"|>", FormKind::Textarea, false,
         "<textarea cols=\"40\" rows=\"3\" wrap=\"virtual\" name=\"t\" type=\"text\">"},
        {"<select name=\"s\" size=\"4\" multiple|>", FormKind::Select, false, "<select size=\"4\" multiple name=\"s\">"},
        // An option's name stays an attribute; a value only when it has one.
        {"<option name=\"x\" value=\"a\" selected|>", FormKind::Option, false, "<option value=\"a\" selected name=\"x\">"},
        {"<option|>", FormKind::Option, false, "<option>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag.toStdString());
        editTag<frmInput>(c.tag + "after", "frmInput", [&c](frmInput& d) {
            EXPECT_EQ(d.kind(), c.kind);
            EXPECT_EQ(d.tbsMain->isEnabled(), c.tabsEnabled);
            if (c.kind == FormKind::Option) EXPECT_EQ(d.txtName->text(), "");
            d.cmdOk->click();
        });
        EXPECT_EQ(text(), c.written + "after");
        EXPECT_EQ(dialogKind, "");
    }
}

TEST_F(FormDialogsTest, EditedElementsShowTheirValuesAndTakeChanges) {
    editTag<frmInput>("<form><input value=\"a b\" type=\"file\" |name=\"up\"></form>", "frmInput", [](frmInput& d) {
        EXPECT_EQ(d.fraMain->title(), "Type: file");
        EXPECT_EQ(d.txtName->text(), "up");
        EXPECT_EQ(d.txtValue->text(), "a b");
        clear(d.txtValue);
        type(d.txtSize, "10");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<form><input type=\"file\" size=\"10\" name=\"up\"></form>");

    // Without a type the kind may still change, and then the new kind's type is written.
    editTag<frmInput>("<input |name=\"q\" size=\"5\">", "frmInput", [](frmInput& d) {
        EXPECT_EQ(d.txtSize->text(), "5");
        d.tbsMain->setCurrentIndex(4);
        type(d.txtName, "pw");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<input type=\"password\" name=\"pw\">");

    // A select's size shows under "Size"; an option's caption goes right after its tag.
    editTag<frmInput>("<SELECT SIZE=2 |name=s>", "frmInput", [](frmInput& d) {
        EXPECT_EQ(d.lblValue->text(), "Size");
        EXPECT_EQ(d.txtValue->text(), "2");
        d.chkMultiple->click();
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<select size=\"2\" multiple name=\"s\">");
    editTag<frmInput>("<option |value=\"p\">Pear", "frmInput", [](frmInput& d) {
        EXPECT_EQ(d.lblName->text(), "Caption");
        type(d.txtName, "Big ");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<option value=\"p\">Big Pear");

    // Cancel leaves the tag as it was.
    editTag<frmInput>("<textarea |rows=\"2\"></textarea>", "frmInput", [](frmInput& d) {
        type(d.txtRows, "9");
        d.cmdCancel->click();
    });
    EXPECT_EQ(text(), "<textarea rows=\"2\"></textarea>");
    EXPECT_EQ(dialogKind, "");
}

}  // namespace
}  // namespace kavrin::test
