#include <gtest/gtest.h>

#include "documents/globals.h"
#include "documents/colouring/tagclasses.h"
#include "fixture.h"

namespace kavrin::test {
namespace {

// Distinct colours, so every class is told apart by its colour alone.
TagColors distinctColors() {
    TagColors c;
    c.tag = 1;
    c.table = 2;
    c.font = 3;
    c.anchor = 4;
    c.comment = 5;
    c.form = 6;
    c.image = 7;
    c.unrecognized = 8;
    return c;
}

TEST(TagClasses, ColorOfTheTextAfterTheAngleBracket) {
    const TagColors c = distinctColors();
    struct Case {
        QString text;
        int color;
    };
    const Case cases[] = {
        {"TABLE border=1>", c.table},     // upper case is found
        {"/td>", c.table},                // an end tag has its start tag's class
        {"//td>", c.unrecognized},        // only one "/" is dropped
        {"/", c.unrecognized},            // nothing left after the "/"
        {"h1>", c.font},
        {"h7>", c.unrecognized},
        {"!DOCTYPE html>", c.tag},
        {"!-- x -->", c.unrecognized},    // "-" ends the name "!"
        {"", c.unrecognized},
        {"a", c.anchor},
        {"a href=\"x\">", c.anchor},
        {"a:b>", c.unrecognized},         // ":" belongs to the name
        {"a_b>", c.unrecognized},
        {"p=1>", c.unrecognized},         // so does "="
        {" a>", c.unrecognized},          // a blank as the first character is the name
        {">", c.unrecognized},            // so is a ">"
        {"-->", c.unrecognized},
        {"p/>", c.tag},                   // "/" ends the name
        {"IMG\tsrc=x>", c.image},         // a tab ends it
        {"tr\r\n<td>", c.table},          // and a line break
        {"form\"x\">", c.form},
        {"BlockQuote>", c.tag},           // the longest member
        {"blockquotes>", c.unrecognized}, // one character longer is no member
        {"tab>", c.unrecognized},         // whole names only, no prefixes
        {"tablet>", c.unrecognized},
        {"TEXTAREA rows=3>", c.form},
        {"strike>", c.font},
        {"noscript>", c.tag},
        {"colgroup span=2>", c.table},
        {"verylongunknowntagname>", c.unrecognized},
        {QString::fromUtf8("b\xC3\xA9>"), c.unrecognized},          // non-ASCII belongs to the name
        {QString::fromUtf8("\xE2\x84\xAA" "bd>"), c.unrecognized},  // KELVIN SIGN is not "k"
        {QString::fromUtf8("\xC4\xB0MG>"), c.unrecognized},         // nor dotted capital I "i"
        {QString(QChar(0)) + "a>", c.unrecognized},
    };
    for (const Case& k : cases)
        EXPECT_EQ(tagColorFor(k.text, c), k.color) << qPrintable(k.text);
}

TEST(TagClasses, BareNamesAndEqualColours) {
    EXPECT_EQ(tagClassOfName(u"TD"), TagClass::Table);
    EXPECT_EQ(tagClassOfName(u"!doctype"), TagClass::OtherKnown);
    EXPECT_EQ(tagClassOfName(u"/td"), TagClass::Unrecognized);
    EXPECT_EQ(tagClassOfName(u""), TagClass::Unrecognized);
    EXPECT_EQ(tagClassOfName(u"optgroup"), TagClass::Form);

    // With two classes in one colour the colour is still the class's own.
    TagColors same = distinctColors();
    same.table = same.unrecognized;
    EXPECT_EQ(tagColorFor(u"td>", same), same.unrecognized);
    EXPECT_EQ(tagColorFor(u"b>", same), same.font);
}

using TagClassesGlobals = KavrinTest;

TEST_F(TagClassesGlobals, FollowsTheColourSettings) {
    tableColor = 0x80;
    unrecognizedColor = 0xFF;
    anchorColor = 0xFF8000;
    EXPECT_EQ(tagColorFor(u"/TD>"), 0x80);
    EXPECT_EQ(tagColorFor(u"a>"), 0xFF8000);
    EXPECT_EQ(tagColorFor(u"zz>"), 0xFF);
    anchorColor = 0x123456;
    EXPECT_EQ(tagColorFor(u"A HREF=x>"), 0x123456);
}

}  // namespace
}  // namespace kavrin::test
