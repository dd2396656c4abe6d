// The seven tag toolbars as a user presses their buttons: each button wraps the selection in its
// tag or opens its tag's dialog for a new element; buttons whose dialog is still to come are
// there but cannot be pressed.
#include <QImage>
#include <QToolButton>

#include "mainwindow/tagbuttons.h"
#include "tagdialogs/edittag.h"
#include "tagdialogs/text/frmBody.h"
#include "platform/msgbox.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

class TagToolbarsTest : public TagDialogTest {
protected:
    // Clicks the button as a user does: on the tool button the toolbar shows for it.
    static void press(Toolbar* toolbar, const QString& key) {
        QAction* action = toolbar->button(key);
        ASSERT_NE(action, nullptr) << key.toStdString();
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
        ASSERT_NE(button, nullptr) << key.toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // Shows the toolbar's header, so its buttons can be clicked.
    void choose(int header) {
        mainWindow->picTab_MouseDown(header);
        QCoreApplication::processEvents();
    }
    // True when the icon draws something at toolbar size.
    static bool drawsSomething(const QIcon& icon) {
        const QImage image = icon.pixmap(16, 16).toImage();
        if (image.isNull()) return false;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 0) return true;
        return false;
    }
};

// What each button must do: wrap the selection ("x") in a tag pair, open a dialog class (with
// the dialogKind it is told), or wait (disabled) for a dialog still to come.
struct Expected {
    int header;
    const char* key;
    const char* toolTip;
    const char* wrapped = nullptr;  // text after pressing on "a|x|b"
    const char* dialog = nullptr;   // class name of the modal dialog
    const char* kind = "";          // dialogKind while it is shown
    const char* written = nullptr;  // what OK puts in front of "x"
};

Expected wraps(int header, const char* key, const char* tip, const char* text) {
    Expected e{header, key, tip};
    e.wrapped = text;
    return e;
}
Expected opens(int header, const char* key, const char* tip, const char* dialog, const char* written,
               const char* kind = "") {
    Expected e{header, key, tip};
    e.dialog = dialog;
    e.written = written;
    e.kind = kind;
    return e;
}
Expected waits(int header, const char* key, const char* tip) { return Expected{header, key, tip}; }

const QVector<Expected>& expectations() {
    static const QVector<Expected> all{
        // Basic: "body" and the quick table have tests of their own.
        opens(0, "br", "Line Break", "frmBr", "<br"),
        opens(0, "p", "New Paragraph", "frmP", "<p"),
        opens(0, "div", "Text Division", "frmDiv", "<div"),
        opens(0, "hr", "Horizontal Rule", "frmHr", "<hr"),
        opens(0, "comment", "Comment", "frmComment", "<!--"),
        opens(0, "image", "Image", "frmImage", "<img"),
        opens(0, "anchor", "Href Anchor", "frmHrefAnchor", "<a"),
        wraps(1, "b", "Bold", "a<b>x</b>b"),
        wraps(1, "i", "Italic", "a<i>x</i>b"),
        wraps(1, "pre", "Preformatted Text", "a<pre>x</pre>b"),
        wraps(1, "h1", "Heading 1", "a<h1>x</h1>b"),
        wraps(1, "h2", "Heading 2", "a<h2>x</h2>b"),
        wraps(1, "h3", "Heading 3", "a<h3>x</h3>b"),
        wraps(1, "font 7", "Font Size 7", "a<font size=\"7\">x</font>b"),
        wraps(1, "font 6", "Font Size 6", "a<font size=\"6\">x</font>b"),
        wraps(1, "font 5", "Font Size 5", "a<font size=\"5\">x</font>b"),
        waits(1, "font options", "Font Options"),
        waits(2, "list", "List Wizard"),
        wraps(2, "li", "List Item", "a<li>xb"),
        wraps(2, "dt", "Definition Term", "a<dt>xb"),
        wraps(2, "dd", "Definition Description", "a<dd>xb"),
        waits(3, "form", "Form"),
        waits(3, "checkbox", "Checkbox"),
        waits(3, "radio", "Radio Button"),
        waits(3, "textarea", "TextArea"),
        waits(3, "textbox", "Textbox"),
        waits(3, "password", "Password"),
        waits(3, "button", "Button"),
        waits(3, "submit", "Submit"),
        waits(3, "reset", "Reset"),
        waits(3, "select", "Select"),
        waits(3, "image", "Image"),
        waits(4, "wizard", "Table Wizard"),
        opens(4, "table", "Table", "frmTable", "<table"),
        opens(4, "tr", "Table Row", "frmTr", "<tr"),
        opens(4, "th", "Table Heading", "frmThd", "<th", "th"),
        opens(4, "td", "Table Data", "frmThd", "<td", "td"),
        opens(4, "caption", "Table Caption", "frmCaption", "<caption"),
        opens(4, "thead", "Table Header", "frmTableSection", "<thead", "thead"),
        opens(4, "tbody", "Table Body", "frmTableSection", "<tbody", "tbody"),
        opens(4, "tfoot", "Table Footer", "frmTableSection", "<tfoot", "tfoot"),
        opens(5, "frameset", "Frameset", "frmFrameset", "<frameset"),
        opens(5, "frame", "Frame", "frmFrame", "<frame"),
        opens(5, "iframe", "IFrame (Floating Frame)", "frmIFrame", "<iframe"),
        wraps(5, "noframes", "No Frames", "a<noframes>x</noframes>b"),
        opens(6, "applet", "Java Applet", "frmApplet", "<applet"),
        opens(6, "param", "Parameter", "frmParameter", "<param"),
        opens(6, "marquee", "Marquee", "frmMarquee", "<marquee"),
        opens(6, "script", "Script", "frmScript", "<script"),
        wraps(6, "noscript", "No Script", "a<noscript>x</noscript>b"),
    };
    return all;
}

TEST_F(TagToolbarsTest, EveryButtonWrapsTheSelectionOrOpensItsDialogForANewElement) {
    const char* order[7][11] = {
        {"body", "br", "p", "div", "hr", "comment", "image", "anchor"},
        {"b", "i", "pre", "h1", "h2", "h3", "font 7", "font 6", "font 5", "font options"},
        {"list", "li", "dt", "dd"},
        {"form", "checkbox", "radio", "textarea", "textbox", "password", "button", "submit", "reset", "select",
         "image"},
        {"wizard", "table", "tr", "th", "td", "caption", "thead", "tbody", "tfoot", "quick_table"},
        {"frameset", "frame", "iframe", "noframes"},
        {"applet", "param", "marquee", "script", "noscript"},
    };
    for (int header = 0; header < 7; ++header) {
        Toolbar* toolbar = mainWindow->tagToolbar(header);
        ASSERT_NE(toolbar, nullptr);
        QStringList keys;
        for (const char* key : order[header])
            if (key) keys << key;
        EXPECT_EQ(toolbar->keys(), keys) << "header " << header;
        // Every button shows a picture.
        for (const QString& key : toolbar->keys())
            EXPECT_TRUE(drawsSomething(toolbar->button(key)->icon())) << key.toStdString();
    }

    for (const Expected& e : expectations()) {
        SCOPED_TRACE(std::string(e.key) + " on header " + std::to_string(e.header));
        choose(e.header);
        Toolbar* toolbar = mainWindow->tagToolbar(e.header);
        ASSERT_TRUE(toolbar->isVisible());
        QAction* action = toolbar->button(e.key);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->toolTip(), e.toolTip);
        setDocument("a|x|b");
        dialogKind.clear();

        if (e.wrapped) {
            EXPECT_TRUE(action->isEnabled());
            press(toolbar, e.key);
            EXPECT_EQ(text(), e.wrapped);
        } else if (e.dialog) {
            EXPECT_TRUE(action->isEnabled());
            const QString kind = e.kind;
            expectModal(e.dialog, [kind](Form& form) {
                EXPECT_TRUE(form.isVisible());
                EXPECT_FALSE(editingTag) << "a new element, not an edited one";
                EXPECT_EQ(dialogKind, kind);
                auto* dialog = dynamic_cast<TagDialog*>(&form);
                ASSERT_NE(dialog, nullptr);
                dialog->cmdOk->click();
            });
            press(toolbar, e.key);
            EXPECT_TRUE(allAnswered());
            EXPECT_EQ(Form::forms().size(), baseForms) << "the dialog must be gone";
            EXPECT_TRUE(text().startsWith(QStringLiteral("a") + e.written)) << text().toStdString();
            EXPECT_TRUE(text().endsWith("b"));
        } else {
            // Still to come: visible, not pressable, and a press does nothing.
            EXPECT_FALSE(action->isEnabled());
            press(toolbar, e.key);
            EXPECT_EQ(text(), "axb");
        }
    }
}

TEST_F(TagToolbarsTest, FormToolbarButtonsWaitForTheDialogsStillToCome) {
    // The form and font dialogs come through Edit Tag's table: their buttons follow it.
    for (const char* name : {"FORM", "FONT"}) {
        const EditableTag* row = editableTag(name);
        ASSERT_NE(row, nullptr);
        const TagButton* button = tagButton(name == QLatin1String("FORM") ? 3 : 1,
                                            name == QLatin1String("FORM") ? "form" : "font options");
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(tagButtonAvailable(*button), row->create != nullptr);
    }
    // The form element buttons select their tab of the form element dialog first.
    const std::pair<const char*, int> tabs[] = {{"checkbox", 2}, {"radio", 6}, {"textarea", 10}, {"textbox", 9},
                                                {"password", 5}, {"button", 1},  {"submit", 8},    {"reset", 7},
                                                {"select", 11},  {"image", 4}};
    for (const auto& [key, tab] : tabs) {
        const TagButton* button = tagButton(3, key);
        ASSERT_NE(button, nullptr) << key;
        EXPECT_EQ(button->openerArgument, tab) << key;
        EXPECT_NE(button->waitsFor, nullptr) << key;
    }
}

TEST_F(TagToolbarsTest, BodyTakesThePagesBodyTagIntoItsDialogOrWritesANewOne) {
    // An existing body tag, in any case, is edited in place.
    setDocument("<HTML>\r\n<Body bgcolor=\"#FFFFFF\" onload=\"go()\">\r\n|text\r\n");
    expectDialogWindow<frmBody>("frmBody", [](frmBody& d) {
        EXPECT_TRUE(editingTag);
        EXPECT_EQ(d.txtBGcolor->text(), "#FFFFFF");
        d.txtBGcolor->setText("#000000");
        d.cmdOk->click();
    });
    press(mainWindow->tbrBasic, "body");
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(text(), "<HTML>\r\n<body bgcolor=\"#000000\" onload=\"go()\">\r\ntext\r\n");
    EXPECT_FALSE(editingTag);

    // A page without one gets a new body tag at the caret.
    setDocument("<html>|</html>");
    expectDialogWindow<frmBody>("frmBody", [](frmBody& d) {
        EXPECT_FALSE(editingTag);
        d.cmdOk->click();
    });
    press(mainWindow->tbrBasic, "body");
    EXPECT_TRUE(allAnswered());
    EXPECT_TRUE(text().startsWith("<html><body")) << text().toStdString();

    // With no document there is nothing to edit: no dialog comes.
    expectMsgBox("Save changes", vbNo);
    doc->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(activeDocument(), nullptr);
    mainWindow->tbrBasic_ButtonClick("body");
    EXPECT_EQ(Form::forms().size(), baseForms - 1);
}

TEST_F(TagToolbarsTest, UppercaseTagsAppliesToTheToolbarsTagPairs) {
    uppercaseTags = true;
    choose(1);
    setDocument("|text|");
    press(mainWindow->tbrFont, "font 6");
    EXPECT_EQ(text(), "<FONT SIZE=\"6\">text</FONT>");
}

}  // namespace
}  // namespace kavrin::test
