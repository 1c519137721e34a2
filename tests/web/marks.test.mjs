// How the page's mirror holds and draws the text (web/marks.mjs): the pieces a change keeps and makes
// again, and the parts a piece is drawn in.
import assert from 'node:assert/strict';
import test from 'node:test';

import { parts, respan } from '../../web/marks.mjs';

test('a change makes again only the pieces it touched, each of whole lines', () => {
  const lines = 'aaaa\nbbbb\ncccc\n';
  // Each piece of 4 units at least the mirror holds for `after`, "=" when kept from `before`'s, "+" when made.
  for (const [before, after, expected] of [
    ['', lines, '+aaaa\n|+bbbb\n|+cccc\n'],
    [lines, lines + 'd', '=aaaa\n|=bbbb\n|=cccc\n|+d'],
    [lines, 'Xaaaa\nbbbb\ncccc\n', '+Xaaaa\n|=bbbb\n|=cccc\n'],
    [lines, 'aaaabbXbb\ncccc\n', '+aaaabbXbb\n|=cccc\n'],
    [lines, 'aa\naa\nbbbb\ncccc\n', '+aa\naa\n|=bbbb\n|=cccc\n'],
    ['aaaa\nbb', 'aaaa\nbbb', '=aaaa\n|+bbb'], // a last line grown is no piece of its own
  ]) {
    const held = respan([], '', before, 4);
    const pieces = respan([...held], before, after, 4).map(({ start, length }, i, all) =>
      (held.includes(all[i]) ? '=' : '+') + after.slice(start, start + length));
    assert.equal(pieces.join('|'), expected, JSON.stringify([before, after]));
  }
});

test('a piece is drawn tinted from where the limit falls, each run at risk in it underlined', () => {
  // Each part of a piece of units 10 to 20 as [first, last, risky], tinted from `from` on. The runs:
  // before the piece, across its start, across the tint, across its end, and after it.
  const runs = Int32Array.from([1, 2, 4, 10, 8, 12, 14, 17, 19, 25, 30, 31]);
  assert.deepEqual(parts(10, 10, 5, runs), [[0, 2, true], [2, 4, false], [4, 5, true], [5, 7, true], [7, 9, false], [9, 10, true]]);
  assert.deepEqual(parts(10, 10, 0, runs.subarray(8)), [[0, 9, false], [9, 10, true]]);
});
