#include "documents/design/htmltokens.h"

#include <QHash>
#include <algorithm>
#include <cstring>

namespace kavrin {

namespace {

struct Entity {
    const char* name;
    char32_t code;
    bool legacy;  // also read without its ";"
};

// The entities of HTML 4 (with "apos" and the upper-case forms pages of that time used), sorted
// by name: what pages written by hand and by older generators spell.
constexpr Entity kEntities[] = {
    {"AElig", 0xC6, true}, {"AMP", 0x26, true}, {"Aacute", 0xC1, true}, {"Acirc", 0xC2, true},
    {"Agrave", 0xC0, true}, {"Alpha", 0x391, false}, {"Aring", 0xC5, true}, {"Atilde", 0xC3, true},
    {"Auml", 0xC4, true}, {"Beta", 0x392, false}, {"COPY", 0xA9, true}, {"Ccedil", 0xC7, true},
    {"Chi", 0x3A7, false}, {"Dagger", 0x2021, false}, {"Delta", 0x394, false}, {"ETH", 0xD0, true},
    {"Eacute", 0xC9, true}, {"Ecirc", 0xCA, true}, {"Egrave", 0xC8, true}, {"Epsilon", 0x395, false},
    {"Eta", 0x397, false}, {"Euml", 0xCB, true}, {"GT", 0x3E, true}, {"Gamma", 0x393, false},
    {"Iacute", 0xCD, true}, {"Icirc", 0xCE, true}, {"Igrave", 0xCC, true}, {"Iota", 0x399, false},
    {"Iuml", 0xCF, true}, {"Kappa", 0x39A, false}, {"LT", 0x3C, true}, {"Lambda", 0x39B, false},
    {"Mu", 0x39C, false}, {"Ntilde", 0xD1, true}, {"Nu", 0x39D, false}, {"OElig", 0x152, false},
    {"Oacute", 0xD3, true}, {"Ocirc", 0xD4, true}, {"Ograve", 0xD2, true}, {"Omega", 0x3A9, false},
    {"Omicron", 0x39F, false}, {"Oslash", 0xD8, true}, {"Otilde", 0xD5, true}, {"Ouml", 0xD6, true},
    {"Phi", 0x3A6, false}, {"Pi", 0x3A0, false}, {"Prime", 0x2033, false}, {"Psi", 0x3A8, false},
    {"QUOT", 0x22, true}, {"REG", 0xAE, true}, {"Rho", 0x3A1, false}, {"Scaron", 0x160, false},
    {"Sigma", 0x3A3, false}, {"THORN", 0xDE, true}, {"Tau", 0x3A4, false}, {"Theta", 0x398, false},
    {"Uacute", 0xDA, true}, {"Ucirc", 0xDB, true}, {"Ugrave", 0xD9, true}, {"Upsilon", 0x3A5, false},
    {"Uuml", 0xDC, true}, {"Xi", 0x39E, false}, {"Yacute", 0xDD, true}, {"Yuml", 0x178, false},
    {"Zeta", 0x396, false}, {"aacute", 0xE1, true}, {"acirc", 0xE2, true}, {"acute", 0xB4, true},
    {"aelig", 0xE6, true}, {"agrave", 0xE0, true}, {"alefsym", 0x2135, false}, {"alpha", 0x3B1, false},
    {"amp", 0x26, true}, {"and", 0x2227, false}, {"ang", 0x2220, false}, {"apos", 0x27, false},
    {"aring", 0xE5, true}, {"asymp", 0x2248, false}, {"atilde", 0xE3, true}, {"auml", 0xE4, true},
    {"bdquo", 0x201E, false}, {"beta", 0x3B2, false}, {"brvbar", 0xA6, true}, {"bull", 0x2022, false},
    {"cap", 0x2229, false}, {"ccedil", 0xE7, true}, {"cedil", 0xB8, true}, {"cent", 0xA2, true},
    {"chi", 0x3C7, false}, {"circ", 0x2C6, false}, {"clubs", 0x2663, false}, {"cong", 0x2245, false},
    {"copy", 0xA9, true}, {"crarr", 0x21B5, false}, {"cup", 0x222A, false}, {"curren", 0xA4, true},
    {"dArr", 0x21D3, false}, {"dagger", 0x2020, false}, {"darr", 0x2193, false}, {"deg", 0xB0, true},
    {"delta", 0x3B4, false}, {"diams", 0x2666, false}, {"divide", 0xF7, true}, {"eacute", 0xE9, true},
    {"ecirc", 0xEA, true}, {"egrave", 0xE8, true}, {"empty", 0x2205, false}, {"emsp", 0x2003, false},
    {"ensp", 0x2002, false}, {"epsilon", 0x3B5, false}, {"equiv", 0x2261, false},
    {"eta", 0x3B7, false}, {"eth", 0xF0, true}, {"euml", 0xEB, true}, {"euro", 0x20AC, false},
    {"exist", 0x2203, false}, {"fnof", 0x192, false}, {"forall", 0x2200, false},
    {"frac12", 0xBD, true}, {"frac14", 0xBC, true}, {"frac34", 0xBE, true}, {"frasl", 0x2044, false},
    {"gamma", 0x3B3, false}, {"ge", 0x2265, false}, {"gt", 0x3E, true}, {"hArr", 0x21D4, false},
    {"harr", 0x2194, false}, {"hearts", 0x2665, false}, {"hellip", 0x2026, false},
    {"iacute", 0xED, true}, {"icirc", 0xEE, true}, {"iexcl", 0xA1, true}, {"igrave", 0xEC, true},
    {"image", 0x2111, false}, {"infin", 0x221E, false}, {"int", 0x222B, false}, {"iota", 0x3B9, false},
    {"iquest", 0xBF, true}, {"isin", 0x2208, false}, {"iuml", 0xEF, true}, {"kappa", 0x3BA, false},
    {"lArr", 0x21D0, false}, {"lambda", 0x3BB, false}, {"lang", 0x2329, false}, {"laquo", 0xAB, true},
    {"larr", 0x2190, false}, {"lceil", 0x2308, false}, {"ldquo", 0x201C, false}, {"le", 0x2264, false},
    {"lfloor", 0x230A, false}, {"lowast", 0x2217, false}, {"loz", 0x25CA, false},
    {"lrm", 0x200E, false}, {"lsaquo", 0x2039, false}, {"lsquo", 0x2018, false}, {"lt", 0x3C, true},
    {"macr", 0xAF, true}, {"mdash", 0x2014, false}, {"micro", 0xB5, true}, {"middot", 0xB7, true},
    {"minus", 0x2212, false}, {"mu", 0x3BC, false}, {"nabla", 0x2207, false}, {"nbsp", 0xA0, true},
    {"ndash", 0x2013, false}, {"ne", 0x2260, false}, {"ni", 0x220B, false}, {"not", 0xAC, true},
    {"notin", 0x2209, false}, {"nsub", 0x2284, false}, {"ntilde", 0xF1, true}, {"nu", 0x3BD, false},
    {"oacute", 0xF3, true}, {"ocirc", 0xF4, true}, {"oelig", 0x153, false}, {"ograve", 0xF2, true},
    {"oline", 0x203E, false}, {"omega", 0x3C9, false}, {"omicron", 0x3BF, false},
    {"oplus", 0x2295, false}, {"or", 0x2228, false}, {"ordf", 0xAA, true}, {"ordm", 0xBA, true},
    {"oslash", 0xF8, true}, {"otilde", 0xF5, true}, {"otimes", 0x2297, false}, {"ouml", 0xF6, true},
    {"para", 0xB6, true}, {"part", 0x2202, false}, {"permil", 0x2030, false}, {"perp", 0x22A5, false},
    {"phi", 0x3C6, false}, {"pi", 0x3C0, false}, {"piv", 0x3D6, false}, {"plusmn", 0xB1, true},
    {"pound", 0xA3, true}, {"prime", 0x2032, false}, {"prod", 0x220F, false}, {"prop", 0x221D, false},
    {"psi", 0x3C8, false}, {"quot", 0x22, true}, {"rArr", 0x21D2, false}, {"radic", 0x221A, false},
    {"rang", 0x232A, false}, {"raquo", 0xBB, true}, {"rarr", 0x2192, false}, {"rceil", 0x2309, false},
    {"rdquo", 0x201D, false}, {"real", 0x211C, false}, {"reg", 0xAE, true}, {"rfloor", 0x230B, false},
    {"rho", 0x3C1, false}, {"rlm", 0x200F, false}, {"rsaquo", 0x203A, false}, {"rsquo", 0x2019, false},
    {"sbquo", 0x201A, false}, {"scaron", 0x161, false}, {"sdot", 0x22C5, false}, {"sect", 0xA7, true},
    {"shy", 0xAD, true}, {"sigma", 0x3C3, false}, {"sigmaf", 0x3C2, false}, {"sim", 0x223C, false},
    {"spades", 0x2660, false}, {"sub", 0x2282, false}, {"sube", 0x2286, false}, {"sum", 0x2211, false},
    {"sup", 0x2283, false}, {"sup1", 0xB9, true}, {"sup2", 0xB2, true}, {"sup3", 0xB3, true},
    {"supe", 0x2287, false}, {"szlig", 0xDF, true}, {"tau", 0x3C4, false}, {"there4", 0x2234, false},
    {"theta", 0x3B8, false}, {"thetasym", 0x3D1, false}, {"thinsp", 0x2009, false},
    {"thorn", 0xFE, true}, {"tilde", 0x2DC, false}, {"times", 0xD7, true}, {"trade", 0x2122, false},
    {"uArr", 0x21D1, false}, {"uacute", 0xFA, true}, {"uarr", 0x2191, false}, {"ucirc", 0xFB, true},
    {"ugrave", 0xF9, true}, {"uml", 0xA8, true}, {"upsih", 0x3D2, false}, {"upsilon", 0x3C5, false},
    {"uuml", 0xFC, true}, {"weierp", 0x2118, false}, {"xi", 0x3BE, false}, {"yacute", 0xFD, true},
    {"yen", 0xA5, true}, {"yuml", 0xFF, true}, {"zeta", 0x3B6, false}, {"zwj", 0x200D, false},
    {"zwnj", 0x200C, false},
};

const Entity* findEntity(QStringView name) {
    const Entity* begin = std::begin(kEntities);
    const Entity* end = std::end(kEntities);
    const auto less = [](const Entity& e, QStringView n) {
        const qsizetype len = qsizetype(std::strlen(e.name));
        for (qsizetype i = 0; i < len && i < n.size(); ++i)
            if (e.name[i] != n[i].unicode()) return char16_t(e.name[i]) < n[i].unicode();
        return len < n.size();
    };
    const Entity* it = std::lower_bound(begin, end, name, less);
    if (it == end || std::strlen(it->name) != size_t(name.size())) return nullptr;
    for (qsizetype i = 0; i < name.size(); ++i)
        if (it->name[i] != name[i].unicode()) return nullptr;
    return it;
}

// What the parser makes of the character references 128 to 159: the Windows-1252 characters.
constexpr char16_t kC1[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                              0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

bool isAlpha(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isAlnum(char16_t c) { return isAlpha(c) || (c >= u'0' && c <= u'9'); }
bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }
char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

constexpr quint64 kPrime = 1099511628211ULL;
quint64 mix(quint64 h, quint64 v) { return (h ^ v) * kPrime; }
constexpr quint64 seed(int kind) { return 14695981039346656037ULL + quint64(kind) * 0x9E3779B97F4A7C15ULL; }

// One character of text as the parser reads it, from `at`: its code and where the next one
// starts. Line breaks come out as LF.
struct Decoded {
    char32_t code;
    int next;
};

Decoded decodeOne(const QChar* s, int at, int end, bool attribute, bool entities) {
    const char16_t c = s[at].unicode();
    if (c == u'\r') return {U'\n', at + 1 < end && s[at + 1] == u'\n' ? at + 2 : at + 1};
    if (c != u'&' || !entities || at + 1 >= end) return {c, at + 1};
    int i = at + 1;
    if (s[i] == u'#') {
        ++i;
        const bool hex = i < end && (s[i] == u'x' || s[i] == u'X');
        if (hex) ++i;
        const int digits = i;
        char32_t value = 0;
        for (; i < end; ++i) {
            const char16_t d = s[i].unicode();
            int v = -1;
            if (d >= u'0' && d <= u'9') v = d - u'0';
            else if (hex && d >= u'a' && d <= u'f') v = d - u'a' + 10;
            else if (hex && d >= u'A' && d <= u'F') v = d - u'A' + 10;
            if (v < 0) break;
            value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + char32_t(v);
        }
        if (i == digits) return {c, at + 1};
        if (i < end && s[i] == u';') ++i;
        if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) value = 0xFFFD;
        else if (value >= 0x80 && value <= 0x9F) value = kC1[value - 0x80];
        return {value, i};
    }
    int nameEnd = i;
    while (nameEnd < end && nameEnd - i < 32 && isAlnum(s[nameEnd].unicode())) ++nameEnd;
    if (nameEnd == i) return {c, at + 1};
    if (nameEnd < end && s[nameEnd] == u';')
        if (const Entity* e = findEntity(QStringView(s + i, nameEnd - i))) return {e->code, nameEnd + 1};
    // The old names are read without their ";", the longest that fits.
    for (int len = std::min(nameEnd - i, 8); len >= 2; --len) {
        const Entity* e = findEntity(QStringView(s + i, len));
        if (!e || !e->legacy) continue;
        const int after = i + len;
        if (attribute && after < end && (s[after] == u'=' || isAlnum(s[after].unicode()))) return {c, at + 1};
        return {e->code, after};
    }
    return {c, at + 1};
}

void appendCode(QString& out, char32_t code) {
    if (code > 0xFFFF) {
        out += QChar(QChar::highSurrogate(code));
        out += QChar(QChar::lowSurrogate(code));
    } else {
        out += QChar(char16_t(code));
    }
}

// Tag names, each with what it is to the parser and to the layout.
enum TagTrait : quint16 {
    Void = 1,           // never has content or an end tag
    RawContent = 2,     // its content is text up to its end tag, without entities
    TextContent = 4,    // its content is text up to its end tag, with entities
    PreContent = 8,     // all its spaces show; the parser drops a line break right after it
    EndOptional = 16,   // the parser closes it by itself
    StartOptional = 32, // the parser makes it by itself when the source leaves it out
    BlockTag = 64,
    ContentTag = 128,
    ToEnd = 256,        // its content runs to the end of the page
};

struct TagInfo {
    const char* name;
    quint16 traits;
};

constexpr TagInfo kTags[] = {
    {"address", BlockTag}, {"applet", ContentTag}, {"area", Void}, {"article", BlockTag}, {"aside", BlockTag},
    {"audio", ContentTag}, {"base", Void | BlockTag}, {"basefont", Void}, {"bgsound", Void},
    {"blockquote", BlockTag}, {"body", EndOptional | BlockTag}, {"br", Void | BlockTag},
    {"button", ContentTag}, {"canvas", ContentTag}, {"caption", EndOptional | BlockTag},
    {"center", BlockTag}, {"col", Void | BlockTag}, {"colgroup", EndOptional | StartOptional | BlockTag},
    {"dd", EndOptional | BlockTag}, {"details", BlockTag}, {"dialog", BlockTag}, {"dir", BlockTag},
    {"div", BlockTag}, {"dl", BlockTag}, {"dt", EndOptional | BlockTag}, {"embed", Void | ContentTag},
    {"fieldset", BlockTag}, {"figcaption", BlockTag}, {"figure", BlockTag}, {"footer", BlockTag},
    {"form", BlockTag}, {"frame", Void | BlockTag}, {"frameset", BlockTag}, {"h1", BlockTag},
    {"h2", BlockTag}, {"h3", BlockTag}, {"h4", BlockTag}, {"h5", BlockTag}, {"h6", BlockTag},
    {"head", EndOptional | BlockTag}, {"header", BlockTag}, {"hgroup", BlockTag}, {"hr", Void | BlockTag},
    {"html", EndOptional | BlockTag}, {"iframe", RawContent | ContentTag}, {"image", Void | ContentTag},
    {"img", Void | ContentTag}, {"input", Void | ContentTag}, {"keygen", Void | ContentTag},
    {"legend", BlockTag}, {"li", EndOptional | BlockTag}, {"link", Void | BlockTag},
    {"listing", PreContent | BlockTag}, {"main", BlockTag}, {"math", ContentTag}, {"menu", BlockTag},
    {"meta", Void | BlockTag}, {"meter", ContentTag}, {"nav", BlockTag}, {"noembed", RawContent | BlockTag},
    {"noframes", RawContent | BlockTag}, {"object", ContentTag}, {"ol", BlockTag},
    {"optgroup", EndOptional | BlockTag}, {"option", EndOptional | BlockTag}, {"p", EndOptional | BlockTag},
    {"param", Void}, {"plaintext", ToEnd | BlockTag}, {"pre", PreContent | BlockTag},
    {"progress", ContentTag}, {"rb", EndOptional}, {"rp", EndOptional}, {"rt", EndOptional},
    {"rtc", EndOptional}, {"script", RawContent | BlockTag}, {"section", BlockTag}, {"select", ContentTag},
    {"source", Void}, {"style", RawContent | BlockTag}, {"summary", BlockTag}, {"svg", ContentTag},
    {"table", BlockTag}, {"tbody", EndOptional | StartOptional | BlockTag}, {"td", EndOptional | BlockTag},
    {"textarea", TextContent | PreContent | ContentTag}, {"tfoot", EndOptional | BlockTag},
    {"th", EndOptional | BlockTag}, {"thead", EndOptional | BlockTag}, {"title", TextContent | BlockTag},
    {"tr", EndOptional | BlockTag}, {"track", Void}, {"ul", BlockTag}, {"video", ContentTag},
    {"wbr", Void}, {"xmp", RawContent | BlockTag},
};

quint16 tagTraits(const char16_t* name, int length) {
    const auto less = [&](const TagInfo& info, int) {
        for (int i = 0;; ++i) {
            const char16_t a = char16_t(info.name[i]);
            const char16_t b = i < length ? name[i] : 0;
            if (a != b || !a) return a < b;
        }
    };
    const TagInfo* it = std::lower_bound(std::begin(kTags), std::end(kTags), 0, less);
    if (it == std::end(kTags)) return 0;
    for (int i = 0; i < length; ++i)
        if (char16_t(it->name[i]) != name[i]) return 0;
    return it->name[length] ? 0 : it->traits;
}

class Tokenizer {
public:
    Tokenizer(QStringView html, int from, int to, bool pre)
        : s_(html.data()), end_(to < 0 ? int(html.size()) : to), pos_(from), pre_(pre ? 1 : 0) {}

    HtmlTokens run() {
        out_.reserve(size_t(end_ - pos_) / 8 + 4);
        while (pos_ < end_) step();
        return std::move(out_);
    }

    // One token at a time, for reading two pages in step without keeping them.
    bool next(HtmlToken& token) {
        if (taken_ >= out_.size()) {
            out_.clear();
            taken_ = 0;
            while (out_.empty() && pos_ < end_) step();
            if (out_.empty()) return false;
        }
        token = out_[taken_++];
        return true;
    }

private:
    const QChar* s_;
    int end_;
    int pos_;
    int pre_;
    size_t taken_ = 0;

    void step() {
        if (s_[pos_] == u'<' && markup()) return;
        text();
    }
    bool firstInPre_ = false;
    HtmlTokens out_;

    void push(int begin, int end, HtmlToken::Kind kind, quint8 flags, quint64 key, quint64 loose) {
        if (kind != HtmlToken::Text) firstInPre_ = false;
        if (pre_ > 0) flags |= HtmlToken::Pre;
        out_.push_back(HtmlToken{begin, end, kind, flags, key, loose});
    }

    // Whether "<" at `at` begins markup (a tag, comment, doctype), as the parser tells.
    bool opensMarkup(int at) const {
        if (at + 1 >= end_) return false;
        const char16_t c = s_[at + 1].unicode();
        if (isAlpha(c) || c == u'!' || c == u'?') return true;
        return c == u'/' && at + 2 < end_;
    }

    void text() {
        const int begin = pos_;
        ++pos_;
        while (pos_ < end_) {
            const QChar* lt = std::find(s_ + pos_, s_ + end_, QChar(u'<'));
            pos_ = int(lt - s_);
            if (pos_ >= end_ || opensMarkup(pos_)) break;
            ++pos_;
        }
        pushText(begin, pos_, true, false);
    }

    void pushText(int begin, int end, bool entities, bool raw) {
        if (begin >= end) return;
        quint64 h = seed(HtmlToken::Text);
        bool skipBreak = firstInPre_;
        firstInPre_ = false;
        for (int i = begin; i < end;) {
            const Decoded d = decodeOne(s_, i, end, false, entities);
            i = d.next;
            if (skipBreak && d.code == U'\n') {
                skipBreak = false;
                continue;
            }
            skipBreak = false;
            h = mix(h, d.code);
        }
        quint8 flags = 0;
        if (raw) flags |= HtmlToken::Raw;
        push(begin, end, HtmlToken::Text, flags, h, seed(HtmlToken::Text));
    }

    // Comments, and what the parser reads as one (<?xml ...?>, <!ELEMENT ...>, </ x>): their text
    // is what the engine writes between "<!--" and "-->".
    void comment(int begin, int dataBegin, int dataEnd, int end) {
        quint64 h = seed(HtmlToken::Comment);
        for (int i = dataBegin; i < dataEnd;) {
            const Decoded d = decodeOne(s_, i, dataEnd, false, false);
            i = d.next;
            h = mix(h, d.code);
        }
        push(begin, end, HtmlToken::Comment, 0, h, seed(HtmlToken::Comment));
        pos_ = end;
    }

    int find(int from, QChar c) const { return int(std::find(s_ + from, s_ + end_, c) - s_); }

    bool startsWith(int at, const char* what, bool anyCase) const {
        for (int i = 0; what[i]; ++i) {
            if (at + i >= end_) return false;
            const char16_t c = anyCase ? lower(s_[at + i].unicode()) : s_[at + i].unicode();
            if (c != char16_t(what[i])) return false;
        }
        return true;
    }

    bool markup() {
        const int begin = pos_;
        if (begin + 1 >= end_) return false;
        const char16_t c = s_[begin + 1].unicode();
        if (isAlpha(c)) return tag(begin, HtmlToken::StartTag, begin + 1);
        if (c == u'/') {
            if (begin + 2 >= end_) return false;
            const char16_t d = s_[begin + 2].unicode();
            if (isAlpha(d)) return tag(begin, HtmlToken::EndTag, begin + 2);
            if (d == u'>') {
                push(begin, begin + 3, HtmlToken::Ignored, 0, seed(HtmlToken::Ignored), seed(HtmlToken::Ignored));
                pos_ = begin + 3;
                return true;
            }
            const int close = find(begin + 2, u'>');
            comment(begin, begin + 2, close, std::min(close + 1, end_));
            return true;
        }
        if (c == u'!') {
            if (startsWith(begin, "<!--", false)) {
                const int data = begin + 4;
                if (startsWith(data, ">", false)) return comment(begin, data, data, data + 1), true;
                if (startsWith(data, "->", false)) return comment(begin, data, data, data + 2), true;
                for (int i = data; i < end_; ++i) {
                    if (s_[i] != u'-') continue;
                    if (startsWith(i, "-->", false)) return comment(begin, data, i, i + 3), true;
                    if (startsWith(i, "--!>", false)) return comment(begin, data, i, i + 4), true;
                }
                comment(begin, data, end_, end_);
                return true;
            }
            const int close = find(begin + 2, u'>');
            if (startsWith(begin, "<!doctype", true)) {
                push(begin, std::min(close + 1, end_), HtmlToken::Doctype, 0, seed(HtmlToken::Doctype),
                     seed(HtmlToken::Doctype));
                pos_ = std::min(close + 1, end_);
                return true;
            }
            comment(begin, begin + 2, close, std::min(close + 1, end_));
            return true;
        }
        if (c == u'?') {
            const int close = find(begin + 1, u'>');
            comment(begin, begin + 1, close, std::min(close + 1, end_));
            return true;
        }
        return false;
    }

    bool tag(int begin, HtmlToken::Kind kind, int nameBegin) {
        char16_t name[16];
        int nameLength = 0;
        quint64 nameHash = seed(kind);
        int i = nameBegin;
        while (i < end_ && !isSpace(s_[i].unicode()) && s_[i] != u'/' && s_[i] != u'>') {
            const char16_t c = lower(s_[i].unicode());
            if (nameLength < 16) name[nameLength] = c;
            ++nameLength;
            nameHash = mix(nameHash, c);
            ++i;
        }
        const quint16 traits = nameLength <= 16 ? tagTraits(name, nameLength) : 0;
        quint64 h = nameHash;
        quint64 seen[24];
        int seenCount = 0;
        int attributes = 0;
        for (;;) {
            while (i < end_ && (isSpace(s_[i].unicode()) || s_[i] == u'/')) ++i;
            if (i >= end_) {
                // A tag the page ends in the middle of: the parser drops it.
                push(begin, end_, HtmlToken::Ignored, 0, seed(HtmlToken::Ignored), seed(HtmlToken::Ignored));
                pos_ = end_;
                return true;
            }
            if (s_[i] == u'>') {
                ++i;
                break;
            }
            quint64 attrHash = 0x51ED27;
            const int attrBegin = i++;
            attrHash = mix(attrHash, lower(s_[attrBegin].unicode()));
            while (i < end_ && !isSpace(s_[i].unicode()) && s_[i] != u'/' && s_[i] != u'>' && s_[i] != u'=')
                attrHash = mix(attrHash, lower(s_[i++].unicode()));
            while (i < end_ && isSpace(s_[i].unicode())) ++i;
            int valueBegin = i;
            int valueEnd = i;
            if (i < end_ && s_[i] == u'=') {
                ++i;
                while (i < end_ && isSpace(s_[i].unicode())) ++i;
                if (i < end_ && (s_[i] == u'"' || s_[i] == u'\'')) {
                    const QChar quote = s_[i];
                    valueBegin = i + 1;
                    valueEnd = find(valueBegin, quote);
                    i = valueEnd + 1;
                    if (valueEnd >= end_) {
                        push(begin, end_, HtmlToken::Ignored, 0, seed(HtmlToken::Ignored), seed(HtmlToken::Ignored));
                        pos_ = end_;
                        return true;
                    }
                } else {
                    valueBegin = i;
                    while (i < end_ && !isSpace(s_[i].unicode()) && s_[i] != u'>') ++i;
                    valueEnd = i;
                }
            }
            ++attributes;
            if (kind != HtmlToken::StartTag) continue;
            // The first of two attributes of one name is the one that counts.
            if (std::find(seen, seen + seenCount, attrHash) != seen + seenCount) continue;
            if (seenCount < 24) seen[seenCount++] = attrHash;
            h = mix(h, attrHash);
            h = mix(h, u'=');
            for (int v = valueBegin; v < valueEnd;) {
                const Decoded d = decodeOne(s_, v, valueEnd, true, true);
                v = d.next;
                h = mix(h, d.code);
            }
            h = mix(h, 0x1F);
        }
        quint8 flags = 0;
        if (kind == HtmlToken::EndTag && (traits & EndOptional)) flags |= HtmlToken::Optional;
        if (kind == HtmlToken::StartTag && (traits & StartOptional) && attributes == 0) flags |= HtmlToken::Optional;
        push(begin, i, kind, flags, kind == HtmlToken::StartTag ? h : nameHash, nameHash);
        pos_ = i;
        if (traits & PreContent) {
            if (kind == HtmlToken::StartTag) {
                ++pre_;
                firstInPre_ = true;
            } else if (pre_ > 0) {
                --pre_;
            }
        }
        if (kind == HtmlToken::StartTag && (traits & (RawContent | TextContent | ToEnd))) content(name, nameLength, traits);
        return true;
    }

    // The content of a script, style, title or textarea: text up to its end tag.
    void content(const char16_t* name, int nameLength, quint16 traits) {
        int close = end_;
        if (!(traits & ToEnd)) {
            for (int i = pos_; i + 1 < end_; ++i) {
                i = find(i, u'<');
                if (i + 1 >= end_) break;
                if (s_[i + 1] != u'/') continue;
                int k = 0;
                while (k < nameLength && i + 2 + k < end_ && lower(s_[i + 2 + k].unicode()) == name[k]) ++k;
                if (k < nameLength) continue;
                const int after = i + 2 + k;
                if (after >= end_ || isSpace(s_[after].unicode()) || s_[after] == u'/' || s_[after] == u'>') {
                    close = i;
                    break;
                }
            }
        }
        const bool entities = traits & TextContent;
        pushText(pos_, close, entities, !entities);
        pos_ = close;
    }
};

}  // namespace

HtmlTokens tokenizeHtml(QStringView html, int from, int to, bool pre) {
    return Tokenizer(html, from, to, pre).run();
}

struct HtmlTokenStream::Reader : Tokenizer {
    using Tokenizer::Tokenizer;
};

HtmlTokenStream::HtmlTokenStream(QStringView html, int from, bool pre)
    : reader_(std::make_unique<Reader>(html, from, -1, pre)) {}
HtmlTokenStream::~HtmlTokenStream() = default;
bool HtmlTokenStream::next(HtmlToken& token) { return reader_->next(token); }

QString decodeHtmlText(QStringView raw, QVector<int>* offsets, bool attribute, bool entities) {
    QString out;
    out.reserve(raw.size());
    if (offsets) {
        offsets->clear();
        offsets->reserve(raw.size() + 1);
    }
    const int end = int(raw.size());
    for (int i = 0; i < end;) {
        const Decoded d = decodeOne(raw.data(), i, end, attribute, entities);
        if (offsets) {
            offsets->push_back(i);
            if (d.code > 0xFFFF) offsets->push_back(i);
        }
        appendCode(out, d.code);
        i = d.next;
    }
    if (offsets) offsets->push_back(end);
    return out;
}

QString htmlEntityName(char32_t c) {
    static const QHash<char32_t, QString> names = [] {
        QHash<char32_t, QString> map;
        for (const Entity& e : kEntities) {
            // The lower-case spellings are the usual ones.
            const bool upper = e.name[0] >= 'A' && e.name[0] <= 'Z' && e.name[1] >= 'A' && e.name[1] <= 'Z';
            if (upper || map.contains(e.code)) continue;
            map.insert(e.code, QLatin1Char('&') + QLatin1String(e.name) + QLatin1Char(';'));
        }
        return map;
    }();
    return names.value(c);
}

HtmlTagRole htmlTagRole(QStringView name) {
    if (name.isEmpty() || name.size() > 16) return HtmlTagRole::Inline;
    char16_t buffer[16];
    for (qsizetype k = 0; k < name.size(); ++k) buffer[k] = lower(name[k].unicode());
    const quint16 traits = tagTraits(buffer, int(name.size()));
    if (traits & BlockTag) return HtmlTagRole::Block;
    if (traits & ContentTag) return HtmlTagRole::Content;
    return HtmlTagRole::Inline;
}

QString htmlTagName(QStringView html, const HtmlToken& token) {
    if (token.kind != HtmlToken::StartTag && token.kind != HtmlToken::EndTag) return QString();
    int i = token.begin + (token.kind == HtmlToken::EndTag ? 2 : 1);
    QString name;
    while (i < token.end && !isSpace(html[i].unicode()) && html[i] != u'/' && html[i] != u'>')
        name += QChar(lower(html[i++].unicode()));
    return name;
}

}  // namespace kavrin
