// The text area's text to and from the rules' bytes (web/cp949.mjs) and the rules as the page calls them
// (web/rules.mjs), on the module the web preset builds, whose path QUILLET_WASM gives.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import test from 'node:test';

import { Cp949 } from '../../web/cp949.mjs';
import { Rules } from '../../web/rules.mjs';

// The browser's euc-kr decoder as the WHATWG Encoding Standard has it, over the sequences of its index the
// tests use: Node's own lacks most of code page 949 (똠, for one), where every browser's has it whole.
const INDEX = { 0xb0a1: '가', 0x8c63: '똠', 0x94ee: '뷁' };
const euckr = {
  decode: (bytes) => Buffer.from(bytes).toString('latin1').replace(/[\x81-\xfe][\x41-\xff]?|[\x80\xff]/g, (read) =>
    INDEX[(read.charCodeAt(0) << 8) | read.charCodeAt(1)] ?? (read[1] < '\x80' ? `\ufffd${read[1]}` : '\ufffd')),
};
const rules = await Rules.start(await WebAssembly.compile(readFileSync(process.env.QUILLET_WASM)), new Cp949(euckr));

test('bytes decode as the browser decodes them, through the table made from its decoder', () => {
  for (const [bytes, text] of [
    [[0x61, 0xb0, 0xa1, 0x8c, 0x63, 0x0a], 'a가똠\n'],
    [[0x80, 0xff, 0x61], '\ufffd\ufffda'], // no lead bytes
    [[0xc7, 0x41, 0x81, 0x5b], '\ufffdA\ufffd['], // no character: the ASCII trail stands for itself
    [[0xb0, 0xff, 0x62, 0xb0, 0x0a], '\ufffdb\ufffd\n'], // 0xFF is no trail: taken with the lead
    [[0x61, 0xb0], 'a\ufffd'], // a lead byte at the end
  ]) {
    // Through the table, made for it, at the end of 64 KiB of zeros (as long as a large msg.dat).
    const long = Uint8Array.from([...Array(0x10000).fill(0), ...bytes]);
    assert.equal(new Cp949(euckr).fromCp949(long).slice(-1 - text.length), `\0${text}`, JSON.stringify(bytes));
  }
});

test('the marks fall on the text, a surrogate pair being two units of it and one "?" for the rules', () => {
  const rows = [
    [`😀똠${'x'.repeat(77)}똠`, 80, [2, 3, 80, 81]],
    [`${'x'.repeat(79)}😀😀a`, 81, []],
    ['x'.repeat(300000) + '뷁', 80, [300000, 300001]], // the module's memory grows
  ];
  // Each call on its own: the rows again in the other order, the pairs of one never another's.
  for (const [text, past, runs] of [...rows, ...rows.reverse()]) {
    const found = rules.marks(text);
    assert.deepEqual([found.past, [...found.runs]], [past, runs], text.slice(0, 8));
  }
});
