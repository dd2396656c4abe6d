#include "tools/frmReplace.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "documents/colouring/colorops.h"
#include "documents/colouring/colorrtf.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/dialogsize.h"
#include "platform/forms/msgbox.h"
#include "platform/richtext/richtextbox.h"
#include "platform/system/screen.h"
#include "tools/replaceall.h"
#include "tools/toolwindow.h"
#include "tagdialogs/tagdialog.h"

namespace kavrin {

namespace {

QPointer<frmReplace>& instance() {
    static QPointer<frmReplace> f;
    return f;
}

}  // namespace

frmReplace* replaceForm(bool create) {
    QPointer<frmReplace>& f = instance();
    if (f && f->isUnloading()) f = nullptr;
    if (!f && create) f = new frmReplace(mainWindow);
    return f;
}

frmReplace::frmReplace(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmReplace"));
    makeToolWindow(this);
    setCaption(QStringLiteral("Find/Replace"));

    Label1 = new QLabel(QStringLiteral("Find what:"), this);
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    Label2 = new QLabel(QStringLiteral("Replace with:"), this);
    txtReplace = new QLineEdit(this);
    txtReplace->setObjectName(QStringLiteral("txtReplace"));

    Frame1 = new QGroupBox(QStringLiteral("Search"), this);
    optAll = new QRadioButton(QStringLiteral("All"), Frame1);
    optStart = new QRadioButton(QStringLiteral("Start From Cursor"), Frame1);
    optSelected = new QRadioButton(QStringLiteral("Search Selected Text"), Frame1);
    optAll->setChecked(true);
    auto* searchLayout = new QVBoxLayout(Frame1);
    searchLayout->addWidget(optAll);
    searchLayout->addWidget(optStart);
    searchLayout->addWidget(optSelected);

    Frame2 = new QGroupBox(QStringLiteral("Options"), this);
    chkMatchCase = new QCheckBox(QStringLiteral("Match Case"), Frame2);
    chkWholeWords = new QCheckBox(QStringLiteral("Find Whole Words Only"), Frame2);
    auto* optionsLayout = new QVBoxLayout(Frame2);
    optionsLayout->addWidget(chkMatchCase);
    optionsLayout->addWidget(chkWholeWords);
    optionsLayout->addStretch(1);

    cmdFindNext = new QPushButton(QStringLiteral("&Find Next"), this);
    cmdReplace = new QPushButton(QStringLiteral("&Replace"), this);
    cmdReplaceAll = new QPushButton(QStringLiteral("Replace &All"), this);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {cmdFindNext, cmdReplace, cmdReplaceAll, cmdClose}) b->setAutoDefault(false);
    cmdFindNext->setDefault(true);
    cmdFindNext->setEnabled(false);
    cmdReplace->setEnabled(false);
    cmdReplaceAll->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(txtFind, 0, 1, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(txtReplace, 1, 1, 1, 2);
    grid->addWidget(Frame1, 2, 0, 1, 2);
    grid->addWidget(Frame2, 2, 2);
    auto* buttons = new QVBoxLayout();
    buttons->addWidget(cmdFindNext);
    buttons->addWidget(cmdReplace);
    buttons->addWidget(cmdReplaceAll);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    grid->addLayout(buttons, 0, 3, 3, 1);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(twipsToPixels(7200));

    setTabOrder(txtFind, txtReplace);
    setTabOrder(txtReplace, optAll);
    setTabOrder(optAll, chkMatchCase);
    setTabOrder(chkMatchCase, chkWholeWords);
    setTabOrder(chkWholeWords, cmdFindNext);
    setTabOrder(cmdFindNext, cmdReplace);
    setTabOrder(cmdReplace, cmdReplaceAll);
    setTabOrder(cmdReplaceAll, cmdClose);

    // While a field is being typed in, Enter does not search.
    typing_ = new TypingFields(cmdFindNext, {txtFind, txtReplace});
    connect(txtFind, &QLineEdit::textChanged, this, [this] { txtFind_Change(); });
    connect(txtReplace, &QLineEdit::textChanged, this, [this] { txtReplace_Change(); });
    connect(chkMatchCase, &QCheckBox::toggled, this, [this] { newSearch = true; });
    connect(chkWholeWords, &QCheckBox::toggled, this, [this] { newSearch = true; });
    connect(optSelected, &QRadioButton::clicked, this, [this] { optSelected_Click(); });
    connect(cmdFindNext, &QPushButton::clicked, this, [this] { cmdFindNext_Click(); });
    connect(cmdReplace, &QPushButton::clicked, this, [this] { cmdReplace_Click(); });
    connect(cmdReplaceAll, &QPushButton::clicked, this, [this] { cmdReplaceAll_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

void frmReplace::Form_Load() {
    fixToContents(this);
    placeToolWindow(this);
    // A long selection comes into Find what whole.
    liftLengthLimits(this);
    if (DocumentWindow* doc = activeDocument(); doc && doc->txtMain->selLength() > 0)
        txtFind->setText(doc->txtMain->selText());
    newSearch = true;
    txtFind->setFocus();
}

void frmReplace::message(const QString& text, int buttons) { toolMessage(this, text, buttons); }

void frmReplace::txtFind_Change() {
    const bool any = !txtFind->text().isEmpty();
    cmdFindNext->setEnabled(any);
    cmdReplaceAll->setEnabled(any);
    newSearch = true;
}

// The replacement has no say in where the hits are: typing it after a Find Next keeps the pass,
// so that Replace goes on after the replaced text instead of starting again at the top (where
// the new text may be a hit itself).
void frmReplace::txtReplace_Change() {}

void frmReplace::optSelected_Click() {
    DocumentWindow* doc = activeDocument();
    if (doc && doc->txtMain->selLength() > 0) {
        rangeStart = doc->txtMain->selStart();
        rangeLength = doc->txtMain->selLength();
        txtFind->clear();
        return;
    }
    message(QStringLiteral("You must select some text to use this option."), vbOKOnly);
    optAll->setChecked(true);
}

void frmReplace::bindPass(DocumentWindow* doc) {
    // Offsets of one page mean nothing in another: a different document starts a new pass.
    if (doc != passDoc_) newSearch = true;
    passDoc_ = doc;
}

void frmReplace::startPass(RichTextBox* editor) {
    findFlags = (chkMatchCase->isChecked() ? rtfMatchCase : 0) + (chkWholeWords->isChecked() ? rtfWholeWord : 0);
    if (optSelected->isChecked()) {
        searchEnd = -1;
        searchStart = rangeStart;
    } else if (optStart->isChecked()) {
        searchStart = editor->selStart();
        searchEnd = editor->textLength();
    } else {
        searchStart = 0;
        searchEnd = editor->textLength();
    }
}

int frmReplace::searchOnce(RichTextBox* editor) {
    if (searchEnd == -1) {
        rangeLength = rangeLength - (searchStart - rangeStart);
        rangeStart = searchStart;
        if (rangeLength < 1) return -1;
        editor->select(rangeStart, rangeLength);
        return editor->find(findText, -1, -1, findFlags);
    }
    return editor->find(findText, searchStart, searchEnd, findFlags);
}

void frmReplace::cmdFindNext_Click() {
    findText = txtFind->text();
    DocumentWindow* doc = activeDocument();
    if (!doc || findText.isEmpty()) return;
    RichTextBox* editor = doc->txtMain;
    bindPass(doc);
    if (newSearch) startPass(editor);
    const int hit = searchOnce(editor);
    if (hit >= 0) {
        newSearch = false;
        searchStart = hit + 1;
        editor->select(hit, int(findText.size()));
        hitDoc_ = doc;
        hitStart_ = hit;
        hitLength_ = int(findText.size());
        cmdReplace->setEnabled(true);
        cmdReplaceAll->setEnabled(true);
        return;
    }
    hitDoc_ = nullptr;
    hitStart_ = -1;
    message("The string \"" + findText + "\" was not found.", vbInformation);
    newSearch = true;
    editor->setSelStart(editor->selStart());
    editor->viewport()->update();
}

QString frmReplace::replacementText() const {
    // As the editor will hold it: a line break pasted in as a lone LF (or CR) is CR LF there, and
    // the pass and the undo steps count it so.
    return withCrLfBreaks(txtReplace->text());
}

void frmReplace::cmdReplace_Click() {
    const QString rep = replacementText();
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    RichTextBox* editor = doc->txtMain;
    // Only the hit still shown is replaced; after the user moved on (another page, another
    // selection, an edit) Replace looks for the next hit instead of overwriting whatever is selected.
    const Qt::CaseSensitivity cs = (findFlags & rtfMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const bool stillTheHit = doc == hitDoc_ && hitStart_ >= 0 && editor->selStart() == hitStart_ &&
                             editor->selLength() == hitLength_ &&
                             editor->selText().compare(findText, cs) == 0;
    if (!stillTheHit) {
        cmdFindNext_Click();
        return;
    }
    selStartBeforeChange = editor->selStart();
    selLengthBeforeChange = editor->selLength();
    editor->setSelText(rep);
    hitStart_ = -1;
    searchStart = searchStart + int(rep.size()) - 1;
    cmdReplace->setEnabled(false);
    const int d = int(rep.size()) - int(findText.size());
    if (searchEnd == -1) rangeLength += d;
    else searchEnd += d;
    cmdFindNext_Click();
}

void frmReplace::cmdReplaceAll_Click() {
    const QString find = txtFind->text();
    const QString rep = replacementText();
    DocumentWindow* doc = activeDocument();
    if (!doc || find.isEmpty()) return;
    RichTextBox* editor = doc->txtMain;
    findText = find;
    cmdClose->setEnabled(false);
    editor->setRedraw(false);
    setBusy(true);
    const int caret = editor->selStart();
    int count = 0;
    try {
        bindPass(doc);
        if (newSearch) {
            startPass(editor);
        } else if (doc == hitDoc_ && hitStart_ >= 0) {
            // The hit on screen is part of what the user asks to replace.
            searchStart = hitStart_;
        }
        FindPass pass{find, findFlags, searchStart, searchEnd, rangeStart, rangeLength};
        count = replaceAllHits(doc, pass, rep);
        searchStart = pass.searchStart;
        searchEnd = pass.searchEnd;
        rangeStart = pass.rangeStart;
        rangeLength = pass.rangeLength;
    } catch (...) {
        // The summary below tells how far it came.
    }
    newSearch = true;
    hitDoc_ = nullptr;
    hitStart_ = -1;
    editor->select(caret, 0);
    // The sweep edits past the caret without moving it, so the status bar would keep whatever it
    // showed before; it tells where the caret is now.
    doc->txtmain_SelChange();
    cmdClose->setEnabled(true);
    setBusy(false);
    editor->setRedraw(true);
    message("The string '" + find + "' was replaced " + trimNumber(count) + " times.", vbInformation);
}

void frmReplace::cmdClose_Click() { unload(); }

void frmReplace::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(
        event,
        [this] {
            if (!pressFocusedButton() && !typing_->typing() && cmdFindNext->isEnabled()) cmdFindNext_Click();
        },
        [this] {
            if (cmdClose->isEnabled()) cmdClose_Click();
        });
}


}  // namespace kavrin
