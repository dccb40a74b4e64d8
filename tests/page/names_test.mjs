// How names are shown, so that no name passes for another, and how the page
// reads and writes its place: paths never climb above where they start.
// Usage: node --test tests/page/names_test.mjs
import assert from 'node:assert/strict';
import test from 'node:test';
import { utf8 } from '../../www/bytes.js';
import { folderNames, normalPath, shownName } from '../../www/names.js';
import { addressOf, placeOf } from '../../www/place.js';

const text = (bytes) => Buffer.from(bytes).toString('latin1');

test('every character that cannot be seen is marked, and a name of only those is labelled', () => {
  const blank = (count, shown) => `a name of ${count} blank character${count === 1 ? '' : 's'}: ${shown}`;
  const cases = [
    ['Photos', 'Photos', ''],
    ['Photos 2026', 'Photos 2026', ''],            // a space inside a name is seen
    ['Photo\u00a0s', 'Photo\u00a0s', ''],
    ['Photos\u034f', 'Photos\u27e8U+034F\u27e9', ''], // default-ignorable marks
    ['Photos\u180e', 'Photos\u27e8U+180E\u27e9', ''],
    ['Pho\u2061tos', 'Pho\u27e8U+2061\u27e9tos', ''],
    ['Photos\u206a', 'Photos\u27e8U+206A\u27e9', ''],
    ['Photos\ufe0f', 'Photos\u27e8U+FE0F\u27e9', ''],
    ['Photos\u{e0041}', 'Photos\u27e8U+E0041\u27e9', ''],
    ['Photos\u{1d173}', 'Photos\u27e8U+1D173\u27e9', ''],
    ['Photos\u3164', 'Photos\u27e8U+3164\u27e9', ''],
    ['invoice\u202efdp.exe', 'invoice\u27e8RLO\u27e9fdp.exe', ''], // short names where they exist
    ['a\u200bb\ufeff', 'a\u27e8ZWSP\u27e9b\u27e8BOM\u27e9', ''],
    ['a\ufff9b', 'a\u27e8U+FFF9\u27e9b', ''],    // a format character that is not ignorable
    ['a\u0001b\u007f\u0085', 'a\u27e8U+0001\u27e9b\u27e8U+007F\u27e9\u27e8U+0085\u27e9', ''], // controls
    ['Photos ', 'Photos\u2423', ''],               // spaces at either end
    [' Photos', '\u2423Photos', ''],
    ['Photos\t', 'Photos\u21e5', ''],
    ['Photos\u00a0', 'Photos\u27e8NBSP\u27e9', ''],
    ['Photos\u2003 \u3164', 'Photos\u27e8U+2003\u27e9\u2423\u27e8U+3164\u27e9', ''],
    ['Photos\nMusic', 'Photos\u21b5Music', ''],    // line breaks never break the row
    ['a\r\nb\u2028c\u2029', 'a\u21b5\u21b5b\u27e8U+2028\u27e9c\u27e8U+2029\u27e9', ''],
    ['a\tb', 'a\u21e5b', ''],
    ['', '\u2205', 'a name with no characters'],
    ['  ', '\u2423\u2423', blank(2, '\u2423\u2423')],
    ['\u3164', '\u27e8U+3164\u27e9', blank(1, '\u27e8U+3164\u27e9')],
    ['\u00ad\u00ad', '\u27e8SHY\u27e9\u27e8SHY\u27e9', blank(2, '\u27e8SHY\u27e9\u27e8SHY\u27e9')],
    [' \u200b\t', '\u2423\u27e8ZWSP\u27e9\u21e5', blank(3, '\u2423\u27e8ZWSP\u27e9\u21e5')],
  ];
  for (const [name, shown, label] of cases) {
    assert.deepEqual(shownName(name), { text: shown, label }, JSON.stringify(name));
  }
});

test('a path is folded, and never climbs above where it starts', () => {
  const cases = [
    ['/tmp/mnt', '/tmp/mnt', ['tmp', 'mnt']],
    ['//tmp///mnt//', '/tmp/mnt', ['tmp', 'mnt']],
    ['/tmp/./mnt/.', '/tmp/mnt', ['tmp', 'mnt']],
    ['/tmp/mnt/../usb', '/tmp/usb', ['tmp', 'usb']],
    ['../../x/..', '/', []],
    ['a/../../b', '/b', ['b']],
    ['...', '/...', ['...']],        // three dots are a name
    ['..x/.y', '/..x/.y', ['..x', '.y']],
    ['', '/', []],
  ];
  for (const [path, normal, names] of cases) {
    assert.equal(text(normalPath(utf8(path))), normal, `normalPath(${path})`);
    assert.deepEqual(folderNames(utf8(path)).map(text), names, `folderNames(${path})`);
  }
});

test('the page writes its place as a query alone, and reads back the same place', () => {
  const cases = [
    ['', '?'],
    ['?root=/tmp/mnt/sda1', '?root=/tmp/mnt/sda1'],
    ['?root=%2Ftmp%2Fmnt%2F%2Fsda1%2F&path=Music/../Music//Albums/.', '?root=/tmp/mnt/sda1&path=Music/Albums'],
    ['?mnt=/tmp/mnt&path=../..', '?'],
    ['?mnt=/media&root=/media/usb&base=/media/usb/x&path=%E9t%E9%201999',
     '?mnt=/media&root=/media/usb&base=/media/usb/x&path=%E9t%E9%201999'],
    ['?path=//evil.example/..%2F..%2Fa', '?path=a'],
  ];
  for (const [search, address] of cases) {
    const written = addressOf(placeOf(search));
    assert.equal(written, address, search);
    assert.equal(addressOf(placeOf(written)), written, `${search} read back`);
  }
});
