// Quillet in the browser. The message rules are the project's C++ compiled to WebAssembly (web/Rules.cpp):
// this script only carries text between them and the text area, the clipboard and the browser's storage.
'use strict';
(() => {
  // The module, inlined by the build: a page opened from disk may not fetch anything.
  const RULES = '@RULES_WASM_BASE64@';
  // The draft, kept as the bytes its msg.dat would hold, one character for each byte.
  const DRAFT = 'quillet.msg.dat';
  const editor = document.getElementById('message');
  const caption = document.getElementById('caption');
  const note = document.getElementById('note');
  const mirror = document.getElementById('marks');
  const refusal = document.getElementById('refusal');
  const copyButton = document.getElementById('copy');
  const spoken = document.getElementById('spoken');
  const cp949 = new TextDecoder('euc-kr');
  const unitsAsText = new TextDecoder('utf-16le');

  // Compiled in the background while the page gets ready.
  const compiled = WebAssembly.compile(
    Uint8Array.fromBase64?.(RULES) ?? Uint8Array.from(atob(RULES), (c) => c.charCodeAt(0)),
  );

  // Code page 949 as the browser decodes it (WHATWG euc-kr): every two-byte sequence decoded once, each
  // followed by a line feed, so that the text splits into one piece per sequence whatever the decoder
  // makes of the sequences the code page lacks. The table maps a UTF-16 code unit to its lead and trail
  // byte; where two sequences decode to one character the first wins, as in the standard's encoder.
  // `decoded` maps each sequence, by (lead - 0x81) * 190 + trail - 0x41, to its code unit, or 0.
  // Made when first needed: a short draft is shown and counted without it.
  let table = null;
  const decoded = new Uint16Array(126 * 190);
  function codePage() {
    if (table) return table;
    table = new Uint16Array(0x10000);
    const sequences = new Uint8Array(126 * 190 * 3);
    let n = 0;
    for (let lead = 0x81; lead <= 0xfe; lead++) {
      for (let trail = 0x41; trail <= 0xfe; trail++) {
        sequences[n++] = lead;
        sequences[n++] = trail;
        sequences[n++] = 0x0a;
      }
    }
    const text = cp949.decode(sequences);
    let at = 0;
    for (let lead = 0x81; lead <= 0xfe; lead++) {
      for (let trail = 0x41; trail <= 0xfe; trail++) {
        const end = text.indexOf('\n', at);
        const unit = text.charCodeAt(at);
        if (end === at + 1 && unit !== 0xfffd) {
          decoded[(lead - 0x81) * 190 + trail - 0x41] = unit;
          table[unit] ||= (lead << 8) | trail;
        }
        at = end + 1;
      }
    }
    return table;
  }

  // The text of code page 949 bytes as the browser's decoder makes it: a byte or a pair of bytes that
  // starts no character is U+FFFD, and an ASCII byte after a lead byte stands for itself. Through the
  // table, in half the time the decoder takes (20 to 40 ms for a megabyte of Hangul).
  function decode(bytes) {
    codePage();
    const units = new Uint16Array(bytes.length);
    let n = 0;
    for (let i = 0; i < bytes.length; i++) {
      const lead = bytes[i];
      if (lead < 0x80) {
        units[n++] = lead;
        continue;
      }
      const trail = i + 1 < bytes.length ? bytes[i + 1] : 0;
      const isLead = lead > 0x80 && lead < 0xff;
      const unit = isLead && trail >= 0x41 && trail < 0xff ? decoded[(lead - 0x81) * 190 + trail - 0x41] : 0;
      units[n++] = unit || 0xfffd;
      if (unit || (isLead && trail >= 0x80)) i++;
    }
    return unitsAsText.decode(units.subarray(0, n));
  }

  // The length in UTF-16 units of the character at `i` that the code page lacks: a surrogate pair is one.
  const unitsOf = (text, i) => {
    const unit = text.charCodeAt(i);
    return unit >= 0xd800 && unit < 0xdc00 && (text.charCodeAt(i + 1) & 0xfc00) === 0xdc00 ? 2 : 1;
  };

  // The text with each character the code page lacks replaced by "?": what the text area may hold, so
  // that what is shown is what is counted, copied and saved. A zero (pasted, say) goes too: the rules
  // would end the message there.
  function kept(text) {
    const codes = codePage();
    const fits = (i) => (text.charCodeAt(i) < 0x80 && text.charCodeAt(i) > 0) || codes[text.charCodeAt(i)] !== 0;
    let i = 0;
    while (i < text.length && fits(i)) i++;
    if (i === text.length) return text;
    let out = text.slice(0, i);
    while (i < text.length) {
      if (fits(i)) {
        out += text[i++];
      } else {
        out += '?';
        i += unitsOf(text, i);
      }
    }
    return out;
  }

  // The rules' input, written straight into the module's memory: bytes as they are, or the code page
  // 949 bytes of a text, each character it lacks (and a zero) as "?" as kept() has it; true when there
  // was none. `pairs` holds the index there of each "?" that stands for a surrogate pair, two code units
  // of the text (an emoji being composed, say): the rules' characters are the text's code units but for
  // those.
  let rules = null;
  let pairs = [];
  function input(length) {
    const at = rules.quillet_input(length); // first: it may grow the memory, detaching older views
    pairs = [];
    return new Uint8Array(rules.memory.buffer, at, length);
  }
  const putBytes = (bytes) => input(bytes.length).set(bytes);
  function put(text) {
    const codes = codePage();
    const bytes = input(text.length * 2);
    let n = 0;
    let whole = true;
    for (let i = 0; i < text.length; ) {
      const unit = text.charCodeAt(i);
      if (unit < 0x80 && unit > 0) {
        bytes[n++] = unit;
        i++;
      } else if (codes[unit]) {
        bytes[n++] = codes[unit] >> 8;
        bytes[n++] = codes[unit] & 0xff;
        i++;
      } else {
        bytes[n++] = 0x3f;
        const units = unitsOf(text, i);
        if (units === 2) pairs.push(i - pairs.length);
        i += units;
        whole = false;
      }
    }
    rules.quillet_input(n);
    return whole;
  }

  // Runs a rule on the input; returns the bytes it made, a view into the module's memory that the
  // next call reuses.
  function run(rule) {
    const length = rules[rule]();
    return new Uint8Array(rules.memory.buffer, rules.quillet_result(), length);
  }

  let draft = null;
  // The bytes of a draft as stored, one character for each.
  function draftBytes(text) {
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
    return bytes;
  }
  function store() {
    if (draft === null) return;
    try {
      localStorage.setItem(DRAFT, draft);
    } catch {
      // Storage off or full: the page still counts and copies.
    }
  }

  const setCaption = (bytes) => (document.title = caption.textContent = cp949.decode(bytes));

  // The marks, drawn behind the text area by its mirror (see the style sheet): the text again, with a
  // <mark class="over"> for the part past the limit and a <mark class="risk"> for each run of characters
  // at risk. The mirror holds the text in pieces of whole lines, each a block of its own, and a change
  // makes again only the pieces it touched and those the limit moved across: the browser lays out again
  // only those. A message of a megabyte is laid out in full once, when it is shown.
  const PIECE = 2048; // code units at least, to the end of a line
  let mirrored = ''; // the text the pieces hold
  let pieces = []; // each { start, length, node, from }: from, where the part past the limit starts in it
  function mark(kind, text) {
    const node = document.createElement('mark');
    node.className = kind;
    node.textContent = text;
    return node;
  }

  // Draws a piece of `text`: up to `from` as it is, the rest tinted, the runs at risk underlined.
  // `runs` holds the first and last code unit of each, in order.
  function draw(piece, from, text, runs) {
    const { start, length, node } = piece;
    piece.from = from;
    node.textContent = '';
    let over = null;
    let at = 0;
    const add = (to, risky) => {
      // Up to `from` into the piece itself, from there on into the tint.
      for (const end of [Math.min(to, Math.max(at, from)), to]) {
        if (end <= at) continue;
        const part = text.slice(start + at, start + end);
        (at < from ? node : (over ??= node.appendChild(mark('over', '')))).append(risky ? mark('risk', part) : part);
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
  }

  // Brings the mirror to `text`, marked past `past` (-1: nowhere) and where `runs` say. Kept as they are:
  // the pieces before the change that end a line, and those after it that start one.
  function reflect(text, past, runs) {
    const delta = text.length - mirrored.length;
    // (Two slices compared are many times faster than startsWith.)
    const holds = (piece, at) =>
      text.slice(at, at + piece.length) === mirrored.slice(piece.start, piece.start + piece.length);
    let front = 0;
    for (let piece; (piece = pieces[front]) && holds(piece, piece.start); front++) {
      const end = piece.start + piece.length;
      if (mirrored.charCodeAt(end - 1) !== 10 && end !== text.length) break;
    }
    const frontEnd = front ? pieces[front - 1].start + pieces[front - 1].length : 0;
    let back = pieces.length;
    for (let piece, at; back > front && (piece = pieces[back - 1]); back--) {
      at = piece.start + delta;
      if (at < frontEnd || !holds(piece, at) || (at > 0 && text.charCodeAt(at - 1) !== 10)) break;
    }
    const kept = pieces.slice(back);
    const backStart = kept.length ? kept[0].start + delta : text.length;
    const made = [];
    for (let at = frontEnd, end; at < backStart; at = end) {
      end = at + PIECE < backStart ? text.indexOf('\n', at + PIECE) + 1 : backStart;
      if (end === 0 || end > backStart) end = backStart;
      made.push({ start: at, length: end - at, node: document.createElement('div'), from: -1 });
      mirror.insertBefore(made.at(-1).node, kept[0]?.node ?? null);
    }
    for (const piece of pieces.slice(front, back)) piece.node.remove();
    for (const piece of kept) piece.start += delta;
    pieces = [...pieces.slice(0, front), ...made, ...kept];
    mirrored = text;
    mirror.classList.toggle('open', !text || text.endsWith('\n')); // an empty line last, where the caret can go
    for (const piece of pieces) {
      const from = past < 0 ? piece.length : Math.min(Math.max(past - piece.start, 0), piece.length);
      if (from !== piece.from) draw(piece, from, text, runs);
    }
  }

  // Marks `text`, the text area's text as put, as the rules find it, and names the characters at risk
  // under it.
  function marks(text) {
    const named = run('quillet_marks');
    const line = named.length ? cp949.decode(named) : '';
    if (note.textContent !== line) {
      note.textContent = line;
      note.hidden = !line;
    }
    const at = rules.quillet_marks_at() >> 2;
    const found = new Int32Array(rules.memory.buffer);
    const past = found[at];
    const runs = found.slice(at + 2, at + 2 + 2 * found[at + 1]);
    const unit = (index) => index + pairs.filter((pair) => pair < index).length;
    if (pairs.length) runs.forEach((index, i) => (runs[i] = unit(index)));
    reflect(text, past < 0 ? past : unit(past), runs);
    return past >= 0;
  }

  // The count for screen readers, in a polite live region: when typing pauses, and at once when the
  // message goes over the limit or back under it; never at every key.
  let spokenOver = false;
  let speaking = 0;
  function speak(over) {
    clearTimeout(speaking);
    const say = () => (spoken.textContent = caption.textContent);
    if (over === spokenOver) {
      speaking = setTimeout(say, 1000);
    } else {
      spokenOver = over;
      say();
    }
  }

  // Copies `text`, the text area's. A refusal (outside a user's gesture in some browsers, or without the
  // permission) is said beside the count with a button that copies at a press; the next copy that
  // succeeds takes both away. Only the latest copy's outcome is shown.
  let copies = 0;
  function copy(text) {
    const ticket = ++copies;
    const shown = (refused) => {
      if (ticket !== copies) return;
      refusal.textContent = refused ? cp949.decode(run('quillet_copy_refused')) : '';
      copyButton.hidden = !refused;
    };
    const writing = navigator.clipboard?.writeText(text) ?? Promise.reject();
    writing.then(() => shown(false), () => shown(true));
  }

  // Copies and keeps the text, in a task of its own after the caption's: the caption reaches the
  // screen first, and changes that come faster are copied and kept once, as they then stand. The text
  // area's value has LF line breaks only: it is already the message as the rules normalise it.
  let keeping = 0;
  function keep() {
    clearTimeout(keeping);
    keeping = 0;
    const text = editor.value; // read once: a megabyte's value is built afresh at each read
    copy(text);
    put(text);
    draft = unitsAsText.decode(new Uint16Array(run('quillet_save'))); // one character for each byte
    store();
  }

  // Counts the rules' input and marks `text`, the text area's text it was put from, then copies and keeps
  // the text.
  function count(text) {
    setCaption(run('quillet_status'));
    speak(marks(text));
    keeping ||= setTimeout(keep);
  }

  // The text area's text for `text`, which it held.
  function keepToCodePage(text) {
    const shown = kept(text);
    if (shown === text) return text;
    const caret = kept(text.slice(0, editor.selectionEnd)).length;
    editor.value = shown;
    editor.setSelectionRange(caret, caret);
    pairs = []; // the text's characters are now the rules' one for one
    return shown;
  }

  // A change of the text area: kept to the code page, unless a syllable is still being composed (it
  // counts as it stands, and is checked once composed), and counted. The text is read and encoded
  // once: only where the encoding met a character outside the code page is it looked at again.
  let pending = false;
  function changed(composing) {
    let text = editor.value;
    if (!rules) {
      if (!composing) keepToCodePage(text);
      pending = true;
    } else {
      if (!put(text) && !composing) text = keepToCodePage(text);
      count(text);
    }
  }

  // Shows the message of a msg.dat all selected, so that the first key replaces it, as the programs
  // do at start. Its bytes are counted as they are, unless some start no character of the code page.
  // A short draft is decoded by the browser's decoder, before the table is made.
  function show(stored, short) {
    putBytes(stored);
    const message = run('quillet_load').slice();
    const text = short ? cp949.decode(message) : decode(message);
    const whole = !text.includes('\ufffd');
    const shown = whole ? text : kept(text);
    editor.value = shown;
    editor.focus();
    editor.select();
    if (whole) putBytes(message);
    else put(shown);
    count(shown);
  }

  async function open(file) {
    let stored;
    try {
      stored = new Uint8Array(await file.arrayBuffer());
    } catch {
      // Gone or unreadable since it was chosen: said as the programs say it, the text left as it is.
      await ready;
      put(file.name);
      alert(cp949.decode(run('quillet_file_error')));
      return;
    }
    await ready;
    show(stored, false);
  }

  async function save() {
    await ready;
    put(editor.value);
    const link = document.createElement('a');
    link.download = 'msg.dat';
    link.href = URL.createObjectURL(new Blob([run('quillet_save')], { type: 'application/octet-stream' }));
    link.click();
    // Revoked later: the download may still be reading it.
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  editor.addEventListener('input', (event) => changed(event.isComposing));
  editor.addEventListener('compositionend', () => changed(false));
  editor.addEventListener('scroll', () => (mirror.scrollTop = editor.scrollTop));
  const picker = document.getElementById('open');
  picker.addEventListener('change', () => {
    if (picker.files.length) open(picker.files[0]);
    picker.value = '';
  });
  document.getElementById('save').addEventListener('click', save);
  copyButton.addEventListener('click', () => {
    copy(editor.value);
    editor.focus();
  });
  document.addEventListener('keydown', (event) => {
    if ((event.ctrlKey || event.metaKey) && event.key === 's') {
      event.preventDefault();
      save();
    }
  });
  // A file dropped anywhere on the page is opened; text dropped into the text area goes in as usual.
  const carriesFile = (event) => event.dataTransfer.types.includes('Files');
  document.addEventListener('dragover', (event) => {
    if (!carriesFile(event)) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    document.body.classList.add('dropping');
  });
  document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
  document.addEventListener('drop', (event) => {
    document.body.classList.remove('dropping');
    if (!carriesFile(event)) return;
    event.preventDefault();
    if (event.dataTransfer.files.length) open(event.dataTransfer.files[0]);
  });
  // Leaving, whatever is not kept yet is kept at once.
  const leave = () => (keeping ? keep() : store());
  window.addEventListener('pagehide', leave);
  document.addEventListener('visibilitychange', () => document.visibilityState === 'hidden' && leave());

  // Served (not opened from disk), the page is also an app that works offline.
  if (location.protocol !== 'file:') {
    const manifest = document.createElement('link');
    manifest.rel = 'manifest';
    manifest.href = 'manifest.webmanifest';
    document.head.append(manifest);
    navigator.serviceWorker?.register('sw.js');
  }

  try {
    draft = localStorage.getItem(DRAFT);
  } catch {
    // No storage here: every visit starts empty.
  }
  editor.focus();
  // The rules make no system call; only the C library's error paths would, and fail here.
  const wasi = new Proxy({}, { get: () => () => 52 /* ENOSYS */ });
  const ready = compiled
    .then((module) => WebAssembly.instantiate(module, { wasi_snapshot_preview1: wasi }))
    .then((instance) => {
      rules = instance.exports;
      rules._initialize();
      editor.ariaLabel = cp949.decode(run('quillet_initial_title'));
      copyButton.textContent = cp949.decode(run('quillet_copy_button'));
      // Shown once they work, with their labels, in the frame that shows the count.
      document.getElementById('opening').textContent = cp949.decode(run('quillet_open_button'));
      document.getElementById('save').textContent = cp949.decode(run('quillet_save_button'));
      document.querySelector('.actions').hidden = false;
      if (pending) changed(true); // typed into before the rules were there, kept as typed: that text wins
      else if (draft !== null) show(draftBytes(draft), draft.length < 0x10000);
      else setCaption(run('quillet_initial_title'));
      // Ready for the first key before it comes.
      setTimeout(codePage);
    });
})();
