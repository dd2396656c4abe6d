#include "mainwindow/mdiMain.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QPainter>
#include <QVBoxLayout>

#include "documents/docfile.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/progress.h"
#include "mainwindow/frmSettings.h"
#include "mainwindow/toolbararea.h"
#include "platform/forms/msgbox.h"

namespace kavrin {

namespace {

QIcon notSavedIcon() {
    QPixmap pixmap(10, 10);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0xd0, 0x30, 0x30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(1, 1, 8, 8);
    return QIcon(pixmap);
}

}  // namespace

mdiMain::mdiMain(QWidget* parent) : Form(parent) {
    setObjectName("mdiMain");
    setCaption(appTitle);
    buildWindow();
    connectToolsCommands();
    connectViewAndColorCommands();
}

mdiMain::~mdiMain() {
    if (Form::mdiArea() == mdi_) Form::setMdiArea(nullptr);
    if (mainWindow == this) mainWindow = nullptr;
}

QAction* mdiMain::addItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    items_.insert(name, action);
    return action;
}

QAction* mdiMain::item(const QString& name) const { return items_.value(name); }

void mdiMain::buildMenus() {
    auto submenu = [this](QMenu* parent, const QString& name, const QString& caption) {
        QMenu* menu = parent ? parent->addMenu(caption) : menuBar->addMenu(caption);
        menu->setObjectName(name);
        items_.insert(name, menu->menuAction());
        return menu;
    };
    // A run of plain items, in order.
    auto addItems = [this](QMenu* menu, std::initializer_list<std::pair<const char*, const char*>> entries) {
        for (const auto& [name, caption] : entries) addItem(menu, name, caption);
    };
    // The items of a control array: name0, name1, ... with 1, 2, ... after the caption.
    auto numberedItems = [this](QMenu* menu, const QString& name, const QString& caption, int count) {
        QVector<QAction*> actions;
        for (int i = 0; i < count; ++i)
            actions << addItem(menu, name + QString::number(i), caption + QString::number(i + 1));
        return actions;
    };

    QMenu* file = submenu(nullptr, "mnuFile", tr("&File"));
    QMenu* fileNew = submenu(file, "mnuFileNew", "&New");
    addItem(fileNew, "mnuFileNewBlank", "&Blank Document", QKeySequence("Ctrl+N"));
    fileNew->addSeparator();
    mnuFileNewTemplate += numberedItems(fileNew, "mnuFileNewTemplate", "Template ", 6);
    addItem(file, "mnuFileOpen", "&Open...", QKeySequence("Ctrl+O"));
    QMenu* reopen = submenu(file, "mnuFileReopen", "&Reopen");
    for (int i = 0; i < 10; ++i) {
        QAction* a = addItem(reopen, "mnuFileReopenArr" + QString::number(i), QString());
        a->setVisible(false);
        mnuFileReopenArr << a;
    }
    addItem(file, "mnuFileOpenFromWeb", "Open From &Web");
    file->addSeparator();
    addItem(file, "mnuFileNewProject", "New Projec&t...");
    addItem(file, "mnuFileOpenProject", "Open Pro&ject...");
    file->addSeparator();
    addItem(file, "mnuFileClose", "&Close");
    addItem(file, "mnuFileCloseAll", "C&lose All");
    file->addSeparator();
    addItem(file, "mnuFileSave", "&Save", QKeySequence("Ctrl+S"));
    addItem(file, "mnuFileSaveAs", "Save &As...");
    addItem(file, "mnuFileSaveAll", "Sa&ve All");
    file->addSeparator();
    addItem(file, "mnuFilePrintSource", "&Print Source");
    addItem(file, "mnuFilePrintBrowser", "Print &Browser View");
    file->addSeparator();
    addItem(file, "mnuFileExit", "&Exit");

    QMenu* edit = submenu(nullptr, "mnuEdit", "&Edit");
    addItem(edit, "mnuEditUndo", "&Undo", QKeySequence("Ctrl+Z"));
    addItem(edit, "mnuEditRedo", "&Redo", QKeySequence("Ctrl+Y"));
    edit->addSeparator();
    addItem(edit, "mnuEditCut", "&Cut", QKeySequence("Ctrl+X"));
    addItem(edit, "mnuEditCopy", "C&opy", QKeySequence("Ctrl+C"));
    addItem(edit, "mnuEditPaste", "&Paste", QKeySequence("Ctrl+V"));
    addItem(edit, "mnuEditSelectAll", "&Select All", QKeySequence("Ctrl+A"));
    edit->addSeparator();
    addItem(edit, "mnuEditFindReplace", "&Find/Replace...", QKeySequence("Ctrl+F"));
    addItem(edit, "mnuEditExtendedReplace", "&Extended Replace...");
    edit->addSeparator();
    addItem(edit, "mnuEditIndent", "&Indent");
    addItem(edit, "mnuEditUnindent", "&Unindent");
    edit->addSeparator();
    addItem(edit, "mnuEditGotoLine", "Go to &Line", QKeySequence("Ctrl+G"));

    QMenu* view = submenu(nullptr, "mnuOptions", "&View");
    addItem(view, "mnuOptionsToolbar", "&Toolbar")->setCheckable(true);
    addItem(view, "mnuOptionsStatusbar", "&Status Bar")->setCheckable(true);
    addItem(view, "mnuOptionsFileList", "&Resource Panel")->setCheckable(true);
    view->addSeparator();
    addItems(view, {{"mnuOptionsFileExplorer", "&File Explorer"}, {"mnuOptionsHtmlExplorer", "&HTML Explorer"},
                    {"mnuOptionsJavascriptExplorer", "&JavaScript Explorer"},
                    {"mnuOptionsProjectExplorer", "&Project Explorer"}});
    view->addSeparator();
    for (const auto& [name, caption] : {std::pair{"mnuViewEdit", "&Edit"}, {"mnuViewBrowse", "&Browse"},
                                        {"mnuViewDesign", "&Design"}}) {
        QAction* a = addItem(view, name, caption);
        a->setCheckable(true);
        a->setEnabled(false);
    }

    QMenu* format = submenu(nullptr, "mnuFormat", "F&ormat");
    addItem(format, "mnuFormatFont", "&Font");
    QMenu* heading = submenu(format, "mnuFormatHeading", "&Heading");
    mnuFormatHeadingArr += numberedItems(heading, "mnuFormatHeadingArr", "Heading &", 6);
    format->addSeparator();
    addItems(format, {{"mnuFormatBold", "&Bold"}, {"mnuFormatItalics", "&Italics"},
                      {"mnuFormatBoldAndItalics", "B&old And Italics"}, {"mnuFormatBig", "Bi&g"},
                      {"mnuFormatSmall", "&Small"}, {"mnuFormatStrike", "Stri&kethrough"},
                      {"mnuFormatSub", "S&ubscript"}, {"mnuFormatSup", "Sup&erscript"}, {"mnuFormatTT", "&True Type"},
                      {"mnuFormatUnderline", "Under&line"}, {"mnuFormatPre", "&Preformatted Text"}});

    QMenu* insert = submenu(nullptr, "mnuInsert", "&Insert");
    addItems(insert, {{"mnuInsertP", "&Paragraph Break"}, {"mnuInsertBr", "Line &Break"},
                      {"mnuInsertDiv", "Text &Division"}, {"mnuInsertHr", "H&orizontal Line"},
                      {"mnuInsertComment", "&Comment"}});
    insert->addSeparator();
    addItems(insert, {{"mnuInsertImage", "&Image"}, {"mnuInsertHyperlink", "&Hyperlink"},
                      {"mnuInsertSymbol", "&Symbol"}});
    QMenu* list = submenu(insert, "mnuInsertList", "&List");
    addItems(list, {{"mnuInsertListList", "List &Wizard"}, {"mnuInsertListItem", "List &Item"},
                    {"mnuInsertDefinitionTerm", "Definition &Term"}, {"mnuInsertDefinitionData", "Definition &Data"}});
    QMenu* form = submenu(insert, "mnuInsertForm", "&Form");
    addItem(form, "mnuInsertFormForm", "&Form");
    addItem(form, "mnuInsertFormElement", "Form &Element");
    QMenu* table = submenu(insert, "mnuInsertTable", "&Table");
    addItems(table, {{"mnuInsertTableTable", "&Table"}, {"mnuInsertTableRow", "Table &Row"},
                     {"mnuInsertTableHeading", "Table &Heading"}, {"mnuInsertTableData", "Table &Data"}});
    QMenu* frame = submenu(insert, "mnuInsertFrame", "F&rame");
    addItems(frame, {{"mnuInsertFrameset", "&Frameset"}, {"mnuInsertFrameFrame", "F&rame"},
                     {"mnuInsertFloatingFrame", "Fl&oating Frame"}});
    QMenu* advanced = submenu(insert, "mnuInsertAdvanced", "&Advanced");
    addItems(advanced, {{"mnuInsertApplet", "&Java Applet"}, {"mnuInsertParam", "Applet &Parameter"},
                        {"mnuInsertMarquee", "&Marquee"}, {"mnuInsertScript", "&Script"},
                        {"mnuInsertMeta", "&Meta Information"}});

    QMenu* tools = submenu(nullptr, "mnuTools", "&Tools");
    addItem(tools, "mnuToolsSpell", "&Spell Check...", QKeySequence("F7"));
    addItem(tools, "mnuToolsChangeTagCase", "Change Tag &Case...");
    addItem(tools, "mnuToolsRemoveTags", "Strip &HTML Tags...");
    QMenu* formatting = submenu(tools, "mnuToolsFormat", "&Formatting");
    addItems(formatting, {{"mnuToolsFormatUppercase", "Set Selection &Uppercase"},
                          {"mnuToolsFormatLowercase", "Set Selection &Lowercase"},
                          {"mnuToolsFormatPropercase", "Set Selection &Propercase"}});
    tools->addSeparator();
    addItems(tools, {{"mnuToolsColorPicker", "Color &Palette"}, {"mnuToolsImageBrowser", "&Image Browser"},
                     {"mnuToolsFileDependencies", "File &Dependencies..."}, {"mnuToolsTableWizard", "Tab&le Wizard"},
                     {"mnuToolsListWizard", "Lis&t Wizard"}});
    QMenu* colorCode = submenu(tools, "mnuToolsColorCode", "&Color Code Document");
    addItem(colorCode, "mnuToolsColorCodeYes", "Yes")->setCheckable(true);
    addItem(colorCode, "mnuToolsColorCodeNo", "No")->setCheckable(true);
    addItem(colorCode, "mnuToolsColorCodeRefresh", "Refresh");
    tools->addSeparator();
    QMenu* helpers = submenu(tools, "mnuToolsHelperApps", "Helper &Applications");
    addItems(helpers, {{"mnuToolsHelperFtp", "&FTP Client"}, {"mnuToolsHelperImage", "&Image Editor"},
                       {"mnuToolsHelperIsmap", "Image&map Editor"}, {"mnuToolsHelperValidator", "&HTML Validator"}});
    helpers->addSeparator();
    mnuToolsHelperAppsBrowser += numberedItems(helpers, "mnuToolsHelperAppsBrowser", "Web Browser ", 4);
    tools->addSeparator();
    addItem(tools, "mnuToolsOptions", "&Options...");

    QMenu* window = submenu(nullptr, "mnuWindow", "&Window");
    addItems(window, {{"mnuWindowCascade", "&Cascade"}, {"mnuWindowTileHorizontally", "Tile &Horizontally"},
                      {"mnuWindowTileVertically", "Tile &Vertically"}, {"mnuWindowArrangeIcons", "&Arrange Icons"}});

    QMenu* help = submenu(nullptr, "mnuHelp", "&Help");
    addItem(help, "mnuHelpHtml4", "WDG HTML &4.0 Reference");
    addItem(help, "mnuHelpCSS", "WDG &CSS Reference");
    help->addSeparator();
    addItem(help, "mnuHelpTips", "Kavrin &Tips");
    help->addSeparator();
    addItem(help, "mnuHelpAbout", "&About Kavrin");

    // The editor's pop-up menu.
    mnuPopup = new QMenu(this);
    mnuPopup->setObjectName("mnuPopup");
    addItem(mnuPopup, "mnuPopupUndo", "Undo");
    addItem(mnuPopup, "mnuPopupRedo", "Redo");
    mnuPopup->addSeparator();
    addItems(mnuPopup, {{"mnuPopupCut", "Cut"}, {"mnuPopupCopy", "Copy"}, {"mnuPopupPaste", "Paste"}});
    mnuPopup->addSeparator();
    addItem(mnuPopup, "mnuPopupIndent", "Indent");
    addItem(mnuPopup, "mnuPopupUnindent", "Unindent");
    mnuPopup->addSeparator();
    addItem(mnuPopup, "mnuPopupEditTag", "Edit Tag");

#define KAVRIN_BIND_ITEM(name) name = items_.value(QStringLiteral(#name));
    KAVRIN_MAIN_MENU_ITEMS(KAVRIN_BIND_ITEM)
#undef KAVRIN_BIND_ITEM

    // Items that wait for a document start disabled; the document-state operations switch them.
    for (QAction* a : {mnuFileClose, mnuFileCloseAll, mnuFileSave, mnuFileSaveAs, mnuFileSaveAll,
                       mnuFilePrintSource, mnuWindowCascade, mnuWindowTileHorizontally, mnuWindowTileVertically,
                       mnuWindowArrangeIcons, mnuToolsColorCodeRefresh, mnuEditUndo, mnuEditRedo, mnuEditCut,
                       mnuEditCopy, mnuEditPaste, mnuEditSelectAll, mnuEditFindReplace, mnuEditIndent,
                       mnuEditUnindent, mnuEditGotoLine, mnuPopupUndo, mnuPopupRedo, mnuPopupCut, mnuPopupCopy,
                       mnuPopupPaste, mnuPopupIndent, mnuPopupUnindent, mnuToolsChangeTagCase, mnuToolsRemoveTags,
                       mnuToolsColorCode, mnuToolsSpell, mnuToolsFileDependencies, mnuToolsFormat})
        a->setEnabled(false);
    mnuToolsColorCodeNo->setChecked(true);

    connectFileCommands();
    connectHelperCommands();
    connectEditCommands();
    connectFormatAndInsertMenus();
}

void mdiMain::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    buildMenus();
    connectOptionsCommand(this);

    picTools = new ToolbarArea(this);
    tbrMainA = new Toolbar("tbrMainA", picTools);
    tbrMainA->addButton("new", "New", "document-new");
    tbrMainA->addButton("open", "Open", "document-open");
    tbrMainA->addButton("save", "Save", "document-save");
    tbrMainA->addButton("saveall", "Save All", "document-save-all");
    tbrMainA->addSeparator();
    tbrMainA->addButton("cut", "Cut", "edit-cut");
    tbrMainA->addButton("copy", "Copy", "edit-copy");
    tbrMainA->addButton("paste", "Paste", "edit-paste");
    tbrMainA->addButton("print", "Print", "document-print");
    tbrMainB = new Toolbar("tbrMainB", picTools);
    tbrMainB->addButton("spell", "Spell Check", "tools-check-spelling");
    tbrMainB->addButton("panel", "Resource Panel", "sidebar-show", true);
    tbrMainB->addButton("find", "Find/Replace", "edit-find-replace");
    tbrMainB->addButton("ie", "Preview in Browser", "web-browser");
    tbrMainB->addSeparator();
    tbrMainB->addButton("indent", "Indent", "format-indent-more");
    tbrMainB->addButton("unindent", "Unindent", "format-indent-less");
    tbrMainB->addButton("undo", "Undo", "edit-undo");
    tbrMainB->addButton("redo", "Redo", "edit-redo");
    for (const char* key : {"save", "saveall", "cut", "copy", "paste", "print", "indent", "unindent", "find",
                            "spell", "undo", "redo"}) {
        tbrMainA->setButtonEnabled(key, false);
        tbrMainB->setButtonEnabled(key, false);
    }
    connect(tbrMainA, &Toolbar::ButtonClick, this, &mdiMain::tbrMainA_ButtonClick);
    connect(tbrMainB, &Toolbar::ButtonClick, this, &mdiMain::tbrMainB_ButtonClick);
    picTools->setMainToolbars(tbrMainA, tbrMainB);
    buildTagToolbars();
    buildViewToolbars();
    layout->addWidget(picTools);

    auto* middle = new QHBoxLayout();
    middle->setSpacing(0);
    middle->addWidget(buildSidePanel());
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName("mdiArea");
    mdi_->setBackground(QColor(0x80, 0x80, 0x80));
    middle->addWidget(mdi_, 1);
    layout->addLayout(middle, 1);
    Form::setMdiArea(mdi_);
    watchLastDocument();

    picPop = new QWidget(this);
    picPop->setObjectName("picPop");
    auto* popLayout = new QHBoxLayout(picPop);
    popLayout->setContentsMargins(0, 0, 0, 0);
    tbsPop = new QTabBar(picPop);
    tbsPop->setObjectName("tbsPop");
    tbsPop->setExpanding(false);
    tbsPop->setShape(QTabBar::RoundedSouth);
    tbsPop->setMovable(false);
    // Its tabs are picked with the mouse; the keyboard stays with the document picked.
    tbsPop->setFocusPolicy(Qt::NoFocus);
    {
        // The strip keeps the height of a tab with the not-saved mark, so that the mark coming
        // and going does not resize the editor: Qt lays a resized page out again line by line.
        QTabBar probe;
        probe.setShape(QTabBar::RoundedSouth);
        probe.addTab(notSavedIcon(), QStringLiteral("x"));
        tbsPop->setMinimumHeight(probe.sizeHint().height());
    }
    popLayout->addWidget(tbsPop);
    popLayout->addStretch(1);
    picPop->setVisible(false);
    layout->addWidget(picPop);
    connect(tbsPop, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0) tbsPop->setCurrentIndex(index);
        tbsPop_Click();
    });

    stbMain = new QStatusBar(this);
    stbMain->setObjectName("stbMain");
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(stbMain);
        panel->setMinimumWidth(i == 0 ? 200 : 90);
        panels_ << panel;
        if (i == 0) stbMain->addWidget(panel, 1);
        else stbMain->addPermanentWidget(panel);
    }
    picPbr = new ProgressBox(stbMain);
    stbMain->addPermanentWidget(picPbr);
    lblCursorPos = new QLabel(stbMain);
    lblCursorPos->setObjectName("lblCursorPos");
    lblCursorPos->setMinimumWidth(120);
    stbMain->addPermanentWidget(lblCursorPos);
    layout->addWidget(stbMain);
}

QLabel* mdiMain::stbPanel(int index) const {
    return index >= 1 && index <= panels_.size() ? panels_[index - 1] : nullptr;
}

DocumentWindow* mdiMain::activeDocument() const { return kavrin::activeDocument(); }

void mdiMain::prepareForWebViews() {
    if (webViewSurface_) return;
    const QOpenGLContext* shared = QOpenGLContext::globalShareContext();
    if (!shared || !shared->isValid()) return;
    // A texture-drawn child, never shown, makes the window one that composes through OpenGL.
    webViewSurface_ = new QOpenGLWidget(this);
    webViewSurface_->setObjectName(QStringLiteral("webViewSurface"));
    webViewSurface_->setAttribute(Qt::WA_DontShowOnScreen);
    webViewSurface_->hide();
}

// ---- Document task bar ---------------------------------------------------------------------------

void mdiMain::addDocumentTab(DocumentWindow* doc, const QString& key, const QString& caption) {
    if (documentTabIndex(doc) >= 0) return;
    tabs_.push_back({doc, key});
    const int index = tbsPop->addTab(caption);
    tbsPop->setTabToolTip(index, key);
}

int mdiMain::documentTabIndex(DocumentWindow* doc) const {
    for (int i = 0; i < tabs_.size(); ++i)
        if (tabs_[i].window == doc) return i;
    return -1;
}

int mdiMain::removeDocumentTab(DocumentWindow* doc) {
    const int index = documentTabIndex(doc);
    if (index < 0) return -1;
    tabs_.removeAt(index);
    const QSignalBlocker block(tbsPop);
    tbsPop->removeTab(index);
    return index;
}

void mdiMain::renameDocumentTab(DocumentWindow* doc) {
    const int index = documentTabIndex(doc);
    if (index < 0) return;
    const QString key = QString(doc->filePath).replace('\\', '/');
    tabs_[index].key = key;
    const int slash = key.lastIndexOf('/');
    tbsPop->setTabText(index, slash >= 0 ? key.mid(slash + 1) : key);
    tbsPop->setTabToolTip(index, key);
}

void mdiMain::selectDocumentTab(DocumentWindow* doc) {
    const int index = documentTabIndex(doc);
    if (index < 0 || tbsPop->currentIndex() == index) return;
    const QSignalBlocker block(tbsPop);
    tbsPop->setCurrentIndex(index);
}

void mdiMain::setDocumentTabSaved(DocumentWindow* doc, bool saved) {
    const int index = documentTabIndex(doc);
    if (index < 0) return;
    static const QIcon icon = notSavedIcon();
    tbsPop->setTabIcon(index, saved ? QIcon() : icon);
}

QString mdiMain::documentTabKey(int index) const {
    return index >= 0 && index < tabs_.size() ? tabs_[index].key : QString();
}

void mdiMain::showTaskBarStrip(bool on) {
    picPop->setVisible(on && showTaskBar && showStatusbar);
}

void mdiMain::tbsPop_Click() {
    const int index = tbsPop->currentIndex();
    if (index < 0 || index >= tabs_.size()) return;
    bringDocumentForward(tabs_[index].window);
}

void mdiMain::bringDocumentForward(DocumentWindow* doc) {
    if (!doc || !doc->subWindow() || doc->isUnloading()) return;
    mdi_->setActiveSubWindow(doc->subWindow());
    // The sub-window gives the keyboard back only when it was not active already, and never
    // takes it from a control of the main window that was clicked to get here.
    doc->focusCurrentView();
}

// View states and the design and browse toolbars: mainviews.cpp and designtoolbars.cpp.

// ---- Handlers ----------------------------------------------------------------------------------

// File menu handlers and the main toolbars: mainfile.cpp.

// Start-up, shut-down and the settings: mainstartup.cpp and mainsettings.cpp.

}  // namespace kavrin
