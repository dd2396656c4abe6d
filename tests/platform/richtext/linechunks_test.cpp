// A line longer than a few thousand characters is held as several blocks. What a person sees
// and does with it must not show that: the text, offsets, lines, keys and find work as on a
// line held whole.
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>

#include "editortext.h"
#include "fixture.h"
#include "platform/richtext/linechunks.h"
#include "platform/richtext/richtextbox.h"

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

// A long line not wrapped, shown and scrolled to its far end, edited at random from a fixed seed
// in every way an edit comes (several places at once, the selection replaced, keys), each edit
// followed by the events a person's would run: the text stays the string's, and what Qt asks of
// the pieces while an edit cuts them and the view scrolls back never finds a line's geometry
// gone from under it (the sanitizer build tells).
TEST_F(LinePiecesTest, RandomEditsOfALongLineScrolledToItsEndKeepTheTextOfAString) {
    QRandomGenerator rng(10);
    RichTextBox box;
    box.setFont(QFont(QStringLiteral("Monospace"), 10));
    box.resize(500, 300);
    box.setRightMargin(1);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.setFocus();
    for (int round = 0; round < 60; ++round) {
        QString model = minified(8000 + rng.bounded(30000));
        box.setText(model);
        QApplication::processEvents();
        for (int step = 0; step < 5; ++step) {
            const int len = int(model.size());
            // Mostly towards the end: the piece carrying the row then lies after those an edit
            // further up cuts.
            const int caret = rng.bounded(4) ? len - int(rng.bounded(len / 3 + 1)) : int(rng.bounded(len + 1));
            box.setSelStart(caret);
            QApplication::processEvents();
            QScrollBar* bar = box.horizontalScrollBar();
            bar->setValue(bar->maximum());
            QApplication::processEvents();
            QVector<TextEdit> edits;
            for (int at = 0, e = 0; e < 1 + int(rng.bounded(3)); ++e) {
                at += int(rng.bounded(qMax(1, len - at)));
                if (at >= len) break;
                const int n = qMin(int(rng.bounded(2)) * int(rng.bounded(7000)), len - at);
                edits.append({at, n, minified(rng.bounded(2) * rng.bounded(7000))});
                at += n + 1;
            }
            const int kind = int(rng.bounded(4));
            if (kind == 0 && !edits.isEmpty()) {
                box.select(edits[0].start, edits[0].length);
                box.setSelText(edits[0].text);
                model.replace(edits[0].start, edits[0].length, edits[0].text);
            } else if (kind == 1) {
                const int at = box.selStart();
                QTest::keyClick(&box, Qt::Key_Backspace);
                if (at > 0) model.remove(at - 1, 1);
                QTest::keyClicks(&box, "ab");
                model.insert(qMax(0, at - 1), "ab");
            } else {
                box.replaceRanges(edits);
                for (auto it = edits.rbegin(); it != edits.rend(); ++it) model.replace(it->start, it->length, it->text);
            }
            QApplication::processEvents();
            ASSERT_EQ(box.text(), model) << "round " << round << " step " << step << " kind " << kind;
        }
        ASSERT_EQ(documentText(box), model) << "round " << round;
        expectWellCut(box);
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


// Not wrapped, the long line's pieces stand side by side on one row; wrapped, each goes on in
// the row where the one before ended. Either way the line is drawn exactly as Qt draws it held
// whole, selection included, wherever the view is scrolled to.
TEST_F(LinePiecesTest, ALongLineLooksAsTheLineHeldWholeWrappedOrNot) {
    const QString line = minified(20000);
    QFont font(QStringLiteral("Monospace"));
    font.setPointSize(10);
    for (const bool wrapped : {false, true}) {
        SCOPED_TRACE(wrapped ? "wrapped" : "one row");
        RichTextBox box;
        QPlainTextEdit plain;
        for (QPlainTextEdit* e : std::initializer_list<QPlainTextEdit*>{&box, &plain}) {
            e->setFont(font);
            e->setPalette(box.palette());
            e->resize(600, 160);
            e->show();
        }
        box.setRightMargin(wrapped ? 0 : 1);
        plain.setLineWrapMode(wrapped ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        box.setText("<p>\r\n" + line + "\r\n</p>");
        plain.setPlainText("<p>\n" + line + "\n</p>");
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
        QApplication::processEvents();
        if (wrapped) {
            // Once every piece is laid out where the one before ended, between events, the rows
            // add up to those of the line held whole.
            (void)QTest::qWaitFor([&] { return box.verticalScrollBar()->maximum() == plain.verticalScrollBar()->maximum(); }, 20000);
            ASSERT_EQ(box.verticalScrollBar()->maximum(), plain.verticalScrollBar()->maximum());
        } else {
            ASSERT_EQ(box.horizontalScrollBar()->maximum(), plain.horizontalScrollBar()->maximum());
        }
        const QList<int> starts = pieceStarts(box);
        ASSERT_GT(starts.size(), 5);
        for (int k : {0, 2, int(starts.size()) - 1}) {
            const int meet = starts[k] - 5;  // offset in the line
            for (bool selected : {false, true}) {
                SCOPED_TRACE(QStringLiteral("meet %1 selected %2").arg(meet).arg(selected).toStdString());
                // Each editor brought to the place, and then both scrolled alike.
                QTextCursor c = plain.textCursor();
                c.setPosition(4 + meet);
                plain.setTextCursor(c);
                box.setSelStart(5 + meet);
                const int x = int(plain.cursorRect(c).left() + plain.horizontalScrollBar()->value()) - 200;
                const int y = plain.verticalScrollBar()->value();
                c.setPosition(4 + meet - (selected ? 9 : 0));
                c.setPosition(4 + meet + 9, QTextCursor::KeepAnchor);
                plain.setTextCursor(c);
                box.select(5 + meet - (selected ? 9 : 0), selected ? 18 : 9);
                if (!selected) {
                    c.clearSelection();
                    plain.setTextCursor(c);
                    box.setSelStart(5 + meet + 9);
                }
                for (QPlainTextEdit* e : std::initializer_list<QPlainTextEdit*>{&box, &plain}) {
                    e->horizontalScrollBar()->setValue(wrapped ? 0 : x);
                    e->verticalScrollBar()->setValue(wrapped ? qMax(0, y - 3) : 0);
                }
                QApplication::processEvents();
                const QImage ours = box.viewport()->grab().toImage(), qts = plain.viewport()->grab().toImage();
                ASSERT_EQ(ours, qts);
            }
        }
    }
}

// Turning the wrap on or off keeps the caret in sight, on the row it is in: the view jumped to
// the middle of a long line while the caret stayed at its start.
TEST_F(LinePiecesTest, TurningTheWrapOnOrOffKeepsTheCaretInSight) {
    const QString line = minified(200000);
    QString text;
    for (int i = 0; i < 40; ++i) text += QStringLiteral("row %1\r\n").arg(i);
    text += line + "\r\n</p>\r\n";
    struct Case {
        QString text;
        int caretAt;
    };
    const QString rows = text.left(text.indexOf(line));
    for (const Case& c : {Case{text, 0}, Case{text, int(rows.indexOf("row 20")) + 3},
                          Case{text, int(rows.size()) + 150000}, Case{line, 0}, Case{line, 100000}}) {
        const int caretAt = c.caretAt;
        SCOPED_TRACE(caretAt);
        SCOPED_TRACE(c.text.size());
        RichTextBox box;
        box.setFont(QFont(QStringLiteral("Monospace"), 10));
        box.resize(600, 200);
        box.setRightMargin(9999999);
        box.show();
        box.setText(c.text);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        box.setSelStart(caretAt);
        QApplication::processEvents();
        const auto caretShown = [&box] {
            return box.viewport()->rect().contains(box.cursorRect().center());
        };
        ASSERT_TRUE(caretShown());
        for (const int margin : {0, 9999999, 0}) {
            SCOPED_TRACE(margin);
            box.setRightMargin(margin);
            // As the wrapped rows are counted between events, the view follows.
            for (int i = 0; i < 20; ++i) {
                QApplication::processEvents();
                QTest::qWait(20);
            }
            EXPECT_EQ(box.selStart(), caretAt);
            EXPECT_TRUE(caretShown()) << "caret at " << box.cursorRect().center().x() << ","
                                      << box.cursorRect().center().y() << " scrolled to "
                                      << box.verticalScrollBar()->value() << " of " << box.verticalScrollBar()->maximum();
        }
        // Wrapped again, and scrolled away from the caret by the wheel while the rows are still
        // being counted: the view stays where the user put it.
        box.setRightMargin(9999999);
        QApplication::processEvents();
        box.setRightMargin(0);
        const QPoint middle = box.viewport()->rect().center();
        QWheelEvent wheel(middle, box.viewport()->mapToGlobal(middle), QPoint(), QPoint(0, caretAt > 0 ? 1200 : -1200),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box.viewport(), &wheel);
        const int scrolled = box.verticalScrollBar()->value();
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
            QTest::qWait(20);
        }
        EXPECT_NEAR(box.verticalScrollBar()->value(), scrolled, 3);
        EXPECT_FALSE(caretShown());
    }
}

// The caret's rows and places, as the mouse and the keys reach them on a long line, on one row
// or wrapped: the same places the plain editor reaches on the line held whole.
TEST_F(LinePiecesTest, MouseAndArrowsReachThePlacesOfALongLineWrappedOrNot) {
    const QString line = minified(20000);
    for (const bool wrapped : {false, true}) {
    SCOPED_TRACE(wrapped ? "wrapped" : "one row");
    RichTextBox box;
    QPlainTextEdit plain;
    for (QPlainTextEdit* e : std::initializer_list<QPlainTextEdit*>{&box, &plain}) {
        e->setFont(QFont(QStringLiteral("Monospace"), 10));
        e->resize(600, 120);
        e->show();
    }
    box.setRightMargin(wrapped ? 0 : 1);
    plain.setLineWrapMode(wrapped ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    // Offsets of the plain editor's text (LF breaks) in the box's (CR LF).
    QString text = "<p>\r\n" + line + "\r\n</p>\r\n";
    for (int i = 0; i < 12; ++i) text += QStringLiteral("row %1 of some text\r\n").arg(i);
    QString lf = text;
    lf.replace("\r\n", "\n");
    box.setText(text);
    plain.setPlainText(lf);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
    QApplication::processEvents();
    ASSERT_EQ(box.viewport()->size(), plain.viewport()->size());
    // Every piece laid out, as the page keys go by the rows of the whole text.
    (void)QTest::qWaitFor([&] { return box.verticalScrollBar()->maximum() == plain.verticalScrollBar()->maximum(); }, 20000);
    ASSERT_EQ(box.verticalScrollBar()->maximum(), plain.verticalScrollBar()->maximum());
    auto crlf = [&lf](int at) { return at + int(lf.left(at).count(u'\n')); };
    const QList<int> starts = pieceStarts(box);
    ASSERT_GT(starts.size(), 5);
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    };
    const Key keys[] = {{Qt::Key_Down, {}},      {Qt::Key_Up, {}},     {Qt::Key_Down, Qt::ShiftModifier},
                        {Qt::Key_Up, Qt::ShiftModifier}, {Qt::Key_PageDown, {}}, {Qt::Key_End, {}},
                        {Qt::Key_Home, Qt::ShiftModifier}};
    QList<int> places = {0, 2, 5};
    for (int start : starts.mid(0, 3)) places << start - 5 << start - 1 << start;
    places << 5 + int(line.size()) + 2 + 1 << int(text.size()) - 3;
    for (int at : places) {
        // Where the caret stands in the plain editor's text.
        int plainAt = at;
        for (int i = 0; i < lf.size() && crlf(i) < at; ++i) plainAt = i + 1;
        for (const Key& k : keys) {
            SCOPED_TRACE(QStringLiteral("at %1 key %2 mods %3").arg(at).arg(k.key).arg(int(k.mods)).toStdString());
            box.setSelStart(at);
            QTextCursor c = plain.textCursor();
            c.setPosition(plainAt);
            plain.setTextCursor(c);
            // Both scrolled to the top, as a page key goes by what is shown.
            for (QPlainTextEdit* e : std::initializer_list<QPlainTextEdit*>{&box, &plain}) {
                e->verticalScrollBar()->setValue(0);
                e->horizontalScrollBar()->setValue(0);
            }
            QTest::keyClick(&box, k.key, k.mods);
            QTest::keyClick(&plain, k.key, k.mods);
            QTextCursor p = plain.textCursor();
            // Qt sets a top row that is not its block's first a fraction of a pixel lower than a
            // block's first, and a page key compares those fractions: over a wrapped long line, a
            // page may end one row further than over the line held whole.
            if (wrapped && k.key == Qt::Key_PageDown && box.selStart() != crlf(p.position())) p.movePosition(QTextCursor::Down);
            ASSERT_EQ(box.selStart(), crlf(p.selectionStart()));
            ASSERT_EQ(box.selStart() + box.selLength(), crlf(p.selectionEnd()));
        }
    }

    // A click puts the caret where it stood when its rectangle was taken; a drag selects from
    // the press to the release, over a place where pieces meet.
    for (int k = 0; k < 3; ++k) {
        const int at = 5 + starts[k] - 5;
        box.setSelStart(at + 12);
        const QPoint to = box.cursorRect().center();
        box.setSelStart(at);
        const QPoint from = box.cursorRect().center();
        if (!wrapped) ASSERT_LT(from.x(), to.x());
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, from);
        EXPECT_EQ(box.selStart(), at);
        QTest::mousePress(box.viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(box.viewport(), to);
        QTest::mouseRelease(box.viewport(), Qt::LeftButton, {}, to);
        EXPECT_EQ(box.selStart(), at);
        EXPECT_EQ(box.selLength(), 12);
    }
    // A double click takes a word that runs over the place where two pieces meet.
    QString word = QString(3000, u'w');
    box.setText("<p>" + word + word + "</p>");
    const int meet = pieceStarts(box).value(0, -1);
    ASSERT_GT(meet, 3);
    box.setSelStart(meet);
    QTest::mouseDClick(box.viewport(), Qt::LeftButton, {}, box.cursorRect().center() + QPoint(1, 0));
    EXPECT_EQ(box.selStart(), 3);
    EXPECT_EQ(box.selLength(), 6000);
    }
}

// A line longer than Qt can place letters in (beyond 2^25 pixels) still has each letter in
// its own place: the caret moves across by one letter's width at each step.
TEST_F(LinePiecesTest, ALineOfManyMillionCharactersKeepsEveryLetterInItsPlace) {
    QString line(5 * 1024 * 1024, u'a');
    for (qsizetype i = 0; i < line.size(); i += 101) line[i] = u' ';
    RichTextBox box;
    box.setFont(QFont(QStringLiteral("Monospace"), 10));
    box.resize(600, 100);
    box.setRightMargin(1);
    box.show();
    box.setText(line);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_End);
    EXPECT_EQ(box.selStart(), int(line.size()));
    const int scrolled = box.horizontalScrollBar()->value();
    EXPECT_GT(scrolled, 1 << 25);
    QList<int> xs;
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(&box, Qt::Key_Left);
        xs << box.cursorRect().left() + box.horizontalScrollBar()->value();
    }
    const int width = xs[0] - xs[1];
    EXPECT_GT(width, 3);
    for (int i = 1; i < xs.size(); ++i) EXPECT_NEAR(xs[i - 1] - xs[i], width, 1) << i;
    // The letters are drawn where the caret goes: the view is not blank at the end.
    const QImage shown = box.viewport()->grab().toImage();
    int dark = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) dark += qGray(shown.pixel(x, y)) < 128;
    EXPECT_GT(dark, 100);
}

}  // namespace
}  // namespace kavrin::test
