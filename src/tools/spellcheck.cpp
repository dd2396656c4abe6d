#include "tools/spellcheck.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusBar>
#include <QVector>

#include <iterator>

#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "documents/progress.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/eventwatcher.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "tools/frmSpell.h"
#include "tools/spelllists.h"
#include "tools/spellscan.h"
#include "tools/spellsuggest.h"

namespace kavrin {

namespace {

struct ChangeAllPair {
    QString fromWord;  // lower case
    QString toWord;    // as applied the first time
};

// While a run goes on, a click on the main window's panes gives the Spelling window the focus.
class PaneClickFilter : public QObject {
public:
    QVector<QPointer<QWidget>> panes;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress || !spellCheckRunning) return false;
        QWidget* w = watchedWidget(watched);
        for (const QPointer<QWidget>& pane : panes) {
            if (pane && w && (w == pane || pane->isAncestorOf(w))) {
                focusSpellDialog();
                return false;
            }
        }
        return false;
    }
};

struct SpellRun {
    SpellScanner scanner;
    QPointer<DocumentWindow> doc;
    QVector<ChangeAllPair> changeAll;
    QVector<QPointer<QWidget>> disabledPanes;
    PaneClickFilter* filter = nullptr;
    QMetaObject::Connection clickConnection;
    QMetaObject::Connection destroyedConnection;
    bool scanning = false;
    bool pageChanged = false;  // found while scanning; the run ends once the scan has returned
};

SpellRun& run() {
    static SpellRun r;
    return r;
}

QPointer<frmSpell>& formInstance() {
    static QPointer<frmSpell> f;
    return f;
}

const QString kPageChanged = QStringLiteral(
    "The document was changed during the spell check, so the word under review is no longer where it "
    "was.\r\n\r\nThe spell check has been stopped.");

// The page as the scan copy sees it (typographic apostrophes made plain).
QString scanForm(QString text) {
    text.replace(QChar(0x2019), QLatin1Char('\''));
    return text;
}

bool wordStillAt(const RichTextBox* editor, int start, int length, const QString& word) {
    if (start < 0 || length < 0 || start + length > editor->textLength()) return false;
    return scanForm(editor->text().mid(start, length)) == word;
}

void endWithPageChanged() {
    endSpellCheck();
    setBusy(false);
    msgBox(kPageChanged, vbExclamation, QStringLiteral("Spell Check"));
}

// The page no longer matches the run's copy: during a scan the run ends once the scan has
// returned (the copy is still being walked), otherwise at once.
void pageChanged() {
    if (run().scanning) run().pageChanged = true;
    else endWithPageChanged();
}

DocumentWindow* liveDocument() {
    DocumentWindow* doc = run().doc;
    return doc && !doc->isUnloading() ? doc : nullptr;
}

void bringForward(DocumentWindow* doc) {
    if (!doc || doc == activeDocument()) return;
    if (QMdiArea* area = Form::mdiArea(); area && doc->subWindow()) area->setActiveSubWindow(doc->subWindow());
}

// Selects and replaces [start, start + length) in the run's document as one undoable edit.
bool replaceAt(int start, int length, const QString& expected, const QString& replacement) {
    DocumentWindow* doc = liveDocument();
    if (!doc || !wordStillAt(doc->txtMain, start, length, expected)) {
        pageChanged();
        return false;
    }
    RichTextBox* editor = doc->txtMain;
    editor->select(start, length);
    selStartBeforeChange = start;
    selLengthBeforeChange = length;
    editor->setSelText(replacement);
    return true;
}

void disablePanes() {
    SpellRun& r = run();
    mdiMain* main = mainWindow;
    if (!main) return;
    QVector<QWidget*> panes{main->picTools, main->picFile, main->picPop, main->picPbr};
    // Panes built elsewhere are found by name.
    for (const char* name : {"picColor", "picSplitter", "picHSplitter", "picProjectTbr", "picTab"})
        for (QWidget* w : main->findChildren<QWidget*>(QLatin1String(name))) panes << w;
    r.filter = new PaneClickFilter();
    for (QWidget* w : panes) {
        if (!w) continue;
        r.filter->panes << w;
        if (w->isEnabled()) {
            w->setEnabled(false);
            r.disabledPanes << w;
        }
    }
    if (main->stbMain) r.filter->panes << main->stbMain;
    qApp->installEventFilter(r.filter);
}

void enablePanes() {
    SpellRun& r = run();
    for (const QPointer<QWidget>& w : r.disabledPanes)
        if (w) w->setEnabled(true);
    r.disabledPanes.clear();
    if (r.filter) {
        qApp->removeEventFilter(r.filter);
        delete r.filter;
        r.filter = nullptr;
    }
}

// Shows the Spelling window when it is not on screen yet.
frmSpell* showSpellForm() {
    frmSpell* form = spellForm(true);
    if (!form->formVisible) form->show();
    return form;
}

// Reads both lists the first time; the window shows meanwhile that it is loading.
bool loadDictionaries(QString* error) {
    if (spellLists().loaded) return true;
    frmSpell* form = showSpellForm();
    form->setCaption(QStringLiteral("Loading Dictionary..."));
    form->repaint();
    const bool ok = loadWordLists(error);
    form->setCaption(QStringLiteral("Spelling"));
    form->repaint();
    return ok;
}

// The lower-case form of a word; an ASCII word of ordinary length is lowered in place of its own.
class LowerForm {
public:
    explicit LowerForm(QStringView word) {
        if (word.size() <= qsizetype(std::size(buffer_))) {
            bool ascii = true;
            for (qsizetype i = 0; ascii && i < word.size(); ++i) {
                const char16_t u = word[i].unicode();
                ascii = u < 0x80;
                buffer_[i] = u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
            }
            if (ascii) {
                view_ = QStringView(buffer_, word.size());
                return;
            }
        }
        string_ = word.toString().toLower();
        view_ = string_;
    }
    LowerForm(const LowerForm&) = delete;
    LowerForm& operator=(const LowerForm&) = delete;
    QStringView view() const { return view_; }

private:
    char16_t buffer_[64];
    QString string_;
    QStringView view_;
};

// The steps after the main list, for a word that is not on it.
bool checkUnlistedWord(const QString& shown, int trailing, int position) {
    SpellRun& r = run();
    const SpellLists& lists = spellLists();
    const int length = int(shown.size());
    const QString w = shown.toLower();
    if (IgnoreFileNames && isWebOrFileAddress(w)) return true;
    if (IgnoreUppercaseWords && isAllUpperCase(shown)) return true;
    if (IgnoreNumbers) {
        for (const QChar c : w)
            if (c.isDigit()) return true;
    }
    if (lists.ignoredLower(w)) return true;
    const int start = r.scanner.lineOffset + position - length - trailing - 1;
    for (const ChangeAllPair& pair : r.changeAll) {
        if (pair.fromWord != w) continue;
        if (!replaceAt(start, length, shown, pair.toWord)) return false;
        r.scanner.lineOffset += int(pair.toWord.size()) - length;
        return true;
    }
    if (lists.user.containsLower(w)) return true;

    DocumentWindow* doc = liveDocument();
    if (!doc || !wordStillAt(doc->txtMain, start, length, shown)) {
        pageChanged();
        return false;
    }
    spellWordLength = length;
    spellWordStart = start;
    bringForward(doc);
    doc->txtMain->select(start, length);
    frmSpell* form = showSpellForm();
    form->showWord(shown, suggestionsFor(lists.main, w));
    form->repaint();
    form->activateWindow();
    form->raise();
    setBusy(false);
    return false;
}

void continueScan() {
    SpellRun& r = run();
    if (!spellCheckRunning) return;
    if (!liveDocument()) {
        endSpellCheck();
        return;
    }
    const SpellWordCheck check = [](QStringView word, int position) { return checkWord(word, position); };
    r.scanning = true;
    r.pageChanged = false;
    bool finished = false;
    try {
        finished = IgnoreTags ? r.scanner.scanWordsSkipTags(check) : r.scanner.scanWords(check);
    } catch (...) {
        // The copy could not be walked on (out of memory): treat it as the end of the page.
        finished = true;
    }
    r.scanning = false;
    if (r.pageChanged) {
        endWithPageChanged();
        return;
    }
    if (!finished) return;
    endSpellCheck();
    setBusy(false);
    msgBox(QStringLiteral("Spell check complete."), vbInformation, QStringLiteral("Finished"));
}

}  // namespace

frmSpell* spellForm(bool create) {
    QPointer<frmSpell>& f = formInstance();
    if (f && f->isUnloading()) f = nullptr;
    if (!f && create) f = new frmSpell(mainWindow);
    return f;
}

DocumentWindow* spellCheckDocument() { return spellCheckRunning ? liveDocument() : nullptr; }

void startSpellCheck() {
    if (spellCheckRunning) {
        // One run at a time: the page copy and the place in it belong to the run going on.
        focusSpellDialog();
        return;
    }
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    if (!fileExists(mainListPath())) {
        msgBox("The main dictionary '" + mainListPath() + "' was not found.", vbExclamation,
               QStringLiteral("File Not Found"));
        return;
    }
    setBusy(true);
    SpellRun& r = run();
    // The copy is taken before anything else can run, so it is this page as it stands now.
    QString page = doc->txtMain->text();
    QString error;
    if (!loadDictionaries(&error)) {
        setBusy(false);
        if (frmSpell* form = spellForm()) form->unload();
        msgBox("The main dictionary '" + mainListPath() + "' could not be read.\r\n\r\n" + error, vbExclamation,
               QStringLiteral("Spell Check"));
        return;
    }
    r.scanner.start(std::move(page));
    r.changeAll.clear();
    r.doc = doc;
    r.pageChanged = false;
    spellCheckRunning = true;
    spellWordStart = spellWordLength = 0;
    disablePanes();
    // A click in the page selects the word under review again; closing the page ends the run.
    r.clickConnection = QObject::connect(doc->txtMain, &RichTextBox::Click, doc->txtMain, [] {
        if (spellCheckRunning && !run().scanning) focusSpellDialog();
    });
    r.destroyedConnection = QObject::connect(doc, &QObject::destroyed, [] {
        if (spellCheckRunning && !run().scanning) endSpellCheck();
    });
    continueScan();
}

void endSpellCheck() {
    SpellRun& r = run();
    if (spellLists().loaded) spellLists().user.write(userListPath());
    r.changeAll.clear();
    r.scanner.clear();
    spellCheckRunning = false;
    QObject::disconnect(r.clickConnection);
    QObject::disconnect(r.destroyedConnection);
    r.doc = nullptr;
    enablePanes();
    if (frmSpell* form = spellForm(); form && !form->unloadingNow_) form->unload();
    setBusy(false);
}

void resumeSpellCheck() { continueScan(); }

bool checkWord(QStringView word, int position) {
    try {
        int trailing = 0;
        const QStringView trimmed = trimPunctuation(word, trailing);
        if (trimmed.size() < 2) return true;
        // Most words of a page are on the main list: they are looked up without a string of
        // their own.
        if (spellLists().main.contains(LowerForm(trimmed).view())) return true;
        return checkUnlistedWord(trimmed.toString(), trailing, position);
    } catch (...) {
        return true;
    }
}

bool replaceSpellWord(const QString& word, const QString& replacement) {
    if (!spellCheckRunning) return false;
    return replaceAt(spellWordStart, spellWordLength, word, replacement);
}

void addChangeAllPair(const QString& word, const QString& replacement) {
    run().changeAll.push_back({word.toLower(), replacement});
}

void moveSpellLineOffset(int delta) { run().scanner.lineOffset += delta; }

void focusSpellDialog() {
    if (!spellCheckRunning) return;
    if (DocumentWindow* doc = liveDocument()) doc->txtMain->select(spellWordStart, spellWordLength);
    if (frmSpell* form = spellForm()) {
        form->raise();
        form->activateWindow();
        form->setFocus();
    }
}

void resetSpellChecker() {
    if (spellCheckRunning) endSpellCheck();
    run().changeAll.clear();
    run().scanner.clear();
    unloadWordLists();
}

}  // namespace kavrin
