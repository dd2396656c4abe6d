#include "platform/web/pagebase.h"

namespace kavrin {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// A start tag `<name` at `at`, its name ending there.
bool tagAt(const QByteArray& page, qsizetype at, const char* name) {
    const qsizetype n = qsizetype(qstrlen(name));
    if (at + 1 + n > page.size() || page[at] != '<') return false;
    if (qstrnicmp(page.constData() + at + 1, n, name, n) != 0) return false;
    if (at + 1 + n == page.size()) return true;
    const char c = page[at + 1 + n];
    return isSpace(c) || c == '>' || c == '/';
}

// Just past the '>' that ends the tag at `at`, a quoted value read whole; -1 when it never ends.
qsizetype tagEnd(const QByteArray& page, qsizetype at) {
    char quote = 0;
    char last = 0;
    for (qsizetype i = at + 1; i < page.size(); ++i) {
        const char c = page[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if ((c == '"' || c == '\'') && last == '=') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
        if (!isSpace(c)) last = c;
    }
    return -1;
}

bool hasOwnBase(const QByteArray& page) {
    for (qsizetype at = page.indexOf('<'); at >= 0; at = page.indexOf('<', at + 1))
        if (tagAt(page, at, "base")) return true;
    return false;
}

// Where the base goes: past what the parser reads before it starts the head (byte-order mark,
// white space, doctype, comments, the html tag) and past the head's own tag when that follows.
// White space there is dropped by the parser, and everything after it comes after the base as it
// would have anyway, so the page is built as before.
qsizetype basePlace(const QByteArray& page) {
    qsizetype at = page.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        while (at < page.size() && isSpace(page[at])) ++at;
        if (at + 1 >= page.size() || page[at] != '<') return at;
        qsizetype end = -1;
        if (page.mid(at, 4) == "<!--") {
            // "<!-->" and "<!--->" end there too.
            end = page.indexOf("-->", at + 2);
            if (end >= 0) end += 3;
        } else if (page[at + 1] == '!' || page[at + 1] == '?') {
            end = page.indexOf('>', at);
            if (end >= 0) end += 1;
        } else if (tagAt(page, at, "html")) {
            end = tagEnd(page, at);
        } else if (tagAt(page, at, "head")) {
            end = tagEnd(page, at);
            return end >= 0 ? end : at;
        }
        if (end < 0) return at;
        at = end;
    }
}

}  // namespace

QByteArray withFolderBase(const QByteArray& page, const QByteArray& folder, QByteArray* href) {
    if (href) href->clear();
    if (page.startsWith("\xFF\xFE") || page.startsWith("\xFE\xFF") || page.startsWith(QByteArray("\0\0\xFE\xFF", 4)))
        return page;
    if (hasOwnBase(page)) return page;
    const QByteArray address = QByteArray(folder).replace('"', "%22").replace('&', "%26");
    if (href) *href = address;
    QByteArray out = page;
    out.insert(basePlace(page), "<base href=\"" + address + "\">");
    return out;
}

QByteArray pagePrologue(const QByteArray& page) { return page.left(basePlace(page)); }

}  // namespace kavrin
