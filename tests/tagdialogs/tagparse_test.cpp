#include <gtest/gtest.h>

#include "tagdialogs/tagparse.h"

namespace kavrin::test {
namespace {

// The tag the caret stands in, as text, or "-" for none. "|" in `marked` is the caret.
std::string tagAt(const QString& marked) {
    const int caret = int(marked.indexOf('|'));
    QString text = marked;
    text.remove(caret, 1);
    const std::optional<TagSpan> span = tagAtCaret(text, caret);
    return span ? text.mid(span->start, span->length).toStdString() : "-";
}

std::string attributes(const QString& tag) {
    std::string out;
    for (const TagAttribute& a : parseTagAttributes(tag)) {
        out += "[" + a.name.toStdString();
        if (!a.bare) out += "=" + a.value.toStdString();
        out += "]";
    }
    return out;
}

TEST(TagAtCaret, FindsTheTagAroundOrJustAfterTheCaret) {
    EXPECT_EQ(tagAt("x|<p align=left>y"), "<p align=left>");        // on its "<"
    EXPECT_EQ(tagAt("x<|p align=left>y"), "<p align=left>");        // just inside
    EXPECT_EQ(tagAt("x<p align=le|ft>y"), "<p align=left>");        // in a value
    EXPECT_EQ(tagAt("x<p align=left|>y"), "<p align=left>");        // before ">"
    EXPECT_EQ(tagAt("x<p align=left>|y"), "-");                     // after ">"
    EXPECT_EQ(tagAt("x<p>text |more"), "-");                        // in text after a tag
    EXPECT_EQ(tagAt("plain |text"), "-");
    EXPECT_EQ(tagAt("|"), "-");
    EXPECT_EQ(tagAt("<b>bold</b>|<hr>"), "<hr>");
}

TEST(TagAtCaret, QuotedValuesHoldAngleBracketsOfEitherKind) {
    // ">" inside a value, caret behind it: still the same tag.
    EXPECT_EQ(tagAt("<a onclick=\"if(a>b)go()\" hr|ef=\"x\">t</a>"), "<a onclick=\"if(a>b)go()\" href=\"x\">");
    EXPECT_EQ(tagAt("<a onclick='if(a>b)go()' hr|ef='x'>t</a>"), "<a onclick='if(a>b)go()' href='x'>");
    // "<" inside a value is no tag of its own: the enclosing tag is the one.
    EXPECT_EQ(tagAt("<p onclick=\"if(a<b)go()\" al|ign=center>"), "<p onclick=\"if(a<b)go()\" align=center>");
    EXPECT_EQ(tagAt("<p title=\"x <b|r> y\" align=center>"), "<p title=\"x <br> y\" align=center>");
    EXPECT_EQ(tagAt("<img alt=\"x <a y\" s|rc=a.gif>"), "<img alt=\"x <a y\" src=a.gif>");
    // A text "<" (followed by a blank) before the tag changes nothing.
    EXPECT_EQ(tagAt("if a < b then <p al|ign=x>"), "<p align=x>");
    // Inside a comment the commented tag can still be edited.
    EXPECT_EQ(tagAt("<!-- <p al|ign=x> -->"), "<p align=x>");
}

TEST(TagAtCaret, TagsThatNeverCloseAreNone) {
    EXPECT_EQ(tagAt("text <p al|ign=x"), "-");
    EXPECT_EQ(tagAt("text <p title=\"open> al|ign=x"), "-");  // the quote never closes
    EXPECT_EQ(tagAt("<|"), "-");
}

TEST(ParseTagAttributes, OddNamesAndEmptyValuesAreKeptApart) {
    // Values run into the next attribute without a blank; "=" before ">" gives an empty value,
    // a name alone is bare.
    EXPECT_EQ(attributes("<a b=\"1\"c='2' d=\"\" e= f g h=>"), "[b=1][c=2][d=][e=f][g][h=]");
    // A quoted value keeps its blanks, line breaks and the other kind of quote.
    EXPECT_EQ(attributes("<a title=\"it's a\r\nb\" alt='say \"hi\"'>"), "[title=it's a\r\nb][alt=say \"hi\"]");
    // Names keep their case and odd characters; the "/" of an empty-element tag too.
    EXPECT_EQ(attributes("<br CLEAR=all />"), "[CLEAR=all][/]");
    EXPECT_EQ(attributes("<p =x \"q\">"), "[=x][\"q\"]");
    EXPECT_EQ(attributes("not a tag"), "");
}

}  // namespace
}  // namespace kavrin::test
