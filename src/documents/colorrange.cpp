#include "documents/colorrange.h"

#include <QString>
#include <cstring>

#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/tagclasses.h"
#include "platform/richtextbox.h"

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

}  // namespace kavrin
