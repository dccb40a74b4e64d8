// Drives the page in Debian's Chromium and checks what a user sees.
// Usage: node browser_test.mjs PAGE_URL DISK_ROOT SCREENSHOT [PAGE_ROOT]
// PAGE_URL opens the page on the sample disk (?root=PAGE_ROOT); DISK_ROOT is
// that disk on this machine; PAGE_ROOT the path the page shows for it (the
// same unless the page is served from elsewhere, e.g. an emulated router).
// PAGE_CREDENTIALS=user:password answers a server that asks for a password.
// PAGE_CHECKS=wiring checks only what the server wires up: the page, its
// folders, status and configuration as the programs answer them, and the
// server's Content-Security-Policy; the navigation through the programs is
// checked where the demo serves the same build.
// PAGE_CHECKS=full adds the checks of the page itself, which need no more
// than one run per machine: the layout at three widths, the device not
// answering, axe-core in light and dark at two widths, and,
// where the page is served from this machine (LIVE_DISK=DIR, so the test can
// change the disk under it), a page that stays live: a log rewritten on
// DISK_ROOT shows without a reload and a change of status is announced, a
// hidden page reads nothing, two unnamed logs that do not change announce
// nothing, and the folder DIR (thousands of sub-folders) shows its first
// rows while the rest are still read, is sorted once read, and is filtered
// by name; LOOKALIKE_DISK=DIR, a disk of names that could pass for
// "Photos", each of which must look different from it on screen.
import AxeBuilder from '@axe-core/playwright';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';
import { checkLanguages } from './languages.mjs';

const [pageUrl, diskRoot, screenshot, pageRoot = diskRoot] = process.argv.slice(2);
const full = process.env.PAGE_CHECKS === 'full';
const wiring = process.env.PAGE_CHECKS === 'wiring';
const credentials = process.env.PAGE_CREDENTIALS;
const httpCredentials = credentials ? {
  username: credentials.slice(0, credentials.indexOf(':')),
  password: credentials.slice(credentials.indexOf(':') + 1),
} : undefined;

// What the folder list must show, read from the disk independently: the
// names as the page shows names that are not UTF-8 (U+FFFD for each stray
// byte, as Node reads them too).
const systemFolders = ['SYSTEM VOLUME INFORMATION', 'RECYCLER', 'RECYCLED', 'LOST+FOUND'];
function visibleFolders(folder) {
  return fs.readdirSync(folder).filter((name) => {
    if (name.startsWith('.') || systemFolders.includes(name.toUpperCase())) return false;
    try {
      return fs.statSync(path.join(folder, name)).isDirectory();
    } catch {
      return false;
    }
  });
}

const pageWith = (query) => new URL(new URL(pageUrl).pathname + query, pageUrl).href;
const encoded = (text) => encodeURIComponent(text).replace(/%2F/g, '/');

async function folderNames(page) {
  return page.$$eval('#folder-list button', (buttons) => buttons.map((button) => button.textContent));
}
const crumbs = (page) => page.$$eval('#crumbs li', (items) => items.map((item) => item.textContent));
// The list is read whole and built.
async function settled(page) {
  await page.waitForFunction(() => document.getElementById('folder-list').getAttribute('aria-busy') === 'false' &&
    !document.getElementById('folder-note').textContent.startsWith('Reading'));
}
function folderButton(page, name) {
  return page.locator('#folder-list button').filter({
    hasText: new RegExp('^' + name.replace(/[.*+?^${}()|[\]\\]/g, '\\$&') + '$') });
}

// A user's way through the folders: each step, then where the page must be.
async function checkNavigation(page) {
  const disk = path.basename(pageRoot);
  const top = visibleFolders(diskRoot).length;
  const open = (name) => async () => { await folderButton(page, name).click(); };
  const steps = [
    ['open Music', open('Music'), { crumbs: [disk, 'Music'], list: ['Albums', 'Podcasts'],
                                    focus: 'list-heading', path: 'Music' }],
    ['open Albums, which holds no folders', open('Albums'),
     { crumbs: [disk, 'Music', 'Albums'], list: [], note: 'This folder holds no folders.',
       path: 'Music/Albums' }],
    ['Back', () => page.goBack(), { crumbs: [disk, 'Music'], list: ['Albums', 'Podcasts'] }],
    ['Forward', () => page.goForward(), { crumbs: [disk, 'Music', 'Albums'], list: [] }],
    ['reload', () => page.reload(), { crumbs: [disk, 'Music', 'Albums'], list: [] }],
    ['the disk in the path', () => page.locator('#crumbs button').first().click(),
     { crumbs: [], count: top, up: 'disabled', path: null }],
    ['open Music with a filter typed: the filter goes',
     async () => { await page.fill('#filter', 'mus'); await open('Music')(); },
     { crumbs: [disk, 'Music'], list: ['Albums', 'Podcasts'], filter: '' }],
    ['Up', () => page.click('#up'), { crumbs: [], count: top }],
    ['a root written with a trailing / and a path that climbs: never above the disk',
     () => page.goto(pageWith(`?root=${encoded(pageRoot + '//')}&path=Music/../../..`)),
     { crumbs: [], count: top, up: 'disabled' }],
    ['a sorted folder', () => page.goto(pageWith(`?root=${encoded(pageRoot)}&path=Camera`)),
     { list: ['Édition', 'edits', 'IMG_2', 'img_3', 'IMG_10'] }],
    ['a folder that is not there', () => page.goto(pageWith(`?root=${encoded(pageRoot)}&path=Music/Gone`)),
     { list: [], note: /^This folder is not there \(any more\)/ }],
    ['a disk that is gone', () => page.goto(pageWith(`?root=${encoded(pageRoot + '-gone')}`)),
     { list: [], note: /^This disk is not there/ }],
    ['names that mislead', () => page.goto(pageWith(`?root=${encoded(pageRoot)}&path=Odd%20names`)),
     { list: ['\u2423\u2423', '<b>bold', 'invoice\u27e8RLO\u27e9fdp.exe', '\ufffdt\ufffd 1999'],
       labels: ['a name of 2 blank characters: \u2423\u2423'] }],
    ['open the name in Latin-1, which is not UTF-8: its own bytes go back', open('\ufffdt\ufffd 1999'),
     { crumbs: [disk, 'Odd names', '\ufffdt\ufffd 1999'], list: ['inside'],
       path: 'Odd%20names/%E9t%E9%201999' }],
  ];
  for (const [what, step, expected] of steps) {
    await step();
    await settled(page);
    const state = await page.evaluate(() => ({
      focus: document.activeElement?.id,
      filter: document.getElementById('filter').value,
      up: document.getElementById('up').disabled ? 'disabled' : 'enabled',
      note: document.getElementById('folder-note').textContent,
      labels: [...document.querySelectorAll('#folder-list button[aria-label]')].map((b) => b.ariaLabel),
      path: location.search.match(/[?&]path=([^&]*)/)?.[1] ?? null,
    }));
    const names = await folderNames(page);
    const check = (actual, wanted, name) => {
      if (wanted instanceof RegExp) assert.match(actual, wanted, `${what}: ${name}`);
      else assert.deepEqual(actual, wanted, `${what}: ${name}`);
    };
    if ('crumbs' in expected) check(await crumbs(page), expected.crumbs, 'crumbs');
    if ('list' in expected) check(names, expected.list, 'list');
    if ('count' in expected) check(names.length, expected.count, 'count');
    for (const key of ['focus', 'filter', 'up', 'note', 'labels', 'path']) {
      if (key in expected) check(state[key], expected[key], key);
    }
  }
  console.log(`navigation: ${steps.length} steps in disk ${disk}`);
}

// When the device stops answering: a plain sentence, no browser jargon, and
// the status rows kept but marked out of date with the time of the last read.
async function checkNoAnswer(page) {
  await page.goto(pageUrl);
  await page.evaluate(() => window.pageReady);
  await page.route('**/cgi-bin/**', (route) => route.abort('connectionrefused'));
  await page.click('#reload');
  await settled(page);
  assert.match(await page.textContent('#folder-note'), /^The device does not answer\./);
  await page.waitForFunction(() => document.getElementById('status-table').classList.contains('stale'),
                             null, { timeout: 8000 });
  assert.match(await page.textContent('#status-note'),
               /^The device does not answer\. Out of date: last read at \d\d:\d\d:\d\d\. Trying again\.$/);
  assert.match(await page.textContent('#summary-text'), /^Sync status out of date \(read at /);
  assert.ok((await page.$$('#status-table tbody tr')).length > 0, 'the last rows stay');
  const text = await page.textContent('body');
  assert.doesNotMatch(text, /fetch|TypeError|NetworkError|HTTP \d/, 'no browser jargon');
  await page.unroute('**/cgi-bin/**');
}

// At every width: no sideways scroll of the page (long names wrap, wide
// tables scroll in their panel), one column below 720 px, the sync summary
// at the top, and controls tall enough to tap.
async function checkLayout(page) {
  await page.goto(pageUrl);
  await page.evaluate(() => window.pageReady);
  await settled(page);
  const viewports = [
    { width: 320, height: 640, columns: 1 },
    { width: 390, height: 844, columns: 1 },
    { width: 1280, height: 800, columns: 2 },
  ];
  for (const { width, height, columns } of viewports) {
    await page.setViewportSize({ width, height });
    const layout = await page.evaluate(() => {
      const box = (id) => document.getElementById(id).getBoundingClientRect();
      const heights = [...document.querySelectorAll('#folder-list button, .toolbar button, #disk')]
        .map((button) => button.getBoundingClientRect().height);
      return {
        overflow: document.documentElement.scrollWidth - document.documentElement.clientWidth,
        folders: box('folders'), status: box('status'), config: box('config'), summary: box('summary'),
        shortest: Math.min(...heights),
      };
    });
    assert.equal(layout.overflow, 0, `no sideways scroll at ${width} px`);
    if (columns === 1) {
      assert.ok(layout.status.top >= layout.folders.bottom && layout.config.top >= layout.status.bottom,
                `the panels stack at ${width} px`);
    } else {
      assert.ok(layout.status.left >= layout.folders.right, `two columns at ${width} px`);
    }
    assert.ok(layout.summary.bottom < 100, `the sync summary at the top at ${width} px`);
    assert.ok(layout.shortest >= 43, `controls about 44 px high at ${width} px`);
    if (width === 390) {
      await page.screenshot({ path: screenshot.replace(/\.png$/, '-phone.png') });
      // Scrolled down the list, the summary stays in view.
      await page.evaluate(() => window.scrollTo(0, 600));
      assert.ok(await page.$eval('#summary', (s) => s.getBoundingClientRect().top >= 0), 'summary in view');
      await page.evaluate(() => window.scrollTo(0, 0));
    }
  }
  await page.setViewportSize({ width: 1280, height: 600 });
}

async function checkAccessibility(page) {
  const places = [['the sample disk', `?root=${encoded(pageRoot)}`],
                  ['odd names', `?root=${encoded(pageRoot)}&path=Odd%20names`]];
  const lookalikes = process.env.LOOKALIKE_DISK;
  if (lookalikes) places.push(['names like "Photos"', `?root=${encoded(lookalikes)}`]);
  for (const [where, query] of places) {
    for (const colorScheme of ['light', 'dark']) {
      for (const width of [390, 1280]) {
        await page.emulateMedia({ colorScheme });
        await page.setViewportSize({ width, height: 800 });
        await page.goto(pageWith(query));
        await page.evaluate(() => window.pageReady);
        await settled(page);
        const { violations } = await new AxeBuilder({ page }).analyze();
        assert.deepEqual(violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`), [],
                         `axe on ${where}, ${colorScheme}, ${width} px`);
      }
    }
  }
  await page.emulateMedia({ colorScheme: 'light' });
  console.log(`axe: 0 violations on ${places.map(([where]) => where).join(', ')}, light and dark, 390 and 1280 px`);
  // The folder list can be skipped; a disabled control looks so.
  await page.goto(pageUrl);
  await page.evaluate(() => window.pageReady);
  await page.focus('#filter');
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Skip the folder list');
  await page.keyboard.press('Enter');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'status-heading');
  assert.ok(await page.$eval('#up', (up) => Number(getComputedStyle(up).opacity)) < 0.6,
            'Up looks disabled at the top of the disk');
}

// Names that could pass for "Photos": each button must look different from
// the "Photos" button, a line end in a name must not make it two lines, a
// name of nothing to see is labelled, and a letter under a pile of
// combining marks paints nothing outside its own row.
async function checkLookalikes(page, disk) {
  await page.setViewportSize({ width: 390, height: 844 });
  await page.goto(pageWith(`?root=${encoded(disk)}`));
  await page.evaluate(() => window.pageReady);
  await settled(page);
  const names = await folderNames(page);
  assert.equal(names.length, fs.readdirSync(disk).length, 'every name is listed');
  const buttons = page.locator('#folder-list button');
  const photos = buttons.nth(names.indexOf('Photos'));
  const look = await photos.screenshot();
  assert.ok(look.equals(await photos.screenshot()), 'a button looks the same each time it is drawn');
  const height = (button) => button.evaluate((b) => b.getBoundingClientRect().height);
  const oneLine = await height(photos);
  for (const [i, name] of names.entries()) {
    if (name === 'Photos') continue;
    const button = buttons.nth(i);
    assert.ok(!look.equals(await button.screenshot()), `${JSON.stringify(name)} looks like "Photos"`);
    if (name.startsWith('Photos')) assert.equal(await height(button), oneLine, `${JSON.stringify(name)}: one line`);
  }
  const labels = await page.$$eval('#folder-list button[aria-label]', (all) => all.map((b) => b.ariaLabel));
  assert.deepEqual(labels.sort(), ['a name of 1 blank character: \u27e8SHY\u27e9',
                                   'a name of 1 blank character: \u27e8U+3164\u27e9'],
                   'the names of nothing to see are labelled');
  // Opened, such a name keeps its label in the path.
  await buttons.nth(names.indexOf('\u27e8SHY\u27e9')).click();
  await settled(page);
  assert.equal(await page.getAttribute('#crumbs [aria-current=location]', 'aria-label'),
               'a name of 1 blank character: \u27e8SHY\u27e9', 'the path labels a name of nothing to see');
  await page.goBack();
  await settled(page);
  // What shows above the row of marks, with and without it.
  const marks = buttons.nth(names.findIndex((name) => name.startsWith('a\u0301')));
  await marks.scrollIntoViewIfNeeded();
  const box = await marks.boundingBox();
  const above = { x: 0, y: Math.max(0, box.y - 150), width: 390, height: Math.min(150, box.y) };
  assert.ok(above.height > 40, 'there is room above the row of marks');
  const drawn = await page.screenshot({ clip: above });
  await marks.evaluate((b) => { b.style.visibility = 'hidden'; });
  assert.ok(drawn.equals(await page.screenshot({ clip: above })), 'the marks paint only their own row');
  await marks.evaluate((b) => { b.style.visibility = ''; });
  console.log(`lookalikes: ${names.length - 1} names, each drawn unlike "Photos"`);
}

// Opened at a path of '//' and '..%2F', as the add-on area's lighttpd also
// serves it, the page still lists the folders and moves between them, and
// puts no more than its query into the history. The page's files are served
// at that path from where the page is.
async function checkStrangePath(page) {
  const home = new URL('.', pageUrl);
  const query = new URLSearchParams(new URL(pageUrl).search);
  assert.ok(query.has('mnt'), 'the page is opened with a mount folder to choose the first disk from');
  query.delete('root');
  const strange = `${home.origin}//evil.example/..%2F..%2F/${home.pathname.slice(1)}`;
  const atStrangePath = (url) => url.pathname.startsWith('//');
  await page.route(atStrangePath, async (route) => {
    // What is asked for below the page's folder (a module, a catalogue in lang/).
    const file = route.request().url().slice(strange.length);
    await route.fulfill({ response: await route.fetch({ url: new URL(file, home).href }) });
  });
  await page.goto(`${strange}?${query}`);
  await page.evaluate(() => window.pageReady);
  await settled(page);
  assert.ok((await folderNames(page)).includes('Music'), 'the folders are listed');
  await folderButton(page, 'Music').click();
  await settled(page);
  assert.deepEqual(await folderNames(page), ['Albums', 'Podcasts']);
  const url = new URL(page.url());
  assert.equal(url.origin + url.pathname, strange, 'the path stays what it was');
  assert.match(url.search, /[?&]root=.*&path=Music$/);
  await page.unroute(atStrangePath);
}

// A page that stays live: the status is read again while the page is
// visible, and a huge folder comes in rows, not all at once.
async function checkLivePage(page, largeDisk) {
  await page.goto(pageUrl);
  await page.evaluate(() => window.pageReady);
  const statusReads = [];
  page.on('request', (request) => {
    if (request.url().includes('CLOUD_GETSTATUS')) statusReads.push(Date.now());
  });
  // A log rewritten on the disk shows within one refresh, without a reload;
  // a change of status is announced, the clock never is.
  await page.evaluate(() => { window.notReloaded = true; });
  const log = path.join(diskRoot, 'Cloud/.logs/webdav');
  const before = fs.readFileSync(log);
  fs.writeFileSync(log, 'vRewritten while the page was open');
  await page.waitForFunction(() => [...document.querySelectorAll('#status-table td')]
    .some((cell) => cell.textContent === 'Rewritten while the page was open'), null, { timeout: 8000 });
  assert.equal(await page.evaluate(() => window.notReloaded), true, 'the page was not reloaded');
  assert.match(await page.textContent('#status-note'), /^Read at /);
  assert.equal(await page.textContent('#status-changes'), 'WebDAV is now Error (was Sync).');
  assert.match(await page.textContent('#summary-text'), /WebDAV: Error/);
  assert.deepEqual(await page.$$eval('[aria-live]', (live) => live.map((e) => e.id)),
                   ['folder-note', 'status-changes'], 'only the folder note and the changes are live');
  fs.writeFileSync(log, before);

  // Two logs of one label (both unnamed) that differ and do not change:
  // nothing to announce, over two refreshes.
  const unnamed = [['webdav_2', 'vStopped by a fault'], ['box.1', 'qIn sync']]
    .map(([name, record]) => [path.join(diskRoot, 'Cloud/.logs', name), record]);
  for (const [file, record] of unnamed) fs.writeFileSync(file, record);
  await page.reload();
  await page.evaluate(() => window.pageReady);
  await page.waitForFunction(() => document.querySelectorAll('#status-table tbody tr').length === 6);
  const readsBefore = statusReads.length;
  while (statusReads.length < readsBefore + 2) await page.waitForTimeout(250);
  await page.waitForTimeout(500); // the second refresh is shown
  assert.equal(await page.textContent('#status-changes'), '', 'two unchanged unnamed logs announce nothing');
  for (const [file] of unnamed) fs.rmSync(file);

  // Hidden (headless Chromium never hides a page, so it is told so), the
  // page reads nothing; shown again, it reads at once.
  const visibility = (hidden) => page.evaluate((hide) => {
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => hide });
    Object.defineProperty(document, 'visibilityState', { configurable: true,
                                                         get: () => (hide ? 'hidden' : 'visible') });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await visibility(true);
  const hiddenAt = Date.now();
  await page.waitForTimeout(6000);
  assert.deepEqual(statusReads.filter((at) => at > hiddenAt + 500), [], 'no read while hidden');
  await visibility(false);
  const shownAt = Date.now();
  await page.waitForTimeout(1500);
  assert.ok(statusReads.some((at) => at >= shownAt - 100), 'a read as soon as it is shown');

  // A folder of thousands: rows show while the rest are still read, then
  // in order by name, and the filter finds one by name.
  await page.addInitScript(() => {
    // What the folder note said each time rows were added.
    window.listTrace = [];
    document.addEventListener('DOMContentLoaded', () => {
      const list = document.getElementById('folder-list');
      new MutationObserver(() => window.listTrace.push(
        [list.querySelectorAll('li').length, document.getElementById('folder-note').textContent]))
        .observe(list, { childList: true, subtree: true });
    });
  });
  const names = fs.readdirSync(largeDisk);
  await page.goto(pageWith(`?root=${encoded(largeDisk)}`));
  await page.evaluate(() => window.pageReady);
  await settled(page);
  const trace = await page.evaluate(() => window.listTrace);
  assert.ok(trace.some(([rows, text]) => rows > 0 && text.startsWith('Reading')),
            'rows shown before the whole folder was read');
  assert.equal(await page.textContent('#folder-note'), names.length.toLocaleString('en') + ' folders.');
  const first = await folderNames(page);
  assert.deepEqual(first, [...names].sort().slice(0, 500), 'the first 500 by name');
  const wanted = names[Math.floor(names.length / 2)];
  await page.fill('#filter', wanted.slice(0, 6));
  await page.waitForFunction(() => document.getElementById('folder-note').textContent.startsWith('Matching the filter'));
  assert.deepEqual(await folderNames(page), [wanted]);
  console.log(`a folder of ${names.length} sub-folders: first rows while it was read, sorted, found by the filter`);
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--no-first-run'],
});
let failed = false;
// What went wrong in the page, shown when a check fails for it.
const pageErrors = [];
try {
  const context = await browser.newContext({ viewport: { width: 1280, height: 600 }, locale: 'en-US',
                                            httpCredentials });
  const page = await context.newPage();
  page.on('pageerror', (error) => pageErrors.push(error.message));
  page.on('dialog', (dialog) => { pageErrors.push('dialog: ' + dialog.message()); dialog.dismiss(); });
  // Whatever the server's Content-Security-Policy refuses is a fault of the page.
  await page.exposeFunction('reportViolation', (text) => pageErrors.push('CSP: ' + text));
  await page.addInitScript(() => document.addEventListener('securitypolicyviolation',
    (event) => window.reportViolation(`${event.violatedDirective} ${event.blockedURI}`)));

  await page.goto(pageUrl);
  await page.evaluate(() => window.pageReady);

  // Every folder of the disk, with its exact name, as text, in order by name.
  // (A line end and a line separator in a name are marked, never drawn.)
  const shown = await folderNames(page);
  assert.deepEqual([...shown].sort(), visibleFolders(diskRoot).map((name) =>
    name.replace('\n', '\u21b5').replace('\u2028', '\u27e8U+2028\u27e9')).sort());
  assert.ok(shown.includes('<b>bold'), 'the <b> folder is shown by its name');
  assert.ok(shown.includes('two\u21b5lines'), 'a line end in a name is marked');
  assert.ok(shown.includes('Café Ünïcødé 日本'));
  assert.equal(await page.locator('#folder-list b, #folder-list img').count(), 0,
               'no name became markup');
  assert.equal(await page.evaluate(() => window.pwned), undefined, 'no script ran from a name');
  console.log('folders shown:', JSON.stringify(shown));

  // The status, each word with its explanation, and the configuration.
  const tableRows = (id) => page.$$eval(`#${id} tbody tr`, (rows) => rows.map((row) =>
    [...row.cells].map((cell) => cell.querySelector('.status-word')?.textContent ?? cell.textContent)));
  const status = await tableRows('status-table');
  console.log('status table:', JSON.stringify(status));
  assert.deepEqual([...status].sort(), [
    ['Box.net', 'Downloading', 'Downloading 3 of 12 files'],
    ['PlovenQuartzel', 'Stop', 'Stopped by the user'],
    ['SkyDrive', 'Error', 'Login failed: "token expired" <retry in 5 min>'],
    ['WebDAV', 'Sync', 'Last sync 2026-12-08 01:40, 1,204 files'],
  ]);
  assert.ok((await page.$$eval('.explanation', (e) => e.map((x) => x.textContent))).every((t) => t.length > 10),
            'every status word is explained');
  assert.equal(await page.textContent('#summary-text'), 'SkyDrive: Error \u00b7 PlovenQuartzel: Stop \u00b7 2 others syncing');
  const config = await tableRows('config-table');
  console.log('configuration table:', JSON.stringify(config));
  assert.deepEqual(config, [
    ['0', 'alice', 'https://dav.example.net/backup', '/tmp/mnt/sda1/Backup', '0', '1'],
    ['2', 'bob@example.com', 'https://box.example.com', '/tmp/mnt/sda1/Box', '2', '0'],
  ]);
  await page.screenshot({ path: screenshot, fullPage: true });
  console.log('screenshot:', screenshot);

  if (!wiring) await checkNavigation(page);
  if (full) {
    await checkLayout(page);
    await checkNoAnswer(page);
    await checkAccessibility(page);
    await checkStrangePath(page);
    if (process.env.LIVE_DISK) await checkLivePage(page, process.env.LIVE_DISK);
    if (process.env.LOOKALIKE_DISK) await checkLookalikes(page, process.env.LOOKALIKE_DISK);
    await checkLanguages(browser, { pageUrl, pageWith, settled, httpCredentials, screenshots: path.dirname(screenshot),
                                    oddNames: `?root=${encoded(pageRoot)}&path=Odd%20names` });
  }
  assert.deepEqual(pageErrors, []);
} catch (error) {
  failed = true;
  console.error(error);
  if (pageErrors.length > 0) console.error('in the page:', pageErrors);
} finally {
  await browser.close();
}
console.log(failed ? '0 passed, 1 failed' : '1 passed, 0 failed');
process.exit(failed ? 1 : 0);
