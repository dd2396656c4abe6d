// The seven tag toolbars as a user presses their buttons: each button wraps the selection in its
// tag or opens its tag's dialog for a new element.
#include <QImage>
#include <QToolButton>

#include "platform/forms/msgbox.h"
#include "tagdialogs/edittag.h"
#include "tagdialogs/text/frmBody.h"
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

// What each button must do. With a dialog: that modal window opens for a new element (told
// `kind` in dialogKind) and its OK writes `written` in front of the selection; a dialog that
// comes through Edit Tag's row `row` may not exist yet, and then the button waits, disabled.
// Without one: `written` is the page after pressing on "a|x|b"; nothing at all: it waits.
struct Expected {
    int header;
    const char* key;
    const char* toolTip;
    const char* dialog;
    const char* written;
    const char* kind = "";
    const char* row = nullptr;
};

const Expected kExpected[] = {
    // Basic: "body" and the quick table have tests of their own.
    {0, "br", "Line Break", "frmBr", "<br"},
    {0, "p", "New Paragraph", "frmP", "<p"},
    {0, "div", "Text Division", "frmDiv", "<div"},
    {0, "hr", "Horizontal Rule", "frmHr", "<hr"},
    {0, "comment", "Comment", "frmComment", "<!--"},
    {0, "image", "Image", "frmImage", "<img"},
    {0, "anchor", "Href Anchor", "frmHrefAnchor", "<a"},
    {1, "b", "Bold", nullptr, "a<b>x</b>b"},
    {1, "i", "Italic", nullptr, "a<i>x</i>b"},
    {1, "pre", "Preformatted Text", nullptr, "a<pre>x</pre>b"},
    {1, "h1", "Heading 1", nullptr, "a<h1>x</h1>b"},
    {1, "h2", "Heading 2", nullptr, "a<h2>x</h2>b"},
    {1, "h3", "Heading 3", nullptr, "a<h3>x</h3>b"},
    {1, "font 7", "Font Size 7", nullptr, "a<font size=\"7\">x</font>b"},
    {1, "font 6", "Font Size 6", nullptr, "a<font size=\"6\">x</font>b"},
    {1, "font 5", "Font Size 5", nullptr, "a<font size=\"5\">x</font>b"},
    {1, "font options", "Font Options", "frmFont", "<font", "", "FONT"},
    {2, "list", "List Wizard", "frmList", nullptr},
    {2, "li", "List Item", nullptr, "a<li>xb"},
    {2, "dt", "Definition Term", nullptr, "a<dt>xb"},
    {2, "dd", "Definition Description", nullptr, "a<dd>xb"},
    {3, "form", "Form", "frmForm", "<form", "", "FORM"},
    {3, "checkbox", "Checkbox", "frmInput", "<input type=\"checkbox\""},
    {3, "radio", "Radio Button", "frmInput", "<input type=\"radio\""},
    {3, "textarea", "TextArea", "frmInput", "<textarea"},
    {3, "textbox", "Textbox", "frmInput", "<input type=\"text\""},
    {3, "password", "Password", "frmInput", "<input type=\"password\""},
    {3, "button", "Button", "frmInput", "<input type=\"button\""},
    {3, "submit", "Submit", "frmInput", "<input type=\"submit\""},
    {3, "reset", "Reset", "frmInput", "<input type=\"reset\""},
    {3, "select", "Select", "frmInput", "<select"},
    {3, "image", "Image", "frmInput", "<input type=\"image\""},
    {4, "wizard", "Table Wizard", "frmTableWizard", nullptr},
    {4, "table", "Table", "frmTable", "<table"},
    {4, "tr", "Table Row", "frmTr", "<tr"},
    {4, "th", "Table Heading", "frmThd", "<th", "th"},
    {4, "td", "Table Data", "frmThd", "<td", "td"},
    {4, "caption", "Table Caption", "frmCaption", "<caption"},
    {4, "thead", "Table Header", "frmTableSection", "<thead", "thead"},
    {4, "tbody", "Table Body", "frmTableSection", "<tbody", "tbody"},
    {4, "tfoot", "Table Footer", "frmTableSection", "<tfoot", "tfoot"},
    {5, "frameset", "Frameset", "frmFrameset", "<frameset"},
    {5, "frame", "Frame", "frmFrame", "<frame"},
    {5, "iframe", "IFrame (Floating Frame)", "frmIFrame", "<iframe"},
    {5, "noframes", "No Frames", nullptr, "a<noframes>x</noframes>b"},
    {6, "applet", "Java Applet", "frmApplet", "<applet"},
    {6, "param", "Parameter", "frmParameter", "<param"},
    {6, "marquee", "Marquee", "frmMarquee", "<marquee"},
    {6, "script", "Script", "frmScript", "<script"},
    {6, "noscript", "No Script", nullptr, "a<noscript>x</noscript>b"},
};

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

    for (const Expected& e : kExpected) {
        SCOPED_TRACE(std::string(e.key) + " on header " + std::to_string(e.header));
        choose(e.header);
        Toolbar* toolbar = mainWindow->tagToolbar(e.header);
        ASSERT_TRUE(toolbar->isVisible());
        QAction* action = toolbar->button(e.key);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->toolTip(), e.toolTip);
        setDocument("a|x|b");
        dialogKind.clear();

        const EditableTag* row = e.row ? editableTag(e.row) : nullptr;
        if (e.dialog && (!row || row->create)) {
            EXPECT_TRUE(action->isEnabled());
            const QString kind = e.kind;
            expectModal(e.dialog, [kind](Form& form) {
                EXPECT_TRUE(form.isVisible());
                EXPECT_FALSE(editingTag) << "a new element, not an edited one";
                EXPECT_EQ(dialogKind, kind);
                // The wizards write nothing until their last page: closing them changes nothing.
                if (auto* dialog = dynamic_cast<TagDialog*>(&form)) dialog->cmdOk->click();
                else form.unload();
            });
            press(toolbar, e.key);
            EXPECT_TRUE(allAnswered());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_EQ(Form::forms().size(), baseForms) << "the dialog must be gone";
            if (!e.written) {
                EXPECT_EQ(text(), "axb");
                continue;
            }
            EXPECT_TRUE(text().startsWith(QStringLiteral("a") + e.written)) << text().toStdString();
            EXPECT_TRUE(text().endsWith("b"));
        } else if (!e.dialog && e.written) {
            EXPECT_TRUE(action->isEnabled());
            press(toolbar, e.key);
            EXPECT_EQ(text(), e.written);
        } else {
            // Still to come: there, not pressable, and a press does nothing.
            EXPECT_FALSE(action->isEnabled());
            press(toolbar, e.key);
            EXPECT_EQ(text(), "axb");
        }
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

}  // namespace
}  // namespace kavrin::test
