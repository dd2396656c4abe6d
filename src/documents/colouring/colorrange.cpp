#include "documents/colouring/colorrange.h"

#include <QString>
#include <cstring>

#include "documents/colouring/colorsync.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/colouring/tagclasses.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin {

qsizetype lastIndexBefore(QStringView text, char16_t c, qsizetype before) {
    qsizetype i = qBound<qsizetype>(0, before, text.size());
    const char16_t* p = text.utf16();
    // Four characters at a time, so that a long stretch without the character (a page with no
    // comments, a text with no tags) costs little per keystroke: after the xor a lane that held
    // the character is zero, and the test below is exact about whether a zero lane exists.
    const quint64 ones = 0x0001000100010001ULL;
    const quint64 pattern = ones * c;
    while (i >= 4) {
        quint64 v;
        std::memcpy(&v, p + i - 4, sizeof v);
        v ^= pattern;
        if ((v - ones) & ~v & 0x8000800080008000ULL) break;
        i -= 4;
    }
    while (i > 0) {
        --i;
        if (p[i] == c) return i;
    }
    return -1;
}

qsizetype openCommentBefore(QStringView t, qsizetype limit) {
    limit = qBound<qsizetype>(0, limit, t.size());
    // Every "<!--" and "-->" holds a "-": walk back over those, nearest first, so the one that
    // starts latest decides.
    qsizetype k = limit;
    while ((k = lastIndexBefore(t, u'-', k)) >= 0) {
        if (k + 3 <= limit && t[k + 1] == u'-' && t[k + 2] == u'>') return -1;
        if (k >= 3 && t[k - 1] == u'-' && t[k - 2] == u'!' && t[k - 3] == u'<') {
            // In "<!-->" the "-->" starts after the "<!--": the comment is already closed.
            if (k + 2 <= limit && t[k + 1] == u'>') return -1;
            return k - 3;
        }
    }
    return -1;
}

namespace {

// How one "-" at k decides the comment state at `limit`, walking back from it: 1 a comment that
// ended (a "-->" wholly before `limit`), 2 a comment open since k - 3, 0 undecided.
int commentMark(QStringView t, qsizetype k, qsizetype limit) {
    if (k + 3 <= limit && t[k + 1] == u'-' && t[k + 2] == u'>') return 1;
    if (k >= 3 && t[k - 1] == u'-' && t[k - 2] == u'!' && t[k - 3] == u'<') {
        // In "<!-->" the "-->" starts after the "<!--": the comment is already closed.
        if (k + 2 <= limit && t[k + 1] == u'>') return 1;
        return 2;
    }
    return 0;
}

}  // namespace

CaretSurroundings caretSurroundings(QStringView t, qsizetype p) {
    p = qBound<qsizetype>(0, p, t.size());
    return caretSurroundings(SplitText(t.left(p), t.mid(p)));
}

CaretSurroundings caretSurroundings(const SplitText& t) {
    // Backwards from the caret only the head is read, forwards only the tail.
    const QStringView head = t.head, tail = t.tail;
    const qsizetype p = head.size();
    const auto ahead = [p](qsizetype at) { return at < 0 ? at : p + at; };
    CaretSurroundings s;
    s.comment = openCommentBefore(head, p);
    if (s.comment >= 0)
        s.commentClose = p >= 1 && t.matches(p - 1, u"-->") ? p - 1 : ahead(tail.indexOf(u"-->"));
    s.lt = lastIndexBefore(head, u'<', p);
    s.gt = lastIndexBefore(head, u'>', p);
    if (s.gt >= 0 && s.gt == p - 1) s.prevGt = lastIndexBefore(head, u'>', s.gt);
    s.nextGt = ahead(tail.indexOf(u'>'));
    s.nextLt = ahead(tail.indexOf(u'<'));
    if (s.lt >= 0) s.tagText = t.mid(s.lt + 1, 12);
    if (p >= 3 && head.mid(p - 3, 3) == u"-->") s.closedComment = openCommentBefore(head, p - 1);
    return s;
}

namespace {

CaretRecolor recolorAt(const CaretSurroundings& s, qsizetype p, int caretColor) {
    CaretRecolor r;
    if (s.comment >= 0 && s.commentClose >= 0) {
        if (caretColor != commentColor) r = {CaretRecolor::Range, s.comment, s.commentClose - s.comment + 3, commentColor};
        return r;
    }
    // The tag's own ">" comes before any further tag.
    const bool closes = s.nextGt >= 0 && (s.nextLt < 0 || s.nextGt < s.nextLt);
    if (s.lt < 0 || s.lt < s.gt) {
        // The ">" just typed closed a tag: it takes the tag's colour whatever the typing colour
        // was (a ">" typed right before a "<" comes out black).
        const bool tagJustClosed = s.lt >= 0 && s.gt == p - 1 && s.prevGt < s.lt && s.closedComment < 0 &&
                                   !s.tagText.startsWith(u"!--");
        if (tagJustClosed) {
            const int color = tagColorFor(s.tagText);
            if (caretColor != color) return {CaretRecolor::Range, s.lt, s.gt - s.lt + 1, color};
        }
        if (caretColor != 0) {
            if (closes)
                r = {CaretRecolor::Range, s.gt + 1, s.nextGt - s.gt - 1, 0};
            else
                r = {CaretRecolor::TypingColor, 0, 0, 0};
        }
        return r;
    }
    // A tag not yet closed is the one being typed: what follows the caret is not its name yet
    // ("</b" typed in front of "two" is a "b" end tag, not an unknown "btwo").
    const QStringView tagText = closes ? QStringView(s.tagText) : QStringView(s.tagText).left(p - s.lt - 1);
    const int color = tagColorFor(tagText);
    if (caretColor != color) {
        const qsizetype last = closes ? s.nextGt + 1 : p;
        r = {CaretRecolor::Range, s.lt, last - s.lt, color};
    }
    return r;
}

}  // namespace

CaretRecolor recolorAroundCaret(const CaretSurroundings& s, qsizetype p, int caretColor) {
    CaretRecolor r = recolorAt(s, p, caretColor);
    if (s.closedComment >= 0) r.restoreFrom = p;
    return r;
}

CaretSurroundings CaretScanner::at(QStringView edited, qsizetype restStart) {
    const qsizetype p = edited.size();
    const QStringView rest = original_.mid(restStart);
    CaretSurroundings s;

    // Backwards: only what was added to the edited text since the last call is new.
    for (qsizetype i = scanned_; i < p; ++i) {
        if (edited[i] == u'<') lastLt_ = i;
        else if (edited[i] == u'>') {
            prevGt_ = lastGt_;
            lastGt_ = i;
        }
    }
    scanned_ = p;
    s.lt = lastLt_;
    s.gt = lastGt_;
    if (s.gt >= 0 && s.gt == p - 1) s.prevGt = prevGt_;

    // The comment state: a "-" far enough before the caret decides alike for every caret after
    // it, so those are settled once; the few nearer ones are looked at each time.
    const qsizetype settle = qMax<qsizetype>(0, p - 3);
    if (settle > settled_) {
        for (qsizetype k = settle - 1; k >= settled_; --k) {
            if (edited[k] != u'-') continue;
            if (const int mark = commentMark(edited, k, p)) {
                settledComment_ = mark == 2 ? k - 3 : -1;
                settledDecided_ = true;
                break;
            }
        }
        settled_ = settle;
    }
    s.comment = settledDecided_ ? settledComment_ : -1;
    for (qsizetype k = p - 1; k >= settled_; --k) {
        if (edited[k] != u'-') continue;
        if (const int mark = commentMark(edited, k, p)) {
            s.comment = mark == 2 ? k - 3 : -1;
            break;
        }
    }

    // Forwards in what is left of the original: a hit found earlier stands until it is passed.
    auto next = [&](qsizetype& found, qsizetype& from, auto needle) {
        if (found == -2 || (found >= 0 && found < restStart) || (found == -1 && from > restStart)) {
            found = original_.indexOf(needle, restStart);
            from = restStart;
        }
        return found < 0 ? qsizetype(-1) : p + (found - restStart);
    };
    s.nextGt = next(nextGt_, gtFrom_, u'>');
    s.nextLt = next(nextLt_, ltFrom_, u'<');
    if (s.comment >= 0) {
        // From just before the caret: the last edited character may begin the "-->".
        const auto charAt = [&](qsizetype i) { return i < p ? edited[i] : rest[i - p]; };
        const qsizetype total = p + rest.size();
        if (p >= 1 && p + 1 < total && charAt(p - 1) == u'-' && charAt(p) == u'-' && charAt(p + 1) == u'>')
            s.commentClose = p - 1;
        else
            s.commentClose = next(nextClose_, closeFrom_, QStringView(u"-->"));
    }
    if (s.lt >= 0) {
        const qsizetype from = s.lt + 1;
        if (from < p) s.tagText = edited.mid(from, 12).toString();
        if (s.tagText.size() < 12) s.tagText += rest.mid(qMax<qsizetype>(0, from - p), 12 - s.tagText.size());
    }
    // Looks back only to the nearest comment mark, which the edits made so far keep near.
    if (p >= 3 && edited.mid(p - 3, 3) == u"-->") s.closedComment = openCommentBefore(edited, p - 1);
    return s;
}

void colorCodeRange(int start, int length) {
    if (DocumentWindow* doc = activeDocument()) colorCodeRange(doc->txtMain, start, length);
}

void colorCodeRange(RichTextBox* editor, int start, int length) {
    if (!editor) return;
    colorBusy = true;
    const QString text = editor->text();  // shares the editor's copy
    const QStringView t(text);
    const qsizetype n = t.size();
    const qsizetype from = qBound<qsizetype>(0, qsizetype(start), n);
    const qsizetype end = qBound<qsizetype>(from, from + qMax(0, length), n);  // one past the range
    const TagColors colors = currentTagColors();
    // Collected and applied together, so the editor lays the text out once.
    QVector<ColorRange> ranges;
    auto colourTag = [&](qsizetype lt, qsizetype gt) {
        ranges.append({int(lt), int(gt - lt + 1), tagColorFor(t.mid(lt + 1, 12), colors)});
    };
    auto colourComment = [&](qsizetype lt, qsizetype last) {
        ranges.append({int(lt), int(last - lt + 1), commentColor});
    };

    // The walk begins at the last "<" before the range, which may lie inside a comment.
    qsizetype walk = 0;
    bool inComment = false;
    bool tagOpen = false;
    qsizetype open = -1;
    const qsizetype lt = lastIndexBefore(t, u'<', from);
    if (lt >= 0) {
        walk = lt;
        const qsizetype comment = openCommentBefore(t, lt + 1);
        if (comment >= 0 && t.indexOf(u"-->", lt) >= 0) {
            inComment = true;
            open = comment;
        }
    }
    ranges.append({int(walk), int(end - walk), 0});

    for (qsizetype i = walk; i < end; ++i) {
        const char16_t c = t[i].unicode();
        if (inComment) {
            if (i >= 2 && c == u'>' && t[i - 1] == u'-' && t[i - 2] == u'-') {
                colourComment(open, i);
                inComment = false;
            }
        } else if (c == u'<') {
            // A "<" inside an open tag abandons the earlier one, which stays black.
            tagOpen = true;
            open = i;
        } else if (c == u'!' && tagOpen) {
            if (i >= 1 && t.mid(i - 1, 4) == u"<!--") {
                tagOpen = false;
                inComment = true;
                open = i - 1;
            }
        } else if (c == u'>' && tagOpen) {
            colourTag(open, i);
            tagOpen = false;
        }
    }

    if (tagOpen) {
        // A tag still open may close a little further on, unless another tag starts first.
        const qsizetype limit = qMin(n, open + 500);
        for (qsizetype i = end; i < limit; ++i) {
            const char16_t c = t[i].unicode();
            if (c == u'<') break;
            if (c == u'>') {
                colourTag(open, i);
                break;
            }
        }
    } else if (inComment) {
        const qsizetype close = t.indexOf(u"-->", qMax<qsizetype>(0, open - 1));
        if (close >= 0) colourComment(open, close + 2);
    }
    editor->setRangeColors(ranges);
    colorBusy = false;
}

namespace {

// The stretch as ranges to colour, those that start before `from` left out and the first one cut
// there.
QVector<ColorRange> stretchRanges(const PageColorStretch& s, qsizetype from = 0) {
    QVector<ColorRange> ranges;
    ranges.reserve(s.runs.size());
    qsizetype at = s.from;
    for (const ColorPieceRun& r : s.runs) {
        const qsizetype runEnd = at + r.length;
        const qsizetype a = qMax(at, from);
        if (runEnd > a) ranges.append({int(a), int(runEnd - a), r.color});
        at = runEnd;
    }
    return ranges;
}

}  // namespace

void colorCodeRunOn(RichTextBox* editor, int start, QStringView removed, int inserted) {
    if (!editor) return;
    colorBusy = true;
    const PageColorStretch s = pageColorsAfterChange(editor->textParts(), start, removed, inserted, currentTagColors());
    editor->setRangeColors(stretchRanges(s, qsizetype(start) + inserted));
    colorBusy = false;
}

void colorCodeChanged(RichTextBox* editor, int start, QStringView removed, int inserted) {
    if (!editor) return;
    colorBusy = true;
    const PageColorStretch s = pageColorsAfterChange(editor->textParts(), start, removed, inserted, currentTagColors());
    ColorPieces pieces;
    pieces.reserve(size_t(s.runs.size()));
    for (const ColorPieceRun& r : s.runs) pieces.push_back({r.length, r.color});
    editor->setColorPieces(int(s.from), pieces);
    colorBusy = false;
}

void pasteColored(RichTextBox* editor, const QString& text) {
    if (!editor) return;
    const int start = editor->selStart();
    const int end = start + editor->selLength();
    const PageColorStretch s =
        pageColorsForChange(editor->textPartsAt(start), start, end - start, text, currentTagColors());
    // The pasted text takes its colours as it goes in, so that Qt never splits it again to colour
    // it; the text on either side keeps what it shows where that agrees.
    const QVector<ColorRange> ranges = stretchRanges(s);
    QVector<ColorRange> pasted;
    const qsizetype pastedEnd = start + text.size();
    for (const ColorRange& r : ranges) {
        const qsizetype a = qMax<qsizetype>(r.start, start), b = qMin<qsizetype>(qsizetype(r.start) + r.length, pastedEnd);
        if (b > a) pasted.append({int(a), int(b - a), r.color});
    }
    const bool handled = !ignoreChange;
    editor->setSelText(text, pasted);  // an edit like any other: not inside colorBusy
    // The change handler has meanwhile coloured around the caret as typing does: the whole
    // stretch is set again, which touches only what differs. Without the handler (an undo) the
    // new text holds its colours already, and only the text on either side is set.
    colorBusy = true;
    if (handled) {
        editor->setRangeColors(ranges);
    } else {
        QVector<ColorRange> before, after;
        for (const ColorRange& r : ranges) {
            const qsizetype a = r.start, b = qsizetype(r.start) + r.length;
            if (a < start) before.append({r.start, int(qMin<qsizetype>(b, start) - a), r.color});
            if (b > pastedEnd) {
                const qsizetype from = qMax(a, pastedEnd);
                after.append({int(from), int(b - from), r.color});
            }
        }
        editor->setRangeColors(before);
        editor->setRangeColors(after);
    }
    colorBusy = false;
}

}  // namespace kavrin
