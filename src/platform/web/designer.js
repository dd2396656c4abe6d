// The design surface's side of the design control. It runs in its own script world, so the
// page's own scripts (which stay off) never see it, and it leaves no trace in the document:
// no attributes, no style elements, nothing the serialisation would carry back into the source.
(function () {
  'use strict';
  if (window.kv) return;
  const kv = (window.kv = {});

  let bridge = null;
  let seq = 0;
  let dirty = false;
  let editable = false;
  let flags = { html: true, head: true, body: true };
  // What the control needs to tell whether a report is current: how many keys the page has
  // seen (the control counts the keys it sent) and how many changes the page has had.
  let keys = 0;
  // A key's press and the text it types reach the page as two events, and the control's
  // question can come between them: until the key has typed, or been let go, it is not yet
  // counted as seen, or a page without the letter would be taken for the page with it.
  let keyUnfinished = false;
  const keysSeen = () => keys - (keyUnfinished ? 1 : 0);
  let changes = 0;
  let pushQueued = false;
  let controlElement = null;  // an image or control clicked on, selected as a whole
  const sheet = new CSSStyleSheet();
  const detailSheet = new CSSStyleSheet();

  // Page timers do not run while the page's own scripts are off, so nothing here waits on one.
  // The control's end may not be listening yet when the page is ready; the greeting is sent
  // again with the next report until it answers.
  let greetings = 0;
  function connect() {
    if (greetings++ > 50) return;
    new QWebChannel(qt.webChannelTransport, (channel) => {
      if (bridge) return;
      bridge = channel.objects.designBridge;
      if (editable || showOwed) push();
    });
  }
  connect();

  // ---- Serialisation ------------------------------------------------------------------------

  const rawText = new Set(['SCRIPT', 'STYLE', 'XMP', 'IFRAME', 'NOEMBED', 'NOFRAMES', 'PLAINTEXT']);

  function escapeText(s) {
    return s.replace(/&/g, '&amp;').replace(/\u00a0/g, '&nbsp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
  }
  function escapeAttr(s) {
    return s.replace(/&/g, '&amp;').replace(/\u00a0/g, '&nbsp;').replace(/"/g, '&quot;');
  }
  function startTag(el) {
    let s = '<' + el.localName;
    for (const a of el.attributes) s += ' ' + a.name + '="' + escapeAttr(a.value) + '"';
    return s + '>';
  }
  // Table bodies the parser made for a table the user inserted, written as their rows alone.
  const impliedBodies = new Set();
  // One out of the page is kept: a command's swap takes it out, and the engine's undo brings it back.
  function anyImplied() {
    for (const b of impliedBodies) if (b.attributes.length) impliedBodies.delete(b);
    return impliedBodies.size > 0;
  }
  const voidTags = new Set(['AREA', 'BASE', 'BR', 'COL', 'EMBED', 'HR', 'IMG', 'INPUT', 'LINK', 'META', 'PARAM', 'SOURCE', 'TRACK', 'WBR']);
  // The base address the control put in front of the page, so that its pictures load from its
  // folder: the page's own source never had it.
  let fileBase = null;
  function elementHtml(el) {
    if (rawText.has(el.tagName)) return el.outerHTML;
    let holds = !!fileBase && el.contains(fileBase);
    if (!holds && !impliedBodies.size) return el.outerHTML;
    if (impliedBodies.has(el)) return childrenHtml(el);
    if (!holds) for (const b of impliedBodies) if (el.contains(b)) { holds = true; break; }
    if (!holds) return el.outerHTML;
    return startTag(el) + childrenHtml(el) + (voidTags.has(el.tagName) ? '' : '</' + el.localName + '>');
  }
  function childrenHtml(el) {
    let s = '';
    for (const c of el.childNodes) if (c !== fileBase) s += nodeHtml(c, el);
    return s;
  }
  function nodeHtml(n, parent) {
    switch (n.nodeType) {
      case 1: return elementHtml(n);
      case 3: return parent && rawText.has(parent.tagName) ? n.data : escapeText(n.data);
      case 8: return '<!--' + n.data + '-->';
      case 10: {
        let s = '<!DOCTYPE ' + n.name;
        if (n.publicId) s += ' PUBLIC "' + n.publicId + '"';
        if (n.systemId) s += (n.publicId ? ' "' : ' SYSTEM "') + n.systemId + '"';
        return s + '>';
      }
      default: return '';
    }
  }
  // The elements the parser supplies when the source leaves them out are written only when the
  // source had them, so a fragment comes back as a fragment.
  function htmlElement(el) {
    let s = flags.html ? startTag(el) : '';
    for (const child of el.childNodes) {
      if (child === fileBase) continue;
      if (child.nodeType === 1 && child.tagName === 'HEAD') s += flags.head ? elementHtml(child) : childrenHtml(child);
      else if (child.nodeType === 1 && child.tagName === 'BODY') s += flags.body ? elementHtml(child) : childrenHtml(child);
      else s += nodeHtml(child, el);
    }
    return flags.html ? s + '</html>' : s;
  }
  function serialize() {
    anyImplied();
    const parts = [];
    for (const n of document.childNodes) {
      if (n === document.documentElement) parts.push(htmlElement(n));
      else parts.push(nodeHtml(n, null));
    }
    return parts.join('\n');
  }
  kv.serialize = serialize;


  // ---- Selection ----------------------------------------------------------------------------

  function body() { return document.body; }
  function range() {
    const s = getSelection();
    return s && s.rangeCount ? s.getRangeAt(0) : null;
  }
  function inDocument(node) { return !!node && !!body() && body().contains(node); }
  function anchorElement() {
    const r = range();
    if (!r) return null;
    let n = r.startContainer;
    if (n.nodeType === 1 && r.startOffset < n.childNodes.length && !r.collapsed) n = n.childNodes[r.startOffset];
    if (n.nodeType !== 1) n = n.parentNode;
    return inDocument(n) ? n : null;
  }
  function ancestor(test) {
    for (let n = anchorElement(); n && n !== body(); n = n.parentElement) if (test(n)) return n;
    return null;
  }
  function hasSelection() { return !!range() && inDocument(range().startContainer); }
  function select(r) {
    if (!r) return false;
    const s = getSelection();
    s.removeAllRanges();
    s.addRange(r);
    return true;
  }
  function selectNode(node) {
    const r = document.createRange();
    r.selectNode(node);
    select(r);
  }
  function caretInto(node) {
    if (!node) return;
    const r = document.createRange();
    r.selectNodeContents(node);
    r.collapse(true);
    select(r);
  }
  // The element a range wraps exactly, as a click on a picture selects it.
  function wrappedElement() {
    const r = range();
    if (!r || r.collapsed || r.startContainer !== r.endContainer || r.endOffset !== r.startOffset + 1) return null;
    const n = r.startContainer.childNodes[r.startOffset];
    return n && n.nodeType === 1 ? n : null;
  }

  // ---- Tables -------------------------------------------------------------------------------

  function isCell(n) { return n.tagName === 'TD' || n.tagName === 'TH'; }
  function currentCell() {
    const wrapped = wrappedElement();
    if (wrapped && isCell(wrapped)) return wrapped;
    return ancestor(isCell);
  }
  // The table as a grid of cells: every slot a cell covers through its spans points at it.
  function grid(table) {
    const rows = Array.from(table.rows);
    const g = rows.map(() => []);
    const at = new Map();
    rows.forEach((row, r) => {
      let c = 0;
      for (const cell of row.cells) {
        while (g[r][c]) c++;
        const cs = Math.max(1, cell.colSpan || 1);
        const rs = Math.max(1, Math.min(cell.rowSpan || 1, rows.length - r));
        at.set(cell, { r, c });
        for (let i = 0; i < rs; i++) for (let j = 0; j < cs; j++) g[r + i][c + j] = cell;
        c += cs;
      }
    });
    const width = Math.max(0, ...g.map((row) => row.length));
    return { rows, g, at, width };
  }
  function selectedCells(table) {
    const r = range();
    const cells = [];
    if (!r) return cells;
    for (const row of table.rows) for (const cell of row.cells) if (r.intersectsNode(cell)) cells.push(cell);
    const current = currentCell();
    if (!cells.length && current) cells.push(current);
    return cells;
  }
  function newCell(like) {
    const cell = document.createElement(like && like.tagName === 'TH' ? 'th' : 'td');
    return cell;
  }
  function removeEmptyRows(table) {
    for (const row of Array.from(table.rows)) if (!row.cells.length) row.remove();
    for (const section of Array.from(table.tBodies)) if (!section.rows.length) section.remove();
    if (!table.rows.length) table.remove();
  }
  function insertRow(cell) {
    const table = cell.closest('table');
    const { rows, g, at, width } = grid(table);
    const r = at.get(cell).r;
    const row = document.createElement('tr');
    const grown = new Set();
    for (let c = 0; c < width; c++) {
      const above = g[r][c];
      if (above && at.get(above).r < r) {
        if (!grown.has(above)) { above.rowSpan = above.rowSpan + 1; grown.add(above); }
        continue;
      }
      row.appendChild(newCell(above));
    }
    rows[r].parentNode.insertBefore(row, rows[r]);
    return row.cells[0] || cell;
  }
  function insertColumn(cell) {
    const table = cell.closest('table');
    const { rows, g, at } = grid(table);
    const c = at.get(cell).c;
    const done = new Set();
    let first = null;
    rows.forEach((row, r) => {
      const there = g[r][c];
      if (!there) { const n = row.appendChild(newCell(null)); first = first || n; return; }
      if (done.has(there)) return;
      done.add(there);
      const start = at.get(there);
      if (start.c < c) { there.colSpan = there.colSpan + 1; return; }
      if (start.r !== r) return;
      const n = newCell(there);
      if (there.rowSpan > 1) n.rowSpan = there.rowSpan;
      row.insertBefore(n, there);
      if (there === cell) first = n;
    });
    return first || cell;
  }
  function deleteRows(cells) {
    const table = cells[0].closest('table');
    const { rows, g, at, width } = grid(table);
    const doomed = [...new Set(cells.map((cell) => at.get(cell).r))].sort((a, b) => b - a);
    for (const r of doomed) {
      const seen = new Set();
      for (let c = 0; c < width; c++) {
        const cell = g[r][c];
        if (!cell || seen.has(cell)) continue;
        seen.add(cell);
        const start = at.get(cell);
        if (start.r < r) { cell.rowSpan = Math.max(1, cell.rowSpan - 1); continue; }
        if (cell.rowSpan > 1 && r + 1 < rows.length) {
          // A cell that reaches into the next row moves down into it.
          cell.rowSpan = cell.rowSpan - 1;
          const next = rows[r + 1];
          let before = null;
          for (const other of next.cells) if (at.get(other) && at.get(other).c > start.c) { before = other; break; }
          next.insertBefore(cell, before);
        }
      }
      rows[r].remove();
    }
    removeEmptyRows(table);
    return table;
  }
  function deleteColumns(cells) {
    const table = cells[0].closest('table');
    const { rows, g, at } = grid(table);
    const doomed = [...new Set(cells.map((cell) => at.get(cell).c))].sort((a, b) => b - a);
    for (const c of doomed) {
      const seen = new Set();
      rows.forEach((row, r) => {
        const cell = g[r][c];
        if (!cell || seen.has(cell)) return;
        seen.add(cell);
        if (cell.colSpan > 1) cell.colSpan = cell.colSpan - 1;
        else cell.remove();
      });
    }
    removeEmptyRows(table);
    return table;
  }
  function mergeable(cells) {
    if (cells.length < 2) return false;
    const row = cells[0].parentNode;
    if (cells.some((cell) => cell.parentNode !== row || cell.rowSpan !== cells[0].rowSpan)) return false;
    const order = Array.from(row.cells);
    const idx = cells.map((cell) => order.indexOf(cell)).sort((a, b) => a - b);
    return idx.every((v, i) => i === 0 || v === idx[i - 1] + 1);
  }
  function mergeCells(cells) {
    const order = Array.from(cells[0].parentNode.cells);
    cells.sort((a, b) => order.indexOf(a) - order.indexOf(b));
    const target = cells[0];
    let span = target.colSpan;
    for (const cell of cells.slice(1)) {
      span += cell.colSpan;
      if (cell.textContent.trim() || cell.querySelector('img,table,input,select,textarea')) {
        if (target.childNodes.length) target.appendChild(document.createTextNode(' '));
        while (cell.firstChild) target.appendChild(cell.firstChild);
      }
      cell.remove();
    }
    target.colSpan = span;
    return target;
  }
  function splitCell(cell) {
    cell.colSpan = cell.colSpan - 1;
    if (cell.colSpan === 1) cell.removeAttribute('colspan');
    const n = newCell(cell);
    if (cell.rowSpan > 1) n.rowSpan = cell.rowSpan;
    cell.parentNode.insertBefore(n, cell.nextSibling);
    return n;
  }

  // ---- Commands on a copy -----------------------------------------------------------------

  // The engine's insertion of markup rewrites what it inserts (a table loses its blank text, its
  // style elements move out), so a command of ours works on a copy of the element it changes and
  // swaps the copy in itself; the edit history keeps the swap as one step.
  function pathOf(node, root) {
    const path = [];
    for (let n = node; n !== root; n = n.parentNode) path.unshift(Array.prototype.indexOf.call(n.parentNode.childNodes, n));
    return path;
  }
  function nodeAt(root, path) {
    let n = root;
    for (const i of path) n = n && n.childNodes[i];
    return n || null;
  }
  // The selection as places inside an element, to be found again in its copy.
  function placeIn(root) {
    const r = range();
    if (!r || !root || !root.contains(r.startContainer) || !root.contains(r.endContainer)) return null;
    return { start: pathOf(r.startContainer, root), so: r.startOffset, end: pathOf(r.endContainer, root), eo: r.endOffset };
  }
  function rangeAt(root, place) {
    const start = place && nodeAt(root, place.start);
    const end = place && nodeAt(root, place.end);
    if (!start || !end) return null;
    const r = document.createRange();
    r.setStart(start, Math.min(place.so, start.nodeType === 1 ? start.childNodes.length : start.length));
    r.setEnd(end, Math.min(place.eo, end.nodeType === 1 ? end.childNodes.length : end.length));
    return r;
  }

  // Puts what a command made in place of the element it worked on; null: the element goes.
  function showCopy(el, shown) {
    if (shown) el.replaceWith(shown);
    else {
      const parent = el.parentNode;
      const at = Array.prototype.indexOf.call(parent.childNodes, el);
      el.remove();
      getSelection().collapse(parent, at);
    }
    if (controlElement === el) controlElement = shown;
    return shown;
  }

  // Runs a command on a copy of an element: `work` gets the copy and a map from the element's
  // nodes to the copy's, and returns what it did: `caret`, an element the caret goes into (none
  // leaves the selection where the changes moved it), and `shown`, what takes the element's place
  // when that is not the copy (null: nothing, the command removed the element).
  function swapCommand(el, work) {
    const copy = el.cloneNode(true);
    carryImplied(el, copy);
    const into = (n) => nodeAt(copy, pathOf(n, el));
    const placeBefore = placeIn(body());
    const inside = placeIn(el);
    // The selection carried into the copy, so the changes move it as they would move the caret.
    const moved = inside && rangeAt(copy, inside);
    const done = work(copy, into) || {};
    const shown = showCopy(el, 'shown' in done ? done.shown : copy);
    if (shown) {
      const within = (r) => r && shown.contains(r.startContainer) && shown.contains(r.endContainer) ? r : null;
      if (done.caret && shown.contains(done.caret)) caretInto(done.caret);
      else select(within(moved)) || select(inside && rangeAt(shown, inside)) || select(rangeAt(body(), placeBefore));
    }
    changed();
  }
  // A copy's table bodies stand for the element's: those the parser made stay out of the source.
  function carryImplied(el, copy) {
    for (const b of Array.from(impliedBodies)) {
      const twin = el.contains(b) && nodeAt(copy, pathOf(b, el));
      if (twin) impliedBodies.add(twin);
    }
  }
  // Runs `work` on a copy of `el` shown in its place, with the selection carried into it; a
  // copy the work left as it was gives way to the element again.
  function onCopy(el, work) {
    const copy = el.cloneNode(true);
    carryImplied(el, copy);
    const html = el.outerHTML;
    const inside = placeIn(el);
    el.replaceWith(copy);
    if (inside) select(rangeAt(copy, inside));
    work();
    if (copy.outerHTML === html) {
      copy.replaceWith(el);
      if (inside) select(rangeAt(el, inside));
      return;
    }
    if (controlElement && el.contains(controlElement)) controlElement = null;
    changed();
  }

  function tableCommand(cell, work) {
    const table = cell.closest('table');
    swapCommand(table, (copy, into) => {
      const caret = work(copy, into);
      return copy.rows.length ? { caret } : { shown: null };
    });
  }

  // ---- Positioning --------------------------------------------------------------------------

  function positionable() {
    const wrapped = wrappedElement();
    if (wrapped && wrapped !== body()) return wrapped;
    if (controlElement && inDocument(controlElement)) return controlElement;
    const placed = ancestor((n) => getComputedStyle(n).position === 'absolute');
    return placed || ancestor((n) => n.tagName === 'DIV');
  }
  function isAbsolute(el) { return !!el && el.style.position === 'absolute'; }
  function zIndices() {
    return Array.from(body().querySelectorAll('*'))
      .filter((n) => n.style && n.style.position === 'absolute')
      .map((n) => parseInt(n.style.zIndex || '0', 10) || 0);
  }
  // `shown` is the element as the page lays it out now; `el` may be a copy of it.
  function toggleAbsolute(el, shown) {
    if (isAbsolute(el)) {
      for (const p of ['position', 'left', 'top', 'z-index']) el.style.removeProperty(p);
    } else {
      const box = shown.getBoundingClientRect();
      el.style.position = 'absolute';
      el.style.left = Math.round(box.left + scrollX) + 'px';
      el.style.top = Math.round(box.top + scrollY) + 'px';
    }
    if (!el.getAttribute('style')) el.removeAttribute('style');
  }

  // ---- Block formats ------------------------------------------------------------------------

  // Names of the format box and their tags, given by the control at load.
  let nameOfTag = new Map();
  let tagOfName = new Map();
  function setBlockFormats(list) {
    nameOfTag = new Map(list.map(([n, t]) => [t, n]));
    tagOfName = new Map(list.map(([n, t]) => [n.toLowerCase(), t]));
  }
  function blockFormat() {
    const block = ancestor((n) => n.tagName === 'LI' || nameOfTag.has(n.localName));
    if (!block) return 'Normal';
    if (block.tagName === 'LI') {
      const list = block.parentElement;
      return list && nameOfTag.has(list.localName) ? nameOfTag.get(list.localName) : 'Bulleted List';
    }
    return nameOfTag.get(block.localName);
  }
  function renameElement(el, tag) {
    const n = document.createElement(tag);
    for (const a of el.attributes) n.setAttribute(a.name, a.value);
    while (el.firstChild) n.appendChild(el.firstChild);
    el.replaceWith(n);
    return n;
  }
  function setBlockFormat(name) {
    const tag = tagOfName.get(String(name).toLowerCase()) || String(name).toLowerCase();
    if (tag === 'ol' || tag === 'ul' || tag === 'dir' || tag === 'menu') {
      const ordered = tag === 'ol';
      const list = ancestor((n) => n.tagName === 'OL' || n.tagName === 'UL' || n.tagName === 'DIR' || n.tagName === 'MENU');
      if (!list) document.execCommand(ordered ? 'insertOrderedList' : 'insertUnorderedList');
      const made = ancestor((n) => n.tagName === 'OL' || n.tagName === 'UL' || n.tagName === 'DIR' || n.tagName === 'MENU');
      if (made && made.localName !== tag) swapCommand(made, (copy) => ({ shown: renameElement(copy, tag) }));
      return;
    }
    document.execCommand('formatBlock', false, tag);
  }

  // ---- Fonts --------------------------------------------------------------------------------

  const legacySizes = [10, 13, 16, 18, 24, 32, 48];
  function legacySize(px) {
    let best = 1;
    for (let i = 0; i < legacySizes.length; i++) if (px >= (i ? (legacySizes[i - 1] + legacySizes[i]) / 2 : 0)) best = i + 1;
    return best;
  }
  function firstFamily(list) {
    const first = String(list || '').split(',')[0].trim();
    return first.replace(/^["']|["']$/g, '');
  }
  // The styles of the text the selection covers; more than one means a mixed selection.
  function selectionStyles() {
    const r = range();
    const families = new Set();
    const sizes = new Set();
    if (!r) return { families, sizes };
    const add = (el) => {
      const cs = getComputedStyle(el);
      families.add(firstFamily(cs.fontFamily));
      sizes.add(legacySize(parseFloat(cs.fontSize)));
    };
    if (r.collapsed) {
      const el = anchorElement();
      if (el) add(el);
      return { families, sizes };
    }
    const root = r.commonAncestorContainer.nodeType === 1 ? r.commonAncestorContainer : r.commonAncestorContainer.parentNode;
    const walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT);
    let count = 0;
    for (let n = walker.currentNode.nodeType === 3 ? walker.currentNode : walker.nextNode(); n && count < 2000; n = walker.nextNode()) {
      if (!r.intersectsNode(n) || !n.data.trim()) continue;
      add(n.parentNode);
      count++;
      if (families.size > 1 && sizes.size > 1) break;
    }
    if (!count) { const el = anchorElement(); if (el) add(el); }
    return { families, sizes };
  }

  // ---- Command states -----------------------------------------------------------------------

  function q(command) { try { return document.queryCommandState(command); } catch (e) { return false; } }
  // Bold, italic and underline of a selection as its text shows them; at a caret, the engine's
  // answer, which knows what typing there will take.
  function shows(command) {
    const own = window.kvFormat ? window.kvFormat.state(command) : null;
    return own === null ? q(command) : own;
  }
  function state() {
    const s = {};
    const v = {};
    if (!editable) return { s, v };
    const sel = hasSelection();
    const collapsed = !sel || range().collapsed;
    const en = (on) => (sel ? (on ? 7 : 3) : 1);
    const when = (ok) => (sel && ok ? 3 : 1);
    s[5000] = en(shows('bold'));
    s[5023] = en(shows('italic'));
    s[5048] = en(shows('underline'));
    s[5025] = en(q('justifyLeft'));
    s[5024] = en(q('justifyCenter'));
    s[5026] = en(q('justifyRight'));
    s[5030] = en(q('insertOrderedList'));
    s[5051] = en(q('insertUnorderedList'));
    s[5018] = when(true);
    s[5031] = when(!!ancestor((n) => n.tagName === 'LI' || n.tagName === 'BLOCKQUOTE'));
    for (const id of [5046, 5042, 5044, 5045, 5043, 5034, 5009, 5016]) s[id] = when(true);
    s[5050] = when(!!ancestor((n) => n.tagName === 'A' && n.hasAttribute('href')));
    s[5003] = s[5002] = s[5004] = when(!collapsed);
    s[5049] = kvEdit.canUndo() ? 3 : 1;
    s[5033] = kvEdit.canRedo() ? 3 : 1;
    s[5035] = 3;
    s[5008] = 3;
    s[5012] = 3;
    s[5011] = when(true);
    v[5011] = sel ? blockFormat() : '';
    const styles = sel ? selectionStyles() : { families: new Set(), sizes: new Set() };
    s[5013] = !sel ? 1 : styles.families.size > 1 ? 11 : 3;
    v[5013] = styles.families.size === 1 ? [...styles.families][0] : '';
    s[5014] = !sel ? 1 : styles.sizes.size > 1 ? 11 : 3;
    v[5014] = styles.sizes.size === 1 ? [...styles.sizes][0] : 0;
    const cell = sel ? currentCell() : null;
    for (const id of [5021, 5020, 5019, 5007, 5006, 5005]) s[id] = cell ? 3 : 1;
    s[5029] = cell && mergeable(selectedCells(cell.closest('table'))) ? 3 : 1;
    s[5047] = cell && cell.colSpan > 1 ? 3 : 1;
    const el = sel ? positionable() : null;
    s[5028] = !el ? 1 : isAbsolute(el) ? 7 : 3;
    s[5040] = s[5041] = el && isAbsolute(el) ? 3 : 1;
    const at = getSelection().anchorNode;
    worked = { s, v, caretIn: collapsed && at && at.nodeType === 3 ? at : null };
    typedIn = null;
    return { s, v };
  }

  // Most of the states are the engine's answers, and it lays the page out before it gives one:
  // on a long page that takes longer than a frame, after every key. A key that changed only
  // text, the caret still in the text node it was in when the states were last worked out,
  // changed none but the history's, and the others are taken as they were.
  let worked = null;
  let typedIn = null;
  if (window.kvEdit) kvEdit.onTyped = (n) => { typedIn = n; };
  function statesAfterTyping() {
    const n = typedIn;
    const s = getSelection();
    if (!n || !worked || worked.caretIn !== n || !n.isConnected || s.anchorNode !== n || s.focusNode !== n || s.anchorOffset !== s.focusOffset) return null;
    const states = Object.assign({}, worked.s);
    states[5049] = kvEdit.canUndo() ? 3 : 1;
    states[5033] = kvEdit.canRedo() ? 3 : 1;
    return { s: states, v: worked.v };
  }

  // A report: the command states and the change count after every change; the HTML only when
  // the control asks for it, since serialising a long page after each key would slow typing.
  // `afterEvent`: a report of what the user did, which may be typing (a command's report always
  // works the states out).
  function snapshot(withHtml, afterEvent) {
    noteMutations(observer.takeRecords());
    const st = (afterEvent && statesAfterTyping()) || state();
    const out = { seq: ++seq, dirty, changes, keys: keysSeen(), shown, focused: document.hasFocus(), states: st.s, values: st.v };
    if (withHtml) out.html = serialize();
    return out;
  }
  function push() {
    if (!bridge) { connect(); return; }
    bridge.update(snapshot(false, true));
  }
  // Reports go out once the event that caused them is over, one for all the changes it made.
  function schedule() {
    if (pushQueued) return;
    pushQueued = true;
    queueMicrotask(() => { pushQueued = false; push(); });
  }

  // Every change of the document, whoever made it (typing, the engine's commands, ours, undo and
  // redo), makes the page dirty.
  function noteMutations(records) {
    if (!records.length) return;
    changes++;
    changed();
  }
  const observer = new MutationObserver((records) => { if (editable) { noteMutations(records); schedule(); } });

  // ---- Commands -----------------------------------------------------------------------------

  function changed() {
    dirty = true;
    controlElement = controlElement && inDocument(controlElement) ? controlElement : null;
  }
  // Bold, italic and underline, made by designformat.js on a selection; at a caret the engine's
  // command sets what is typed next. The engine's history knows nothing of a script's changes:
  // the change is made on a copy of the block that holds it, swapped as the table commands are.
  function format(command) {
    const f = window.kvFormat;
    const r = range();
    if (!f || !r || r.collapsed) return document.execCommand(command);
    const el = f.scope(command);
    if (el) onCopy(el, () => f.toggle(command));
    return true;
  }
  function exec(id, arg) {
    const cell = currentCell();
    switch (id) {
      case 5000: return format('bold');
      case 5023: return format('italic');
      case 5048: return format('underline');
      case 5025: return document.execCommand('justifyLeft');
      case 5024: return document.execCommand('justifyCenter');
      case 5026: return document.execCommand('justifyRight');
      case 5030: return document.execCommand('insertOrderedList');
      case 5051: return document.execCommand('insertUnorderedList');
      case 5018: return document.execCommand('indent');
      case 5031: return document.execCommand('outdent');
      case 5046: return document.execCommand('foreColor', false, String(arg).startsWith('#') ? arg : '#' + arg);
      case 5042: return document.execCommand('backColor', false, String(arg).startsWith('#') ? arg : '#' + arg);
      case 5044: return document.execCommand('fontName', false, String(arg));
      case 5045: return document.execCommand('fontSize', false, String(Math.max(1, Math.min(7, parseInt(arg, 10) || 3))));
      case 5043: return setBlockFormat(arg);
      case 5034: return document.execCommand('removeFormat');
      case 5004: return kvEdit.deleteSelection();
      case 5016: return arg ? document.execCommand('createLink', false, String(arg)) : false;
      case 5050: return document.execCommand('unlink');
      case 5035: return document.execCommand('selectAll');
      case 5003: return document.execCommand('cut');
      case 5002: return document.execCommand('copy');
      case 5032: return document.execCommand('paste');
      case 5049: kvEdit.undo(); return true;
      case 5033: kvEdit.redo(); return true;
      case 5021: if (cell) tableCommand(cell, (t, into) => insertRow(into(cell))); return;
      case 5020: if (cell) tableCommand(cell, (t, into) => insertColumn(into(cell))); return;
      case 5019: if (cell) tableCommand(cell, (t, into) => { const c = into(cell); const n = newCell(c); c.parentNode.insertBefore(n, c); return n; }); return;
      case 5007: case 5006: if (cell) {
        const cells = selectedCells(cell.closest('table'));
        tableCommand(cell, (t, into) => { (id === 5007 ? deleteRows : deleteColumns)(cells.map(into)); return t.rows[0] && t.rows[0].cells[0]; });
      } return;
      case 5005: if (cell) {
        const cells = selectedCells(cell.closest('table'));
        tableCommand(cell, (t, into) => { for (const c of cells.map(into)) c.remove(); removeEmptyRows(t); return null; });
      } return;
      case 5029: if (cell) { const cells = selectedCells(cell.closest('table')); if (mergeable(cells)) tableCommand(cell, (t, into) => mergeCells(cells.map(into))); } return;
      case 5047: if (cell && cell.colSpan > 1) tableCommand(cell, (t, into) => splitCell(into(cell))); return;
      case 5028: { const el = positionable(); if (el) swapCommand(el, (copy) => { toggleAbsolute(copy, el); }); return; }
      case 5040: case 5041: {
        const el = positionable();
        if (!isAbsolute(el)) return;
        const z = zIndices();
        swapCommand(el, (copy) => { copy.style.zIndex = id === 5040 ? Math.min(0, ...z) - 1 : Math.max(0, ...z) + 1; });
        return;
      }
    }
  }

  kv.exec = function (id, arg) {
    if (!editable) return snapshot(false);
    if (id === 5000 || id === 5023 || id === 5048) kvEdit.styleAhead();
    // Undo and redo are the history's own steps; every other command is one step of it.
    const ok = (id === 5049 || id === 5033 ? exec(id, arg) : kvEdit.command(() => exec(id, arg))) !== false;
    const out = snapshot(false);
    out.ok = ok;
    return out;
  };

  // The source side's insertion: the selection's HTML goes where the mode puts it.
  kv.insertHtml = function (open, close, extra, mode) {
    if (!editable) return snapshot(false);
    const r = range();
    let selected = '';
    if (r && !r.collapsed && inDocument(r.commonAncestorContainer)) {
      const holder = document.createElement('div');
      holder.appendChild(r.cloneContents());
      selected = holder.innerHTML;
    }
    const text = mode === 1 ? open + selected + close + extra
      : mode === 2 ? open + extra + close + selected
      : mode === 3 ? open + extra + close
      : open + close + extra;
    const tablesBefore = new Set(document.querySelectorAll('table'));
    kvEdit.command(() => {
      if (text) document.execCommand('insertHTML', false, text);
      else document.execCommand('delete');
    });
    // The parser gives every new table a body; one the inserted text did not write stays out
    // of the source.
    if (!/<tbody[\s>]/i.test(text))
      for (const t of document.querySelectorAll('table'))
        if (!tablesBefore.has(t)) for (const b of t.tBodies) if (!b.attributes.length) impliedBodies.add(b);
    return snapshot(false);
  };

  kv.applyFont = function (font) {
    if (!editable) return snapshot(false);
    kvEdit.command(() => {
      if (font.face) document.execCommand('fontName', false, font.face);
      if (font.size) document.execCommand('fontSize', false, String(font.size));
      for (const [key, command] of [['bold', 'bold'], ['italic', 'italic'], ['underline', 'underline']])
        if (typeof font[key] === 'boolean' && shows(command) !== font[key]) format(command);
    });
    return snapshot(false);
  };

  function applyOptions(o) {
    sheet.replaceSync(o.borders
      ? 'table:not([border]), table[border="0"], table:not([border]) > * > tr > td, table:not([border]) > * > tr > th,' +
        ' table[border="0"] > * > tr > td, table[border="0"] > * > tr > th { outline: 1px dotted #a0a0a0; outline-offset: -1px; }'
      : '');
    detailSheet.replaceSync(o.details
      ? 'script, style, noscript { display: inline-block !important; font-size: 0 !important; width: auto; ' +
        'overflow: hidden; white-space: nowrap; vertical-align: middle; }' +
        'script::before { content: "script"; } style::before { content: "style"; } noscript::before { content: "noscript"; }' +
        'script::before, style::before, noscript::before { font: 10px sans-serif; color: #555; background: #ffffc0; ' +
        'border: 1px solid #b0b0b0; padding: 0 2px; }' +
        'a[name]:not([href])::before { content: "\\2693"; color: #808080; font-size: 11px; }'
      : '');
    try { document.execCommand('defaultParagraphSeparator', false, o.divOnReturn ? 'div' : 'p'); } catch (e) {}
    kvEdit.setSeparator(o.divOnReturn);
  }
  kv.setOptions = function (o) { applyOptions(o); return snapshot(false); };

  // The control loads only the page's opening, which sets the mode the page is shown in, and
  // hands the whole page over as text: parsed here in one go and put in place of the opening.
  function build(text) {
    const parsed = new DOMParser().parseFromString(text, 'text/html');
    while (document.firstChild) document.removeChild(document.firstChild);
    for (const n of Array.from(parsed.childNodes)) document.appendChild(document.adoptNode(n));
  }

  // A picture missing from the disk fails after the page is built, one after another, and each
  // failure has the engine lay the page out again: on a long page with many of them that takes
  // far longer than the page. The page stays out of layout until its local pictures have
  // settled (or the control stops waiting), and is then laid out once.
  const unlaid = new CSSStyleSheet();
  unlaid.replaceSync('html { display: none !important; }');
  let shown = true;
  let showOwed = false;
  const unsettled = new Set();
  function pictureSettled(e) {
    if (!unsettled.delete(e.target) || unsettled.size) return;
    show();
  }
  function show() {
    if (shown) return;
    shown = true;
    unsettled.clear();
    document.removeEventListener('load', pictureSettled, true);
    document.removeEventListener('error', pictureSettled, true);
    document.adoptedStyleSheets = [sheet, detailSheet];
    // A caret put while the page was out of layout has no place the engine shows or types at:
    // keys typed before the user moves it would go nowhere. Put again, it is laid out.
    const s = getSelection();
    if (s.rangeCount) {
      const r = s.getRangeAt(0);
      s.removeAllRanges();
      s.addRange(r);
    }
    if (bridge) push(); else { showOwed = true; connect(); }
  }
  kv.show = function () { show(); return snapshot(false); };
  // The page's own pictures, from its folder (`base`, at the program's server) or its scheme, are
  // waited for; a web site's are not.
  function awaitPictures(base) {
    const own = base ? new URL(base).origin + '/' : null;
    for (const img of document.images) {
      const src = img.currentSrc || img.src;
      if (!img.complete && img.loading !== 'lazy' && (/^kvdesign:/i.test(src) || (own && src.startsWith(own)))) unsettled.add(img);
    }
    if (!unsettled.size) return;
    shown = false;
    document.addEventListener('load', pictureSettled, true);
    document.addEventListener('error', pictureSettled, true);
  }

  // How many levels deep the page's elements go, <html> the first: the engine's parser puts an
  // element that would go deeper than it keeps beside the deepest instead.
  function nestingDepth() {
    const root = document.documentElement;
    if (!root) return 0;
    let deepest = 1;
    let depth = 1;
    for (let n = root; ;) {
      if (n.firstElementChild) {
        n = n.firstElementChild;
        if (++depth > deepest) deepest = depth;
        continue;
      }
      while (n !== root && !n.nextElementSibling) { n = n.parentElement; depth--; }
      if (n === root) return deepest;
      n = n.nextElementSibling;
    }
  }

  kv.init = function (o) {
    if (typeof o.page === 'string') {
      build(o.page);
      awaitPictures(o.base);
    }
    const depth = nestingDepth();
    // A page deeper than the engine keeps is not the page the source holds: it is not edited.
    editable = !o.readOnly && !(o.deepest && depth > o.deepest);
    // Editing on before anything lays the page out: turned on after, it has the engine work out
    // the style of every element of a long page again.
    if (editable) document.designMode = 'on';
    flags = o.flags || flags;
    const first = o.base ? document.querySelector('base') : null;
    fileBase = first && first.getAttribute('href') === o.base ? first : null;
    setBlockFormats(o.blockFormats || []);
    document.adoptedStyleSheets = shown ? [sheet, detailSheet] : [sheet, detailSheet, unlaid];
    applyOptions(o);
    const html = serialize();
    if (editable) {
      // A caret at the start, as the page opens for editing.
      if (body() && !hasSelection()) {
        const walker = document.createTreeWalker(body(), NodeFilter.SHOW_TEXT);
        let first = walker.nextNode();
        while (first && !first.data.trim()) first = walker.nextNode();
        const r = document.createRange();
        if (first) r.setStart(first, 0); else r.setStart(body(), 0);
        r.collapse(true);
        getSelection().removeAllRanges();
        getSelection().addRange(r);
      }
    }
    dirty = false;
    try { document.execCommand('styleWithCSS', false, false); } catch (e) {}
    if (editable) {
      observer.observe(document, { subtree: true, childList: true, attributes: true, characterData: true });
      kvEdit.start(o);
    }
    const out = snapshot(false);
    out.html = html;
    out.depth = depth;
    out.init = o.load;
    if (bridge) bridge.update(out);
    return out;
  };

  kv.state = function () { return snapshot(false); };

  // The control's request for the page as it stands: a report with the HTML, answering `id`.
  // The command states are left out: reading them right after an edit makes the engine lay
  // the page out again, which on a long page costs far more than the HTML itself.
  kv.flush = function (id) {
    noteMutations(observer.takeRecords());
    const out = { seq: ++seq, dirty, changes, keys: keysSeen(), html: serialize(), flush: id };
    // The channel brings it sooner than the answer to the call; the control takes the first.
    if (bridge) bridge.update(out);
    return out;
  };

  // The engine's own edits and anything a key with Ctrl or Alt or a click may have set (the style
  // of what is typed next) are worked out anew.
  document.addEventListener('input', () => { typedIn = null; if (editable) schedule(); }, true);
  document.addEventListener('selectionchange', () => { if (editable) schedule(); });
  // Ctrl+B, Ctrl+I and Ctrl+U: made here as the toolbar's commands are.
  const formatInputs = { formatBold: 'bold', formatItalic: 'italic', formatUnderline: 'underline' };
  document.addEventListener('beforeinput', (e) => {
    const command = editable && formatInputs[e.inputType];
    const r = command && range();
    if (!r || r.collapsed || !window.kvFormat) return;
    e.preventDefault();
    kvEdit.command(() => format(command));
  }, true);
  // The control waits for the page to have the focus before it hands on keys typed meanwhile.
  window.addEventListener('focus', () => { if (editable) schedule(); });
  // No report at the key's press: nothing has changed yet, and what the key does reports itself
  // (the input, the selection's move, or the key's release).
  const modifierKeys = new Set(['Shift', 'Control', 'Alt', 'AltGraph', 'Meta', 'CapsLock', 'NumLock', 'ScrollLock', 'Fn', 'OS', 'Super', 'Hyper']);
  document.addEventListener('keydown', (e) => {
    keys++;
    keyUnfinished = !modifierKeys.has(e.key);
    if (e.ctrlKey || e.altKey || e.metaKey || e.isComposing) typedIn = null;
  }, true);
  // A key's text goes in while its keypress is handled, so no question comes between them.
  for (const type of ['keypress', 'input', 'keyup', 'mousedown']) document.addEventListener(type, () => { keyUnfinished = false; }, true);
  window.addEventListener('blur', () => { keyUnfinished = false; });
  document.addEventListener('keyup', () => { if (editable) schedule(); }, true);
  document.addEventListener('mousedown', (e) => {
    typedIn = null;
    if (!editable) return;
    const t = e.target;
    controlElement = null;
    if (t && t.nodeType === 1 && /^(IMG|HR|INPUT|SELECT|TEXTAREA|BUTTON|OBJECT|EMBED|IFRAME|APPLET)$/.test(t.tagName) && e.button !== 1) {
      controlElement = t;
      // After the engine has placed its caret for the click.
      document.addEventListener('mouseup', () => { if (inDocument(t)) { selectNode(t); schedule(); } }, { once: true, capture: true });
    }
  }, true);
  // A click on a link in the design view edits it; it never leaves the page. One on a label
  // edits the label's text: passed on to the label's field, it would take the focus and the keys.
  document.addEventListener('click', (e) => { if (editable && e.target.closest && e.target.closest('a,label')) e.preventDefault(); }, true);
})();
