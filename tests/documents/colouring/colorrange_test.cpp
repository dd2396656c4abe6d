#include "documents/colouring/colorrange.h"
#include "editing.h"

namespace kavrin::test {
namespace {

// A colour no class has: whatever still shows it was not touched by the recolour.
constexpr int kStale = 0x123456;

class ColorRangeTest : public EditingTest {
protected:
    // The text in one stale colour, as after an edit that nothing has recoloured yet.
    void setStale(const QString& text) {
        ignoreChange = true;
        editor->setText(text);
        ignoreChange = false;
        editor->setRangeColor(0, editor->textLength(), kStale);
    }
    // The colour of each character of the stretch, when they are all one; -1 otherwise.
    int colorOf(int start, int length) const {
        const int c = editor->colorAt(start);
        for (int i = start; i < start + length; ++i)
            if (editor->colorAt(i) != c) return -1;
        return c;
    }
};

TEST_F(ColorRangeTest, AChangeInsideATagRecoloursTheWholeTagAndNoMore) {
    setStale("ab <table border=1> cd <b>x</b>");
    colorCodeRange(10, 2);  // the active document
    EXPECT_EQ(colorOf(0, 3), kStale);
    EXPECT_EQ(colorOf(3, 16), tableColor);  // its ">" found by looking ahead
    EXPECT_EQ(colorOf(19, 12), kStale);
    EXPECT_FALSE(colorBusy);
}

TEST_F(ColorRangeTest, AnOpenTagIsColouredOnlyWhenItsEndFollowsSoonWithNoOtherTagBetween) {
    const QString near = "<p " + QString(496, 'x') + ">";  // ">" 499 characters after "<"
    const QString far = "<p " + QString(497, 'x') + ">";   // 500 after
    setStale(near + "z");
    colorCodeRange(editor, 1, 1);
    EXPECT_EQ(colorOf(0, near.size()), tagColor);
    setStale(far + "z");
    colorCodeRange(editor, 1, 1);
    EXPECT_EQ(colorOf(0, 2), 0);           // reset, not coloured
    EXPECT_EQ(colorOf(2, far.size() - 2), kStale);
    setStale("<p x <b>y</b>");
    colorCodeRange(editor, 1, 1);
    EXPECT_EQ(colorOf(0, 2), 0);
    EXPECT_EQ(colorOf(2, 11), kStale);

    // A tag that closes inside the range is coloured however long it is.
    const QString longTag = "<td " + QString(700, 'x') + ">";
    setStale(longTag + "z");
    colorCodeRange(editor, 0, longTag.size() + 1);
    EXPECT_EQ(colorOf(0, longTag.size()), tableColor);
    EXPECT_EQ(editor->colorAt(longTag.size()), 0);
}

TEST_F(ColorRangeTest, InsertedTextStartingWithATagAndChangesAtTheVeryStart) {
    setStale("abc<b>def");
    colorCodeRange(editor, 3, 3);
    EXPECT_EQ(colorOf(0, 3), 0);  // no "<" before: the reset starts at the first character
    EXPECT_EQ(colorOf(3, 3), fontColor);
    EXPECT_EQ(colorOf(6, 3), kStale);

    setStale("abc<b>");
    colorCodeRange(editor, 0, 2);
    EXPECT_EQ(colorOf(0, 2), 0);
    EXPECT_EQ(colorOf(2, 4), kStale);
}

TEST_F(ColorRangeTest, CommentsAreColouredWholeFromOpenerToCloser) {
    setStale("x<!-->y");  // the opener's "--" and the ">" close it at once
    colorCodeRange(editor, 0, 7);
    EXPECT_EQ(editor->colorAt(0), 0);
    EXPECT_EQ(colorOf(1, 5), commentColor);
    EXPECT_EQ(editor->colorAt(6), 0);

    // A change inside a comment that holds a tag before the change, and one that does not.
    setStale("<p><!-- a <b> c -->z");
    colorCodeRange(editor, 14, 1);
    EXPECT_EQ(colorOf(0, 3), kStale);
    EXPECT_EQ(colorOf(3, 16), commentColor);
    EXPECT_EQ(editor->colorAt(19), kStale);
    setStale("<!-- abc -->z");
    colorCodeRange(editor, 6, 1);
    EXPECT_EQ(colorOf(0, 12), commentColor);
    EXPECT_EQ(editor->colorAt(12), kStale);

    // Comments across lines, closed within the range.
    setStale("a<!-- one\r\ntwo -->b<i>c</i>");
    colorCodeRange(editor, 0, editor->textLength());
    EXPECT_EQ(colorOf(1, 17), commentColor);
    EXPECT_EQ(colorOf(19, 3), fontColor);
}

TEST_F(ColorRangeTest, ANeverClosedCommentIsNoCommentAndTagsInItAreTags) {
    setStale("<!-- a <b>x</b>");
    colorCodeRange(editor, 10, 1);
    EXPECT_EQ(colorOf(0, 7), kStale);
    EXPECT_EQ(colorOf(7, 3), fontColor);
    EXPECT_EQ(editor->colorAt(10), 0);
}

TEST(TextSearch, LastCharacterAndOpenCommentFindTheNearestOne) {
    const QString t = "ab<cd<ef" + QString(100, 'x') + "<";
    EXPECT_EQ(lastIndexBefore(t, u'<', t.size()), t.size() - 1);
    EXPECT_EQ(lastIndexBefore(t, u'<', t.size() - 1), 5);
    EXPECT_EQ(lastIndexBefore(t, u'<', 5), 2);
    EXPECT_EQ(lastIndexBefore(t, u'<', 2), -1);
    EXPECT_EQ(lastIndexBefore(t, u'<', 1000), t.size() - 1);
    EXPECT_EQ(lastIndexBefore(QString(), u'<', 3), -1);
    // Characters above 0x7FFF must not look like a match.
    EXPECT_EQ(lastIndexBefore(QString(9, QChar(0x803C)), u'<', 9), -1);

    EXPECT_EQ(openCommentBefore(u"a <!-- b", 8), 2);
    EXPECT_EQ(openCommentBefore(u"a <!-- b --> c", 14), -1);
    EXPECT_EQ(openCommentBefore(u"a <!-- b --> c", 11), 2);  // the "-->" is not wholly before
    EXPECT_EQ(openCommentBefore(u"--> <!-- x", 10), 4);
    EXPECT_EQ(openCommentBefore(u"<!-->", 5), -1);
    EXPECT_EQ(openCommentBefore(QString("<!---->") + QString(50, QChar(u'-')), 57), -1);
    EXPECT_EQ(openCommentBefore(u"<!--", 3), -1);  // not wholly before
    EXPECT_EQ(openCommentBefore(u"", 0), -1);
}

// The scanner that Replace All carries along must see at each caret exactly what a fresh look at
// the whole text sees, whatever the edits put in or take out: tags, comment openers and closers
// made or broken by the edit itself.
TEST(CaretScannerTest, AgreesWithAFreshLookAtEveryCaretOfASweep) {
    const QString original =
        "<p>a <b>x</b> a <!-- a <i> a --> a<a href=a>a</a> <!--a--> a- -a <!-- a -> a --> a<ta";
    const QStringList replacements{"", "A", "<!--", "-->", "-", "<", ">", "<b>", "</i", "--", "\r\n"};
    for (const QString& with : replacements) {
        CaretScanner scanner(original);
        QString edited;
        qsizetype rest = 0;
        for (qsizetype hit = original.indexOf('a'); hit >= 0; hit = original.indexOf('a', hit + 1)) {
            edited += QStringView(original).mid(rest, hit - rest);
            edited += with;
            rest = hit + 1;
            const QString whole = edited + original.mid(rest);
            const CaretSurroundings a = scanner.at(edited, rest);
            const CaretSurroundings b = caretSurroundings(whole, edited.size());
            const std::string where = (with + " at " + QString::number(hit)).toStdString();
            EXPECT_EQ(a.comment, b.comment) << where;
            EXPECT_EQ(a.commentClose, b.commentClose) << where;
            EXPECT_EQ(a.lt, b.lt) << where;
            EXPECT_EQ(a.gt, b.gt) << where;
            EXPECT_EQ(a.prevGt, b.prevGt) << where;
            EXPECT_EQ(a.nextGt, b.nextGt) << where;
            EXPECT_EQ(a.nextLt, b.nextLt) << where;
            EXPECT_EQ(a.tagText, b.tagText) << where;
            EXPECT_EQ(a.closedComment, b.closedComment) << where;
        }
    }
}

}  // namespace
}  // namespace kavrin::test
