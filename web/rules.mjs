// The message rules as the page calls them: the project's C++ compiled to WebAssembly (web/Rules.cpp),
// one typed call for each of its exports. Texts go in and come out as the text area's strings, through
// code page 949; the module's input and result buffers stay in here.

// The rules make no system call; only the C library's error paths would, and fail here.
const WASI = new Proxy({}, { get: () => () => 52 /* ENOSYS */ });

export class Rules {
  #module;
  #cp949;
  // The text whose bytes the module's input holds, whether the code page holds all of it, and where
  // among the bytes' characters a "?" stands for a surrogate pair of it (see Cp949.toCp949).
  #held = null;
  #whole = true;
  #pairs = [];

  // The rules of the compiled `module`, ready; `cp949` carries the texts.
  static async start(module, cp949) {
    const instance = await WebAssembly.instantiate(module, { wasi_snapshot_preview1: WASI });
    instance.exports._initialize();
    return new Rules(instance.exports, cp949);
  }

  constructor(exports, cp949) {
    this.#module = exports;
    this.#cp949 = cp949;
  }

  // The caption before the first change, which names the text area too.
  initialTitle() {
    return this.#text('quillet_initial_title');
  }

  // The labels of the buttons that open and save a msg.dat.
  openButton() {
    return this.#text('quillet_open_button');
  }

  saveButton() {
    return this.#text('quillet_save_button');
  }

  // What the page says when the browser refused to copy the message, and the label of its button.
  copyRefused() {
    return this.#text('quillet_copy_refused');
  }

  copyButton() {
    return this.#text('quillet_copy_button');
  }

  // The report of a file named `name` that could not be read.
  fileError(name) {
    this.#put(name);
    return this.#text('quillet_file_error');
  }

  // Whether the rules take `text` as it is: the code page holds each of its characters.
  takesWhole(text) {
    this.#put(text);
    return this.#whole;
  }

  // The caption for the text area's `text`.
  status(text) {
    this.#put(text);
    return this.#text('quillet_status');
  }

  // What to mark in `text`, in its UTF-16 code units: the first past the limit (`past`, -1 when it all
  // fits), and the first and last (exclusive) of each run of characters at risk, in order (`runs`,
  // two numbers a run); and the `note` that names those characters, or "".
  marks(text) {
    this.#put(text);
    const named = this.#run('quillet_marks');
    const note = named.length ? this.#cp949.fromCp949(named) : '';
    const at = this.#module.quillet_marks_at() >> 2;
    const found = new Int32Array(this.#module.memory.buffer);
    const pairs = this.#pairs;
    const unit = (index) => index + pairs.filter((pair) => pair < index).length;
    const runs = found.slice(at + 2, at + 2 + 2 * found[at + 1]);
    if (pairs.length) runs.forEach((index, i) => (runs[i] = unit(index)));
    return { past: found[at] < 0 ? -1 : unit(found[at]), runs, note };
  }

  // The bytes of msg.dat for `text`.
  save(text) {
    this.#put(text);
    return this.#run('quillet_save').slice();
  }

  // The text area's text for `stored`, the bytes of a msg.dat. Its bytes are counted as they are, unless
  // some start no character of the code page: those become "?".
  load(stored) {
    this.#held = null;
    this.#room(stored.length).set(stored);
    const message = this.#run('quillet_load').slice();
    const text = this.#cp949.fromCp949(message);
    if (text.includes('\ufffd')) return this.#cp949.keptToCp949(text);
    this.#room(message.length).set(message);
    [this.#held, this.#whole, this.#pairs] = [text, true, []];
    return text;
  }

  // Makes `text` the rules' input, unless it is already.
  #put(text) {
    if (text === this.#held) return;
    const { length, whole, pairs } = this.#cp949.toCp949(text, this.#room(text.length * 2));
    this.#module.quillet_input(length);
    [this.#held, this.#whole, this.#pairs] = [text, whole, pairs];
  }

  // The module's input, `length` bytes to write.
  #room(length) {
    const at = this.#module.quillet_input(length); // first: it may grow the memory, detaching older views
    return new Uint8Array(this.#module.memory.buffer, at, length);
  }

  // Runs a rule on the input; the bytes it made, a view into the module's memory that the next call reuses.
  #run(rule) {
    const length = this.#module[rule]();
    return new Uint8Array(this.#module.memory.buffer, this.#module.quillet_result(), length);
  }

  #text(rule) {
    return this.#cp949.fromCp949(this.#run(rule));
  }
}
