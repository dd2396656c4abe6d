// The design surface's own editing: each edit the user makes (typing, Enter, Backspace and
// Delete, cut, paste, a drop) is made here as the least change of the document that shows it, in
// place of the engine's, which moves and splits the author's elements far around the caret. The
// history of the document's changes, whoever made them, is kept here too, so that undo and redo
// take back exactly what each edit did. It runs in the designer's script world, before it.
(function () {
  'use strict';
  if (window.kvEdit) return;
  const ed = (window.kvEdit = {});

  let active = false;
  let separator = 'p';

  // ---- Places -------------------------------------------------------------------------------

  const blockTags = new Set(['ADDRESS', 'ARTICLE', 'ASIDE', 'BLOCKQUOTE', 'BODY', 'CAPTION', 'CENTER', 'DD', 'DETAILS',
    'DIR', 'DIV', 'DL', 'DT', 'FIELDSET', 'FIGCAPTION', 'FIGURE', 'FOOTER', 'FORM', 'H1', 'H2', 'H3', 'H4', 'H5', 'H6',
    'HEADER', 'HR', 'HTML', 'LEGEND', 'LI', 'LISTING', 'MAIN', 'MENU', 'NAV', 'OL', 'P', 'PRE', 'SECTION', 'SUMMARY',
    'TABLE', 'TBODY', 'TD', 'TFOOT', 'TH', 'THEAD', 'TR', 'UL', 'XMP', 'PLAINTEXT']);
  // The blocks Enter splits; in any other the engine's own Enter makes the paragraph the options ask for.
  const splitTags = new Set(['P', 'LI', 'DD', 'DT', 'DIV', 'H1', 'H2', 'H3', 'H4', 'H5', 'H6', 'BLOCKQUOTE']);
  const tableParts = new Set(['TABLE', 'TBODY', 'THEAD', 'TFOOT', 'TR', 'COLGROUP']);
  const visibleEmpty = 'img,br,input,select,textarea,hr,iframe,object,embed,video,audio,canvas,svg,button,table';

  function body() { return document.body; }
  // A block is what the page shows as one: a span a style sheet lays out as a block is one, a
  // list item shown inline is not (as the engine's own editing has it). An element not shown, or
  // not in the page yet, is taken by its tag.
  function isBlock(n) {
    if (!n || n.nodeType !== 1) return false;
    if (n.isConnected) {
      const d = getComputedStyle(n).display;
      if (d && d !== 'none') return !d.startsWith('inline') && d !== 'contents';
    }
    return blockTags.has(n.tagName);
  }
  function unshown(n) { return n.nodeType === 1 && n.isConnected && getComputedStyle(n).display === 'none'; }
  function inBody(n) { return !!n && !!body() && body().contains(n); }
  function elementOf(n) { return n.nodeType === 1 ? n : n.parentElement; }
  function nearestBlock(n) {
    for (let e = elementOf(n); e; e = e.parentElement) if (isBlock(e)) return e;
    return body();
  }
  function cellOf(n) { const e = elementOf(n); return e ? e.closest('td,th,caption') : null; }
  function preformatted(n) { const e = elementOf(n); return !!e && !!e.closest('pre,listing,xmp,plaintext,textarea'); }
  function index(n) { let i = 0; for (let c = n.previousSibling; c; c = c.previousSibling) i++; return i; }
  function length(n) { return n.nodeType === 3 || n.nodeType === 8 ? n.length : n.childNodes.length; }
  // Whether a node shows anything: it stops at the first thing it finds, however long the block.
  function hasContent(el, besides) {
    const w = document.createTreeWalker(el, NodeFilter.SHOW_TEXT | NodeFilter.SHOW_ELEMENT);
    for (let x = w.nextNode(); x; x = w.nextNode()) {
      if (x === besides) continue;
      if (x.nodeType === 3 ? /[^ \t\r\n]/.test(x.data) : x.matches(visibleEmpty)) return true;
    }
    return false;
  }
  function blank(el) {
    for (const c of el.childNodes) if (c.nodeType !== 3 || /[^ \t\r\n]/.test(c.data)) return false;
    return true;
  }

  function range() {
    const s = getSelection();
    return s && s.rangeCount ? s.getRangeAt(0) : null;
  }
  // Each change of the selection after an edit has the engine lay the page out first, which on
  // a long page takes far longer than the edit: the selection is set in one call, once.
  function setCaret(n, o) {
    getSelection().collapse(n, Math.min(o, length(n)));
  }
  // Whether the selection is a caret at a place. Asked whether it is collapsed after a change,
  // the selection has the engine lay the page out first; its ends it gives as they are.
  function caretIs(n, o) {
    const s = getSelection();
    return s.anchorNode === n && s.anchorOffset === o && s.focusNode === n && s.focusOffset === o;
  }
  function setRange(sc, so, ec, eo) {
    getSelection().setBaseAndExtent(sc, Math.min(so, length(sc)), ec, Math.min(eo, length(ec)));
  }
  function fromStatic(sr) {
    const r = document.createRange();
    r.setStart(sr.startContainer, sr.startOffset);
    r.setEnd(sr.endContainer, sr.endOffset);
    return r;
  }
  // A place moved out of the elements it is at the start or end of, up to `top`: what goes there
  // then goes beside them rather than into them.
  // `past`: what shows nothing beside the place (an empty text or element) does not hold it in.
  function outward(n, o, top, past) {
    const empty = (x) => (x.nodeType === 3 ? x.length === 0 : x.nodeType === 1 && !x.textContent && !x.matches(visibleEmpty) && !x.querySelector(visibleEmpty));
    const startsAt = (x, k) => { if (!past || x.nodeType !== 1) return k === 0; for (let i = 0; i < k; i++) if (!empty(x.childNodes[i])) return false; return true; };
    const endsAt = (x, k) => { if (!past || x.nodeType !== 1) return k === length(x); for (let i = k; i < x.childNodes.length; i++) if (!empty(x.childNodes[i])) return false; return true; };
    while (n !== top && n.parentNode) {
      if (o === 0 || startsAt(n, o)) { o = index(n); n = n.parentNode; continue; }
      if (o === length(n) || endsAt(n, o)) { o = index(n) + 1; n = n.parentNode; continue; }
      break;
    }
    return { n, o };
  }
  function insertNode(n, o, node) {
    if (n.nodeType === 3) {
      if (o === 0) n.parentNode.insertBefore(node, n);
      else if (o === n.length) n.parentNode.insertBefore(node, n.nextSibling);
      else n.parentNode.insertBefore(node, n.splitText(o));
      return;
    }
    n.insertBefore(node, n.childNodes[o] || null);
  }

  // The character shown next to a place inside its block: '' at the block's edge or a line break.
  function neighbour(n, o, back) {
    if (n.nodeType === 3) {
      if (back ? o > 0 : o < n.length) return n.data[back ? o - 1 : o];
    } else {
      const kids = n.childNodes;
      for (let i = back ? o - 1 : o; back ? i >= 0 : i < kids.length; i += back ? -1 : 1) {
        const c = edgeChar(kids[i], back);
        if (c !== null) return c;
      }
    }
    for (let x = n; x && !isBlock(x); x = x.parentNode) {
      for (let s = back ? x.previousSibling : x.nextSibling; s; s = back ? s.previousSibling : s.nextSibling) {
        const c = edgeChar(s, back);
        if (c !== null) return c;
      }
    }
    return '';
  }
  // The last (or first) character a node shows; null for one that shows nothing.
  function edgeChar(node, back) {
    if (node.nodeType === 3) return node.length ? node.data[back ? node.length - 1 : 0] : null;
    if (node.nodeType !== 1) return null;
    if (isBlock(node) || node.tagName === 'BR') return '';
    if (/^(IMG|INPUT|SELECT|TEXTAREA|BUTTON|IFRAME|OBJECT|EMBED|VIDEO|AUDIO|CANVAS|SVG)$/.test(node.tagName)) return 'x';
    const kids = node.childNodes;
    for (let i = back ? kids.length - 1 : 0; back ? i >= 0 : i < kids.length; i += back ? -1 : 1) {
      const c = edgeChar(kids[i], back);
      if (c !== null) return c;
    }
    return null;
  }
  const collapsing = /[ \t\r\n]/;

  // ---- Changes ------------------------------------------------------------------------------

  // An empty inline element that shows a picture of the style sheet's (an icon font's
  // `<i class="fa ...">`) holds no text: what goes in at it goes just after it, where it shows.
  function besideIcon(n, o) {
    if (n.nodeType !== 1 || n.firstChild || n === body() || isBlock(n) || n.matches(visibleEmpty)) return { n, o };
    const drawn = (p) => { const c = getComputedStyle(n, p).content; return !!c && c !== 'none' && c !== 'normal'; };
    if (!drawn('::before') && !drawn('::after')) return { n, o };
    return { n: n.parentNode, o: index(n) + 1 };
  }
  // A space typed where the page would not show it (beside another, at the edge of a line) goes
  // in as a no-break space, and back to a plain one once the next letter follows it.
  let shownSpace = null;
  function insertText(n, o, text) {
    ({ n, o } = besideIcon(n, o));
    if (n.nodeType !== 3) {
      // Text has no place between rows, list items or the like: the engine finds it one.
      if (/^(HTML|HEAD|TABLE|TBODY|THEAD|TFOOT|TR|COLGROUP|UL|OL|DL|MENU|DIR|SELECT|OPTGROUP)$/.test(n.tagName)) return false;
      const before = n.childNodes[o - 1];
      const after = n.childNodes[o] || null;
      if (before && before.nodeType === 3) { n = before; o = before.length; }
      else if (after && after.nodeType === 3) { n = after; o = 0; }
      else {
        const t = document.createTextNode('');
        n.insertBefore(t, after);
        // The line break that held an empty block open is not wanted once it has text.
        if (after && after.nodeType === 1 && after.tagName === 'BR' && !after.nextSibling) {
          const block = nearestBlock(n);
          if (block !== body() && !hasContent(block, after)) after.remove();
        }
        n = t; o = 0;
      }
    }
    let prev = '';
    if (!preformatted(n)) {
      prev = neighbour(n, o, true);
      const next = neighbour(n, o, false);
      let out = '';
      for (let i = 0; i < text.length; i++) {
        let c = text[i];
        if (c === ' ') {
          const p = i ? out[i - 1] : prev;
          const q = i + 1 < text.length ? text[i + 1] : next;
          if (p === '' || p === ' ' || collapsing.test(p) || q === '' || collapsing.test(q)) c = '\u00a0';
        }
        out += c;
      }
      text = out;
    }
    // The space shown as a no-break one becomes a plain one again once a letter follows it.
    const shown = shownSpace;
    shownSpace = null;
    const respace = (t, at) => !!shown && shown.node === t && shown.offset === at && t.data[at] === '\u00a0' && !collapsing.test(text[0]);
    // The text goes in so that the engine moves the caret past it as it keeps the selection
    // through the change: setting the caret after an edit would have it lay the page out.
    let holder = n;
    let end = o + text.length;
    if (o > 0) {
      // Put in together with the character before the caret, whose old copy then goes.
      n.insertData(o - 1, (respace(n, o - 1) ? ' ' : n.data[o - 1]) + text);
      n.deleteData(o + text.length, 1);
    } else if (n.length) {
      // At the start of a text node the caret stays there, after text put just before it.
      holder = n.previousSibling && n.previousSibling.nodeType === 3 ? n.previousSibling : n.parentNode.insertBefore(document.createTextNode(''), n);
      if (respace(holder, holder.length - 1)) holder.replaceData(holder.length - 1, 1, ' ');
      end = holder.length + text.length;
      holder.appendData(text);
    } else n.insertData(0, text);
    if (text.endsWith('\u00a0')) shownSpace = { node: holder, offset: end - 1 };
    const caretAt = holder === n ? [n, end] : [n, 0];
    if (!caretIs(caretAt[0], caretAt[1])) setCaret(caretAt[0], caretAt[1]);
    return true;
  }

  // Takes a range's content out of the page. Within a block its characters and the elements it
  // wholly holds go; across two blocks the rest of the second block joins the first where the
  // range began, and the second goes once it is empty. Nothing outside the two blocks changes.
  // `tidy`: the elements the range emptied go too (a deletion; typing over keeps them, so the
  // typed text takes their formatting). Gives the place where the range was, or null for a
  // range the engine deletes better (across table cells).
  function deleteContent(r, tidy) {
    if (!inBody(r.startContainer) || !inBody(r.endContainer)) return null;
    if (r.startContainer === r.endContainer && r.startContainer.nodeType === 3) {
      r.startContainer.deleteData(r.startOffset, r.endOffset - r.startOffset);
      return tidy ? tidied(r.startContainer, r.startOffset) : { n: r.startContainer, o: r.startOffset };
    }
    r = inward(r);
    const sc = r.startContainer, ec = r.endContainer;
    const common = r.commonAncestorContainer;
    if ((cellOf(sc) !== cellOf(ec) && holdsCells(r)) || (common.nodeType === 1 && tableParts.has(common.tagName))) return null;
    const startBlock = nearestBlock(sc);
    const endBlock = nearestBlock(ec);
    const startItem = blockToSplit(sc);
    const endItem = blockToSplit(ec);
    const rest = document.createRange();
    rest.setStart(ec, r.endOffset);
    // The start kept as a range of its own: deleting leaves a range after the top element it
    // cut into, where the start itself stays put.
    const live = document.createRange();
    live.setStart(sc, r.startOffset);
    r.cloneRange().deleteContents();
    if (startBlock !== endBlock) join(live, rest, startBlock, endBlock, common);
    if (startItem !== endItem && (startItem !== startBlock || endItem !== endBlock)) joinItems(startItem, endItem);
    const at = { n: live.startContainer, o: live.startOffset };
    if (tidy) return tidied(at.n, at.o);
    return at;
  }
  // Whether a range holds a whole cell or row: taken out, it would leave the table out of
  // shape. A range from the last cell of a table to the text after it holds none.
  function holdsCells(r) {
    const root = elementOf(r.commonAncestorContainer);
    for (const el of root.querySelectorAll('td,th,tr,caption')) {
      if (!r.intersectsNode(el)) continue;
      const parent = el.parentNode, i = index(el);
      if (r.comparePoint(parent, i) === 0 && r.comparePoint(parent, i + 1) === 0) return true;
    }
    return false;
  }
  // A range that starts after a block (or ends before one) as the engine gives it for a key at
  // a block's edge: moved into the block, so that what joins goes into it.
  function inward(r) {
    let n = r.startContainer, o = r.startOffset;
    for (;;) {
      if (n.nodeType !== 1) break;
      let i = o - 1;
      while (i >= 0 && n.childNodes[i].nodeType === 3 && !/[^ \t\r\n]/.test(n.childNodes[i].data)) i--;
      const prev = n.childNodes[i];
      if (!prev || !isBlock(prev) || tableParts.has(prev.tagName) || /^(HR|TD|TH)$/.test(prev.tagName)) break;
      n = prev;
      o = prev.childNodes.length;
    }
    let m = r.endContainer, p = r.endOffset;
    for (;;) {
      if (m.nodeType !== 1) break;
      let i = p;
      let hidden = false;
      for (; i < m.childNodes.length; i++) {
        const c = m.childNodes[i];
        if (c.nodeType === 3 && !/[^ \t\r\n]/.test(c.data)) continue;
        if (!unshown(c)) break;
        hidden = true;
      }
      const next = m.childNodes[i];
      if (!next || !isBlock(next) || tableParts.has(next.tagName) || /^(HR|TD|TH)$/.test(next.tagName)) {
        // The engine ends a selection before what a style hides ahead of the text it shows
        // first: that goes with the selection, which shows ending at that text.
        if (hidden) p = i;
        break;
      }
      m = next;
      p = 0;
    }
    const out = document.createRange();
    out.setStart(n, o);
    out.setEnd(m, p);
    return out;
  }
  function join(live, rest, startBlock, endBlock, common) {
    // The first node of what follows the range inside the second block.
    let first;
    const rn = rest.startContainer, ro = rest.startOffset;
    if (rn.nodeType === 3) first = rn;
    else if (ro < rn.childNodes.length) first = rn.childNodes[ro];
    // Inside an empty element (an icon, where a line that starts with one begins): it is the rest.
    else if (ro === 0 && rn !== endBlock) first = rn;
    else {
      first = null;
      for (let x = rn; x && x !== endBlock; x = x.parentNode) if (x.nextSibling) { first = x.nextSibling; break; }
    }
    if (!first || !endBlock.contains(first)) return;
    while (first.parentNode !== endBlock) first = first.parentNode;
    if (first.contains(startBlock) || isBlock(first)) return;
    const moving = [];
    for (let x = first; x && !isBlock(x); x = x.nextSibling) moving.push(x);
    // Out of the inline elements the caret is at the end of, once nothing shows after it in them
    // (what the range emptied is still there): the rest keeps its own formatting, not theirs.
    let { n, o } = outward(live.startContainer, live.startOffset, startBlock, true);
    if (n.nodeType === 3) { o = index(n) + (o ? 1 : 0); n = n.parentNode; }
    const before = n.childNodes[o] || null;
    for (const x of moving) n.insertBefore(x, before);
    // Split by Enter, a paragraph's two parts come together again as one.
    const head = moving[0].previousSibling;
    if (twins(head, moving[0])) {
      while (moving[0].firstChild) head.appendChild(moving[0].firstChild);
      moving[0].remove();
    }
    // The second block and what held it, once they hold nothing.
    for (let x = endBlock; x && x !== common && !x.contains(startBlock) && blank(x);) {
      const up = x.parentNode;
      x.remove();
      x = up;
    }
  }
  // Two copies of one element, each holding something: an empty one (an icon) is not merged away.
  function twins(a, b) {
    return !!a && !!b && a.nodeType === 1 && b.nodeType === 1 && !!a.firstChild && !!b.firstChild &&
      a.cloneNode(false).isEqualNode(b.cloneNode(false));
  }
  // Two list items (or blocks) whose text lies in links a style sheet shows as blocks: once those
  // have joined, what is left of the second item (a submenu) joins the first, as after Enter
  // there the item is one again.
  function joinItems(first, second) {
    if (!first.isConnected || !second.isConnected || first.tagName !== second.tagName || !splitTags.has(first.tagName)) return;
    let next = first.nextSibling;
    while (next && next.nodeType === 3 && !/[^ \t\r\n]/.test(next.data)) next = next.nextSibling;
    if (next !== second) return;
    while (second.firstChild) first.appendChild(second.firstChild);
    second.remove();
  }
  // After a deletion: an empty text node and the inline elements it leaves empty go; a block
  // left with nothing gets a line break, so that it keeps its line.
  function tidied(n, o) {
    if (n.nodeType === 3 && n.length === 0) {
      let x = n;
      while (x.parentNode && x.parentNode !== body() && !isBlock(x.parentNode) && x.parentNode.childNodes.length === 1) x = x.parentNode;
      const parent = x.parentNode;
      o = index(x);
      x.remove();
      n = parent;
    }
    const block = nearestBlock(n);
    if (block !== body() && !hasContent(block)) {
      const br = document.createElement('br');
      if (n === block || block.contains(n)) insertNode(n, o, br); else block.appendChild(br);
      return { n: br.parentNode, o: index(br) };
    }
    return { n, o };
  }

  // The block Enter splits: the nearest. An inline element a style sheet shows as a block splits
  // as one (a link of a list of links becomes two), but inside a list item it is the item that
  // splits (the link of an admin sidebar's item, around the item's text and before its submenu).
  function blockToSplit(n) {
    const near = nearestBlock(n);
    if (blockTags.has(near.tagName)) return near;
    for (let e = near.parentElement; e; e = e.parentElement) {
      if (isBlock(e) && blockTags.has(e.tagName)) return /^(LI|DD|DT)$/.test(e.tagName) ? e : near;
    }
    return near;
  }
  // Enter: the block around the caret splits there, both parts with its tag and attributes
  // (an id stays with the first); a heading ended at its end is followed by a paragraph. Gives
  // the element the split put after the caret, or null where the engine's Enter is wanted.
  // The part before the caret is what moves, into a copy of the block put before it: the caret
  // stays where it was, at the start of what is left, and the engine need not lay the page out
  // to put it there.
  function splitBlock(n, o) {
    const block = blockToSplit(n);
    if (!splitTags.has(block.tagName) && blockTags.has(block.tagName)) return null;
    if (block.tagName === 'LI' && !hasContent(block)) return null;
    ({ n, o } = outward(n, o, block));
    if (/^H[1-6]$/.test(block.tagName)) {
      const tail = document.createRange();
      tail.setStart(n, o);
      tail.setEnd(block, block.childNodes.length);
      if (!hasContent(tail.cloneContents())) {
        const para = document.createElement(separator);
        para.appendChild(document.createElement('br'));
        block.parentNode.insertBefore(para, block.nextSibling);
        setCaret(para, 0);
        return para;
      }
    }
    // A named anchor the caret is in (`<a id=x/>` of generated manuals, which the parser keeps open
    // to the end of the block) stays with the first part alone: split, it would name two places.
    const anchors = [];
    for (let x = n.nodeType === 1 ? n : n.parentNode; x && x !== block; x = x.parentNode)
      if (x.tagName === 'A' && !x.hasAttribute('href') && x !== n) anchors.push(x);
    const r = document.createRange();
    r.setStart(block, 0);
    r.setEnd(n, o);
    const head = r.extractContents();
    for (const a of anchors) {
      while (a.firstChild) a.parentNode.insertBefore(a.firstChild, a);
      a.remove();
    }
    const first = block.cloneNode(false);
    block.removeAttribute('id');
    first.appendChild(head);
    if (!hasContent(first)) first.appendChild(document.createElement('br'));
    block.parentNode.insertBefore(first, block);
    if (!hasContent(block)) block.appendChild(document.createElement('br'));
    if (!caretIs(n, 0)) setCaret(n, 0);
    return block;
  }

  // Shift+Enter: a line break; one at the end of a block takes a second to show its line.
  function lineBreak(n, o) {
    if (preformatted(n)) return insertText(n, o, '\n');
    const br = document.createElement('br');
    insertNode(n, o, br);
    if (endsLine(br)) br.parentNode.insertBefore(document.createElement('br'), br.nextSibling);
    const next = br.nextSibling;
    if (next && next.nodeType === 3) setCaret(next, 0);
    else setCaret(br.parentNode, index(br) + 1);
    return true;
  }

  // Whether nothing shows after a node on its line: a line break there would show no new line.
  function endsLine(node) {
    for (let x = node; x && !isBlock(x); x = x.parentNode) {
      for (let s = x.nextSibling; s; s = s.nextSibling) {
        if (edgeChar(s, false) === null) continue;
        return isBlock(s);
      }
    }
    return true;
  }

  // ---- Clipboard ----------------------------------------------------------------------------

  // What the page last put on the clipboard: pasted back, it comes in as the same elements.
  let copied = null;
  function rangeHtml(r) {
    const holder = document.createElement('div');
    holder.appendChild(r.cloneContents());
    return holder.innerHTML;
  }
  function putOnClipboard(data, r) {
    copied = rangeHtml(r);
    data.setData('text/html', copied);
    data.setData('text/plain', getSelection().toString());
  }
  function ownHtml(html) {
    return copied !== null && !!html && html.replace(/^\s*<meta[^>]*>/i, '') === copied;
  }
  // Puts a pasted or dropped piece in at a place: the page's own elements, or text from outside
  // as text, its lines as line breaks.
  function insertPiece(n, o, html, text) {
    if (html === null) {
      text = text.replace(/\r\n?/g, '\n');
      if (preformatted(n) || !text.includes('\n')) return insertText(n, o, text);
      const frag = document.createDocumentFragment();
      text.split('\n').forEach((line, i) => {
        if (i) frag.appendChild(document.createElement('br'));
        if (line) frag.appendChild(document.createTextNode(line));
      });
      return insertFragment(n, o, frag);
    }
    const t = document.createElement('template');
    t.innerHTML = html;
    return insertFragment(n, o, document.importNode(t.content, true));
  }
  function insertFragment(n, o, frag) {
    const nodes = Array.from(frag.childNodes);
    if (!nodes.length) return true;
    ({ n, o } = besideIcon(n, o));
    const blocks = nodes.some(isBlock);
    const block = nearestBlock(n);
    if (blocks && splitTags.has(block.tagName)) {
      // Blocks go beside the block the caret is in, splitting it where the caret is.
      const at = outward(n, o, block);
      if (at.n === block && at.o === 0) block.parentNode.insertBefore(frag, block);
      else if (at.n === block && at.o === block.childNodes.length) block.parentNode.insertBefore(frag, block.nextSibling);
      else {
        const after = splitBlock(n, o);
        after.parentNode.insertBefore(frag, after);
      }
    } else insertNode(n, o, frag);
    const last = nodes[nodes.length - 1];
    if (last.nodeType === 3) setCaret(last, last.length);
    else setCaret(last.parentNode, index(last) + 1);
    return true;
  }

  // ---- History ------------------------------------------------------------------------------

  // A step is the document's changes of one edit or command as the observer saw them; taking a
  // step back applies them backwards, and the changes that makes are the step forward again.
  const undoStack = [];
  const redoStack = [];
  let open = null;
  let lastPlace = null;
  let merging = false;
  const history = new MutationObserver((records) => { if (active) collect(records); });

  function place() {
    const r = range();
    return r ? { sc: r.startContainer, so: r.startOffset, ec: r.endContainer, eo: r.endOffset } : null;
  }
  function samePlace(a, b) { return !!a && !!b && a.sc === b.sc && a.so === b.so && a.ec === b.ec && a.eo === b.eo; }
  function restore(p) {
    if (!p || !p.sc.isConnected || !p.ec.isConnected) return;
    setRange(p.sc, p.so, p.ec, p.eo);
  }
  function collect(records) {
    if (!records.length) return;
    if (!open) open = { records: [], before: lastPlace, kind: 'engine' };
    for (const r of records) open.records.push(r);
  }
  function begin(kind) {
    close();
    open = { records: [], before: place(), kind };
  }
  // Ends the step under way; typing or deleting on from where the last step of the same kind
  // left the caret is one step with it, as in a text box.
  function close() {
    collect(history.takeRecords());
    const s = open;
    open = null;
    if (!s || !s.records.length) return;
    s.after = place();
    const top = undoStack[undoStack.length - 1];
    if (merging && top && (s.kind === 'typing' || s.kind === 'delete') && top.kind === s.kind && samePlace(top.after, s.before)) {
      for (const r of s.records) top.records.push(r);
      top.after = s.after;
    } else undoStack.push(s);
    merging = true;
    redoStack.length = 0;
  }
  function revert(records) {
    for (let i = records.length - 1; i >= 0; i--) {
      const r = records[i];
      if (r.type === 'characterData') r.target.data = r.oldValue === null ? '' : r.oldValue;
      else if (r.type === 'attributes') {
        if (r.oldValue === null) r.target.removeAttributeNS(r.attributeNamespace, r.attributeName);
        else r.target.setAttributeNS(r.attributeNamespace, r.attributeName, r.oldValue);
      } else {
        for (const n of r.addedNodes) if (n.parentNode === r.target) r.target.removeChild(n);
        let before = r.nextSibling;
        if (!before || before.parentNode !== r.target)
          before = r.previousSibling && r.previousSibling.parentNode === r.target ? r.previousSibling.nextSibling : null;
        for (const n of r.removedNodes) r.target.insertBefore(n, before);
      }
    }
    return history.takeRecords();
  }
  // Takes back what the step under way did so far (an edit that could not be made here).
  function rollback() {
    collect(history.takeRecords());
    if (open && open.records.length) revert(open.records);
    history.takeRecords();
    if (open) open.records = [];
  }
  function undo() {
    close();
    const s = undoStack.pop();
    if (!s) return false;
    redoStack.push({ records: revert(s.records), before: s.before, after: s.after, kind: s.kind });
    restore(s.before);
    merging = false;
    return true;
  }
  function redo() {
    close();
    const s = redoStack.pop();
    if (!s) return false;
    const records = revert(s.records);
    undoStack.push({ records, before: s.before, after: s.after, kind: s.kind });
    restore(s.after);
    merging = false;
    return true;
  }

  // Runs an edit as one step; `work` gives false for an edit it leaves to the engine, which
  // then finds the page as it was.
  function step(kind, work) {
    begin(kind);
    let done = false;
    try { done = work() !== false; } catch (err) { done = false; }
    if (!done) {
      rollback();
      if (open) open.kind = 'engine';
      return false;
    }
    const made = open;
    close();
    if (ed.onTyped) ed.onTyped(typedInPlace(made));
    return true;
  }
  // The text node the caret is in after a step that changed nothing but text (letters, or text
  // nodes put in or taken out; no element, no attribute): nothing about the formatting at the
  // caret can have changed.
  function typedInPlace(made) {
    const n = getSelection().anchorNode;
    if (!made || !made.records.length || !n || n.nodeType !== 3 || !caretIs(n, getSelection().anchorOffset)) return null;
    const texts = (nodes) => Array.prototype.every.call(nodes, (x) => x.nodeType === 3);
    const textOnly = (r) => r.type === 'characterData' || (r.type === 'childList' && texts(r.addedNodes) && texts(r.removedNodes));
    return made.records.every(textOnly) ? n : null;
  }

  // ---- The user's edits ---------------------------------------------------------------------

  // The selection, when an edit of the page's text is to be made there: not in a form field of
  // the page, whose text is its own.
  function inField(e) {
    const t = e && e.target;
    return !!t && t.nodeType === 1 && /^(INPUT|TEXTAREA|SELECT)$/.test(t.tagName);
  }
  function editableRange(e) {
    if (inField(e)) return null;
    const r = range();
    if (!r || !inBody(r.startContainer) || !inBody(r.endContainer)) return null;
    const holder = elementOf(r.commonAncestorContainer);
    if (holder && holder.closest('script,style,textarea,select,option')) return null;
    return r;
  }
  function withCaret(r, tidy) {
    return r.collapsed ? caretOf(r) : deleteContent(r, tidy);
  }

  // Where the last click put the caret, as the user aimed it. The engine moves a caret that
  // stands where one inline element ends and the next begins to the end of the first, and one
  // among blanks the page shows as one to the first of them: typed there, the text would take
  // the formatting of the element before the word clicked, or land where the page's own blanks
  // are no longer the ones it shows. Kept while the caret stays where that click left it.
  let clicked = null;
  document.addEventListener('mouseup', (e) => {
    clicked = null;
    if (!active || e.button !== 0) return;
    const r = range();
    const hit = r && r.collapsed ? document.caretRangeFromPoint(e.clientX, e.clientY) : null;
    if (hit && inBody(hit.startContainer)) clicked = { caret: place(), n: hit.startContainer, o: hit.startOffset };
  }, true);
  function caretOf(r) {
    const at = { n: r.startContainer, o: r.startOffset };
    const c = clicked;
    if (!c || !c.n.isConnected || !samePlace(c.caret, place())) return at;
    const aimed = outsideLinks(at, c);
    return aimed && nothingShownBetween(at, aimed) ? aimed : at;
  }
  // Text put at the start of a link would lengthen the link, as the engine's own typing never
  // does: the aimed place goes before the link it is at the start of.
  function outsideLinks(at, aimed) {
    let { n, o } = aimed;
    for (let e = elementOf(n); e && e !== body() && !isBlock(e); e = e.parentElement) {
      if (e.contains(at.n)) break;
      if (e.tagName === 'A' && e.hasAttribute('href')) {
        const before = document.createRange();
        before.setStart(e, 0);
        before.setEnd(n, o);
        if (before.toString() !== '') return null;
        n = e.parentNode;
        o = index(e);
      }
    }
    return { n, o };
  }
  // Whether two places show as one: within one block, with nothing between them but blanks the
  // page does not show (ones that follow another blank or start the line).
  function nothingShownBetween(a, b) {
    const r = document.createRange();
    r.setStart(a.n, a.o);
    if (r.comparePoint(b.n, b.o) < 0) r.setStart(b.n, b.o);
    r.setEnd(a.n, a.o);
    if (r.comparePoint(b.n, b.o) > 0) r.setEnd(b.n, b.o);
    if (r.collapsed) return true;
    if (nearestBlock(r.startContainer) !== nearestBlock(r.endContainer) || preformatted(r.startContainer)) return false;
    const between = r.toString();
    if (/[^ \t\r\n]/.test(between)) return false;
    const frag = r.cloneContents();
    if (frag.querySelector(visibleEmpty)) return false;
    const prev = neighbour(r.startContainer, r.startOffset, true);
    return between === '' || prev === '' || collapsing.test(prev);
  }
  function deletion(e, r) {
    let target = r;
    if (r.collapsed) {
      const ranges = e.getTargetRanges();
      if (!ranges.length) return false;
      target = fromStatic(ranges[0]);
      if (target.collapsed) return true;
    }
    const at = deleteContent(target, true);
    if (!at) return false;
    setCaret(at.n, at.o);
    return true;
  }
  // Bold, italic or underline turned on or off at a caret apply to what is typed there next: the
  // engine keeps that style, so the typing there is its own.
  let styledAt = null;
  function styleAhead() {
    const r = range();
    styledAt = r && r.collapsed ? place() : null;
  }
  const edits = {
    insertText(e, r) {
      if (styledAt && samePlace(styledAt, place())) return false;
      styledAt = null;
      const text = e.data !== null && e.data !== undefined ? e.data : e.dataTransfer ? e.dataTransfer.getData('text/plain') : '';
      if (!text) return false;
      const at = withCaret(r, false);
      return !!at && insertText(at.n, at.o, text);
    },
    insertReplacementText(e, r) {
      const text = e.data !== null && e.data !== undefined ? e.data : e.dataTransfer ? e.dataTransfer.getData('text/plain') : '';
      const ranges = e.getTargetRanges();
      const at = withCaret(ranges.length ? fromStatic(ranges[0]) : r, false);
      return !!at && (!text || insertText(at.n, at.o, text));
    },
    insertParagraph(e, r) {
      const at = withCaret(r, false);
      if (!at) return false;
      if (preformatted(at.n)) {
        insertText(at.n, at.o, '\n');
        // A new line at the end shows only with another after it.
        const c = range();
        if (c.startContainer.nodeType === 3 && neighbour(c.startContainer, c.startOffset, false) === '' && endsLine(c.startContainer) &&
            c.startOffset === c.startContainer.length)
          c.startContainer.insertData(c.startOffset, '\n');
        return true;
      }
      return splitBlock(at.n, at.o) !== null;
    },
    insertLineBreak(e, r) {
      const at = withCaret(r, false);
      return !!at && lineBreak(at.n, at.o);
    },
  };
  for (const t of ['deleteContentBackward', 'deleteContentForward', 'deleteWordBackward', 'deleteWordForward',
    'deleteSoftLineBackward', 'deleteSoftLineForward', 'deleteHardLineBackward', 'deleteHardLineForward', 'deleteContent'])
    edits[t] = deletion;
  const kinds = { insertText: 'typing', deleteContentBackward: 'delete', deleteContentForward: 'delete' };

  document.addEventListener('beforeinput', (e) => {
    if (!active) return;
    const type = e.inputType;
    if (type === 'historyUndo' || type === 'historyRedo') {
      e.preventDefault();
      if (type === 'historyUndo') undo(); else redo();
      return;
    }
    // Text an input method composes stays the engine's.
    const edit = !e.isComposing && edits[type];
    const r = edit && e.cancelable ? editableRange(e) : null;
    if (!r) { begin('engine'); return; }
    if (step(kinds[type] || type, () => edit(e, r))) e.preventDefault();
  }, true);

  // The engine asks nothing of the page before an undo or redo when its own history is empty,
  // as it is with the edits made here: the keys are taken at their press.
  document.addEventListener('keydown', (e) => {
    if (!active || e.isComposing || !e.ctrlKey || e.altKey || e.metaKey || inField(e)) return;
    const k = e.key.toLowerCase();
    if ((k === 'b' || k === 'i' || k === 'u') && !e.shiftKey) { styleAhead(); return; }
    if (k === 'z' && !e.shiftKey) undo();
    else if ((k === 'y' && !e.shiftKey) || (k === 'z' && e.shiftKey)) redo();
    else return;
    e.preventDefault();
  }, true);

  document.addEventListener('copy', (e) => {
    const r = active && editableRange(e);
    if (!r || r.collapsed || !e.clipboardData) return;
    putOnClipboard(e.clipboardData, r);
    e.preventDefault();
  }, true);
  document.addEventListener('cut', (e) => {
    const r = active && editableRange(e);
    if (!r || r.collapsed || !e.clipboardData) return;
    putOnClipboard(e.clipboardData, r);
    e.preventDefault();
    step('cut', () => {
      const at = deleteContent(r, true);
      if (!at) { r.deleteContents(); return; }
      setCaret(at.n, at.o);
    });
  }, true);
  document.addEventListener('paste', (e) => {
    const r = active && editableRange(e);
    const data = e.clipboardData;
    if (!r || !data) return;
    const html = data.getData('text/html');
    const text = data.getData('text/plain');
    const own = ownHtml(html);
    // Pictures and files are the engine's to paste.
    if (!own && !text) return;
    e.preventDefault();
    step('paste', () => {
      const at = withCaret(r, false);
      return !!at && insertPiece(at.n, at.o, own ? copied : null, text);
    });
  }, true);

  // A drag within the page moves (or with Ctrl copies) what it holds to where it is dropped.
  let dragged = null;
  document.addEventListener('dragstart', (e) => {
    const r = active && editableRange(e);
    dragged = null;
    if (!r || r.collapsed || !e.dataTransfer) return;
    dragged = r.cloneRange();
    putOnClipboard(e.dataTransfer, r);
  }, true);
  document.addEventListener('dragend', () => { dragged = null; }, true);
  document.addEventListener('drop', (e) => {
    if (!active || !e.dataTransfer) return;
    const data = e.dataTransfer;
    if (Array.from(data.types).includes('Files')) return;
    const html = data.getData('text/html');
    const text = data.getData('text/plain');
    const own = ownHtml(html);
    if (!own && !text) return;
    const to = document.caretRangeFromPoint(e.clientX, e.clientY);
    if (!to || !inBody(to.startContainer)) return;
    const from = own ? dragged : null;
    e.preventDefault();
    if (from && from.isPointInRange(to.startContainer, to.startOffset)) return;
    step('drop', () => {
      const at = { n: to.startContainer, o: to.startOffset };
      // The piece goes in first, the dragged text leaves after: the drop place stays where it was.
      const mark = document.createRange();
      mark.setStart(at.n, at.o);
      insertPiece(at.n, at.o, own ? copied : null, text);
      const end = range();
      const landed = document.createRange();
      landed.setStart(mark.startContainer, mark.startOffset);
      if (end) landed.setEnd(end.startContainer, end.startOffset);
      if (from && !e.ctrlKey && !from.collapsed) deleteContent(from, true);
      setRange(landed.startContainer, landed.startOffset, landed.endContainer, landed.endOffset);
    });
    dragged = null;
  }, true);

  document.addEventListener('selectionchange', () => { if (active) lastPlace = place(); });

  // ---- The designer's side ------------------------------------------------------------------

  ed.start = function (o) {
    separator = o.divOnReturn ? 'div' : 'p';
    if (active) return;
    active = true;
    lastPlace = place();
    history.observe(document, { subtree: true, childList: true, attributes: true, characterData: true,
      attributeOldValue: true, characterDataOldValue: true });
  };
  ed.setSeparator = function (divOnReturn) { separator = divOnReturn ? 'div' : 'p'; };
  // A command of the designer's, the engine's or its own, as one step.
  ed.command = function (work) {
    begin('command');
    try { return work(); } finally { close(); }
  };
  ed.deleteSelection = function () {
    const r = editableRange();
    if (!r || r.collapsed) return false;
    return step('delete-selection', () => {
      const at = deleteContent(r, true);
      if (!at) return false;
      setCaret(at.n, at.o);
    }) || document.execCommand('delete');
  };
  ed.styleAhead = styleAhead;
  ed.undo = undo;
  ed.redo = redo;
  ed.canUndo = function () {
    collect(history.takeRecords());
    return undoStack.length > 0 || (!!open && open.records.length > 0);
  };
  ed.canRedo = function () {
    collect(history.takeRecords());
    return redoStack.length > 0 && !(open && open.records.length);
  };
  // Ends the step under way, so that what comes next is a step of its own.
  ed.settle = close;
})();
