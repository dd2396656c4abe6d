#pragma once
// How the real-pages measure judges one edit made in Design: the page's source as loaded and as
// it came back, and whether the change is the one the edit explains and nothing more.
#include <algorithm>

#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

namespace kavrin::test::realpages {

// The page's text as the source writes it: tags, comments, declarations and the content of
// script, style, title, template and noscript left out, every other character kept with the
// source offset it stands at. Entities stay as written, their characters marked.
struct ShownText {
    QString text;
    QList<int> at;
    QList<bool> entity;
};

inline bool isInlineTag(const QString& name) {
    static const QSet<QString> names{"a",    "abbr", "b",     "bdi",  "bdo",    "big", "cite", "code", "data", "dfn",
                                     "em",   "font", "i",     "kbd",  "label",  "mark", "nobr", "q",    "s",    "samp",
                                     "small", "span", "strike", "strong", "sub", "sup",  "time", "tt",   "u",    "var"};
    return names.contains(name.toLower());
}

// The tag that starts at `pos` ('<'): its end (past '>'), name (lower case) and whether it
// closes. False when no tag starts there (a '<' of text).
inline bool tagAt(const QString& s, int pos, int* end, QString* name, bool* closing) {
    int k = pos + 1;
    const bool close = k < s.size() && s[k] == '/';
    if (close) ++k;
    if (k >= s.size() || !s[k].isLetter()) return false;
    int n = k;
    while (n < s.size() && (s[n].isLetterOrNumber() || s[n] == '-' || s[n] == ':')) ++n;
    int e = n;
    QChar quote;
    while (e < s.size()) {
        const QChar c = s[e];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == '"' || c == '\'') {
            if (s[e - 1].isSpace() || s[e - 1] == '=') quote = c;
        } else if (c == '>') {
            break;
        }
        ++e;
    }
    *end = e < s.size() ? e + 1 : s.size();
    *name = s.mid(k, n - k).toLower();
    *closing = close;
    return true;
}

inline ShownText shownText(const QString& s) {
    ShownText shown;
    shown.text.reserve(s.size());
    int i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == '<') {
            if (s.mid(i, 4) == "<!--") {
                const int e = s.indexOf("-->", i + 4);
                i = e < 0 ? s.size() : e + 3;
                continue;
            }
            if (i + 1 < s.size() && (s[i + 1] == '!' || s[i + 1] == '?')) {
                const int e = s.indexOf('>', i);
                i = e < 0 ? s.size() : e + 1;
                continue;
            }
            int end;
            QString name;
            bool closing;
            if (tagAt(s, i, &end, &name, &closing)) {
                i = end;
                static const QSet<QString> raw{"script", "style", "title", "template", "noscript"};
                if (!closing && raw.contains(name)) {
                    const int e = s.indexOf("</" + name, i, Qt::CaseInsensitive);
                    i = e < 0 ? s.size() : e;
                }
                continue;
            }
        }
        if (c == '&') {
            static const QRegularExpression ref("&(#[0-9]+|#[xX][0-9a-fA-F]+|[A-Za-z][A-Za-z0-9]*);?");
            const QRegularExpressionMatch m = ref.match(s, i, QRegularExpression::NormalMatch,
                                                        QRegularExpression::AnchorAtOffsetMatchOption);
            if (m.hasMatch()) {
                for (int k = 0; k < m.capturedLength(); ++k) {
                    shown.text += s[i + k];
                    shown.at << i + k;
                    shown.entity << true;
                }
                i += m.capturedLength();
                continue;
            }
        }
        shown.text += c;
        shown.at << i;
        shown.entity << false;
        ++i;
    }
    return shown;
}

// Where in the shown text the first occurrence of `word` stands that is written in one piece
// (no tag or entity within it), as the page's first text node holding it shows it; -1 if none.
inline int findWord(const ShownText& shown, const QString& word) {
    for (int k = shown.text.indexOf(word); k >= 0; k = shown.text.indexOf(word, k + 1)) {
        bool whole = shown.at[k + word.size() - 1] - shown.at[k] == word.size() - 1;
        for (int n = 0; whole && n < word.size(); ++n) whole = !shown.entity[k + n];
        if (whole) return k;
    }
    return -1;
}

// How far back from `pos` a caret shown before the character at `pos` may stand in the source:
// over blanks and the tags of inline elements.
inline int caretReach(const QString& s, int pos) {
    int j = pos;
    while (j > 0) {
        if (s[j - 1].isSpace()) {
            --j;
            continue;
        }
        if (s[j - 1] != '>') break;
        const int open = s.lastIndexOf('<', j - 1);
        int end;
        QString name;
        bool closing;
        if (open < 0 || !tagAt(s, open, &end, &name, &closing) || end != j || !isInlineTag(name)) break;
        j = open;
    }
    return j;
}

// A caret at `p` stands before the character at `pos` as the page shows it: only blanks and
// inline tags lie between, and where blanks of the text do (not those inside a tag), the caret
// stands after one of them.
inline bool caretPlaceFits(const QString& s, int p, int pos) {
    if (p > pos || p < caretReach(s, pos)) return false;
    const int reach = caretReach(s, pos);
    auto hasBlank = [&](int from, int to) {
        for (int k = from; k < to; ++k) {
            int end;
            QString name;
            bool closing;
            if (s[k] == '<' && tagAt(s, k, &end, &name, &closing)) k = end - 1;
            else if (s[k].isSpace()) return true;
        }
        return false;
    };
    return !hasBlank(reach, pos) || hasBlank(reach, p);
}

// Whether an end tag lies between `p` and `pos`: text put at `p` would stand in an element that
// the character at `pos` is not in.
inline bool endTagBetween(const QString& s, int p, int pos) {
    for (int k = s.indexOf("</", p); k >= 0 && k < pos; k = s.indexOf("</", k + 2)) {
        int end;
        QString name;
        bool closing;
        if (tagAt(s, k, &end, &name, &closing) && end <= pos) return true;
    }
    return false;
}

// Lengths of the common start and end of `a` and `b`, the end not reaching into the start.
inline void commonEnds(const QString& a, const QString& b, int* prefix, int* suffix, bool overlap = false) {
    int i = 0;
    const int n = qMin(a.size(), b.size());
    while (i < n && a[i] == b[i]) ++i;
    int j = 0;
    const int m = overlap ? n : n - i;
    while (j < m && a[a.size() - 1 - j] == b[b.size() - 1 - j]) ++j;
    *prefix = i;
    *suffix = j;
}

// The places p where `after` is `before` with `inserted` put in at p.
inline QList<int> insertionPlaces(const QString& before, const QString& after, const QString& inserted) {
    QList<int> places;
    if (after.size() != before.size() + inserted.size()) return places;
    int i, j;
    commonEnds(before, after, &i, &j, true);
    for (int p = qMax(0, int(before.size()) - j); p <= i; ++p)
        if (QStringView(after).mid(p, inserted.size()) == inserted) places << p;
    return places;
}

// The text `after` holds at `p` where it is `before` with some text put in at p ("" if it is not).
inline QList<int> growthPlaces(const QString& before, const QString& after) {
    QList<int> places;
    if (after.size() <= before.size()) return places;
    int i, j;
    commonEnds(before, after, &i, &j, true);
    for (int p = qMax(0, int(before.size()) - j); p <= i; ++p) places << p;
    return places;
}

struct Judgement {
    bool exact = false;
    QString why;  // for a change that is not exact: what is wrong with it
};

// "Qzx " typed before the word at `pos`: the source holds those characters before it and is
// otherwise unchanged. A no-break space for the typed one only where a plain one would not
// show, before a blank of the page's own. The typed text goes with the word the caret was put
// before: not into an element that ends before the word.
inline Judgement judgeTyped(const QString& before, const QString& after, int pos, const QString& typed = "Qzx ") {
    const QString word = typed.trimmed();
    for (const QString& form : QStringList{typed, word + "&nbsp;", word + QChar(0xa0)}) {
        const bool plain = form == typed;
        for (int p : insertionPlaces(before, after, form))
            if (caretPlaceFits(before, p, pos) && !endTagBetween(before, p, pos) &&
                (plain || (p < before.size() && before[p].isSpace())))
                return {true, {}};
    }
    return {false, after.contains(word) ? "the typed text is not alone where the caret was" : "the typed text is lost"};
}

// Three Backspaces after the word at `pos`: its last three letters gone, nothing else.
inline Judgement judgeBackspaces(const QString& before, const QString& after, int pos, const QString& word) {
    const int p = pos + word.size() - 3;
    QString expected = before;
    expected.remove(p, 3);
    if (after == expected) return {true, {}};
    return {false, "not just the word's last three letters taken away"};
}

// The inline elements that wrap exactly the word at `at` in the source, written right against
// it, innermost first: their start tags and end tags.
inline void wrappingTags(const QString& before, int at, const QString& word, QStringList* opens, QStringList* closes) {
    for (int k = at; k > 0 && before[k - 1] == '>';) {
        const int open = before.lastIndexOf('<', k - 1);
        int end;
        QString name;
        bool closing;
        if (open < 0 || !tagAt(before, open, &end, &name, &closing) || end != k || closing || !isInlineTag(name)) break;
        *opens << before.mid(open, end - open);
        k = open;
    }
    for (int k = at + word.size(); closes->size() < opens->size() && k < before.size() && before[k] == '<';) {
        int end;
        QString name;
        bool closing;
        int openEnd;
        QString openName;
        if (!tagAt(before, k, &end, &name, &closing) || !closing ||
            !tagAt((*opens)[closes->size()], 0, &openEnd, &openName, &closing) || openName != name)
            break;
        *closes << before.mid(k, end - k);
        k = end;
    }
    *opens = opens->mid(0, closes->size());
}

// The word at `copiedAt`, copied in the page and pasted before the word at `pos`: the source
// holds it there as typed text would stand, and nothing else changed. The inline elements that
// wrap exactly the word in the source may come with it, as the page writes them: a selection
// that held them whole holds their tags.
inline Judgement judgePasted(const QString& before, const QString& after, int pos, const QString& word, int copiedAt) {
    QStringList opens, closes;
    wrappingTags(before, copiedAt, word, &opens, &closes);
    QString piece = word;
    for (int n = 0;; ++n) {
        if (judgeTyped(before, after, pos, piece).exact) return {true, {}};
        if (n == closes.size()) break;
        piece = opens[n] + piece + closes[n];
    }
    return {false, after.count(word) > before.count(word) ? "the pasted word is not alone where the caret was"
                                                          : "the pasted word is lost"};
}

// The word at `pos` selected and cut: the word gone, and with it the inline elements that held
// it alone, which it leaves empty. A blank beside it may go too where one stays on its other
// side: the page shows the same. Where the word was all its block showed (`alone`), a line
// break may stand in its place, which keeps the block's line.
inline Judgement judgeCut(const QString& before, const QString& after, int pos, const QString& word, bool alone) {
    QStringList opens, closes;
    wrappingTags(before, pos, word, &opens, &closes);
    int from = pos, to = pos + word.size();
    for (int n = 0;; ++n) {
        int blankFrom = from, blankTo = to;
        while (blankFrom > 0 && before[blankFrom - 1].isSpace()) --blankFrom;
        while (blankTo < before.size() && before[blankTo].isSpace()) ++blankTo;
        QList<std::pair<int, int>> spans{{from, to}};
        if (blankFrom < from) spans.append({from, blankTo});
        if (blankTo > to) spans.append({blankFrom, to});
        for (const auto& [a, b] : spans)
            if (after == QString(before).remove(a, b - a)) return {true, {}};
        if (alone && after == QString(before).replace(from, to - from, "<br>")) return {true, {}};
        if (n == closes.size()) break;
        from -= opens[n].size();
        to += closes[n].size();
    }
    return {false, "not just the word taken away"};
}

// Blanks between a tag's attributes are one space, wherever the source breaks its line there.
inline QString tagOnOneLine(const QString& tag) {
    QString out;
    QChar quote;
    for (QChar c : tag) {
        if (quote.isNull() && c.isSpace()) {
            if (!out.endsWith(' ')) out += ' ';
            continue;
        }
        if (c == quote) quote = QChar();
        else if (quote.isNull() && (c == '"' || c == '\'')) quote = c;
        out += c;
    }
    return out;
}

// Whether `open`, a start tag written by the edit, is a bare one or a copy of one the page has
// before `p` (never one with an id, which the page would then hold twice).
inline bool openTagFits(const QString& before, int p, const QString& open, const QString& name) {
    static const QRegularExpression id("\\sid\\s*=", QRegularExpression::CaseInsensitiveOption);
    if (open.size() == name.size() + 2) return true;
    if (id.match(open).hasMatch()) return false;
    static const QRegularExpression tag("<[A-Za-z][^>]*>");
    // The second part of a split block is a copy of the first without its id.
    static const QRegularExpression idAttribute("\\s+id\\s*=\\s*(\"[^\"]*\"|'[^']*'|[^\\s>]+)",
                                                QRegularExpression::CaseInsensitiveOption);
    const QString wanted = tagOnOneLine(open);
    for (auto it = tag.globalMatch(QStringView(before).left(p)); it.hasNext();)
        if (tagOnOneLine(it.next().captured(0).remove(idAttribute)).compare(wanted, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// Enter before the word at `pos` inside a block of tag `tag`: the block split there, put in
// where the caret was, and nothing else. A split is a close and an open of that tag (the close
// may be left out where the page leaves it out), the inline elements the caret stood in closed
// before it and opened again after it in the same order; or a <br>.
inline Judgement judgeEnter(const QString& before, const QString& after, int pos, const QString& tag) {
    static const QRegularExpression br("^\\s*<br\\s*/?>\\s*$", QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression token("\\G\\s*<(/?)([A-Za-z][A-Za-z0-9-]*)(?:\\s[^>]*)?>\\s*");
    for (int p : growthPlaces(before, after)) {
        if (!caretPlaceFits(before, p, pos)) continue;
        const QString added = after.mid(p, after.size() - before.size());
        if (br.match(added).hasMatch()) return {true, {}};
        QStringList closedInline;
        bool closedBlock = false, openedBlock = false, fits = true;
        int at = 0, reopened = 0;
        for (auto it = token.globalMatch(added); fits && it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            at = m.capturedEnd();
            const QString name = m.captured(2).toLower();
            const QString open = m.captured(0).trimmed();
            if (!m.captured(1).isEmpty()) {  // a close: inline ones first, then the block's
                if (openedBlock || closedBlock) fits = false;
                else if (name == tag) closedBlock = true;
                else if (isInlineTag(name)) closedInline << name;
                else fits = false;
            } else if (!openedBlock) {
                fits = name == tag && openTagFits(before, p, open, name);
                openedBlock = true;
            } else {  // the inline ones again, outermost first
                fits = reopened < closedInline.size() && name == closedInline[closedInline.size() - 1 - reopened] &&
                       openTagFits(before, p, open, name);
                ++reopened;
            }
        }
        if (fits && openedBlock && at == added.size() && reopened == closedInline.size()) return {true, {}};
    }
    return {false, "not the block split where the caret was"};
}

// Ctrl+B on the word at `pos`: <b> or <strong> around exactly the word, or a new <span> whose
// style says bold (where the page's style sheets keep a <b> from showing bold, as a reset's
// "bolder" does in light text), nothing else; and the word shows bold (`shownWeight`, the
// weight the page shows it in after the edit).
inline Judgement judgeBold(const QString& before, const QString& after, int pos, const QString& word, int shownWeight = 700) {
    for (const QString& open : {"b", "strong", "B", "STRONG", "span style=\"font-weight: bold\""}) {
        const QString close = open.section(' ', 0, 0);
        const QString expected = before.left(pos) + "<" + open + ">" + word + "</" + close + ">" + before.mid(pos + word.size());
        if (after == expected) return shownWeight >= 600 ? Judgement{true, {}} : Judgement{false, "the word does not show bold"};
    }
    return {false, "not the word alone put in bold"};
}

// Where the block holding the text at `pos` ends in the source: the start of the tag that ends
// its content (`restEnd`) and the end of that tag where it is the block's own (`blockEnd`).
inline void blockEnd(const QString& s, int pos, const QString& tag, int* restEnd, int* end) {
    static const QSet<QString> voids{"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta",
                                     "source", "track", "wbr", "param"};
    static const QSet<QString> closeP{"address", "article", "aside", "blockquote", "div", "dl", "fieldset", "footer",
                                      "form", "h1", "h2", "h3", "h4", "h5", "h6", "header", "hr", "menu", "nav",
                                      "ol", "p", "pre", "section", "table", "ul", "details", "figure", "main"};
    QStringList open;
    for (int i = s.indexOf('<', pos); i >= 0; i = s.indexOf('<', i + 1)) {
        int e;
        QString name;
        bool closing;
        if (s.mid(i, 4) == "<!--") {
            const int c = s.indexOf("-->", i);
            if (c < 0) break;
            i = c;
            continue;
        }
        if (!tagAt(s, i, &e, &name, &closing)) continue;
        if (!closing) {
            const bool implied = open.isEmpty() && ((tag == "p" && closeP.contains(name)) ||
                                                    (tag == "li" && name == "li") ||
                                                    ((tag == "dt" || tag == "dd") && (name == "dt" || name == "dd")));
            if (implied) {
                *restEnd = *end = i;
                return;
            }
            if (name == "script" || name == "style") {
                const int c = s.indexOf("</" + name, e, Qt::CaseInsensitive);
                if (c < 0) break;
                i = c;
                continue;
            }
            if (!voids.contains(name) && s[e - 2] != '/') open << name;
        } else if (open.contains(name)) {
            while (open.takeLast() != name) {
            }
        } else if (name == tag || !isInlineTag(name)) {
            // The block's own end tag ends it, also that of an inline tag a style sheet shows
            // as a block.
            *restEnd = i;
            *end = name == tag ? e : i;
            return;
        }
        i = e - 1;
    }
    *restEnd = *end = s.size();
}

inline QString withoutBlanks(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!c.isSpace()) out += c;
    return out;
}

// Past the end tags, at `end`, of the elements `names` (innermost first) where the source writes
// them, blanks and comments between.
inline int pastEndTags(const QString& s, int end, const QStringList& names) {
    for (const QString& name : names) {
        int k = end;
        for (;;) {
            while (k < s.size() && s[k].isSpace()) ++k;
            if (s.mid(k, 4) != "<!--") break;
            const int c = s.indexOf("-->", k);
            if (c < 0) return end;
            k = c + 3;
        }
        int e;
        QString tag;
        bool closing;
        if (k >= s.size() || !tagAt(s, k, &e, &tag, &closing) || !closing || tag != name.toLower()) break;
        end = e;
    }
    return end;
}

// A selection from before the word at `posA` (in a block of `tagA`) to before the word at
// `posB` (in the next block, of `tagB`), deleted: the text between them gone, the second block's
// rest kept as written and joined to the first, nothing before the selection nor after the
// second block changed, and no tag written that the page did not have. The rest ends where the
// block's line does: at the first element of tag `lineEnd` after the word, one the page shows as
// a block of its own (a field under its label), if any. `wrappers` are the
// elements around the second block that hold nothing else (innermost first): emptied once its
// rest has gone to the first, they may go with it.
inline Judgement judgeCrossDelete(const QString& before, const QString& after, int posA, int posB, const QString& tagB,
                                  const QStringList& wrappers = {}, const QString& lineEnd = {}) {
    int i, j;
    commonEnds(before, after, &i, &j);
    const int reach = caretReach(before, posA);
    if (i < reach) return {false, "a change before the selection"};
    int restEnd, end;
    blockEnd(before, posB, tagB, &restEnd, &end);
    // What follows the line in the second block stays there as written.
    QString stays;
    if (!lineEnd.isEmpty()) {
        const QRegularExpression startTag("<" + lineEnd + "[\\s/>]", QRegularExpression::CaseInsensitiveOption);
        const int at = int(before.indexOf(startTag, posB));
        if (at >= 0 && at < restEnd) {
            stays = before.mid(at, restEnd - at);
            restEnd = at;
        }
    }
    end = pastEndTags(before, end, wrappers);
    if (before.size() - j > end) return {false, "a change past the second block"};
    const ShownText was = shownText(before), now = shownText(after);
    auto shownIndex = [&](int offset) {
        return int(std::lower_bound(was.at.begin(), was.at.end(), offset) - was.at.begin());
    };
    const QString expectedText = withoutBlanks(QStringView(was.text).left(shownIndex(posA))) +
                                 withoutBlanks(QStringView(was.text).mid(shownIndex(posB)));
    if (withoutBlanks(now.text) != expectedText) return {false, "the text lost is not the text selected"};
    // The rest may begin with what the first block's kept part ends with ("home" kept, then
    // "homework"): it is looked for from where the caret stood, not from where the two differ.
    const QString rest = before.mid(posB, restEnd - posB);
    const int restAt = int(after.indexOf(rest, reach));
    if (restAt < 0) return {false, "the second block's rest is not kept as written"};
    if (!stays.isEmpty() && !after.mid(reach).contains(stays)) return {false, "what follows the second block's line is not kept"};
    static const QRegularExpression startTag("<([A-Za-z][A-Za-z0-9-]*)(?:\\s[^>]*)?/?>");
    const QString changed = after.mid(i, after.size() - i - j);
    for (auto it = startTag.globalMatch(changed); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!before.contains(m.captured(0))) return {false, "a tag written that the page did not have: " + m.captured(0)};
    }
    // Joined: from the caret's place to the rest, nothing but blanks and inline tags.
    static const QRegularExpression anyTag("<(/?)([A-Za-z][A-Za-z0-9-]*)(?:\\s[^>]*)?/?>");
    for (auto it = anyTag.globalMatch(QStringView(after).mid(reach, restAt - reach)); it.hasNext();)
        if (!isInlineTag(it.next().captured(2))) return {false, "the two blocks are not joined"};
    return {true, {}};
}

// A short account of what changed: the source as it was and is now where they differ, and the
// new source around the change, each on one line.
inline QString describeChange(const QString& before, const QString& after) {
    int i, j;
    commonEnds(before, after, &i, &j);
    auto line = [](QString text) {
        return text.replace('\\', "\\\\").replace('\r', "\\r").replace('\n', "\\n").replace('\t', "\\t");
    };
    return "  was: " + line(before.mid(i, before.size() - i - j).left(300)) + "\n  now: " +
           line(after.mid(i, after.size() - i - j).left(300)) + "\n  around: " +
           line(after.mid(qMax(0, i - 80), 240)) + "\n";
}

}  // namespace kavrin::test::realpages
