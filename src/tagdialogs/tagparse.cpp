#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\f');
}

// One attribute as found in the text: offsets only, so that locating a tag copies nothing.
struct AttributeSpan {
    int nameStart = 0, nameLength = 0;
    int valueStart = 0, valueLength = 0;
    bool bare = true;
};

// Walks the tag whose "<" is at `lt`, up to `limit`, handing each attribute to `found`.
// Returns the offset of the closing ">", or -1 when the text ends first (an unclosed quote
// included). A quote only opens a value right after "=", as browsers read it, so a stray
// apostrophe in a bare word cannot swallow the rest of the page.
template <class Found>
int scanTag(const QString& text, int lt, int limit, Found&& found) {
    const QChar* s = text.constData();
    int i = lt + 1;
    while (i < limit && !isBlank(s[i]) && s[i] != QLatin1Char('>')) ++i;
    for (;;) {
        while (i < limit && isBlank(s[i])) ++i;
        if (i >= limit) return -1;
        if (s[i] == QLatin1Char('>')) return i;

        AttributeSpan a;
        a.nameStart = i++;  // the first character belongs to the name whatever it is ("=" too)
        while (i < limit && !isBlank(s[i]) && s[i] != QLatin1Char('>') && s[i] != QLatin1Char('=')) ++i;
        a.nameLength = i - a.nameStart;

        int j = i;
        while (j < limit && isBlank(s[j])) ++j;
        if (j < limit && s[j] == QLatin1Char('=')) {
            a.bare = false;
            i = j + 1;
            while (i < limit && isBlank(s[i])) ++i;
            if (i < limit && (s[i] == QLatin1Char('"') || s[i] == QLatin1Char('\''))) {
                const QChar quote = s[i];
                int close = i + 1;
                while (close < limit && s[close] != quote) ++close;
                if (close >= limit) return -1;
                a.valueStart = i + 1;
                a.valueLength = close - i - 1;
                i = close + 1;
            } else {
                a.valueStart = i;
                while (i < limit && !isBlank(s[i]) && s[i] != QLatin1Char('>')) ++i;
                a.valueLength = i - a.valueStart;
            }
        }
        found(a);
    }
}

// "<" followed by what can begin a tag; any other "<" is text.
bool opensTag(const QString& text, int lt) {
    if (lt + 1 >= text.size()) return false;
    const QChar c = text[lt + 1];
    return c.isLetter() || c == QLatin1Char('/') || c == QLatin1Char('!') || c == QLatin1Char('?');
}

// How many earlier "<" are looked at for a tag whose quoted value holds the caret's "<".
constexpr int kEnclosingLookBack = 64;

}  // namespace

int tagCloseFrom(const QString& text, int lt) {
    if (lt < 0 || lt >= text.size()) return -1;
    return scanTag(text, lt, int(text.size()), [](const AttributeSpan&) {});
}

std::optional<TagSpan> tagAtCaret(const QString& text, int caret) {
    const int n = int(text.size());
    if (caret < 0 || caret > n) return std::nullopt;
    int lt = caret < n && text[caret] == QLatin1Char('<') ? caret
                                                          : (caret > 0 ? int(text.lastIndexOf(QLatin1Char('<'), caret - 1)) : -1);
    if (lt < 0) return std::nullopt;
    int gt = tagCloseFrom(text, lt);
    if (gt < 0) return std::nullopt;
    if (lt < caret && gt < caret) return std::nullopt;  // the tag closed before the caret

    // The "<" found may sit inside a quoted value ("if (a<b)") of a tag that opened earlier
    // and is still open here: then that tag is the one the caret stands in.
    int p = lt - 1;
    for (int looked = 0; p >= 0 && looked < kEnclosingLookBack; ++looked) {
        p = int(text.lastIndexOf(QLatin1Char('<'), p));
        if (p < 0) break;
        if (!opensTag(text, p)) {
            --p;
            continue;
        }
        if (text[p + 1] == QLatin1Char('!')) break;  // comments and declarations hold no tags to edit
        const int g = tagCloseFrom(text, p);
        if (g < lt || g < caret) break;  // closed before our "<": that "<" is a tag of its own
        lt = p;
        gt = g;
        --p;
    }
    return TagSpan{lt, gt - lt + 1};
}

QString tagNameAt(const QString& text, int lt) {
    if (lt < 0 || lt >= text.size()) return {};
    int i = lt + 1;
    while (i < text.size() && !isBlank(text[i]) && text[i] != QLatin1Char('>')) ++i;
    return text.mid(lt + 1, i - lt - 1);
}

QVector<TagAttribute> parseTagAttributes(const QString& tag) {
    QVector<TagAttribute> attributes;
    if (!tag.startsWith(QLatin1Char('<'))) return attributes;
    scanTag(tag, 0, int(tag.size()), [&](const AttributeSpan& a) {
        TagAttribute attribute;
        attribute.name = tag.mid(a.nameStart, a.nameLength);
        if (!a.bare) attribute.value = tag.mid(a.valueStart, a.valueLength);
        attribute.bare = a.bare;
        attributes.push_back(attribute);
    });
    return attributes;
}

QString quoteAttributeValue(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return quoted;
}

QString attributeText(const QString& name, const QString& value) {
    return QLatin1Char(' ') + name + QLatin1String("=\"") + quoteAttributeValue(value) + QLatin1Char('"');
}

QString keptAttributeText(const TagAttribute& attribute) {
    if (attribute.value.isEmpty()) return QLatin1Char(' ') + attribute.name;
    return attributeText(attribute.name, attribute.value);
}

QString colorWithHash(const QString& color) {
    if (color.size() != 3 && color.size() != 6) return color;
    for (QChar c : color)
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && !(c >= QLatin1Char('a') && c <= QLatin1Char('f')) &&
            !(c >= QLatin1Char('A') && c <= QLatin1Char('F')))
            return color;
    return QLatin1Char('#') + color;
}

}  // namespace kavrin
