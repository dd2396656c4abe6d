#include "tools/frmGlobalReplace.h"

#include <QPointer>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

#include "documents/colouring/colorcoding.h"
#include "documents/colouring/colorops.h"
#include "documents/colouring/colorrtf.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "platform/files/textfile.h"
#include "tagdialogs/tagdialog.h"
#include "tools/documentedit.h"
#include "tools/frmSearchResults.h"
#include "tools/replacejob.h"
#include "tools/textsearch.h"
#include "tools/toolwindow.h"

namespace kavrin {

namespace {

QPointer<frmGlobalReplace>& instance() {
    static QPointer<frmGlobalReplace> f;
    return f;
}

QString canonicalPath(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

}  // namespace

frmGlobalReplace* globalReplaceForm(bool create) {
    QPointer<frmGlobalReplace>& f = instance();
    if (f && f->isUnloading()) f = nullptr;
    if (!f && create) f = new frmGlobalReplace(mainWindow);
    return f;
}

frmGlobalReplace::frmGlobalReplace(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmGlobalReplace"));
    makeToolWindow(this);
    setCaption(QStringLiteral("Extended Replace"));

    Label1 = new QLabel(QStringLiteral("Find What:"), this);
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    Label2 = new QLabel(QStringLiteral("Replace With:"), this);
    txtReplace = new QLineEdit(this);
    txtReplace->setObjectName(QStringLiteral("txtReplace"));

    Frame2 = new QGroupBox(QStringLiteral("Search"), this);
    optFile = new QRadioButton(QStringLiteral("Current File"), Frame2);
    optAllFiles = new QRadioButton(QStringLiteral("All Open Files"), Frame2);
    optFolder = new QRadioButton(QStringLiteral("All Files Of The Following Type In The Following Folder"), Frame2);
    optFile->setChecked(true);
    cboFilter = new QComboBox(Frame2);
    cboFilter->setEditable(true);
    cboFilter->addItems({QStringLiteral("*.html"), QStringLiteral("*.htm"), QStringLiteral("*.txt"),
                         QStringLiteral("*.*")});
    cboFilter->setEditText(QStringLiteral("*.html"));
    cboFilter->setFixedWidth(twipsToPixels(1200));
    txtFolder = new QLineEdit(Frame2);
    cmdBrowse = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), QString(), Frame2);
    cmdBrowse->setToolTip(QStringLiteral("Browse"));
    cmdBrowse->setAccessibleName(QStringLiteral("Browse"));
    chkSubFolders = new QCheckBox(QStringLiteral("Search Sub Folders"), Frame2);
    auto* searchLayout = new QGridLayout(Frame2);
    searchLayout->addWidget(optFile, 0, 0, 1, 3);
    searchLayout->addWidget(optAllFiles, 1, 0, 1, 3);
    searchLayout->addWidget(optFolder, 2, 0, 1, 3);
    searchLayout->addWidget(cboFilter, 3, 0);
    searchLayout->addWidget(txtFolder, 3, 1);
    searchLayout->addWidget(cmdBrowse, 3, 2);
    searchLayout->addWidget(chkSubFolders, 4, 0, 1, 3);
    searchLayout->setColumnStretch(1, 1);

    chkMatchCase = new QCheckBox(QStringLiteral("Match Case"), this);
    chkWholeWords = new QCheckBox(QStringLiteral("Find Whole Words Only"), this);
    chkBackup = new QCheckBox(QStringLiteral("Make Backups"), this);

    cmdReplaceAll = new QPushButton(QStringLiteral("&Replace All"), this);
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton* b : {cmdReplaceAll, cmdClose, cmdCancel, cmdBrowse}) b->setAutoDefault(false);
    cmdReplaceAll->setDefault(true);
    cmdReplaceAll->setEnabled(false);
    cmdCancel->hide();

    lblSearch = new QLabel(QStringLiteral("Searching:"), this);
    lblSearch->hide();
    lblStatus = new QLabel(this);
    lblStatus->setMinimumWidth(1);
    lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    pbrProgress = new QProgressBar(this);
    pbrProgress->setTextVisible(false);
    pbrProgress->hide();

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(txtFind, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(txtReplace, 1, 1);
    grid->addWidget(Frame2, 2, 0, 1, 2);
    auto* options = new QHBoxLayout();
    options->addWidget(chkMatchCase);
    options->addWidget(chkWholeWords);
    options->addWidget(chkBackup);
    options->addStretch(1);
    grid->addLayout(options, 3, 0, 1, 2);
    // A run's status, progress and Cancel share one row whose room is kept while they are
    // hidden: the window keeps its size through a run instead of growing a strip it never
    // gives back.
    auto* status = new QHBoxLayout();
    status->addWidget(lblSearch);
    status->addWidget(lblStatus, 2);
    status->addWidget(pbrProgress, 1);
    status->addWidget(cmdCancel);
    for (QWidget* w : {static_cast<QWidget*>(pbrProgress), static_cast<QWidget*>(cmdCancel)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    grid->addLayout(status, 4, 0, 1, 3);
    auto* buttons = new QVBoxLayout();
    buttons->addWidget(cmdReplaceAll);
    buttons->addWidget(cmdClose);
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 2, 5, 1);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(twipsToPixels(8400));

    setTabOrder(txtFind, txtReplace);
    setTabOrder(txtReplace, optFile);
    setTabOrder(optFile, cboFilter);
    setTabOrder(cboFilter, txtFolder);
    setTabOrder(txtFolder, cmdBrowse);
    setTabOrder(cmdBrowse, chkSubFolders);
    setTabOrder(chkSubFolders, chkMatchCase);
    setTabOrder(chkMatchCase, chkWholeWords);
    setTabOrder(chkWholeWords, chkBackup);
    setTabOrder(chkBackup, cmdReplaceAll);
    setTabOrder(cmdReplaceAll, cmdClose);

    enableFolderControls(false);
    // While a field is being typed in, Enter does not start a run.
    typing_ = new TypingFields(cmdReplaceAll, {txtFind, txtReplace});
    connect(txtFind, &QLineEdit::textChanged, this, [this] { txtFind_Change(); });
    connect(optFile, &QRadioButton::clicked, this, [this] { optFile_Click(); });
    connect(optAllFiles, &QRadioButton::clicked, this, [this] { optAllFiles_Click(); });
    connect(optFolder, &QRadioButton::clicked, this, [this] { optFolder_Click(); });
    connect(cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
    connect(cmdReplaceAll, &QPushButton::clicked, this, [this] { cmdReplaceAll_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

void frmGlobalReplace::Form_Load() {
    adjustSize();
    placeToolWindow(this);
    if (DocumentWindow* doc = activeDocument(); doc && doc->txtMain->selLength() > 0)
        txtFind->setText(doc->txtMain->selText());
    // The folder the file explorer shows is where the user works.
    const QString explorer = mainWindow ? mainWindow->fileListFolder() : QString();
    txtFolder->setText(QDir::toNativeSeparators(explorer.isEmpty() ? QDir::currentPath() : explorer));
    txtFind->setFocus();
}

void frmGlobalReplace::Form_QueryUnload(int& cancel, int unloadMode) {
    (void)unloadMode;
    if (!running_) return;
    // Closing the window stops the run; the window goes once the run has stopped between two
    // files and its documents are seen to.
    cancel = 1;
    closeWhenDone_ = true;
    cmdCancel_Click();
    hide();
}

void frmGlobalReplace::showEvent(QShowEvent* event) {
    // Shown again (from the menu) before a run it was closed in had stopped: it stays.
    closeWhenDone_ = false;
    Form::showEvent(event);
}

void frmGlobalReplace::stopThen(std::function<void()> then) {
    if (!running_) {
        if (then) then();
        return;
    }
    quiet_ = true;
    then_ = std::move(then);
    cmdCancel_Click();
}

void frmGlobalReplace::message(const QString& text, int buttons, int* answer) {
    const int result = toolMessage(this, text, buttons);
    if (answer) *answer = result;
}

void frmGlobalReplace::txtFind_Change() { cmdReplaceAll->setEnabled(!txtFind->text().isEmpty()); }

void frmGlobalReplace::enableFolderControls(bool on) {
    for (QWidget* w : {static_cast<QWidget*>(chkSubFolders), static_cast<QWidget*>(cboFilter),
                       static_cast<QWidget*>(txtFolder), static_cast<QWidget*>(cmdBrowse)})
        w->setEnabled(on);
}

void frmGlobalReplace::optFile_Click() {
    chkSubFolders->setChecked(false);
    enableFolderControls(false);
}

void frmGlobalReplace::optAllFiles_Click() { optFile_Click(); }

void frmGlobalReplace::optFolder_Click() { enableFolderControls(true); }

void frmGlobalReplace::cmdBrowse_Click() {
    txtFolder->setText(browseForFolder(QStringLiteral("Select A Folder")));
}

void frmGlobalReplace::addEntry(const ReplaceEntry& entry) {
    entries_ << entry;
    resultLines << entry.line();
    resultPaths << entry.path;
    resultCount = int(entries_.size());
}

int frmGlobalReplace::replaceInDocument(DocumentWindow* doc) {
    lblStatus->setText(doc->filePath);
    lblStatus->repaint();
    RichTextBox* editor = doc->txtMain;
    const QString text = editor->text();
    // As the editor holds it: a line break typed or pasted as a lone LF (or CR) is CR LF there,
    // and the span below is measured so. The page is saved with its own line ends.
    const QString replacement = withCrLfBreaks(request_.replacement);
    const QVector<qsizetype> hits = replacementHits(text, request_.find, replacement, request_.flags);
    if (hits.isEmpty()) return 0;

    if (request_.backups && !isUntitledPath(doc->filePath) && fileExists(doc->filePath)) {
        // The backup is the file as it stands on disk, byte for byte. Without one the document
        // stays as it is, as a page on disk does: the page gets its one line, with the number
        // a folder run gives the same case.
        FileReplaceOutcome failure;
        if (!backUpFile(doc->filePath, &failure)) {
            addEntry({ReplaceEntry::Kind::Failed, doc->filePath, 0, failure.errorNumber, failure.reason});
            return 0;
        }
    }

    // One edit from the first hit to the end of the last: one undo step brings all of it back.
    const qsizetype findLength = request_.find.size();
    const qsizetype first = hits.front();
    const qsizetype end = hits.back() + findLength;
    QVector<qsizetype> local = hits;
    for (qsizetype& h : local) h -= first;
    const QString span =
        applyReplacements(QStringView(text).mid(first, end - first), local, findLength, replacement);
    editor->setRedraw(false);
    replaceDocumentRange(doc, int(first), int(end - first), span);
    editor->setRedraw(true);
    doc->fileSaved = false;
    setFileSaved(doc, false);
    if (editor->tag == QLatin1String("T")) colorCodeDocument(doc);

    const int count = int(hits.size());
    totalReplacements += count;
    addEntry({ReplaceEntry::Kind::Replaced, doc->filePath, count, 0, QString()});
    return count;
}

void frmGlobalReplace::cmdCancel_Click() {
    if (job_) job_->cancel();
    cmdCancel->setEnabled(false);
}

void frmGlobalReplace::startFolderRun(const QString& folder, bool subFolders) {
    FolderReplaceRun run;
    run.folder = folder;
    run.pattern = filterText;
    run.subFolders = subFolders;
    run.request = request_;
    held_ = std::make_shared<HeldFiles>();
    run.held = held_;
    heldBy_.clear();
    watchDocuments();

    job_ = new FolderReplaceJob(std::move(run), this);
    ReplaceProgress* progress = &job_->progress();
    progress->afterFile = [progress] {
        if (afterEachFile) afterEachFile(*progress);
    };
    connect(job_, &FolderReplaceJob::finished, this, &frmGlobalReplace::folderRunEnded);
    // What the run was started with stays on view, out of reach until it ends.
    for (QWidget* w : {static_cast<QWidget*>(txtFind), static_cast<QWidget*>(txtReplace), static_cast<QWidget*>(Frame2),
                       static_cast<QWidget*>(chkMatchCase), static_cast<QWidget*>(chkWholeWords),
                       static_cast<QWidget*>(chkBackup)})
        w->setEnabled(false);
    cmdReplaceAll->setEnabled(false);
    pbrProgress->setRange(0, 0);
    pbrProgress->show();
    cmdCancel->setEnabled(true);
    cmdCancel->show();
    cmdCancel->setFocus();
    // The rest of the program stays in use: only this window shows that it works.
    setCursor(Qt::BusyCursor);

    tick_ = new QTimer(job_);
    tick_->setInterval(100);
    connect(tick_, &QTimer::timeout, this, [this] {
        showProgress();
        watchDocuments();
    });
    tick_->start();
    job_->start();
}

void frmGlobalReplace::showProgress() {
    if (!job_) return;
    const ReplaceProgress& progress = job_->progress();
    const int total = progress.filesTotal;
    if (total > 0) {
        pbrProgress->setRange(0, total);
        pbrProgress->setValue(progress.filesDone);
    }
    const QString path = progress.current();
    lblStatus->setText(lblStatus->fontMetrics().elidedText(path, Qt::ElideMiddle, lblStatus->width()));
}

void frmGlobalReplace::watchDocuments() {
    if (!held_) return;
    // Documents opened during the run are watched from the next turn on; closed ones let go of
    // their files, which the run may then change itself.
    QHash<DocumentWindow*, QString> now;
    for (DocumentWindow* doc : documentWindows()) {
        connect(doc, &DocumentWindow::stateChanged, this, &frmGlobalReplace::documentStateChanged,
                Qt::UniqueConnection);
        if (doc->fileSaved || isUntitledPath(doc->filePath)) continue;
        const auto known = heldBy_.constFind(doc);
        now.insert(doc, known != heldBy_.cend() ? *known : canonicalPath(doc->filePath));
    }
    if (now == heldBy_) return;
    heldBy_ = now;
    held_->set(QSet<QString>(heldBy_.cbegin(), heldBy_.cend()));
}

void frmGlobalReplace::documentStateChanged(DocumentWindow* doc) {
    // Every key typed reports here: only a document that changed between saved and unsaved
    // counts, the first key typed into a saved page above all.
    if (!held_ || !doc) return;
    const bool holds = !doc->fileSaved && !isUntitledPath(doc->filePath);
    if (holds == heldBy_.contains(doc)) return;
    watchDocuments();
}

void frmGlobalReplace::folderRunEnded() {
    if (!job_) return;
    // What follows changes documents and asks questions: not under a dialog the user has open,
    // whose work may be on one of those documents.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(100, this, &frmGlobalReplace::folderRunEnded);
        return;
    }
    for (DocumentWindow* doc : documentWindows())
        disconnect(doc, &DocumentWindow::stateChanged, this, &frmGlobalReplace::documentStateChanged);
    held_.reset();
    heldBy_.clear();
    const FolderReplaceRun& run = job_->run();
    const QVector<ReplaceEntry> found = run.entries;
    totalReplacements += run.totalReplacements;
    const bool cancelled = run.cancelled;
    tick_->stop();
    tick_ = nullptr;
    job_->deleteLater();
    job_ = nullptr;
    unsetCursor();
    pbrProgress->hide();
    cmdCancel->hide();
    for (QWidget* w : {static_cast<QWidget*>(txtFind), static_cast<QWidget*>(txtReplace), static_cast<QWidget*>(Frame2),
                       static_cast<QWidget*>(chkMatchCase), static_cast<QWidget*>(chkWholeWords),
                       static_cast<QWidget*>(chkBackup)})
        w->setEnabled(true);

    // The documents as they stand now: the user may have opened, edited, saved or closed any.
    QStringList rewritten;
    for (const ReplaceEntry& entry : found) {
        if (entry.kind == ReplaceEntry::Kind::InDocument) {
            const QString canonical = canonicalPath(entry.path);
            DocumentWindow* holder = nullptr;
            for (DocumentWindow* doc : documentWindows()) {
                if (isUntitledPath(doc->filePath) || canonicalPath(doc->filePath) != canonical) continue;
                if (!holder || !doc->fileSaved) holder = doc;
            }
            // The window holds the user's edits: the replacement goes in there.
            if (holder) {
                replaceInDocument(holder);
                continue;
            }
            // Its window was closed meanwhile: the file is as the user left it, and is replaced
            // as every other file was.
            const FileReplaceOutcome outcome = replaceInFile(entry.path, request_);
            if (const std::optional<ReplaceEntry> done = entryFor(entry.path, outcome)) {
                if (done->kind == ReplaceEntry::Kind::Replaced) {
                    rewritten << entry.path;
                    totalReplacements += done->count;
                }
                addEntry(*done);
            }
            continue;
        }
        if (entry.kind == ReplaceEntry::Kind::Replaced) rewritten << entry.path;
        addEntry(entry);
    }
    finishRun(runMode_, rewritten, cancelled);
}

void frmGlobalReplace::finishRun(int mode, const QStringList& rewritten, bool cancelled) {
    const QPointer<frmGlobalReplace> self(this);
    cmdClose->setEnabled(true);
    setBusy(false);
    lblStatus->clear();
    lblSearch->hide();
    if (showPanel && mainWindow) mainWindow->populateFileList();
    if (mode >= 3 && !quiet_) reloadChangedDocuments(rewritten);
    if (!self) return;
    if (mode <= 2) {
        if (DocumentWindow* doc = activeDocument()) {
            doc->txtMain->select(0, 0);
            doc->txtMain->viewport()->update();
        }
    }
    // A window closed during the run, or a program that closes, wants no more windows.
    if (!quiet_ && !closeWhenDone_) showResults(entries_, mode >= 3, cancelled);
    if (!self) return;
    running_ = false;
    txtFind_Change();
    std::function<void()> then = std::move(then_);
    then_ = nullptr;
    quiet_ = false;
    emit replaceFinished();
    if (!self) return;
    if (closeWhenDone_) unload();
    // The close of the program goes on from the event loop, not from inside this window.
    if (then) QTimer::singleShot(0, qApp, then);
}

void frmGlobalReplace::reloadChangedDocuments(const QStringList& rewritten) {
    QSet<QString> changed;
    for (const QString& path : rewritten) changed.insert(canonicalPath(path));
    QVector<QPointer<DocumentWindow>> docs;
    for (DocumentWindow* doc : documentWindows()) {
        // A document with edits of its own is never reloaded over them.
        if (!doc->fileSaved || isUntitledPath(doc->filePath)) continue;
        if (changed.contains(canonicalPath(doc->filePath))) docs << doc;
    }
    if (docs.isEmpty()) return;
    int answer = vbNo;
    message(QStringLiteral("One or more open files were changed by this action.\n\nWould you like to reload them?"),
            vbYesNo + vbExclamation, &answer);
    if (answer != vbYes) return;
    for (const QPointer<DocumentWindow>& doc : docs) {
        if (!doc) continue;
        // Only a file that reads back whole takes the window's place.
        const TextFileResult check = readTextFile(doc->filePath);
        if (!check.ok) continue;
        ignoreChange = true;
        doc->clearDocument();
        doc->loadDocumentFile(doc->filePath);
        doc->fileSaved = true;
        setFileSaved(doc, true);
        ignoreChange = false;
        if (doc->txtMain->tag == QLatin1String("T")) colorCodeDocument(doc);
    }
    // Clearing a window set the shared Undo and Redo items for it; they belong to the active one.
    if (DocumentWindow* active = activeDocument()) {
        enableUndo(active->undoI >= 1);
        enableRedo(active->redoI >= 1);
    }
}

void frmGlobalReplace::showResults(const QVector<ReplaceEntry>& entries, bool folderMode, bool cancelled) {
    auto* results = new frmSearchResults(dialogOwner());
    results->setResults(entries, folderMode ? filterText : QString(), totalReplacements, cancelled);
    QPointer<QWidget> self(this);
    const bool hadKeyboard = isActiveWindow();
    runModal(results);
    takeKeyboardBack(self, hadKeyboard);
}

void frmGlobalReplace::cmdReplaceAll_Click() {
    if (running_ || txtFind->text().isEmpty()) return;
    // ---- What to search, and whether it may start ----
    int mode = optFile->isChecked() ? 1 : optAllFiles->isChecked() ? 2 : 0;
    QString folder = QDir::fromNativeSeparators(txtFolder->text().trimmed());
    if (mode == 0) {
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
            message(QStringLiteral("The folder you have specified does not exist."), vbOKOnly + vbExclamation);
            return;
        }
        mode = chkSubFolders->isChecked() ? 4 : 3;
    }
    if (mode <= 2) {
        if (documentWindows().isEmpty()) {
            message(QStringLiteral("No documents have been opened."), vbOKOnly + vbInformation);
            return;
        }
    } else {
        int answer = vbNo;
        message(QStringLiteral("Please note that this procedure cannot be undone.\n\nDo you wish to proceed?"),
                vbYesNo + vbInformation, &answer);
        if (answer != vbYes) return;
    }
    repaint();

    // ---- The run ----
    totalReplacements = 0;
    resultCount = 0;
    resultLines.clear();
    resultPaths.clear();
    entries_.clear();
    request_.find = txtFind->text();
    request_.replacement = txtReplace->text();
    request_.flags = (chkMatchCase->isChecked() ? searchMatchCase : 0) + (chkWholeWords->isChecked() ? searchWholeWord : 0);
    request_.backups = chkBackup->isChecked();
    if (!folder.endsWith(u'/')) folder += u'/';
    filterText = cboFilter->currentText().trimmed();
    if (filterText.isEmpty()) {
        filterText = QStringLiteral("*.html");
        cboFilter->setEditText(filterText);
    }

    running_ = true;
    runMode_ = mode;
    closeWhenDone_ = false;
    cmdClose->setEnabled(false);
    lblSearch->show();
    if (mode >= 3) {
        // The rest follows when the run has ended.
        startFolderRun(folder, mode == 4);
        return;
    }
    setBusy(true);
    if (mode == 1) {
        if (DocumentWindow* doc = activeDocument()) replaceInDocument(doc);
    } else {
        for (DocumentWindow* doc : documentWindows()) replaceInDocument(doc);
    }
    finishRun(mode, {}, false);
}

void frmGlobalReplace::cmdClose_Click() {
    if (!running_) unload();
}

void frmGlobalReplace::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(
        event,
        [this] {
            if (!pressFocusedButton() && !typing_->typing() && cmdReplaceAll->isEnabled()) cmdReplaceAll_Click();
        },
        [this] {
            if (job_) cmdCancel_Click();
        });
}


}  // namespace kavrin
