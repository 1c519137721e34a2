// The page's edge between the text area's UTF-16 and the bytes the rules work in, code page 949, as the
// browser has it: its decoder (WHATWG euc-kr) is the code page, and the encoder is made from it.

const unitsAsText = new TextDecoder('utf-16le');

// The length in UTF-16 units of the character at `i` that the code page lacks: a surrogate pair is one.
function unitsAt(text, i) {
  const unit = text.charCodeAt(i);
  return unit >= 0xd800 && unit < 0xdc00 && (text.charCodeAt(i + 1) & 0xfc00) === 0xdc00 ? 2 : 1;
}

export class Cp949 {
  #decoder;
  // The UTF-16 code unit of each two-byte sequence, by (lead - 0x81) * 190 + trail - 0x41, or 0.
  #decoded = new Uint16Array(126 * 190);
  // The lead and trail byte of each UTF-16 code unit, or 0: made when first needed, for a short draft
  // is shown and counted without it (decoding every sequence takes some milliseconds).
  #encoded = null;

  // `decoder` decodes as the browser does: a TextDecoder('euc-kr').
  constructor(decoder) {
    this.#decoder = decoder;
  }

  // Makes the table now, if it is not made yet. Every two-byte sequence is decoded once, each followed
  // by a line feed, so that the text splits into one piece per sequence whatever the decoder makes of
  // those the code page lacks. Where two sequences decode to one character the first wins, as in the
  // standard's encoder.
  prepare() {
    if (this.#encoded) return;
    const sequences = new Uint8Array(126 * 190 * 3);
    let n = 0;
    for (let lead = 0x81; lead <= 0xfe; lead++) {
      for (let trail = 0x41; trail <= 0xfe; trail++) {
        sequences[n++] = lead;
        sequences[n++] = trail;
        sequences[n++] = 0x0a;
      }
    }
    const text = this.#decoder.decode(sequences);
    const encoded = new Uint16Array(0x10000);
    let at = 0;
    for (let lead = 0x81; lead <= 0xfe; lead++) {
      for (let trail = 0x41; trail <= 0xfe; trail++) {
        const end = text.indexOf('\n', at);
        const unit = text.charCodeAt(at);
        if (end === at + 1 && unit !== 0xfffd) {
          this.#decoded[(lead - 0x81) * 190 + trail - 0x41] = unit;
          encoded[unit] ||= (lead << 8) | trail;
        }
        at = end + 1;
      }
    }
    this.#encoded = encoded;
  }

  // Writes the code page 949 bytes of `text` into `bytes`, which has room for two a code unit: each
  // character the code page lacks (and a zero, which would end the message for the rules) as "?".
  // Returns their `length`, whether there was no such character (`whole`) and, in `pairs`, the index
  // among the bytes' characters of each "?" that stands for a surrogate pair, two code units of the
  // text (an emoji being composed, say).
  toCp949(text, bytes) {
    this.prepare();
    const codes = this.#encoded;
    const pairs = [];
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
        const units = unitsAt(text, i);
        if (units === 2) pairs.push(i - pairs.length);
        i += units;
        whole = false;
      }
    }
    return { length: n, whole, pairs };
  }

  // The text of code page 949 bytes as the browser's decoder makes it: a byte or a pair of bytes that
  // starts no character is U+FFFD, and an ASCII byte after a lead byte stands for itself. Short bytes
  // before the table is made go to the decoder; the rest through the table, in half the decoder's time
  // (20 to 40 ms for a megabyte of Hangul).
  fromCp949(bytes) {
    if (!this.#encoded && bytes.length < 0x10000) return this.#decoder.decode(bytes);
    this.prepare();
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
      const unit = isLead && trail >= 0x41 && trail < 0xff ? this.#decoded[(lead - 0x81) * 190 + trail - 0x41] : 0;
      units[n++] = unit || 0xfffd;
      if (unit || (isLead && trail >= 0x80)) i++;
    }
    return unitsAsText.decode(units.subarray(0, n));
  }

  // `text` with each character the code page lacks (and a zero) as "?", as toCp949() counts it: what the
  // text area may hold, so that what is shown is what is counted, copied and saved.
  keptToCp949(text) {
    this.prepare();
    const codes = this.#encoded;
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
        i += unitsAt(text, i);
      }
    }
    return out;
  }
}
