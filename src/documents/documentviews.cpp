// The document's Edit, Browse and Design views: switching between them, keeping the source and
// the design view in step, the browse view's preview copies, the design view's context menu and
// its report of the formatting at the selection.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include "documents/colouring/colorcoding.h"
#include "documents/colouring/colorops.h"
#include "documents/colouring/coloredreplace.h"
#include "documents/fileops.h"
#include "documents/design/designmerge.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "platform/files/ownfiles.h"
#include "platform/system/screen.h"
#include "platform/files/textfile.h"

namespace kavrin {

namespace {

bool isUntitled(const QString& path) { return path.left(8) == QLatin1String("Untitled"); }

struct BusyScope {
    BusyScope() { setBusy(true); }
    ~BusyScope() { setBusy(false); }
};

bool available(int state) { return state >= DECMDF_ENABLED; }

}  // namespace

void DocumentWindow::connectViews() {
    connect(tbsMain, &QTabBar::currentChanged, this, [this] { tbsMain_Click(); });
    connect(dhtm, &DhtmlEdit::ShowContextMenu, this, &DocumentWindow::dhtm_ShowContextMenu);
    connect(dhtm, &DhtmlEdit::ContextMenuAction, this, &DocumentWindow::dhtm_ContextMenuAction);
    connect(dhtm, &DhtmlEdit::DisplayChanged, this, &DocumentWindow::dhtm_DisplayChanged);
    connect(dhtm, &DhtmlEdit::becameCurrent, this, &DocumentWindow::designBecameCurrent);
    connect(dhtm, &DhtmlEdit::notCurrent, this, &DocumentWindow::designNotCurrent);
    connect(dhtm, &DhtmlEdit::documentLoaded, this, [this] { alignDesign(); });
    // A change in Design makes the document unsaved even while another document is active.
    connect(dhtm, &DhtmlEdit::dirtyChanged, this, [this](bool dirty) {
        if (dirty && mode == 2 && fileSaved) setFileSaved(this, false);
    });
    connect(webBrowser, &WebBrowser::NavigateComplete2, this, &DocumentWindow::webBrowser_NavigateComplete2);
    connect(dhtm, &DhtmlEdit::pageProcessEnded, this, [this](bool complete) { viewPageEnded(true, complete); });
    connect(dhtm, &DhtmlEdit::pageTooDeep, this, &DocumentWindow::designTooDeep);
    connect(webBrowser, &WebBrowser::pageProcessEnded, this, [this] { viewPageEnded(false, true); });
}

void DocumentWindow::tbsMain_Click() {
    if (!withViews_) return;
    const int target = tbsMain->currentIndex() + 1;
    // Leaving Design takes what the page holds; until it has answered, the tab stays on Design.
    if (mode == 2 && target != 3) {
        const QPointer<DocumentWindow> self(this);
        if (!whenDesignCurrent([self, target] {
                if (!self || self->mode != 2) return;
                const QSignalBlocker block(self->tbsMain);
                self->tbsMain->setCurrentIndex(target - 1);
                self->tbsMain_Click();
            })) {
            const QSignalBlocker block(tbsMain);
            tbsMain->setCurrentIndex(2);
            return;
        }
    }
    BusyScope busy;
    switch (target) {
    case 1:
        if (mode != 0) switchToEdit();
        break;
    case 2:
        if (mode != 1) switchToBrowse();
        break;
    case 3:
        if (mode != 2) switchToDesign();
        break;
    default:
        break;
    }
}

bool DocumentWindow::whenDesignCurrent(std::function<void()> then, std::function<void()> otherwise) {
    if (mode != 2 || !dhtm || dhtm->isCurrent()) return true;
    designWaiters_.append({std::move(then), std::move(otherwise)});
    setBusy(true);
    dhtm->requestCurrent();
    return false;
}

void DocumentWindow::designBecameCurrent() {
    if (designWaiters_.isEmpty()) return;
    setBusy(false);
    const QPointer<DocumentWindow> self(this);
    for (const DesignWaiter& waiter : std::exchange(designWaiters_, {})) {
        // One that closed the window leaves the others nothing to work on; they still hear of
        // it, so that a command waiting on them goes on or ends.
        if (self && !self->isUnloading()) {
            if (waiter.then) waiter.then();
        } else if (waiter.otherwise) {
            waiter.otherwise();
        }
    }
}

void DocumentWindow::designNotCurrent() {
    if (designWaiters_.isEmpty()) return;
    const QList<DesignWaiter> waiters = std::exchange(designWaiters_, {});
    setBusy(false);
    // The page may hold changes that could not be read: the document is not taken as saved.
    if (fileSaved) setFileSaved(this, false);
    msgBox("The design view of '" + fileTitle(filePath) +
               "' did not answer in time, so its latest changes could not be read. The document stays in "
               "Design and unsaved; try again in a moment.",
           vbExclamation, appTitle);
    for (const DesignWaiter& waiter : waiters)
        if (waiter.otherwise) waiter.otherwise();
}

// The source in front again after a view that can no longer be used. Commands that waited on
// the page hear that it will not answer; the user decides anew with the document in front of them.
void DocumentWindow::showEditAfterLostView() {
    mode = 0;
    {
        const QSignalBlocker block(tbsMain);
        tbsMain->setCurrentIndex(0);
    }
    txtMain->show();
    if (activeDocument() == this) {
        if (mainWindow) mainWindow->setToEdit();
        txtmain_SelChange();
        txtMain->setFocus();
    }
    if (!designWaiters_.isEmpty()) {
        setBusy(false);
        for (const DesignWaiter& waiter : std::exchange(designWaiters_, {}))
            if (waiter.otherwise) waiter.otherwise();
    }
}

void DocumentWindow::designTooDeep() {
    if (mode != 2) return;
    // Nothing was edited there: the document goes back to Edit as it was.
    dhtmDocPath.clear();
    ++alignmentId_;
    designAlignment_.reset();
    dhtm->hide();
    showEditAfterLostView();
    const QString message = "'" + fileTitle(filePath) + "' is not opened in Design. Its elements nest deeper than the " +
                            QString::number(kDesignDeepestNesting) +
                            " levels the design view keeps: it would move the deeper ones and so rewrite that part "
                            "of the page. Edit the page in the Edit view.";
    QTimer::singleShot(0, this, [message] { msgBox(message, vbExclamation, appTitle); });
}

void DocumentWindow::viewPageEnded(bool design, bool complete) {
    // A view not shown has nothing of the user's: it loads anew when it is shown again.
    if (mode != (design ? 2 : 1)) return;
    if (design) {
        dhtmDocPath.clear();
        // Everything typed before Design is in the source, and what the page handed over goes in
        // as the write-back of leaving the view would put it.
        if (dhtm->IsDirty()) applyDesignToSource();
        if (!complete) setFileSaved(this, false);
        ++alignmentId_;
        designAlignment_.reset();
    } else {
        deleteBrowseFiles();
    }
    webBrowser->hide();
    dhtm->hide();
    showEditAfterLostView();
    QString message = "The " + QString(design ? "design" : "browse") + " view of '" + fileTitle(filePath) +
                      "' has stopped: the web engine's page process ended. The document is back in Edit";
    if (design)
        message += complete ? QStringLiteral(", with everything typed in it.")
                            : QStringLiteral(", with what the design view had handed over; what was typed there "
                                             "in the moment before it stopped may be missing.");
    else
        message += u'.';
    if (!fileSaved) message += QStringLiteral(" It is not saved yet.");
    message += design ? QStringLiteral(" Design shows the page anew when you choose it again.")
                      : QStringLiteral(" Browse shows the page anew when you choose it again.");
    // Told once the engine's signal is over, the document already in Edit.
    QTimer::singleShot(0, this, [message] { msgBox(message, vbExclamation, appTitle); });
}

// ---- Source and design in step -------------------------------------------------------------------

void DocumentWindow::alignDesign() {
    designAlignment_.reset();
    const quint64 id = ++alignmentId_;
    if (!dhtm || !dhtm->isReady()) return;
    const QPointer<DocumentWindow> self(this);
    QThreadPool::globalInstance()->start([self, id, source = txtMain->text(), loaded = dhtm->loadedHTML()] {
        auto made = std::make_shared<const DesignAlignment>(source, loaded);
        QMetaObject::invokeMethod(
            qApp,
            [self, id, made] {
                if (self && self->alignmentId_ == id && self->mode == 2) self->designAlignment_ = made;
            },
            Qt::QueuedConnection);
    });
}

bool DocumentWindow::applyDesignToSource() {
    if (!dhtm) return false;
    const QString source = txtMain->text();
    const QString designed = stripGeneratorMeta(designedSource(source, dhtm->loadedHTML(), dhtm->DocumentHTML(),
                                                               pageCharset(source, txtMain->textFormat()),
                                                               designAlignment_.get()));
    dhtm->markClean();
    // Later changes are counted from the page as it is now, against the source as it will be;
    // a document that stays in Design (it was saved there) has the two aligned again.
    alignmentId_++;
    designAlignment_.reset();
    QTimer::singleShot(0, this, [self = QPointer<DocumentWindow>(this)] {
        if (self && self->mode == 2) self->alignDesign();
    });
    if (designed == source) return false;

    // Only the stretch that differs is replaced: one undo step that is as small as the change.
    const int oldLength = int(source.size());
    const int newLength = int(designed.size());
    int prefix = 0;
    while (prefix < oldLength && prefix < newLength && source[prefix] == designed[prefix]) ++prefix;
    int suffix = 0;
    while (suffix < oldLength - prefix && suffix < newLength - prefix &&
           source[oldLength - 1 - suffix] == designed[newLength - 1 - suffix])
        ++suffix;
    // Line breaks are CR LF pairs; a replaced stretch never starts or ends between the two.
    if (prefix > 0 && source[prefix - 1] == u'\r' && prefix < oldLength && source[prefix] == u'\n') --prefix;
    if (suffix > 0 && oldLength - suffix < oldLength && source[oldLength - suffix] == u'\n' &&
        oldLength - suffix - 1 >= prefix && source[oldLength - suffix - 1] == u'\r')
        --suffix;
    const int removed = oldLength - prefix - suffix;
    const QString inserted = designed.mid(prefix, newLength - prefix - suffix);

    int caret = txtMain->selStart();
    if (caret >= prefix + removed)
        caret += int(inserted.size()) - removed;
    else if (caret > prefix + int(inserted.size()))
        caret = prefix + int(inserted.size());

    const bool wasIgnoring = ignoreChange;
    ignoreChange = false;
    txtMain->select(prefix, removed);
    selStartBeforeChange = prefix;
    selLengthBeforeChange = removed;
    // Coloured as a paste of the same text would be, so the rest of the page keeps its colours;
    // a comment the change opened or closed runs on past it, or stops, as when typing.
    replaceSelectionColored(txtMain, inserted, QStringView(source).mid(prefix, removed));
    ignoreChange = wasIgnoring;
    txtMain->setSelStart(caret);
    setFileSaved(this, false);
    return true;
}

void DocumentWindow::reloadDesign(const QString& basePath) {
    if (!dhtm) return;
    dhtm->setDocumentHTML(txtMain->text());
    dhtm->setBaseURL(isUntitled(basePath) ? QString() : basePath);
    dhtmDocPath = basePath;
}

// ---- Switching --------------------------------------------------------------------------------

void DocumentWindow::deleteBrowseFiles() {
    if (webBrowser) webBrowser->endPageCopy();
    // Only the copies the program wrote go: whatever else has come to bear the name stays.
    for (const QString& file : browseFiles) removeOwnFile(file);
    browseFiles.clear();
}

void DocumentWindow::switchToEdit() {
    if (!withViews_) return;
    if (mainWindow) mainWindow->setToEdit();
    if (mode == 2) {
        dhtmDocPath.clear();
        if (dhtm->IsDirty()) applyDesignToSource();
        ++alignmentId_;
        designAlignment_.reset();
    } else if (mode == 1) {
        deleteBrowseFiles();
    }
    webBrowser->hide();
    dhtm->hide();
    mode = 0;
    txtMain->show();
    txtmain_SelChange();
    txtMain->setFocus();
}

void DocumentWindow::switchToBrowse() {
    if (!withViews_) return;
    if (mainWindow) mainWindow->setToBrowse();
    if (mode == 2) {
        dhtmDocPath.clear();
        if (dhtm->IsDirty()) applyDesignToSource();
        ++alignmentId_;
        designAlignment_.reset();
    }
    webBrowser->show();
    lstTip->hide();
    dhtm->hide();
    txtMain->hide();
    mode = 1;
    // The preview is a copy: the document's own file keeps what the user saved. An untitled
    // page has no folder of its own, so its copy goes with the program's other work files.
    const QString shownAs =
        isUntitled(filePath) ? tempPath + QStringLiteral("temp.htm") : filePath + QStringLiteral(".browse");
    const QByteArray bytes = encodeText(txtMain->text(), txtMain->textFormat());
    QString preview = shownAs;
    // A name beside the page that holds a link or a file of the user's is left alone; a private
    // copy is shown in its place, with the page's folder as its base for pictures and styles.
    if (writeOwnFile(preview, bytes) != OwnWrite::Written) preview = writePrivateFile(tempPath, shownAs, bytes);
    else if (!isUntitled(filePath)) removeAtNextStart(preview);
    if (preview.isEmpty()) return;
    if (isUntitled(filePath)) {
        webBrowser->showWorkPage(preview);
        return;
    }
    if (!browseFiles.contains(preview)) browseFiles << preview;
    // Shown under the document's own name, the copy is the page its links to itself lead to
    // (generated manuals name their own file in every link to a place in the page), and Refresh
    // reads it again.
    webBrowser->showPageCopy(preview, filePath);
}

void DocumentWindow::switchToDesign() {
    if (!withViews_) return;
    if (mainWindow) mainWindow->setToDesign();
    dhtm->show();
    webBrowser->hide();
    lstTip->hide();
    txtMain->hide();
    if (mode == 1) deleteBrowseFiles();
    mode = 2;
    dhtm->setFocus();
}

// ---- The design view's context menu ---------------------------------------------------------------

void DocumentWindow::dhtm_ShowContextMenu(int x, int y) {
    (void)x;
    (void)y;
    menuHasPositioning_ = available(dhtm->QueryStatus(DECMD_MAKE_ABSOLUTE));
    const bool positioned = available(dhtm->QueryStatus(DECMD_SEND_TO_BACK));
    menuHasTable_ = available(dhtm->QueryStatus(DECMD_INSERTROW));
    auto greyedUnless = [this](int command) { return available(dhtm->QueryStatus(command)) ? 0 : 2; };
    QStringList texts{QStringLiteral("Cut"), QStringLiteral("Copy"), QStringLiteral("Paste"), QString(),
                      QStringLiteral("Select All"), QString(), QStringLiteral("Font...")};
    QVector<int> states{greyedUnless(DECMD_CUT), greyedUnless(DECMD_COPY), greyedUnless(DECMD_PASTE), 0,
                        greyedUnless(DECMD_SELECTALL), 0, greyedUnless(DECMD_FONT)};
    if (menuHasPositioning_) {
        texts << QString() << (positioned ? QStringLiteral("Make 1D") : QStringLiteral("Make 2D"));
        states << 0 << 0;
    }
    if (menuHasTable_) {
        texts << QString() << QStringLiteral("Insert Row") << QStringLiteral("Insert Column") << QString()
              << QStringLiteral("Delete Row") << QStringLiteral("Delete Column");
        states << 0 << 0 << 0 << 0 << 0 << 0;
    }
    dhtm->SetContextMenu(texts, states);
}

void DocumentWindow::dhtm_ContextMenuAction(int index) {
    switch (index) {
    case 0: dhtm->ExecCommand(DECMD_CUT); return;
    case 1: dhtm->ExecCommand(DECMD_COPY); return;
    case 2: dhtm->ExecCommand(DECMD_PASTE); return;
    case 4: dhtm->ExecCommand(DECMD_SELECTALL); return;
    case 6: dhtm->ExecCommand(DECMD_FONT, OLECMDEXECOPT_PROMPTUSER); return;
    default: break;
    }
    if (menuHasPositioning_ && index == 8) {
        dhtm->ExecCommand(DECMD_MAKE_ABSOLUTE);
        return;
    }
    if (!menuHasTable_) return;
    const int b = menuHasPositioning_ ? 8 : 6;
    if (index == b + 2) dhtm->ExecCommand(DECMD_INSERTROW);
    else if (index == b + 3) dhtm->ExecCommand(DECMD_INSERTCOL);
    else if (index == b + 5) dhtm->ExecCommand(DECMD_DELETEROWS);
    else if (index == b + 6) dhtm->ExecCommand(DECMD_DELETECOLS);
}

// ---- What the design view reports ------------------------------------------------------------------

void DocumentWindow::dhtm_DisplayChanged() {
    mdiMain* main = mainWindow;
    // Only the document the toolbars speak for may set them.
    if (!main || mode != 2 || activeDocument() != this) return;
    for (int i = 0; i < designButtonKeys.size() && i < designButtonCommands.size(); ++i) {
        const QString& key = designButtonKeys[i];
        const int state = dhtm->QueryStatus(designButtonCommands[i]);
        Toolbar* bar = main->tbrDHTM;
        if (key == "left" || key == "center" || key == "right" || key == "color" || key == "ol" || key == "ul")
            bar = main->tbrColor;
        else if (key == "indent" || key == "unindent")
            bar = main->tbrMainB;
        if (!bar) continue;
        QAction* button = bar->button(key);
        if (!button) continue;
        button->setEnabled(available(state));
        if (button->isCheckable()) button->setChecked(state == DECMDF_LATCHED);
    }
    const bool inTable = available(dhtm->QueryStatus(DECMD_INSERTROW));
    if (main->tbrDHTM)
        for (const QString& key : mdiMain::designTableButtonKeys()) main->tbrDHTM->setButtonEnabled(key, inTable);
    if (main->cboFormat && available(dhtm->QueryStatus(DECMD_GETBLOCKFMT))) {
        const QString format = dhtm->ExecCommand(DECMD_GETBLOCKFMT, OLECMDEXECOPT_DONTPROMPTUSER).toString();
        const QSignalBlocker block(main->cboFormat);
        const int index = main->cboFormat->findText(format);
        main->cboFormat->setCurrentIndex(index);
    }
    main->updateFontCombos();
    // The design view's own history, as the page reports it.
    enableUndo(available(dhtm->QueryStatus(DECMD_UNDO)));
    enableRedo(available(dhtm->QueryStatus(DECMD_REDO)));
    if (dhtm->IsDirty() && activeDocSaved) setFileSaved(this, false);
}

void DocumentWindow::webBrowser_NavigateComplete2(const QString& url) {
    (void)url;
    mdiMain* main = mainWindow;
    if (!main || !main->cboUrl || activeDocument() != this) return;
    QString address = webBrowser->LocationURL();
    if (address.isEmpty() || address == QLatin1String("about:blank") || address.startsWith(QLatin1String("res://")) ||
        address.startsWith(QLatin1String("chrome-error://")) || address.startsWith(QLatin1String("data:")))
        return;
    if (address.endsWith(QLatin1String(".browse"))) address.chop(7);
    QComboBox* box = main->cboUrl;
    const int found = box->findText(address, Qt::MatchExactly | Qt::MatchCaseSensitive);
    mbDontNavigateNow = true;
    if (found >= 0) box->removeItem(found);
    box->insertItem(0, address);
    box->setCurrentIndex(0);
    mbDontNavigateNow = false;
}

}  // namespace kavrin
