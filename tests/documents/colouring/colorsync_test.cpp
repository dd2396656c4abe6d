#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>

#include "documents/colouring/colorrtf.h"
#include "documents/colouring/colorsync.h"
#include "fixture.h"

namespace kavrin::test {
namespace {


// One colour per character.
QVector<int> perCharacter(const PageColorStretch& s) {
    QVector<int> out;
    for (const ColorPieceRun& r : s.runs) out.append(QVector<int>(r.length, r.color));
    return out;
}

QVector<int> perCharacter(const QVector<ColorSpan>& spans) {
    QVector<int> out;
    for (const ColorSpan& s : spans) out.append(QVector<int>(s.text.size(), s.color));
    return out;
}

// The page's colours before the change, with the stretch's laid over them where the text now has
// them and the rest moved along with the text.
QVector<int> patched(const QVector<int>& before, qsizetype start, qsizetype removed, qsizetype inserted,
                     const PageColorStretch& s) {
    QVector<int> now = before.mid(0, start);
    now.append(QVector<int>(inserted, -1));
    now.append(before.mid(start + removed));
    const QVector<int> fresh = perCharacter(s);
    for (qsizetype k = 0; k < fresh.size(); ++k) now[s.from + k] = fresh[k];
    return now;
}

// Checks one change against the pass over the whole text now; false on the first mismatch.
bool agrees(const QString& before, qsizetype start, qsizetype removed, const QString& insert) {
    const TagColors colors = defaultTagColors();
    QString now = before;
    now.replace(start, removed, insert);
    const PageColorStretch s =
        pageColorsAfterChange(now, start, QStringView(before).mid(start, removed), insert.size(), colors);
    // The editor hands its text over split at its gap: after the change, or anywhere else.
    for (const qsizetype cut : {start + insert.size(), qsizetype(0), now.size() / 2}) {
        const SplitText split(QStringView(now).left(cut), QStringView(now).mid(cut));
        const PageColorStretch t =
            pageColorsAfterChange(split, start, QStringView(before).mid(start, removed), insert.size(), colors);
        EXPECT_EQ(t.from, s.from);
        EXPECT_EQ(perCharacter(t), perCharacter(s)) << "split at " << cut;
    }
    // Worked out before the change from the text as it was, split anywhere too, the stretch is
    // the same.
    for (const qsizetype cut : {start, qsizetype(0), before.size() / 2}) {
        const SplitText split(QStringView(before).left(cut), QStringView(before).mid(cut));
        const PageColorStretch t = pageColorsForChange(split, start, removed, insert, colors);
        EXPECT_EQ(t.from, s.from);
        EXPECT_EQ(perCharacter(t), perCharacter(s)) << "ahead, split at " << cut;
    }
    const QVector<int> got = patched(perCharacter(pageColors(before, colors)), start, removed, insert.size(), s);
    const QVector<int> want = perCharacter(pageColors(now, colors));
    EXPECT_EQ(got, want) << "change at " << start << " of " << removed << " by \"" << insert.toStdString()
                         << "\" in \"" << before.toStdString() << "\"";
    return got == want;
}

QString randomText(QRandomGenerator& rng, int maxLength) {
    static const QString pieces[] = {"<",   ">",  "<!--", "-->", "-",  "!",    "\r\n", " ",  "a",
                                     "td", "<b>", "</a>", "img", "<table", "font", "x",    "\xE9"};
    QString t;
    const int n = rng.bounded(maxLength);
    for (int k = 0; k < n; ++k) t += pieces[rng.bounded(int(std::size(pieces)))];
    return t;
}

TEST(PageColorSync, TheReadingIsTheWholePagePassOfTheRtfPath) {
    QRandomGenerator rng(7);
    const TagColors colors = defaultTagColors();
    for (int round = 0; round < 2000; ++round) {
        const QString t = randomText(rng, 30);
        ASSERT_EQ(perCharacter(pageColors(t, colors)), perCharacter(expectedColorSpans(t, colors))) << t.toStdString();
    }
}

TEST(PageColorSync, AChangeGivesTheColoursOfAWholePass) {
    // Comments opened and closed by the change, tags whose name the change ends, marks split
    // across the change's edges, and the very start and end of the text.
    struct Case {
        const char* before;
        int start, removed;
        const char* insert;
    };
    const Case cases[] = {
        {"<p>one</p><b>two</b><i>three</i>", 10, 0, "<!--"},
        {"<p>one<!-- two <b>x</b> three --><i>y</i>", 6, 0, "-->"},
        {"<p>one<!-- two <b>x</b> three --><i>y</i>", 6, 4, ""},
        {"<p>a</p>\r\n<table>\r\n<tr><td>1</td></tr>", 12, 3, "img"},
        {"<!-- a --><!-- b --><p>c</p>", 8, 1, ""},
        {"<!-- a - -><p>c</p>-->x", 7, 1, ""},
        {"text <unclosed and more text <b>bold</b>", 5, 1, ""},
        {"<p>x</p>", 0, 0, "<!--"},
        {"<p>x</p>", 8, 0, "<!-- open to the end"},
        {"<!-->x<b>y</b>-->z", 3, 1, ""},
        {"abc<!---->def<p>", 5, 1, ""},
    };
    for (const Case& c : cases) agrees(QString::fromUtf8(c.before), c.start, c.removed, QString::fromUtf8(c.insert));

    QRandomGenerator rng(20261209);
    for (int round = 0; round < 4000; ++round) {
        const QString before = randomText(rng, 40);
        const qsizetype start = rng.bounded(int(before.size()) + 1);
        qsizetype removed = rng.bounded(int(before.size() - start) + 1);
        if (rng.bounded(2)) removed = qMin<qsizetype>(removed, 2);
        // Line breaks stay whole, as the editor keeps them.
        if (start > 0 && start < before.size() && before[start] == u'\n' && before[start - 1] == u'\r') continue;
        const qsizetype end = start + removed;
        if (end > 0 && end < before.size() && before[end] == u'\n' && before[end - 1] == u'\r') continue;
        if (!agrees(before, start, removed, randomText(rng, 8))) break;
    }
}

TEST(PageColorSync, OnARealPageOnlyTheNeighbourhoodIsRead) {
    QFile f(QStringLiteral(KAVRIN_SOURCE_DIR "/tests/documents/pages/expat-reference.html"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(f.readAll());
    const qsizetype mid = page.indexOf(QStringLiteral("<p>"), page.size() / 2);
    ASSERT_GT(mid, 0);
    const QString pasted = QStringLiteral("<tr><td>cell</td><td><a href=\"x\">link</a></td></tr>\r\n<!-- note -->\r\n");
    EXPECT_TRUE(agrees(page, mid, 0, pasted));
    QString now = page;
    now.insert(mid, pasted);
    const PageColorStretch s = pageColorsAfterChange(now, mid, {}, pasted.size(), defaultTagColors());
    EXPECT_LT(s.length(), pasted.size() + 200);
    // An opened comment that nothing closes colours the rest of the page.
    EXPECT_TRUE(agrees(page, mid, 0, QStringLiteral("<!-- ")));
}

}  // namespace
}  // namespace kavrin::test
