// The main window's side panel: its layout and splitters, the folder tree, the file list and the
// file commands.
#include <QDir>
#include <cmath>
#include <memory>
#include <QEvent>
#include <QLocale>
#include <QMdiArea>
#include <QStatusBar>
#include <QTabBar>
#include <QWindowStateChangeEvent>

#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "panes/fileitems.h"
#include "panes/frmMenu.h"
#include "panes/tagdialogcalls.h"
#include "platform/forms/eventwatcher.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "platform/files/settingsstore.h"

namespace kavrin {

namespace {

enum NodeKind { RootNode = 1, VolumeNode, FolderNode, PlaceholderNode };

// Document windows the program keeps open at most ("100 windows" with the main window).
constexpr int kMaxDocuments = 99;
const QColor kSplitterColor(0xC0, 0xC0, 0xC0);

// While a spell check runs, clicks in the panes hand the focus to the spelling dialog.
void focusSpellingDialog() {
    for (Form* form : Form::forms()) {
        if (form->objectName() == QLatin1String("frmSpell") ||
            QLatin1String(form->metaObject()->className()) == QLatin1String("kavrin::frmSpell")) {
            form->raise();
            form->activateWindow();
            form->setFocus();
            return;
        }
    }
}

QString firstUpper(const QString& text) {
    return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

// "Str" of a number: non-negative numbers carry a leading blank for the sign.
QString basicStr(int n) { return n >= 0 ? QLatin1Char(' ') + QString::number(n) : QString::number(n); }

bool isUnder(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder == QLatin1String("/") ? folder : folder + QLatin1Char('/'));
}

QString lowerExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot >= 0 ? name.mid(dot + 1) : name).toLower();
}

}  // namespace

// ---- Building the panel ----------------------------------------------------------------------

QWidget* mdiMain::buildSidePanel() {
    auto* panel = new SidePanel(this);
    panel->setObjectName(QStringLiteral("picFile"));
    picFile = panel;
    panelWidthTwips_ = pixelsToTwips(200);
    panel->setFixedWidth(200);
    hSplitterTopTwips_ = 3500;
    hSplitterTop_ = twipsToPixels(hSplitterTopTwips_);

    tbsMain = new QTabWidget(panel);
    tbsMain->setObjectName(QStringLiteral("tbsMain"));
    tbsMain->setUsesScrollButtons(false);
    struct Tab {
        const char* key;
        const char* tip;
        const char* image;
    };
    for (const Tab& tab : {Tab{"file", "File Explorer", "file_explorer"}, Tab{"html", "HTML Explorer", "html_explorer"},
                           Tab{"script", "JavaScript Explorer", "script_explorer"},
                           Tab{"project", "Project Explorer", "project_explorer"}}) {
        const int index = tbsMain->addTab(new QWidget(), paneImage(QString::fromLatin1(tab.image)), QString());
        tbsMain->tabBar()->setTabData(index, QString::fromLatin1(tab.key));
        tbsMain->setTabToolTip(index, QString::fromLatin1(tab.tip));
    }
    connect(tbsMain, &QTabWidget::currentChanged, this, [this] { tbsMain_Click(); });

    // The panes lie over the tab strip's page area, in the order they are made.
    treMain = new PaneTree(panel);
    treMain->setObjectName(QStringLiteral("treMain"));
    picHSplitter = new SplitterBar(Qt::Horizontal, panel);
    picHSplitter->setObjectName(QStringLiteral("picHSplitter"));
    filList = new FileListView(panel);
    filList->setObjectName(QStringLiteral("filList"));
    treTags = new ResourceTree(panel);
    treTags->setObjectName(QStringLiteral("treTags"));
    treScript = new ResourceTree(panel);
    treScript->setObjectName(QStringLiteral("treScript"));
    txtProjects = new QLineEdit(panel);
    txtProjects->setObjectName(QStringLiteral("txtProjects"));
    picProjectTbr = new QWidget(panel);
    picProjectTbr->setObjectName(QStringLiteral("picProjectTbr"));
    tbrProjects = new Toolbar(QStringLiteral("tbrProjects"), picProjectTbr);
    picProjectTbr->resize(70, 26);
    lstProjects = new QListWidget(panel);
    lstProjects->setObjectName(QStringLiteral("lstProjects"));
    for (QWidget* w : {static_cast<QWidget*>(treTags), static_cast<QWidget*>(treScript),
                       static_cast<QWidget*>(txtProjects), picProjectTbr, static_cast<QWidget*>(lstProjects)})
        w->hide();
    picSplitter = new SplitterBar(Qt::Vertical, panel);
    picSplitter->setObjectName(QStringLiteral("picSplitter"));
    splitterBand_ = new QRubberBand(QRubberBand::Line, this);
    splitterBand_->hide();

    files = new FileListBox(this);
    connect(files, &FileListBox::PathChange, this, &mdiMain::files_PathChange);

    treMain->onMouseUp = [this](int button, int shift, int x, int y) { treMain_MouseUp(button, shift, x, y); };
    treMain->onLostFocus = [this] { treMain_LostFocus(); };
    treMain->onClick = [this] { treMain_Click(); };
    treMain->onKeySelect = [this] { treMain_KeySelect(); };
    treMain->onBeforeLabelEdit = [this](bool& cancel) {
        int c = 0;
        treMain_BeforeLabelEdit(c);
        cancel = c != 0;
    };
    treMain->onAfterLabelEdit = [this](bool& cancel, const QString& text, QTreeWidgetItem* node) {
        int c = 0;
        treMain_AfterLabelEdit(c, text, node);
        cancel = c != 0;
    };
    connect(treMain, &QTreeWidget::itemExpanded, this, &mdiMain::treMain_Expand);
    connect(treMain, &QTreeWidget::itemCollapsed, this, &mdiMain::treMain_Collapse);

    filList->onDblClick = [this] { filList_DblClick(); };
    filList->onClick = [this] { filList_Click(); };
    filList->onKeyDown = [this](int& keyCode, int shift) { filList_KeyDown(keyCode, shift); };
    filList->onMouseUp = [this](int button, int shift, int x, int y) { filList_MouseUp(button, shift, x, y); };
    filList->onColumnClick = [this](int column) { filList_ColumnClick(column); };
    filList->onAfterLabelEdit = [this](bool& cancel, const QString& text) {
        int c = 0;
        filList_AfterLabelEdit(c, text);
        cancel = c != 0;
    };

    picHSplitter->onMouseDown = [this](int b, int s, int x, int y) { picHSplitter_MouseDown(b, s, x, y); };
    picHSplitter->onMouseMove = [this](int b, int s, int x, int y) { picHSplitter_MouseMove(b, s, x, y); };
    picHSplitter->onMouseUp = [this](int b, int s, int x, int y) { picHSplitter_MouseUp(b, s, x, y); };
    picSplitter->onMouseDown = [this](int b, int s, int x, int y) { picSplitter_MouseDown(b, s, x, y); };
    picSplitter->onMouseMove = [this](int b, int s, int x, int y) { picSplitter_MouseMove(b, s, x, y); };
    picSplitter->onMouseUp = [this](int b, int s, int x, int y) { picSplitter_MouseUp(b, s, x, y); };
    panel->onResize = [this] { picFile_Resize(); };

    buildFileListMenu();
    connectTreeCommands();
    connectProjectCommands();
    connectDragAndDrop();

    // The window's own state changes, and clicks on the status bar once it exists.
    auto* watcher = new EventWatcher(this);
    watcher->watch = [this, watcher, statusWatched = false](QObject* watched, QEvent* event) mutable {
        if (watched == this) {
            if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::Resize) MDIForm_Resize();
            if (event->type() == QEvent::Show) watchDocumentAreaDrops();
            if (!statusWatched && stbMain && event->type() == QEvent::Show) {
                statusWatched = true;
                stbMain->installEventFilter(watcher);
            }
        } else if (watched == stbMain && event->type() == QEvent::MouseButtonRelease) {
            if (spellCheckRunning) focusSpellingDialog();
        }
    };
    installEventFilter(watcher);
    return panel;
}

void mdiMain::buildFileListMenu() {
    mnuFileList = new QMenu(this);
    mnuFileList->setObjectName(QStringLiteral("mnuFileList"));
    mnuFileListFilters = mnuFileList->addMenu(QStringLiteral("Filter"));
    mnuFileListFilters->setObjectName(QStringLiteral("mnuFileListFilters"));
    for (int i = 0; i < 10; ++i) {
        QAction* item = mnuFileListFilters->addAction(QString());
        item->setObjectName(QStringLiteral("mnuFileListFilter") + QString::number(i));
        item->setCheckable(true);
        item->setVisible(false);
        connect(item, &QAction::triggered, this, [this, i] { mnuFileListFilter_Click(i); });
        mnuFileListFilter << item;
    }
    mnuFileListView = mnuFileList->addMenu(QStringLiteral("View"));
    mnuFileListView->setObjectName(QStringLiteral("mnuFileListView"));
    const QStringList styles{QStringLiteral("Small Icons"), QStringLiteral("List"), QStringLiteral("Details")};
    for (int i = 0; i < styles.size(); ++i) {
        QAction* item = mnuFileListView->addAction(styles[i]);
        item->setObjectName(QStringLiteral("mnuFileListViewStyle") + QString::number(i));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i] { mnuFileListViewStyle_Click(i); });
        mnuFileListViewStyle << item;
    }
    mnuFileListViewStyle[2]->setChecked(true);
    mnuFileList->addSeparator();
    mnuFileListOpen = mnuFileList->addAction(QStringLiteral("Edit"));
    mnuFileListInsert = mnuFileList->addAction(QStringLiteral("Insert"));
    mnuFileListDelete = mnuFileList->addAction(QStringLiteral("Delete"));
    mnuFileListRename = mnuFileList->addAction(QStringLiteral("Rename"));
    mnuFileListProperties = mnuFileList->addAction(QStringLiteral("Properties"));
    connect(mnuFileListOpen, &QAction::triggered, this, &mdiMain::mnuFileListOpen_Click);
    connect(mnuFileListInsert, &QAction::triggered, this, &mdiMain::mnuFileListInsert_Click);
    connect(mnuFileListDelete, &QAction::triggered, this, &mdiMain::mnuFileListDelete_Click);
    connect(mnuFileListRename, &QAction::triggered, this, &mdiMain::mnuFileListRename_Click);
    connect(mnuFileListProperties, &QAction::triggered, this, &mdiMain::mnuFileListProperties_Click);
}

void mdiMain::showFileListFilters() {
    for (int i = 0; i < mnuFileListFilter.size(); ++i) {
        QAction* item = mnuFileListFilter[i];
        const bool named = i < fileFilters.size() && i < numFilters;
        if (named) item->setText(fileFilters[i].name);
        item->setVisible(named);
        item->setChecked(named && i == currentFilter - 1);
    }
    // The list stays on the filter the user chose; only a filter that no longer exists falls back.
    if (currentFilter < 1 || currentFilter > fileFilters.size()) currentFilter = 1;
    if (files && !fileFilters.isEmpty()) files->setPattern(fileFilters[currentFilter - 1].pattern);
}

QString mdiMain::fileListFolder() const { return files ? files->path() : QString(); }

QString mdiMain::selectedTreeFolder() const {
    QTreeWidgetItem* node = treMain ? treMain->selectedNode() : nullptr;
    const int kind = PaneTree::kind(node);
    return node && (kind == VolumeNode || kind == FolderNode) ? PaneTree::key(node) : QString();
}

void mdiMain::loadMenuForm() { frmMenuInstance(); }

// ---- Layout and splitters --------------------------------------------------------------------

void mdiMain::picFile_Resize() {
    if (!picFile || laying_) return;
    laying_ = true;
    // The panel's width is the one it was fixed to, whoever fixed it.
    int w = picFile->maximumWidth() < QWIDGETSIZE_MAX ? picFile->maximumWidth() : picFile->width();
    // Before the window is shown its size is not yet the one the user will see.
    if (isVisible()) {
        const int widest = widestPanel();
        if (w > widest) w = widest;
        if (w < 4) w = 4;
        if (picFile->maximumWidth() != w) picFile->setFixedWidth(w);
    }
    const int h = picFile->height();
    const int tab = tbsMain->currentIndex() + 1;
    const PanelGeometry g = layoutPanel(w, h, hSplitterTop_, tab, txtProjects->sizeHint().height(),
                                        picProjectTbr->size());
    tbsMain->setGeometry(g.tbsMain);
    picSplitter->setGeometry(g.picSplitter);
    picHSplitter->setGeometry(g.picHSplitter);
    lstProjects->setGeometry(g.lstProjects);
    txtProjects->setGeometry(g.txtProjects);
    picProjectTbr->move(g.picProjectTbr.topLeft());
    picProjectTbr->setVisible(g.picProjectTbrVisible);
    treMain->setGeometry(g.treMain);
    filList->setGeometry(g.filList);
    treTags->setGeometry(g.treTags);
    treScript->setGeometry(g.treTags);
    laying_ = false;
}

// Nine tenths of the window, less what the document area needs to stay usable.
int mdiMain::widestPanel() const {
    const int room = mdi_ ? width() - mdi_->minimumSizeHint().width() : width();
    return std::max(4, std::min(int(0.9 * width()), room));
}

// The sizes come back in the twips they were given as long as the panel keeps them, so what
// the settings hold does not drift from run to run.
int mdiMain::picFileWidth() const {
    const int pixels = picFile ? picFile->maximumWidth() : 0;
    return twipsToPixels(panelWidthTwips_) == pixels ? panelWidthTwips_ : pixelsToTwips(pixels);
}

void mdiMain::setPicFileWidth(int twips) {
    panelWidthTwips_ = std::max(0, twips);
    int pixels = std::max(4, twipsToPixels(panelWidthTwips_));
    // A panel wider than the window would push the window wider first.
    if (isVisible()) pixels = std::min(pixels, std::max(4, widestPanel()));
    if (picFile) picFile->setFixedWidth(pixels);
    picFile_Resize();
}

double mdiMain::picHSplitterTop() const {
    return twipsToPixels(int(hSplitterTopTwips_)) == hSplitterTop_ ? hSplitterTopTwips_
                                                                    : double(pixelsToTwips(hSplitterTop_));
}

void mdiMain::setPicHSplitterTop(double twips) {
    if (!std::isfinite(twips)) return;
    twips = std::clamp(twips, -1.0e9, 1.0e9);
    hSplitterTopTwips_ = twips;
    hSplitterTop_ = twipsToPixels(int(twips));
    picFile_Resize();
}

void mdiMain::picHSplitter_MouseDown(int button, int, int, int) {
    if (spellCheckRunning) focusSpellingDialog();
    if (button != 1) return;
    // Black marks a running drag.
    picHSplitter->setBackColor(Qt::black);
}

void mdiMain::picHSplitter_MouseMove(int button, int, int, int y) {
    if (!(button & 1) || picHSplitter->backColor() != QColor(Qt::black)) return;
    const int h = picFile->height();
    int top = picHSplitter->y() + y;
    if (top < 60) top = 60;
    else if (top > h - 60) top = h - 60;
    picHSplitter->setGeometry(6, top, std::max(0, picFile->width() - 17), 6);
}

void mdiMain::picHSplitter_MouseUp(int button, int, int, int) {
    if (button != 1) return;
    if (picHSplitter->backColor() == QColor(Qt::black)) hSplitterTop_ = picHSplitter->y();
    picHSplitter->setBackColor(kSplitterColor);
    picFile_Resize();
}

void mdiMain::picSplitter_MouseDown(int button, int, int x, int) {
    if (spellCheckRunning) focusSpellingDialog();
    if (button != 1) return;
    splitterGrabX_ = x;
    const QRect bar(picSplitter->mapTo(this, QPoint(0, 0)), picSplitter->size());
    splitterBand_->setGeometry(bar);
    splitterBand_->show();
    splitterBand_->raise();
    splitterDragging_ = true;
}

void mdiMain::picSplitter_MouseMove(int button, int, int x, int) {
    if (!(button & 1) || !splitterDragging_) return;
    // The bar stays where it was when the panel would get too narrow or too wide.
    const int left = picSplitter->x() + x;
    if (left < twipsToPixels(585) || left > widestPanel() - twipsToPixels(90)) return;
    const QRect bar(picSplitter->mapTo(this, QPoint(x - splitterGrabX_, 0)), picSplitter->size());
    splitterBand_->setGeometry(bar);
}

void mdiMain::picSplitter_MouseUp(int button, int, int, int) {
    if (button != 1 || !splitterDragging_) return;
    splitterDragging_ = false;
    const int barLeft = splitterBand_->geometry().x() - picFile->mapTo(this, QPoint(0, 0)).x();
    splitterBand_->hide();
    int twips = pixelsToTwips(barLeft + 6);
    const int widest = pixelsToTwips(widestPanel());
    if (twips < 80) twips = 80;
    else if (twips > widest) twips = widest;
    setPicFileWidth(twips);
}

void mdiMain::MDIForm_Resize() {
    if (Form::windowState() == vbMinimized) {
        // Only what was showing goes away with the window, so only that comes back.
        if (lastWindowState_ != 1) {
            minimisedTools_.clear();
            for (Form* form : Form::forms()) {
                if (form == this || form->isDocumentWindow() || form->isMdiChild()) continue;
                if (form->caption() == QLatin1String("menu") || !form->isVisible()) continue;
                minimisedTools_ << QPointer<Form>(form);
                static_cast<QWidget*>(form)->hide();
            }
        }
        lastWindowState_ = 1;
        return;
    }
    if (lastWindowState_ == 1) {
        for (const QPointer<Form>& form : minimisedTools_)
            if (form && form->isLoaded() && form->caption() != QLatin1String("menu")) static_cast<QWidget*>(form)->show();
        minimisedTools_.clear();
    }
    lastWindowState_ = Form::windowState();
}

void mdiMain::tbsMain_Click() {
    if (spellCheckRunning) focusSpellingDialog();
    const QString key = tbsMain->tabBar()->tabData(tbsMain->currentIndex()).toString();
    const bool fileTab = key == QLatin1String("file");
    const bool tagTab = key == QLatin1String("html");
    const bool scriptTab = key == QLatin1String("script");
    const bool projectTab = key == QLatin1String("project");
    if (!fileTab && !tagTab && !scriptTab && !projectTab) return;
    if (tagTab) loadTagTree();
    if (scriptTab) loadScriptTree();
    treMain->setVisible(fileTab);
    picHSplitter->setVisible(fileTab);
    filList->setVisible(fileTab);
    treTags->setVisible(tagTab);
    treScript->setVisible(scriptTab);
    lstProjects->setVisible(projectTab);
    txtProjects->setVisible(projectTab);
    picProjectTbr->setVisible(projectTab && pixelsToTwips(picFile->height()) > 1700);
    if (tagTab) treTags->setFocus();
}

// ---- Folder tree -----------------------------------------------------------------------------

void mdiMain::initTreMain() {
    if (!treMain) return;
    treMain->clear();
    currentFolderIndex_ = QPersistentModelIndex();
    QTreeWidgetItem* root = treMain->addNode(nullptr, QStringLiteral("top"), QStringLiteral("My Computer"),
                                             QStringLiteral("mycomputer"), RootNode);
    root->setFlags(root->flags() & ~Qt::ItemIsEditable);
    root->setExpanded(true);
    volumes_ = mountedVolumes();
    for (const Volume& volume : volumes_) {
        QTreeWidgetItem* node = treMain->addNode(root, volume.rootPath, volumeNodeText(volume),
                                                 volumeImageKey(volume.kind), VolumeNode);
        node->setFlags(node->flags() & ~Qt::ItemIsEditable);
        // A network volume is never touched here: a server that does not answer would hang the
        // start. It is listed when the user opens it.
        bool expandable = volume.kind == VolumeKind::Network;
        if (!expandable) {
            const FolderListing listing = readFolder(volume.rootPath, ListWhat::SubFolders);
            expandable = listing.status == ListStatus::Ok && !listing.entries.isEmpty();
        }
        if (expandable)
            treMain->addNode(node, QString(), QStringLiteral("temp"), QStringLiteral("folder"), PlaceholderNode);
    }
}

void mdiMain::expandFolderNode(QTreeWidgetItem* node, const FolderListing* given) {
    const QString key = PaneTree::key(node);
    const FolderListing listing = given ? *given : listFolder(key, ListWhat::SubFoldersPeek);
    if (listing.status != ListStatus::Ok) return;
    for (const FolderEntry& entry : listing.entries) {
        QTreeWidgetItem* child =
            treMain->addNode(node, joinPath(key, entry.name), entry.name, QStringLiteral("folder"), FolderNode);
        if (entry.hasSubFolders) treMain->addNode(child, QString(), QString(), QString(), PlaceholderNode);
    }
    PaneTree::setTag(node, QStringLiteral("1"));
}

void mdiMain::treMain_Expand(QTreeWidgetItem* node) {
    const int kind = PaneTree::kind(node);
    if (!node || kind == RootNode || kind == PlaceholderNode) return;
    const QString key = PaneTree::key(node);
    for (;;) {
        setBusy(true);
        // A node listed once is not read again; only whether it can still be reached.
        const bool listed = PaneTree::tag(node) == QLatin1String("1");
        const FolderListing listing = listFolder(key, listed ? ListWhat::Probe : ListWhat::SubFoldersPeek);
        if (listing.status == ListStatus::Ok) {
            if (!listed) {
                PaneTree::removeChildren(node);
                expandFolderNode(node, &listing);
            }
            setBusy(false);
            return;
        }
        if (listing.status == ListStatus::NotReady) {
            setBusy(false);
            const int answer = msgBox(key + " is not accessible.\n\nThe device is not ready",
                                      vbRetryCancel | vbExclamation, QString());
            if (answer == vbRetry) continue;
        }
        PaneTree::removeChildren(node);
        // With its children gone the node is listed afresh when it can be opened again.
        PaneTree::setTag(node, QString());
        setBusy(false);
        return;
    }
}

QTreeWidgetItem* mdiMain::currentFolderNode() const {
    if (currentFolderKey.isEmpty()) return nullptr;
    QTreeWidgetItem* node = treMain->nodeAt(currentFolderIndex_);
    if (node && PaneTree::key(node) == currentFolderKey) return node;
    return treMain->findKey(currentFolderKey);
}

void mdiMain::makeCurrentFolder(QTreeWidgetItem* node) {
    if (QTreeWidgetItem* old = currentFolderNode(); old && PaneTree::kind(old) == FolderNode)
        PaneTree::setImage(old, QStringLiteral("folder"));
    if (PaneTree::kind(node) == FolderNode) PaneTree::setImage(node, QStringLiteral("openfolder"));
    currentFolderKey = PaneTree::key(node);
    currentFolderIndex_ = treMain->persistentIndex(node);
}

void mdiMain::treMain_MouseUp(int button, int, int x, int y) {
    if (button == 2) {
        frmMenuInstance()->mnuTree->popup(treMain->viewport()->mapToGlobal(QPoint(x, y)));
        return;
    }
    openSelectedFolder();
}

// A folder chosen with the keys fills the file list just as a click does.
void mdiMain::treMain_KeySelect() { openSelectedFolder(); }

void mdiMain::openSelectedFolder() {
    QTreeWidgetItem* node = treMain->selectedNode();
    const int kind = PaneTree::kind(node);
    if (!node || kind == RootNode || kind == PlaceholderNode) return;
    const QString key = PaneTree::key(node);
    for (;;) {
        setBusy(true);
        const FolderListing probe = listFolder(key, ListWhat::Probe);
        if (probe.status == ListStatus::Ok) {
            makeCurrentFolder(node);
            files->setPath(key);
            setBusy(false);
            return;
        }
        if (probe.status != ListStatus::NotReady) {
            setBusy(false);
            return;
        }
        PaneTree::removeChildren(node);
        PaneTree::setTag(node, QString());
        setBusy(false);
        const int answer = msgBox(key + " is not accessible.\n\nThe device is not ready.", vbRetryCancel | vbCritical,
                                  QStringLiteral("Exploring - ") + firstUpper(currentFolderKey));
        if (answer == vbRetry) continue;
        if (QTreeWidgetItem* current = currentFolderNode()) treMain->selectNode(current);
        return;
    }
}

void mdiMain::treMain_Collapse(QTreeWidgetItem* node) {
    if (!node || PaneTree::kind(node) == RootNode) return;
    // The selection inside a closed branch moves up onto the closed node.
    QTreeWidgetItem* selected = treMain->selectedNode();
    for (QTreeWidgetItem* up = selected ? selected->parent() : nullptr; up; up = up->parent()) {
        if (up == node) {
            treMain->selectNode(node);
            selected = node;
            break;
        }
    }
    if (selected != node) return;
    if (QTreeWidgetItem* current = currentFolderNode()) {
        if (PaneTree::kind(current) == FolderNode) PaneTree::setImage(current, QStringLiteral("folder"));
        currentFolderKey.clear();
        currentFolderIndex_ = QPersistentModelIndex();
    }
    if (PaneTree::kind(node) == FolderNode) makeCurrentFolder(node);
    treMain->selectNode(node);
    files->setPath(PaneTree::key(node));
}

void mdiMain::setTreePath(const QString& path) {
    if (!treMain || !files) return;
    QString wanted = path.trimmed();
    if (!wanted.startsWith(QLatin1Char('/'))) return;
    wanted = QDir::cleanPath(wanted);
    if (!folderExistsBounded(wanted)) return;
    const int index = volumeIndexOf(volumes_, wanted);
    if (index < 0 || !treMain->topLevelItemCount()) return;
    const QString root = volumes_[index].rootPath;
    QTreeWidgetItem* top = treMain->topLevelItem(0);
    QTreeWidgetItem* level = nullptr;
    for (int i = 0; i < top->childCount() && !level; ++i)
        if (PaneTree::key(top->child(i)) == root) level = top->child(i);
    if (!level) return;
    if (wanted == root) {
        files->setPath(root);
        treMain->selectNode(level);
        return;
    }
    const QStringList parts = wanted.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString built = root;
    for (const QString& part : parts) {
        if (!level->isExpanded()) level->setExpanded(true);
        else if (PaneTree::tag(level) != QLatin1String("1")) treMain_Expand(level);
        built = joinPath(built, part);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < level->childCount() && !next; ++i)
            if (PaneTree::key(level->child(i)) == built) next = level->child(i);
        if (!next) return;
        level = next;
    }
    treMain->selectNode(level);
    makeCurrentFolder(level);
    files->setPath(built);
}

void mdiMain::treMain_LostFocus() {
    if (QTreeWidgetItem* current = currentFolderNode()) treMain->selectNode(current);
}

void mdiMain::treMain_Click() {
    if (spellCheckRunning) focusSpellingDialog();
}

void mdiMain::treMain_BeforeLabelEdit(int& cancel) {
    const int kind = PaneTree::kind(treMain->selectedNode());
    if (kind != FolderNode) cancel = 1;
}

void mdiMain::treMain_AfterLabelEdit(int& cancel, const QString& newString, QTreeWidgetItem* node) {
    if (!node) node = treMain->selectedNode();
    if (!node || PaneTree::kind(node) != FolderNode) {
        cancel = 1;
        return;
    }
    const QString oldName = node->text(0);
    if (newString.trimmed().isEmpty() || newString == oldName || newString.contains(QChar(0))) {
        cancel = 1;
        return;
    }
    static const QString forbidden = QStringLiteral("?*:/\\\"<>|");
    for (const QChar c : newString) {
        if (forbidden.contains(c)) {
            msgBox(QStringLiteral("A folder name cannot contain any of the following characters:\n\n\\ / : * ? \" < > |"),
                   vbExclamation | vbOKOnly, QStringLiteral("Rename"));
            cancel = 1;
            return;
        }
    }
    // "." and ".." always exist in the parent folder.
    if (newString == QLatin1String(".") || newString == QLatin1String("..")) {
        cancel = 1;
        return;
    }
    const QString oldPath = PaneTree::key(node);
    const QString parent = folderOf(oldPath);
    const QString newPath = parent + newString;
    // A document opened from inside the folder would go on saving to a path that is gone.
    for (DocumentWindow* doc : documentWindows()) {
        if (isUnder(doc->filePath, oldPath) && doc->filePath != oldPath) {
            msgBox("Can't rename '" + oldName + "'.\n\nA file in this folder is currently in use.", vbExclamation,
                   QStringLiteral("Rename"));
            cancel = 1;
            return;
        }
    }
    const FolderListing siblings = listFolder(parent, ListWhat::SubFolders);
    for (const FolderEntry& entry : siblings.entries) {
        if (parent + entry.name == newPath) {
            cancel = 1;
            return;
        }
    }
    QString error;
    if (!renameNoReplace(oldPath, newPath, &error)) {
        msgBox("Unable to rename '" + oldName + "'.\n\n" + error, vbExclamation, QStringLiteral("Rename"));
        cancel = 1;
        return;
    }
    // Everything that named the folder or a folder inside it follows it to its new name.
    for (QTreeWidgetItem* each : treMain->allNodes()) {
        if (PaneTree::kind(each) != FolderNode) continue;
        const QString key = PaneTree::key(each);
        if (isUnder(key, oldPath)) PaneTree::setKey(each, newPath + key.mid(oldPath.size()));
    }
    if (isUnder(currentFolderKey, oldPath)) currentFolderKey = newPath + currentFolderKey.mid(oldPath.size());
    if (!files->path().isEmpty() && isUnder(files->path(), oldPath))
        files->setPath(newPath + files->path().mid(oldPath.size()));
    cancel = 0;
}

// ---- File list -------------------------------------------------------------------------------

void mdiMain::populateFileList() {
    if (!filList || !files) return;
    filList->clear();
    const FolderListing listing = files->list();
    if (listing.status != ListStatus::Ok || listing.entries.isEmpty()) return;
    setBusy(true);
    const QLocale locale = QLocale::system();
    for (const FolderEntry& entry : listing.entries) {
        filList->addItem(entry.name, fileIconKey(entry.name), fileSizeText(entry.size), entry.size,
                         fileTypeText(entry.name), locale.toString(entry.modified, QLocale::ShortFormat),
                         entry.modified);
    }
    filList->resort();
    filList->fitGrid();
    setBusy(false);
}

void mdiMain::files_PathChange() {
    if (!files) return;
    if (currentFilter >= 1 && currentFilter <= fileFilters.size())
        files->setPattern(fileFilters[currentFilter - 1].pattern);
    populateFileList();
}

QString mdiMain::selectedFileListPath() const {
    const int row = filList ? filList->selectedItem() : -1;
    if (row < 0 || filList->text(row).isEmpty()) return QString();
    return files->folder() + filList->text(row);
}

void mdiMain::filList_DblClick() {
    const int row = filList->selectedItem();
    const QString name = row >= 0 ? filList->text(row) : QString();
    if (name.isEmpty()) return;
    setBusy(true);
    const QString extension = lowerExtension(name);
    const QString path = files->folder() + name;
    static const QStringList pictures{"gif", "giff", "jpg", "jpeg", "bmp", "ico", "png"};
    if (pictures.contains(extension)) {
        setBusy(false);
        dialogKind = path;
        showImageDialog();
        return;
    }
    if (Form::documentCount() >= kMaxDocuments)
        msgBox(QStringLiteral("You already have 99 documents open."), vbInformation,
               QStringLiteral("Error: Too Many Open Documents."));
    else
        openFile(path);
    setBusy(false);
}

void mdiMain::mnuFileListOpen_Click() {
    setBusy(true);
    // The selection is read once: the list may change while the files open.
    QStringList paths;
    for (int row : filList->selectedRows()) paths << files->folder() + filList->text(row);
    const QPointer<mdiMain> self(this);
    closeLoneUntitledDocument([self, paths] {
        if (!self) return;
        self->openFilesInTurn(paths, [self](const QString& path) {
            self->openFile(path);
            return Form::documentCount() < kMaxDocuments;
        });
    });
}

void mdiMain::mnuFileListInsert_Click() {
    const int row = filList->selectedItem();
    if (row < 0) return;
    // The panes insert only into a document that shows its source.
    DocumentWindow* doc = activeDocument();
    if (!doc || doc->mode != 0) return;
    const QString name = filList->text(row).trimmed().toLower();
    const QString path = files->folder() + name;
    if (path.endsWith(QLatin1String(".gif")) || path.endsWith(QLatin1String(".jpg")) ||
        path.endsWith(QLatin1String(".giff")) || path.endsWith(QLatin1String(".jpeg")) ||
        path.endsWith(QLatin1String(".png"))) {
        setBusy(true);
        dialogKind = QStringLiteral("Insert image");
        showImageDialog();
        setBusy(false);
    } else {
        dialogKind = QStringLiteral("Insert href");
        showHyperlinkDialog();
    }
    dialogKind.clear();
}

namespace {

DocumentWindow* documentOf(const QString& path) {
    for (DocumentWindow* doc : documentWindows())
        if (samePath(doc->filePath, path)) return doc;
    return nullptr;
}

// Several files going to the trash one after another; a file open in a document goes once its
// window has closed, which may wait for the document's design view.
struct TrashRun {
    QPointer<mdiMain> main;
    QStringList paths;
    qsizetype next = 0;
    QStringList failed;
};

void trashInTurn(const std::shared_ptr<TrashRun>& run) {
    const QString title = QStringLiteral("Confirm File Delete");
    while (run->main && run->next < run->paths.size()) {
        const QString path = run->paths[run->next++];
        if (DocumentWindow* doc = documentOf(path)) {
            const int answer = msgBox("'" + path + "' is currently in use.\n\nDo you want to delete this file anyway?",
                                      vbYesNoCancel | vbInformation, title);
            if (answer == vbCancel) break;
            if (answer != vbYes) continue;
            doc->closeThen([run, path](bool closed) {
                QString error;
                if (closed && recycleFile(path, &error) != 0) run->failed << error;
                doEvents();
                trashInTurn(run);
            });
            return;
        }
        QString error;
        if (recycleFile(path, &error) != 0) run->failed << error;
        doEvents();
    }
    if (!run->main) return;
    run->main->populateFileList();
    if (!run->failed.isEmpty())
        msgBox(run->failed.join(QLatin1Char('\n')) + "\n\nThese files have not been deleted.", vbExclamation,
               QStringLiteral("Error Deleting File"));
}

}  // namespace

void mdiMain::mnuFileListDelete_Click() {
    const QList<int> rows = filList->selectedRows();
    if (rows.isEmpty()) return;
    const QString title = QStringLiteral("Confirm File Delete");
    const QString folder = files->folder();

    if (rows.size() == 1) {
        const QString path = folder + filList->text(rows.first());
        if (msgBox("Send '" + path + "' to the recycle bin?", vbYesNo | vbExclamation, title) != vbYes) return;
        const QPointer<mdiMain> self(this);
        auto trash = [self, path] {
            QString error;
            if (recycleFile(path, &error) != 0)
                msgBox(error + "\n\nThe file has not been deleted.", vbExclamation, QStringLiteral("Error Deleting File"));
            if (self) self->populateFileList();
        };
        if (DocumentWindow* doc = documentOf(path)) {
            if (msgBox("'" + path + "' is currently in use.\n\nDo you want to delete this file anyway?",
                       vbYesNo | vbInformation, title) != vbYes)
                return;
            // The file goes only once its window has really closed: a document that stays open
            // would save it back. Its design view may first have to tell what was typed there.
            doc->closeThen([trash](bool closed) {
                if (closed) trash();
            });
            return;
        }
        trash();
        return;
    }

    if (msgBox(QStringLiteral("Send the selected files to the recycle bin?"), vbYesNo | vbExclamation, title) != vbYes)
        return;
    auto run = std::make_shared<TrashRun>();
    run->main = this;
    for (int row : rows) run->paths << folder + filList->text(row);
    trashInTurn(run);
}

void mdiMain::mnuFileListRename_Click() {
    const int row = filList->selectedItem();
    if (row >= 0 && !filList->text(row).isEmpty()) filList->startLabelEdit(row);
}

void mdiMain::mnuFileListProperties_Click() {
    const int row = filList->selectedItem();
    const QString name = row >= 0 ? filList->text(row) : QString();
    if (showFileProperties(files->folder() + name, this) < 33)
        msgBox("Unable to display property information for '" + name + "'.", vbExclamation, QStringLiteral("Error"));
}

void mdiMain::mnuFileListFilter_Click(int index) {
    if (index < 0 || index >= mnuFileListFilter.size()) return;
    for (QAction* item : mnuFileListFilter) item->setChecked(false);
    mnuFileListFilter[index]->setChecked(true);
    currentFilter = index + 1;
    files_PathChange();
}

void mdiMain::mnuFileListViewStyle_Click(int index) {
    if (filList && index >= 0 && index < mnuFileListViewStyle.size()) {
        filList->setView(index);
        for (int i = 0; i < mnuFileListViewStyle.size(); ++i) mnuFileListViewStyle[i]->setChecked(i == index);
    }
    saveSetting(appTitle, QStringLiteral("Settings"), QStringLiteral("ListView"), basicStr(index));
}

void mdiMain::filList_Click() {
    if (spellCheckRunning) focusSpellingDialog();
}

void mdiMain::filList_ColumnClick(int column) {
    filList->setSort(std::max(0, column - 1), !filList->sortDescending());
}

void mdiMain::filList_KeyDown(int& keyCode, int) {
    if (keyCode == 13) {
        keyCode = 0;
        filList_DblClick();
    }
}

void mdiMain::filList_MouseUp(int button, int, int x, int y) {
    if (button == 1) return;
    const int selected = int(filList->selectedRows().size());
    const bool one = selected == 1;
    mnuFileListOpen->setEnabled(selected > 0);
    mnuFileListInsert->setEnabled(one && Form::documentCount() > 0);
    mnuFileListDelete->setEnabled(selected > 0);
    mnuFileListRename->setEnabled(one);
    mnuFileListProperties->setEnabled(one);
    mnuFileList->popup(filList->currentView()->viewport()->mapToGlobal(QPoint(x, y)));
}

void mdiMain::filList_AfterLabelEdit(int& cancel, const QString& newString) {
    cancel = 1;
    int row = filList->labelEditRow();
    if (row < 0) row = filList->selectedItem();
    if (row < 0) return;
    const QString oldName = filList->text(row);
    const QString title = QStringLiteral("Error Renaming File");
    if (newString == oldName || newString.isEmpty()) return;
    // The name must stay a name: no way into another folder.
    if (newString.contains(QLatin1Char('/')) || newString.contains(QChar(0)) || newString == QLatin1String(".") ||
        newString == QLatin1String("..")) {
        msgBox("Error renaming " + oldName + ".  '" + newString + "' is not a valid file name.", vbExclamation, title);
        return;
    }
    // The folder the list shows, which the name belongs to.
    const QString folder = files->folder();
    for (DocumentWindow* doc : documentWindows()) {
        if (samePath(doc->filePath, folder + oldName)) {
            msgBox("Can't rename '" + oldName + "'.\n\nThis file is currently in use.", vbExclamation, title);
            return;
        }
    }
    if (entryExists(folder + newString)) {
        msgBox("Error renaming " + oldName +
                   ".  A file with the name you specified already exists. Please specify a different name.",
               vbExclamation, title);
        return;
    }
    const qsizetype oldDot = oldName.lastIndexOf(QLatin1Char('.'));
    if (oldDot >= 0) {
        const qsizetype newDot = newString.lastIndexOf(QLatin1Char('.'));
        const QString newExtension = newDot >= 0 ? newString.mid(newDot + 1) : newString;
        if (oldName.mid(oldDot + 1) != newExtension &&
            msgBox(QStringLiteral("If you change a filename extension the file may become unusable.\n\n"
                                  "Are you sure you want to change it."),
                   vbYesNo | vbExclamation, QStringLiteral("Rename")) != vbYes)
            return;
    }
    QString error;
    if (!renameNoReplace(folder + oldName, folder + newString, &error)) {
        msgBox("Error renaming " + oldName + ".  " + error, vbExclamation, title);
        return;
    }
    filList->setItemName(row, newString, fileIconKey(newString), fileTypeText(newString));
    cancel = 0;
}

}  // namespace kavrin
