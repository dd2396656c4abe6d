#pragma once
// The spell checker's vocabulary: the main word list (read only, sorted by the lower-case form of
// its lines in code-unit order) and the user's own list, both read once and kept in memory.
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

#include "platform/files/textfile.h"

namespace kavrin {

// The user's list takes no more words through Add once it holds this many.
inline constexpr int maxUserWords = 20000;

// Bounds the halving search leaves for a word, as 0-based indices into the main list
// (lo > hi when the list is empty).
struct HalvingBounds {
    int lo = 0;
    int hi = -1;
};

class MainWordList {
public:
    int count() const { return storedAt_.empty() ? 0 : int(storedAt_.size()) - 1; }
    // Entry i as stored (its case is shown in suggestions) and its lower-case form.
    QStringView word(int i) const;
    QStringView lower(int i) const;
    // Every line of CR LF text is an entry, an empty one included; a final CR LF ends the last.
    void setText(const QString& crlfText);
    // Fifteen halvings over the lower-case forms, the bounds moving to the middle itself.
    HalvingBounds halve(QStringView lowerWord) const;
    // True when an entry's lower-case form equals `lowerWord` within the halving's window. On a
    // list in the order the halving needs that is plain membership, which a hash index answers;
    // a list out of order keeps the halving, and with it the words the halving misses there.
    bool contains(QStringView lowerWord) const;
    bool contains(const QString& lowerWord) const { return contains(QStringView(lowerWord)); }
    // Lower-case first character of entry i ("" for an empty entry).
    QChar firstLower(int i) const;
    // Bytes held, for the memory figures.
    qsizetype bytesUsed() const;

private:
    bool halvingContains(QStringView lowerWord) const;
    void buildIndex();

    // The list's text as read (entries between CR LF) and the lower-case forms one after another;
    // entry i spans [at[i], at[i + 1] - gap) in each, the entries sharing the buffers rather than
    // each holding a string of its own.
    QString stored_;
    QString lowered_;
    std::vector<quint32> storedAt_;
    std::vector<quint32> loweredAt_;
    // Open addressing over the distinct lower-case forms: entry index + 1, 0 for a free slot.
    // Empty when the list is out of order.
    std::vector<quint32> slots_;
};

// Whether a list of words holds one in lower case, through a set of the lower-case forms made
// again whenever the list has changed since. It keeps a shared copy of the list it was made
// from: any change to the list then gives the list storage of its own, which is how a change is
// noticed, whoever makes it.
class LowerCaseIndex {
public:
    bool contains(const QStringList& words, const QString& lowerWord) const;

private:
    mutable QStringList of_;
    mutable QSet<QString> lower_;
};

struct UserWordList {
    QStringList words;       // in the order they were added, empty lines left out
    QStringList addedSince;  // words added since the file was last read
    bool exists = false;     // the file was there when it was read
    bool unreadable = false; // the file exists but could not be read: never overwrite it
    TextFormat format;       // how the file was written, to write it back the same way

    // Reads the file; a missing file gives an empty list.
    void read(const QString& path);
    // Appends a word while the list holds fewer than maxUserWords; false when it is full.
    bool add(const QString& word);
    bool containsLower(const QString& lowerWord) const { return index_.contains(words, lowerWord); }
    // Rewrites the file atomically, one word per line, each followed by CR LF. A list whose file
    // could not be read is read again first and the words added since are put after it; while it
    // still cannot be read nothing is written, so the user's words are never replaced by a
    // partial list. False when nothing was written.
    bool write(const QString& path);

private:
    LowerCaseIndex index_;
};

// What the spell checker holds for the whole program run.
struct SpellLists {
    MainWordList main;
    UserWordList user;
    // Words the user chose to ignore everywhere, as shown (kept until the program ends).
    QStringList ignoreAll;
    bool ignoredLower(const QString& lowerWord) const { return ignoreAllIndex_.contains(ignoreAll, lowerWord); }
    bool loaded = false;

private:
    LowerCaseIndex ignoreAllIndex_;
};
SpellLists& spellLists();

// The main list's path and the user list's path.
QString mainListPath();
QString userListPath();

// Reads both lists once; false with the reason when the main list cannot be read (nothing is
// then kept, so a later run tries again).
bool loadWordLists(QString* error = nullptr);

// A word of a replacement the user typed: known when it is on the ignore-all list, the user's
// list or the main list (compared in lower case).
bool isKnownWord(const QString& word);

// Forgets both lists and the ignore-all list (the program's end; tests between cases).
void unloadWordLists();

}  // namespace kavrin
