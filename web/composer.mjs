// Quillet in the browser: the composer, the page's text area counted, marked, copied and kept as a draft
// at every change, opened from a msg.dat and saved as one. The rules decide (web/rules.mjs); this only
// carries text between them and the text area, the clipboard and the browser's storage.
import { Cp949 } from './cp949.mjs';
import { Marks } from './marks.mjs';
import { Questions } from './questions.mjs';
import { Rules } from './rules.mjs';

// The module, inlined by the build: a page opened from disk may not fetch anything.
const RULES = '@RULES_WASM_BASE64@';
// The draft, kept as the bytes its msg.dat would hold, one character for each byte.
const DRAFT = 'quillet.msg.dat';
const unitsAsText = new TextDecoder('utf-16le');

// Compiled in the background while the page gets ready.
const compiled = WebAssembly.compile(
  Uint8Array.fromBase64?.(RULES) ?? Uint8Array.from(atob(RULES), (c) => c.charCodeAt(0)),
);

class Composer {
  #editor = document.getElementById('message');
  #caption = document.getElementById('caption');
  #spoken = document.getElementById('spoken');
  #cp949 = new Cp949(new TextDecoder('euc-kr'));
  #marks = new Marks(this.#editor, document.getElementById('marks'), document.getElementById('note'));
  #rules = null; // once the module is ready
  #questions = null; // with the rules' texts
  #ready;
  #typedEarly = false; // typed into before the rules were there
  #draft = null; // as stored
  #keeping = 0; // the task that copies and keeps the text
  #copies = 0; // the latest copy's ticket
  #spokenOver = false;
  #speaking = 0;

  constructor() {
    const editor = this.#editor;
    editor.addEventListener('input', (event) => this.#changed(event.isComposing));
    editor.addEventListener('compositionend', () => this.#changed(false));
    const picker = document.getElementById('open');
    picker.addEventListener('change', () => {
      if (picker.files.length) this.#open(picker.files[0]);
      picker.value = '';
    });
    document.getElementById('save').addEventListener('click', () => this.#save());
    document.addEventListener('keydown', (event) => {
      if ((event.ctrlKey || event.metaKey) && event.key === 's') {
        event.preventDefault();
        this.#save();
      }
    });
    this.#takeDrops();
    // Leaving, whatever is not kept yet is kept at once.
    const leave = () => (this.#keeping ? this.#keep() : this.#store());
    window.addEventListener('pagehide', leave);
    document.addEventListener('visibilitychange', () => document.visibilityState === 'hidden' && leave());
    try {
      this.#draft = localStorage.getItem(DRAFT);
    } catch {
      // No storage here: every visit starts empty.
    }
    editor.focus();
    this.#ready = compiled.then((module) => Rules.start(module, this.#cp949)).then((rules) => this.#start(rules));
  }

  // The rules are there: the page's texts from them, then the text typed meanwhile or the draft.
  #start(rules) {
    this.#rules = rules;
    this.#questions = new Questions(rules, document.getElementById('refusal'), document.getElementById('copy'), () => {
      this.#copy(this.#editor.value);
      this.#editor.focus();
    });
    this.#editor.ariaLabel = rules.initialTitle();
    // Shown once they work, with their labels, in the frame that shows the count.
    document.getElementById('opening').textContent = rules.openButton();
    document.getElementById('save').textContent = rules.saveButton();
    document.querySelector('.actions').hidden = false;
    if (this.#typedEarly) this.#changed(true); // kept as typed: that text wins
    else if (this.#draft !== null) this.#show(draftBytes(this.#draft));
    else this.#setCaption(rules.initialTitle());
    // Ready for the first key before it comes.
    setTimeout(() => this.#cp949.prepare());
  }

  // A change of the text area: kept to the code page, unless a syllable is still being composed (it
  // counts as it stands, and is checked once composed), and counted. The text is read once.
  #changed(composing) {
    let text = this.#editor.value;
    if (!this.#rules) {
      if (!composing) this.#keptToCodePage(text);
      this.#typedEarly = true;
      return;
    }
    if (!composing && !this.#rules.takesWhole(text)) text = this.#keptToCodePage(text);
    this.#count(text);
  }

  // The text area's text for `text`, which it held, each character the code page lacks as "?".
  #keptToCodePage(text) {
    const shown = this.#cp949.keptToCp949(text);
    if (shown === text) return text;
    const caret = this.#cp949.keptToCp949(text.slice(0, this.#editor.selectionEnd)).length;
    this.#editor.value = shown;
    this.#editor.setSelectionRange(caret, caret);
    return shown;
  }

  // Counts and marks `text`, the text area's, then copies and keeps it in a task of its own after the
  // caption's: the caption reaches the screen first, and changes that come faster are copied and kept
  // once, as they then stand.
  #count(text) {
    this.#setCaption(this.#rules.status(text));
    const found = this.#rules.marks(text);
    this.#marks.show(text, found);
    this.#speak(found.past >= 0);
    this.#keeping ||= setTimeout(() => this.#keep());
  }

  #setCaption(text) {
    document.title = this.#caption.textContent = text;
  }

  // The count for screen readers, in a polite live region: when typing pauses, and at once when the
  // message goes over the limit or back under it; never at every key.
  #speak(over) {
    clearTimeout(this.#speaking);
    const say = () => (this.#spoken.textContent = this.#caption.textContent);
    if (over === this.#spokenOver) {
      this.#speaking = setTimeout(say, 1000);
    } else {
      this.#spokenOver = over;
      say();
    }
  }

  // Copies and keeps the text area's text. Its value has LF line breaks only: it is already the message
  // as the rules normalise it.
  #keep() {
    clearTimeout(this.#keeping);
    this.#keeping = 0;
    const text = this.#editor.value; // read once: a megabyte's value is built afresh at each read
    this.#copy(text);
    this.#draft = unitsAsText.decode(new Uint16Array(this.#rules.save(text))); // one character for each byte
    this.#store();
  }

  #store() {
    if (this.#draft === null) return;
    try {
      localStorage.setItem(DRAFT, this.#draft);
    } catch {
      // Storage off or full: the page still counts and copies.
    }
  }

  // Copies `text`; only the latest copy's outcome is said.
  #copy(text) {
    const ticket = ++this.#copies;
    const copied = (refused) => ticket === this.#copies && this.#questions.copied(refused);
    const writing = navigator.clipboard?.writeText(text) ?? Promise.reject();
    writing.then(() => copied(false), () => copied(true));
  }

  // Shows the message of a msg.dat's bytes all selected, so that the first key replaces it, as the
  // programs do at start.
  #show(stored) {
    const text = this.#rules.load(stored);
    this.#editor.value = text;
    this.#editor.focus();
    this.#editor.select();
    this.#count(text);
  }

  async #open(file) {
    let stored;
    try {
      stored = new Uint8Array(await file.arrayBuffer());
    } catch {
      await this.#ready;
      this.#questions.cannotRead(file.name); // the text left as it is
      return;
    }
    await this.#ready;
    this.#show(stored);
  }

  // Saves the text as msg.dat where the browser puts downloads.
  async #save() {
    await this.#ready;
    const saved = new Blob([this.#rules.save(this.#editor.value)], { type: 'application/octet-stream' });
    const link = document.createElement('a');
    link.download = 'msg.dat';
    link.href = URL.createObjectURL(saved);
    link.click();
    // Revoked later: the download may still be reading it.
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // A file dropped anywhere on the page is opened; text dropped into the text area goes in as usual.
  #takeDrops() {
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
      if (event.dataTransfer.files.length) this.#open(event.dataTransfer.files[0]);
    });
  }
}

// The bytes of a draft as stored, one character for each.
function draftBytes(text) {
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  return bytes;
}

new Composer();

// Served (not opened from disk), the page is also an app that works offline.
if (location.protocol !== 'file:') {
  const manifest = document.createElement('link');
  manifest.rel = 'manifest';
  manifest.href = 'manifest.webmanifest';
  document.head.append(manifest);
  navigator.serviceWorker?.register('sw.js');
}
