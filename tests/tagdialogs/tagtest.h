#pragma once
// A main window with one new document, and ways to drive the tag dialogs over it.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <type_traits>

#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"
#include "tagdialogs/frmColor.h"

namespace kavrin::test {

class TagDialogTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        frmColor::hexColor.clear();
        frmColor::winColor.clear();
        mainWindow = new mdiMain();
        mainWindow->show();
        // The main window's start has read the settings; the tests choose their own.
        uppercaseTags = false;
        addEndingP = false;
        newDocument();
        doc = activeDocument();
        ASSERT_NE(doc, nullptr);
        baseForms = Form::forms().size();
    }

    RichTextBox* editor() const { return doc->txtMain; }
    QString text() const { return editor()->text(); }
    int caret() const { return editor()->selStart(); }

    // Sets the document's text; "|" marks the caret, or two "|" the selection.
    void setDocument(const QString& marked) { setMarkedText(editor(), marked); }

    // The next modal window is a `Dialog`; `drive` works it as a user.
    template <class Dialog>
    void expectDialogWindow(const QString& className, std::function<void(Dialog&)> drive) {
        expectModal(className, [drive](Form& form) {
            auto* dialog = dynamic_cast<Dialog*>(&form);
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(dialog->isVisible());
            drive(*dialog);
        });
    }

    // Chooses a menu item and works the dialog it opens.
    template <class Dialog>
    void fromMenu(QAction* item, const QString& className, std::type_identity_t<std::function<void(Dialog&)>> drive) {
        expectDialogWindow<Dialog>(className, drive);
        item->trigger();
        EXPECT_EQ(Form::forms().size(), baseForms) << "the dialog must be gone";
    }

    // Right-click in the tag and choose Edit Tag.
    template <class Dialog>
    void editTag(const QString& marked, const QString& className,
                 std::type_identity_t<std::function<void(Dialog&)>> drive) {
        setDocument(marked);
        ASSERT_TRUE(editTagOffered());
        expectDialogWindow<Dialog>(className, [drive](Dialog& d) {
            EXPECT_TRUE(editingTag);
            drive(d);
        });
        mainWindow->mnuPopupEditTag->trigger();
        EXPECT_EQ(Form::forms().size(), baseForms) << "the dialog must be gone";
    }

    // The colour picker answers with its red box.
    void pickRed() {
        expectDialogWindow<frmColor>("frmColor", [](frmColor& picker) {
            const PaletteEntry box = webSafePalette()[180];  // red 255, green 0, blue 0
            QTest::mouseClick(&picker, Qt::LeftButton, {}, QPoint(picker.paletteLeft() + box.x / 15 + 5, box.y / 15 + 5));
            picker.cmdOk->click();
        });
    }

    // Right-click: Edit Tag set up for the caret; true when the item may be chosen.
    bool editTagOffered() {
        mainWindow->initEditTag();
        return mainWindow->mnuPopupEditTag->isEnabled();
    }

    // Types into a field as a user does (into a combo box's own text).
    static void type(QWidget* field, const QString& text) {
        if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit()) field = combo->lineEdit();
        QTest::keyClicks(field, text);
    }
    static void clear(QWidget* field) {
        if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit()) field = combo->lineEdit();
        if (auto* edit = qobject_cast<QLineEdit*>(field)) {
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
        }
    }

    // Picks a list entry as a user does, which runs the box's click handling.
    static void pick(QComboBox* box, const QString& entry) {
        const int index = box->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    DocumentWindow* doc = nullptr;
    // Windows loaded before any dialog: the main window, its hidden menu window, the document.
    size_t baseForms = 0;
};

}  // namespace kavrin::test
