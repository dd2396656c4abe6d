#include "platform/files/settingsstore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/files/textfile.h"

namespace kavrin {

namespace {

// A settings file larger than this is not a settings file.
constexpr qint64 kMaxReadBytes = 64 * 1024 * 1024;

// A file of a few million short keys must not cost tens of bytes of string objects per key. The
// file's bytes are kept as read, and a key read from it is a place in those bytes, decoded when
// asked for; names and values saved since are kept one after another in one block of text. Both
// are only ever added to, so copies of a store (a batch's starting point, a change not yet
// written) share them and stay valid.
struct Texts {
    QByteArray file;
    QString written;
};

// Lines longer than this cannot be read from a file (which is much smaller), and a name or value
// this long is not saved.
constexpr quint32 kLengthMask = 0x3fffffff;
constexpr quint32 kWritten = 0x80000000;     // the entry lives in Texts::written
constexpr quint32 kWindows1252 = 0x40000000;  // its line is not UTF-8

// No place in the file: an entry or a section added since the file was read.
constexpr quint32 kNoLine = 0xffffffff;

struct Entry {
    // Read from the file: where its line starts, where its "=" is and the line's length.
    // Saved since: where its key starts in Texts::written, the key's length, then the value's
    // length (the value follows the key).
    quint32 pos = 0;
    quint32 split = 0;
    quint32 len = 0;  // with the flags above
    quint32 hash = 0;  // of the folded key
    // The line of the file the key was read from, which a new value takes the place of; the
    // entries that have one come first in their section, in the file's order.
    quint32 origin = kNoLine;
};

// Names are compared without regard to case; the folded form is what is hashed and compared.
QString folded(const QString& name) { return name.toCaseFolded(); }
quint32 hashOfFolded(const QString& f) { return quint32(qHash(f)); }

QString decode(QStringView text);

// QString::fromUtf8() drops a byte order mark at the start, which in a name or a value is a
// character of its own.
QString decodeUtf8(QByteArrayView bytes) {
    if (!bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    return decoder(bytes);
}

QString lineText(const Texts& t, quint32 from, quint32 to, bool windows1252) {
    const QByteArrayView bytes = QByteArrayView(t.file).sliced(from, to - from);
    return windows1252 ? decodeWindows1252(bytes.toByteArray()) : decodeUtf8(bytes);
}

QString keyOf(const Texts& t, const Entry& e) {
    if (e.len & kWritten) return t.written.mid(e.pos, e.split);
    const QString raw = lineText(t, e.pos, e.split, e.len & kWindows1252);
    return decode(QStringView(raw).trimmed()).trimmed();
}

// The value is everything after the "=", blanks included: they can be the value itself.
QString valueOf(const Texts& t, const Entry& e) {
    if (e.len & kWritten) return t.written.mid(qsizetype(e.pos) + e.split, e.len & kLengthMask);
    return decode(lineText(t, e.split + 1, e.pos + (e.len & kLengthMask), e.len & kWindows1252));
}

// Adds key and value to the written text; false when they do not fit.
bool makeWritten(Texts& t, const QString& key, const QString& value, quint32 hash, Entry* e) {
    if (key.size() > kLengthMask || value.size() > kLengthMask ||
        t.written.size() + key.size() + value.size() > qsizetype(0xffffffffu))
        return false;
    *e = Entry{quint32(t.written.size()), quint32(key.size()), quint32(value.size()) | kWritten, hash};
    t.written += key;
    t.written += value;
    return true;
}

// Open addressing over positions + 1 (0 is a free slot), found by the hash of the folded name.
class NameIndex {
public:
    // Position for which same(position) holds among those with this hash, or -1.
    template <typename Same>
    qsizetype find(quint32 hash, Same same) const {
        if (slots_.empty()) return -1;
        for (size_t i = start(hash); slots_[i]; i = (i + 1) & (slots_.size() - 1))
            if (same(qsizetype(slots_[i] - 1))) return qsizetype(slots_[i] - 1);
        return -1;
    }
    // Indexes position `pos`, the last of `count`; hashAt(i) is the hash of position i.
    template <typename HashAt>
    void add(qsizetype pos, qsizetype count, HashAt hashAt) {
        if (size_t(count) * 4 > slots_.size() * 3) rebuild(count, hashAt);
        else place(hashAt(pos), pos);
    }
    template <typename HashAt>
    void rebuild(qsizetype count, HashAt hashAt) {
        size_t size = 8;
        shift_ = 61;
        while (size * 3 < size_t(count) * 4) {
            size *= 2;
            --shift_;
        }
        std::vector<quint32>(size, 0).swap(slots_);
        for (qsizetype i = 0; i < count; ++i) place(hashAt(i), i);
    }

private:
    size_t start(quint32 hash) const { return size_t((quint64(hash) * 0x9E3779B97F4A7C15ull) >> shift_); }
    void place(quint32 hash, qsizetype pos) {
        size_t i = start(hash);
        while (slots_[i]) i = (i + 1) & (slots_.size() - 1);
        slots_[i] = quint32(pos + 1);
    }
    std::vector<quint32> slots_;
    int shift_ = 61;
};

struct Section {
    QString name;
    quint32 hash = 0;  // of the folded name
    // Where the last header of the file that names it starts; its keys added since are written
    // after the last key line that follows it.
    quint32 lastHeader = kNoLine;
    std::deque<Entry> entries;  // grows without copying what it holds
    NameIndex index;

    // Position of the key that folds to `f` (hash `h`), or -1.
    qsizetype position(const Texts& t, const QString& f, quint32 h) const {
        return index.find(h, [&](qsizetype i) {
            const Entry& e = entries[size_t(i)];
            return e.hash == h && folded(keyOf(t, e)) == f;
        });
    }
    qsizetype position(const Texts& t, const QString& key) const {
        const QString f = folded(key);
        return position(t, f, hashOfFolded(f));
    }
    Entry* find(const Texts& t, const QString& key) {
        const qsizetype i = position(t, key);
        return i < 0 ? nullptr : &entries[size_t(i)];
    }
    void append(const Entry& e) {
        entries.push_back(e);
        index.add(qsizetype(entries.size()) - 1, qsizetype(entries.size()),
                  [this](qsizetype i) { return entries[size_t(i)].hash; });
    }
    // The first of two equal keys counts, as in Windows profile files: a repeat is passed over.
    // False only when the text does not fit.
    bool add(Texts& t, const QString& key, const QString& value) {
        if (position(t, key) >= 0) return true;
        Entry e;
        if (!makeWritten(t, key, value, hashOfFolded(folded(key)), &e)) return false;
        append(e);
        return true;
    }
    void dropLast() {
        entries.pop_back();
        index.rebuild(qsizetype(entries.size()), [this](qsizetype j) { return entries[size_t(j)].hash; });
    }
    bool remove(const Texts& t, const QString& key) {
        const qsizetype i = position(t, key);
        if (i < 0) return false;
        entries.erase(entries.begin() + i);
        index.rebuild(qsizetype(entries.size()), [this](qsizetype j) { return entries[size_t(j)].hash; });
        return true;
    }
};

// What identifies one state of the file on disk. Every save replaces the file by a rename, so the
// inode changes too; size and nanosecond time catch editors that write in place.
struct Stamp {
    bool exists = false;
    bool regular = false;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    bool operator==(const Stamp&) const = default;
};

struct Store {
    Stamp stamp;
    // The file could not be read whole and stays as it is: nothing is written over it.
    QString held;
    std::shared_ptr<Texts> texts = std::make_shared<Texts>();
    std::vector<Section> sections;
    NameIndex index;

    qsizetype position(const QString& name) const {
        const QString f = folded(name);
        const quint32 h = hashOfFolded(f);
        return index.find(h, [&](qsizetype i) {
            const Section& s = sections[size_t(i)];
            return s.hash == h && folded(s.name) == f;
        });
    }
    Section* find(const QString& name) {
        const qsizetype i = position(name);
        return i < 0 ? nullptr : &sections[size_t(i)];
    }
    Section& findOrAdd(const QString& name) {
        if (Section* s = find(name)) return *s;
        Section fresh;
        fresh.name = name;
        fresh.hash = hashOfFolded(folded(name));
        sections.push_back(std::move(fresh));
        index.add(qsizetype(sections.size()) - 1, qsizetype(sections.size()),
                  [this](qsizetype i) { return sections[size_t(i)].hash; });
        return sections.back();
    }
    void dropLastSection() {
        sections.pop_back();
        index.rebuild(qsizetype(sections.size()), [this](qsizetype j) { return sections[size_t(j)].hash; });
    }
    bool removeSection(const QString& name) {
        const qsizetype i = position(name);
        if (i < 0) return false;
        sections.erase(sections.begin() + i);
        index.rebuild(qsizetype(sections.size()), [this](qsizetype j) { return sections[size_t(j)].hash; });
        return true;
    }
};

// A run of saves that reaches the disk as one write (see SettingsBatch).
struct Batch {
    int depth = 0;
    bool dirty = false;
    bool failed = false;
    QString refused;  // why a save in the batch was refused, told after the batch is written
    Store before;  // what the file held when the batch began, for a failed write
};

QMutex cacheMutex;
QHash<QString, Store> cache;
QHash<QString, Batch> batches;
QHash<QString, QString> lastErrors;
QHash<QString, QString> readProblems;

Stamp stampOf(const QString& path) {
    Stamp st;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return st;
    st.exists = true;
    st.regular = S_ISREG(info.st_mode);
    st.inode = quint64(info.st_ino);
    st.size = qint64(info.st_size);
    st.mtimeNs = qint64(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return st;
}

// Escapes. The decoder turns "\n" and "\r" into line breaks and "\" followed by "\", "=", "[",
// ";" or "#" into that character; any other backslash stays as it is. So a value is written with
// its backslashes untouched (Windows paths stay readable) except where one would be misread.
bool backslashNeedsDoubling(QChar next) {
    switch (next.unicode()) {
    case 'n': case 'r': case '\\': case '=': case '[': case ';': case '#': case '\n': case '\r':
        return true;
    default:
        return false;
    }
}

void appendEscaped(QString& out, QChar c, QChar next, bool hasNext) {
    if (c == '\n') {
        out += QLatin1String("\\n");
    } else if (c == '\r') {
        out += QLatin1String("\\r");
    } else if (c == '\\') {
        out += (hasNext && backslashNeedsDoubling(next)) ? QLatin1String("\\\\") : QLatin1String("\\");
    } else {
        out += c;
    }
}

bool needsEscapes(const QString& text) {
    for (QChar c : text)
        if (c == '\\' || c == '\n' || c == '\r') return true;
    return false;
}

QString encodeValue(const QString& value) {
    if (!needsEscapes(value)) return value;
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const bool hasNext = i + 1 < value.size();
        appendEscaped(out, value[i], hasNext ? value[i + 1] : QChar(), hasNext);
    }
    return out;
}

// Names may not contain a raw "=" (it ends a key) nor begin with "[", ";" or "#" (a section
// header or a comment). A name is always followed by "=" or "]": a backslash at its end is
// doubled, or it would take the "=" that ends the key for a part of the name.
QString encodeName(const QString& name) {
    if (!needsEscapes(name) && !name.contains('=') && !name.startsWith('[') && !name.startsWith(';') &&
        !name.startsWith('#'))
        return name;
    QString out;
    out.reserve(name.size() + 4);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c == '=' || (i == 0 && (c == '[' || c == ';' || c == '#'))) {
            out += '\\';
            out += c;
        } else {
            appendEscaped(out, c, i + 1 < name.size() ? name[i + 1] : QChar('='), true);
        }
    }
    return out;
}

QString decode(QStringView text) {
    if (!text.contains(u'\\')) return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != '\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar n = text[i + 1];
        switch (n.unicode()) {
        case 'n': out += QChar('\n'); ++i; break;
        case 'r': out += QChar('\r'); ++i; break;
        case '\\': case '=': case '[': case ';': case '#': out += n; ++i; break;
        default: out += c; break;
        }
    }
    return out;
}

// Index of the first "=" that is not escaped, or -1.
qsizetype keyEnd(QStringView line) {
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '\\') {
            ++i;
            continue;
        }
        if (line[i] == '=') return i;
    }
    return -1;
}

// Where the first "=" that is not escaped stands in the bytes [from, to) of a line, as keyEnd()
// finds it in the line's text: "\\" and "=" are single bytes in UTF-8 and Windows-1252 alike, and
// no other character has them among its bytes.
qsizetype keyEndByte(const QByteArray& bytes, qsizetype from, qsizetype to) {
    for (qsizetype i = from; i < to; ++i) {
        if (bytes[i] == '\\') {
            ++i;
            continue;
        }
        if (bytes[i] == '=') return i;
    }
    return -1;
}

static_assert(kMaxReadBytes <= kLengthMask, "a place in the file must fit an entry");

// One line of the file: [start, next) with its line break; [from, to) without it (nor a CR
// before it, nor the byte order mark of the file's first line).
struct LineBounds {
    qsizetype start = 0;
    qsizetype from = 0;
    qsizetype to = 0;
    qsizetype next = 0;
    bool windows1252 = false;
};

LineBounds lineAt(const QByteArray& file, qsizetype start) {
    LineBounds b;
    b.start = b.from = start;
    b.to = file.indexOf('\n', start);
    if (b.to < 0) b.to = file.size();
    b.next = b.to < file.size() ? b.to + 1 : b.to;
    if (b.to > b.from && file[b.to - 1] == '\r') --b.to;
    b.windows1252 = !isValidUtf8(file.constData() + b.from, b.to - b.from);
    if (start == 0 && !b.windows1252 && file.startsWith("\xEF\xBB\xBF")) b.from = 3;
    return b;
}

// What a line is to the reader. The writer asks the same of the lines it keeps, so that a line
// means in the new file what it meant in the old one.
struct LineKind {
    enum { Other, Header, Key } kind = Other;
    QString name;  // the section's name (empty for "[]") or the key
};

LineKind lineKind(const Texts& t, const LineBounds& b) {
    LineKind k;
    const QString line = lineText(t, quint32(b.from), quint32(b.to), b.windows1252);
    const QStringView trimmed = QStringView(line).trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#')) return k;
    if (trimmed.startsWith(u'[') && trimmed.endsWith(u']') && trimmed.size() >= 2) {
        k.kind = LineKind::Header;
        k.name = decode(trimmed.mid(1, trimmed.size() - 2)).trimmed();
        return k;
    }
    const qsizetype eq = keyEnd(line);
    if (eq <= 0) return k;
    k.name = decode(QStringView(line).left(eq).trimmed()).trimmed();
    if (!k.name.isEmpty()) k.kind = LineKind::Key;
    return k;
}

// Reads what can be read: lines that are neither section headers nor key lines, keys before the
// first section, and repeated keys (the first one counts) are passed over. A line that is not
// UTF-8 (written by hand in a one-byte code page, or damaged) is read as Windows-1252 on its own;
// every other line keeps its UTF-8.
Store parse(QByteArray bytes) {
    Store store;
    Texts& t = *store.texts;
    t.file = std::move(bytes);
    const QByteArray& file = t.file;
    Section* current = nullptr;
    for (qsizetype start = 0; start < file.size();) {
        const LineBounds b = lineAt(file, start);
        start = b.next;
        const LineKind line = lineKind(t, b);
        if (line.kind == LineKind::Header) {
            current = line.name.isEmpty() ? nullptr : &store.findOrAdd(line.name);
            if (current) current->lastHeader = quint32(b.from);
            continue;
        }
        if (!current || line.kind != LineKind::Key) continue;
        const QString f = folded(line.name);
        const quint32 h = hashOfFolded(f);
        if (current->position(t, f, h) >= 0) continue;
        current->append(Entry{quint32(b.from), quint32(keyEndByte(file, b.from, b.to)),
                              quint32(b.to - b.from) | (b.windows1252 ? kWindows1252 : 0), h,
                              quint32(b.from)});
    }
    return store;
}

// Writes the store over the file it was read from. Every line of that file stays as it was,
// byte for byte (comments, blank lines, lines it cannot read, the shape of a key line written by
// hand), except the lines of keys and sections deleted since and those of keys given a new value,
// which take the new one in their place; keys added since follow the last key line of their
// section, new sections come at the end.
class FileWriter {
public:
    explicit FileWriter(const Store& store)
        : store_(store), t_(*store.texts), file_(t_.file), next_(store.sections.size(), 0) {
        const qsizetype firstBreak = file_.indexOf('\n');
        if (firstBreak > 0 && file_[firstBreak - 1] == '\r') lineEnd_ = "\r\n";
    }

    QByteArray run() {
        qsizetype size = file_.size();
        for (const Section& s : store_.sections)
            for (const Entry& e : s.entries)
                if (e.len & kWritten) size += qsizetype(e.split) + (e.len & kLengthMask) + 2;
        out_.reserve(size + size / 16 + 64);
        for (qsizetype start = 0; start < file_.size();) {
            const LineBounds b = lineAt(file_, start);
            start = b.next;
            take(b);
        }
        endStretch();
        for (const Section& s : store_.sections) {
            if (s.lastHeader != kNoLine || s.entries.empty()) continue;
            if (!out_.isEmpty()) {
                lineBreak();
                if (!out_.endsWith("\n\n") && !out_.endsWith("\n\r\n")) out_ += lineEnd_;
            }
            out_ += '[' + encodeName(s.name).toUtf8() + ']' + lineEnd_;
            for (const Entry& e : s.entries) written(e);
        }
        return std::move(out_);
    }

private:
    enum class State { Outside, Kept, Dropped };

    void take(const LineBounds& b) {
        const QByteArrayView bytes = QByteArrayView(file_).sliced(b.start, b.next - b.start);
        if (state_ == State::Kept) {
            // Most lines are the keys themselves, found without reading the line again.
            std::deque<Entry> const& entries = section_->entries;
            size_t& next = next_[sectionIndex_];
            if (next < entries.size() && entries[next].origin == quint32(b.from)) {
                keyLine(bytes, entries[next++]);
                return;
            }
        }
        const LineKind line = lineKind(t_, b);
        if (line.kind == LineKind::Header) {
            endStretch();
            const qsizetype i = line.name.isEmpty() ? -1 : store_.position(line.name);
            if (line.name.isEmpty()) {
                state_ = State::Outside;
            } else if (i >= 0 && store_.sections[size_t(i)].lastHeader != kNoLine) {
                state_ = State::Kept;
                sectionIndex_ = size_t(i);
                section_ = &store_.sections[size_t(i)];
                header_ = quint32(b.from);
            } else {
                state_ = State::Dropped;  // the section was deleted (and maybe made anew)
            }
            if (state_ != State::Dropped) raw(bytes);
            return;
        }
        if (state_ == State::Outside) {
            raw(bytes);  // read by nobody, kept for whoever wrote it
        } else if (state_ == State::Kept) {
            if (line.kind != LineKind::Key) {
                pending_ += bytes;
                return;
            }
            flushPending();
            // A later line of a key that is still there is passed over when the file is read,
            // so it stays; one of a key deleted since (or deleted and saved anew) would bring
            // the old value back, so it goes.
            const qsizetype i = section_->position(t_, line.name);
            if (i >= 0 && section_->entries[size_t(i)].origin != kNoLine) raw(bytes);
        }
    }

    void keyLine(QByteArrayView bytes, const Entry& e) {
        flushPending();
        if (e.len & kWritten) written(e);
        else raw(bytes);
    }

    // The end of a stretch of lines under one header: keys added to its section since go here
    // when it is the section's last stretch, before the comments and blank lines that end it.
    void endStretch() {
        if (state_ == State::Kept && section_->lastHeader == header_) {
            size_t& next = next_[sectionIndex_];
            for (; next < section_->entries.size(); ++next) written(section_->entries[next]);
        }
        flushPending();
        state_ = State::Outside;
    }

    void written(const Entry& e) {
        lineBreak();
        out_ += encodeName(keyOf(t_, e)).toUtf8();
        out_ += '=';
        out_ += encodeValue(valueOf(t_, e)).toUtf8();
        out_ += lineEnd_;
    }
    void raw(QByteArrayView bytes) {
        if (bytes.isEmpty()) return;
        lineBreak();
        out_ += bytes;
    }
    void flushPending() {
        raw(pending_);
        pending_.clear();
    }
    // The file's last line may lack its line break; whatever follows it starts a line of its own.
    void lineBreak() {
        if (!out_.isEmpty() && !out_.endsWith('\n')) out_ += lineEnd_;
    }

    const Store& store_;
    const Texts& t_;
    const QByteArray& file_;
    QByteArray out_;
    QByteArray pending_;
    QByteArray lineEnd_ = "\n";
    std::vector<size_t> next_;  // per section, its next entry to be written
    State state_ = State::Outside;
    const Section* section_ = nullptr;
    size_t sectionIndex_ = 0;
    quint32 header_ = kNoLine;
};

QByteArray serialize(const Store& store) { return FileWriter(store).run(); }

// Names and values saved over and over leave their old text behind: once it outweighs what is
// in use, the store takes a fresh copy of what is. Copies made before keep the old text.
void dropUnusedText(Store& store) {
    const Texts& t = *store.texts;
    qsizetype used = 0;
    for (const Section& s : store.sections)
        for (const Entry& e : s.entries)
            if (e.len & kWritten) used += qsizetype(e.split) + (e.len & kLengthMask);
    if (t.written.size() <= 2 * used + 65536) return;
    auto fresh = std::make_shared<Texts>();
    fresh->file = t.file;
    fresh->written.reserve(used);
    for (Section& s : store.sections) {
        for (Entry& e : s.entries) {
            if (!(e.len & kWritten)) continue;
            const qsizetype n = qsizetype(e.split) + (e.len & kLengthMask);
            const quint32 pos = quint32(fresh->written.size());
            fresh->written += QStringView(t.written).sliced(e.pos, n);
            e.pos = pos;
        }
    }
    store.texts = std::move(fresh);
}

// Moves a file that cannot be read out of the way under a new name beside it, replacing
// nothing; the new name, or "" when it could not be moved.
QString moveAside(const QString& path) {
    const QByteArray from = QFile::encodeName(path);
    for (int n = 1; n <= 99; ++n) {
        const QString aside = path + QStringLiteral(".unreadable") + (n == 1 ? QString() : '-' + QString::number(n));
        const QByteArray to = QFile::encodeName(aside);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return aside;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return {};
        // A file system without that kind of rename: a second name that cannot replace anything
        // either, then the old name goes.
        if (::link(from.constData(), to.constData()) != 0) {
            if (errno == EEXIST) continue;
            return {};
        }
        if (::unlink(from.constData()) == 0) return aside;
        ::unlink(to.constData());
        return {};
    }
    return {};
}

// The store of a file that exists but cannot be read whole (too large, unreadable, or not a file
// at all). Writing over it would lose what it holds: it is moved aside when it can be, or else
// kept where it is and never written this session. What happened is kept for the start-up.
Store unreadableStore(const QString& path, const Stamp& stamp, const QString& readError) {
    Store store;
    store.stamp = stamp;
    const QString kind = stamp.regular ? QString() : specialFileKind(path);
    QString why;
    if (!kind.isEmpty())
        why = QStringLiteral("\"%1\" is %2, not a settings file.").arg(path, kind);
    else if (stamp.size > kMaxReadBytes)
        why = QStringLiteral("Cannot read \"%1\": it is larger than %2 MB, more than a settings file can be.")
                  .arg(path)
                  .arg(kMaxReadBytes / (1024 * 1024));
    else
        why = readError;
    const QString aside = kind.isEmpty() ? moveAside(path) : QString();
    if (!aside.isEmpty()) {
        store.stamp = stampOf(path);
        readProblems.insert(path, why + QStringLiteral("\r\n\r\nIt has been kept as \"%1\", and Kavrin Pro starts "
                                                       "with its default settings.").arg(aside));
        return store;
    }
    store.held = why + QStringLiteral(" It is left as it is.");
    readProblems.insert(path, why + QStringLiteral("\r\n\r\nIt is left as it is, and Kavrin Pro starts with its "
                                                   "default settings; the settings of this session cannot be saved."));
    return store;
}

// The store of one file, read again when the file changed since it was last read or written.
// While a batch holds unwritten saves, the store in memory is what counts. Call with cacheMutex held.
Store& storeFor(const QString& path) {
    auto it = cache.find(path);
    if (it != cache.end() && batches.contains(path)) return *it;
    const Stamp now = stampOf(path);
    if (it != cache.end() && it->stamp == now) return *it;
    Store& store = cache[path];
    QByteArray bytes;
    QString error;
    if (!now.exists) {
        store = Store();
    } else if (now.regular && readRegularFile(path, &bytes, &error, kMaxReadBytes)) {
        // Anything but a regular file in the file's place (a FIFO, a device, a folder) is not
        // even opened: reading a FIFO would wait for a writer for ever.
        store = parse(std::move(bytes));
    } else if (!stampOf(path).exists) {
        store = Store();  // gone meanwhile
    } else {
        store = unreadableStore(path, now, error);
        return store;
    }
    store.stamp = now;
    return store;
}

// How many bytes a text takes in UTF-8, blanks and escapes aside.
qsizetype utf8Size(QStringView text) {
    qsizetype n = 0;
    for (QChar c : text) n += c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 || c.isSurrogate() ? 2 : 3;
    return n;
}

// Why a name or value cannot be written so that it reads back as it is ("" when it can).
QString unstorable(const QString& what, QStringView text) {
    if (utf8Size(text) >= kMaxReadBytes)
        return QStringLiteral("%1 is %2 characters long: the settings file would be larger than %3 MB, "
                              "more than can be read back.")
            .arg(what)
            .arg(text.size())
            .arg(kMaxReadBytes / (1024 * 1024));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (text[i].isSurrogate())
            return QStringLiteral("%1 holds half of a character pair (at character %2), which no file can hold.")
                .arg(what)
                .arg(i + 1);
    }
    return {};
}

// The file's names end at "=" and "]" with the blanks around them dropped, as people write them
// by hand: a name that begins or ends with a blank (a line break, a tab, a no-break space) would
// come back as another name, and two names would become one.
bool keepsItsBlanks(const QString& name) { return name == name.trimmed(); }

QString outerBlanks(const QString& what, const QString& name) {
    if (keepsItsBlanks(name)) return {};
    return QStringLiteral("%1 begins or ends with a blank or a line break, which the settings file does not keep: "
                          "it would be read back as \"%2\".")
        .arg(what, name.trimmed().left(80));
}

QString unstorable(const QString& path, const QString& section, const QString& key, const QString& value) {
    QString why = outerBlanks(QStringLiteral("The section name"), section);
    if (why.isEmpty()) why = outerBlanks(QStringLiteral("The name"), key);
    if (why.isEmpty()) why = unstorable(QStringLiteral("The section name"), section);
    if (why.isEmpty()) why = unstorable(QStringLiteral("The name"), key);
    if (why.isEmpty()) why = unstorable(QStringLiteral("The value"), value);
    if (why.isEmpty() && utf8Size(key) + utf8Size(value) + 2 >= kMaxReadBytes)
        why = unstorable(QStringLiteral("The value"), QString(key + value));
    if (why.isEmpty()) return {};
    return QStringLiteral("Cannot save \"%1\" in section [%2] of \"%3\": %4")
        .arg(key.left(80), section.left(80), path, why);
}

// What the file takes at least: every key line is in it. Far past the limit, the file is not
// even put together.
qsizetype leastSize(const Store& store) {
    const Texts& t = *store.texts;
    qsizetype n = 0;
    for (const Section& s : store.sections) {
        for (const Entry& e : s.entries) {
            const qsizetype length = e.len & kLengthMask;
            n += (e.len & kWritten) ? utf8Size(QStringView(t.written).sliced(e.pos, e.split + length)) + 2 : length + 1;
        }
    }
    return n;
}

// Writes `store` in place of the file; false with the reason kept for settingsWriteError().
bool writeStore(const QString& path, Store& store) {
    QString error;
    const QString folder = QFileInfo(path).absolutePath();
    const Stamp old = stampOf(path);
    if (!store.held.isEmpty()) {
        error = store.held;
    } else if (!QDir().mkpath(folder)) {
        error = QStringLiteral("The folder \"%1\" could not be created.").arg(folder);
    } else if (old.exists && !old.regular) {
        // Whatever stands there (a FIFO, a device, a folder) was put there by someone: it is
        // neither read nor replaced.
        error = QStringLiteral("\"%1\" is not a regular file.").arg(path);
    } else {
        const bool tooLarge = leastSize(store) > kMaxReadBytes;
        const QByteArray bytes = tooLarge ? QByteArray() : serialize(store);
        if (tooLarge || bytes.size() > kMaxReadBytes) {
            error = QStringLiteral("Cannot save \"%1\": the settings would take more than %2 MB, more than can "
                                   "be read back.")
                        .arg(path)
                        .arg(kMaxReadBytes / (1024 * 1024));
        } else if (writeFileAtomically(path, bytes, &error)) {
            // A settings file that is a link (kept with the user's other settings elsewhere) is
            // written through to its target, which the writer replaces; the link stays.
            store.stamp = stampOf(path);
            dropUnusedText(store);
            lastErrors.remove(path);
            return true;
        }
    }
    lastErrors.insert(path, error);
    return false;
}

// Applies `change` to the store of `path`. Outside a batch the change is written at once and the
// cache takes it only when the file was written, so a failed write leaves both the file and what
// is read from it as they were.
template <typename Change>
bool update(const QString& path, Change change) {
    Store& store = storeFor(path);
    if (auto b = batches.find(path); b != batches.end()) {
        if (change(store)) b->dirty = true;
        return true;
    }
    Store changed = store;
    if (!change(changed)) return true;  // already as asked
    if (!writeStore(path, changed)) return false;
    store = std::move(changed);
    return true;
}

QString safeFileName(const QString& app) {
    QString name = app.trimmed();
    for (QChar& c : name)
        if (c == '/' || c == '\\' || c.unicode() < 0x20 || c.unicode() == 0x7f) c = '_';
    // A name of dots alone would point at a folder, and a leading dot would hide the file.
    while (name.startsWith('.')) name[0] = '_';
    if (name.isEmpty()) name = QStringLiteral("_");
    return name.left(200) + QStringLiteral(".ini");
}

}  // namespace

QString settingsFilePath(const QString& app) {
    QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    // The base directory rules accept only absolute paths here.
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/kavrin/") + safeFileName(app));
}

QString getSetting(const QString& app, const QString& section, const QString& key, const QString& defaultValue) {
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&cacheMutex);
    Store& store = storeFor(path);
    // Nothing is kept under such a name: it is not another's.
    if (!keepsItsBlanks(section) || !keepsItsBlanks(key)) return defaultValue;
    Section* s = store.find(section);
    if (!s) return defaultValue;
    const Entry* e = s->find(*store.texts, key);
    return e ? valueOf(*store.texts, *e) : defaultValue;
}

bool saveSetting(const QString& app, const QString& section, const QString& key, const QString& value) {
    if (section.trimmed().isEmpty() || key.trimmed().isEmpty()) return false;
    const QString& sectionName = section;
    const QString& keyName = key;
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&cacheMutex);
    // What would not read back as it is (a name with blanks at its ends, too long for a file
    // that can be read, half of a character pair) is refused with the reason, and the other
    // saves of a batch go on.
    if (const QString why = unstorable(path, sectionName, keyName, value); !why.isEmpty()) {
        lastErrors.insert(path, why);
        if (auto b = batches.find(path); b != batches.end()) b->refused = why;
        return false;
    }
    // Changed in place rather than on a copy of the store, which for a large file costs more
    // than the store itself; a failed write puts back what was there.
    Store& store = storeFor(path);
    Texts& t = *store.texts;
    const qsizetype si = store.position(sectionName);
    const qsizetype ei = si < 0 ? -1 : store.sections[size_t(si)].position(t, keyName);
    std::function<void()> undo;
    if (ei >= 0) {
        Entry& e = store.sections[size_t(si)].entries[size_t(ei)];
        if (valueOf(t, e) == value) return true;
        const Entry old = e;
        // The name keeps the case it was first written with, and the key its line.
        if (!makeWritten(t, keyOf(t, e), value, e.hash, &e)) return true;
        e.origin = old.origin;
        undo = [&store, si, ei, old] { store.sections[size_t(si)].entries[size_t(ei)] = old; };
    } else if (si >= 0) {
        if (!store.sections[size_t(si)].add(t, keyName, value)) return true;
        undo = [&store, si] { store.sections[size_t(si)].dropLast(); };
    } else {
        Section& added = store.findOrAdd(sectionName);
        const bool ok = added.add(t, keyName, value);
        undo = [&store] { store.dropLastSection(); };
        if (!ok) {
            undo();
            return true;
        }
    }
    if (auto b = batches.find(path); b != batches.end()) {
        b->dirty = true;
        return true;
    }
    if (writeStore(path, store)) return true;
    undo();
    return false;
}

bool saveSettings(const QString& app, const QString& section, const QVector<QPair<QString, QString>>& values) {
    if (section.trimmed().isEmpty()) return false;
    for (const auto& [key, value] : values)
        if (key.trimmed().isEmpty()) return false;
    SettingsBatch batch(app);
    bool all = true;
    for (const auto& [key, value] : values) all = saveSetting(app, section, key, value) && all;
    return batch.commit() && all;
}

bool deleteSetting(const QString& app, const QString& section, const QString& key) {
    const QString& sectionName = section;
    const QString& keyName = key;
    // Such a name holds nothing, and a blank one is no "whole section".
    if (!keepsItsBlanks(section) || !keepsItsBlanks(key)) return true;
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&cacheMutex);
    return update(path, [&](Store& store) {
        if (keyName.isEmpty()) return store.removeSection(sectionName);
        Section* s = store.find(sectionName);
        if (!s || !s->remove(*store.texts, keyName)) return false;
        if (s->entries.empty()) store.removeSection(sectionName);
        return true;
    });
}

SettingsBatch::SettingsBatch(const QString& app) : path_(settingsFilePath(app)) {
    QMutexLocker lock(&cacheMutex);
    Store& store = storeFor(path_);
    Batch& b = batches[path_];
    if (b.depth++ == 0) {
        b.before = store;
        b.dirty = b.failed = false;
    }
}

SettingsBatch::~SettingsBatch() { commit(); }

bool SettingsBatch::commit() {
    if (done_) return ok_;
    done_ = true;
    QMutexLocker lock(&cacheMutex);
    auto b = batches.find(path_);
    if (b == batches.end()) return ok_ = false;
    if (--b->depth > 0) return ok_ = true;  // the outer batch writes
    const Batch batch = *b;
    batches.erase(b);
    Store& store = cache[path_];
    ok_ = !batch.dirty || writeStore(path_, store);
    if (!ok_) store = batch.before;
    // A save the batch refused is what the caller has to hear about, after a good write too.
    if (ok_ && !batch.refused.isEmpty()) lastErrors.insert(path_, batch.refused);
    return ok_;
}

QString settingsWriteError(const QString& app) {
    QMutexLocker lock(&cacheMutex);
    return lastErrors.value(settingsFilePath(app));
}

bool replaceSettingSection(const QString& app, const QString& section,
                           const QVector<QPair<QString, QString>>& entries) {
    const QString sectionName = section.trimmed();
    if (sectionName.isEmpty()) return false;
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&cacheMutex);
    for (const auto& [key, value] : entries) {
        if (key.isEmpty()) continue;
        if (const QString why = unstorable(path, section, key, value); !why.isEmpty()) {
            lastErrors.insert(path, why);
            return false;
        }
    }
    return update(path, [&](Store& store) {
        Section* old = store.find(sectionName);
        Section fresh;
        fresh.name = old ? old->name : sectionName;
        fresh.hash = hashOfFolded(folded(fresh.name));
        // Its lines in the file keep their place, comments and all.
        fresh.lastHeader = old ? old->lastHeader : kNoLine;
        for (const auto& [key, value] : entries) {
            const QString keyName = key.trimmed();
            if (!keyName.isEmpty()) fresh.add(*store.texts, keyName, value);
        }
        if (!old) {
            if (fresh.entries.empty()) return false;  // nothing there and nothing to write
            store.findOrAdd(sectionName) = std::move(fresh);
            return true;
        }
        if (fresh.entries.empty()) return store.removeSection(sectionName);
        *old = std::move(fresh);
        return true;
    });
}

QStringList settingKeys(const QString& app, const QString& section) {
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&cacheMutex);
    QStringList keys;
    Store& store = storeFor(path);
    if (const Section* s = keepsItsBlanks(section) ? store.find(section) : nullptr)
        for (const Entry& e : s->entries) keys << keyOf(*store.texts, e);
    return keys;
}

void resetSettingsCache() {
    QMutexLocker lock(&cacheMutex);
    cache.clear();
    batches.clear();
    lastErrors.clear();
    readProblems.clear();
}

QString takeSettingsReadProblem(const QString& app) {
    QMutexLocker lock(&cacheMutex);
    const QString path = settingsFilePath(app);
    storeFor(path);
    return readProblems.take(path);
}

}  // namespace kavrin
