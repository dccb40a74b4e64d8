// The page in each of its languages, opened by a browser whose locale is
// that language: <html lang>, no text of the English catalogue left (the
// device's data aside), hidden until its texts are in, axe at 390 px, and
// nothing wider than the screen at 320 px, the sync summary at the top.
// Then the lang parameter, and a catalogue the server does not give.
import AxeBuilder from '@axe-core/playwright';
import assert from 'node:assert/strict';
import path from 'node:path';
import { languages } from '../../www/i18n.js';

const catalogue = async (code) => (await import(`../../www/lang/${code}.js`)).default;
const forms = (entry) => (typeof entry === 'string' ? [entry] : Object.values(entry));
// A locale for each language, with a region, as a browser has it.
const locales = { en: 'en-US', de: 'de-DE', es: 'es-ES', fr: 'fr-FR', ru: 'ru-RU', 'zh-Hans': 'zh-CN' };

// The pieces of the English texts between their placeholders that another
// language must not show, as patterns: those of two letters or more that
// are not in that language's texts too ("Status" is German as well; that no
// text of a catalogue is left in English, the Node test sees).
async function englishLeft(code) {
  const english = await catalogue('en');
  const own = Object.values(await catalogue(code)).flatMap(forms).join('\n');
  const pieces = Object.values(english).flatMap(forms).flatMap((form) => form.split(/\{\w+\}/))
    .map((piece) => piece.trim().replace(/^[\p{P}\s]+|[\p{P}\s]+$/gu, ''))
    .filter((piece) => /\p{L}{2}/u.test(piece) && !own.includes(piece));
  const word = (piece) => new RegExp(`(?<!\\p{L})${piece.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')}(?!\\p{L})`, 'u');
  return [...new Set(pieces)].map((piece) => [piece, word(piece)]);
}

// What the page says in its own words: its texts, its labels and titles,
// without the device's data (names, status words, messages, fields).
function pageWords() {
  const names = ['aria-label', 'placeholder', 'title', 'data-label'];
  const attributes = [...document.querySelectorAll(names.map((name) => `[${name}]`).join(', '))]
    .flatMap((element) => names.map((name) => element.getAttribute(name)));
  const copy = document.body.cloneNode(true);
  const data = 'bdi, #crumbs, #disk, .status-word, #status-table td:not(:nth-child(2)), #config-table td';
  for (const each of copy.querySelectorAll(data)) each.remove();
  return [document.title, copy.textContent, ...attributes].filter(Boolean).join('\n');
}

async function openIn(browser, options, url, settled) {
  const context = await browser.newContext({ ...options, viewport: { width: 390, height: 844 } });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  // What the page itself says in the console (a resource refused is the browser's).
  page.on('console', (message) => {
    if (!message.text().startsWith('Failed to load resource')) errors.push(`console: ${message.text()}`);
  });
  return { context, page, errors, ready: async () => {
    await page.goto(url);
    await page.evaluate(() => window.pageReady);
    await settled(page);
  } };
}

// pageWith(query) is the page at query; settled(page) waits for the folder
// list; screenshots is where the Russian and Chinese ones go (phone-ru.png,
// phone-zh.png); oddNames the query of a folder of awkward names.
export async function checkLanguages(browser, { pageUrl, pageWith, settled, httpCredentials, screenshots,
                                                oddNames }) {
  const summaries = []; // where the summary ends at 320 px, in each language
  const open = (locale, url) => openIn(browser, { locale, httpCredentials }, url, settled);
  for (const code of languages) {
    const texts = await catalogue(code);
    const { context, page, errors, ready } = await open(locales[code] ?? code, pageUrl);
    const where = `${code} (${locales[code] ?? code})`;
    if (code !== 'en') {
      // While its catalogue is on its way, the page shows nothing.
      let release;
      const held = new Promise((resolve) => { release = resolve; });
      await page.route(`**/lang/${code}.js`, async (route) => {
        await held;
        await route.continue();
      });
      await page.goto(pageUrl, { waitUntil: 'domcontentloaded' });
      assert.deepEqual(await page.evaluate(() => [document.body.hidden, getComputedStyle(document.body).display]),
                       [true, 'none'], `${where}: hidden until its texts are in`);
      release();
      await page.evaluate(() => window.pageReady);
      await page.unroute(`**/lang/${code}.js`);
    }
    await ready();
    assert.equal(await page.evaluate(() => document.documentElement.lang), code, `${where}: <html lang>`);
    assert.equal(await page.textContent('h1'), texts.pageTitle, `${where}: its texts`);
    const left = await englishLeft(code);
    for (const query of ['', oddNames]) {
      if (query) {
        await page.goto(pageWith(query));
        await page.evaluate(() => window.pageReady);
        await settled(page);
      }
      const words = await page.evaluate(pageWords);
      const english = left.filter(([, pattern]) => pattern.test(words)).map(([piece]) => piece);
      assert.deepEqual(english, [], `${where}: English left on the page${query ? ' at ' + query : ''}`);
    }
    await ready();
    const { violations } = await new AxeBuilder({ page }).analyze();
    assert.deepEqual(violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`), [],
                     `${where}: axe at 390 px`);
    if (code === 'ru' || code === 'zh-Hans') {
      await page.screenshot({ path: path.join(screenshots, `phone-${code.split('-')[0]}.png`) });
    }
    await page.setViewportSize({ width: 320, height: 640 });
    const layout = await page.evaluate(() => {
      const width = document.documentElement.clientWidth;
      // Whatever is on screen lies within it; a wide table scrolls in its box.
      const outside = [...document.querySelectorAll('body *')].filter((element) => {
        if (element.closest('.table-box, .skip, .visually-hidden, thead')) return false;
        const box = element.getBoundingClientRect();
        const cut = element.scrollWidth > element.clientWidth + 1 && getComputedStyle(element).overflowX !== 'auto';
        return box.width > 0 && (box.left < 0 || box.right > width + 0.5 || cut);
      }).map((element) => element.id || element.tagName + ': ' + element.textContent.slice(0, 40));
      return { scroll: document.documentElement.scrollWidth - width, outside,
               summary: document.getElementById('summary').getBoundingClientRect().bottom };
    });
    assert.equal(layout.scroll, 0, `${where}: no sideways scroll at 320 px`);
    assert.deepEqual(layout.outside, [], `${where}: nothing wider than the screen at 320 px`);
    assert.ok(layout.summary < 100, `${where}: the sync summary at the top at 320 px (it ends at ${layout.summary})`);
    summaries.push(`${code} ${Math.round(layout.summary)} px`);
    assert.deepEqual(errors, [], `${where}: no errors`);
    await context.close();
  }

  // The address chooses the language and keeps it; a language the page
  // lacks is dropped from it; a catalogue the server does not give leaves
  // the page in English, without a word.
  const cases = [
    ['?lang=ru in a German browser', 'de-DE', '&lang=ru', 'ru', 'lang=ru'],
    ['?lang=zh-TW', 'en-US', '&lang=zh-TW', 'zh-Hans', 'lang=zh-Hans'],
    ['?lang=xx', 'fr-FR', '&lang=xx', 'fr', null],
    ['German not given by the server', 'de-DE', '', 'en', null, '**/lang/de.js'],
  ];
  for (const [what, locale, query, code, kept, blocked] of cases) {
    const { context, page, errors, ready } = await open(locale, pageUrl + query);
    if (blocked) await page.route(blocked, (route) => route.abort('connectionrefused'));
    await ready();
    assert.equal(await page.evaluate(() => document.documentElement.lang), code, `${what}: <html lang>`);
    assert.equal(await page.textContent('h1'), (await catalogue(code)).pageTitle, `${what}: the texts`);
    const address = () => new URLSearchParams(new URL(page.url()).search);
    const language = (parameters) => (parameters.has('lang') ? `lang=${parameters.get('lang')}` : null);
    assert.equal(language(address()), kept, `${what}: the address as opened`);
    await page.locator('#folder-list button', { hasText: /^Music$/ }).click();
    await settled(page);
    assert.equal(address().has('path'), true, `${what}: a folder opened`);
    assert.equal(language(address()), kept, `${what}: the address of a folder opened`);
    assert.deepEqual(errors, [], `${what}: nothing said`);
    await context.close();
  }
  console.log(`languages: ${languages.join(', ')}, each with its <html lang>, no English left, axe at 390 px ` +
              `and nothing wider than 320 px; the lang parameter; English when a catalogue fails`);
  console.log(`the sync summary ends at 320 px: ${summaries.join(', ')}`);
}
