// The page's row-list reader: rows that arrive in any pieces, escapes turned
// back into bytes, and names that are not UTF-8 kept as bytes.
// Usage: node --test tests/page/rows_test.mjs
import assert from 'node:assert/strict';
import test from 'node:test';
import { decodeValue } from '../../www/bytes.js';
import { RowListReader } from '../../www/rows.js';

const bytes = (text) => new Uint8Array(Buffer.from(text, 'latin1'));
const hex = (rows) => rows.map((row) => row.map((value) => Buffer.from(value).toString('hex')));
// Reads body cut into pieces at the given offsets.
function read(body, cuts = []) {
  const reader = new RowListReader();
  const rows = [];
  let from = 0;
  for (const cut of [...cuts, body.length]) {
    rows.push(...reader.push(body.subarray(from, cut)));
    from = cut;
  }
  reader.finish();
  return rows;
}

test('rows read the same however the body is cut into pieces', () => {
  // A status row with a line end after it, a name in three-byte UTF-8, an
  // escaped quote, backslash and \u escapes: every cut of the body.
  const body = bytes('["WebDAV","","Sync","a \\"b\\" \\\\ \\u003cc\\u003e"]\n,["\xe6\x97\xa5\\n"],[]');
  const whole = read(body);
  assert.deepEqual(hex(whole), [
    [Buffer.from('WebDAV').toString('hex'), '', Buffer.from('Sync').toString('hex'),
     Buffer.from('a "b" \\ <c>').toString('hex')],
    ['e697a50a'],
    [],
  ]);
  for (let cut = 1; cut < body.length; cut++) {
    assert.deepEqual(hex(read(body, [cut])), hex(whole), `cut at ${cut}`);
  }
  assert.deepEqual(hex(read(body, [...body.keys()].slice(1))), hex(whole), 'a byte at a time');
});

test('escapes become the bytes they stand for', () => {
  const cases = [
    ['\\u0001\\u001f\\u007f', '011f7f'],
    ['\\t\\r\\n\\/\\b\\f', '090d0a2f080c'],
    ['\\u2028\\u2029', 'e280a8e280a9'],
    ['\\u00e9', 'c3a9'],                      // a character, not the byte e9
    ['\\ud83d\\ude00', 'f09f9880'],           // a surrogate pair is one character
    ['\\ud83dx', 'efbfbd78'],                 // a lone surrogate is U+FFFD
    ['bad\xff\xfebytes', '626164fffe6279746573'], // raw bytes stay
  ];
  for (const [escaped, expected] of cases) {
    assert.deepEqual(hex(read(bytes(`["${escaped}"]`))), [[expected]], escaped);
  }
});

test('a value that is not UTF-8 keeps its bytes; its text shows U+FFFD', () => {
  const [[name]] = read(bytes('["bad\xff\xfebytes"]'));
  const value = decodeValue(name);
  assert.equal(value.valid, false);
  assert.equal(value.text, 'bad\ufffd\ufffdbytes');
  assert.deepEqual([...value.bytes], [...bytes('bad\xff\xfebytes')]);
  const split = decodeValue(read(bytes('["\xe6\x97\xa5"]'), [3])[0][0]);
  assert.deepEqual([split.valid, split.text], [true, '\u65e5'], 'a character split across pieces');
});

test('what is not a row list is refused', () => {
  for (const body of ['["a"', '["a",', '["a\\', '["\\u12', 'x', '["a"]x', '[a]', '["a" "b"]',
                      '["\\q"]', '["\\u12g4"]']) {
    assert.throws(() => read(bytes(body)), /row/, body);
  }
  assert.deepEqual(read(bytes('')), [], 'an empty body is an empty list');
});
