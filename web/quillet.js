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
  // was none.
  let rules = null;
  function input(length) {
    const at = rules.quillet_input(length); // first: it may grow the memory, detaching older views
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
        i += unitsOf(text, i);
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

  // Copies and keeps the text, in a task of its own after the caption's: the caption reaches the
  // screen first, and changes that come faster are copied and kept once, as they then stand. The text
  // area's value has LF line breaks only: it is already the message as the rules normalise it.
  let keeping = 0;
  function keep() {
    clearTimeout(keeping);
    keeping = 0;
    // Refused without the focus or the permission: the count stands all the same.
    navigator.clipboard?.writeText(editor.value).catch(() => {});
    put(editor.value);
    draft = unitsAsText.decode(new Uint16Array(run('quillet_save'))); // one character for each byte
    store();
  }

  // Counts the rules' input, then copies and keeps the text.
  function count() {
    setCaption(run('quillet_status'));
    keeping ||= setTimeout(keep);
  }

  function keepToCodePage(text) {
    const shown = kept(text);
    if (shown === text) return;
    const caret = kept(text.slice(0, editor.selectionEnd)).length;
    editor.value = shown;
    editor.setSelectionRange(caret, caret);
  }

  // A change of the text area: kept to the code page, unless a syllable is still being composed (it
  // counts as it stands, and is checked once composed), and counted. The text is read and encoded
  // once: only where the encoding met a character outside the code page is it looked at again.
  let pending = false;
  function changed(composing) {
    const text = editor.value;
    if (!rules) {
      if (!composing) keepToCodePage(text);
      pending = true;
    } else {
      if (!put(text) && !composing) keepToCodePage(text);
      count();
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
    editor.value = whole ? text : kept(text);
    editor.focus();
    editor.select();
    if (whole) putBytes(message);
    else put(editor.value);
    count();
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
  const picker = document.getElementById('open');
  picker.addEventListener('change', () => {
    if (picker.files.length) open(picker.files[0]);
    picker.value = '';
  });
  document.getElementById('save').addEventListener('click', save);
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
      if (pending) changed(true); // typed into before the rules were there, kept as typed: that text wins
      else if (draft !== null) show(draftBytes(draft), draft.length < 0x10000);
      else setCaption(run('quillet_initial_title'));
      // Ready for the first key before it comes.
      setTimeout(codePage);
    });
})();
