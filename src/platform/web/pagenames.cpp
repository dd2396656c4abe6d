#include "platform/web/pagenames.h"

#include <QHash>

#include <cstring>

namespace kavrin {

namespace {

// What a tag cut short may hold before it is taken for text: a page of zeros has no tags.
constexpr qsizetype kLongestTag = 1024 * 1024;

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }
bool letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool startsWithNoCase(QByteArrayView text, qsizetype at, const char* word) {
    const qsizetype n = qsizetype(std::strlen(word));
    if (at + n > text.size()) return false;
    for (qsizetype i = 0; i < n; ++i)
        if (lower(text[at + i]) != word[i]) return false;
    return true;
}

// Where `word` (lower case, starting with "<") next starts in any case, or -1.
qsizetype findNoCase(QByteArrayView text, const QByteArray& word, qsizetype from) {
    for (qsizetype at = text.indexOf(word[0], from); at >= 0; at = text.indexOf(word[0], at + 1))
        if (startsWithNoCase(text, at, word.constData())) return at;
    return -1;
}

// The attribute value with its character references undone (the few that appear in addresses).
QString decoded(QByteArrayView raw) {
    const QString text = QString::fromUtf8(raw);
    if (!text.contains(u'&')) return text;
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            out += text[i];
            continue;
        }
        const qsizetype semi = text.indexOf(u';', i);
        const QString name = semi > i ? text.mid(i + 1, semi - i - 1) : QString();
        static const QHash<QString, QChar> named{
            {"amp", u'&'}, {"lt", u'<'}, {"gt", u'>'}, {"quot", u'"'}, {"apos", u'\''}};
        bool ok = false;
        uint code = 0;
        if (name.startsWith(u"#x", Qt::CaseInsensitive)) code = name.mid(2).toUInt(&ok, 16);
        else if (name.startsWith(u'#')) code = name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code < 0x110000) {
            out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            i = semi;
        } else if (named.contains(name)) {
            out += named.value(name);
            i = semi;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Where the start tag at `from` ends (its ">"), quoted values passed over; -1 when cut short.
qsizetype tagEnd(QByteArrayView text, qsizetype from) {
    char previous = 0;
    for (qsizetype i = from + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '>') return i;
        if ((c == '"' || c == '\'') && previous == '=') {
            const qsizetype close = text.indexOf(c, i + 1);
            if (close < 0) return -1;
            i = close;
            previous = c;
            continue;
        }
        if (!space(c)) previous = c;
    }
    return -1;
}

}  // namespace

QStringList cssNames(QByteArrayView css) {
    QStringList names;
    for (qsizetype i = 0; i < css.size(); ++i) {
        const char c = css[i];
        if (c == '/' && i + 1 < css.size() && css[i + 1] == '*') {
            const qsizetype end = css.indexOf("*/", i + 2);
            if (end < 0) break;
            i = end + 1;
            continue;
        }
        qsizetype at = -1;
        char until = 0;
        if ((c == 'u' || c == 'U') && startsWithNoCase(css, i, "url(")) {
            at = i + 4;
            while (at < css.size() && space(css[at])) ++at;
            until = ')';
        } else if (c == '@' && startsWithNoCase(css, i, "@import")) {
            at = i + 7;
            while (at < css.size() && space(css[at])) ++at;
            if (at >= css.size() || (css[at] != '"' && css[at] != '\'')) continue;  // url() comes next
        } else {
            continue;
        }
        if (at >= css.size()) break;
        if (css[at] == '"' || css[at] == '\'') {
            until = css[at];
            ++at;
        }
        const qsizetype end = css.indexOf(until, at);
        if (end < 0) break;
        const QString name = QString::fromUtf8(css.sliced(at, end - at)).trimmed();
        if (!name.isEmpty()) names << name;
        i = end;
    }
    return names;
}

void HtmlNameScanner::feed(QByteArrayView piece) {
    kept_.append(piece.data(), piece.size());
    qsizetype used = scan(kept_, false);
    // A tag that never ends is text: the page goes on from just after its "<".
    if (used == 0 && kept_.size() > kLongestTag) used = 1 + scan(QByteArrayView(kept_).sliced(1), false);
    kept_.remove(0, used);
}

void HtmlNameScanner::finish() {
    scan(kept_, true);
    kept_.clear();
}

qsizetype HtmlNameScanner::scan(QByteArrayView text, bool last) {
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n) {
        if (!closing_.isEmpty()) {
            const qsizetype end = closing_ == "-->" ? text.indexOf(closing_, pos) : findNoCase(text, closing_, pos);
            if (end < 0) {
                // The end may be cut in two: what could be its start waits for the next piece,
                // and a style sheet waits whole (up to a bound), as its names may be as well.
                if (inStyle_ && !last && n - pos < kLongestTag) return pos;
                const qsizetype keep = last ? n : qMax(pos, n - closing_.size());
                if (inStyle_) names << cssNames(text.sliced(pos, keep - pos));
                return keep;
            }
            if (inStyle_) names << cssNames(text.sliced(pos, end - pos));
            inStyle_ = false;
            pos = end + closing_.size();
            closing_.clear();
            continue;
        }
        const qsizetype lt = text.indexOf('<', pos);
        if (lt < 0) return n;
        if (lt + 3 >= n && !last) return lt;
        if (startsWithNoCase(text, lt, "<!--")) {
            closing_ = "-->";
            pos = lt + 4;
            continue;
        }
        const char next = lt + 1 < n ? text[lt + 1] : 0;
        if (next == '/' || next == '!' || next == '?') {
            const qsizetype gt = text.indexOf('>', lt);
            if (gt < 0) return last ? n : lt;
            pos = gt + 1;
            continue;
        }
        if (!letter(next)) {
            pos = lt + 1;
            continue;
        }
        const qsizetype end = tagEnd(text, lt);
        if (end < 0) return last ? n : lt;
        tag(text.sliced(lt, end - lt + 1));
        pos = end + 1;
    }
    return n;
}

void HtmlNameScanner::tag(QByteArrayView text) {
    qsizetype i = 1;
    QByteArray name;
    while (i < text.size() && !space(text[i]) && text[i] != '>' && text[i] != '/') name += lower(text[i++]);
    QList<std::pair<QByteArray, QByteArrayView>> attributes;
    while (i < text.size()) {
        while (i < text.size() && (space(text[i]) || text[i] == '/')) ++i;
        if (i >= text.size() || text[i] == '>') break;
        QByteArray attribute;
        while (i < text.size() && !space(text[i]) && text[i] != '=' && text[i] != '>' && text[i] != '/')
            attribute += lower(text[i++]);
        while (i < text.size() && space(text[i])) ++i;
        QByteArrayView value;
        if (i < text.size() && text[i] == '=') {
            ++i;
            while (i < text.size() && space(text[i])) ++i;
            if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
                const char quote = text[i++];
                qsizetype close = text.indexOf(quote, i);
                if (close < 0) close = text.size() - 1;
                value = text.sliced(i, close - i);
                i = close + 1;
            } else {
                const qsizetype from = i;
                while (i < text.size() && !space(text[i]) && text[i] != '>') ++i;
                value = text.sliced(from, i - from);
            }
        }
        if (!attribute.isEmpty()) attributes.append({attribute, value});
    }
    auto value = [&](const char* attribute) -> QByteArrayView {
        for (const auto& [a, v] : attributes)
            if (a == attribute) return v;
        return {};
    };
    auto take = [&](const char* attribute) {
        const QString v = decoded(value(attribute)).trimmed();
        if (!v.isEmpty()) names << v;
    };
    if (name == "base") {
        if (base.isEmpty()) base = decoded(value("href")).trimmed();
    } else if (name == "link") {
        const QByteArray rel = value("rel").toByteArray().toLower();
        if (rel.contains("stylesheet") || rel.contains("icon")) take("href");
    } else if (name == "image" || name == "use" || name == "feimage") {
        take("href");
        take("xlink:href");
    }
    take("src");
    take("background");
    take("poster");
    if (name == "object") take("data");
    if (name == "img" || name == "source") {
        for (const QString& candidate : decoded(value("srcset")).split(u',', Qt::SkipEmptyParts)) {
            const QString url = candidate.trimmed().section(u' ', 0, 0);
            if (!url.isEmpty()) names << url;
        }
    }
    if (!value("style").isEmpty()) names << cssNames(decoded(value("style")).toUtf8());
    static const QList<QByteArray> raw{"script", "style", "textarea", "title", "xmp", "noembed", "noframes"};
    if (raw.contains(name)) {
        closing_ = "</" + name;
        inStyle_ = name == "style";
    }
}

}  // namespace kavrin
