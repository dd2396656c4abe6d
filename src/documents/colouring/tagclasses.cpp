#include "documents/colouring/tagclasses.h"

#include <algorithm>
#include <array>
#include <compare>
#include <cstdint>
#include <string_view>

#include "documents/globals.h"

namespace kavrin {

namespace {

struct Member {
    std::string_view name;
    TagClass cls;
};

using enum TagClass;

// Grouped by class for reading; sorted once for the lookup.
constexpr Member kMembers[] = {
    {"a", Anchor},
    {"img", Image},
    {"td", Table}, {"tr", Table}, {"table", Table}, {"caption", Table}, {"tbody", Table},
    {"thead", Table}, {"tfoot", Table}, {"th", Table}, {"col", Table}, {"colgroup", Table},
    {"input", Form}, {"form", Form}, {"option", Form}, {"textarea", Form}, {"fieldset", Form},
    {"label", Form}, {"optgroup", Form}, {"legend", Form},
    {"font", FontFormat}, {"b", FontFormat}, {"em", FontFormat}, {"i", FontFormat},
    {"h1", FontFormat}, {"h2", FontFormat}, {"h3", FontFormat}, {"big", FontFormat},
    {"h4", FontFormat}, {"h5", FontFormat}, {"h6", FontFormat}, {"pre", FontFormat},
    {"s", FontFormat}, {"small", FontFormat}, {"strike", FontFormat}, {"strong", FontFormat},
    {"sub", FontFormat}, {"sup", FontFormat}, {"tt", FontFormat}, {"u", FontFormat},
    {"br", OtherKnown}, {"li", OtherKnown}, {"ol", OtherKnown}, {"p", OtherKnown},
    {"div", OtherKnown}, {"hr", OtherKnown}, {"ul", OtherKnown}, {"head", OtherKnown},
    {"html", OtherKnown}, {"body", OtherKnown}, {"title", OtherKnown}, {"!doctype", OtherKnown},
    {"acronym", OtherKnown}, {"address", OtherKnown}, {"applet", OtherKnown},
    {"area", OtherKnown}, {"base", OtherKnown}, {"basefont", OtherKnown},
    {"bgsound", OtherKnown}, {"blink", OtherKnown}, {"blockquote", OtherKnown},
    {"button", OtherKnown}, {"center", OtherKnown}, {"cite", OtherKnown}, {"code", OtherKnown},
    {"dd", OtherKnown}, {"del", OtherKnown}, {"dfn", OtherKnown}, {"dir", OtherKnown},
    {"dl", OtherKnown}, {"dt", OtherKnown}, {"embed", OtherKnown}, {"frame", OtherKnown},
    {"frameset", OtherKnown}, {"iframe", OtherKnown}, {"ilayer", OtherKnown},
    {"ins", OtherKnown}, {"isindex", OtherKnown}, {"kbd", OtherKnown}, {"layer", OtherKnown},
    {"link", OtherKnown}, {"map", OtherKnown}, {"marquee", OtherKnown}, {"menu", OtherKnown},
    {"meta", OtherKnown}, {"multicol", OtherKnown}, {"nobr", OtherKnown},
    {"noframes", OtherKnown}, {"nolayer", OtherKnown}, {"noscript", OtherKnown},
    {"object", OtherKnown}, {"param", OtherKnown}, {"q", OtherKnown}, {"samp", OtherKnown},
    {"script", OtherKnown}, {"select", OtherKnown}, {"spacer", OtherKnown},
    {"span", OtherKnown}, {"style", OtherKnown}, {"var", OtherKnown},
};

constexpr std::size_t longestMember() {
    std::size_t n = 0;
    for (const Member& m : kMembers) n = std::max(n, m.name.size());
    return n;
}
constexpr std::size_t kLongest = longestMember();
static_assert(kLongest <= 11, "a name must fit one packed key");

// A name packed into two integers with its length, so the lookup, which runs for every tag of
// a page, compares integers instead of strings.
struct Key {
    std::uint64_t low;
    std::uint32_t high;
    auto operator<=>(const Key&) const = default;
};

Key pack(const char* name, std::size_t len) {
    Key k{0, std::uint32_t(len) << 24};
    for (std::size_t i = 0; i < len; ++i) {
        if (i < 8) k.low |= std::uint64_t(std::uint8_t(name[i])) << (8 * i);
        else k.high |= std::uint32_t(std::uint8_t(name[i])) << (8 * (i - 8));
    }
    return k;
}

struct PackedMember {
    Key key;
    TagClass cls;
};

constexpr std::size_t kMemberCount = std::size(kMembers);

const std::array<PackedMember, kMemberCount>& packedMembers() {
    static const std::array<PackedMember, kMemberCount> sorted = [] {
        std::array<PackedMember, kMemberCount> a;
        for (std::size_t i = 0; i < kMemberCount; ++i)
            a[i] = {pack(kMembers[i].name.data(), kMembers[i].name.size()), kMembers[i].cls};
        std::sort(a.begin(), a.end(),
                  [](const PackedMember& x, const PackedMember& y) { return x.key < y.key; });
        return a;
    }();
    return sorted;
}

// `name`: ASCII, lower case, 1 to kLongest characters.
TagClass lookup(const char* name, std::size_t len) {
    const Key key = pack(name, len);
    const auto& members = packedMembers();
    auto it = std::lower_bound(members.begin(), members.end(), key,
                               [](const PackedMember& m, const Key& k) { return m.key < k; });
    return (it != members.end() && it->key == key) ? it->cls : Unrecognized;
}

}  // namespace

TagColors currentTagColors() {
    TagColors c;
    c.tag = tagColor;
    c.table = tableColor;
    c.font = fontColor;
    c.anchor = anchorColor;
    c.comment = commentColor;
    c.form = formColor;
    c.image = imageColor;
    c.unrecognized = unrecognizedColor;
    return c;
}

TagClass tagClassOfName(QStringView name) {
    if (name.isEmpty() || std::size_t(name.size()) > kLongest) return Unrecognized;
    char buf[kLongest];
    for (qsizetype k = 0; k < name.size(); ++k) {
        char16_t u = name[k].unicode();
        if (u >= 0x80) return Unrecognized;
        if (u >= u'A' && u <= u'Z') u = char16_t(u + 32);
        buf[k] = char(u);
    }
    return lookup(buf, std::size_t(name.size()));
}

TagClass tagClassOf(QStringView text) {
    if (!text.isEmpty() && text[0] == u'/') text = text.mid(1);
    if (text.isEmpty()) return Unrecognized;
    // A name longer than the longest member cannot match, so reading stops one character past it.
    char buf[kLongest + 1];
    std::size_t len = 0;
    for (qsizetype k = 0; k < text.size(); ++k) {
        char16_t u = text[k].unicode();
        if (k > 0 && (u < 48 || u == u'>')) break;
        if (len > kLongest || u >= 0x80) return Unrecognized;
        if (u >= u'A' && u <= u'Z') u = char16_t(u + 32);
        buf[len++] = char(u);
    }
    if (len > kLongest) return Unrecognized;
    return lookup(buf, len);
}

int colorOfClass(TagClass cls, const TagColors& colors) {
    switch (cls) {
        case Anchor: return colors.anchor;
        case Image: return colors.image;
        case Table: return colors.table;
        case Form: return colors.form;
        case FontFormat: return colors.font;
        case OtherKnown: return colors.tag;
        case Unrecognized: break;
    }
    return colors.unrecognized;
}

int tagColorFor(QStringView text, const TagColors& colors) {
    return colorOfClass(tagClassOf(text), colors);
}

int tagColorFor(QStringView text) { return tagColorFor(text, currentTagColors()); }

}  // namespace kavrin
