#pragma once
// A spell-check run over one document: the page is copied once and scanned word by word; at the
// first unknown word the word is selected in the page and offered in the Spelling window, whose
// buttons act on it and resume the scan. The run stays with the document it started on.
#include <QString>
#include <QStringView>

namespace kavrin {

class DocumentWindow;

// Starts a run on the active document. While a run is going on it only brings the Spelling
// window forward.
void startSpellCheck();
// Ends the run: writes the user's word list, forgets the change-all pairs and the page copy, and
// closes the Spelling window. Nothing is said.
void endSpellCheck();
// Goes on scanning from where the run stopped (the Spelling window's buttons call it).
void resumeSpellCheck();

// Checks one word as found between two boundaries; position is the 1-based column of the
// boundary that ends it. False when the word is unknown and now waits in the Spelling window.
bool checkWord(QStringView word, int position);

// The document the run belongs to, or nullptr when no run is going on.
DocumentWindow* spellCheckDocument();
// Replaces the word under review in the run's document as one undoable edit, after checking that
// the page still holds `word` at its place; when it does not, the run ends with a message.
bool replaceSpellWord(const QString& word, const QString& replacement);
// Later occurrences of `word` (any case) are replaced by `replacement` without stopping.
void addChangeAllPair(const QString& word, const QString& replacement);
// The current line's offset, which a replacement of the word under review moves.
void moveSpellLineOffset(int delta);

// Gives the Spelling window the focus while a run is going on, after selecting the word under
// review again in the run's document (what a click in the page or on the main window's panes does).
void focusSpellDialog();

// Forgets everything the spell checker keeps: word lists, ignore-all list, any run (tests).
void resetSpellChecker();

}  // namespace kavrin
