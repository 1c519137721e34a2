// What the page marks in the text area's text: the part past the limit tinted, each run of characters
// at risk underlined, drawn behind the text area by a mirror of it (see the style sheet), and the note
// under the text that names those characters. The mirror holds the text again in pieces of whole lines,
// each a block of its own, and a change makes again only the pieces it touched and those the limit moved
// across: the browser lays out again only those. A message of a megabyte is laid out in full once, when
// it is shown.

const PIECE = 2048; // code units at least, to the end of a line

// The pieces of `after` for a mirror whose `pieces` ({ start, length }, in order) held `before`: those
// before the change that end a line, and those after it that start one, are kept (the latter moved with
// the change); between them come new pieces ({ start, length }) of whole lines, `size` units at least.
export function respan(pieces, before, after, size = PIECE) {
  const delta = after.length - before.length;
  // (Two slices compared are many times faster than startsWith.)
  const holds = (piece, at) =>
    after.slice(at, at + piece.length) === before.slice(piece.start, piece.start + piece.length);
  let front = 0;
  for (let piece; (piece = pieces[front]) && holds(piece, piece.start); front++) {
    const end = piece.start + piece.length;
    if (before.charCodeAt(end - 1) !== 10 && end !== after.length) break;
  }
  const frontEnd = front ? pieces[front - 1].start + pieces[front - 1].length : 0;
  let back = pieces.length;
  for (let piece, at; back > front && (piece = pieces[back - 1]); back--) {
    at = piece.start + delta;
    if (at < frontEnd || !holds(piece, at) || (at > 0 && after.charCodeAt(at - 1) !== 10)) break;
  }
  const kept = pieces.slice(back);
  const backStart = kept.length ? kept[0].start + delta : after.length;
  const made = [];
  for (let at = frontEnd, end; at < backStart; at = end) {
    end = at + size < backStart ? after.indexOf('\n', at + size) + 1 : backStart;
    if (end === 0 || end > backStart) end = backStart;
    made.push({ start: at, length: end - at });
  }
  for (const piece of kept) piece.start += delta;
  return [...pieces.slice(0, front), ...made, ...kept];
}

// The parts a piece of `length` units from `start` is drawn in, each [first, last (exclusive), risky]
// relative to the piece: split where the tint starts, at `from` in the piece, and around each run at
// risk of `runs` (see Rules.marks) that falls in it.
export function parts(start, length, from, runs) {
  const drawn = [];
  let at = 0;
  const add = (to, risky) => {
    for (const end of [Math.min(to, Math.max(at, from)), to]) {
      if (end <= at) continue;
      drawn.push([at, end, risky]);
      at = end;
    }
  };
  let low = 0; // the first run that ends in the piece or after it
  for (let high = runs.length / 2; low < high; ) {
    const middle = (low + high) >> 1;
    if (runs[2 * middle + 1] <= start) low = middle + 1;
    else high = middle;
  }
  for (let i = 2 * low; i < runs.length && runs[i] < start + length; i += 2) {
    add(Math.max(runs[i] - start, 0), false);
    add(Math.min(runs[i + 1] - start, length), true);
  }
  add(length, false);
  return drawn;
}

function mark(kind, text) {
  const node = document.createElement('mark');
  node.className = kind;
  node.textContent = text;
  return node;
}

// The marks of `editor`, drawn in `mirror`, named in `note`.
export class Marks {
  #mirror;
  #note;
  #mirrored = ''; // the text the pieces hold
  #pieces = []; // each { start, length, node, from }: from, where the tint starts in it

  constructor(editor, mirror, note) {
    this.#mirror = mirror;
    this.#note = note;
    // What assistive technology finds: the note, as it reads; the text area has the text and its count.
    mirror.setAttribute('aria-hidden', 'true');
    editor.addEventListener('scroll', () => (mirror.scrollTop = editor.scrollTop));
  }

  // Marks `text`, the text area's, where `found` (from Rules.marks) says.
  show(text, { past, runs, note }) {
    if (this.#note.textContent !== note) {
      this.#note.textContent = note;
      this.#note.hidden = !note;
    }
    const pieces = respan(this.#pieces, this.#mirrored, text);
    const staying = new Set(pieces);
    for (const piece of this.#pieces) if (!staying.has(piece)) piece.node.remove();
    for (let i = pieces.length - 1, next = null; i >= 0; next = pieces[i--].node) {
      pieces[i].node ??= this.#mirror.insertBefore(document.createElement('div'), next);
      pieces[i].from ??= -1;
    }
    this.#pieces = pieces;
    this.#mirrored = text;
    this.#mirror.classList.toggle('open', !text || text.endsWith('\n')); // an empty line last, where the caret can go
    for (const piece of pieces) {
      const from = past < 0 ? piece.length : Math.min(Math.max(past - piece.start, 0), piece.length);
      if (from !== piece.from) this.#draw(piece, from, text, runs);
    }
  }

  // Draws `piece` of `text`: up to `from` as it is, the rest tinted, the runs at risk underlined.
  #draw(piece, from, text, runs) {
    const { start, length, node } = piece;
    piece.from = from;
    node.textContent = '';
    let over = null;
    for (const [first, last, risky] of parts(start, length, from, runs)) {
      const part = text.slice(start + first, start + last);
      (first < from ? node : (over ??= node.appendChild(mark('over', '')))).append(risky ? mark('risk', part) : part);
    }
  }
}
