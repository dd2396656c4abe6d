#pragma once
// A shown main window with one new document in a colour-coded state, distinct colours for every
// class, and helpers to type and to read colours back.
#include <QFile>
#include <QTest>

#include "documents/colouring/colorcoding.h"
#include "documents/colouring/colorrtf.h"
#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"

namespace kavrin::test {

// The editor's font and a distinct colour for every class of tag.
inline void setTestFontAndColours() {
    fontName = "Courier New";
    fontSize = 10;
    tagColor = 0xA00000;
    commentColor = 0x808080;
    tableColor = 0x80;
    imageColor = 0x8000;
    anchorColor = 0xFF8000;
    fontColor = 0x408080;
    formColor = 0x808040;
    unrecognizedColor = 0xFF;
}

class EditingTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        mainWindow = new mdiMain();
        mainWindow->show();
        // The main window's start has read the settings; the tests choose their own.
        uppercaseTags = addEndingP = colorOnOpen = autoIndent = tagCompletion = wordWrap = false;
        setTestFontAndColours();
        indentText = "    ";
        tagTipDelay = 0;
        newDocument();
        doc = activeDocument();
        ASSERT_NE(doc, nullptr);
        editor = doc->txtMain;
    }

    // Puts the text in, coloured as the whole-document pass colours it, with empty histories.
    void setColoured(const QString& text) {
        ignoreChange = true;  // as a file is loaded: no undo step
        editor->setText(text);
        ignoreChange = false;
        editor->setSelStart(0);
        colorCodeDocument(doc);
        wholePassRan();
    }

    void type(const QString& keys) { QTest::keyClicks(editor, keys); }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(editor, k, mods); }

    // The colours the editor shows, as maximal runs of one colour written out: "text#colour|...".
    std::string shownColors() const {
        QVector<ColorSpan> spans;
        const QString& text = editor->text();
        for (int i = 0; i < text.size(); ++i) {
            const int color = editor->colorAt(i);
            if (spans.isEmpty() || spans.last().color != color) spans.push_back({QString(), color});
            spans.last().text += text[i];
        }
        return describe(spans).toStdString();
    }
    // What the whole-document pass would show for the current text.
    std::string passColors() const { return describe(expectedColorSpans(editor->text(), currentTagColors())).toStdString(); }

    static QString describe(const QVector<ColorSpan>& spans) {
        QString out;
        for (const ColorSpan& s : spans) {
            QString t = s.text;
            t.replace("\r", "\\r").replace("\n", "\\n");
            out += t + "#" + QString::number(s.color, 16) + "|";
        }
        return out;
    }

    QVector<UndoEntry> undoSteps() const { return doc->undoList().mid(0, doc->undoI); }
    QVector<UndoEntry> redoSteps() const { return doc->redoList().mid(0, doc->redoI); }

    // True when a whole-document pass ran since the last call (it writes "temp.rtf").
    bool wholePassRan() {
        const bool ran = QFile::exists(tempDir + "temp.rtf");
        QFile::remove(tempDir + "temp.rtf");
        return ran;
    }

    DocumentWindow* doc = nullptr;
    RichTextBox* editor = nullptr;
};

}  // namespace kavrin::test

namespace kavrin {

inline void PrintTo(const UndoEntry& e, std::ostream* os) {
    *os << "{" << e.start << ", " << e.length << ", \"" << e.text.toStdString() << "\"}";
}


}  // namespace kavrin
