#pragma once
#include <functional>
// The main window: menus, toolbars, the document area with its task bar, and the status bar.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QVector>

#include "mainwindow/menuitems.h"
#include "mainwindow/toolbararea.h"
#include "panes/panewidgets.h"
#include "platform/forms/form.h"
#include "platform/forms/toolbar.h"

class QComboBox;
class QHBoxLayout;
class QDragMoveEvent;
class QDropEvent;
class QMdiArea;
class QOpenGLWidget;

namespace kavrin {

class ColorBar;
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
    ToolbarArea* picTools = nullptr;  // toolbar area
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

    // ---- What the status bar and the Undo and Redo items show of the active document ----
    // Keeps them following the document's state from its (first) activation on.
    void followDocument(DocumentWindow* doc);
    void showDocumentState(DocumentWindow* doc);

    // ---- Public procedures other windows call ----
    // Makes the document the active one and gives the keyboard to the view it shows: what the
    // user types next after a command that brought it forward goes into it.
    void bringDocumentForward(DocumentWindow* doc);
    void setToEdit();
    void setToBrowse();
    void setToDesign();
    void populateFileList();

    // ---- View states, the design and browse toolbars (mainviews.cpp, designtoolbars.cpp) ----
    // The font and size boxes follow the design selection.
    void updateFontCombos();
    // View > Edit, Browse and Design are enabled only for an active document that has those
    // views: one opened before they were turned on keeps its source view alone.
    void enableViewItems();
    void mnuViewEdit_Click();
    void mnuViewBrowse_Click();
    void mnuViewDesign_Click();
    void cboFont_Click();
    void cboFormat_Click();
    void cboSize_Click();
    void cboUrl_Click();
    void cboUrl_KeyPress(int& keyAscii);
    // By the button's position, 1 to 6: back, forward, stop, refresh, home, print.
    void tbrIe_ButtonClick(int position);
    void tbrDHTM_ButtonClick(const QString& key);
    void tbrColor_ButtonClick(const QString& key);
    // True when the active document shows its design view; the command has then gone to its
    // design control (with the default option) and the source is not to be touched.
    bool designCommand(int command);
    // True when every document in Design holds its page as it stands; otherwise asks the pages
    // and runs `then` once all have answered (a document closed meanwhile counts as answered),
    // or `otherwise` when one did not (see DocumentWindow::whenDesignCurrent).
    bool whenDesignsCurrent(std::function<void()> then, std::function<void()> otherwise = {});
    // The table-editing buttons of the design toolbar, in their order.
    static QStringList designTableButtonKeys();
    Toolbar* tbrDHTM = nullptr;   // design toolbar
    // Colour, alignment and list buttons, beside whichever rows the toolbar area shows: beside
    // the colour bar only "color" shows, in the design view all of them.
    Toolbar* tbrColor = nullptr;
    Toolbar* tbrIe = nullptr;     // browse toolbar
    QComboBox* cboFont = nullptr;
    QComboBox* cboFormat = nullptr;
    QComboBox* cboSize = nullptr;
    QComboBox* cboUrl = nullptr;
    // The design view's rows (tbrDHTM above the boxes) and the browse view's (tbrIe above
    // cboUrl), which the toolbar area shows in place of the tag rows.
    QWidget* picDesignTools = nullptr;
    QHBoxLayout* designRow_ = nullptr;  // the boxes' row, which takes the colour buttons in Design
    QWidget* picBrowseTools = nullptr;
    bool browseToolbarShown = false;

    // ---- Settings, start-up and shut-down ----
    // The arguments the program was started with (without the program itself); the first
    // activation opens the files among them. Set before the window is shown.
    QStringList commandLineArguments;
    // Window placement read from the settings (twips), applied by MDIForm_Load.
    void loadWindowPlacement();
    // The web views draw through OpenGL, and the toolkit gives their window a new native
    // window of that kind when the first one appears: the window flashes and a window manager
    // may move it or forget its state. Done before the window is shown, it keeps its one native
    // window; done later (the views turned on in the options), the change happens there, while
    // no document is open. Nothing happens where OpenGL is not available.
    void prepareForWebViews();
    // Help > Kavrin Tips and Help > About Kavrin.
    void mnuHelpTips_Click();
    void mnuHelpAbout_Click();
    // The side panes' operations that start-up and shut-down call (mainpanel.cpp).
    void initTreMain();
    void setTreePath(const QString& folder);
    void mnuFileListViewStyle_Click(int index);
    // Gives the file list's filter menu the names of fileFilters (items 0 to numFilters - 1
    // shown, the item of currentFilter checked) and the file list that filter's pattern.
    void showFileListFilters();
    // Top of the splitter between folder tree and file list, in twips.
    double picHSplitterTop() const;
    void setPicHSplitterTop(double twips);
    // Lays the side panel's panes out for its current size.
    void picFile_Resize();
    // The folder the file explorer shows ("" when it shows none).
    QString fileListFolder() const;
    // The folder of the node selected in the folder tree ("" when no folder or volume is).
    QString selectedTreeFolder() const;
    // The user's custom tags, in order, when the store does not hold them yet (a write at the
    // time of the change failed); false when it does, and the section is then left as it is.
    bool customTagsOfTagTree(QStringList* tags) const;
    // Loads the hidden window that holds the side panes' pop-up menus.
    void loadMenuForm();

    // ---- Opening files and the recent-files list ----
    void openFile(const QString& path);
    // Hands the paths to `each` one per turn of the event loop (the first at once), so that the
    // user works in the documents opened while the rest open; `each` returns false to stop.
    // `done` runs after the last, unless the window is closing by then.
    void openFilesInTurn(const QStringList& paths, std::function<bool(const QString&)> each,
                         std::function<void()> done = {});
    void mnuFileOpen_Click();
    void mnuFileReopenArr_Click(int index);
    // The recent files of File > Reopen, most recent first (empty captions left out).
    QStringList recentFiles() const;

    // ---- Edit commands ----
    void mnuEditUndo_Click();
    void mnuEditRedo_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    // Hooks the Edit menu's, the pop-up menu's and the case items to their handlers; the undo,
    // redo and clipboard keys stay with the editor.
    void connectEditCommands();
    void mnuEditSelectAll_Click();
    void mnuEditIndent_Click();
    void mnuEditUnindent_Click();
    void mnuEditGotoLine_Click();
    // kind: 0 lower case, 1 upper case, 2 proper case; any other leaves the text as it is.
    void changeSelectionCase(quint8 kind);
    void mnuToolsFormatUppercase_Click();
    void mnuToolsFormatLowercase_Click();
    void mnuToolsFormatPropercase_Click();

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
    void mnuInsertHyperlink_Click();
    void mnuInsertTableTable_Click();
    // Connects the items above; run once while the menus are built.
    void connectFormatAndInsertMenus();

    // ---- Side panel and panes ----
    // The panel's own tab strip (tabs "file", "html", "script", "project") and what it holds.
    QTabWidget* tbsMain = nullptr;
    SplitterBar* picSplitter = nullptr;   // between the panel and the documents
    SplitterBar* picHSplitter = nullptr;  // between the folder tree and the file list
    PaneTree* treMain = nullptr;          // folder tree
    FileListView* filList = nullptr;      // file list
    FileListBox* files = nullptr;         // the folder and pattern the file list shows
    ResourceTree* treTags = nullptr;
    ResourceTree* treScript = nullptr;
    QLineEdit* txtProjects = nullptr;
    QWidget* picProjectTbr = nullptr;
    Toolbar* tbrProjects = nullptr;
    QListWidget* lstProjects = nullptr;
    // The file list's pop-up menu.
    QMenu* mnuFileList = nullptr;
    QMenu* mnuFileListFilters = nullptr;
    QMenu* mnuFileListView = nullptr;
    QVector<QAction*> mnuFileListFilter;     // 10 filters, hidden until the settings name them
    QVector<QAction*> mnuFileListViewStyle;  // 0 "Small Icons", 1 "List", 2 "Details"
    QAction* mnuFileListOpen = nullptr;
    QAction* mnuFileListInsert = nullptr;
    QAction* mnuFileListDelete = nullptr;
    QAction* mnuFileListRename = nullptr;
    QAction* mnuFileListProperties = nullptr;
    // Key of the folder node whose folder the file list shows; "" when none.
    QString currentFolderKey;

    // populateFileList() (declared above) refills the file list from `files`.
    void files_PathChange();
    void filList_DblClick();
    void mnuFileListOpen_Click();
    void mnuFileListInsert_Click();
    void mnuFileListDelete_Click();
    void mnuFileListRename_Click();
    void mnuFileListProperties_Click();
    void mnuFileListFilter_Click(int index);
    void filList_Click();
    void filList_ColumnClick(int column);
    void filList_KeyDown(int& keyCode, int shift);
    void filList_MouseUp(int button, int shift, int x, int y);
    // Renames the edited item (the selected one when none is being edited); cancel keeps the old name.
    void filList_AfterLabelEdit(int& cancel, const QString& newString);
    // The path of the file list's selected file, "" when none is selected.
    QString selectedFileListPath() const;

    void treMain_Expand(QTreeWidgetItem* node);
    void treMain_Collapse(QTreeWidgetItem* node);
    void treMain_MouseUp(int button, int shift, int x, int y);
    void treMain_KeySelect();
    void treMain_LostFocus();
    void treMain_Click();
    void treMain_BeforeLabelEdit(int& cancel);
    // Renames the folder of `node` (the selected node when null); cancel keeps the old name.
    void treMain_AfterLabelEdit(int& cancel, const QString& newString, QTreeWidgetItem* node = nullptr);
    void tbsMain_Click();

    // ---- Tag tree, script tree and the View menu's pane items (maintrees.cpp) ----
    // The user's custom tags: read at start, written whenever they change.
    CustomTags customTags;
    // Build the trees from html.dat and script.dat, the tag tree once, the script tree until a
    // load succeeds.
    void loadTagTree();
    void loadScriptTree();
    // The tag tree's "Custom Tags" root; null before the tree is built.
    QTreeWidgetItem* customTagsRoot() const;
    void treTags_Click();
    void treTags_DblClick();
    void treTags_KeyDown(QChar typed);
    void treTags_LostFocus();
    void treTags_MouseUp(int button, int shift, int x, int y);
    void treScript_DblClick();
    void mnuOptionsFileExplorer_Click();
    void mnuOptionsHtmlExplorer_Click();
    void mnuOptionsJavascriptExplorer_Click();
    void mnuOptionsProjectExplorer_Click();

    // ---- Projects (mainprojects.cpp) ----
    void mnuFileNewProject_Click();
    void mnuFileOpenProject_Click();
    void tbrProjects_ButtonClick(const QString& key);
    void txtProjects_Change();
    void lstProjects_DblClick();
    void lstProjects_MouseUp(int button, int shift, int x, int y);
    // The open project as its file holds it (all empty when none is open).
    const Project& project() const { return project_; }
    // Writes `changed` as the open project's file; once written it is the open project and the
    // pane shows it. A failed write is reported and changes nothing.
    bool saveProject(const Project& changed);
    // The paths of the project list's selected items, in list order.
    QStringList selectedProjectFiles() const;
    // The only document when it is a new one nobody has touched, else nullptr.
    DocumentWindow* loneUntitledDocument() const;
    // True when it is known whether there is such a document; false when the only document is
    // a new one in Design whose page has not told what was typed into it yet, and `again`
    // runs once it has (or could not, which leaves the document taken as touched).
    bool whenLoneUntitledKnown(std::function<void()> again);
    // Closes the only document when it is a new one nobody has touched, so opened files take
    // its place, then runs `then` (later, when its design view has to answer first).
    void closeLoneUntitledDocument(std::function<void()> then);

    // ---- Drag and drop (maindragdrop.cpp) ----
    // The folders the dragged files come from and are dropped on, each ending in "/".
    QString dragDropPath1;
    QString dragDropPath2;
    int dragButton = 0;              // the button of the last drag: 1 left, 2 right
    QStringList draggedFileNames;    // the items of the last drag, in list order
    // Starts a drag of the file list's selected items.
    void filList_StartDrag(int button);
    void treMain_DragOver(QDragMoveEvent* event);
    void treMain_DragDrop(QDropEvent* event);
    void MDIForm_DragOver(QDragMoveEvent* event);
    void MDIForm_DragDrop(QDropEvent* event);
    // Moves (or copies) draggedFileNames from dragDropPath1 to dragDropPath2, the last item
    // first, asking before each file that would be replaced.
    void transferDraggedFiles(bool move);
    // Opens dropped files in documents, as File > Open does.
    void openDroppedFiles(const QStringList& paths);
    // A document whose file moved goes on under the file's new name.
    void documentFollowsFile(DocumentWindow* doc, const QString& newPath);

    // Splitters. The panel's width in twips (what "FileListWidth" keeps).
    int picFileWidth() const;
    void setPicFileWidth(int twips);
    void picHSplitter_MouseDown(int button, int shift, int x, int y);
    void picHSplitter_MouseMove(int button, int shift, int x, int y);
    void picHSplitter_MouseUp(int button, int shift, int x, int y);
    void picSplitter_MouseDown(int button, int shift, int x, int y);
    void picSplitter_MouseMove(int button, int shift, int x, int y);
    void picSplitter_MouseUp(int button, int shift, int x, int y);
    QRubberBand* splitterBar() const { return splitterBand_; }
    // Hides the tool windows while the main window is minimised and shows them again after.
    void MDIForm_Resize();

    // ---- Tag toolbars, their headers and the colour bar (maintoolbars.cpp, maincolor.cpp) ----
    QVector<TagTab*> picTab;  // headers 0 to 7
    Toolbar* tbrBasic = nullptr;
    Toolbar* tbrFont = nullptr;
    Toolbar* tbrList = nullptr;
    Toolbar* tbrForm = nullptr;
    Toolbar* tbrTable = nullptr;
    Toolbar* tbrFrame = nullptr;
    Toolbar* tbrAdvanced = nullptr;
    ColorBar* picColor = nullptr;
    // The chosen header; each of headers 1 to 6 refreshes its toolbar the first time it shows.
    quint8 selectedTagTab = 0;
    bool tagToolbarShown[8] = {};
    // The tag toolbar of header 0 to 6 (nullptr for 7, which shows picColor and tbrColor).
    Toolbar* tagToolbar(int index) const;
    // Shows or hides what the chosen header stands for.
    void showTagToolbar(bool visible);
    void picTab_MouseDown(int index);
    void tbrBasic_ButtonClick(const QString& key);
    void tbrFont_ButtonClick(const QString& key);
    void tbrList_ButtonClick(const QString& key);
    void tbrForm_ButtonClick(const QString& key);
    void tbrTable_ButtonClick(const QString& key);
    void tbrFrame_ButtonClick(const QString& key);
    void tbrAdvanced_ButtonClick(const QString& key);
    // "Body": the page's body tag in its dialog, or the dialog for a new one.
    void tbrBasicBody_Click();
    // Opens the quick table grid under the right end of the Table toolbar.
    void showQuickTable();
    void lblColor_Click(qint16 index);
    void lblCustomColor_MouseUp(qint16 index, int button);
    // Reads the custom squares' colours from the settings.
    void loadCustomColors();

    // ---- View menu: toolbar area, status bar, side panel (mainview.cpp) ----
    void mnuOptionsToolbar_Click();
    void mnuOptionsStatusbar_Click();
    void mnuOptionsFileList_Click();

    // ---- Tools ----
    void connectToolsCommands();
    void mnuEditFindReplace_Click();
    void mnuToolsSpell_Click();
    // Color Palette: a colour from the picker typed into the source; and colour coding on, off,
    // anew (maincolor.cpp).
    void mnuToolsColorPicker_Click();
    void mnuToolsColorCodeYes_Click();
    void mnuToolsColorCodeNo_Click();
    void mnuToolsColorCodeRefresh_Click();
    void mnuToolsChangeTagCase_Click();
    void mnuToolsRemoveTags_Click();
    void mnuEditExtendedReplace_Click();
    void mnuFileOpenFromWeb_Click();
    void mnuToolsFileDependencies_Click();
    void mnuToolsImageBrowser_Click();

    // ---- Helper applications, help and window arrangement (mainhelpers.cpp) ----
    void connectHelperCommands();
    // Starts browser index + 1 with the active document; unset, it offers the options dialog.
    void mnuToolsHelperAppsBrowser_Click(int index);
    void mnuToolsHelperFtp_Click();
    void mnuToolsHelperImage_Click();
    void mnuToolsHelperIsmap_Click();
    void mnuToolsHelperValidator_Click();
    void mnuHelpHtml4_Click();
    void mnuHelpCSS_Click();
    void mnuWindowCascade_Click();
    void mnuWindowTileHorizontally_Click();
    void mnuWindowTileVertically_Click();
    void mnuWindowArrangeIcons_Click();
    // The Window menu's items for the open documents, made anew each time the menu opens.
    QVector<QAction*> windowListItems;
    void showWindowList();

    // ---- File menu handlers ----
    void mnuFileNewBlank_Click();
    void mnuFileNewTemplate_Click(qint16 index);
    void mnuFileClose_Click();
    void mnuFileCloseAll_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileSaveAll_Click();
    void mnuFilePrintSource_Click();
    void mnuFilePrintBrowser_Click();
    void mnuFileExit_Click();
    void tbrMainA_ButtonClick(const QString& key);
    void tbrMainB_ButtonClick(const QString& key);
    // Keeps the "panel" button showing the side panel's state after a click on the toolbar.
    void tbrMainB_MouseUp();
    // Hooks the File menu's items to their handlers; run once while the menus are built.
    void connectFileCommands();
    // When set, printing writes a PDF file here instead of going to a printer: the print paths
    // can then run where no printer exists.
    QString printOutputFile;

    // A close of the program that waits for a document's design view to tell what was typed
    // into it, or for a document's close that waits so: it goes on by itself.
    bool closePending() const { return closePending_; }

signals:
    // A close of the program that was pending has ended: the program closes, or the user kept it.
    void pendingCloseSettled();

protected:
    void Form_Initialize() override { MDIForm_Initialize(); }
    void Form_Load() override { MDIForm_Load(); }
    void Form_Activate() override { MDIForm_Activate(); }
    void Form_Unload(int& cancel) override { MDIForm_Unload(cancel); }

private:
    void buildMenus();
    void buildWindow();
    // The headers, tag toolbars and colour bar in the toolbar area, and the View and colour items.
    void buildTagToolbars();
    void connectViewAndColorCommands();
    void arrangeToolbars();
    void runTagButton(int toolbar, const QString& key);
    void buildViewToolbars();
    void watchLastDocument();
    // The tag headers and the selected tag toolbar give way to the design and browse rows.
    void showTagArea(bool shown);
    void showDesignColorButtons(bool shown);
    void showViewChecks(int mode);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     const QKeySequence& shortcut = QKeySequence());

    struct TabInfo {
        DocumentWindow* window;
        QString key;
    };
    QVector<TabInfo> tabs_;  // parallel to tbsPop's tabs
    QMdiArea* mdi_ = nullptr;
    QOpenGLWidget* webViewSurface_ = nullptr;
    QVector<QLabel*> panels_;
    QHash<QString, QAction*> items_;

    // ---- Settings, start-up and shut-down ----
private:
    void MDIForm_Initialize();
    void MDIForm_Load();
    void MDIForm_Activate();
    void MDIForm_Unload(int& cancel);
    // Opens the files named on the command line, one per turn, then runs `then`.
    void openCommandLineFiles(std::function<void()> then);
    // What the first activation does once the command-line files have opened.
    void finishFirstActivation();
    void loadSettings();
    void saveSettings();
    void writeSettings();
    void createTemplates();
    void showDataFileNotices();
    void askBrowserAndDesigner();
    void connectStartupItems();
    // Puts path at the head of File > Reopen.
    void addRecentFile(const QString& path);
    void showRecentItems();

    int firstActivation_ = 0;
    bool closePending_ = false;
    bool resumingClose_ = false;
    void setClosePending(bool pending);
    QString settingsReadProblem_;  // told at the first activation

    // ---- Helper applications (private) ----
    void startHelper(const QString& key);
    void showHelpFile(const QString& name);

    // ---- Side panel and panes (private) ----
    QWidget* buildSidePanel();
    void buildFileListMenu();
    void expandFolderNode(QTreeWidgetItem* node, const FolderListing* listing = nullptr);
    QTreeWidgetItem* currentFolderNode() const;
    int widestPanel() const;
    void makeCurrentFolder(QTreeWidgetItem* node);
    // The selected node's folder becomes the current one and fills the file list.
    void openSelectedFolder();
    QVector<Volume> volumes_;
    QPersistentModelIndex currentFolderIndex_;
    int panelWidthTwips_ = 3000;   // as last given, while the panel keeps that width
    int hSplitterTop_ = 233;       // pixels, as last asked; the layout keeps it inside the panel
    double hSplitterTopTwips_ = 3500;
    bool laying_ = false;
    QRubberBand* splitterBand_ = nullptr;
    int splitterGrabX_ = 0;
    bool splitterDragging_ = false;
    int lastWindowState_ = 0;
    QVector<QPointer<Form>> minimisedTools_;
    // Tag and script trees.
    void connectTreeCommands();
    void selectPanelTab(int tab);
    void showPanelIfHidden();
    bool tagTreeLoaded_ = false;
    bool scriptTreeLoaded_ = false;
    TagTypeAhead typeAhead_;
    // Drag and drop.
    void connectDragAndDrop();
    void watchDocumentAreaDrops();
    // Projects.
    void connectProjectCommands();
    void showProject();
    void openProject(const QString& path, const Project& opened, const TextFormat& format);
    bool writeProject(const Project& changed, bool reportRepeats);
    Project project_;
    TextFormat projectFormat_;
    bool projectWriteFailed_ = false;
};

}  // namespace kavrin
