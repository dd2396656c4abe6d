// A line longer than a few thousand characters is held as several blocks. What a person sees
// and does with it must not show that: the text, offsets, lines, keys and find work as on a
// line held whole.
#include <QApplication>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>

#include "editortext.h"
#include "fixture.h"
#include "platform/linepieces.h"
#include "platform/richtextbox.h"

namespace kavrin::test {
namespace {

using LinePiecesTest = KavrinTest;

// Minified markup: tags, attributes, words and runs of separators, no line break.
QString minified(qsizetype length) {
    QString text;
    for (int i = 0; text.size() < length; ++i)
        text += QStringLiteral("<td class=\"c%1\"><a href=\"x.html?a=%1&b=2\">item %1</a>, (more...)</td>").arg(i);
    text.truncate(length);
    return text;
}

// The offsets at which the box's pieces meet.
QList<int> pieceStarts(const RichTextBox& box) {
    QList<int> at;
    for (QTextBlock b = box.document()->firstBlock(); b.isValid(); b = b.next())
        if (continuesLine(b)) at.append(box.toOffset(b.position()));
    return at;
}

// Every block is short enough to lay out at each key, and no piece is empty.
void expectWellCut(const RichTextBox& box) {
    for (QTextBlock b = box.document()->firstBlock(); b.isValid(); b = b.next()) {
        ASSERT_LE(b.length() - 1, kPieceMax) << "block " << b.blockNumber();
        if (continuesLine(b)) ASSERT_GT(b.length(), 1) << "block " << b.blockNumber();
    }
}

TEST_F(LinePiecesTest, CutsFallAfterBlanksWithinReachAndNeverInsideACharacter) {
    QString text = minified(30000);
    const std::vector<qsizetype> cuts = pieceCuts(text);
    ASSERT_FALSE(cuts.empty());
    qsizetype last = 0;
    for (const qsizetype cut : cuts) {
        EXPECT_LE(cut - last, kPieceMax);
        EXPECT_GT(cut - last, kPieceMin);
        EXPECT_TRUE(text[cut - 1] == u' ' || text[cut - 1] == u'>') << cut;
        last = cut;
    }
    EXPECT_LE(text.size() - last, kPieceMax);

    // A run with nothing to cut after: surrogate pairs and combining marks stay whole.
    QString run;
    while (run.size() < 20000) run += QString::fromUtf8("e\xCC\x81\xF0\x9F\x98\x80x");
    for (const qsizetype cut : pieceCuts(run)) {
        EXPECT_FALSE(run[cut].isLowSurrogate()) << cut;
        EXPECT_NE(run[cut].category(), QChar::Mark_NonSpacing) << cut;
    }
}

// Random edits of every kind, over and around the places where pieces meet: the text, its
// lines and the offsets stay those of the plain string, and the pieces stay well cut.
TEST_F(LinePiecesTest, EditsAnywhereKeepTheTextLinesAndOffsetsOfTheWholeLine) {
    auto* rng = QRandomGenerator::global();
    QString model = QStringLiteral("<html>\r\n") + minified(40000) + QStringLiteral("\r\n</html>");
    RichTextBox box;
    box.setText(model);
    ASSERT_GT(pieceStarts(box).size(), 10);
    for (int step = 0; step < 300; ++step) {
        const QList<int> starts = pieceStarts(box);
        // Mostly at or beside a place where pieces meet.
        int at = int(rng->bounded(0, int(model.size()) + 1));
        if (!starts.isEmpty() && rng->bounded(0, 3) > 0) at = starts[rng->bounded(0, int(starts.size()))] + int(rng->bounded(-2, 3));
        at = qBound(0, at, int(model.size()));
        if (at > 0 && at < model.size() && model[at] == u'\n') --at;  // not between CR and LF
        int length = int(rng->bounded(0, 4)) == 0 ? int(rng->bounded(0, 6000)) : int(rng->bounded(0, 5));
        length = qMin(length, int(model.size()) - at);
        if (at + length < model.size() && model[at + length] == u'\n') ++length;
        const int kind = int(rng->bounded(0, 7));
        box.select(at, length);
        ASSERT_EQ(box.selText(), model.mid(at, length)) << "step " << step;
        switch (kind) {
        case 0: {
            const QString pasted = minified(int(rng->bounded(0, 12000)));
            box.setSelText(pasted);
            model.replace(at, length, pasted);
            break;
        }
        case 1:
            box.setSelText("x\r\ny");
            model.replace(at, length, "x\r\ny");
            break;
        case 2:
            QTest::keyClick(&box, Qt::Key_Q);
            model.replace(at, length, "q");
            break;
        case 3:
            QTest::keyClick(&box, Qt::Key_Backspace);
            if (length > 0)
                model.remove(at, length);
            else if (at > 0)
                model.remove(at - (at > 1 && model.mid(at - 2, 2) == "\r\n" ? 2 : 1), at > 1 && model.mid(at - 2, 2) == "\r\n" ? 2 : 1);
            break;
        case 4:
            QTest::keyClick(&box, Qt::Key_Delete);
            if (length > 0)
                model.remove(at, length);
            else if (at < model.size())
                model.remove(at, model.mid(at, 2) == "\r\n" ? 2 : 1);
            break;
        case 5:
            QTest::keyClick(&box, Qt::Key_Return);
            model.replace(at, length, "\r\n");
            break;
        default:
            box.replaceRanges({{at, length, "<b>"}, {int(model.size()), 0, "</b>"}});
            model.append("</b>");
            model.replace(at, length, "<b>");
            break;
        }
        ASSERT_EQ(box.text(), model) << "step " << step << " kind " << kind;
        ASSERT_EQ(documentText(box), model) << "step " << step;
        ASSERT_EQ(box.lineCount(), int(model.count("\r\n")) + 1) << "step " << step;
        expectWellCut(box);
        // Offsets and lines, at random and where pieces meet.
        QList<int> probes = pieceStarts(box);
        for (int k = 0; k < 20; ++k) probes.append(int(rng->bounded(0, int(model.size()) + 1)));
        for (int off : probes) {
            if (off < model.size() && model[off] == u'\n') continue;
            ASSERT_EQ(box.toOffset(box.toPosition(off)), off) << "step " << step;
            const int line = int(model.left(off).count("\r\n"));
            ASSERT_EQ(box.lineFromChar(off), line) << "step " << step << " offset " << off;
            ASSERT_EQ(box.lineIndex(line), line == 0 ? 0 : int(model.lastIndexOf("\r\n", off - 1)) + 2) << "step " << step;
        }
    }
}

// Keys sent to the box and to a plain Qt editor holding the same line whole end with the same
// text, caret and selection, wherever the caret stood: on a place where pieces meet, or beside.
TEST_F(LinePiecesTest, KeysMoveSelectAndDeleteOverPiecesAsOverOneLine) {
    const QString line = minified(20000);
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    };
    const Key keys[] = {{Qt::Key_Right, {}},
                        {Qt::Key_Left, {}},
                        {Qt::Key_Right, Qt::ShiftModifier},
                        {Qt::Key_Left, Qt::ShiftModifier},
                        {Qt::Key_Backspace, {}},
                        {Qt::Key_Delete, {}},
                        {Qt::Key_Right, Qt::ControlModifier},
                        {Qt::Key_Left, Qt::ControlModifier},
                        {Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier},
                        {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier},
                        {Qt::Key_Backspace, Qt::ControlModifier},
                        {Qt::Key_Delete, Qt::ControlModifier},
                        {Qt::Key_Home, {}},
                        {Qt::Key_End, Qt::ShiftModifier}};
    RichTextBox box;
    box.setRightMargin(1);  // one row, as the plain editor below
    box.setText(line);
    QList<int> places;
    for (int start : pieceStarts(box)) places << start - 1 << start << start + 1;
    places << 0 << int(line.size());
    QPlainTextEdit plain;
    plain.setLineWrapMode(QPlainTextEdit::NoWrap);
    for (const Key& k : keys) {
        for (int at : places) {
            SCOPED_TRACE(QStringLiteral("key %1 mods %2 at %3").arg(k.key).arg(int(k.mods)).arg(at).toStdString());
            box.setText(line);
            plain.setPlainText(line);
            box.setSelStart(at);
            QTextCursor c = plain.textCursor();
            c.setPosition(at);
            plain.setTextCursor(c);
            QTest::keyClick(&box, k.key, k.mods);
            QTest::keyClick(&plain, k.key, k.mods);
            ASSERT_EQ(box.text(), plain.toPlainText());
            const QTextCursor p = plain.textCursor();
            ASSERT_EQ(box.selStart(), p.selectionStart());
            ASSERT_EQ(box.selLength(), p.selectionEnd() - p.selectionStart());
            // The caret end of a selection too.
            ASSERT_EQ(box.toOffset(box.textCursor().position()), p.position());
        }
    }
}

TEST_F(LinePiecesTest, FindAndReplaceTakeAHitOverAPlaceWherePiecesMeet) {
    const QString line = minified(30000);
    RichTextBox box;
    box.setText(line);
    const int meet = pieceStarts(box).at(3);
    const QString hit = line.mid(meet - 7, 15);
    ASSERT_EQ(line.indexOf(hit), meet - 7);
    EXPECT_EQ(box.find(hit, 0, -1, rtfMatchCase), meet - 7);
    EXPECT_EQ(box.selStart(), meet - 7);
    EXPECT_EQ(box.selLength(), 15);
    EXPECT_EQ(box.selText(), hit);
    box.setSelText("[found]");
    QString want = line;
    want.replace(meet - 7, 15, "[found]");
    EXPECT_EQ(box.text(), want);
    EXPECT_EQ(documentText(box), want);
}

}  // namespace
}  // namespace kavrin::test
