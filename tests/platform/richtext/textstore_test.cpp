#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <cstring>

#include "editortext.h"
#include "fixture.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin::test {
namespace {

using TextStoreTest = KavrinTest;

// Splices anywhere, of any length, with and without a copy of the text held elsewhere, give
// the text a plain string gives, read whole or in the two parts around the gap.
TEST_F(TextStoreTest, SplicesGiveThePlainStringsText) {
    auto* rng = QRandomGenerator::global();
    TextStore store;
    QString model = QStringLiteral("<p>start</p>\r\n");
    store.set(model);
    for (int step = 0; step < 3000; ++step) {
        const qsizetype start = rng->bounded(0, int(model.size()) + 1);
        const qsizetype removed = rng->bounded(0, int(qMin<qsizetype>(40, model.size() - start)) + 1);
        const int kind = rng->bounded(0, 10);
        // Insertions larger than the gap holds, while the text stays below a hundred thousand
        // characters: every step compares the whole text, and a text that kept growing made the
        // test take minutes (past its time limit under the sanitizers) without finding more.
        const bool large = kind == 0 && model.size() < 100000;
        const QString added = large ? QString(20000, QChar(u'w')) : QString(rng->bounded(0, 6), QChar(u'a' + step % 26));
        const QString held = kind == 1 ? store.text() : QString();
        const QString heldWas = held;
        store.splice(start, removed, added);
        model.replace(start, removed, added);
        ASSERT_EQ(held, heldWas) << "step " << step;
        ASSERT_EQ(store.length(), model.size()) << "step " << step;
        const qsizetype at = rng->bounded(0, int(model.size()) + 1);
        ASSERT_EQ(store.mid(at, 9), model.mid(at, 9)) << "step " << step;
        // Split where an edit is about to be made, the head holds all the text before it.
        if (kind == 2) ASSERT_TRUE(store.partsAt(at).head.startsWith(QStringView(model).left(at))) << "step " << step;
        if (kind >= 7) ASSERT_EQ(store.text(), model) << "step " << step;
        else ASSERT_EQ(store.parts().mid(0), model) << "step " << step;
    }
}

TEST_F(TextStoreTest, CachedTextFollowsEveryKindOfEdit) {
    RichTextBox box;
    box.setText(QStringLiteral("<p>first\r\nsecond\u00A0line\r\n\r\nthird</p>"));
    ASSERT_EQ(box.text(), documentText(box));
    auto* rng = QRandomGenerator::global();
    const QString pieces[] = {"x", "\r\n", "<b>bold</b>\r\nnext", "\n", "\r", "", "a\u2028b", "\u00A0", "ü😀"};
    // The change taken after any number of edits leads from the text when it was last taken to
    // the text now.
    box.takeChange();
    QString taken = box.text();
    const QString big = QString(9000, QChar(u'w')) + "\r\n<i>";  // more than the gap holds
    for (int step = 0; step < 400; ++step) {
        // A copy of the text taken before an edit stays as it was.
        const QString held = rng->bounded(0, 8) == 0 ? box.text() : QString();
        const QString heldWas = held;
        if (rng->bounded(0, 3) == 0) {
            const TextChange c = box.takeChange();
            const QString& now = box.text();
            if (c.isEmpty()) {
                ASSERT_EQ(now, taken) << "step " << step;
            } else {
                ASSERT_EQ(now.left(c.start) + c.removed + now.mid(c.start + c.inserted), taken) << "step " << step;
                ASSERT_LE(c.start + c.inserted, now.size());
            }
            taken = now;
        }
        const int len = box.textLength();
        const int start = int(rng->bounded(0, len + 1));
        const int n = int(rng->bounded(0, qMin(12, len - start) + 1));
        switch (rng->bounded(0, 8)) {
        case 0:
        case 1:
            box.select(start, n);
            box.setSelText(pieces[rng->bounded(0, int(std::size(pieces)))]);
            break;
        case 6:
            // Typing on where the last edit was.
            QTest::keyClicks(&box, "ab");
            QTest::keyClick(&box, Qt::Key_Backspace);
            break;
        case 7:
            box.select(start, n);
            box.setSelText(rng->bounded(0, 4) == 0 ? big : QStringLiteral("<td>"));
            break;
        case 2:
            box.setSelStart(start);
            QTest::keyClick(&box, Qt::Key_Backspace);
            break;
        case 3:
            box.setSelStart(start);
            QTest::keyClick(&box, Qt::Key_Delete);
            break;
        case 4:
            box.select(start, n);
            QTest::keyClick(&box, Qt::Key_Return, rng->bounded(0, 2) ? Qt::ShiftModifier : Qt::NoModifier);
            break;
        default:
            box.select(start, n);
            QTest::keyClicks(&box, "q<");
            break;
        }
        // Read in its two parts first: reading it whole closes the gap between them.
        ASSERT_EQ(box.textParts().mid(0), documentText(box)) << "step " << step;
        ASSERT_EQ(box.textLength(), documentText(box).size()) << "step " << step;
        ASSERT_EQ(box.textMid(start, 7), documentText(box).mid(start, 7)) << "step " << step;
        ASSERT_EQ(held, heldWas) << "step " << step;
        if (rng->bounded(0, 2) == 0) {
            ASSERT_EQ(box.text(), documentText(box)) << "step " << step;
            ASSERT_EQ(box.text().count("\r\n") + 1, box.lineCount());
        }
    }
    // Lone CR and LF become line breaks; Shift+Enter too.
    EXPECT_FALSE(box.text().contains(QRegularExpression("\r(?!\n)|(?<!\r)\n")));
}

// Long text goes into the document piece by piece, so that its progress can be shown: a piece
// that ended between a CR and its LF, or inside a surrogate pair, would make two line breaks of
// one or split a character. The text and its colours come out as one insertion would make them.
TEST_F(TextStoreTest, LongTextGoesInPieceByPieceAsWholeAndReportsItsWork) {
    constexpr qsizetype piece = 1 << 16;
    QString text;
    auto fillTo = [&text](qsizetype n) {
        while (text.size() < n) text += QStringLiteral("<td>x</td> ");
        text.truncate(n);
    };
    fillTo(piece - 1);
    text += "\r\n";  // CR at the end of the first piece
    fillTo(2 * piece - 1);
    text += QString::fromUtf8("\xF0\x9F\x98\x80");  // a surrogate pair across the second
    fillTo(3 * piece - 2);
    text += QStringLiteral("\r\r\n\n") + QChar(0x2029) + QChar(0xFDD0);
    fillTo(5 * piece + 17);
    // The text as the editor keeps it: every line break CR LF, the frame markers replaced.
    QString want = "head\r\n";
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        if (c == u'\r' || c == u'\n' || c == QChar(0x2029)) want += "\r\n";
        else if (c == QChar(0xFDD0)) want += QChar(0xFFFD);
        else want += c;
    }
    want += "tail";

    const QVector<ColorRange> colors = {{6, int(piece) - 2, kRed},
                                        {int(piece) + 4, int(piece), kBlue},
                                        {int(3 * piece), 10, kGreen}};
    RichTextBox whole, pieces, coloured;
    for (RichTextBox* box : {&whole, &pieces, &coloured}) {
        box->setText("head\r\ntail");
        box->setSelStart(6);
    }
    QSignalSpy working(&pieces, &RichTextBox::Working);
    pieces.setSelText(text);
    EXPECT_EQ(pieces.text(), want);
    EXPECT_EQ(pieces.text(), documentText(pieces));
    EXPECT_EQ(pieces.lineCount(), int(want.count("\r\n")) + 1);
    ASSERT_GE(working.count(), 2);
    qint64 last = 0;
    for (const QList<QVariant>& w : working) {
        EXPECT_GE(w.at(0).toLongLong(), last);
        last = w.at(0).toLongLong();
    }
    EXPECT_EQ(working.last().at(0).toLongLong(), working.last().at(1).toLongLong());

    // With its colours (offsets of the text as it lies, so its breaks already CR LF): as the text
    // typed whole and then coloured range by range.
    const QString crlf = want.mid(6, want.size() - 10);
    coloured.setSelText(crlf, colors);
    whole.setSelText(crlf);
    whole.setRangeColors(colors);
    EXPECT_EQ(coloured.text(), want);
    const QVector<ColorRun> rc = coloured.colorRuns(), rw = whole.colorRuns();
    ASSERT_EQ(rc.size(), rw.size());
    for (int i = 0; i < rc.size(); ++i) {
        EXPECT_EQ(rc[i].text.size(), rw[i].text.size()) << "run " << i;
        EXPECT_EQ(rc[i].color, rw[i].color) << "run " << i;
    }

    // Many edits and many colours report their work too, ending at the whole of it.
    QVector<TextEdit> edits;
    for (int at = 0; at < 60000; at += 11) edits.append({at + 6, 0, "  "});
    working.clear();
    pieces.replaceRanges(edits);
    ASSERT_FALSE(working.isEmpty());
    EXPECT_EQ(working.last().at(0).toLongLong(), working.last().at(1).toLongLong());
    working.clear();
    QVector<ColorRange> many;
    for (int at = 0; at < 60000; at += 7) many.append({at, 3, at % 2 ? kRed : kGreen});
    pieces.setRangeColors(many);
    ASSERT_FALSE(working.isEmpty());
    EXPECT_EQ(working.last().at(0).toLongLong(), working.last().at(1).toLongLong());
}

// A long file goes in piece by piece and says how far it has come; its text is the file's
// whatever its line ends, with line breaks and characters of two halves where the pieces meet.
TEST_F(TextStoreTest, ALongFileLoadsPieceByPieceAndReportsItsWork) {
    for (const char* ends : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(int(strlen(ends)) * 10 + ends[0]);
        QByteArray bytes;
        while (bytes.size() < 300 * 1024) {
            bytes += "<tr><td>caf\xC3\xA9 \xF0\x9F\x98\x80</td></tr>";
            bytes += ends;
        }
        const QString path = writeFile("long.htm", bytes);
        QString want = QString::fromUtf8(bytes);
        want.replace("\r\n", "\n").replace("\r", "\n").replace("\n", "\r\n");
        RichTextBox box;
        QSignalSpy working(&box, &RichTextBox::Working);
        ASSERT_TRUE(box.loadFile(path, rtfText)) << box.lastError().toStdString();
        EXPECT_EQ(box.text(), want);
        EXPECT_EQ(box.text(), documentText(box));
        EXPECT_EQ(box.lineCount(), int(want.count("\r\n")) + 1);
        ASSERT_GE(working.count(), 2);
        EXPECT_EQ(working.last().at(0).toLongLong(), working.last().at(1).toLongLong());
    }
}

}  // namespace
}  // namespace kavrin::test
