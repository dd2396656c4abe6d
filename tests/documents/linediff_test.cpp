#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "documents/linediff.h"

namespace kavrin::test {
namespace {

// `now` with the edits made (offsets of `now` plus `base`).
QString applied(QString now, const QVector<TextEdit>& edits, int base) {
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) now.replace(it->start - base, it->length, it->text);
    return now;
}

TEST(LineEdits, TurnOneTextIntoTheOtherLineByLine) {
    struct Case {
        const char* now;
        const char* wanted;
    };
    const Case cases[] = {
        {"    <p class=\"first\">\r\n    a line of text\r\n\r\n    </p> and the end",
         "<p class=\"first\">\r\na line of text\r\n\r\n</p> and the end"},  // unindent
        {"<p class=\"first\">\r\na line of text\r\n\r\n</p> and the end\r\n",
         "\t<p class=\"first\">\r\n\ta line of text\r\n\r\n\t</p> and the end\r\n"},  // indent by tabs
        {"x \xF0\x9F\x98\x80 y and more text\r\nz", "x \xF0\x9F\x98\x81 y and more text\r\nz"},  // pairs differ in their low half
    };
    for (const Case& c : cases) {
        const QString now = QString::fromUtf8(c.now), wanted = QString::fromUtf8(c.wanted);
        const QVector<TextEdit> edits = lineEdits(now, wanted, 7);
        EXPECT_FALSE(edits.isEmpty()) << c.now;
        EXPECT_EQ(applied(now, edits, 7), wanted) << c.now;
        for (const TextEdit& e : edits) {
            const qsizetype at = e.start - 7;
            // Never inside a line break or a surrogate pair.
            EXPECT_FALSE(at > 0 && now[at - 1].isHighSurrogate()) << c.now;
            EXPECT_FALSE(at + e.length < now.size() && now[at + e.length].isLowSurrogate()) << c.now;
            EXPECT_FALSE(QStringView(now).mid(at, e.length).contains(u'\n')) << c.now;
        }
    }
    EXPECT_TRUE(lineEdits(QStringLiteral("same\r\nlines"), QStringLiteral("same\r\nlines"), 0).isEmpty());
    // Another number of lines, or lines mostly rewritten: one replacement of the whole serves.
    EXPECT_TRUE(lineEdits(QStringLiteral("a\r\nb"), QStringLiteral("a\r\nb\r\n"), 0).isEmpty());
    EXPECT_TRUE(lineEdits(QStringLiteral("<td>cell</td>\r\n<td>x</td>"), QStringLiteral("<TD>CELL</TD>\r\n<TD>X</TD>"), 0).isEmpty());
}

TEST(LineEdits, RandomSmallChangesWithinLinesComeOutExactly) {
    QRandomGenerator rng(141209);
    const QString pieces[] = {"<td>", " ", "    ", "\t", "x", "\xE9", "</b>", QString::fromUtf8("\xF0\x9F\x98\x80")};
    for (int round = 0; round < 500; ++round) {
        QStringList a, b;
        const int lines = rng.bounded(1, 30);
        for (int l = 0; l < lines; ++l) {
            QString line;
            for (int k = rng.bounded(0, 12); k > 0; --k) line += pieces[rng.bounded(int(std::size(pieces)))];
            a << line;
            QString other = line;
            if (rng.bounded(3) == 0) other.prepend(pieces[rng.bounded(int(std::size(pieces)))]);
            if (rng.bounded(4) == 0 && !other.isEmpty()) other.remove(rng.bounded(int(other.size())), 1);
            b << other;
        }
        const QString now = a.join("\r\n"), wanted = b.join("\r\n");
        const QVector<TextEdit> edits = lineEdits(now, wanted, 0);
        if (edits.isEmpty() && now != wanted) continue;  // too much changed to be worth it
        ASSERT_EQ(applied(now, edits, 0), wanted) << round;
        for (int k = 1; k < edits.size(); ++k) ASSERT_GT(edits[k].start, edits[k - 1].start + edits[k - 1].length - 1);
    }
}

}  // namespace
}  // namespace kavrin::test
