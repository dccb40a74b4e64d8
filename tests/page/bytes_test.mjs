// Bytes in the page's addresses: names from a disk need not be UTF-8, and
// travel percent-encoded byte by byte.
// Usage: node --test tests/page/bytes_test.mjs
import assert from 'node:assert/strict';
import test from 'node:test';
import { hexValue, isUtf8, percentEncode, queryParameters, sameBytes } from '../../www/bytes.js';

const bytes = (text) => new Uint8Array(Buffer.from(text, 'latin1'));
const latin1 = (value) => Buffer.from(value).toString('latin1');

test('hexadecimal digits of either case, and nothing else', () => {
  const digits = [...'0123456789abcdefABCDEF'].map((c) => hexValue(c.charCodeAt(0)));
  assert.deepEqual(digits, [0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 10, 11, 12, 13, 14, 15]);
  for (const c of '/:@G`gz%') assert.equal(hexValue(c.charCodeAt(0)), -1, c);
  assert.equal(hexValue(NaN), -1, 'past the end of a text');
});

test('a value goes into a query and comes back as the same bytes', () => {
  const cases = [
    ['/tmp/mnt/sda1', '/tmp/mnt/sda1'],
    ['a b&c=d+e%f', 'a%20b%26c%3Dd%2Be%25f'],
    ['-._~/', '-._~/'],
    ['\xe9t\xe9 \xff\x00\x7f', '%E9t%E9%20%FF%00%7F'],
    ['\xc3\xa9', '%C3%A9'],
  ];
  for (const [value, encoded] of cases) {
    assert.equal(percentEncode(bytes(value)), encoded, JSON.stringify(value));
    assert.equal(latin1(queryParameters('?v=' + encoded).get('v')), value, `${encoded} read back`);
  }
});

test('a query is read as its bytes: +, %XX, and text as UTF-8', () => {
  const parameters = queryParameters('?a=first&b=%e9%2&c&=v&d=\u00e9&&a=x+y');
  const read = Object.fromEntries([...parameters].map(([name, value]) => [name, latin1(value)]));
  assert.deepEqual(read, { a: 'x y', b: '\xe9%2', c: '', '': 'v', d: '\xc3\xa9' });
});

test('bytes compare by every byte; UTF-8 is told from what is not', () => {
  const cases = [
    ['', '', true], ['abc', 'abc', true], ['abc', 'abd', false], ['abc', 'ab', false], ['ab', 'abc', false],
  ];
  for (const [a, b, same] of cases) assert.equal(sameBytes(bytes(a), bytes(b)), same, `${a} ${b}`);
  const texts = [['caf\xc3\xa9', true], ['caf\xe9', false], ['\xc0\xaf', false], ['\xed\xa0\x80', false],
                 ['', true]];
  for (const [value, valid] of texts) assert.equal(isUtf8(bytes(value)), valid, JSON.stringify(value));
});
