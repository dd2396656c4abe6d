#pragma once
// Splitting a page into words for the spell checker: a resumable scan over a copy of the page's
// lines, with or without skipping tags and comments, and the rules that trim and classify words.
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kavrin {

// Removes leading ( { [ " ' \ / ` and trailing punctuation from a word; `trailing` receives the
// number of characters removed from the end (a word's place is computed from its end).
QStringView trimPunctuation(QStringView word, int& trailing);
inline QString trimPunctuation(const QString& word, int& trailing) {
    return trimPunctuation(QStringView(word), trailing).toString();
}
// A file name with a three- or four-letter extension, a path or address with ":/" or ":\", or a
// host name with a common top-level domain; never a word shorter than five characters.
bool isWebOrFileAddress(const QString& lowerWord);
// No letter a to z in the word (digits and signs are not lower case).
bool isAllUpperCase(const QString& word);

// Gets the raw text between two word boundaries and the 1-based column of the boundary that ends
// it in its line (the line's length + 1 at the end of a line); false stops the scan there.
// The word is a view into the scan's copy, valid during the call.
using SpellWordCheck = std::function<bool(QStringView word, int position)>;

class SpellScanner {
public:
    // Takes a copy of the page (CR LF text) and starts at its beginning.
    void start(QString crlfText);
    void clear();

    // Continue from the saved place; true when the text is exhausted, false when `check` stopped
    // the scan (the next call resumes right after the word).
    bool scanWords(const SpellWordCheck& check);
    bool scanWordsSkipTags(const SpellWordCheck& check);

    int lineCount() const { return int(lineStarts_.size()) - 1; }

    // Offset in the page of the current line's first character, plus the net change in length of
    // every replacement already made in that line; line breaks count as two characters.
    int lineOffset = 0;
    // Where the scan goes on (1-based), and the column of the last word boundary in the line.
    int resumeLine = 1;
    int resumeColumn = 1;
    int lastDelimiter = 0;
    bool inTag = false;
    bool inComment = false;

private:
    bool scan(bool skipTags, const SpellWordCheck& check);
    // Line L (1-based) spans [lineStarts_[L - 1], lineStarts_[L] - 2) of the copy: every line,
    // the last included, is taken as ended by CR LF.
    qsizetype lineStart(int L) const { return lineStarts_[size_t(L - 1)]; }
    int lineLength(int L) const { return int(lineStarts_[size_t(L)] - 2 - lineStarts_[size_t(L - 1)]); }
    QString text_;
    std::vector<qsizetype> lineStarts_{0};
};

}  // namespace kavrin
