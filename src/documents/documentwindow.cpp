#include "documents/documentwindow.h"

#include <QApplication>
#include <QFile>
#include <QMdiSubWindow>

#include "documents/docfile.h"
#include "documents/colouring/colorcoding.h"
#include "documents/docstate.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "documents/tips.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "platform/files/textfile.h"

namespace kavrin {

namespace {

bool isUntitled(const QString& path) { return path.left(8) == QLatin1String("Untitled"); }

bool colorsOnOpen(const QString& key) {
    const QString lower = key.toLower();
    for (const char* ext : {".htm", ".html", ".css", ".shtml", ".asp"})
        if (lower.endsWith(QLatin1String(ext))) return true;
    return false;
}

}  // namespace

DocumentWindow::DocumentWindow(bool withViews, QWidget* parent) : Form(parent), withViews_(withViews) {
    setMdiChild(true);
    setObjectName(withViews ? "frmChildIe" : "frmChild");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMinimumSize(120, 80);

    if (withViews_) {
        tbsMain = new QTabBar(this);
        tbsMain->addTab(tr("Edit"));
        tbsMain->addTab(tr("Browse"));
        tbsMain->addTab(tr("Design"));
        tbsMain->setShape(QTabBar::RoundedNorth);
        tbsMain->setDrawBase(true);
        // The tabs are chosen with the mouse or the View menu. Able to take the focus, the bar
        // took it when the window was brought back with Ctrl+Tab, and what was typed next went
        // nowhere.
        tbsMain->setFocusPolicy(Qt::NoFocus);
        webBrowser = new WebBrowser(this);
        webBrowser->hide();
        dhtm = new DhtmlEdit(this);
        dhtm->hide();
    }
    txtMain = new RichTextBox(this);
    txtMain->setObjectName("txtMain");
    lstTip = new QListWidget(this);
    lstTip->setObjectName("lstTip");
    lstTip->hide();
    tmrCheck4Focus = new QTimer(this);
    tmrCheck4Focus->setSingleShot(true);
    tmrTipPause = new QTimer(this);
    tmrTipPause->setSingleShot(true);
    connectTipList(this);

    connect(txtMain, &RichTextBox::Change, this, &DocumentWindow::txtMain_Change);
    connect(txtMain, &RichTextBox::SelChange, this, &DocumentWindow::txtmain_SelChange);
    connect(txtMain, &RichTextBox::KeyDown, this, &DocumentWindow::txtMain_KeyDown);
    connect(txtMain, &RichTextBox::Click, this, &DocumentWindow::txtMain_Click);
    connect(txtMain, &RichTextBox::MouseUp, this, &DocumentWindow::txtMain_MouseUp);
    connect(txtMain, &RichTextBox::DragOver, this, &DocumentWindow::txtMain_DragOver);
    connect(txtMain, &RichTextBox::DragDrop, this, &DocumentWindow::txtMain_DragDrop);
    connect(txtMain, &RichTextBox::GotFocus, this, &DocumentWindow::txtMain_GotFocus);
    connect(txtMain, &RichTextBox::LostFocus, this, &DocumentWindow::txtMain_LostFocus);
    // After the handlers above, so that the undo step of a change is recorded when it is told.
    connect(txtMain, &RichTextBox::Change, this, [this] { emit stateChanged(this); });
    connect(txtMain, &RichTextBox::SelChange, this, [this] { emit stateChanged(this); });
    // Composed characters (dead keys, input methods) arrive without a key event.
    txtMain->installEventFilter(this);
    if (withViews_) connectViews();
}

DocumentWindow::~DocumentWindow() {
    disconnectTipList(this);
    // A window that goes while its design view is being asked takes the hourglass with it; the
    // commands that waited on it hear that it has gone once this is over.
    if (!designWaiters_.isEmpty()) {
        setBusy(false);
        for (const DesignWaiter& waiter : std::exchange(designWaiters_, {}))
            if (waiter.otherwise) QTimer::singleShot(0, qApp, waiter.otherwise);
    }
}

void DocumentWindow::Form_Initialize() {
    if (!withViews_) return;
    designButtonKeys = {"bold", "italic", "underline", "ol", "ul", "unindent", "indent",
                        "left", "center", "right", "color"};
    designButtonCommands = {5000, 5023, 5048, 5030, 5051, 5031, 5018, 5025, 5024, 5026, 5046};
}

void DocumentWindow::Form_Load() {
    QFont font(fontName.isEmpty() ? QStringLiteral("Monospace") : fontName);
    font.setStyleHint(QFont::TypeWriter);
    if (fontSize > 0) font.setPointSize(fontSize);
    txtMain->setFont(font);
    if (withViews_) {
        dhtm->ShowBorders = designerShowBorders;
        dhtm->ShowDetails = designerShowDetails;
        dhtm->UseDivOnCarriageReturn = designerDivOnReturn;
    }
    setWindowState(vbMaximized);
    if (colorOnOpen) {
        txtMain->tag = "T";
        colorCoding = true;
    }
    // Decisions about "the only document" count document windows: tool windows that happen to be
    // open must not change them.
    const int count = Form::documentCount();
    if (count == 1) {
        enableEditButtons(true);
    } else if (count > 1) {
        enableSaveAllButton(true);
        if (mainWindow && mainWindow->mnuFileCloseAll) mainWindow->mnuFileCloseAll->setEnabled(true);
    }
    if (mainWindow) mainWindow->showTaskBarStrip(true);
}

void DocumentWindow::Form_Activate() { activateDocument(this); }

void DocumentWindow::Form_Deactivate() {
    selectionLen = txtMain->selLength();
    selectionStart = txtMain->selStart();
    txtMain->setSelLength(0);
}

void DocumentWindow::Form_Resize() {
    if (windowState() == vbMinimized) return;
    placeViews();
}

void DocumentWindow::placeViews() {
    const int W = width();
    const int H = height();
    const bool maximised = windowState() == vbMaximized;
    if (withViews_) {
        tbsMain->setGeometry(0, 0, W, 20);
        if (maximised) {
            txtMain->setGeometry(-3, 20, W + 6, H - 17);
            webBrowser->setGeometry(-3, 21, W + 5, H - 19);
        } else {
            txtMain->setGeometry(-2, 20, W + 3, H - 19);
            webBrowser->setGeometry(-1, 21, W + 1, H - 21);
        }
        dhtm->setGeometry(webBrowser->geometry());
    } else if (maximised) {
        txtMain->setGeometry(-3, -3, W + 6, H + 6);
    } else {
        txtMain->setGeometry(-2, -2, W + 3, H + 3);
    }
}

void DocumentWindow::Form_Unload(int& cancel) {
    // Input the design view has not reported yet must reach the save question first: the close
    // is put off until the page has told it, and then goes on by itself. That is no refusal of
    // the user's; a command that has to go on after the close uses closeThen.
    const QPointer<DocumentWindow> self(this);
    if (!whenDesignCurrent([self] {
            if (self) self->unload();
        })) {
        cancel = 1;
        return;
    }
    if (!fileSaved) {
        const int answer = msgBox("Save changes to '" + fileTitle(filePath) + "'?", vbYesNoCancel + vbExclamation);
        if (answer == vbYes) {
            saveDocument(this);
            if (!fileSaved) {
                cancel = 1;
                unloadCancelled = true;
                return;
            }
        } else if (answer != vbNo) {
            cancel = 1;
            unloadCancelled = true;
            return;
        }
    }
    deleteBrowseFiles();

    mdiMain* main = mainWindow;
    if (!main) return;
    const int removedAt = main->removeDocumentTab(this);
    if (main->tbsPop->count() == 0) main->showTaskBarStrip(false);
    // This window is still counted while it unloads.
    const int remaining = Form::documentCount() - (isLoaded() ? 1 : 0);
    if (!closingAll) {
        if (remaining == 0) {
            enableEditButtons(false);
            if (QLabel* panel = main->stbPanel(2)) panel->setText("0 KB");
        }
        if (remaining < 2) {
            enableSaveAllButton(false);
            if (main->mnuFileCloseAll) main->mnuFileCloseAll->setEnabled(false);
        }
        if (main->tbsPop->count() >= 2 && removedAt >= 0)
            main->tbsPop->setCurrentIndex(removedAt > 0 ? removedAt - 1 : 0);
    }
    if (remaining == 0 && main->lblCursorPos) main->lblCursorPos->clear();
}

void DocumentWindow::closeThen(std::function<void(bool closed)> done, int unloadMode) {
    const QPointer<DocumentWindow> self(this);
    const bool now = whenDesignCurrent(
        [self, done, unloadMode] {
            if (self) self->closeThen(done, unloadMode);
        },
        // Gone meanwhile is closed; a page that never answered keeps the window.
        [self, done] { done(!self || self->isUnloading()); });
    if (!now) return;
    done(unload(unloadMode));
}

void closeWindowsInTurn(QVector<QPointer<Form>> windows, int unloadMode, std::function<void(bool allClosed)> done) {
    while (!windows.isEmpty()) {
        const QPointer<Form> next = windows.takeFirst();
        if (!next || !next->isLoaded() || next->isUnloading()) continue;
        if (auto* doc = qobject_cast<DocumentWindow*>(next.data())) {
            doc->closeThen([windows, unloadMode, done](bool closed) {
                if (closed) closeWindowsInTurn(windows, unloadMode, done);
                else done(false);
            }, unloadMode);
            return;
        }
        if (!next->unload(unloadMode)) {
            done(false);
            return;
        }
    }
    done(true);
}

void DocumentWindow::txtMain_Change() {
    // A recolour only changes formats; it must not move the texts the undo record compares.
    if (colorBusy) return;
    // What a recolour held back stays pending in the editor and comes with this change.
    lastChange_ = txtMain->takeChange();
    ++changeLevel;
    if (ignoreChange) return;
    readyUndo();
    // The window's own flag too: a change may reach a document that is not the active one.
    if (activeDocSaved || fileSaved) setFileSaved(this, false);
    if (colorCoding) colorAroundCaret();
}

void DocumentWindow::txtmain_SelChange() {
    if (ignoreChange || colorBusy) return;
    // Browse and Design hide the source: its caret is not shown, though the source moves it
    // (the design view's edits written back, the caret taken along).
    if (mode != 0) return;
    if (!mainWindow || !mainWindow->lblCursorPos) return;
    mainWindow->lblCursorPos->setText(caretPositionText(txtMain));
}

bool DocumentWindow::loadDocumentFile(const QString& path, QString* error) {
    // Loading is no edit: the text only becomes the one later changes are compared with.
    const bool wasIgnoring = ignoreChange;
    ignoreChange = true;
    // The lines are laid out as they will be shown from the first: a change of the wrap when
    // the window first shows would lay out the whole page again (a long line costs seconds).
    txtMain->setRightMargin(wordWrap ? 0 : 9999999);
    // A page coloured as it first shows waits for its colours before its lines are laid out.
    if (!firstActivate && colorOnOpen && colorsOnOpen(QString(path).replace('\\', '/'))) txtMain->awaitColors();
    // Taken before the bytes are read: a write that comes in between makes the save ask, rather
    // than go unnoticed.
    const FileStamp stamp = fileStampOf(path);
    const bool ok = txtMain->loadFile(path, rtfText);
    ignoreChange = wasIgnoring;
    if (ok) diskStamp = stamp;
    if (!ok && error) *error = txtMain->lastError();
    return ok;
}

void DocumentWindow::focusCurrentView() {
    if (mode == 2 && dhtm) dhtm->setFocus();
    else if (mode == 1 && webBrowser) webBrowser->setFocus();
    else txtMain->setFocus();
}

DocumentWindow* createDocumentWindow() {
    if (enableBrowserAndDesigner) return new frmChildIe();
    return new frmChild();
}

DocumentWindow* activeDocument() {
    return qobject_cast<DocumentWindow*>(Form::activeMdiChild());
}

QVector<DocumentWindow*> documentWindows() {
    QVector<DocumentWindow*> docs;
    for (Form* f : Form::forms())
        if (auto* d = qobject_cast<DocumentWindow*>(f)) docs << d;
    return docs;
}

void activateDocument(DocumentWindow* doc) {
    if (!doc) return;
    doc->txtMain->select(doc->selectionStart, doc->selectionLen);
    const QString key = QString(doc->filePath).replace('\\', '/');
    // The folder keeps its case: relative links must work on case-sensitive servers.
    documentFolder = isUntitled(doc->filePath) ? QStringLiteral("Untitled") : folderOf(key);
    colorCoding = doc->txtMain->tag == "T";
    setFileSaved(doc, doc->fileSaved);
    showDocumentSize();
    doc->txtmain_SelChange();

    mdiMain* main = mainWindow;
    if (!doc->firstActivate) {
        doc->firstActivate = true;
        if (main) main->addDocumentTab(doc, key, fileTitle(doc->filePath));
        doc->txtMain->setRightMargin(wordWrap ? 0 : 9999999);
        if (colorOnOpen) {
            if (colorsOnOpen(key)) {
                colorCodeDocument(doc);
            } else if (isUntitled(doc->filePath)) {
                colorCoding = true;
            } else {
                doc->txtMain->tag = "F";
                colorCoding = false;
            }
        }
    }
    if (!main) return;
    switch (doc->mode) {
    case 1: main->setToBrowse(); break;
    case 2: main->setToDesign(); break;
    default: main->setToEdit(); break;
    }
    main->selectDocumentTab(doc);
    main->mnuToolsColorCodeYes->setChecked(colorCoding);
    main->mnuToolsColorCodeNo->setChecked(!colorCoding);
    main->mnuToolsColorCodeRefresh->setEnabled(colorCoding);
    main->followDocument(doc);
}

}  // namespace kavrin
