// The real-pages measure: on each page of a list, each edit in Design on a fresh open of the
// page, with real keys and clicks, and the source that comes back judged against what the edit
// explains. Not run by default (see the README); the judging itself is tested below.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <array>
#include <iostream>
#include <map>

#include "designpage.h"
#include "platform/forms/dialoghooks.h"
#include "realpagesjudge.h"

namespace kavrin::test {
namespace {

using namespace realpages;

// Finds a place for the edit `mode` in the page's shown text, from its middle outwards: a word
// of four letters or more at the start of a text or after a blank, shown where a click reaches it, that is the first
// place its letters occur (so that the click and the source find it). Answers [word, its
// block's tag, 'alone' where the word is all the block shows], for a paste [word, its block's tag,
// a word of another block to copy], for the delete across blocks [first word, second word, their blocks' tags],
// or [] when the page has no such place.
const char* const kPickScript = R"JS((mode) => {
  const body = document.body;
  const splitBlocks = /^(P|LI|DD|DT|DIV|H[1-6]|BLOCKQUOTE)$/;
  const walker = document.createTreeWalker(body, NodeFilter.SHOW_TEXT);
  const nodes = [], found = [];
  for (let t = walker.nextNode(); t; t = walker.nextNode()) {
    nodes.push(t);
    const e = t.parentElement;
    if (!e || e.closest('script,style,pre,textarea,select,button,noscript,svg,[contenteditable=false]')) continue;
    const re = /(^|\s)([A-Za-z]{4,})/g;
    let m;
    while ((m = re.exec(t.data))) {
      const i = m.index + m[1].length;
      const r = document.createRange();
      r.setStart(t, i);
      r.setEnd(t, i + m[2].length);
      const b = r.getBoundingClientRect();
      // Text a style keeps out of the selection is none a person can select to.
      if (b.width > 0 && b.height > 0 && getComputedStyle(e).userSelect !== 'none') found.push({t, i, word: m[2]});
    }
  }
  const isFirst = (c) => {
    for (const t of nodes) { const i = t.data.indexOf(c.word); if (i >= 0) return t === c.t && i === c.i; }
    return false;
  };
  const blockOf = (node) => {
    for (let e = node.parentElement; e && e !== body; e = e.parentElement) {
      const d = getComputedStyle(e).display;
      if (!d.startsWith('inline') && d !== 'contents') return e;
    }
    return body;
  };
  // Shown, and what a click there reaches: no overlay (a preloader, a fixed bar) above it.
  const clickable = (c) => {
    c.t.parentElement.scrollIntoView({block: 'center', behavior: 'instant'});
    const r = document.createRange();
    r.setStart(c.t, c.i);
    r.setEnd(c.t, c.i + 1);
    const b = r.getBoundingClientRect(), hit = document.elementFromPoint(b.left + 1, b.top + b.height / 2);
    return !!hit && (hit === c.t.parentElement || c.t.parentElement.contains(hit));
  };
  const textBefore = (block, c) => { const r = document.createRange(); r.setStart(block, 0); r.setEnd(c.t, c.i); return r.toString(); };
  const inMiddle = (block, c) => /\S/.test(textBefore(block, c));
  const plainBlock = (block) => block !== body && !getComputedStyle(block).display.startsWith('table');
  const suits = {
    type: () => true, backspace: () => true, undo: () => true, pastetext: () => true, cut: () => true,
    bold: (c) => parseInt(getComputedStyle(c.t.parentElement).fontWeight) < 600,
    enter: (c) => { const b = blockOf(c.t); return splitBlocks.test(b.tagName) && inMiddle(b, c); },
  };
  // The element after a word in its block that the page shows as a block of its own (a form's
  // field under its label): the line the word is on ends there. Its tag, or ''.
  const lineEnd = (block, c) => {
    const w = document.createTreeWalker(block, NodeFilter.SHOW_ELEMENT);
    for (let e = w.nextNode(); e; e = w.nextNode()) {
      if (!(c.t.compareDocumentPosition(e) & Node.DOCUMENT_POSITION_FOLLOWING) || e.contains(c.t)) continue;
      const d = getComputedStyle(e).display;
      if (d !== 'none' && !d.startsWith('inline') && d !== 'contents') return e.tagName.toLowerCase();
    }
    return '';
  };
  // The elements around a block that hold nothing else, innermost first, up to one that holds `other`.
  const wrappers = (block, other) => {
    const out = [];
    for (let e = block; e.parentElement && e.parentElement !== body && !e.parentElement.contains(other); e = e.parentElement) {
      const alone = [...e.parentElement.childNodes].every((n) => n === e || n.nodeType === 8 || (n.nodeType === 3 && !/\S/.test(n.data)));
      if (!alone) break;
      out.push(e.parentElement.tagName.toLowerCase());
    }
    return out;
  };
  const mid = Math.floor(found.length / 2), order = [];
  for (let d = 0; d <= found.length; ++d)
    for (const k of d ? [mid + d, mid - d] : [mid]) if (found[k]) order.push(k);
  // For a paste, [word, its block's tag, the word copied]: a word of another block, to copy.
  if (mode === 'paste') {
    for (const k of order) {
      const c = found[k];
      if (!isFirst(c) || !clickable(c)) continue;
      const block = blockOf(c.t);
      for (const j of order) {
        const s = found[j];
        if (s.word !== c.word && blockOf(s.t) !== block && isFirst(s) && clickable(s))
          return [c.word, block.tagName.toLowerCase(), s.word];
      }
    }
    return [];
  }
  if (mode !== 'cross') {
    for (const k of order) {
      const c = found[k];
      if (suits[mode](c) && isFirst(c) && clickable(c)) {
        const block = blockOf(c.t);
        return [c.word, block.tagName.toLowerCase(), block.innerText.trim() === c.word ? 'alone' : ''];
      }
    }
    return [];
  }
  // From the middle of one block to the middle of the next; on a page that has no such pair (a
  // sidebar of one-word items, headings of one word), to the start of the next, and then from
  // the start of one.
  // Why no pair was found, for the skip: how many first words each test turned away.
  const why = {};
  const no = (reason) => { why[reason] = (why[reason] || 0) + 1; return true; };
  for (const [aInMiddle, bInMiddle] of [[true, true], [true, false], [false, false]])
    for (const k of order) {
      const a = found[k], blockA = blockOf(a.t);
      if ((!plainBlock(blockA) && no('first block a table part')) ||
          (aInMiddle && !inMiddle(blockA, a) && no('first word starts its block')) ||
          (!isFirst(a) && no('first word written before')) || (!clickable(a) && no('first word covered'))) continue;
      let n = k + 1;
      while (found[n] && blockOf(found[n].t) === blockA) ++n;
      if (!found[n] && no('no word after the first block')) continue;
      const blockB = blockOf(found[n].t);
      if ((!plainBlock(blockB) && no('second block a table part')) ||
          ((blockA.contains(blockB) || blockB.contains(blockA)) && no('one block inside the other'))) continue;
      const between = document.createRange();
      between.setStartAfter(blockA);
      between.setEndBefore(blockB);
      if (/\S/.test(between.toString()) && no('text between the blocks')) continue;
      for (; found[n] && blockOf(found[n].t) === blockB; ++n) {
        const b = found[n];
        if (b.word !== a.word && (inMiddle(blockB, b) || !bInMiddle) && isFirst(b) && clickable(b))
          return [a.word, b.word, blockA.tagName.toLowerCase(), blockB.tagName.toLowerCase(), lineEnd(blockB, b),
                  ...wrappers(blockB, blockA)];
      }
      no('no second word fits');
    }
  return ['', Object.entries(why).map(([r, c]) => r + ' ' + c).join(', ') || 'no words shown'];
})JS";

// Whether the page's style sheets from the disk (not the network) are loaded, with the sheets
// they import where their rules can be read (the design view's come from another origin).
const char* const kStylesLoaded = R"JS((() => {
  const loaded = (sheet) => {
    let rules;
    try { rules = sheet.cssRules; } catch (e) { return true; }
    for (const r of rules) if (r.type === CSSRule.IMPORT_RULE && (!r.styleSheet || !loaded(r.styleSheet))) return false;
    return true;
  };
  const local = (href) => href.startsWith(location.origin) || /^http:\/\/[^/]+\.localhost:/.test(href);
  return [...document.querySelectorAll('link[rel~=stylesheet][href]')].every((l) =>
    !local(l.href) || (!!l.sheet && loaded(l.sheet)));
})())JS";

// The weight the first text that holds the word shows.
const char* const kShownWeight = R"JS((word) => {
  const w = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let t = w.nextNode(); t; t = w.nextNode())
    if (t.data.includes(word)) return parseInt(getComputedStyle(t.parentElement).fontWeight) || 400;
  return 0;
})JS";

const QStringList kEdits{"type", "backspace", "enter", "bold", "cross", "undo", "paste", "pastetext", "cut"};

// Text from outside, as another program puts it on the clipboard.
const QString kPastedText = "Qzx pasted ";

class RealPagesTest : public DesignPageTest {
protected:
    static constexpr int kCaretWait = 3000;

    void SetUp() override {
        DesignPageTest::SetUp();
        // A page may be refused (too deep for Design, not text): that run is skipped, with the why.
        dialogHooks().msgBox = [this](const QString& prompt, int, const QString&) {
            message = prompt;
            return int(vbOK);
        };
    }

    struct Outcome {
        enum Kind { Exact, Damaged, Skipped } kind = Skipped;
        QString note;  // the place, or why skipped / what went wrong
        QString detail;
        bool lost = false;  // the source came back as loaded
    };

    static Outcome skip(const QString& why) { return {Outcome::Skipped, why, {}}; }

    Outcome run(const QString& page, const QString& edit) {
        message.clear();
        mainWindow->openFile(page);
        DocumentWindow* doc = activeDocument();
        if (!doc || !doc->hasViews()) return skip("not opened: " + message);
        Outcome outcome = runIn(doc, edit);
        if (doc->mode == 2) waitDesignCurrent(*doc->dhtm, kWait);
        doc->fileSaved = true;
        mainWindow->mnuFileClose_Click();
        if (!QTest::qWaitFor([] { return Form::documentCount() == 0; }, kWait) && outcome.kind != Outcome::Damaged)
            outcome = skip("the page did not close");
        return outcome;
    }

    bool toView(DocumentWindow* doc, int tab) {
        doc->tbsMain->setCurrentIndex(tab);
        return QTest::qWaitFor([&] { return doc->mode == tab || !message.isEmpty(); }, kWait) && doc->mode == tab;
    }

    Outcome runIn(DocumentWindow* doc, const QString& edit) {
        const QString before = doc->txtMain->text();
        if (!toView(doc, 2)) return skip("Design refused: " + message);
        if (!waitDesignReady(*doc->dhtm, kWait)) return skip("Design not ready");
        // A person edits the page as it shows once its style sheets are in; some come after Design
        // is ready (those a sheet imports, later still), and the edit may depend on them.
        QTest::qWaitFor([&] { return js(doc, kStylesLoaded).toBool(); }, kCaretWait);
        const QStringList place = js(doc, QString("(%1)('%2')").arg(kPickScript, edit)).toStringList();
        if (place.isEmpty()) return skip("no suitable place (or none that a click reaches)");
        if (place[0].isEmpty()) return skip("no two blocks to select across: " + place.value(1));
        const ShownText shown = shownText(before);
        // The words the edit goes to: for a paste, the one before which it goes, then the one copied.
        const QStringList words = edit == "cross" ? place.mid(0, 2) : edit == "paste" ? QStringList{place[0], place[2]} : place.mid(0, 1);
        QList<int> pos;
        for (const QString& word : words) {
            const int k = findWord(shown, word);
            if (k < 0) return skip("the source does not write [" + word + "] in one piece");
            pos << shown.at[k];
        }
        const QString where = "[" + words.join(edit == "paste" ? "] from [" : "] .. [") + "]";
        const QString word = place[0];
        QWidget* keys = input(doc);
        QString cutNotCopied;
        const QString shownHtml = "document.documentElement.outerHTML";
        const QString pageLoaded = js(doc, shownHtml).toString();
        if (edit == "type" || edit == "undo") {
            const QString loaded = currentHtml(*doc->dhtm);
            if (!clickBefore(doc, word, kCaretWait)) return skip("the click put no caret before " + where);
            typeKeys(doc, "Qzx ", kCaretWait);
            if (edit == "undo")
                for (int n = 0; n < 10 && currentHtml(*doc->dhtm) != loaded; ++n)
                    QTest::keyClick(keys, Qt::Key_Z, Qt::ControlModifier);
        } else if (edit == "backspace") {
            if (!clickBefore(doc, word, kCaretWait)) return skip("the click put no caret before " + where);
            for (int n = 0; n < word.size(); ++n) QTest::keyClick(keys, Qt::Key_Right);
            const QString after = "(() => { const s = getSelection(); const r = document.createRange();"
                                  "r.setStart(document.body, 0); r.setEnd(s.anchorNode, s.anchorOffset);"
                                  "return s.isCollapsed && r.toString().endsWith(" + jsString(word) + "); })()";
            if (!QTest::qWaitFor([&] { return js(doc, after).toBool(); }, kCaretWait))
                return skip("the caret did not go past " + where);
            for (int n = 0; n < 3; ++n) QTest::keyClick(keys, Qt::Key_Backspace);
        } else if (edit == "enter") {
            if (!clickBefore(doc, word, kCaretWait)) return skip("the click put no caret before " + where);
            QTest::keyClick(keys, Qt::Key_Return);
        } else if (edit == "paste" || edit == "pastetext") {
            QApplication::clipboard()->clear();
            if (edit == "paste") {
                if (!selectWord(doc, place[2], kCaretWait)) return skip("the word to copy did not select " + where);
                QTest::keyClick(keys, Qt::Key_C, Qt::ControlModifier);
                if (!QTest::qWaitFor([&] { return QApplication::clipboard()->text() == place[2]; }, kCaretWait))
                    return {Outcome::Damaged, where + ": Ctrl+C put \"" + QApplication::clipboard()->text().left(80) + "\" on the clipboard", {}};
            } else {
                QApplication::clipboard()->setText(kPastedText);
            }
            if (!clickBefore(doc, word, kCaretWait)) return skip("the click put no caret before " + where);
            const QString loaded = currentHtml(*doc->dhtm);
            QTest::keyClick(keys, Qt::Key_V, Qt::ControlModifier);
            (void)QTest::qWaitFor([&] { return currentHtml(*doc->dhtm) != loaded; }, kCaretWait);
        } else if (edit == "cut") {
            QApplication::clipboard()->clear();
            if (!selectWord(doc, word, kCaretWait)) return skip("the word did not select " + where);
            const QString loaded = currentHtml(*doc->dhtm);
            QTest::keyClick(keys, Qt::Key_X, Qt::ControlModifier);
            (void)QTest::qWaitFor([&] { return currentHtml(*doc->dhtm) != loaded; }, kCaretWait);
            if (!QTest::qWaitFor([&] { return QApplication::clipboard()->text() == word; }, kCaretWait))
                cutNotCopied = ": the clipboard holds \"" + QApplication::clipboard()->text().left(80) + "\", not the word";
        } else if (edit == "bold") {
            if (!selectWord(doc, word, kCaretWait)) return skip("the word did not select " + where);
            QTest::keyClick(keys, Qt::Key_B, Qt::ControlModifier);
        } else if (edit == "cross") {
            if (!clickBefore(doc, word, kCaretWait)) return skip("the click put no caret before " + where);
            const QPoint end = placeOf(doc, place[1], true);
            if (end.isNull()) return skip("the second word does not show");
            QTest::mouseClick(keys, Qt::LeftButton, Qt::ShiftModifier, end);
            // The text after the selection as shown: the engine may end a selection before text
            // a style hides (a footer's note for wide windows), which is before the word all the same.
            const QString spans = "(() => { const s = getSelection(); if (!s.rangeCount || s.isCollapsed) return false;"
                                  "const r = s.getRangeAt(0), e = document.createRange(); e.setStart(r.endContainer, r.endOffset);"
                                  "e.setEnd(document.body, document.body.childNodes.length);"
                                  "const w = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT); let after = '';"
                                  "for (let t = w.nextNode(); t && after.trim().length < 64; t = w.nextNode()) {"
                                  "  if (!e.intersectsNode(t) || !t.parentElement.getClientRects().length) continue;"
                                  "  after += t === e.startContainer ? t.data.slice(e.startOffset) : t.data; }"
                                  "return r.toString().replace(/^\\s+/, '').startsWith(" + jsString(word) + ") &&"
                                  "after.replace(/^\\s+/, '').startsWith(" + jsString(place[1]) + "); })()";
            // The characters the keys have left to go to the word.
            const QString left = "(() => { const w = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);"
                                 "for (let t = w.nextNode(); t; t = w.nextNode()) { const i = t.data.indexOf(" + jsString(place[1]) + ");"
                                 "if (i < 0) continue; const s = getSelection(), r = document.createRange();"
                                 "r.setStart(s.focusNode, s.focusOffset); r.setEnd(t, i);"
                                 "return r.collapsed ? 0 : r.toString().replace(/\\s+/g, ' ').length; } return 0; })()";
            // The engine moves the caret on a Shift+click over a link rather than extending the
            // selection; a person then goes on with Shift+Right, one key at a time as the selection
            // grows, and no further than the page has text to the word (a key the engine has not
            // handled yet would otherwise be counted twice). A person would not hold the key down
            // over a page of text.
            const QString past = "(() => { const w = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);"
                                 "for (let t = w.nextNode(); t; t = w.nextNode()) { const i = t.data.indexOf(" + jsString(place[1]) + ");"
                                 "if (i < 0) continue; const s = getSelection(), r = document.createRange(); r.setStart(t, i);"
                                 "return r.comparePoint(s.focusNode, s.focusOffset) > 0; } return false; })()";
            QString stopped;
            if (!QTest::qWaitFor([&] { return js(doc, spans).toBool(); }, kCaretWait) && clickBefore(doc, word, kCaretWait)) {
                constexpr int kMostKeys = 100;
                const QString mark = "(() => { const s = getSelection(); window.kvFocusWas = [s.focusNode, s.focusOffset]; })()";
                const QString moved = "(() => { const s = getSelection(), w = window.kvFocusWas;"
                                      "return s.focusNode !== w[0] || s.focusOffset !== w[1]; })()";
                for (int pressed = 0, n; pressed < kMostKeys && (n = js(doc, left).toInt()) > 0; ++pressed) {
                    // Far from the word, a word at a time, as a person does.
                    js(doc, mark);
                    QTest::keyClick(keys, Qt::Key_Right, n > 15 ? Qt::ShiftModifier | Qt::ControlModifier : Qt::ShiftModifier);
                    if (!QTest::qWaitFor([&] { return js(doc, moved).toBool(); }, kCaretWait)) {
                        stopped = QString(" (the selection did not grow after %1 keys)").arg(pressed);
                        break;
                    }
                    // Past the word's first letter (a word's step, or blanks the page does not
                    // show), back a letter at a time.
                    for (int back = 0; back < 30 && js(doc, past).toBool(); ++back) {
                        js(doc, mark);
                        QTest::keyClick(keys, Qt::Key_Left, Qt::ShiftModifier);
                        QTest::qWaitFor([&] { return js(doc, moved).toBool(); }, kCaretWait);
                    }
                    if (pressed + 1 == kMostKeys) stopped = QString(" (%1 keys)").arg(kMostKeys);
                }
            }
            if (!QTest::qWaitFor([&] { return js(doc, spans).toBool(); }, kCaretWait))
                return skip("neither Shift+click nor Shift+Right selected " + where + ", but \"" +
                            js(doc, "getSelection().toString().slice(0, 80)").toString().replace('\n', "\\n") + "\"" + stopped);
            QTest::keyClick(keys, Qt::Key_Delete);
        }
        waitDesignCurrent(*doc->dhtm, kWait);
        const bool pageChanged = js(doc, shownHtml).toString() != pageLoaded;
        const int shownWeight = edit == "bold" ? js(doc, QString("(%1)(%2)").arg(kShownWeight, jsString(word))).toInt() : 0;
        if (!toView(doc, 0)) return {Outcome::Damaged, where, "  the source view did not come back: " + message + "\n"};
        const QString after = doc->txtMain->text();
        Judgement judged;
        if (edit == "type") judged = judgeTyped(before, after, pos[0]);
        else if (edit == "backspace") judged = judgeBackspaces(before, after, pos[0], word);
        else if (edit == "enter") judged = judgeEnter(before, after, pos[0], place[1]);
        else if (edit == "bold") judged = judgeBold(before, after, pos[0], word, shownWeight);
        else if (edit == "paste") judged = judgePasted(before, after, pos[0], place[2], pos[1]);
        else if (edit == "pastetext") judged = judgeTyped(before, after, pos[0], kPastedText);
        else if (edit == "cut") judged = judgeCut(before, after, pos[0], word, place[2] == "alone");
        else if (edit == "cross") judged = judgeCrossDelete(before, after, pos[0], pos[1], place[3], place.mid(5), place[4]);
        else judged = {after == before, "the source is not as loaded"};
        if (judged.exact && !cutNotCopied.isEmpty()) return {Outcome::Damaged, where + cutNotCopied, {}};
        if (judged.exact) return {Outcome::Exact, where, {}};
        if (after == before)
            return {Outcome::Damaged, where + ": the edit is lost, the source is as loaded",
                    pageChanged ? "  the page in Design did change\n" : "  the page in Design did not change either\n", true};
        return {Outcome::Damaged, where + ": " + judged.why, describeChange(before, after)};
    }

    QString message;
};

// Run: KAVRIN_REAL_PAGES=pages.txt [KAVRIN_REAL_EDITS=type,enter] [KAVRIN_REAL_SHARD=1/2]
//   kavrin_test_mainwindow --gtest_also_run_disabled_tests --gtest_filter='*RealPages*'
TEST_F(RealPagesTest, DISABLED_EachEditChangesTheSourceOnlyWhereItExplains) {
    QFile list(qEnvironmentVariable("KAVRIN_REAL_PAGES"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly)) << "KAVRIN_REAL_PAGES names no readable list";
    QStringList edits = kEdits;
    if (const QString wanted = qEnvironmentVariable("KAVRIN_REAL_EDITS"); !wanted.isEmpty()) {
        edits = wanted.split(',', Qt::SkipEmptyParts);
        for (QString& e : edits) e = e.trimmed();
        for (const QString& e : edits) ASSERT_TRUE(kEdits.contains(e)) << "no edit " << e.toStdString() << " (" << kEdits.join(',').toStdString() << ")";
    }
    int shard = 1, shards = 1;
    if (const QString s = qEnvironmentVariable("KAVRIN_REAL_SHARD"); !s.isEmpty()) {
        const QStringList parts = s.split('/');
        shard = parts.value(0).toInt();
        shards = parts.value(1).toInt();
        ASSERT_TRUE(parts.size() == 2 && shards >= 1 && shard >= 1 && shard <= shards) << "KAVRIN_REAL_SHARD is i/n, 1 <= i <= n";
    }
    QStringList pages;
    for (int n = 0; !list.atEnd();) {
        const QString page = QString::fromUtf8(list.readLine()).trimmed();
        if (!page.isEmpty() && n++ % shards == shard - 1) pages << page;
    }
    std::map<QString, std::array<int, 3>> counts;
    for (const QString& page : pages)
        for (const QString& edit : edits) {
            Outcome o = run(page, edit);
            // Now and then, among hundreds of opens, a key goes nowhere; a second try on a fresh
            // open tells that from an edit the page always loses.
            if (o.lost) {
                o = run(page, edit);
                o.note += o.lost ? " (on a second try as well)" : " (second try: the first lost the edit)";
            }
            ++counts[edit][o.kind];
            static const char* const names[] = {"EXACT", "DAMAGED", "SKIPPED"};
            std::cout << names[o.kind] << " " << edit.toStdString() << " " << page.toStdString() << " "
                      << o.note.toStdString() << "\n"
                      << o.detail.toStdString() << std::flush;
        }
    int damaged = 0;
    for (const QString& edit : edits) {
        const auto& c = counts[edit];
        std::cout << edit.toStdString() << ": exact " << c[0] << ", damaged " << c[1] << ", skipped " << c[2] << "\n";
        damaged += c[1];
    }
    EXPECT_EQ(damaged, 0);
}

// The judging, on sources of the shapes the engine's own editing gives back: each verdict must
// be able to tell an edit that changed only its place from one that reached further.
TEST(RealPagesJudge, TypedTextCountsWhereTheCaretWasAndNowhereElse) {
    const QString page = "<p>One  <b>two</b> <i>Word</i> end</p>";
    const int pos = page.indexOf("Word");
    EXPECT_TRUE(judgeTyped(page, QString(page).insert(pos, "Qzx "), pos).exact);
    EXPECT_TRUE(judgeTyped(page, QString(page).insert(pos - 3, "Qzx "), pos).exact);       // before <i>
    const QString blanks = "<p>One two  Word end</p>";  // the caret among two blanks, before the second
    EXPECT_TRUE(judgeTyped(blanks, QString(blanks).insert(11, "Qzx&nbsp;"), blanks.indexOf("Word")).exact);
    EXPECT_FALSE(judgeTyped(blanks, QString(blanks).insert(10, "Qzx "), blanks.indexOf("Word")).exact);
    EXPECT_FALSE(judgeTyped(page, QString(page).insert(pos - 8, "Qzx "), pos).exact);      // inside <b>, no blank
    EXPECT_FALSE(judgeTyped(page, QString(page).insert(pos, "Qzx&nbsp;"), pos).exact);
    EXPECT_FALSE(judgeTyped(page, "<p>One  <b>two</b> <i>Qzx Word</i> end.</p>", pos).exact);
    // Two labels side by side: the text goes into the second, with the word; the blanks inside
    // the tags between are no blanks of the text.
    const QString labels = "<td><span class=\"l\">inline</span><span class=\"l\">explicit</span></td>";
    const int at = labels.indexOf("explicit");
    EXPECT_TRUE(judgeTyped(labels, QString(labels).insert(at, "Qzx "), at).exact);
    EXPECT_TRUE(judgeTyped(labels, QString(labels).insert(at - 16, "Qzx "), at).exact);  // before the second label
    EXPECT_FALSE(judgeTyped(labels, QString(labels).insert(at - 23, "Qzx "), at).exact);  // the end of the first
    const QString link = "<li><a href=\"x.html\"><i class=\"ic\"></i>\r\n  <p>Language Menu</p>\r\n</a></li>";
    EXPECT_FALSE(judgeTyped(link, "<li></a><p>Qzx <a href=\"x.html\">Language Menu</a></p><a href=\"x.html\"></li>",
                            link.indexOf("Language")).exact);
}

// A word copied in the page comes with the inline elements that wrap exactly it, as written, or
// alone; never with an element that holds more than it, nor one the page did not write.
TEST(RealPagesJudge, APastedWordCountsAloneOrInTheElementsThatWrapJustIt) {
    const QString page = "<p>Some <a href=\"x\"><b>Bold</b></a> and <i>more words</i></p>\r\n<p>Target here</p>";
    const int pos = page.indexOf("Target"), bold = page.indexOf("Bold"), more = page.indexOf("more");
    EXPECT_TRUE(judgePasted(page, QString(page).insert(pos, "Bold"), pos, "Bold", bold).exact);
    EXPECT_TRUE(judgePasted(page, QString(page).insert(pos, "<b>Bold</b>"), pos, "Bold", bold).exact);
    EXPECT_TRUE(judgePasted(page, QString(page).insert(pos, "<a href=\"x\"><b>Bold</b></a>"), pos, "Bold", bold).exact);
    EXPECT_FALSE(judgePasted(page, QString(page).insert(pos, "<b style=\"color: red;\">Bold</b>"), pos, "Bold", bold).exact);
    EXPECT_FALSE(judgePasted(page, QString(page).insert(pos, "<span>Bold</span>"), pos, "Bold", bold).exact);
    EXPECT_FALSE(judgePasted(page, QString(page).insert(pos - 3, "Bold"), pos, "Bold", bold).exact);  // before <p>
    EXPECT_TRUE(judgePasted(page, QString(page).insert(pos, "more"), pos, "more", more).exact);
    EXPECT_FALSE(judgePasted(page, QString(page).insert(pos, "<i>more</i>"), pos, "more", more).exact);
}

// A cut word may take a blank beside it only where a blank stays on its other side, and leave a
// line break only in a block it was all of.
TEST(RealPagesJudge, ACutWordCountsGoneWithWhatShowsTheSame) {
    const QString page = "<p>ligula eget\r\n  dolor <b>sit</b> amet</p>\r\n<td>Lynx</td>";
    const int pos = page.indexOf("eget");
    EXPECT_TRUE(judgeCut(page, QString(page).remove(pos, 4), pos, "eget", false).exact);
    EXPECT_TRUE(judgeCut(page, QString(page).remove(pos, 8), pos, "eget", false).exact);
    EXPECT_TRUE(judgeCut(page, QString(page).remove(pos - 1, 5), pos, "eget", false).exact);
    EXPECT_FALSE(judgeCut(page, QString(page).remove(pos - 1, 10), pos, "eget", false).exact);  // no blank left
    const int sit = page.indexOf("sit");
    EXPECT_TRUE(judgeCut(page, QString(page).remove(sit - 3, 10), sit, "sit", false).exact);  // its <b> too
    EXPECT_FALSE(judgeCut(page, QString(page).replace(sit, 3, "<br>"), sit, "sit", false).exact);
    const int lynx = page.indexOf("Lynx");
    EXPECT_TRUE(judgeCut(page, QString(page).replace(lynx, 4, "<br>"), lynx, "Lynx", true).exact);
    EXPECT_FALSE(judgeCut(page, QString(page).replace(lynx, 4, "<br>"), lynx, "Lynx", false).exact);
}

TEST(RealPagesJudge, EnterCountsAsASplitOfItsOwnBlockAtTheCaret) {
    const QString page = "<dl><dt>-u</dt><dd><div><p class=\"x\">show untracked files and directories.</p></div>"
                         "<ul><li>no</li></ul></dd></dl>";
    const int pos = page.indexOf("and");
    EXPECT_TRUE(judgeEnter(page, QString(page).insert(pos, "</p><p>"), pos, "p").exact);
    EXPECT_TRUE(judgeEnter(page, QString(page).insert(pos, "</p><p class=\"x\">"), pos, "p").exact);
    EXPECT_TRUE(judgeEnter(page, QString(page).insert(pos, "<br>"), pos, "p").exact);
    EXPECT_FALSE(judgeEnter(page, QString(page).insert(pos, "</p><p style=\"margin:0\">"), pos, "p").exact);
    EXPECT_FALSE(judgeEnter(page, QString(page).insert(pos, "</div><div>"), pos, "p").exact);
    EXPECT_FALSE(judgeEnter(page, QString(page).insert(pos, "</p><p id=\"y\">"), pos, "p").exact);
    const QString link = "<div class=\"d\"><a class=\"small\" href=\"login.html\">Return to login</a></div>";
    const int at = link.indexOf("login<");
    EXPECT_TRUE(judgeEnter(link, QString(link).insert(at, "</a></div><div class=\"d\"><a class=\"small\" href=\"login.html\">"),
                           at, "div").exact);
    EXPECT_FALSE(judgeEnter(link, QString(link).insert(at, "</a></div><div class=\"d\">"), at, "div").exact);
    // The link's start tag broken over two lines in the source is the same tag on one.
    const QString broken = "<p class=\"mb-4\">See the <a\r\n    href=\"https://x.org/docs\">Bootstrap Documentation</a> page.</p>";
    const int doc = broken.indexOf("Documentation");
    EXPECT_TRUE(judgeEnter(broken, QString(broken).insert(doc, "</a></p><p class=\"mb-4\"><a href=\"https://x.org/docs\">"), doc,
                           "p").exact);
    EXPECT_FALSE(judgeEnter(broken, QString(broken).insert(doc, "</a></p><p class=\"mb-4\"><a href=\"https://x.org/doc\">"), doc,
                            "p").exact);
    // A signature's term split where the caret was, between two of its inline elements: the
    // second part has the term's attributes but its id, which stays with the first.
    const QString term = "<dt class=\"sig\" id=\"f\"><span class=\"n\">f</span><span class=\"p\">(</span><em class=\"a\">"
                         "<span class=\"pre\">x</span></em>)</dt>";
    const int x = term.indexOf("x<");
    const int em = term.indexOf("<em");
    EXPECT_TRUE(judgeEnter(term, QString(term).insert(em, "</dt><dt class=\"sig\">"), x, "dt").exact);
    EXPECT_FALSE(judgeEnter(term, QString(term).insert(em, "</dt><dt class=\"sig\" id=\"f\">"), x, "dt").exact);
    EXPECT_FALSE(judgeEnter(term, QString(term).insert(em, "</dt><dt class=\"fig\">"), x, "dt").exact);
    EXPECT_FALSE(judgeEnter(term, QString(term).insert(term.indexOf("(<"), "<br>"), x, "dt").exact);
    EXPECT_FALSE(judgeEnter(page,
                            "<dl><dt>-u</dt><dd><div><p class=\"x\">show untracked files </p></div><ul><li>no</li></ul>"
                            "</dd><dd><p>and directories.</p></dd></dl>",
                            pos, "p").exact);
}

TEST(RealPagesJudge, BoldCountsAroundExactlyTheWord) {
    const QString page = "<div>\r\n      Earnings today</div>";
    const int pos = page.indexOf("Earnings");
    EXPECT_TRUE(judgeBold(page, QString(page).replace("Earnings", "<b>Earnings</b>"), pos, "Earnings").exact);
    EXPECT_FALSE(judgeBold(page, "<div><b>\r\n      Earnings</b> today</div>", pos, "Earnings").exact);
    const QString styled = "<div style=\"font-size:11px;color:red\">Modern stack</div>";
    EXPECT_FALSE(judgeBold(styled, "<div style=\"font-size: 11px; color: red;\"><b>Modern</b> stack</div>",
                           styled.indexOf("Modern"), "Modern").exact);
    // In light text under a reset that makes b "bolder", a <b> shows a normal weight: a new
    // element whose style says bold shows it, and the word must show bold either way.
    const QString light = "<p class=\"lead\">123 Testing Ave</p>";
    const int w = light.indexOf("Testing");
    const QString spanned = QString(light).replace("Testing", "<span style=\"font-weight: bold\">Testing</span>");
    EXPECT_TRUE(judgeBold(light, spanned, w, "Testing", 700).exact);
    EXPECT_FALSE(judgeBold(light, QString(light).replace("Testing", "<b>Testing</b>"), w, "Testing", 400).exact);
    EXPECT_FALSE(judgeBold(light, spanned, w, "Testing", 400).exact);
    EXPECT_FALSE(judgeBold(light, QString(light).replace("Testing", "<span style=\"color: red\">Testing</span>"), w, "Testing", 700).exact);
}

TEST(RealPagesJudge, ADeleteAcrossBlocksCountsWhenTheSecondBlocksRestJoinsTheFirst) {
    const QString page = "<h2 id=\"t\">Using the stream</h2>\r\n<div class=\"example\">Call <code>deflate</code> "
                         "while input</div>\r\n<p>After</p>";
    const int a = page.indexOf("stream"), b = page.indexOf("while");
    const QString joined = "<h2 id=\"t\">Using the while input</h2>\r\n<p>After</p>";
    EXPECT_TRUE(judgeCrossDelete(page, joined, a, b, "div").exact);
    EXPECT_FALSE(judgeCrossDelete(page, "<h2 id=\"t\">Using the while input</h2>\r\n<p>After </p>", a, b, "div").exact);
    EXPECT_FALSE(judgeCrossDelete(page, "<h2 id=\"t\">Using the input</h2>\r\n<p>After</p>", a, b, "div").exact);
    EXPECT_FALSE(judgeCrossDelete(page, "<h2 id=\"t\">Using the <span style=\"font-size: 1em;\">while input</span></h2>\r\n"
                                        "<p>After</p>", a, b, "div").exact);
    EXPECT_FALSE(judgeCrossDelete(page, "<h2 id=\"t\">Using the </h2>\r\n<div class=\"example\">while input</div>\r\n"
                                        "<p>After</p>", a, b, "div").exact);

    // The rest may start with the letters the first block's kept part ends with.
    const QString events = "<div class=\"e\">Go home</div>\r\n<div class=\"e\">Do homework</div>\r\n";
    EXPECT_TRUE(judgeCrossDelete(events, "<div class=\"e\">Go homework</div>\r\n", events.indexOf("home"),
                                 events.indexOf("homework"), "div").exact);
    // Rows of label and text: the row the second label leaves stays, and the source's difference
    // can be read as starting a row, which does not count against the join.
    const QString rows = "<div class=\"r\"><div><div class=\"d\">A summary</div></div><i></i></div>\r\n"
                         "<div class=\"r\"><div><div class=\"l\">Security alerts</div><div class=\"d\">Sign</div></div></div>";
    EXPECT_TRUE(judgeCrossDelete(rows, "<div class=\"r\"><div><div class=\"d\">A alerts</div></div></div>"
                                       "<div class=\"r\"><div><div class=\"d\">Sign</div></div></div>",
                                 rows.indexOf("summary"), rows.indexOf("alerts"), "div").exact);
    // A wrapper that held the second block alone goes with it; one not named as such stays.
    const QString wrapped = "<dd>\r\n<p>\r\nThe action will be performed on.\r\n</p>\r\n<div class=\"paragraph\"><p>All "
                            "actions but those.</p></div>\r\n</dd>";
    const QString unwrapped = "<dd>\r\n<p>\r\nThe action will be actions but those.</p>\r\n</dd>";
    const int c = wrapped.indexOf("performed"), d = wrapped.indexOf("actions");
    EXPECT_TRUE(judgeCrossDelete(wrapped, unwrapped, c, d, "p", {"div"}).exact);
    EXPECT_FALSE(judgeCrossDelete(wrapped, unwrapped, c, d, "p").exact);
    EXPECT_FALSE(judgeCrossDelete(wrapped, QString(unwrapped).replace("</dd>", ""), c, d, "p", {"div"}).exact);
    // A user line, a span a style sheet shows as a block: its rest alone joins, the span under it stays.
    const QString post = "<p><a href=\"#\">Demo File</a></p>\r\n<div class=\"user\"><span class=\"name\"><a href=\"#\">Sarah "
                         "Ross</a></span>\r\n<span class=\"note\">Sent you</span></div>";
    const int e = post.indexOf("File"), f = post.indexOf("Ross");
    EXPECT_TRUE(judgeCrossDelete(post, "<p><a href=\"#\">Demo </a><a href=\"#\">Ross</a></p>\r\n<div class=\"user\">\r\n"
                                       "<span class=\"note\">Sent you</span></div>", e, f, "span").exact);
    EXPECT_FALSE(judgeCrossDelete(post, "<p><a href=\"#\">Demo </a><a href=\"#\">Ross</a>\r\n<span class=\"note\">Sent you</span>"
                                        "</p>", e, f, "span").exact);
    // A form's label over a field shown as a block: the label's line ends at the field, which stays.
    const QString form = "<p class=\"lead\">123 Testing Ave</p>\r\n<div class=\"group\"><label for=\"n\">Your Name</label>\r\n"
                         "<input type=\"text\" id=\"n\" class=\"control\">\r\n</div>";
    const int g = form.indexOf("Testing"), h = form.indexOf("Name");
    const QString labelJoined = "<p class=\"lead\">123 Name</label>\r\n</p><div class=\"group\"><input type=\"text\" id=\"n\" "
                                "class=\"control\">\r\n</div>";
    EXPECT_TRUE(judgeCrossDelete(form, labelJoined, g, h, "div", {}, "input").exact);
    EXPECT_FALSE(judgeCrossDelete(form, labelJoined, g, h, "div").exact);
    EXPECT_FALSE(judgeCrossDelete(form, "<p class=\"lead\">123 Name</label>\r\n</p><div class=\"group\"></div>", g, h, "div", {},
                                  "input").exact);
}

}  // namespace
}  // namespace kavrin::test
