#pragma once
// The main window over a temporary folder tree that stands in for the machine's volumes.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"
#include "panes/frmMenu.h"
#include "panes/tagdialogcalls.h"
#include "platform/files/filesystem.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"

// Readable failures for texts and lists of texts.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& texts, std::ostream* os) {
    *os << '{';
    for (const QString& t : texts) *os << " \"" << t.toStdString() << '"';
    *os << " }";
}

namespace kavrin::test {

class PanesTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        disk = workDir + "disk";
        QDir().mkpath(disk);
        volumes = {Volume{disk, "/dev/sda1", "ext4", "Data", VolumeKind::Fixed}};
        setVolumeSource([this] { return volumes; });
        tagDialogRequests().clear();
    }

    void TearDown() override {
        KavrinTest::TearDown();
        setVolumeSource({});
        setFolderReader({});
        setNetworkWaitMs(3000);
        tagDialogRequests().clear();
    }

    // The main window, shown, with its filter items named as the settings name them.
    mdiMain* openMainWindow() {
        mainWindow = new mdiMain();
        mainWindow->resize(1000, 700);
        mainWindow->show();
        // The settings gave the window their filters; the tests use their own.
        fileFilters = filters;
        numFilters = int(filters.size());
        currentFilter = 1;
        mainWindow->showFileListFilters();
        mainWindow->initTreMain();
        QApplication::processEvents();
        return mainWindow;
    }

    void makeFolder(const QString& relative) { QDir().mkpath(disk + "/" + relative); }
    QString diskFile(const QString& relative, const QByteArray& bytes = "x") {
        return writeFile("disk/" + relative, bytes);
    }

    QTreeWidgetItem* node(const QString& key) const { return mainWindow->treMain->findKey(key); }
    QStringList childTexts(QTreeWidgetItem* parent) const {
        QStringList texts;
        for (int i = 0; i < parent->childCount(); ++i) texts << parent->child(i)->text(0);
        return texts;
    }
    QStringList listNames() const {
        QStringList names;
        for (int row = 0; row < mainWindow->filList->count(); ++row) names << mainWindow->filList->text(row);
        return names;
    }
    int listRow(const QString& name) const { return mainWindow->filList->findText(name); }
    void selectFiles(const QStringList& names) {
        mainWindow->filList->selectOnly(listRow(names.first()));
        for (const QString& name : names.mid(1)) mainWindow->filList->setSelected(listRow(name), true);
    }

    // Clicks a tree node as a user does: the selection moves, then the button comes up.
    void clickNode(QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton) {
        PaneTree* tree = mainWindow->treMain;
        tree->scrollToItem(item);
        // On the start of the name: a long one runs past the visible part of the tree.
        const QRect rect = tree->visualItemRect(item);
        const QPoint at(std::clamp(rect.left() + 24, 4, tree->viewport()->width() - 4), rect.center().y());
        QTest::mouseClick(tree->viewport(), button, Qt::NoModifier, at);
        QApplication::processEvents();
    }

    // Types a new text into the in-place editor that is open in `view` and presses Enter.
    static void typeIntoEditor(QWidget* view, const QString& text) {
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : view->findChildren<QLineEdit*>())
            if (e->isVisible()) editor = e;
        ASSERT_NE(editor, nullptr) << "no editor open";
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        QApplication::processEvents();
    }

    static void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                          Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }

    QString trashFiles() const { return homeDir + ".local/share/Trash/files/"; }

    QString disk;
    QVector<Volume> volumes;
    QVector<FileFilter> filters{{"HTML Files (*.html;*.htm)", "*.html;*.htm"},
                                {"Text Files (*.txt)", "*.txt"},
                                {"All Files (*.*)", "*.*"}};
};

}  // namespace kavrin::test
