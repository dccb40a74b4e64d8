// The page's languages: every catalogue has the English one's keys and
// placeholders, plural forms come out right, and the language is chosen and
// loaded as the page does it, English when anything fails.
// Usage: node --test tests/page/i18n_test.mjs
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import test from 'node:test';
import { fileURLToPath, pathToFileURL } from 'node:url';
import * as i18n from '../../www/i18n.js';

const { languages, chooseLanguage, loadLanguage, text } = i18n;
const catalogue = async (code) => (await import(`../../www/lang/${code}.js`)).default;
const english = await catalogue('en');

// A copy of the page in a folder of the test's own without file (such as
// lang/de.js, a catalogue the server cannot give).
function pageWithout(file) {
  const www = fileURLToPath(new URL('../../www/', import.meta.url));
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'page-i18n-'));
  process.on('exit', () => fs.rmSync(folder, { recursive: true, force: true }));
  fs.cpSync(www, folder, { recursive: true, filter: (name) => path.relative(www, name) !== file });
  return folder;
}

const placeholders = (entry) => [...new Set([...(typeof entry === 'string' ? [entry] : Object.values(entry))]
  .flatMap((form) => [...form.matchAll(/\{(\w+)\}/g)].map((match) => match[1])))].sort();

test('every catalogue has the English keys, placeholders and its own plural categories', async () => {
  assert.deepEqual(languages.slice(0, 1), ['en']);
  for (const code of languages) {
    const table = await catalogue(code);
    assert.deepEqual(Object.keys(table).sort(), Object.keys(english).sort(), `${code}: keys`);
    const categories = new Intl.PluralRules(code).resolvedOptions().pluralCategories.sort();
    for (const [key, entry] of Object.entries(table)) {
      const where = `${code} ${key}`;
      assert.equal(typeof entry, typeof english[key], `${where}: a plural text in both or neither`);
      if (typeof entry === 'object') {
        assert.deepEqual(Object.keys(entry).sort(), categories, `${where}: plural categories`);
        for (const [category, form] of Object.entries(entry)) {
          assert.deepEqual(placeholders(form), placeholders(english[key]), `${where} ${category}: placeholders`);
        }
      }
      assert.deepEqual(placeholders(entry), placeholders(english[key]), `${where}: placeholders`);
      for (const form of typeof entry === 'string' ? [entry] : Object.values(entry)) {
        assert.match(form, /\S/, `${where}: a text`);
      }
    }
  }
});

test('no text of another language is left in English', async () => {
  // Words that are the same in the language: the only texts that may match.
  const same = [['de', 'columnStatus'], ['fr', 'columnMessage']];
  const forms = (entry) => (typeof entry === 'string' ? [entry] : Object.values(entry));
  const left = [];
  for (const code of languages.filter((each) => each !== 'en')) {
    const table = await catalogue(code);
    for (const [key, entry] of Object.entries(english)) {
      const words = forms(entry).filter((form) => /\p{L}/u.test(form.replace(/\{\w+\}/g, '')));
      if (forms(table[key]).some((form) => words.includes(form))) left.push([code, key]);
    }
  }
  assert.deepEqual(left, same);
});

test('counts take the plural form and the digits of each language', async () => {
  const counts = [0, 1, 2, 5, 11, 21, 22, 1234];
  const expected = {
    en: ['0 folders.', '1 folder.', '2 folders.', '5 folders.', '11 folders.', '21 folders.', '22 folders.',
         '1,234 folders.'],
    de: ['0 Ordner.', '1 Ordner.', '2 Ordner.', '5 Ordner.', '11 Ordner.', '21 Ordner.', '22 Ordner.',
         '1.234 Ordner.'],
    es: ['0 carpetas.', '1 carpeta.', '2 carpetas.', '5 carpetas.', '11 carpetas.', '21 carpetas.',
         '22 carpetas.', '1234 carpetas.'],
    fr: ['0 dossier.', '1 dossier.', '2 dossiers.', '5 dossiers.', '11 dossiers.', '21 dossiers.',
         '22 dossiers.', '1\u202f234 dossiers.'],
    ru: ['0 папок.', '1 папка.', '2 папки.', '5 папок.', '11 папок.', '21 папка.', '22 папки.',
         '1\u00a0234 папки.'],
    'zh-Hans': ['0 个文件夹。', '1 个文件夹。', '2 个文件夹。', '5 个文件夹。', '11 个文件夹。', '21 个文件夹。',
                '22 个文件夹。', '1,234 个文件夹。'],
  };
  assert.deepEqual(Object.keys(expected), languages);
  for (const code of languages) {
    assert.equal(await loadLanguage(code), code);
    assert.deepEqual(counts.map((count) => text('folderCount', { count })), expected[code], code);
  }
  // Russian's other plural texts, whose forms differ from folderCount's.
  const russian = [
    ['blankName', ['имя из 1 пустого символа: ␣', 'имя из 2 пустых символов: ␣', 'имя из 5 пустых символов: ␣',
                   'имя из 21 пустого символа: ␣']],
    ['summaryOthers', ['ещё 1 синхронизируется', 'ещё 2 синхронизируются', 'ещё 5 синхронизируются',
                       'ещё 21 синхронизируется']],
  ];
  await loadLanguage('ru');
  for (const [key, wanted] of russian) {
    assert.deepEqual([1, 2, 5, 21].map((count) => text(key, { count, shown: '␣' })), wanted, key);
  }
});

test('the language: the address, else the browser\'s first that the page has, else English', () => {
  const cases = [
    // asked in the address, the browser's languages, shown, kept in the address
    [null, ['de-AT', 'en'], 'de', null],
    [null, ['ja', 'fr-CA', 'de'], 'fr', null],
    [null, ['pt-BR', 'es-419'], 'es', null],
    [null, ['ru'], 'ru', null],
    [null, ['zh'], 'zh-Hans', null],
    [null, ['zh-CN'], 'zh-Hans', null],
    [null, ['zh-TW'], 'zh-Hans', null],
    [null, ['zh-Hant'], 'zh-Hans', null],
    [null, ['zh-Hant-HK', 'en'], 'zh-Hans', null],
    [null, ['ZH_hk'], 'zh-Hans', null],
    [null, ['ja', 'ko'], 'en', null],
    [null, [], 'en', null],
    [null, undefined, 'en', null],
    ['ru', ['de'], 'ru', 'ru'],
    ['en', ['de'], 'en', 'en'],
    ['zh-TW', ['en'], 'zh-Hans', 'zh-Hans'],
    ['FR', [], 'fr', 'fr'],
    ['xx', ['de'], 'de', null],
    ['', ['fr'], 'fr', null],
    ['german', ['es'], 'es', null],
  ];
  for (const [asked, preferred, code, kept] of cases) {
    assert.deepEqual(chooseLanguage(asked, preferred), { code, kept }, `${asked} ${JSON.stringify(preferred)}`);
  }
});

test('a catalogue that cannot be loaded gives English, silently', async () => {
  const withoutGerman = await import(pathToFileURL(path.join(pageWithout('lang/de.js'), 'i18n.js')));
  const said = [];
  const { error, warn, log } = console;
  console.error = console.warn = console.log = (...words) => said.push(words.join(' '));
  try {
    const cases = [
      ['the file is not there', () => withoutGerman.loadLanguage('de'), 'en', withoutGerman],
      ['the load fails', () => loadLanguage('fr', () => Promise.reject(new TypeError('fetch failed'))), 'en', i18n],
      ['the file holds no table', () => loadLanguage('fr', async () => ({ default: null })), 'en', i18n],
      ['the file loads', () => withoutGerman.loadLanguage('fr'), 'fr', withoutGerman],
    ];
    for (const [what, load, code, module] of cases) {
      assert.equal(await load(), code, what);
      assert.equal(module.languageShown(), code, what);
      assert.equal(module.text('foldersHeading'), (await catalogue(code)).foldersHeading, what);
    }
  } finally {
    Object.assign(console, { error, warn, log });
  }
  assert.deepEqual(said, []);
});
