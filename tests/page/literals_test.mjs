// The check that finds English text outside the catalogue: what it takes for
// text and what for code, in modules and in markup.
// Usage: node --test tests/page/literals_test.mjs
import assert from 'node:assert/strict';
import test from 'node:test';
import { isEnglishText, markupTexts, moduleStrings } from './page_literals.mjs';

const statusWords = new Set(['Sync', 'Error', 'Stop']);
const englishIn = (source) => moduleStrings(source).map(({ text }) => text)
  .filter((text) => isEnglishText(text, statusWords));

test('English text in a module is found, code is not', () => {
  const cases = [
    ["element.textContent = 'No disk';", ['No disk']],
    ['heading.textContent = `Folders in ${name}`;', ['Folders in ']],
    ["button.title = 'Disk'; other.title = \"Up.\";", ['Disk', 'Up.']],
    ['note = `${count} ${count === 1 ? `folder` : `folders`} so far`;', [' so far']],
    ["t = `${a ? 'No status' : ''}`;", ['No status']],
    ["const message = 'The device does not answer.' + ' Trying again.';",
     ['The device does not answer.', ' Trying again.']],
    // code: selectors, events, attributes, URLs, keys, classes
    ["list.querySelector('#folder-list button'); list.addEventListener('click', f);", []],
    ["el.setAttribute('aria-label', x); el.className = 'status-word status-' + word;", []],
    ["fetch('/cgi-bin/mount_folders?action_mode=' + path, { cache: 'no-store' });", []],
    ["text('explain.' + word); text('folderCount', { count });", []],
    // data: status words and the short names of marked characters
    ["const attention = new Set(['Stop', 'Error', '']);", []],
    ["const marks = { '\\u200b': 'ZWSP', '\\u202e': 'RLO', '\\ufeff': 'BOM' };", []],
    // for whoever debugs, never shown
    ["throw new Error('not a row list: a value must be quoted');", []],
    ["reject(new DOMException('The listing is no longer wanted.', 'AbortError'));", []],
    ["console.error('could not start the worker', error);", []],
    // what is not a string: comments, regular expressions, division
    ["// 'Read again' in a comment\n/* and 'Show all' */ x = 1;", []],
    ["const quote = /it's a '[\"']quote/g; s = 'Read again';", ['Read again']],
    ["a = b / c; d = 'Up'; e = (f) / 2 / 'Gone';", ['Up', 'Gone']],
    ["if (/^\\s*$/.test(text)) return 'Nothing here';", ['Nothing here']],
    ["return /x/.test(s) ? 'Empty name' : '';", ['Empty name']],
  ];
  for (const [source, expected] of cases) assert.deepEqual(englishIn(source), expected, source);
});

test('the lines of what is found', () => {
  assert.deepEqual(moduleStrings("a = 1;\nb = 'one';\n\nc = `two\nlines`;"),
                   [{ text: 'one', line: 2 }, { text: 'two\nlines', line: 4 }]);
});

test('English text in the markup is found, keys and entities are not', () => {
  const cases = [
    ['<button id="up" type="button">&#x2191; <span data-t="up"></span></button>', []],
    ['<button id="up">&#x2191; Up</button>', ['↑ Up']],
    ['<input placeholder="Filter by name" data-t-aria-label="filterLabel">', ['Filter by name']],
    ["<nav aria-label='Folder path'><ol></ol></nav>", ['Folder path']],
    ['<img alt=Folder src="x.png"><td title="A cell">', ['Folder', 'A cell']],
    ['<title data-t="pageTitle"></title><title>Disks</title>', ['Disks']],
    ['<!-- a comment --><script>let a = "x y";</script><style>p::before { content: "Note" }</style>', []],
    ['<meta name="viewport" content="width=device-width, initial-scale=1">', []],
  ];
  for (const [html, expected] of cases) {
    assert.deepEqual(markupTexts(html).map(({ text }) => text), expected, html);
  }
});
