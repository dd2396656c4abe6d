// Bold, italic and underline in the design view, made by the page script rather than by the
// engine's commands: those take the spaces and line break before a word into the new element,
// and turn a style off by rewriting the author's style attribute. Here the selected text alone is
// wrapped in <b>, <i> or <u>, or the element that makes it so is taken away around it (split
// where the selection covers part of it); where a style of the page makes it so, a new element
// inside turns it off. Attributes the page has are never changed. Plain DOM operations, made at
// once: the design script's observer sees them as it sees every other change.
(function () {
  'use strict';
  if (window.kvFormat) return;

  const kinds = {
    bold: {
      tags: new Set(['B', 'STRONG']), tag: 'b', prop: 'font-weight', on: 'bold', off: 'normal',
      value: (cs) => cs.fontWeight,
      shows: (cs) => (parseInt(cs.fontWeight, 10) || 400) >= 600,
    },
    italic: {
      tags: new Set(['I', 'EM']), tag: 'i', prop: 'font-style', on: 'italic', off: 'normal',
      value: (cs) => cs.fontStyle,
      shows: (cs) => cs.fontStyle !== 'normal',
    },
    // A line under the text comes from every element around it that draws one; no element
    // inside can take it away, so underline made by a style stays.
    underline: {
      tags: new Set(['U']), tag: 'u', prop: 'text-decoration', on: 'underline', off: null,
      value: (cs) => cs.getPropertyValue('-webkit-text-decorations-in-effect'),
      shows: (cs) => /underline/.test(cs.getPropertyValue('-webkit-text-decorations-in-effect')),
    },
  };
  // What a maker shares with its parent, and how it stands, besides what it makes, when taking
  // it away changes nothing else of the text.
  const inherited = ['color', 'font-size', 'font-family', 'font-variant', 'letter-spacing', 'word-spacing',
    'text-transform', 'line-height'];
  const flat = ['vertical-align:baseline', 'padding-left:0px', 'padding-right:0px', 'margin-left:0px',
    'margin-right:0px', 'border-left-width:0px', 'border-right-width:0px', 'background-color:rgba(0, 0, 0, 0)'];
  // Text that is not the page's shown text, or not to be wrapped: the page's scripts are off, so
  // what <noscript> holds shows.
  const unshown = new Set(['SCRIPT', 'STYLE', 'TEMPLATE', 'TEXTAREA', 'TITLE', 'XMP', 'NOEMBED', 'NOFRAMES',
    'PLAINTEXT', 'SELECT', 'OPTION', 'IFRAME', 'OBJECT']);

  const style = (el) => getComputedStyle(el);
  const collapsible = (c) => c === ' ' || c === '\t' || c === '\n' || c === '\r' || c === '\f';
  function blank(t) {
    for (let i = 0; i < t.data.length; i++) if (!collapsible(t.data[i])) return false;
    return true;
  }
  function preserves(el) { return /^(pre|break-spaces)/.test(style(el).whiteSpace); }
  function shownText(t) {
    const body = document.body;
    if (!body || !body.contains(t)) return false;
    for (let e = t.parentElement; e && e !== body; e = e.parentElement) if (unshown.has(e.tagName)) return false;
    return true;
  }
  function isOn(k, t) { return k.shows(style(t.parentElement)); }

  function range() {
    const s = getSelection();
    return s && s.rangeCount ? s.getRangeAt(0) : null;
  }

  // The text the range covers, a piece of a text node at a time; null past `limit` pieces.
  function segments(r, limit) {
    const out = [];
    const add = (t) => {
      if (!shownText(t)) return true;
      const s = t === r.startContainer ? r.startOffset : 0;
      const e = t === r.endContainer ? r.endOffset : t.length;
      if (e > s) out.push({ t, s, e });
      return out.length <= limit;
    };
    const root = r.commonAncestorContainer;
    if (root.nodeType === 3) return add(root) ? out : null;
    const walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT);
    // From the range's start rather than from the top of what holds it.
    const from = r.startContainer.nodeType === 3 ? r.startContainer : r.startContainer.childNodes[r.startOffset];
    walker.currentNode = from && root.contains(from) ? from : root;
    const first = walker.currentNode.nodeType === 3 ? walker.currentNode : walker.nextNode();
    for (let t = first; t; t = walker.nextNode()) {
      if (r.comparePoint(t, t.length) < 0) continue;
      if (r.comparePoint(t, 0) > 0) break;
      if (!add(t)) return null;
    }
    return out;
  }
  // The spaces and line breaks at either end of the selection are not its text: they stay
  // where they are (a word chosen at the start of an indented line leaves the indent outside).
  function trim(segs) {
    const eats = (g) => !preserves(g.t.parentElement);
    while (segs.length) {
      const g = segs[0];
      if (eats(g)) while (g.s < g.e && collapsible(g.t.data[g.s])) g.s++;
      if (g.s < g.e) break;
      segs.shift();
    }
    while (segs.length) {
      const g = segs[segs.length - 1];
      if (eats(g)) while (g.e > g.s && collapsible(g.t.data[g.e - 1])) g.e--;
      if (g.e > g.s) break;
      segs.pop();
    }
    return segs;
  }
  const blankPart = (g) => { for (let i = g.s; i < g.e; i++) if (!collapsible(g.t.data[i])) return false; return true; };

  // Each piece made a text node of its own.
  function splitOut(segs) {
    return segs.map((g) => {
      let t = g.t;
      if (g.e < t.length) t.splitText(g.e);
      if (g.s > 0) t = t.splitText(g.s);
      return t;
    });
  }

  function hasOnlyStyle(el, declaration) {
    if (el.tagName !== 'SPAN' || el.attributes.length !== 1 || !el.hasAttribute('style')) return false;
    return el.getAttribute('style').replace(/[\s;]/g, '') === declaration.replace(/[\s;]/g, '');
  }
  const onDeclaration = (k) => k.prop + ': ' + k.on;
  const offDeclaration = (k) => k.prop + ': ' + k.off;
  function isMaker(k, el) { return k.tags.has(el.tagName) || hasOnlyStyle(el, onDeclaration(k)); }
  // The maker does nothing else the text would lose with it.
  function removable(k, el) {
    if (hasOnlyStyle(el, onDeclaration(k))) return true;
    const a = style(el);
    const b = style(el.parentElement);
    if (a.display !== 'inline') return false;
    for (const p of inherited) if (a.getPropertyValue(p) !== b.getPropertyValue(p)) return false;
    for (const f of flat) {
      const [p, v] = f.split(':');
      if (a.getPropertyValue(p) !== v) return false;
    }
    for (const other of Object.values(kinds)) if (other !== k && other.value(a) !== other.value(b)) return false;
    return true;
  }

  // The ancestors of `nodes` (below the body) that `test` takes, the deepest first.
  function ancestors(nodes, test) {
    const found = new Set();
    for (const n of nodes)
      for (let e = n.parentElement; e && e !== document.body; e = e.parentElement) if (test(e)) found.add(e);
    const depth = (e) => { let d = 0; for (; e; e = e.parentElement) d++; return d; };
    return [...found].sort((x, y) => depth(y) - depth(x));
  }

  // Where `node` starts (or ends) among the children of `el`: the index of the child of `el`
  // that holds it, or null when the place is inside another element that would have to be split.
  function edgeIn(el, node, start) {
    let n = node;
    while (n.parentNode !== el) {
      for (let s = start ? n.previousSibling : n.nextSibling; s; s = start ? s.previousSibling : s.nextSibling)
        if (!(s.nodeType === 8 || (s.nodeType === 3 && blank(s)))) return null;
      n = n.parentNode;
    }
    return Array.prototype.indexOf.call(el.childNodes, n);
  }
  function onlyBlank(nodes) { return nodes.every((n) => n.nodeType === 8 || (n.nodeType === 3 && blank(n))); }
  function unwrap(el) {
    const parent = el.parentNode;
    while (el.firstChild) parent.insertBefore(el.firstChild, el);
    el.remove();
  }
  // Takes `el` away around the targets it holds; its parts before and after them stay in
  // elements of its own kind, with its attributes.
  function takeAway(el, targets) {
    const inside = targets.filter((t) => el.contains(t));
    if (!inside.length) return false;
    const i0 = edgeIn(el, inside[0], true);
    const i1 = edgeIn(el, inside[inside.length - 1], false);
    if (i0 === null || i1 === null) return false;
    const kids = Array.from(el.childNodes);
    const left = !onlyBlank(kids.slice(0, i0));
    const right = !onlyBlank(kids.slice(i1 + 1));
    // Two elements of one name would come of it.
    if ((left || right) && el.hasAttribute('id')) return false;
    if (left) {
      const part = el.cloneNode(false);
      for (const n of kids.slice(0, i0)) part.appendChild(n);
      el.parentNode.insertBefore(part, el);
    }
    if (right) {
      const part = el.cloneNode(false);
      for (const n of kids.slice(i1 + 1)) part.appendChild(n);
      el.parentNode.insertBefore(part, el.nextSibling);
    }
    unwrap(el);
    return true;
  }

  // ---- Wrapping runs of text -----------------------------------------------------------------

  function inlineAlone(el) { return style(el).display === 'inline' && !unshown.has(el.tagName); }
  // An inline element whose text is all selected (or blank), with nothing but inline elements in
  // it: it goes into a new element whole rather than a new element going into it.
  function covered(el, set, memo) {
    if (memo.has(el)) return memo.get(el);
    let ok = inlineAlone(el);
    let any = false;
    if (ok) {
      const walker = document.createTreeWalker(el, NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_TEXT);
      let count = 0;
      for (let n = walker.nextNode(); n && ok; n = walker.nextNode()) {
        if (++count > 2000) ok = false;
        else if (n.nodeType === 1) ok = inlineAlone(n);
        else if (set.has(n)) any = true;
        else ok = blank(n);
      }
    }
    memo.set(el, ok && any);
    return ok && any;
  }
  // Inline things without text of their own that may stand inside a run: a comment, a line
  // break, a picture, an icon an empty element shows.
  function filler(n) {
    if (n.nodeType === 8) return true;
    if (n.nodeType === 3) return blank(n);
    return n.nodeType === 1 && !n.textContent.trim() && inlineAlone(n);
  }
  // The targets gathered into runs of siblings: each run as few nodes as hold its text, in the
  // targets' own parents or in an element around them that holds nothing else. `climbs(el)`
  // tells whether a new element may go around `el` instead of inside it. Where the selection
  // ends within such an element the new one goes inside it: a word that fills a link or a piece
  // of code gets its element there, and the author's element keeps standing where it stood.
  function runsOf(targets, climbs) {
    const set = new Set(targets);
    const memo = new Map();
    const first = targets[0];
    const last = targets[targets.length - 1];
    // The targets run in the document's order: an element holding both ends holds them all.
    const reachesBeyond = (p) => !p.contains(first) || !p.contains(last);
    const units = [];
    const seen = new Set();
    for (const t of targets) {
      let u = t;
      for (let p = u.parentElement; p && p !== document.body && reachesBeyond(p) && climbs(p) && covered(p, set, memo); p = u.parentElement) u = p;
      if (!seen.has(u)) { seen.add(u); units.push(u); }
    }
    const runs = [];
    let run = null;
    for (const u of units) {
      if (run && run[run.length - 1].parentNode === u.parentNode) {
        const between = [];
        let n = run[run.length - 1].nextSibling;
        while (n && n !== u && filler(n)) { between.push(n); n = n.nextSibling; }
        if (n === u) { run.push(...between, u); continue; }
      }
      run = [u];
      runs.push(run);
    }
    return runs;
  }
  // Wraps each run that holds a target `needs` in a new element from `make`, its ends trimmed
  // of what needs nothing. Returns the new elements with the targets that needed them.
  function wrapRuns(targets, needs, make, climbs) {
    const made = [];
    const needing = targets.filter(needs);
    // Every node that holds a target in need, found from the targets up.
    const holding = new Set();
    for (const t of needing)
      for (let n = t; n && n !== document.body && !holding.has(n); n = n.parentNode) holding.add(n);
    const holds = (n) => holding.has(n);
    for (const run of runsOf(targets, climbs)) {
      let a = 0;
      let b = run.length;
      while (a < b && !holds(run[a])) a++;
      while (b > a && !holds(run[b - 1])) b--;
      if (a === b) continue;
      const nodes = run.slice(a, b);
      const el = make();
      nodes[0].parentNode.insertBefore(el, nodes[0]);
      for (const n of nodes) el.appendChild(n);
      const inside = [];
      const walker = document.createTreeWalker(el, NodeFilter.SHOW_TEXT);
      for (let t = walker.nextNode(); t; t = walker.nextNode()) if (holding.has(t)) inside.push(t);
      made.push({ el, needing: inside });
    }
    return made;
  }
  function spanWith(declaration) {
    const span = document.createElement('span');
    span.setAttribute('style', declaration);
    return span;
  }

  function turnOn(k, targets) {
    const off = (t) => !blank(t) && !isOn(k, t);
    // An element that does nothing but turn it off goes first.
    for (const el of ancestors(targets.filter(off), (e) => k.off && hasOnlyStyle(e, offDeclaration(k)))) takeAway(el, targets);
    // A new element may go around one that shows it already, or that inherits it, but not
    // around one that turns it off.
    const climbs = (e) => k.shows(style(e)) || k.value(style(e)) === k.value(style(e.parentElement));
    for (const { el } of wrapRuns(targets, off, () => document.createElement(k.tag), climbs)) {
      // The page's style sheet may undo the element (or "bolder" than a light font is not bold):
      // then a style says it.
      if (k.shows(style(el))) continue;
      const span = spanWith(onDeclaration(k));
      el.replaceWith(span);
      while (el.firstChild) span.appendChild(el.firstChild);
    }
    // Text an element inside the run turns off again gets an element of its own.
    if (targets.some(off)) wrapRuns(targets, off, () => spanWith(onDeclaration(k)), () => false);
  }

  function turnOff(k, targets) {
    const on = (t) => !blank(t) && isOn(k, t);
    for (const el of ancestors(targets.filter(on), (e) => isMaker(k, e) && removable(k, e))) takeAway(el, targets);
    if (!k.off || !targets.some(on)) return;
    // What still shows it comes from a style of the page: a new element turns it off.
    const climbs = (e) => !k.shows(style(e)) || k.value(style(e)) === k.value(style(e.parentElement));
    for (const { el, needing } of wrapRuns(targets, on, () => spanWith(offDeclaration(k)), climbs))
      if (needing.every(on)) unwrap(el);
    if (targets.some(on)) wrapRuns(targets, on, () => spanWith(offDeclaration(k)), () => false);
  }

  // Whether the selected text shows it, all of it: null for a caret or a selection without
  // text (the engine's answer, which knows what typing will take, holds there).
  function state(kind) {
    const k = kinds[kind];
    const r = range();
    if (!k || !r || r.collapsed) return null;
    const segs = segments(r, 5000);
    if (!segs) return null;
    const text = trim(segs).filter((g) => !blankPart(g));
    if (!text.length) return null;
    return text.every((g) => isOn(k, g.t));
  }

  // Makes the selected text show it, or not, as the selection's state says. False for a caret,
  // which the engine's command serves: it changes what is typed next, not the page.
  function toggle(kind) {
    const k = kinds[kind];
    const r = range();
    if (!k || !r || r.collapsed || !document.body || !document.body.contains(r.commonAncestorContainer)) return false;
    const segs = trim(segments(r, Infinity));
    const text = segs.filter((g) => !blankPart(g));
    if (!text.length) return true;
    const allOn = text.every((g) => isOn(k, g.t));
    if (allOn && !k.off && !ancestors(text.map((g) => g.t), (e) => isMaker(k, e) && removable(k, e)).length) return true;
    const targets = splitOut(segs);
    if (allOn) turnOff(k, targets); else turnOn(k, targets);
    const after = document.createRange();
    after.setStart(targets[0], 0);
    after.setEnd(targets[targets.length - 1], targets[targets.length - 1].length);
    const s = getSelection();
    s.removeAllRanges();
    s.addRange(after);
    return true;
  }

  // The element a toggle changes nothing outside of: the block around the selection, or the
  // block around the outermost element above it that makes it so (or turns it off) and may be
  // taken away or split.
  function scope(kind) {
    const k = kinds[kind];
    const r = range();
    const body = document.body;
    if (!k || !r || !body) return null;
    let el = r.commonAncestorContainer;
    if (el.nodeType !== 1) el = el.parentElement;
    if (!el || !body.contains(el)) return null;
    const lifts = (e) => isMaker(k, e) || (k.off && hasOnlyStyle(e, offDeclaration(k)));
    for (let a = el; a && a !== body; a = a.parentElement) if (lifts(a)) el = a.parentElement;
    while (el !== body && style(el).display === 'inline') el = el.parentElement;
    return el;
  }

  window.kvFormat = { toggle, state, scope };
})();
