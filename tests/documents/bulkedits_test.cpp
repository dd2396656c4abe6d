// The whole-page commands (indent, unindent, Replace All, the case commands, paste, the
// whole-document colouring, undo and redo of each) on real pages, compared with records of
// their results: the text, the selection, the colours, the saved state, the undo and redo
// lists, the menus and the status bar after every step. The records were taken from the
// commands as they worked one edit at a time; a faster way of making the same edits must give
// the same results.
//
// KAVRIN_GOLDEN_WRITE=1 writes the records anew; KAVRIN_GOLDEN_DUMP=<folder> writes every state
// out in full, for comparing two builds with diff.
#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

#include <map>

#include "documents/colouring/colorcoding.h"
#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "editing.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "tools/frmReplace.h"

namespace kavrin::test {
namespace {

const QString kGoldenFile = QStringLiteral(KAVRIN_SOURCE_DIR "/tests/documents/golden/bulkedits.txt");
const QString kPages = QStringLiteral(KAVRIN_SOURCE_DIR "/tests/documents/pages/");

QString digest(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16));
}
QString digest(QStringView text) {
    return digest(QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
}

// Generated pages: the same rows with CR LF, with line feeds alone, with mixed line ends, and a
// page of other scripts (letters that change length with their case, surrogate pairs, tabs).
QByteArray generatedPage(const QString& kind) {
    QString page = QStringLiteral("<html>\n<head>\n<title>Catalogue</title>\n</head>\n<body>\n<table border=\"0\">\n");
    const bool foreign = kind == "foreign";
    for (int row = 0; row < 160; ++row) {
        const QString n = QString::number(row);
        page += QStringLiteral("<tr>\n  <td class=\"name\"><a href=\"page%1.html\">Item %1</a></td>\n"
                               "  <td align=\"right\"><font color=\"#336699\">%1.50</font></td>\n"
                               "\t<td><img src=\"images/icon%1.gif\" width=\"16\" alt=\"\"></td>\n</tr>\n")
                    .arg(n);
        if (row % 3 == 0) page += QStringLiteral("<!-- row %1 <b>not bold</b> -->\n").arg(n);
        if (row % 7 == 1) page += QStringLiteral("<!--\n  a comment over\n  three lines -->\n");
        if (foreign)
            page += QStringLiteral("<p>Straße, Fluß und \u00e9t\u00e9 \u2014 \u65e5\u672c\u8a9e\u306e\u6587 "
                                   "\U0001F600 \uFB01ne <B>GRO\u00df</B> the end</p>\n");
        else
            page += QStringLiteral("<p>Some text with <b>bold</b> and <i>italic</i> words, the end of a line.</p>\n");
        if (row % 11 == 5) page += QStringLiteral("    <pre>  indented by blanks\n\tand by a tab</pre>\n");
    }
    page += QStringLiteral("</table>\n<p>An unclosed <!-- comment runs to the end\n</body>\n</html>\n");
    if (kind == "crlf" || foreign) page.replace("\n", "\r\n");
    if (kind == "mixed") {
        QString mixed;
        int k = 0;
        for (QChar c : page) {
            if (c == u'\n') mixed += (++k % 3 == 0) ? "\r\n" : (k % 3 == 1) ? "\n" : "\r";
            else mixed += c;
        }
        page = mixed;
    }
    return page.toUtf8();
}

class BulkEditsTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        mainWindow = new mdiMain();
        mainWindow->resize(900, 700);
        mainWindow->show();
        uppercaseTags = addEndingP = autoIndent = tagCompletion = wordWrap = false;
        colorOnOpen = true;
        setTestFontAndColours();
        indentText = "    ";
        tagTipDelay = -1;
        if (qEnvironmentVariableIsSet("KAVRIN_GOLDEN_WRITE")) {
            QFile f(kGoldenFile);
            if (f.open(QIODevice::ReadOnly))
                for (const QByteArray& line : f.readAll().split('\n'))
                    if (!line.isEmpty()) golden_[line.left(line.indexOf(' '))] = line;
        } else {
            QFile f(kGoldenFile);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << kGoldenFile.toStdString();
            for (const QByteArray& line : f.readAll().split('\n'))
                if (!line.isEmpty()) golden_[line.left(line.indexOf(' '))] = line;
        }
    }

    void TearDown() override {
        if (qEnvironmentVariableIsSet("KAVRIN_GOLDEN_WRITE")) {
            QFile f(kGoldenFile);
            if (f.open(QIODevice::WriteOnly)) {
                for (const auto& [key, line] : golden_) f.write(line + '\n');
            }
        }
        KavrinTest::TearDown();
    }

    // Opens a page through the main window's open path, coloured as on opening.
    void open(const QString& name) {
        for (DocumentWindow* d : documentWindows()) {
            d->fileSaved = true;
            d->unload();
        }
        QApplication::processEvents();
        QString path;
        if (name.startsWith("gen-"))
            path = writeFile(name + ".html", generatedPage(name.mid(4)));
        else
            path = writeFile(name, readFile(kPages + name));
        mainWindow->openFile(path);
        doc = activeDocument();
        ASSERT_NE(doc, nullptr);
        ASSERT_EQ(doc->txtMain->tag, "T");
        editor = doc->txtMain;
        page_ = name;
        QFile::remove(tempDir + "temp.rtf");
    }

    // Offset of the first `what` at or after the given fraction of the text.
    int at(double fraction, const QString& what = QString()) const {
        const int from = int(editor->textLength() * fraction);
        if (what.isEmpty()) return from;
        const int i = int(editor->text().indexOf(what, from));
        return i < 0 ? from : i;
    }

    void replaceAll(const QString& find, const QString& with, bool matchCase = false, bool wholeWords = false,
                    int scope = 0) {
        mainWindow->mnuEditFindReplace->trigger();
        frmReplace* f = replaceForm();
        ASSERT_NE(f, nullptr);
        if (scope == 2) f->optSelected->click();
        else if (scope == 1) f->optStart->setChecked(true);
        else f->optAll->setChecked(true);
        f->txtFind->setText(find);
        f->txtReplace->setText(with);
        f->chkMatchCase->setChecked(matchCase);
        f->chkWholeWords->setChecked(wholeWords);
        expectMsgBox("was replaced", vbOK);
        f->cmdReplaceAll->click();
        lastMessage_ = shownMessages.isEmpty() ? QString() : shownMessages.last();
        f->cmdClose->click();
        QApplication::processEvents();
    }

    void paste(const QString& text) {
        QApplication::clipboard()->setText(text);
        mainWindow->mnuEditPaste->trigger();
    }
    void undo() { mainWindow->mnuEditUndo->trigger(); }
    void redo() { mainWindow->mnuEditRedo->trigger(); }
    void undoTimes(int n) {
        for (int i = 0; i < n; ++i) undo();
    }
    void redoTimes(int n) {
        for (int i = 0; i < n; ++i) redo();
    }

    static QByteArray entries(const QVector<UndoEntry>& list) {
        QByteArray out;
        for (const UndoEntry& e : list)
            out += QByteArray::number(e.start) + ',' + QByteArray::number(e.length) + ',' + e.text.toUtf8() + '\x1f';
        return out;
    }
    QByteArray colorRunsBytes() const {
        QByteArray out;
        for (const ColorRun& r : editor->colorRuns())
            out += QByteArray::number(r.text.size()) + ':' + QByteArray::number(r.color) + ';';
        return out;
    }

    // Compares (or records) the state after a step.
    void check(const QString& step) {
        QApplication::processEvents();
        const QString key = page_ + "/" + scenario_ + "/" + step;
        const QVector<UndoEntry> undoList = doc->undoList().mid(0, doc->undoI);
        const QVector<UndoEntry> redoList = doc->redoList().mid(0, doc->redoI);
        QString line = key;
        line += " text=" + QString::number(editor->textLength()) + ":" + digest(editor->text());
        line += " sel=" + QString::number(editor->selStart()) + "+" + QString::number(editor->selLength());
        line += " colors=" + digest(colorRunsBytes());
        line += QStringLiteral(" saved=%1%2").arg(int(doc->fileSaved)).arg(int(activeDocSaved));
        line += QStringLiteral(" undo=%1:%2 redo=%3:%4")
                    .arg(doc->undoI)
                    .arg(digest(entries(undoList)))
                    .arg(doc->redoI)
                    .arg(digest(entries(redoList)));
        line += QStringLiteral(" menus=%1%2").arg(int(mainWindow->mnuEditUndo->isEnabled())).arg(int(mainWindow->mnuEditRedo->isEnabled()));
        line += " status=" + QString(mainWindow->lblCursorPos->text()).replace(' ', '_');
        if (QFile::exists(tempDir + "temp.rtf")) {
            line += " rtf=" + digest(readFile(tempDir + "temp.rtf")) + " htm=" + digest(readFile(tempDir + "temp.htm"));
            QFile::remove(tempDir + "temp.rtf");
        }
        if (!lastMessage_.isEmpty()) line += " said=" + QString(lastMessage_).replace(' ', '_');
        lastMessage_.clear();
        line += QStringLiteral(" busy=%1%2").arg(int(ignoreChange)).arg(int(colorBusy));

        if (const QByteArray dir = qgetenv("KAVRIN_GOLDEN_DUMP"); !dir.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(dir));
            QFile f(QString::fromLocal8Bit(dir) + "/" + QString(key).replace('/', '_') + ".txt");
            if (f.open(QIODevice::WriteOnly)) {
                f.write(line.toUtf8() + "\n---text\n" + editor->text().toUtf8() + "\n---colors\n");
                for (const ColorRun& r : editor->colorRuns())
                    f.write(QByteArray::number(r.color, 16) + "\t" + QString(r.text).replace("\r\n", "\\r\\n").toUtf8() + "\n");
                f.write("---undo\n" + entries(undoList).replace('\x1f', '\n') + "---redo\n" +
                        entries(redoList).replace('\x1f', '\n'));
            }
        }
        if (qEnvironmentVariableIsSet("KAVRIN_GOLDEN_WRITE")) {
            golden_[key.toUtf8()] = line.toUtf8();
            return;
        }
        const auto it = golden_.find(key.toUtf8());
        ASSERT_NE(it, golden_.end()) << "no record for " << key.toStdString();
        EXPECT_EQ(line.toStdString(), it->second.toStdString());
    }

    // Runs `steps` on every page it names, each time on the page as it was opened.
    void scenario(const QString& name, const QStringList& pages, const std::function<void()>& steps) {
        for (const QString& p : pages) {
            scenario_ = name;
            open(p);
            if (HasFatalFailure()) return;
            check("opened");
            steps();
            if (HasFatalFailure()) return;
        }
    }

    DocumentWindow* doc = nullptr;
    RichTextBox* editor = nullptr;

private:
    std::map<QByteArray, QByteArray> golden_;
    QString page_;
    QString scenario_;
    QString lastMessage_;
};

const QStringList kRealPages{"readline.html", "expat-reference.html", "ninja-manual.html"};
const QStringList kGenerated{"gen-crlf", "gen-lf", "gen-mixed", "gen-foreign"};
const QStringList kAllPages = kRealPages + kGenerated;

TEST_F(BulkEditsTest, IndentAndUnindentOfTheWholePage) {
    scenario("indent-all", kAllPages, [&] {
        mainWindow->mnuEditSelectAll->trigger();
        mainWindow->mnuEditIndent->trigger();
        check("indented");
        undo();
        check("undone");
        redo();
        check("redone");
        mainWindow->mnuEditUnindent->trigger();
        check("unindented");
        mainWindow->mnuEditUnindent->trigger();
        check("unindented-again");
        undo();
        check("undone-1");
        undo();
        check("undone-2");
        undo();
        check("undone-3");
    });
}

TEST_F(BulkEditsTest, IndentAndUnindentOfPartOfThePage) {
    scenario("indent-part", kAllPages, [&] {
        const int from = at(0.3), to = at(0.6);
        editor->select(from, to - from);
        mainWindow->mnuEditIndent->trigger();
        mainWindow->mnuEditIndent->trigger();
        check("indented-twice");
        mainWindow->mnuEditUnindent->trigger();
        check("unindented");
        undo();
        check("undone");
        redo();
        check("redone");
        // A caret alone, at a line start and inside a line.
        editor->select(at(0.8, "\r\n") + 2, 0);
        mainWindow->mnuEditIndent->trigger();
        check("caret-at-line-start");
        editor->select(at(0.9) , 0);
        mainWindow->mnuEditUnindent->trigger();
        check("caret-unindent");
    });
}

TEST_F(BulkEditsTest, ReplaceAllOfACommonWord) {
    scenario("replace-word", kAllPages, [&] {
        editor->select(at(0.5), 0);
        replaceAll("the", "THE");
        check("replaced");
        undo();
        check("undone-1");
        undoTimes(doc->undoI);
        check("undone-all");
        redoTimes(3);
        check("redone-3");
        replaceAll("THE", "the", true);
        check("replaced-back");
    });
}

TEST_F(BulkEditsTest, ReplaceAllWithWholeWordsMatchCaseAndOtherLengths) {
    scenario("replace-words", kAllPages, [&] {
        replaceAll("a", "an", true, true);
        check("a-an");
        replaceAll("and", "&", false, true);
        check("and-amp");
        replaceAll("e", "", true);
        check("e-deleted");
        undoTimes(5);
        check("undone-5");
        replaceAll("the", "the", true);
        check("same-text");
    });
}

TEST_F(BulkEditsTest, ReplaceAllOfMarkup) {
    scenario("replace-markup", kAllPages, [&] {
        replaceAll("<p>", "<b>");
        check("p-b");
        replaceAll("</a>", "</TD>");
        check("a-td");
        replaceAll("-->", "-- >");
        check("comment-ends");
        replaceAll("<", "&lt;");
        check("lt");
        undo();
        check("undone-1");
        undoTimes(300);
        check("undone-300");
        redoTimes(100);
        check("redone-100");
    });
}

TEST_F(BulkEditsTest, UndoAndRedoOfEveryReplacement) {
    scenario("replace-undo-all", {"gen-crlf"}, [&] {
        replaceAll("<", "&lt;");
        check("lt");
        undoTimes(doc->undoI);
        check("undone-all");
        redoTimes(doc->redoI);
        check("redone-all");
    });
}

TEST_F(BulkEditsTest, ReplaceAllInTheSelectionAndFromTheCaret) {
    scenario("replace-scopes", kAllPages, [&] {
        const int from = at(0.25), to = at(0.5);
        editor->select(from, to - from);
        replaceAll("e", "EE", true, false, 2);
        check("selected-scope");
        editor->select(at(0.7), 0);
        replaceAll("on", "ON", true, false, 1);
        check("from-caret");
        undoTimes(2);
        check("undone-2");
    });
}

TEST_F(BulkEditsTest, CaseCommands) {
    scenario("case", kAllPages, [&] {
        mainWindow->mnuEditSelectAll->trigger();
        mainWindow->mnuToolsFormatUppercase->trigger();
        check("upper");
        undo();
        check("undone");
        const int from = at(0.4), to = at(0.6);
        editor->select(from, to - from);
        mainWindow->mnuToolsFormatPropercase->trigger();
        check("proper-part");
        mainWindow->mnuEditSelectAll->trigger();
        mainWindow->mnuToolsFormatLowercase->trigger();
        check("lower");
        undo();
        check("undone-lower");
        redo();
        check("redone-lower");
    });
}

TEST_F(BulkEditsTest, PastingLargeAndSmallText) {
    QString large;
    for (int i = 0; large.size() < 100 * 1024; ++i)
        large += QStringLiteral("<tr><td>cell %1</td><td><a href=\"x%1\">link</a></td></tr>\n<!-- note -->\n").arg(i);
    scenario("paste", kAllPages, [&] {
        editor->select(at(0.5, "<"), 0);
        paste(large);
        check("large");
        undo();
        check("large-undone");
        redo();
        check("large-redone");
        editor->select(at(0.2, ">") + 1, 0);
        paste(large.left(2000));
        check("small-after-tag");
        editor->select(at(0.3, "<"), 4);
        paste("<!-- an open comment ");
        check("open-comment");
        undo();
        check("open-comment-undone");
    });
}

TEST_F(BulkEditsTest, WholePageColouring) {
    scenario("colour", kAllPages, [&] {
        editor->select(at(0.5), 0);
        colorCodeDocument(doc);
        check("again");
        // After edits that the colouring as you type does not follow.
        replaceAll("<", "<!--x");
        colorCodeDocument(doc);
        check("after-replace");
    });
}

TEST_F(BulkEditsTest, TypingKeepsOneStepPerKey) {
    scenario("typing", kAllPages, [&] {
        editor->setFocus();
        editor->select(at(0.5, "<"), 0);
        QTest::keyClicks(editor, "<b>x</b> ");
        check("typed");
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClick(editor, Qt::Key_Backspace);
        editor->select(at(0.6, "<!--") + 2, 0);
        QTest::keyClick(editor, Qt::Key_Delete);
        check("erased");
        editor->select(at(0.7, ">") - 3, 5);
        QTest::keyClicks(editor, "q");
        check("over-selection");
        undoTimes(4);
        check("undone-4");
        redoTimes(2);
        check("redone-2");
    });
}

}  // namespace
}  // namespace kavrin::test
