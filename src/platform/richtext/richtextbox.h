#pragma once
// The source editor. Text is seen as CR LF text and every offset counts a line break as two
// characters; colours are 24-bit integers with red in the low byte. Qt's own undo, shortcuts,
// context menu, rich paste, text drag and middle-click paste are off: every edit comes through
// the program's own paths and fires Change exactly once.
#include <QByteArray>
#include <QHash>
#include <QPlainTextEdit>
#include <QTextLayout>
#include <QTextCursor>
#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QTimer>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

#include "platform/richtext/keycodes.h"
#include "platform/richtext/rtf.h"
#include "platform/richtext/colorstore.h"
#include "platform/richtext/linechunks.h"
#include "platform/richtext/splittext.h"
#include "platform/richtext/textcolors.h"
#include "platform/files/textfile.h"
#include "platform/richtext/textmoves.h"
#include "platform/richtext/textstore.h"

namespace kavrin {

// Options of find().
enum FindOptions : int { rtfWholeWord = 2, rtfMatchCase = 4, rtfNoHighlight = 8 };
// File types of loadFile() / saveFile().
enum RtfFileType : int { rtfRTF = 0, rtfText = 1 };
// Mouse buttons.
enum MouseButtonCode : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };

// One replacement of replaceRanges(): `length` characters at `start` give way to `text`.
struct TextEdit {
    int start = 0;
    int length = 0;
    QString text;
};

// What the edits since the last takeChange() did to the text: at offset `start` the text
// `removed` gave way to the `inserted` characters that stand there now.
struct TextChange {
    int start = -1;  // -1: nothing changed
    QString removed;
    int inserted = 0;
    bool isEmpty() const { return start < 0; }
};

class ColorLayout;
class RichTextBoxScope;
class WorkReport;

class RichTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    // Edits made from the start of the text to its end, each at or after the end of the one
    // before, as Replace All makes them: all in one Qt edit block, so the view is laid out once,
    // and the text cache is built once when they are finished. Until then text() is the text as
    // it was; the session's own view has the text as it stands. Colours set and read meanwhile
    // are those of the text as it stands. One Change follows finish().
    class ForwardEdits {
    public:
        explicit ForwardEdits(RichTextBox* box);
        ~ForwardEdits();
        ForwardEdits(const ForwardEdits&) = delete;
        ForwardEdits& operator=(const ForwardEdits&) = delete;

        // The text up to end(), with the edits made, and the text from end() on, as it was:
        // text().mid(restStart()).
        QStringView edited() const { return edited_; }
        qsizetype end() const { return edited_.size(); }
        qsizetype restStart() const { return restStart_; }
        QStringView rest() const { return QStringView(original_).mid(restStart_); }
        qsizetype length() const { return edited_.size() + original_.size() - restStart_; }
        const QString& original() const { return original_; }
        // Replaces `length` characters at `start` (not before end()) as setSelText replaces them
        // selected; end() is then just after the new text.
        void replace(qsizetype start, qsizetype length, const QString& text);
        // The colour selColor() reads with the caret alone at `offset`.
        int caretColor(qsizetype offset) const;
        void setColor(qsizetype start, qsizetype length, int color);
        int edits() const { return edits_; }
        void finish();

    private:
        // The character at `i` of the text as it stands.
        QChar charAt(qsizetype i) const;

        RichTextBox* box_;
        std::unique_ptr<RichTextBoxScope> scope_;
        QTextCursor cursor_;
        QString original_;
        QString edited_;
        qsizetype restStart_ = 0;
        int endPosition_ = 0;  // the document position of end()
        std::vector<qsizetype> softAt_;  // the offsets where pieces of a line meet
        qsizetype firstEdit_ = -1;
        int firstPosition_ = 0;  // its document position
        int edits_ = 0;
        bool finished_ = false;
    };

    explicit RichTextBox(QWidget* parent = nullptr);

    // Whole text with CR LF line breaks; kept up to date on every change. Reading it after an
    // edit costs a move of the text after the edit, once: what reads around the caret on every
    // keystroke reads textParts() instead.
    const QString& text() const { return store_.text(); }
    // The same text as it stands in the editor's store, without moving anything: the text up to
    // the last edit, and the text after it.
    SplitText textParts() const { return store_.parts(); }
    // The same, split where an edit is about to be made: the head is all the text before
    // `offset`, and the edit finds the gap in place.
    SplitText textPartsAt(int offset) const { return store_.partsAt(offset); }
    // The `length` characters at `start`, clipped like QString::mid.
    QString textMid(int start, int length) const { return textParts().mid(start, length); }
    // Replaces the whole text (in the current typing colour) and fires Change.
    void setText(const QString& text);
    int textLength() const { return int(store_.length()); }

    int selStart() const;
    // Moves the caret and collapses the selection.
    void setSelStart(int offset);
    int selLength() const;
    // Extends the selection from selStart.
    void setSelLength(int length);
    void select(int start, int length);
    QString selText() const;
    // Replaces the selection as typing would (in the typing colour) and fires Change at once.
    void setSelText(const QString& text);
    // The same with the new text already in its colours: `colors` covers it in order (offsets
    // of the text as it will lie, each range set whole as setRangeColors sets it), so that no
    // colouring pass over it follows.
    void setSelText(const QString& text, const QVector<ColorRange>& colors);
    // Makes several edits as one: each replaces `length` characters at `start` (offsets of the
    // text before the edits, in rising order, not overlapping) with its text, typed in the
    // colour setSelText would give it there. One Qt edit block, so the view is laid out once;
    // the text cache is built in one pass; one Change.
    void replaceRanges(const QVector<TextEdit>& edits);
    // Colour of the selection (of its first character), or the typing colour with no selection.
    int selColor() const;
    void setSelColor(int color);
    // Colours a range without touching the selection or the view; no Change.
    void setRangeColor(int start, int length, int color);
    // The same for several ranges at once, later ones over earlier ones: the text is laid out
    // again once, not once per range, which matters on long lines.
    void setRangeColors(const QVector<ColorRange>& ranges);
    // Gives the text from `from` on the colours of `pieces` in order (-1: the colour shown
    // stays), setting only those that differ; no Change.
    void setColorPieces(int from, const ColorPieces& pieces);
    // Colour of the character at offset.
    int colorAt(int offset) const;
    // A document holding the text (or the selection alone) in its colours, for printing.
    std::unique_ptr<QTextDocument> coloredDocument(bool selectionOnly) const;

    // The change the text went through since the last call, edits in a row merged into one;
    // afterwards nothing is pending. The inserted text is text().mid(start, inserted) until
    // the next edit.
    TextChange takeChange();
    const TextChange& pendingTextChange() const { return change_; }

    // Finds text from start to end (-1: end of text); selects the hit unless rtfNoHighlight.
    // Without a start (-1) the search covers the current selection, or runs from the caret to
    // the end when nothing is selected. A whole word is not touched by a letter, digit or "_".
    // Returns the hit's offset or -1.
    int find(const QString& what, int start = -1, int end = -1, int options = 0);

    // Plain text or RTF. A text file is read as readTextFile() does and its format remembered,
    // so saveFile writes it back the same way. Both return false with lastError() set.
    bool loadFile(const QString& path, int fileType = rtfRTF);
    bool saveFile(const QString& path, int fileType = rtfRTF);
    QString lastError() const { return lastError_; }
    // The format text is saved in (taken from the last loaded text file; new text: UTF-8, CR LF).
    TextFormat textFormat() const { return format_; }
    void setTextFormat(const TextFormat& format) { format_ = format; }
    // Replaces the whole text with the runs (one Change); the caret goes to the start.
    void setColorRuns(const QVector<ColorRun>& runs);
    // The text cut into runs of one colour each.
    QVector<ColorRun> colorRuns() const;
    // The text loaded next gets its colours straight after, before the event loop next runs:
    // until then its lines wait to be laid out, so that each is laid out once, in its colours
    // and at the size it is shown at.
    void awaitColors();
    // Loads RTF text as the colouring writes it; false when it is not RTF.
    bool loadRtf(const QByteArray& rtf);
    // The same from a device, read a piece at a time (a colouring's work file): the text is
    // never held whole. False with lastError() set when it cannot be read or is not RTF.
    bool loadRtf(QIODevice& source);

    // 0: wrap at the window's edge; anything else: no wrapping.
    int rightMargin() const { return rightMargin_; }
    void setRightMargin(int margin);

    // Free text the program keeps on the control.
    QString tag;

    // Off: the view does not repaint until switched on again.
    void setRedraw(bool on);
    bool redraw() const { return redraw_; }

    // 0-based line of an offset (-1: of the caret), and the first offset of a line (-1: caret's line).
    int lineFromChar(int offset) const;
    int lineIndex(int line) const;
    int lineCount() const;
    // Caret rectangle in the editor's own pixel coordinates.
    QRect caretRect() const;

    // Offset mapping between CR LF offsets and document positions.
    int toPosition(int offset) const;
    int toOffset(int position) const;

signals:
    // A long edit or recolouring is under way: `done` of its `total` (in units of its own) is
    // done. Sent some hundred times over a long one, the last time with done == total.
    void Working(qint64 done, qint64 total);
    void Change();
    void SelChange();
    // keyCode is a Windows virtual-key code; setting it to 0 swallows the key.
    void KeyDown(int& keyCode, int shift);
    // keyAscii is the character typed; setting it to 0 swallows it.
    void KeyPress(int& keyAscii);
    void KeyUp(int& keyCode, int shift);
    // x and y in pixels of the editor.
    void MouseDown(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void Click();
    void GotFocus();
    void LostFocus();
    // Drags from the program's own panes (file list items).
    void DragOver(QDragMoveEvent* event);
    void DragDrop(QDropEvent* event);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    friend class RichTextBoxScope;
    void onContentsChange(int position, int removed, int added);
    // Notes that the blocks over document positions [from, to] may need cutting or joining.
    void notePieces(int from, int to);
    // Holds the mark of the block at `position` across an edit there; nothing to hold while no
    // line of the page is cut.
    KeepMark keepMark(int position) const { return KeepMark(document(), position, !soft_.isEmpty()); }
    // Cuts blocks grown too long and joins pieces grown too short where edits were made. This
    // changes the document but not the text: no Change, nothing to undo, the caret where it was.
    void reshapeNoted();
    // Inside an open edit: cuts the blocks over [from, to] that are too long, before Qt lays
    // them out.
    void reshapeNow(int from, int to);
    void rebuildCache();
    // The cache becomes `text`, without a gap.
    void setCache(QString text);
    // Adds an edit of the cache `before` (its [start, end) replaced by `inserted` characters) to
    // the pending change.
    void noteChange(const SplitText& before, qsizetype start, qsizetype end, qsizetype inserted);
    void noteChange(const QString& before, qsizetype start, qsizetype end, qsizetype inserted);
    bool cacheConsistent() const;
    void noteSelChange();
    void scheduleFlush();
    void flushPending();
    // Replaces the whole document by the runs `produce` hands to its sink, in one edit block,
    // the cache built from them; `emptyColor` is the typing colour when no text comes.
    void replaceAll(const std::function<void(const ColorRunSink&)>& produce, int emptyColor);
    void replaceAll(const QVector<ColorRun>& runs);
    // Hands runs to the sink, from the start each time it is called; false when there are none
    // to be had (not RTF, unreadable).
    using RunSource = std::function<bool(const ColorRunSink&)>;
    // Loads the runs of `source`: their colours set in place when their text is the one shown,
    // else the whole text replaced by them.
    bool loadRuns(const RunSource& source);
    // Applies the colours of runs that hold exactly the text shown; false when their text
    // differs (the colours of a part may have been set by then) or, `readable` false, when the
    // source has none to give.
    bool recolorInPlace(const RunSource& source, bool* readable);
    // Replaces the document range with CR LF text in one edit block (the cache follows through
    // contentsChange); `color` < 0: the typing colour.
    void replaceRange(int from, int to, const QString& text, int color);
    // Inserts CR LF text at the cursor, a long one in pieces whose progress `report`
    // tells, counting on from `doneBefore`.
    void insertInPieces(QTextCursor& c, QStringView text, WorkReport& report, qsizetype doneBefore = 0);
    // The colour a text typed at `position` takes, as setSelText gives it: with `replacing`,
    // that of the first replaced character, else that of a caret put there.
    int inheritedColor(int position, bool replacing) const;
    // The colour a caret at `position` types in, the typing colour aside: that of the character
    // before it, or of the line's first character at the start of a line.
    int caretColorAt(int position) const;
    // The colour the cursor types in: the typing colour set while it stood where it stands, else
    // that of its position.
    int cursorColor(const QTextCursor& c) const;
    // Gives the text from `from` on the colours of `wanted`, setting only those that differ.
    void applyPieces(qsizetype from, const ColorPieces& wanted);
    // The colours of [span) changed: their lines are painted again when next shown.
    void colorsChanged(ColorStore::Span span);
    // The colours of the text Qt reports added at `start` (CR LF offsets), `added` long, over
    // `removed` characters: those the running operation gave, else the caret's.
    void spliceColors(qsizetype start, qsizetype removed, qsizetype added);
    // Paints the blocks of a changed stretch now when they are few, else when they are shown.
    void repaintChanged(int position, int added);
    void paintBlock(const QTextBlock& block, QList<QTextLayout::FormatRange>& ranges) const;
    // Qt's own handling of a key or input-method event, the text it inserts in the cursor's colour.
    void typeAsQt(const std::function<void()>& handle);
    // Qt's handling of a key, where a line is held in pieces made to treat it as one line.
    void keyAsQt(QKeyEvent* e);
    // Handles a key that would stop at a soft break, or see only the piece of a line it stands
    // in; false when Qt's own handling does.
    bool keyAcrossPieces(QKeyEvent* e);
    // The line (CR LF offsets) that holds a document position.
    LineSpan lineSpanAt(int position) const;
    // Up, Down, Page Up and Page Down over lines held side by side in pieces; false for others.
    bool verticalAcrossPieces(QKeyEvent* e);
    // Makes the cursor the editor's, the piece it stands in carrying its row first, so that
    // what Qt then asks about the caret's block the block itself answers.
    void placeCursor(const QTextCursor& c);
    // After the piece that carries a row changed: the view's first block is one Qt can scroll
    // from again.
    void carryCaret();

    // A row as the view shows it: a block, or a line held side by side in pieces.
    struct ShownRow {
        QTextBlock block;  // a line held whole, or one of the pieces of a line
        qreal top = 0;     // where it starts as Qt stacks blocks, in viewport coordinates
        qreal height = 0;
        qreal shift = 0;   // how far its text stands below its top
        bool pieces = false;
        bool isValid() const { return block.isValid(); }
    };
    ShownRow rowAt(const QTextBlock& block, qreal top) const;
    ShownRow firstShownRow() const;
    ShownRow nextRow(const ShownRow& row) const;
    ShownRow previousRow(const ShownRow& row) const;
    // The document position at a point of the viewport.
    int hitPosition(const QPointF& point) const;
    // Where the caret stands across its row, in the document's coordinates.
    qreal caretX() const;
    // The position in the row of Qt's line number `line` nearest to `x`.
    int positionInRow(int line, qreal x) const;
    void paintShownBlock(QPainter& painter, const QTextBlock& block, const QPointF& at, const QRect& exposed,
                         const QAbstractTextDocumentLayout::PaintContext& context) const;
    // Wrapped rows of lines held in pieces: a row begins in one block's line and may go on in
    // the first line of the next pieces.
    struct RowPart {
        QTextBlock block;
        int line = 0;
        bool isValid() const { return block.isValid(); }
    };
    // The line of a block (-1: its last), laid out where the piece before ended.
    RowPart laidPart(const QTextBlock& block, int line) const;
    // The first part of the row a part is in, the parts of the row that begins at `start`, and
    // the first part of the row holding a document position.
    RowPart rowStart(RowPart part) const;
    QList<RowPart> rowParts(RowPart start) const;
    RowPart partAt(int position) const;
    // The first part of the row after a row, and of the row before the one a part begins.
    RowPart nextRowStart(const QList<RowPart>& row) const;
    RowPart previousRowStart(const RowPart& first) const;
    int positionInRow(const QList<RowPart>& parts, qreal x) const;
    // Up, Down, Page Up and Page Down, Home and End over wrapped lines held in pieces.
    bool wrappedAcrossPieces(QKeyEvent* e);
    // The mouse over lines held in pieces: the view's own hit test instead of Qt's, which sees
    // one block of a row.
    void pressAcrossPieces(QMouseEvent* e);
    void dragAcrossPieces(const QPointF& point);
    void autoScroll();
    // Puts the cursor's position at `offset`, keeping the anchor with `keep`, and shows it.
    void moveCaretTo(int offset, bool keep);
    void stopAwaitingColors();

    TextStore store_;
    ColorStore colors_;
    // Where lines are held as several pieces.
    SoftBreaks soft_;
    // The stretch of document positions whose pieces want looking at after the running edit.
    int reshapeFrom_ = -1;
    int reshapeTo_ = -1;
    // Pieces were cut while an edit was open: the change Qt reports may hold soft breaks.
    bool marksMade_ = false;
    bool reshaping_ = false;
    ColorLayout* layout_ = nullptr;
    TextChange change_;
    mutable FormatCache formats_;
    // The typing colour of an empty first line.
    int headColor_ = 0;
    // A typing colour set with nothing selected, and the document position it was set at: it
    // holds until the caret moves.
    int typingColor_ = -1;
    int typingPosition_ = -1;
    // The colours the running operation gives the text it inserts: one colour, or pieces.
    struct Staged {
        bool set = false;
        int color = 0;
        ColorPieces pieces;
    };
    Staged staged_;
    QString lastError_;
    TextFormat format_;
    int rightMargin_ = 0;
    // Since the wrap changed and until the caret moves or the user scrolls, the view keeps the
    // caret in sight while the rows above it are counted.
    bool followCaret_ = false;
    bool redraw_ = true;
    bool bulk_ = false;        // replaceAll builds the cache itself
    bool leftPressed_ = false;
    bool painting_ = false;
    // Where Up and Down aim across the rows, kept over a run of them; -1: from the caret.
    qreal goalX_ = -1;
    bool movingUpDown_ = false;
    // A press, double or triple click over lines held in pieces: what a drag extends by, the
    // word or line first taken (CR LF offsets), and where the last clicks were.
    enum class DragUnit { None, Characters, Words, Lines };
    DragUnit drag_ = DragUnit::None;
    LineSpan dragFirst_;
    QElapsedTimer doubleClicked_;
    QPointF doubleClickAt_;
    QPointF dragAt_;
    QTimer* autoScroll_ = nullptr;
    // Change and SelChange are held back while Qt is inside its own edit or event and sent
    // once when it has finished, so handlers may edit the text again.
    int scopeDepth_ = 0;
    bool pendingChange_ = false;
    bool pendingSel_ = false;
    bool flushQueued_ = false;
};

}  // namespace kavrin
