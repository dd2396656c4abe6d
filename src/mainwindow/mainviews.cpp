// The main window's side of the Edit, Browse and Design views: which menus, toolbars and boxes
// each view shows and enables, the design view's font, size and format boxes, and the browse
// view's address box and toolbar.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QVBoxLayout>

#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/module1.h"
#include "mainwindow/designtoolbars.h"
#include "mainwindow/mdiMain.h"
#include "platform/web/dhtmledit.h"
#include "platform/forms/eventwatcher.h"
#include "platform/forms/msgbox.h"
#include "platform/web/webviews.h"

#include <memory>
#include <vector>

namespace kavrin {

namespace {

QString loadErrorText(int error) {
    switch (error) {
    case 5: return QStringLiteral("Invalid argument");
    case int(0x80070003): return QStringLiteral("Path not found");
    case int(0x80070002): return QStringLiteral("File not found");
    case 70: return QStringLiteral("Access denied");
    case int(0x8000FFFF): return QStringLiteral("Unexpected error");
    case int(0x80100001): return QStringLiteral("Document contains a frameset");
    case int(0x80100002): return QStringLiteral("Document is primarily server side script");
    default: return QStringLiteral("Unknown error");
    }
}

QWidget* column(QWidget* parent, QWidget* top, QLayout* bottom) {
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(top, 0, Qt::AlignLeft);
    layout->addLayout(bottom);
    return box;
}

bool isUntitled(const QString& path) { return path.left(8) == QLatin1String("Untitled"); }

}  // namespace

void mdiMain::buildViewToolbars() {
    // A page of the open project sees the project's folder tree in Browse, its pictures and
    // style sheets shared by its pages.
    setProjectFolderSource([] { return projectFilePath.isEmpty() ? QString() : QFileInfo(projectFilePath).absolutePath(); });
    tbrDHTM = createDesignToolbar(picTools);
    tbrIe = createBrowseToolbar(picTools);
    cboFont = new QComboBox(picTools);
    cboFont->setObjectName(QStringLiteral("cboFont"));
    cboFont->setEditable(true);
    cboFont->setInsertPolicy(QComboBox::NoInsert);
    cboFont->setMinimumWidth(197);
    cboSize = new QComboBox(picTools);
    cboSize->setObjectName(QStringLiteral("cboSize"));
    cboSize->setEditable(true);
    cboSize->setInsertPolicy(QComboBox::NoInsert);
    cboSize->setFixedWidth(52);
    cboFormat = new QComboBox(picTools);
    cboFormat->setObjectName(QStringLiteral("cboFormat"));
    cboFormat->addItems(designBlockFormatNames());
    cboFormat->setMinimumWidth(121);
    cboUrl = new QComboBox(picTools);
    cboUrl->setObjectName(QStringLiteral("cboUrl"));
    cboUrl->setEditable(true);
    cboUrl->setInsertPolicy(QComboBox::NoInsert);
    cboUrl->setMinimumWidth(407);

    designRow_ = new QHBoxLayout();
    QHBoxLayout* designRow = designRow_;
    designRow->setSpacing(3);
    designRow->addWidget(cboFont);
    designRow->addWidget(cboSize);
    designRow->addWidget(cboFormat);
    designRow->addStretch(1);
    picDesignTools = column(picTools, tbrDHTM, designRow);
    picDesignTools->setObjectName(QStringLiteral("picDesignTools"));
    auto* browseRow = new QHBoxLayout();
    browseRow->addWidget(cboUrl, 1);
    picBrowseTools = column(picTools, tbrIe, browseRow);
    picBrowseTools->setObjectName(QStringLiteral("picBrowseTools"));
    picTools->addViewRows(picDesignTools);
    picTools->addViewRows(picBrowseTools);

    connect(tbrDHTM, &Toolbar::ButtonClick, this, &mdiMain::tbrDHTM_ButtonClick);
    connect(tbrIe, &Toolbar::ButtonClick, this,
            [this](const QString& key) { tbrIe_ButtonClick(int(tbrIe->keys().indexOf(key)) + 1); });
    connect(cboFont, &QComboBox::activated, this, [this] { cboFont_Click(); });
    connect(cboSize, &QComboBox::activated, this, [this] { cboSize_Click(); });
    connect(cboFormat, &QComboBox::activated, this, [this] { cboFormat_Click(); });
    connect(cboUrl, &QComboBox::activated, this, [this] { cboUrl_Click(); });
    connect(cboUrl->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        int key = 13;
        cboUrl_KeyPress(key);
    });
    connect(mnuViewEdit, &QAction::triggered, this, &mdiMain::mnuViewEdit_Click);
    connect(mnuViewBrowse, &QAction::triggered, this, &mdiMain::mnuViewBrowse_Click);
    connect(mnuViewDesign, &QAction::triggered, this, &mdiMain::mnuViewDesign_Click);
}

// The document area is built after the view toolbars, so its watch is set up on its own.
void mdiMain::watchLastDocument() {
    // With the last document gone the window goes back to its source-view state.
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (window) return;
        QTimer::singleShot(0, this, [this] {
            if (!activeDocument() && Form::documentCount() == 0 && picDesignTools &&
                (picDesignTools->isVisible() || picBrowseTools->isVisible() || mnuViewEdit->isEnabled()))
                setToEdit();
        });
    });
}

void mdiMain::showTagArea(bool shown) {
    if (shown) picTools->showViewRows(nullptr);
    showTagToolbar(shown);
}

void mdiMain::showDesignColorButtons(bool shown) {
    if (!shown) picTools->holdColorButtons(nullptr);
    for (const QString& key : tbrColor->keys()) {
        if (key == QLatin1String("color")) continue;
        QAction* button = tbrColor->button(key);
        button->setVisible(shown);
        button->setEnabled(shown);
    }
}

void mdiMain::enableViewItems() {
    DocumentWindow* doc = activeDocument();
    const bool views = doc && doc->hasViews();
    for (QAction* item : {mnuViewEdit, mnuViewBrowse, mnuViewDesign})
        if (item) item->setEnabled(views);
}

void mdiMain::showViewChecks(int mode) {
    enableViewItems();
    mnuViewEdit->setChecked(mode == 0);
    mnuViewBrowse->setChecked(mode == 1);
    mnuViewDesign->setChecked(mode == 2);
}

// ---- The three states -----------------------------------------------------------------------------

void mdiMain::setToDesign() {
    DocumentWindow* doc = activeDocument();
    showViewChecks(2);
    // The colour bar has no place in the design view: its header gives way to the first.
    if (selectedTagTab == 7) picTab_MouseDown(0);
    showTagArea(false);
    picTools->showViewRows(picDesignTools);
    showDesignColorButtons(true);
    // In the design view the colour buttons follow the boxes on the second row.
    picTools->holdColorButtons(designRow_, 3);
    tbrColor->show();
    tbrColor->setFocus();
    if (cboFont->count() == 0) {
        if (fontCount == 0) loadFontNames();
        const QSignalBlocker block(cboFont);
        cboFont->addItems(fontNames.mid(0, fontCount));
        for (int i = 1; i <= 7; ++i) cboSize->addItem(QString::number(i));
        cboFont->setCurrentIndex(-1);
        cboSize->setCurrentIndex(-1);
    }

    for (QAction* item : {mnuToolsSpell, mnuToolsFormat, mnuToolsColorCode, mnuEditGotoLine, mnuInsertSymbol})
        item->setEnabled(false);
    tbrMainB->setButtonEnabled("spell", false);
    for (QAction* item : {mnuToolsTableWizard, mnuToolsListWizard}) item->setEnabled(true);
    if (QAction* find = tbrMainB->button("find")) find->setToolTip(QStringLiteral("Find"));
    mnuEditFindReplace->setText(QStringLiteral("&Find..."));

    if (doc && doc->dhtm) {
        // Told as a change of the source's selection, which shows its caret: cleared after it.
        doc->txtMain->setSelLength(0);
        doc->dhtm->show();
        // Only a document coming from another view loads its source: one that already shows
        // the design view (being activated again) keeps what the user designed there.
        if (doc->mode != 2) {
            const int error = doc->dhtm->setDocumentHTML(doc->txtMain->text());
            if (error != 0)
                msgBox("Error occurred while loading document: " + loadErrorText(error) + ".", vbCritical, appTitle);
            doc->dhtmDocPath = doc->filePath;
            doc->dhtm->setBaseURL(isUntitled(doc->dhtmDocPath) ? QString() : doc->dhtmDocPath);
        }
    }
    lblCursorPos->clear();
    // Undo and Redo act on the design view's own history there; a page still loading has none.
    DhtmlEdit* dhtm = doc ? doc->dhtm : nullptr;
    enableUndo(dhtm && dhtm->QueryStatus(DECMD_UNDO) >= DECMDF_ENABLED);
    enableRedo(dhtm && dhtm->QueryStatus(DECMD_REDO) >= DECMDF_ENABLED);
}

void mdiMain::setToEdit() {
    DocumentWindow* doc = activeDocument();
    showDesignColorButtons(false);
    tbrColor->hide();
    showViewChecks(0);
    showTagArea(true);
    // Paste needs a document to paste into; the last one closing brings the window here too.
    const bool canPaste = doc != nullptr;
    tbrMainA->setButtonEnabled("paste", canPaste);
    for (QAction* item : {mnuEditPaste, mnuPopupPaste}) item->setEnabled(canPaste);
    mnuFileNew->setEnabled(true);
    tbrMainA->setButtonEnabled("new", true);
    if (QAction* find = tbrMainB->button("find")) find->setToolTip(QStringLiteral("Find/Replace"));
    mnuEditFindReplace->setText(QStringLiteral("&Find/Replace..."));
    // The active document's own history, not that of the document that changed last.
    enableUndo(doc && doc->undoI > 0);
    enableRedo(doc && doc->redoI > 0);
    mnuEditExtendedReplace->setEnabled(true);
    for (auto it = items_.cbegin(); it != items_.cend(); ++it)
        if (it.key().startsWith(QLatin1String("mnuInsert")) || it.key().startsWith(QLatin1String("mnuFormat")))
            it.value()->setEnabled(true);
    for (QAction* item : {mnuToolsListWizard, mnuToolsTableWizard}) item->setEnabled(true);
    if (Form::documentCount() > 0) enableEditButtons(true);
}

void mdiMain::setToBrowse() {
    showTagArea(false);
    tbrMainA->setButtonEnabled("paste", false);
    tbrMainA->setButtonEnabled("new", false);
    for (QAction* item : {mnuFileNew, mnuEditPaste, mnuPopupPaste, mnuToolsListWizard, mnuToolsTableWizard})
        item->setEnabled(false);
    enableEditButtons(false);
    for (auto it = items_.cbegin(); it != items_.cend(); ++it) {
        const QString& name = it.key();
        if (name.size() > 9 && (name.startsWith(QLatin1String("mnuInsert")) || name.startsWith(QLatin1String("mnuFormat"))) &&
            !name.startsWith(QLatin1String("mnuInsertSep")) && !name.startsWith(QLatin1String("mnuFormatSep")))
            it.value()->setEnabled(false);
    }
    // The page shown is not being edited: Undo and Redo would change a source nobody sees.
    enableUndo(false);
    enableRedo(false);
    showDesignColorButtons(false);
    tbrColor->hide();
    showViewChecks(1);
    picTools->showViewRows(picBrowseTools);
    lblCursorPos->clear();
    if (!browseToolbarShown) {
        tbrIe->update();
        browseToolbarShown = true;
    }
    // A document activated in Browse: the address box shows where its browser is, not where
    // the document active before it was.
    DocumentWindow* doc = activeDocument();
    if (doc && doc->mode == 1) doc->webBrowser_NavigateComplete2(QString());
}

void mdiMain::updateFontCombos() {
    DocumentWindow* doc = activeDocument();
    if (!doc || !doc->dhtm) return;
    DhtmlEdit* dhtm = doc->dhtm;
    const QSignalBlocker blockFont(cboFont);
    const QSignalBlocker blockSize(cboSize);
    const int fontState = dhtm->QueryStatus(DECMD_GETFONTNAME);
    if (fontState == DECMDF_ENABLED || fontState == DECMDF_LATCHED) {
        cboFont->setCurrentText(dhtm->ExecCommand(DECMD_GETFONTNAME, OLECMDEXECOPT_DONTPROMPTUSER).toString());
        cboFont->setEnabled(true);
    } else {
        cboFont->setCurrentIndex(-1);
        cboFont->setCurrentText(QString());
        cboFont->setEnabled(fontState == DECMDF_NINCHED);
    }
    const int sizeState = dhtm->QueryStatus(DECMD_GETFONTSIZE);
    if (sizeState == DECMDF_ENABLED || sizeState == DECMDF_LATCHED) {
        const int size = dhtm->ExecCommand(DECMD_GETFONTSIZE, OLECMDEXECOPT_DONTPROMPTUSER).toInt();
        cboSize->setCurrentText(size < 1 ? QString() : QString::number(size));
        cboSize->setEnabled(true);
    } else {
        cboSize->setCurrentIndex(-1);
        cboSize->setCurrentText(QString());
        cboSize->setEnabled(sizeState == DECMDF_NINCHED);
    }
}

// ---- Handlers -----------------------------------------------------------------------------------

void mdiMain::mnuViewEdit_Click() {
    DocumentWindow* doc = activeDocument();
    if (doc && doc->tbsMain) doc->tbsMain->setCurrentIndex(0);
    // The item's own check mark flips on a click; it shows the document's view instead.
    doc = activeDocument();
    showViewChecks(doc ? doc->mode : 0);
}

void mdiMain::mnuViewBrowse_Click() {
    DocumentWindow* doc = activeDocument();
    if (doc && doc->tbsMain) doc->tbsMain->setCurrentIndex(1);
    doc = activeDocument();
    showViewChecks(doc ? doc->mode : 0);
}

void mdiMain::mnuViewDesign_Click() {
    DocumentWindow* doc = activeDocument();
    // The view is built once the menu has let the keyboard go: building it takes a moment, and
    // the keys typed straight after would go to the closed menu meanwhile and be lost. Those the
    // window system hands over before the build are kept too, and given to the window after it,
    // where the design view takes them for its page. The program's shortcuts still work meanwhile.
    if (doc && doc->tbsMain && doc->mode != 2) {
        const QPointer<DocumentWindow> later(doc);
        auto kept = std::make_shared<std::vector<std::unique_ptr<QEvent>>>();
        auto* keeper = new EventWatcher(this);
        keeper->filter = [kept](QObject* watched, QEvent* event) {
            const QEvent::Type type = event->type();
            if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease)
                return false;
            // Taken at the window as well: the closed menu's window drops what it is handed. A
            // message the switch shows (a page refused) answers its own keys.
            if (!watchedWidget(watched) && !watchedWindow(watched)) return false;
            if (QApplication::activeModalWidget()) return false;
            if (event->type() == QEvent::ShortcutOverride) {
                // The page's own keys (Ctrl+B) come as key presses, to be kept with the rest.
                if (!isPageKey(static_cast<QKeyEvent*>(event))) return false;
                event->accept();
                return true;
            }
            if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
            kept->push_back(std::unique_ptr<QEvent>(event->clone()));
            return true;
        };
        qApp->installEventFilter(keeper);
        QMetaObject::invokeMethod(
            this,
            [later, kept, keeper] {
                // Making the page's view may let events run: keys that come meanwhile are kept too.
                if (later && later->tbsMain) later->tbsMain->setCurrentIndex(2);
                qApp->removeEventFilter(keeper);
                keeper->deleteLater();
                // The window may not have the focus back from the menu yet.
                QWidget* to = later && later->mode == 2 && later->dhtm ? later->dhtm : QApplication::focusWidget();
                for (const auto& event : *kept)
                    if (to) QCoreApplication::sendEvent(to, event.get());
            },
            Qt::QueuedConnection);
    }
    doc = activeDocument();
    showViewChecks(doc ? doc->mode : 0);
}

bool mdiMain::whenDesignsCurrent(std::function<void()> then, std::function<void()> otherwise) {
    QVector<DocumentWindow*> waiting;
    for (DocumentWindow* doc : documentWindows())
        if (doc->mode == 2 && doc->dhtm && !doc->dhtm->isCurrent()) waiting << doc;
    if (waiting.isEmpty()) return true;
    // One of the two runs once, after the last page has answered; a page that does not answer
    // tells the user, and `then` does not run.
    auto left = std::make_shared<int>(int(waiting.size()));
    auto failed = std::make_shared<bool>(false);
    auto settle = [left, failed, then, otherwise] {
        if (--*left > 0) return;
        if (!*failed) then();
        else if (otherwise) otherwise();
    };
    for (DocumentWindow* doc : waiting) {
        const QPointer<DocumentWindow> watched(doc);
        doc->whenDesignCurrent(settle, [watched, failed, settle] {
            // A window closed meanwhile has nothing more to tell.
            if (watched && !watched->isUnloading()) *failed = true;
            settle();
        });
    }
    return false;
}

bool mdiMain::designCommand(int command) {
    DocumentWindow* doc = activeDocument();
    if (!doc || doc->mode != 2) return false;
    if (doc->dhtm) doc->dhtm->ExecCommand(command, OLECMDEXECOPT_DODEFAULT);
    return true;
}

void mdiMain::cboFont_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc || !doc->dhtm) return;
    if (doc->dhtm->QueryStatus(DECMD_SETFONTNAME) >= DECMDF_ENABLED)
        doc->dhtm->ExecCommand(DECMD_SETFONTNAME, OLECMDEXECOPT_DONTPROMPTUSER, cboFont->currentText());
}

void mdiMain::cboFormat_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc || !doc->dhtm) return;
    if (doc->dhtm->QueryStatus(DECMD_SETBLOCKFMT) >= DECMDF_ENABLED)
        doc->dhtm->ExecCommand(DECMD_SETBLOCKFMT, OLECMDEXECOPT_DONTPROMPTUSER, cboFormat->currentText());
}

void mdiMain::cboSize_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc || !doc->dhtm || cboSize->currentIndex() < 0) return;
    doc->dhtm->ExecCommand(DECMD_SETFONTSIZE, OLECMDEXECOPT_DONTPROMPTUSER, cboSize->currentIndex() + 1);
}

void mdiMain::cboUrl_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc || !doc->webBrowser || doc->mbDontNavigateNow) return;
    const QString address = cboUrl->currentText().trimmed();
    if (!address.isEmpty()) doc->webBrowser->Navigate(address);
}

void mdiMain::cboUrl_KeyPress(int& keyAscii) {
    if (keyAscii == 13) cboUrl_Click();
}

void mdiMain::tbrIe_ButtonClick(int position) {
    DocumentWindow* doc = activeDocument();
    if (position == 6) {
        mnuFilePrintBrowser_Click();
        return;
    }
    if (!doc || !doc->webBrowser) return;
    WebBrowser* browser = doc->webBrowser;
    switch (position) {
    case 1: browser->GoBack(); break;
    case 2: browser->GoForward(); break;
    case 3: browser->Stop(); break;
    case 4: browser->Refresh(); break;
    case 5: browser->GoHome(); break;
    default: break;
    }
}

}  // namespace kavrin
