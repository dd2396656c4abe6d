#include "tools/frmGlobalReplace.h"

#include <QPointer>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

#include "documents/colorcoding.h"
#include "documents/colorops.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/msgbox.h"
#include "platform/screen.h"
#include "platform/textfile.h"
#include "tagdialogs/tagdialog.h"
#include "tools/documentedit.h"
#include "tools/frmSearchResults.h"
#include "tools/textsearch.h"
#include "tools/toolwindow.h"

namespace kavrin {

namespace {

QPointer<frmGlobalReplace>& instance() {
    static QPointer<frmGlobalReplace> f;
    return f;
}

// While a folder run goes on, the user reaches only its Cancel button: no edit may change a
// document or a file under the run, and no window may close. Escape and closing this window
// cancel the run.
class RunGuard : public QObject {
public:
    RunGuard(QWidget* dialog, QWidget* allowed, std::function<void()> cancel)
        : dialog_(dialog), allowed_(allowed), cancel_(std::move(cancel)) {
        qApp->installEventFilter(this);
    }
    ~RunGuard() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                cancel_();
                return true;
            }
            [[fallthrough]];
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: {
            // Input reaches a widget through its window first: only the widgets are judged.
            auto* widget = qobject_cast<QWidget*>(watched);
            return widget && !isAllowed(widget);
        }
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride: {
            auto* widget = qobject_cast<QWidget*>(watched);
            return !widget || !isAllowed(widget);
        }
        case QEvent::Close: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!widget || !widget->isWindow()) return false;
            if (widget == dialog_) cancel_();
            event->ignore();
            return true;
        }
        default:
            return false;
        }
    }

private:
    bool isAllowed(QWidget* widget) const { return widget == allowed_ || allowed_->isAncestorOf(widget); }

    QWidget* dialog_;
    QWidget* allowed_;
    std::function<void()> cancel_;
};

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
    if (running_) {
        cancel = 1;
        cmdCancel_Click();
    }
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
    const QVector<qsizetype> hits = replacementHits(text, request_.find, request_.replacement, request_.flags);
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
        applyReplacements(QStringView(text).mid(first, end - first), local, findLength, request_.replacement);
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
    if (progress_) progress_->cancel = true;
    cmdCancel->setEnabled(false);
}

void frmGlobalReplace::runInFolder(const QString& folder, bool subFolders, QVector<ReplaceEntry>* entries,
                                   bool* cancelled) {
    FolderReplaceRun run;
    run.folder = folder;
    run.pattern = filterText;
    run.subFolders = subFolders;
    run.request = request_;
    for (DocumentWindow* doc : documentWindows()) {
        if (doc->fileSaved || isUntitledPath(doc->filePath)) continue;
        const QString canonical = canonicalPath(doc->filePath);
        if (!canonical.isEmpty()) run.heldByDocuments.insert(canonical);
    }

    ReplaceProgress progress;
    progress.afterFile = [&progress] {
        if (afterEachFile) afterEachFile(progress);
    };
    progress_ = &progress;
    running_ = true;
    // What the run was started with stays on view, out of reach until it ends.
    const QVector<QWidget*> settings = {txtFind, txtReplace, Frame2, chkMatchCase, chkWholeWords, chkBackup};
    for (QWidget* w : settings) w->setEnabled(false);
    cmdReplaceAll->setEnabled(false);
    pbrProgress->setRange(0, 0);
    pbrProgress->show();
    cmdCancel->setEnabled(true);
    cmdCancel->show();
    cmdCancel->setFocus();

    {
        RunGuard guard(this, cmdCancel, [this] { cmdCancel_Click(); });
        QEventLoop loop;
        std::unique_ptr<QThread> worker(QThread::create([&run, &progress] { run.run(progress); }));
        connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
        QTimer tick;
        tick.setInterval(100);
        connect(&tick, &QTimer::timeout, this, [this, &progress] {
            const int total = progress.filesTotal;
            if (total > 0) {
                pbrProgress->setRange(0, total);
                pbrProgress->setValue(progress.filesDone);
            }
            const QString path = progress.current();
            lblStatus->setText(lblStatus->fontMetrics().elidedText(path, Qt::ElideMiddle, lblStatus->width()));
        });
        tick.start();
        worker->start();
        loop.exec();
        worker->wait();
    }

    progress_ = nullptr;
    running_ = false;
    pbrProgress->hide();
    cmdCancel->hide();
    for (QWidget* w : settings) w->setEnabled(true);
    txtFind_Change();
    *entries = run.entries;
    totalReplacements += run.totalReplacements;
    *cancelled = run.cancelled;
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

    setBusy(true);
    cmdClose->setEnabled(false);
    lblSearch->show();
    bool cancelled = false;
    QStringList rewritten;
    if (mode == 1) {
        if (DocumentWindow* doc = activeDocument()) replaceInDocument(doc);
    } else if (mode == 2) {
        for (DocumentWindow* doc : documentWindows()) replaceInDocument(doc);
    } else {
        QVector<ReplaceEntry> found;
        runInFolder(folder, mode == 4, &found, &cancelled);
        QHash<QString, QPointer<DocumentWindow>> held;
        for (DocumentWindow* doc : documentWindows())
            if (!doc->fileSaved && !isUntitledPath(doc->filePath)) held.insert(canonicalPath(doc->filePath), doc);
        for (const ReplaceEntry& entry : found) {
            if (entry.kind == ReplaceEntry::Kind::InDocument) {
                // The window holds the user's unsaved edits: the replacement goes in there.
                if (DocumentWindow* doc = held.value(canonicalPath(entry.path))) replaceInDocument(doc);
                continue;
            }
            if (entry.kind == ReplaceEntry::Kind::Replaced) rewritten << entry.path;
            addEntry(entry);
        }
    }

    cmdClose->setEnabled(true);
    setBusy(false);
    lblStatus->clear();
    lblSearch->hide();
    if (showPanel && mainWindow) mainWindow->populateFileList();
    if (mode >= 3) reloadChangedDocuments(rewritten);
    if (mode <= 2) {
        if (DocumentWindow* doc = activeDocument()) {
            doc->txtMain->select(0, 0);
            doc->txtMain->viewport()->update();
        }
    }
    showResults(entries_, mode >= 3, cancelled);
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
        [] {});
}


}  // namespace kavrin
