#pragma once
// The main window: menus, toolbars, the document area with its task bar, and the status bar.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QVector>

#include "mainwindow/menuitems.h"
#include "platform/form.h"
#include "platform/toolbar.h"

class QMdiArea;

namespace kavrin {

class DocumentWindow;

class mdiMain : public Form {
    Q_OBJECT
public:
    explicit mdiMain(QWidget* parent = nullptr);
    ~mdiMain() override;

    // The active document window, or nullptr.
    DocumentWindow* activeDocument() const;
    QMdiArea* mdiArea() const { return mdi_; }

    // ---- Menus ----
    QMenuBar* menuBar = nullptr;
#define KAVRIN_DECLARE_ITEM(name) QAction* name = nullptr;
    KAVRIN_MAIN_MENU_ITEMS(KAVRIN_DECLARE_ITEM)
#undef KAVRIN_DECLARE_ITEM
    // Control arrays, indexed from 0 as the handlers count them.
    QVector<QAction*> mnuFileNewTemplate;         // 6 templates
    QVector<QAction*> mnuFileReopenArr;           // 10 recent files
    QVector<QAction*> mnuFormatHeadingArr;        // Heading 1..6
    QVector<QAction*> mnuToolsHelperAppsBrowser;  // 4 browsers
    // The editor's pop-up menu.
    QMenu* mnuPopup = nullptr;
    // Item by name, for code that walks items by name.
    QAction* item(const QString& name) const;

    // ---- Toolbars and bars ----
    QWidget* picTools = nullptr;   // toolbar area
    Toolbar* tbrMainA = nullptr;
    Toolbar* tbrMainB = nullptr;
    QWidget* picFile = nullptr;    // side panel
    QWidget* picPop = nullptr;     // holds the document task bar
    QTabBar* tbsPop = nullptr;     // one tab per document window
    QStatusBar* stbMain = nullptr;
    // Status bar panels, 1-based (panel 2 shows the document size).
    QLabel* stbPanel(int index) const;
    QLabel* lblCursorPos = nullptr;
    class ProgressBox* picPbr = nullptr;  // progress of long operations

    // ---- Document task bar: each tab belongs to its window ----
    void addDocumentTab(DocumentWindow* doc, const QString& key, const QString& caption);
    // Removes the window's own tab; returns the index it had, or -1.
    int removeDocumentTab(DocumentWindow* doc);
    int documentTabIndex(DocumentWindow* doc) const;
    // Key and caption follow the window's path after Save As.
    void renameDocumentTab(DocumentWindow* doc);
    void selectDocumentTab(DocumentWindow* doc);
    void setDocumentTabSaved(DocumentWindow* doc, bool saved);
    QString documentTabKey(int index) const;
    // The strip shows when asked and when the settings allow it.
    void showTaskBarStrip(bool on);
    void tbsPop_Click();

    // ---- Public procedures other windows call ----
    void setToEdit();
    void setToBrowse();
    void setToDesign();
    void populateFileList();

    // ---- Settings, start-up and shut-down ----

    // ---- Opening files and the recent-files list ----
    void openFile(const QString& path);

    // ---- Edit commands ----

    // ---- Format and Insert menus, Edit Tag ----
    // Sets editTagName and enables Edit Tag when the active document's caret stands in a tag
    // that has a dialog.
    void initEditTag();
    // Opens the dialog of the tag at the caret on that tag; OK writes the changed start tag in
    // its place.
    void mnuPopupEditTag_Click();
    // The editor's pop-up menu at a point of the screen (default: the pointer), with Edit Tag
    // set up for the caret first.
    void showEditorPopup(const QPoint& globalPos);
    void showEditorPopup();
    void mnuFormatHeadingArr_Click(int index);
    void mnuFormatBold_Click();
    void mnuFormatItalics_Click();
    void mnuFormatBoldAndItalics_Click();
    void mnuFormatBig_Click();
    void mnuFormatSmall_Click();
    void mnuFormatStrike_Click();
    void mnuFormatSub_Click();
    void mnuFormatSup_Click();
    void mnuFormatTT_Click();
    void mnuFormatUnderline_Click();
    void mnuFormatPre_Click();
    void mnuInsertP_Click();
    void mnuInsertBr_Click();
    void mnuInsertDiv_Click();
    void mnuInsertHr_Click();
    void mnuInsertComment_Click();
    void mnuInsertImage_Click();
    void mnuInsertTableTable_Click();
    // Connects the items above; run once while the menus are built.
    void connectFormatAndInsertMenus();

    // ---- Side panel and panes ----

    // ---- Tools ----

    // ---- File menu handlers ----
    void mnuFileNewBlank_Click();
    void mnuFileClose_Click();
    void mnuFileCloseAll_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileExit_Click();
    void tbrMainA_ButtonClick(const QString& key);
    void tbrMainB_ButtonClick(const QString& key);

protected:
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;

private:
    void buildMenus();
    void buildWindow();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     const QKeySequence& shortcut = QKeySequence());
    // Closes every document window, newest first; false when one of them refused.
    bool closeAllDocuments();

    struct TabInfo {
        DocumentWindow* window;
        QString key;
    };
    QVector<TabInfo> tabs_;  // parallel to tbsPop's tabs
    QMdiArea* mdi_ = nullptr;
    QVector<QLabel*> panels_;
    QHash<QString, QAction*> items_;
};

}  // namespace kavrin
