// The File menu's commands and the two main toolbars.
#include <QCoreApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrinter>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QTimer>
#include <QWebEngineView>
#include <memory>

#include "documents/colouring/colorcoding.h"
#include "documents/docfile.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mainstartup.h"
#include "mainwindow/mdiMain.h"
#include "tools/frmBrowsers.h"
#include "platform/web/browsepage.h"
#include "platform/forms/commondialog.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "platform/files/textfile.h"
#include "platform/web/webviews.h"

namespace kavrin {

namespace {

constexpr int kMaxDocuments = 99;

// How long the rendered page may take to load and print before the command gives up.
constexpr int kBrowserPrintTimeoutMs = 60000;

// Restores the pointer however the command ends.
struct BusyScope {
    BusyScope() { setBusy(true); }
    ~BusyScope() { setBusy(false); }
};

void routeToFile(QPrinter& printer, const QString& pdfPath) {
    if (pdfPath.isEmpty()) return;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
}

// Loads the page in a hidden web view and prints what the engine renders, while the user goes on
// working: the job holds the printer and the work copy until the page has printed, failed to
// load, or run out of time, and then goes. The work copy is shown under its own name in the
// document's folder, so that it finds its pictures and style sheets there, in its site.
class RenderedPrint : public QObject {
public:
    static void start(QObject* owner, std::unique_ptr<QPrinter> printer, std::unique_ptr<QTemporaryFile> work,
                      const QString& documentPath) {
        new RenderedPrint(owner, std::move(printer), std::move(work), documentPath);
    }
    ~RenderedPrint() override {
        if (!untitled_) showLocalPageAs(shownAs_, QString());
    }

private:
    RenderedPrint(QObject* owner, std::unique_ptr<QPrinter> printer, std::unique_ptr<QTemporaryFile> work,
                  const QString& documentPath)
        : QObject(owner), printer_(std::move(printer)), work_(std::move(work)) {
        const QString file = work_->fileName();
        untitled_ = documentPath.startsWith(QLatin1String("Untitled"));
        shownAs_ = untitled_ ? file : QFileInfo(documentPath).absolutePath() + u'/' + QFileInfo(file).fileName();
        if (!untitled_) showLocalPageAs(shownAs_, file);
        // Nobody sees the page that prints: its scripts' boxes are answered unseen, and it
        // loads and prints whatever they ask.
        auto* page = new BrowsePage(localPageProfile(), BrowsePage::AnswerUnseen, &view_);
        guardPageSite(page);
        view_.setPage(page);
        view_.setAttribute(Qt::WA_DontShowOnScreen);
        connect(&view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
            if (done_) return;
            if (ok) view_.print(printer_.get());
            else finish();
        });
        connect(&view_, &QWebEngineView::printFinished, this, [this] { finish(); });
        QTimer::singleShot(kBrowserPrintTimeoutMs, this, [this] { finish(); });
        view_.load(localPageUrl(shownAs_, untitled_));
    }

    void finish() {
        if (done_) return;
        done_ = true;
        deleteLater();
    }

    // The view goes first: it prints into the printer and reads the work copy.
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QTemporaryFile> work_;
    QWebEngineView view_;
    QString shownAs_;
    bool untitled_ = false;
    bool done_ = false;
};

}  // namespace

void mdiMain::connectFileCommands() {
    connect(mnuFileNewBlank, &QAction::triggered, this, &mdiMain::mnuFileNewBlank_Click);
    for (int i = 0; i < mnuFileNewTemplate.size(); ++i)
        connect(mnuFileNewTemplate[i], &QAction::triggered, this, [this, i] { mnuFileNewTemplate_Click(qint16(i)); });
    connect(mnuFileClose, &QAction::triggered, this, &mdiMain::mnuFileClose_Click);
    connect(mnuFileCloseAll, &QAction::triggered, this, &mdiMain::mnuFileCloseAll_Click);
    connect(mnuFileSave, &QAction::triggered, this, &mdiMain::mnuFileSave_Click);
    connect(mnuFileSaveAs, &QAction::triggered, this, &mdiMain::mnuFileSaveAs_Click);
    connect(mnuFileSaveAll, &QAction::triggered, this, &mdiMain::mnuFileSaveAll_Click);
    connect(mnuFilePrintSource, &QAction::triggered, this, &mdiMain::mnuFilePrintSource_Click);
    connect(mnuFilePrintBrowser, &QAction::triggered, this, &mdiMain::mnuFilePrintBrowser_Click);
    connect(mnuFileExit, &QAction::triggered, this, &mdiMain::mnuFileExit_Click);
}

void mdiMain::mnuFileNewBlank_Click() { newDocument(); }

void mdiMain::mnuFileNewTemplate_Click(qint16 index) {
    if (Form::documentCount() >= kMaxDocuments) {
        msgBox("You already have 99 documents open.", vbExclamation, "Error: Too Many Documents Open.");
        return;
    }
    const QPointer<mdiMain> self(this);
    if (!whenLoneUntitledKnown([self, index] {
            if (self) self->mnuFileNewTemplate_Click(index);
        }))
        return;
    // Taken before a lone untouched document gives way, so the new one never reuses its name
    // while it is still open; the lowest free number also avoids two windows with one name.
    const QString name = nextUntitledName();

    const QString path = templateFilePath(int(index) + 1);
    const TextFileResult file = fileExists(path) ? readTextFile(path) : TextFileResult{};
    if (!file.ok || file.binary) {
        // A template that is there but cannot be taken (a picture saved over it) says why.
        QString message = QStringLiteral("Unable to load template.");
        if (!file.error.isEmpty()) message += "\r\n\r\n" + file.error;
        msgBox(message, vbExclamation, "Error Loading Template");
        return;
    }
    QString text = file.text;
    if (text.endsWith(QLatin1String("\r\n"))) text.chop(2);

    if (DocumentWindow* lone = loneUntitledDocument()) lone->unload();

    QPointer<DocumentWindow> doc = createDocumentWindow();
    doc->filePath = name;
    doc->load();
    doc->setCaption("Untitled");
    doc->show();
    if (!doc) return;
    doc->focusCurrentView();

    ignoreChange = true;
    doc->txtMain->setText(text);
    ignoreChange = false;
    if (colorOnOpen) {
        colorCoding = true;
        colorCodeDocument(doc);
    }
    setFileSaved(doc, false);
}

void mdiMain::mnuFileClose_Click() {
    if (DocumentWindow* doc = activeDocument()) doc->unload();
}

void mdiMain::mnuFileCloseAll_Click() {
    const QPointer<mdiMain> self(this);
    if (!whenDesignsCurrent([self] {
            if (self) self->mnuFileCloseAll_Click();
        }))
        return;
    unloadCancelled = false;
    closingAll = true;
    // Only documents close: the hidden pop-up menu window and open tool windows belong to the
    // program, not to the documents the user asked to close. A document whose design view is
    // typed into meanwhile closes once its page has told, and the rest follow.
    QVector<QPointer<Form>> docs;
    for (DocumentWindow* doc : documentWindows()) docs << doc;
    closeWindowsInTurn(docs, vbFormCode, [self](bool) {
        unloadCancelled = false;
        closingAll = false;
        if (!self) return;
        const int left = Form::documentCount();
        if (left == 0) {
            enableEditButtons(false);
            enableSaveAllButton(false);
            if (QLabel* panel = self->stbPanel(2)) panel->setText("0 KB");
            self->lblCursorPos->clear();
        }
        if (left <= 1) {
            enableSaveAllButton(false);
            self->mnuFileCloseAll->setEnabled(false);
        }
    });
}

void mdiMain::mnuFileSave_Click() { saveDocument(); }
void mdiMain::mnuFileSaveAs_Click() { saveDocumentAs(); }

void mdiMain::mnuFileSaveAll_Click() {
    if (!whenDesignsCurrent([this] { mnuFileSaveAll_Click(); })) return;
    QPointer<DocumentWindow> active = activeDocument();
    QVector<QPointer<DocumentWindow>> docs;
    for (DocumentWindow* doc : documentWindows()) docs << doc;

    // Every document goes through the same save as Save and Save As: a failed write leaves it
    // unsaved, and a chosen name that exists is replaced only when the user agrees.
    for (const QPointer<DocumentWindow>& doc : docs) {
        if (!doc || doc->isUnloading()) continue;
        if (doc->filePath.toLower().startsWith(QLatin1String("untitled"))) {
            bringDocumentForward(doc);
            saveDocumentAs(doc, QStringLiteral("Save File"));
        } else {
            saveDocument(doc);
        }
    }

    if (active) {
        bringDocumentForward(active);
        setFileSaved(active, active->fileSaved);
    }
    showDocumentSize();
}

void mdiMain::mnuFilePrintSource_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    // What the design view shows is what gets printed.
    if (!doc->whenDesignCurrent([this] { mnuFilePrintSource_Click(); })) return;
    if (doc->mode == 2) doc->applyDesignToSource();
    BusyScope busy;
    RichTextBox* editor = doc->txtMain;
    const bool hasSelection = editor->selLength() != 0;

    CommonDialog dialog;
    dialog.owner = this;
    dialog.flags = cdlPDReturnDC | cdlPDNoPageNums | (hasSelection ? cdlPDSelection : 0);
    QPrinter printer;
    if (!dialog.showPrinter(&printer)) return;
    routeToFile(printer, printOutputFile);

    // A copy in the text's colours and the editor's font.
    std::unique_ptr<QTextDocument> page = editor->coloredDocument(dialog.printSelection && hasSelection);
    page->setDefaultFont(editor->font());
    page->print(&printer);
}

void mdiMain::mnuFilePrintBrowser_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    // What the design view shows is what gets printed.
    if (!doc->whenDesignCurrent([this] { mnuFilePrintBrowser_Click(); })) return;
    if (doc->mode == 2) doc->applyDesignToSource();
    BusyScope busy;

    CommonDialog dialog;
    dialog.owner = this;
    dialog.flags = cdlPDReturnDC | cdlPDNoPageNums | cdlPDNoSelection;
    auto printer = std::make_unique<QPrinter>();
    if (!dialog.showPrinter(printer.get())) return;
    routeToFile(*printer, printOutputFile);

    // The page as edited goes into a work file of its own: the document's file on disk keeps
    // what the user saved, whatever happens while the page prints.
    auto work = std::make_unique<QTemporaryFile>(tempPath + QStringLiteral("print-XXXXXX.htm"));
    if (!work->open()) return;
    work->close();
    if (!writeTextFile(work->fileName(), doc->txtMain->text(), TextFormat{})) return;
    RenderedPrint::start(this, std::move(printer), std::move(work), doc->filePath);
}

void mdiMain::mnuFileExit_Click() { unload(vbFormCode); }

void mdiMain::tbrMainA_ButtonClick(const QString& key) {
    if (key == "new") mnuFileNewBlank_Click();
    else if (key == "open") mnuFileOpen_Click();
    else if (key == "save") mnuFileSave_Click();
    else if (key == "saveall") mnuFileSaveAll_Click();
    else if (key == "cut") mnuEditCut_Click();
    else if (key == "copy") mnuEditCopy_Click();
    else if (key == "paste") mnuEditPaste_Click();
    else if (key == "print") mnuFilePrintSource_Click();
}

void mdiMain::tbrMainB_ButtonClick(const QString& key) {
    if (key == "spell") mnuToolsSpell_Click();
    else if (key == "find") mnuEditFindReplace_Click();
    else if (key == "indent") mnuEditIndent_Click();
    else if (key == "unindent") mnuEditUnindent_Click();
    else if (key == "undo") mnuEditUndo_Click();
    else if (key == "redo") mnuEditRedo_Click();
    else if (key == "panel") mnuOptionsFileList_Click();
    else if (key == "ie") frmBrowsers::showChooser(tbrMainB->widgetForAction(tbrMainB->button("ie")));
    tbrMainB_MouseUp();
}

void mdiMain::tbrMainB_MouseUp() {
    if (!showPanel) return;
    if (QAction* panel = tbrMainB->button("panel")) panel->setChecked(true);
}

}  // namespace kavrin
