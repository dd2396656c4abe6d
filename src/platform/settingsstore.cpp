#include "platform/settingsstore.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSaveFile>
#include <QStringDecoder>

#include <vector>

namespace kavrin {

namespace {

// A settings file larger than this is not a settings file; only its start is read.
constexpr qint64 kMaxReadBytes = 64 * 1024 * 1024;

struct Entry {
    QString key;
    QString value;
};

struct Section {
    QString name;
    std::vector<Entry> entries;

    Entry* find(const QString& key) {
        for (Entry& e : entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0) return &e;
        return nullptr;
    }
};

// What identifies one state of the file on disk. Every save replaces the file by a rename, so the
// inode changes too; size and nanosecond time catch editors that write in place.
struct Stamp {
    bool exists = false;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    bool operator==(const Stamp&) const = default;
};

struct Store {
    Stamp stamp;
    std::vector<Section> sections;

    Section* find(const QString& name) {
        for (Section& s : sections)
            if (s.name.compare(name, Qt::CaseInsensitive) == 0) return &s;
        return nullptr;
    }
};

QMutex cacheMutex;
QHash<QString, Store> cache;

Stamp stampOf(const QString& path) {
    Stamp st;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return st;
    st.exists = true;
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

QString encodeValue(const QString& value) {
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

QString bytesToText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    // A file someone saved in a one-byte code page still reads; bytes are kept one for one.
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

// Reads what can be read: lines that are neither section headers nor key lines, keys before the
// first section, and repeated keys (the first one counts, as in Windows profile files) are
// passed over.
std::vector<Section> parse(const QString& text) {
    std::vector<Section> sections;
    Section* current = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#')) continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']') && trimmed.size() >= 2) {
            const QString name = decode(trimmed.mid(1, trimmed.size() - 2)).trimmed();
            current = nullptr;
            if (name.isEmpty()) continue;
            for (Section& s : sections)
                if (s.name.compare(name, Qt::CaseInsensitive) == 0) current = &s;
            if (!current) {
                sections.push_back(Section{name, {}});
                current = &sections.back();
            }
            continue;
        }
        if (!current) continue;
        const qsizetype eq = keyEnd(line);
        if (eq <= 0) continue;
        const QString key = decode(line.left(eq).trimmed()).trimmed();
        if (key.isEmpty() || current->find(key)) continue;
        // The value is everything after the "=", blanks included: they can be the value itself.
        current->entries.push_back(Entry{key, decode(line.mid(eq + 1))});
    }
    return sections;
}

QByteArray serialize(const std::vector<Section>& sections) {
    QString text;
    bool first = true;
    for (const Section& s : sections) {
        if (s.entries.empty()) continue;
        if (!first) text += '\n';
        first = false;
        text += '[' + encodeName(s.name) + "]\n";
        for (const Entry& e : s.entries) text += encodeName(e.key) + '=' + encodeValue(e.value) + '\n';
    }
    return text.toUtf8();
}

// The store of one file, read again when the file changed since it was last read or written.
// Call with cacheMutex held.
Store& storeFor(const QString& path) {
    const Stamp now = stampOf(path);
    auto it = cache.find(path);
    if (it != cache.end() && it->stamp == now) return *it;
    Store store;
    store.stamp = now;
    if (now.exists) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) store.sections = parse(bytesToText(file.read(kMaxReadBytes)));
    }
    return *cache.insert(path, std::move(store));
}

// Writes `sections` in place of the file. The cache takes them only when the file was written,
// so a failed write leaves both the file and what is read from it as they were.
bool commit(const QString& path, Store& store, std::vector<Section> sections) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = serialize(sections);
    // The explicit flush matters: commit() does not notice a failure of its own final flush and
    // would rename a cut-short file over the good one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) return false;
    store.sections = std::move(sections);
    store.stamp = stampOf(path);
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
    Store& store = storeFor(path);
    if (Section* s = store.find(sectionName))
        if (const Entry* e = s->find(keyName); e && e->value == value) return true;

    std::vector<Section> sections = store.sections;
    Section* s = nullptr;
    for (Section& candidate : sections)
        if (candidate.name.compare(sectionName, Qt::CaseInsensitive) == 0) s = &candidate;
    if (!s) {
        sections.push_back(Section{sectionName, {}});
        s = &sections.back();
    }
    if (Entry* e = s->find(keyName))
        e->value = value;  // the name keeps the case it was first written with
    else
        s->entries.push_back(Entry{keyName, value});
    return commit(path, store, std::move(sections));
}

bool deleteSetting(const QString& app, const QString& section, const QString& key) {
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&cacheMutex);
    Store& store = storeFor(path);
    std::vector<Section> sections = store.sections;
    bool changed = false;
    for (auto it = sections.begin(); it != sections.end(); ++it) {
        if (it->name.compare(sectionName, Qt::CaseInsensitive) != 0) continue;
        if (keyName.isEmpty()) {
            sections.erase(it);
            changed = true;
        } else {
            auto& entries = it->entries;
            for (auto e = entries.begin(); e != entries.end(); ++e) {
                if (e->key.compare(keyName, Qt::CaseInsensitive) == 0) {
                    entries.erase(e);
                    changed = true;
                    break;
                }
            }
            if (entries.empty()) sections.erase(it);
        }
        break;
    }
    // Nothing to delete is already the state asked for.
    if (!changed) return true;
    return commit(path, store, std::move(sections));
}

bool replaceSettingSection(const QString& app, const QString& section,
                           const QVector<QPair<QString, QString>>& entries) {
    const QString sectionName = section.trimmed();
    if (sectionName.isEmpty()) return false;
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&cacheMutex);
    Store& store = storeFor(path);
    std::vector<Section> sections = store.sections;
    auto it = sections.begin();
    while (it != sections.end() && it->name.compare(sectionName, Qt::CaseInsensitive) != 0) ++it;
    Section fresh{it != sections.end() ? it->name : sectionName, {}};
    for (const auto& [key, value] : entries) {
        const QString keyName = key.trimmed();
        if (keyName.isEmpty() || fresh.find(keyName)) continue;
        fresh.entries.push_back(Entry{keyName, value});
    }
    if (it != sections.end()) {
        if (fresh.entries.empty())
            sections.erase(it);
        else
            *it = std::move(fresh);
    } else if (!fresh.entries.empty()) {
        sections.push_back(std::move(fresh));
    } else {
        return true;  // nothing there and nothing to write
    }
    return commit(path, store, std::move(sections));
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
}

}  // namespace kavrin
