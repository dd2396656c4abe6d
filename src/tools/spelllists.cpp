#include "tools/spelllists.h"

#include <QFileInfo>
#include <QHash>

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
    stored_ = crlfText;
    lowered_.clear();
    storedAt_.clear();
    loweredAt_.clear();
    slots_.clear();
    // About eleven characters a line; reserving once keeps loading to a single allocation.
    const qsizetype estimate = crlfText.size() / 9 + 16;
    storedAt_.reserve(size_t(estimate));
    loweredAt_.reserve(size_t(estimate));
    lowered_.reserve(crlfText.size());
    loweredAt_.push_back(0);
    const QChar* base = crlfText.constData();
    forEachLine(crlfText, [&](QStringView line) {
        storedAt_.push_back(quint32(line.data() - base));
        bool ascii = true;
        for (const QChar c : line) ascii = ascii && c.unicode() < 0x80;
        if (ascii) {
            for (const QChar c : line) {
                const char16_t u = c.unicode();
                lowered_.append(QChar(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u));
            }
        } else {
            // Anything beyond ASCII goes through the toolkit's own lower-casing, as the words of
            // a page do, so both sides meet in the same form.
            lowered_.append(line.toString().toLower());
        }
        loweredAt_.push_back(quint32(lowered_.size()));
    });
    // The end of the last entry is two characters before the next start, as for the others.
    const bool endsWithBreak = crlfText.endsWith(QStringLiteral("\r\n"));
    storedAt_.push_back(quint32(crlfText.size() + (endsWithBreak ? 0 : 2)));
    if (storedAt_.size() == 1) {
        storedAt_.clear();
        loweredAt_.clear();
    }
    lowered_.squeeze();
    storedAt_.shrink_to_fit();
    loweredAt_.shrink_to_fit();
    buildIndex();
}

QStringView MainWordList::word(int i) const {
    const quint32 from = storedAt_[size_t(i)];
    return QStringView(stored_).mid(from, storedAt_[size_t(i) + 1] - 2 - from);
}

QStringView MainWordList::lower(int i) const {
    const quint32 from = loweredAt_[size_t(i)];
    return QStringView(lowered_).mid(from, loweredAt_[size_t(i) + 1] - from);
}

void MainWordList::buildIndex() {
    slots_.clear();
    const int n = count();
    if (n == 0) return;
    // The index answers what the halving would only when the list is in its order.
    for (int i = 1; i < n; ++i)
        if (lower(i - 1).compare(lower(i)) > 0) return;
    size_t size = 16;
    while (size < size_t(n) * 2) size *= 2;
    slots_.assign(size, 0);
    const size_t mask = size - 1;
    for (int i = 0; i < n; ++i) {
        const QStringView key = lower(i);
        for (size_t s = qHash(key) & mask;; s = (s + 1) & mask) {
            if (slots_[s] == 0) {
                slots_[s] = quint32(i + 1);
                break;
            }
            if (lower(int(slots_[s] - 1)) == key) break;  // the same form again
        }
    }
}

qsizetype MainWordList::bytesUsed() const {
    return (stored_.capacity() + lowered_.capacity()) * qsizetype(sizeof(QChar)) +
           qsizetype((storedAt_.capacity() + loweredAt_.capacity() + slots_.capacity()) * sizeof(quint32));
}

HalvingBounds MainWordList::halve(QStringView lowerWord) const {
    HalvingBounds b{0, count() - 1};
    if (b.hi < 0) return b;
    for (int i = 0; i < kHalvings; ++i) {
        const int mid = b.lo + (b.hi - b.lo) / 2;
        // Code-unit order, as the file is sorted; a locale-aware order would not match it.
        if (lowerWord.compare(lower(mid)) <= 0) b.hi = mid;
        else b.lo = mid;
    }
    return b;
}

bool MainWordList::halvingContains(QStringView lowerWord) const {
    const HalvingBounds b = halve(lowerWord);
    for (int i = b.lo; i <= b.hi; ++i)
        if (lower(i) == lowerWord) return true;
    return false;
}

bool MainWordList::contains(QStringView lowerWord) const {
    if (slots_.empty()) return halvingContains(lowerWord);
    const size_t mask = slots_.size() - 1;
    for (size_t s = qHash(lowerWord) & mask;; s = (s + 1) & mask) {
        const quint32 at = slots_[s];
        if (at == 0) return false;
        if (lower(int(at - 1)) == lowerWord) return true;
    }
}

QChar MainWordList::firstLower(int i) const {
    if (i < 0 || i >= count()) return {};
    const QStringView s = lower(i);
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

bool LowerCaseIndex::contains(const QStringList& words, const QString& lowerWord) const {
    if (of_.constData() != words.constData() || of_.size() != words.size()) {
        of_ = words;
        lower_.clear();
        lower_.reserve(words.size());
        for (const QString& w : words) lower_.insert(w.toLower());
    }
    return lower_.contains(lowerWord);
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
    // Every run ends with this: a file that already holds the list is left as it is, which
    // spares a flush to the disk per run.
    const QByteArray bytes = encodeText(text, format);
    QByteArray onDisk;
    if (exists && readRegularFile(path, &onDisk) && onDisk == bytes) {
        addedSince.clear();
        return true;
    }
    if (!writeFileAtomically(path, bytes)) return false;
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
    if (lists.ignoredLower(w)) return true;
    if (lists.user.containsLower(w)) return true;
    return lists.main.contains(w);
}

void unloadWordLists() {
    SpellLists& lists = spellLists();
    lists = SpellLists();
}

}  // namespace kavrin
