#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QVBoxLayout>

#include <cstring>

#include "editortext.h"
#include "fixture.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin::test {
namespace {

using RichTextBoxTest = KavrinTest;

// --- offsets ---------------------------------------------------------------------------------

TEST_F(RichTextBoxTest, OffsetsCountEachLineBreakAsTwoCharacters) {
    RichTextBox box;
    box.setText("ab\r\n\r\ncd\r\n");
    ASSERT_EQ(box.text(), "ab\r\n\r\ncd\r\n");
    EXPECT_EQ(box.textLength(), 10);
    EXPECT_EQ(box.lineCount(), 4);
    // offset -> position: a0 b1 CR2 LF3 | CR4 LF5 | c6 d7 CR8 LF9 | end10
    const int positions[] = {0, 1, 2, 2, 3, 3, 4, 5, 6, 6, 7};
    for (int off = 0; off <= 10; ++off) EXPECT_EQ(box.toPosition(off), positions[off]) << off;
    const int offsets[] = {0, 1, 2, 4, 6, 7, 8, 10};
    for (int pos = 0; pos <= 7; ++pos) EXPECT_EQ(box.toOffset(pos), offsets[pos]) << pos;
    EXPECT_EQ(box.toPosition(99), 7);

    const int lines[] = {0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 3};
    for (int off = 0; off <= 10; ++off) EXPECT_EQ(box.lineFromChar(off), lines[off]) << off;
    EXPECT_EQ(box.lineIndex(0), 0);
    EXPECT_EQ(box.lineIndex(1), 4);
    EXPECT_EQ(box.lineIndex(2), 6);
    EXPECT_EQ(box.lineIndex(3), 10);
    EXPECT_EQ(box.lineIndex(4), -1);

    box.select(1, 6);
    EXPECT_EQ(box.selStart(), 1);
    EXPECT_EQ(box.selLength(), 6);
    EXPECT_EQ(box.selText(), "b\r\n\r\nc");
    box.setSelStart(8);
    EXPECT_EQ(box.selStart(), 8);
    EXPECT_EQ(box.lineFromChar(-1), 2);
    EXPECT_EQ(box.lineIndex(-1), 6);
    box.setSelLength(2);
    EXPECT_EQ(box.selText(), "\r\n");
    box.setSelStart(5);  // the LF of a line break: the caret goes before the break
    EXPECT_EQ(box.selStart(), 4);
}

TEST_F(RichTextBoxTest, OffsetsHoldInATenMegabyteText) {
    QString text;
    auto* rng = QRandomGenerator::global();
    while (text.size() < 10 * 1024 * 1024) {
        const int len = int(rng->bounded(0, 120));
        text += QString(len, QChar(u'a' + len % 26));
        text += "\r\n";
    }
    RichTextBox box;
    box.setText(text);
    ASSERT_EQ(box.text(), text);
    // Offsets of the line starts and a sample of random offsets, both ways.
    std::vector<int> lineStarts{0};
    for (int i = 0; i + 1 < text.size(); ++i)
        if (text[i] == u'\r') lineStarts.push_back(i + 2);
    ASSERT_EQ(box.lineCount(), int(lineStarts.size()));
    for (int k = 0; k < 2000; ++k) {
        const int off = int(rng->bounded(0, int(text.size()) + 1));
        const int line = int(std::upper_bound(lineStarts.begin(), lineStarts.end(), off) - lineStarts.begin()) - 1;
        ASSERT_EQ(box.lineFromChar(off), line) << off;
        ASSERT_EQ(box.lineIndex(line), lineStarts[size_t(line)]);
        const int pos = box.toPosition(off);
        ASSERT_EQ(pos, off - line - (off < int(text.size()) && text[off] == u'\n' ? 1 : 0)) << off;
        if (off == int(text.size()) || text[off] != u'\n') {
            ASSERT_EQ(box.toOffset(pos), off);
        }
    }
    box.select(int(text.size()) - 5, 5);
    EXPECT_EQ(box.selText(), text.right(5));
}

// --- the text cache -----------------------------------------------------------------------------

// --- events --------------------------------------------------------------------------------

TEST_F(RichTextBoxTest, ChangeFiresOnceForEachEditAndNeverForColour) {
    RichTextBox box;
    QStringList seen;  // what a Change handler sees: the new text and caret
    QObject::connect(&box, &RichTextBox::Change, [&] { seen << box.text() + "|" + QString::number(box.selStart()); });

    box.setText("abc");
    EXPECT_EQ(seen, QStringList{"abc|0"});

    seen.clear();
    box.select(1, 1);
    box.setSelText("X\r\nY");
    EXPECT_EQ(seen, QStringList{"aX\r\nYc|5"});

    seen.clear();
    box.setSelStart(1);
    QTest::keyClick(&box, Qt::Key_Z);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(seen, (QStringList{"azX\r\nYc|2", "aX\r\nYc|1", "a\r\nX\r\nYc|3"}));

    seen.clear();
    box.select(0, 3);
    box.setSelText(box.selText());  // the same text again is still an edit
    EXPECT_EQ(seen.size(), 1);

    seen.clear();
    box.select(0, 4);
    box.setSelColor(kRed);
    box.setSelStart(2);
    box.setSelColor(kBlue);
    box.select(0, 0);
    box.setSelText("");  // nothing selected, nothing typed: no edit
    EXPECT_TRUE(seen.isEmpty());

    box.setColorRuns({{"one", kRed}, {"\r\ntwo", kBlue}});
    box.loadRtf("{\\rtf1 x}");
    EXPECT_EQ(seen, (QStringList{"one\r\ntwo|0", "x|0"}));
}

TEST_F(RichTextBoxTest, SelChangeFollowsTheCaretAndComesAfterChange) {
    RichTextBox box;
    box.setText("hello world");
    QStringList log;
    QObject::connect(&box, &RichTextBox::Change, [&] { log << "change"; });
    QObject::connect(&box, &RichTextBox::SelChange, [&] { log << "sel " + QString::number(box.selStart()); });
    box.setSelStart(5);
    box.select(0, 5);
    box.select(0, 5);  // no move, no event
    QTest::keyClick(&box, Qt::Key_End);
    QTest::keyClick(&box, Qt::Key_A);
    EXPECT_EQ(log, (QStringList{"sel 5", "sel 0", "sel 11", "change", "sel 12"}));
}

TEST_F(RichTextBoxTest, HandlersMayEditFromWithinEvents) {
    // The program's Tab handling: KeyDown replaces the selection and swallows the key; its
    // Change handler may in turn recolour.
    RichTextBox box;
    box.setText("<p>");
    int changes = 0;
    QObject::connect(&box, &RichTextBox::KeyDown, [&](int& key, int) {
        if (key == 9) {
            box.setSelText("    ");
            key = 0;
        }
    });
    QObject::connect(&box, &RichTextBox::Change, [&] {
        ++changes;
        const int caret = box.selStart();
        box.select(0, 3);
        box.setSelColor(kBlue);
        box.setSelStart(caret);
    });
    box.setSelStart(3);
    QTest::keyClick(&box, Qt::Key_Tab);
    EXPECT_EQ(box.text(), "<p>    ");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box.selStart(), 7);
    EXPECT_EQ(box.colorAt(1), kBlue);
}

TEST_F(RichTextBoxTest, KeyCodesAreWindowsVirtualKeys) {
    RichTextBox box;
    QList<std::pair<int, int>> downs;
    QObject::connect(&box, &RichTextBox::KeyDown, [&](int& key, int shift) {
        if (key < 16 || key > 18) downs.append({key, shift});  // not the modifier keys themselves
    });
    QTest::keyClick(&box, Qt::Key_Period);
    QTest::keyClick(&box, Qt::Key_Greater, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_Less, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_Equal);
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClick(&box, Qt::Key_Tab);
    QTest::keyClick(&box, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_Space);
    QTest::keyClick(&box, Qt::Key_M, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Up);
    QTest::keyClick(&box, Qt::Key_F5);
    QTest::keyClick(&box, Qt::Key_QuoteDbl, Qt::ShiftModifier);
    const QList<std::pair<int, int>> expected = {{190, 0}, {190, 1}, {188, 1}, {187, 0}, {13, 0}, {9, 0},
                                                 {9, 1},   {32, 0},  {77, 2},  {38, 0},  {116, 0}, {222, 1}};
    EXPECT_EQ(downs, expected);
    EXPECT_EQ(windowsKeyCode(Qt::Key_5, Qt::KeypadModifier), 101);
    EXPECT_EQ(windowsKeyCode(Qt::Key_Underscore), 189);
    EXPECT_EQ(windowsKeyCode(Qt::Key_BracketRight), 221);
}

TEST_F(RichTextBoxTest, KeyDownAndKeyPressCanSwallowOrChangeTheKey) {
    RichTextBox box;
    QStringList log;
    int swallowDown = -1, swallowPress = -1, replacePress = -1;
    QObject::connect(&box, &RichTextBox::KeyDown, [&](int& key, int) {
        log << "down " + QString::number(key);
        if (key == swallowDown) key = 0;
    });
    QObject::connect(&box, &RichTextBox::KeyPress, [&](int& ascii) {
        log << "press " + QString::number(ascii);
        if (ascii == swallowPress) ascii = 0;
        if (ascii == replacePress) ascii = '!';
    });
    QObject::connect(&box, &RichTextBox::KeyUp, [&](int& key, int) { log << "up " + QString::number(key); });
    QObject::connect(&box, &RichTextBox::Change, [&] { log << "change"; });

    QTest::keyClick(&box, Qt::Key_A);
    EXPECT_EQ(log, (QStringList{"down 65", "press 97", "change", "up 65"}));
    EXPECT_EQ(box.text(), "a");

    log.clear();
    swallowDown = 66;
    QTest::keyClick(&box, Qt::Key_B);
    EXPECT_EQ(log, (QStringList{"down 66", "up 66"}));

    swallowDown = 13;
    QTest::keyClick(&box, Qt::Key_Return);
    swallowPress = 'c';
    QTest::keyClick(&box, Qt::Key_C);
    replacePress = 'd';
    QTest::keyClick(&box, Qt::Key_D);
    EXPECT_EQ(box.text(), "a!");

    log.clear();
    QTest::keyClick(&box, Qt::Key_Left);  // no character, no KeyPress
    EXPECT_EQ(log, (QStringList{"down 37", "up 37"}));

    // Shift+Enter breaks the line like Enter.
    swallowDown = -1;
    box.setSelStart(2);
    QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(box.text(), "a!\r\n");
}

TEST_F(RichTextBoxTest, QtsOwnEditKeysAndMenusAreOff) {
    RichTextBox box;
    QTest::keyClicks(&box, "abc");
    box.select(0, 1);
    QApplication::clipboard()->setText("PASTED");
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Delete, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(box.text(), "abc");
    EXPECT_FALSE(box.document()->isUndoAvailable());

    // Ctrl and Alt keys are left to the menus.
    QKeyEvent ctrlZ(QEvent::ShortcutOverride, Qt::Key_Z, Qt::ControlModifier, "z");
    ctrlZ.accept();
    QApplication::sendEvent(&box, &ctrlZ);
    EXPECT_FALSE(ctrlZ.isAccepted());

    // Rich paste and drops of text insert nothing.
    QMimeData mime;
    mime.setText("dropped");
    mime.setHtml("<b>dropped</b>");
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &drop);
    box.paste();
    EXPECT_EQ(box.text(), "abc");
    EXPECT_FALSE(drop.isAccepted());
}

TEST_F(RichTextBoxTest, MenuShortcutsWinOverTheEditorWhenShown) {
    QMainWindow window;
    auto* box = new RichTextBox;
    window.setCentralWidget(box);
    int undone = 0;
    auto* undo = new QAction("Undo", &window);
    undo->setShortcut(QKeySequence("Ctrl+Z"));
    window.addAction(undo);
    QObject::connect(undo, &QAction::triggered, [&] { ++undone; });
    window.show();
    QApplication::setActiveWindow(&window);
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QTest::keyClicks(box, "ab");
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(undone, 1);
    EXPECT_EQ(box->text(), "ab");
}

TEST_F(RichTextBoxTest, ShownOffscreenItTakesTypingAndMouse) {
    QStringList focus, mouse;  // outlive the window, which reports a last LostFocus
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* box = new RichTextBox;
    auto* other = new QLineEdit;
    layout->addWidget(box);
    layout->addWidget(other);
    window.resize(400, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QObject::connect(box, &RichTextBox::GotFocus, [&] { focus << "got"; });
    QObject::connect(box, &RichTextBox::LostFocus, [&] { focus << "lost"; });
    other->setFocus();
    box->setFocus();
    EXPECT_EQ(focus, (QStringList{"lost", "got"}));
    QObject::connect(box, &RichTextBox::MouseUp, [&](int b, int s, int, int) { mouse << QString("up %1 %2").arg(b).arg(s); });
    QObject::connect(box, &RichTextBox::Click, [&] { mouse << "click"; });

    QTest::keyClicks(box, "<html>");
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, "</html>");
    EXPECT_EQ(box->text(), "<html>\r\n</html>");
    QApplication::processEvents();

    const QRect caret = box->caretRect();
    EXPECT_TRUE(box->rect().contains(caret.center()));
    EXPECT_EQ(box->lineFromChar(-1), 1);

    // A left click puts the caret at the start; a right click leaves it and the selection.
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(box->selStart(), 0);
    box->select(2, 3);
    QTest::mouseClick(box->viewport(), Qt::RightButton, Qt::ShiftModifier, QPoint(2, 2));
    EXPECT_EQ(box->selStart(), 2);
    EXPECT_EQ(box->selLength(), 3);
    EXPECT_EQ(mouse, (QStringList{"up 1 0", "click", "up 2 1"}));

    // A press inside a selection places the caret instead of dragging the text.
    box->select(0, 6);
    const QPoint inside = box->cursorRect(box->textCursor()).center() - QPoint(20, 0);
    QTest::mousePress(box->viewport(), Qt::LeftButton, {}, inside);
    QTest::mouseMove(box->viewport(), inside + QPoint(0, 30));
    QTest::mouseRelease(box->viewport(), Qt::LeftButton, {}, inside + QPoint(0, 30));
    EXPECT_EQ(box->text(), "<html>\r\n</html>");
    // The drag selected text from the press point instead of moving the old selection.
    EXPECT_GT(box->selStart(), 0);
    EXPECT_LT(box->selStart(), 6);
    EXPECT_GT(box->selLength(), 6);

    box->setRedraw(false);
    EXPECT_FALSE(box->viewport()->updatesEnabled());
    box->setRedraw(true);
    EXPECT_TRUE(box->viewport()->updatesEnabled());
    box->setRightMargin(9999999);
    EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::NoWrap);
    box->setRightMargin(0);
    EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

// --- colours -------------------------------------------------------------------------------

// Several edits made as one: the same text and colours as making them one by one from the last
// to the first, one Change, and a change that leads back to the text before.
TEST_F(RichTextBoxTest, ManyEditsAtOnceMatchThemMadeOneByOne) {
    auto* rng = QRandomGenerator::global();
    const QString pieces[] = {"    ", "", "x", "\r\n", "a\nb\rc", "\t<b>", "ü😀"};
    for (int round = 0; round < 30; ++round) {
        const QString start = "<p>one</p>\r\n\r\n  <b>two</b>\r\nthree <i>x</i>\r\n\tfour\r\nfive";
        RichTextBox a, b;
        for (RichTextBox* box : {&a, &b}) {
            box->setColorRuns({{"<p>", kBlue}, {"one", 0}, {"</p>\r\n", kBlue}, {"\r\n  ", 0}, {"<b>", kRed},
                               {"two", 0}, {"</b>\r\n", kRed}, {"three ", 0}, {"<i>x</i>", kGreen},
                               {"\r\n\tfour\r\nfive", 0}});
        }
        ASSERT_EQ(a.text(), start);
        QVector<TextEdit> edits;
        int at = 0;
        while (at < start.size()) {
            at += int(rng->bounded(0, 8));
            if (at > start.size()) break;
            int n = int(rng->bounded(0, 4));
            if (at + n > start.size()) n = int(start.size()) - at;
            // Never between a CR and its LF.
            if (at > 0 && at < start.size() && start[at] == u'\n') ++at;
            if (at + n < start.size() && start[at + n] == u'\n') ++n;
            if (at > start.size() || at + n > start.size()) break;
            edits.append({at, n, pieces[rng->bounded(0, int(std::size(pieces)))]});
            at += n + 1;
        }
        for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
            b.select(it->start, it->length);
            if (it->length == 0) b.setSelStart(it->start);  // the caret's own colour, nothing typed yet
            b.setSelText(it->text);
        }
        a.takeChange();
        QSignalSpy changes(&a, &RichTextBox::Change);
        a.replaceRanges(edits);
        ASSERT_EQ(a.text(), b.text()) << "round " << round;
        ASSERT_EQ(a.text(), documentText(a));
        EXPECT_EQ(changes.count(), 1);
        const QVector<ColorRun> ra = a.colorRuns(), rb = b.colorRuns();
        ASSERT_EQ(ra.size(), rb.size()) << "round " << round;
        for (int i = 0; i < ra.size(); ++i) {
            EXPECT_EQ(ra[i].text, rb[i].text) << "round " << round << " run " << i;
            EXPECT_EQ(ra[i].color, rb[i].color) << "round " << round << " run " << i;
        }
        const TextChange c = a.takeChange();
        if (!c.isEmpty())
            EXPECT_EQ(a.text().left(c.start) + c.removed + a.text().mid(c.start + c.inserted), start);
    }
}

// --- RTF -----------------------------------------------------------------------------------

// What the colouring writes for a<b>c / <!-- x --> (colour table: black, then eight classes).
const QByteArray kColoured =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fmodern Courier New;}}\r\n"
    "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue128;\\red0\\green128\\blue128;\\red128\\green0\\blue0;"
    "\\red0\\green0\\blue255;\\red0\\green128\\blue0;\\red255\\green0\\blue255;\\red128\\green0\\blue128;"
    "\\red255\\green0\\blue0;}\r\n"
    "\\deflang1033\\pard\\plain\\f0\\fs20 a\\cf3 <b>\\cf0 c\r\n"
    "\\par \\cf5<!-- x -->\\cf0 \r\n"
    "}\r\n";

TEST_F(RichTextBoxTest, ReadsTheColouringsRtf) {
    RichTextBox box;
    ASSERT_TRUE(box.loadRtf(kColoured));
    EXPECT_EQ(box.text(), "a<b>c\r\n<!-- x -->");
    const int maroon = 0x000080, green = 0x008000;
    const int expected[] = {0, maroon, maroon, maroon, 0, 0, 0, green, green, green, green, green, green, green, green, green, green};
    for (int i = 0; i < box.textLength(); ++i) EXPECT_EQ(box.colorAt(i), expected[i]) << i;
    EXPECT_EQ(box.selStart(), 0);

    // A text that ended with a line end: the colouring writes a last empty "\par ".
    QByteArray withEnd = kColoured;
    withEnd.replace("\\cf0 \r\n}", "\\cf0 \r\n\\par \r\n}");
    ASSERT_TRUE(box.loadRtf(withEnd));
    EXPECT_EQ(box.text(), "a<b>c\r\n<!-- x -->\r\n");
}

TEST_F(RichTextBoxTest, RtfEscapesAndUnknownPartsAreHandled) {
    QVector<ColorRun> runs;
    ASSERT_TRUE(parseRtf("{\\rtf1{\\*\\generator Writer 1.0;}{\\info{\\title secret}{\\author me}}"
                         "{\\stylesheet{\\s0 Normal;}}\\viewkind4\\uc1 "
                         "a\\\\b\\{c\\}d \\'e9\\'80\\u8364?\\u-10179?\\u-8704? e\\tab f\\line g\\newcontrol h"
                         "{\\pict\\wmetafile8 0102ff}{\\cf1 i}\\bin3 \\}{j}",
                         &runs));
    QString text;
    for (const ColorRun& r : runs) text += r.text;
    EXPECT_EQ(text, QString::fromUtf8("a\\b{c}d é€€😀 e\tf\r\nghij"));
    // No colour table: everything is black.
    for (const ColorRun& r : runs) EXPECT_EQ(r.color, 0);

    // Literal bytes: UTF-8 where they are UTF-8, else Windows-1252.
    ASSERT_TRUE(parseRtf("{\\rtf1 caf\xC3\xA9 caf\xE9}", &runs));
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].text, QString::fromUtf8("café café"));
}

TEST_F(RichTextBoxTest, NonRtfAndGarbageAreRejectedOrSurvived) {
    QVector<ColorRun> runs;
    EXPECT_FALSE(parseRtf("", &runs));
    EXPECT_FALSE(parseRtf("<html>not rtf</html>", &runs));
    EXPECT_FALSE(parseRtf("{\\rt", &runs));
    EXPECT_FALSE(parseRtf(QByteArray(1000, '\0'), &runs));

    RichTextBox box;
    box.setText("kept");
    EXPECT_FALSE(box.loadRtf("plain text"));
    EXPECT_EQ(box.text(), "kept");
    EXPECT_FALSE(box.lastError().isEmpty());

    // Broken RTF reads what it can and never crashes.
    EXPECT_TRUE(parseRtf("{\\rtf1 abc{{{{\\cf99 def", &runs));
    EXPECT_TRUE(parseRtf("{\\rtf1 }}}}}} x", &runs));
    EXPECT_TRUE(parseRtf("{\\rtf1 \\'", &runs));
    EXPECT_TRUE(parseRtf("{\\rtf1 \\bin999999999 ab", &runs));
    EXPECT_TRUE(parseRtf("{\\rtf1 \\cf99999999999999999999 \\u99999999999 x\\", &runs));
    EXPECT_TRUE(parseRtf("{\\rtf1 " + QByteArray(200000, '{') + "deep", &runs));
    auto* rng = QRandomGenerator::global();
    for (int k = 0; k < 300; ++k) {
        QByteArray spoilt = kColoured;
        for (int m = 0; m < 8; ++m) spoilt[int(rng->bounded(5, int(spoilt.size())))] = char(rng->bounded(0, 256));
        parseRtf(spoilt, &runs);
    }
}

TEST_F(RichTextBoxTest, RtfWrittenIsReadBackTheSame) {
    const QVector<ColorRun> runs = {{"<p class=\"{x}\">", kBlue}, {"a\\b €→ 😀\ttab\r\n", 0}, {"<!--\r\n-->", kGreen}};
    RichTextBox box;
    box.setColorRuns(runs);
    ASSERT_EQ(box.colorRuns().size(), runs.size());
    const QString path = workDir + "page.rtf";
    ASSERT_TRUE(box.saveFile(path, rtfRTF)) << box.lastError().toStdString();
    RichTextBox other;
    ASSERT_TRUE(other.loadFile(path, rtfRTF)) << other.lastError().toStdString();
    EXPECT_EQ(other.text(), box.text());
    const QVector<ColorRun> back = other.colorRuns();
    ASSERT_EQ(back.size(), runs.size());
    for (int i = 0; i < runs.size(); ++i) EXPECT_EQ(back[i].color, runs[i].color);
}

// A device that hands out at most `piece` bytes a read, as a slow source would.
class Trickle : public QIODevice {
public:
    Trickle(QByteArray bytes, qint64 piece) : bytes_(std::move(bytes)), piece_(piece) { open(ReadOnly); }
    qint64 size() const override { return bytes_.size(); }

protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 n = qMin(qMin(max, piece_), qint64(bytes_.size()) - pos());
        std::memcpy(data, bytes_.constData() + pos(), size_t(qMax<qint64>(0, n)));
        return qMax<qint64>(0, n);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 piece_;
};

// RTF read a piece at a time gives the runs it gives read whole, wherever the pieces are cut:
// inside control words and their numbers, escapes, UTF-8 sequences, binary data, the colour
// table and the leading blanks.
TEST_F(RichTextBoxTest, RtfReadInPiecesGivesWhatItGivesWhole) {
    QVector<ColorRun> runs;
    QString text;
    for (int i = 0; i < 300; ++i) {
        runs.append({QStringLiteral("<td class=\"c%1\">").arg(i), i % 2 ? kBlue : kRed});
        runs.append({QString::fromUtf8("caf\xC3\xA9 \\{x} \xF0\x9F\x98\x80\ttab\r\n"), 0});
    }
    QByteArray rtf = "  \r\n" + writeRtf(runs);
    rtf.insert(rtf.lastIndexOf('}'), "\\'e9 caf\xC3\xA9 \\bin5 {}{}x{\\*\\unknown skipped}\\u8364?tail");
    QVector<ColorRun> whole;
    ASSERT_TRUE(parseRtf(rtf, &whole));
    for (const qint64 piece : {1, 2, 3, 7, 255, 256, 257, 4095, 4097, 100000}) {
        SCOPED_TRACE(piece);
        Trickle source(rtf, piece);
        QVector<ColorRun> got;
        ASSERT_TRUE(readRtf(source, [&got](const QString& t, int c) { got.append({t, c}); }));
        ASSERT_EQ(got.size(), whole.size());
        for (int i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].text, whole[i].text);
            EXPECT_EQ(got[i].color, whole[i].color);
        }
    }
    Trickle notRtf("plain text, no RTF here", 3);
    QString error;
    EXPECT_FALSE(readRtf(notRtf, [](const QString&, int) {}, &error));
    EXPECT_FALSE(error.isEmpty());
}

// A long text's colours come back from a device in windows: the same colours as from the bytes
// whole. What is no RTF, or cannot be read, leaves the text and its colours alone.
TEST_F(RichTextBoxTest, RtfFromADeviceRecoloursALongTextAndRefusesWhatItCannotRead) {
    QVector<ColorRun> runs;
    for (int i = 0; i < 90000; ++i) runs.append({QStringLiteral("<b>%1</b>\r\n").arg(i % 10), i % 3 ? kRed : kGreen});
    QString text;
    for (const ColorRun& r : runs) text += r.text;
    const QByteArray rtf = writeRtf(runs);
    RichTextBox fromBytes, fromDevice;
    for (RichTextBox* box : {&fromBytes, &fromDevice}) box->setText(text);
    ASSERT_TRUE(fromBytes.loadRtf(rtf));
    Trickle source(rtf, 1 << 20);
    ASSERT_TRUE(fromDevice.loadRtf(source)) << fromDevice.lastError().toStdString();
    EXPECT_EQ(fromDevice.text(), text);
    const QVector<ColorRun> a = fromBytes.colorRuns(), b = fromDevice.colorRuns();
    ASSERT_EQ(a.size(), b.size());
    for (int i = 0; i < a.size(); ++i) ASSERT_EQ(a[i].color, b[i].color) << i;

    RichTextBox box;
    box.setColorRuns({{"<p>", kBlue}, {"kept", 0}});
    Trickle garbage("not rtf at all", 4);
    EXPECT_FALSE(box.loadRtf(garbage));
    EXPECT_FALSE(box.lastError().isEmpty());
    QBuffer closed;  // never opened: nothing can be read
    EXPECT_FALSE(box.loadRtf(closed));
    EXPECT_EQ(box.text(), "<p>kept");
    EXPECT_EQ(box.colorAt(0), kBlue);
}

TEST_F(RichTextBoxTest, RtfOfTheShownTextOnlyRecoloursItInPlace) {
    // Mostly coloured already, as after a paste into a coloured page.
    QVector<ColorRun> runs;
    for (int i = 0; i < 20; ++i) runs += {{"<b>", kBlue}, {"x\r\n", 0}};
    RichTextBox box;
    box.setColorRuns(runs);
    box.select(6, 3);
    box.setSelColor(kRed);
    box.setSelStart(13);
    QSignalSpy changes(&box, &RichTextBox::Change);
    ASSERT_TRUE(box.loadRtf(writeRtf(runs)));
    EXPECT_EQ(changes.count(), 0);  // the text did not change
    EXPECT_EQ(box.selStart(), 13);  // nor did the caret
    EXPECT_EQ(box.colorAt(6), kBlue);
    EXPECT_EQ(box.colorAt(8), kBlue);
    EXPECT_EQ(box.colorAt(9), 0);
    EXPECT_EQ(box.colorRuns().size(), runs.size());

    // All in black, as a page is before its first colouring: still no edit of the text.
    box.select(0, box.textLength());
    box.setSelColor(0);
    box.setSelStart(13);
    ASSERT_TRUE(box.loadRtf(writeRtf(runs)));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(box.selStart(), 13);
    QVector<ColorRun> back = box.colorRuns();
    ASSERT_EQ(back.size(), runs.size());
    for (int i = 0; i < runs.size(); ++i) EXPECT_EQ(back[i].color, runs[i].color) << i;

    // Other text replaces it.
    ASSERT_TRUE(box.loadRtf(writeRtf({{"new", kGreen}})));
    EXPECT_EQ(box.text(), "new");
    EXPECT_EQ(changes.count(), 1);
}

// --- find and files ------------------------------------------------------------------------

TEST_F(RichTextBoxTest, FindHonoursWholeWordMatchCaseAndRange) {
    RichTextBox box;
    box.setText("A cat\r\nsat on a mat_a; a");
    EXPECT_EQ(box.find("a", 0), 0);
    EXPECT_EQ(box.selStart(), 0);
    EXPECT_EQ(box.selLength(), 1);
    EXPECT_EQ(box.find("a", 0, -1, rtfMatchCase), 3);
    EXPECT_EQ(box.find("a", 1, -1, rtfWholeWord), 14);
    EXPECT_EQ(box.find("a", 15, -1, rtfWholeWord | rtfMatchCase), 23);
    EXPECT_EQ(box.find("mat", 0, 19, rtfWholeWord), -1);  // "mat_a" is one word
    EXPECT_EQ(box.find("mat", 0, 19), 16);
    EXPECT_EQ(box.find("mat", 0, 18), -1);  // the hit must end by the end offset
    EXPECT_EQ(box.find("cat\r\nsat", 0), 2);
    EXPECT_EQ(box.find("", 0), -1);

    box.select(7, 6);  // "sat on": without a start, only the selection is searched
    EXPECT_EQ(box.find("on"), 11);
    box.select(7, 6);
    EXPECT_EQ(box.find("mat"), -1);

    box.setSelStart(1);
    EXPECT_EQ(box.find("sat", 0, -1, rtfNoHighlight), 7);
    EXPECT_EQ(box.selStart(), 1);
    EXPECT_EQ(box.selLength(), 0);
}

TEST_F(RichTextBoxTest, TextFilesLoadAndSaveInTheirOwnFormat) {
    const QByteArray bytes = "<p>caf\xE9</p>\n<p>\x80</p>";
    const QString path = writeFile("old.htm", bytes);
    RichTextBox box;
    int changes = 0;
    QObject::connect(&box, &RichTextBox::Change, [&] { ++changes; });
    ASSERT_TRUE(box.loadFile(path, rtfText));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box.text(), QString::fromUtf8("<p>café</p>\r\n<p>€</p>"));
    EXPECT_EQ(box.textFormat().encoding, TextFormat::Encoding::Windows1252);
    ASSERT_TRUE(box.saveFile(path, rtfText));
    EXPECT_EQ(readFile(path), bytes);

    // A character the old encoding lacks: saved as UTF-8, and the box now knows it.
    box.setSelStart(0);
    box.setSelText(QString::fromUtf8("→"));
    ASSERT_TRUE(box.saveFile(path, rtfText));
    EXPECT_EQ(box.textFormat().encoding, TextFormat::Encoding::Utf8);
    EXPECT_EQ(readFile(path), QByteArray("\xE2\x86\x92<p>caf\xC3\xA9</p>\n<p>\xE2\x82\xAC</p>"));

    EXPECT_FALSE(box.loadFile(workDir + "missing.htm", rtfText));
    EXPECT_TRUE(box.lastError().contains("missing.htm"));
    EXPECT_FALSE(box.loadFile(writeFile("bin.dat", QByteArray("a\0b", 3)), rtfText));
    EXPECT_FALSE(box.loadFile(path, rtfRTF));
    EXPECT_EQ(box.text(), QString::fromUtf8("→<p>café</p>\r\n<p>€</p>"));
}

}  // namespace
}  // namespace kavrin::test
