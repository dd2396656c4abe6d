#include "platform/settingsstore.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QStringDecoder>

#include <vector>

#include "platform/textfile.h"

namespace kavrin {

namespace {

// A settings file larger than this is not a settings file.
constexpr qint64 kMaxReadBytes = 64 * 1024 * 1024;

struct Entry {
    QString key;
    QString value;
};

// Names are compared without regard to case; the folded form is what the indexes hold.
QString folded(const QString& name) { return name.toCaseFolded(); }

struct Section {
    QString name;
    std::vector<Entry> entries;
    QHash<QString, qsizetype> index;  // folded key -> position in entries

    Entry* find(const QString& key) {
        const auto it = index.constFind(folded(key));
        return it == index.constEnd() ? nullptr : &entries[size_t(*it)];
    }
    // The first of two equal keys counts, as in Windows profile files: a repeat is passed over.
    void add(const QString& key, const QString& value) {
        const QString f = folded(key);
        if (index.contains(f)) return;
        index.insert(f, qsizetype(entries.size()));
        entries.push_back(Entry{key, value});
    }
    bool remove(const QString& key) {
        const auto it = index.constFind(folded(key));
        if (it == index.constEnd()) return false;
        entries.erase(entries.begin() + *it);
        index.clear();
        for (size_t i = 0; i < entries.size(); ++i) index.insert(folded(entries[i].key), qsizetype(i));
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
    std::vector<Section> sections;
    QHash<QString, qsizetype> index;  // folded section name -> position in sections

    Section* find(const QString& name) {
        const auto it = index.constFind(folded(name));
        return it == index.constEnd() ? nullptr : &sections[size_t(*it)];
    }
    Section& findOrAdd(const QString& name) {
        if (Section* s = find(name)) return *s;
        index.insert(folded(name), qsizetype(sections.size()));
        sections.push_back(Section{name, {}, {}});
        return sections.back();
    }
    bool removeSection(const QString& name) {
        const auto it = index.constFind(folded(name));
        if (it == index.constEnd()) return false;
        sections.erase(sections.begin() + *it);
        index.clear();
        for (size_t i = 0; i < sections.size(); ++i) index.insert(folded(sections[i].name), qsizetype(i));
        return true;
    }
};

// A run of saves that reaches the disk as one write (see SettingsBatch).
struct Batch {
    int depth = 0;
    bool dirty = false;
    bool failed = false;
    Store before;  // what the file held when the batch began, for a failed write
};

QMutex cacheMutex;
QHash<QString, Store> cache;
QHash<QString, Batch> batches;
QHash<QString, QString> lastErrors;

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
// header or a comment).
QString encodeName(const QString& name) {
    if (!needsEscapes(name) && !name.contains('=') && !name.startsWith('[') && !name.startsWith(';') &&
        !name.startsWith('#'))
        return name;
    QString out;
    out.reserve(name.size() + 4);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool hasNext = i + 1 < name.size();
        if (c == '=' || (i == 0 && (c == '[' || c == ';' || c == '#'))) {
            out += '\\';
            out += c;
        } else {
            appendEscaped(out, c, hasNext ? name[i + 1] : QChar(), hasNext);
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

// A line that is not UTF-8 (written by hand in a one-byte code page, or damaged) is read as
// Windows-1252 on its own; every other line keeps its UTF-8.
QString bytesToText(const QByteArray& bytes) {
    QString text;
    if (isValidUtf8(bytes.constData(), bytes.size())) {
        text = QString::fromUtf8(bytes);
    } else {
        text.reserve(bytes.size());
        qsizetype from = 0;
        while (from < bytes.size()) {
            qsizetype to = bytes.indexOf('\n', from);
            to = to < 0 ? bytes.size() : to + 1;
            const QByteArrayView line = QByteArrayView(bytes).sliced(from, to - from);
            if (isValidUtf8(line.data(), line.size())) text += QString::fromUtf8(line);
            else text += decodeWindows1252(line.toByteArray());
            from = to;
        }
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

// Reads what can be read: lines that are neither section headers nor key lines, keys before the
// first section, and repeated keys (the first one counts) are passed over.
Store parse(const QString& text) {
    Store store;
    Section* current = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#')) continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']') && trimmed.size() >= 2) {
            const QString name = decode(trimmed.mid(1, trimmed.size() - 2)).trimmed();
            current = name.isEmpty() ? nullptr : &store.findOrAdd(name);
            continue;
        }
        if (!current) continue;
        const qsizetype eq = keyEnd(line);
        if (eq <= 0) continue;
        const QString key = decode(line.left(eq).trimmed()).trimmed();
        if (key.isEmpty()) continue;
        // The value is everything after the "=", blanks included: they can be the value itself.
        current->add(key, decode(line.mid(eq + 1)));
    }
    return store;
}

QByteArray serialize(const std::vector<Section>& sections) {
    QString text;
    qsizetype size = 0;
    for (const Section& s : sections) {
        size += s.name.size() + 4;
        for (const Entry& e : s.entries) size += e.key.size() + e.value.size() + 2;
    }
    text.reserve(size + size / 16);
    bool first = true;
    for (const Section& s : sections) {
        if (s.entries.empty()) continue;
        if (!first) text += '\n';
        first = false;
        text += '[' + encodeName(s.name) + "]\n";
        for (const Entry& e : s.entries) {
            text += encodeName(e.key);
            text += '=';
            text += encodeValue(e.value);
            text += '\n';
        }
    }
    return text.toUtf8();
}

// The store of one file, read again when the file changed since it was last read or written.
// While a batch holds unwritten saves, the store in memory is what counts. Call with cacheMutex held.
Store& storeFor(const QString& path) {
    auto it = cache.find(path);
    if (it != cache.end() && batches.contains(path)) return *it;
    const Stamp now = stampOf(path);
    if (it != cache.end() && it->stamp == now) return *it;
    // Anything but a regular file in the file's place (a FIFO, a device, a folder) holds no
    // settings, and is not even opened: reading a FIFO would wait for a writer for ever.
    QByteArray bytes;
    if (now.regular) readRegularFile(path, &bytes, nullptr, kMaxReadBytes);
    Store store = parse(bytesToText(bytes));
    store.stamp = now;
    return *cache.insert(path, std::move(store));
}

// Writes `store` in place of the file; false with the reason kept for settingsWriteError().
bool writeStore(const QString& path, Store& store) {
    QString error;
    const QString folder = QFileInfo(path).absolutePath();
    const Stamp old = stampOf(path);
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("The folder \"%1\" could not be created.").arg(folder);
    } else if (old.exists && !old.regular) {
        // Whatever stands there (a FIFO, a device, a folder) was put there by someone: it is
        // neither read nor replaced.
        error = QStringLiteral("\"%1\" is not a regular file.").arg(path);
    } else if (writeFileAtomically(path, serialize(store.sections), &error)) {
        store.stamp = stampOf(path);
        lastErrors.remove(path);
        return true;
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
    Section* s = storeFor(path).find(section.trimmed());
    if (!s) return defaultValue;
    const Entry* e = s->find(key.trimmed());
    return e ? e->value : defaultValue;
}

bool saveSetting(const QString& app, const QString& section, const QString& key, const QString& value) {
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty()) return false;
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&cacheMutex);
    return update(path, [&](Store& store) {
        if (Section* s = store.find(sectionName)) {
            if (Entry* e = s->find(keyName)) {
                if (e->value == value) return false;
                e->value = value;  // the name keeps the case it was first written with
                return true;
            }
        }
        store.findOrAdd(sectionName).add(keyName, value);
        return true;
    });
}

bool saveSettings(const QString& app, const QString& section, const QVector<QPair<QString, QString>>& values) {
    if (section.trimmed().isEmpty()) return false;
    for (const auto& [key, value] : values)
        if (key.trimmed().isEmpty()) return false;
    SettingsBatch batch(app);
    for (const auto& [key, value] : values) saveSetting(app, section, key, value);
    return batch.commit();
}

bool deleteSetting(const QString& app, const QString& section, const QString& key) {
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&cacheMutex);
    return update(path, [&](Store& store) {
        if (keyName.isEmpty()) return store.removeSection(sectionName);
        Section* s = store.find(sectionName);
        if (!s || !s->remove(keyName)) return false;
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
    if (!batch.dirty) return ok_ = true;
    if (writeStore(path_, store)) return ok_ = true;
    store = batch.before;
    return ok_ = false;
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
    return update(path, [&](Store& store) {
        Section* old = store.find(sectionName);
        Section fresh{old ? old->name : sectionName, {}, {}};
        for (const auto& [key, value] : entries) {
            const QString keyName = key.trimmed();
            if (!keyName.isEmpty()) fresh.add(keyName, value);
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
    if (const Section* s = storeFor(path).find(section.trimmed()))
        for (const Entry& e : s->entries) keys << e.key;
    return keys;
}

void resetSettingsCache() {
    QMutexLocker lock(&cacheMutex);
    cache.clear();
    batches.clear();
    lastErrors.clear();
}

}  // namespace kavrin
