#include "tools/tagtools.h"

#include "documents/colouring/colorcoding.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/progress.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "tools/documentedit.h"
#include "tools/frmTagCase.h"
#include "tools/tagscan.h"

namespace kavrin {

namespace {

// The bar and the hourglass of one run, put away however the run ends.
class ScanProgressScope {
public:
    explicit ScanProgressScope(qsizetype total) {
        setBusy(true);
        showProgress(true, int(qMin<qsizetype>(total, INT_MAX)));
    }
    ~ScanProgressScope() {
        showProgress(false);
        setBusy(false);
    }
    ScanProgress callback() const {
        return [](qint64 position) { updateProgress(int(qMin<qint64>(position, INT_MAX))); };
    }
};

class RedrawOff {
public:
    explicit RedrawOff(RichTextBox* editor) : editor_(editor) { editor_->setRedraw(false); }
    ~RedrawOff() { editor_->setRedraw(true); }

private:
    RichTextBox* editor_;
};

}  // namespace

void changeTagCaseOf(DocumentWindow* doc, bool upper) {
    if (!doc) return;
    RichTextBox* editor = doc->txtMain;
    QString result;
    {
        ScanProgressScope scope(editor->textLength());
        try {
            result = changeTagCase(editor->text(), upper, scope.callback());
        } catch (...) {
            // Out of memory on a huge page: the document stays as it was.
            return;
        }
        RedrawOff redraw(editor);
        if (!replaceDocumentText(doc, result)) return;
    }
    if (editor->tag == QLatin1String("T")) colorCodeDocument(doc);
}

void changeTagCaseOfActiveDocument() {
    if (!activeDocument()) return;
    const quint8 answer = frmTagCase::ask();
    if (answer == 0) return;
    // The dialog may have outlived the document it was asked for.
    changeTagCaseOf(activeDocument(), answer == 1);
}

void removeTagsFromSelection() {
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    RichTextBox* editor = doc->txtMain;
    if (editor->selLength() == 0) {
        msgBox(QStringLiteral("This function operates on the selected region of a document.\n\n"
                              "Please select some or all of the text in the current document before proceeding."),
               vbOKOnly + vbInformation);
        return;
    }
    const QString question = QStringLiteral(
        "This procedure will remove all HTML tags from the selected region.\r\n\r\n"
        "Make sure that all greater than > and less than < signs not associated "
        "with tags are encoded using &#62; and &#60;.\n"
        "Scripting languages should be enclosed in comments to hide greater than > and less than < signs.\r\n\r\n"
        "Do you wish to continue?");
    if (msgBox(question, vbYesNo + vbExclamation, QStringLiteral("Strip HTML Tags")) != vbYes) return;

    const int start = editor->selStart();
    const int length = editor->selLength();
    ScanProgressScope scope(length);
    QString result;
    try {
        result = stripTags(editor->selText(), scope.callback());
    } catch (...) {
        return;
    }
    RedrawOff redraw(editor);
    const bool wasIgnoring = ignoreChange;
    ignoreChange = true;
    editor->setSelColor(0);
    ignoreChange = wasIgnoring;
    replaceDocumentRange(doc, start, length, result);
    editor->select(start, 0);
}

}  // namespace kavrin
