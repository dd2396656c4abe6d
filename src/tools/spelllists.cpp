#include "tools/spelllists.h"

#include <QFileInfo>

#include "documents/globals.h"

namespace kavrin {

namespace {

// The halving count is fixed: with the shipped list the window left is a handful of entries, and
// a longer list only widens the final scan.
constexpr int kHalvings = 15;

// Splits CR LF text into lines as line-by-line reading does: a final line break ends the last
// line rather than starting an empty one.
template <typename Fn>
void forEachLine(const QString& text, Fn&& fn) {
    const QStringView all(text);
    qsizetype from = 0;
    while (from < all.size()) {
        qsizetype at = all.indexOf(u"\r\n", from);
        if (at < 0) {
            fn(all.mid(from));
            return;
        }
        fn(all.mid(from, at - from));
        from = at + 2;
    }
}

}  // namespace

void MainWordList::setText(const QString& crlfText) {
    words.clear();
    lower.clear();
    // About eleven characters a line; reserving once keeps loading to a single allocation.
    const qsizetype estimate = crlfText.size() / 9 + 16;
    words.reserve(size_t(estimate));
    lower.reserve(size_t(estimate));
    forEachLine(crlfText, [this](QStringView line) {
        words.emplace_back(line.toString());
        lower.emplace_back(line.toString().toLower());
    });
}

HalvingBounds MainWordList::halve(const QString& lowerWord) const {
    HalvingBounds b{0, count() - 1};
    if (b.hi < 0) return b;
    for (int i = 0; i < kHalvings; ++i) {
        const int mid = b.lo + (b.hi - b.lo) / 2;
        // Code-unit order, as the file is sorted; a locale-aware order would not match it.
        if (QStringView(lowerWord).compare(QStringView(lower[size_t(mid)])) <= 0) b.hi = mid;
        else b.lo = mid;
    }
    return b;
}

bool MainWordList::contains(const QString& lowerWord) const {
    const HalvingBounds b = halve(lowerWord);
    for (int i = b.lo; i <= b.hi; ++i)
        if (lower[size_t(i)] == lowerWord) return true;
    return false;
}

QChar MainWordList::firstLower(int i) const {
    if (i < 0 || i >= count()) return {};
    const QString& s = lower[size_t(i)];
    return s.isEmpty() ? QChar() : s.front();
}

void UserWordList::read(const QString& path) {
    words.clear();
    addedSince.clear();
    unreadable = false;
    exists = QFileInfo(path).isFile();
    format = TextFormat();
    if (!exists) return;
    const TextFileResult r = readTextFile(path);
    if (!r.ok) {
        unreadable = true;
        return;
    }
    format = r.format;
    format.lineEnd = TextFormat::LineEnd::CrLf;
    forEachLine(r.text, [this](QStringView line) {
        if (!line.isEmpty()) words << line.toString();
    });
}

bool UserWordList::add(const QString& word) {
    if (words.size() >= maxUserWords) return false;
    words << word;
    addedSince << word;
    return true;
}

bool UserWordList::containsLower(const QString& lowerWord) const {
    for (const QString& w : words)
        if (w.toLower() == lowerWord) return true;
    return false;
}

bool UserWordList::write(const QString& path) {
    if (unreadable) {
        UserWordList again;
        again.read(path);
        if (again.unreadable) return false;
        again.words << addedSince;
        words = again.words;
        format = again.format;
        exists = again.exists;
        unreadable = false;
    }
    QString text;
    for (const QString& w : words) text += w + QStringLiteral("\r\n");
    if (!writeTextFile(path, text, format)) return false;
    exists = true;
    addedSince.clear();
    return true;
}

SpellLists& spellLists() {
    static SpellLists lists;
    return lists;
}

QString mainListPath() { return installPath + QStringLiteral("kvEnglish.dct"); }
QString userListPath() { return userDataPath + QStringLiteral("kvCustom.dct"); }

bool loadWordLists(QString* error) {
    SpellLists& lists = spellLists();
    if (lists.loaded) return true;
    const TextFileResult r = readTextFile(mainListPath());
    if (!r.ok) {
        if (error) *error = r.error;
        return false;
    }
    lists.main.setText(r.text);
    lists.user.read(userListPath());
    lists.loaded = true;
    return true;
}

bool isKnownWord(const QString& word) {
    const SpellLists& lists = spellLists();
    const QString w = word.toLower();
    for (const QString& ignored : lists.ignoreAll)
        if (ignored.toLower() == w) return true;
    if (lists.user.containsLower(w)) return true;
    return lists.main.contains(w);
}

void unloadWordLists() {
    SpellLists& lists = spellLists();
    lists = SpellLists();
}

}  // namespace kavrin
