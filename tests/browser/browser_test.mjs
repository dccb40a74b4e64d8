// Drives the demo page in Debian's Chromium and checks what a user sees.
// Usage: node browser_test.mjs PAGE_URL DISK_ROOT SCREENSHOT [PAGE_ROOT]
// DISK_ROOT is the disk on this machine; PAGE_ROOT the path the page shows
// for it (the same unless the page is served from elsewhere, e.g. a box).
// PAGE_CREDENTIALS=user:password answers a server that asks for a password.
// LIVE_DISK=DIR (where the page is served from this machine, so the test can
// change the disk under it) adds the checks of a page that stays live: a log
// rewritten on DISK_ROOT shows without a reload, a hidden page reads nothing,
// and the folder DIR (thousands of sub-folders) shows its first rows while
// the rest are still read, and is filtered by name.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';

const [pageUrl, diskRoot, screenshot, pageRoot = diskRoot] = process.argv.slice(2);
const credentials = process.env.PAGE_CREDENTIALS;
const httpCredentials = credentials ? {
  username: credentials.slice(0, credentials.indexOf(':')),
  password: credentials.slice(credentials.indexOf(':') + 1),
} : undefined;

// What the folder list must show, read from the disk independently.
const systemFolders = ['SYSTEM VOLUME INFORMATION', 'RECYCLER', 'RECYCLED', 'LOST+FOUND'];
function visibleFolders(folder) {
  return fs.readdirSync(folder).filter((name) => {
    if (name.startsWith('.') || systemFolders.includes(name.toUpperCase())) return false;
    try {
      return fs.statSync(path.join(folder, name)).isDirectory();
    } catch {
      return false;
    }
  }).sort();
}

// A page that stays live: the status is read again while the page is
// visible, and a huge folder comes in rows, not all at once.
async function checkLivePage(page, largeDisk) {
  const statusReads = [];
  page.on('request', (request) => {
    if (request.url().includes('CLOUD_GETSTATUS')) statusReads.push(Date.now());
  });
  // A log rewritten on the disk shows within one refresh, without a reload.
  await page.evaluate(() => { window.notReloaded = true; });
  fs.writeFileSync(path.join(diskRoot, 'Cloud/.logs/webdav'), 'qRewritten while the page was open');
  await page.waitForFunction(() => [...document.querySelectorAll('#status-table td')]
    .some((cell) => cell.textContent === 'Rewritten while the page was open'), null, { timeout: 8000 });
  assert.equal(await page.evaluate(() => window.notReloaded), true, 'the page was not reloaded');
  assert.match(await page.textContent('#status-note'), /^Read at /);

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
  await page.waitForTimeout(7000);
  assert.deepEqual(statusReads.filter((at) => at > hiddenAt + 500), [], 'no read while hidden');
  await visibility(false);
  const shownAt = Date.now();
  await page.waitForTimeout(1500);
  assert.ok(statusReads.some((at) => at >= shownAt - 100), 'a read as soon as it is shown');

  // A folder of thousands: rows show while the rest are still read, then
  // the filter finds one by name.
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
  const expected = fs.readdirSync(largeDisk).length;
  await page.goto(pageUrl.replace(/([?&]root=)[^&]*/, '$1' + encodeURIComponent(largeDisk)));
  await page.evaluate(() => window.pageReady);
  const trace = await page.evaluate(() => window.listTrace);
  assert.ok(trace.some(([rows, text]) => rows > 0 && text.startsWith('Reading')),
            'rows shown before the whole folder was read');
  assert.equal(await page.textContent('#folder-note'), expected.toLocaleString('en') + ' folders.');
  const wanted = fs.readdirSync(largeDisk)[Math.floor(expected / 2)];
  await page.fill('#filter', wanted.slice(0, 6));
  await page.waitForFunction(() => document.getElementById('folder-note').textContent.includes(' match'));
  assert.deepEqual(await page.$$eval('#folder-list button', (buttons) => buttons.map((b) => b.textContent)),
                   [wanted]);
  console.log(`a folder of ${expected} sub-folders: first rows while it was read, found by the filter`);
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--no-first-run'],
});
let failed = false;
try {
  const page = await browser.newPage({ viewport: { width: 1280, height: 600 }, httpCredentials });
  const pageErrors = [];
  page.on('pageerror', (error) => pageErrors.push(error.message));
  page.on('dialog', (dialog) => { pageErrors.push('dialog: ' + dialog.message()); dialog.dismiss(); });

  await page.goto(pageUrl);
  await page.evaluate(() => window.pageReady);

  const folderNames = () => page.$$eval('#folder-list button', (buttons) =>
    buttons.map((button) => button.textContent));

  // At every width: no sideways scroll of the page (long names wrap, wide
  // tables scroll in their panel), one column below 720 px, and controls
  // tall enough to tap.
  const viewports = [
    { width: 320, height: 640, columns: 1 },
    { width: 390, height: 844, columns: 1 },
    { width: 1280, height: 800, columns: 2 },
  ];
  for (const { width, height, columns } of viewports) {
    await page.setViewportSize({ width, height });
    const layout = await page.evaluate(() => {
      const box = (id) => document.getElementById(id).getBoundingClientRect();
      const heights = [...document.querySelectorAll('#folder-list button, .toolbar button')]
        .map((button) => button.getBoundingClientRect().height);
      return {
        overflow: document.documentElement.scrollWidth - document.documentElement.clientWidth,
        folders: box('folders'), status: box('status'), config: box('config'),
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
    assert.ok(layout.shortest >= 43, `controls about 44 px high at ${width} px`);
    if (width === 390) {
      await page.screenshot({ path: screenshot.replace(/\.png$/, '-phone.png'), fullPage: true });
    }
  }
  await page.setViewportSize({ width: 1280, height: 600 });

  // Every folder of the disk, with its exact name, as text.
  const shown = await folderNames();
  assert.deepEqual([...shown].sort(), visibleFolders(diskRoot));
  assert.ok(shown.includes('<b>bold'), 'the <b> folder is shown by its name');
  assert.ok(shown.includes('two\nlines'));
  assert.ok(shown.includes('Café Ünïcødé 日本'));
  assert.equal(await page.locator('#folder-list b, #folder-list img').count(), 0,
               'no name became markup');
  assert.equal(await page.evaluate(() => window.pwned), undefined, 'no script ran from a name');
  console.log('folders shown:', JSON.stringify(shown));

  // Walking into a folder and back.
  const folderButton = (name) => page.locator('#folder-list button').filter({
    hasText: new RegExp('^' + name.replace(/[.*+?^${}()|[\]\\]/g, '\\$&') + '$') });
  await folderButton('Music').click();
  await page.waitForFunction(() => document.getElementById('path').textContent.endsWith('/Music'));
  await page.waitForFunction(() => document.querySelectorAll('#folder-list button').length === 2);
  assert.deepEqual((await folderNames()).sort(), ['Albums', 'Podcasts']);
  assert.equal(await folderButton('Documents').count(), 0, 'the root list is gone inside Music');
  await page.click('#up');
  await page.waitForFunction((root) => document.getElementById('path').textContent === root,
                             pageRoot);
  await page.waitForFunction((n) => document.querySelectorAll('#folder-list button').length === n,
                             shown.length);

  // The status and configuration tables.
  const tableRows = (id) => page.$$eval(`#${id} tbody tr`, (rows) =>
    rows.map((row) => [...row.cells].map((cell) => cell.textContent)));
  const status = await tableRows('status-table');
  console.log('status table:', JSON.stringify(status));
  assert.deepEqual([...status].sort(), [
    ['Box.net', 'Downloading', 'Downloading 3 of 12 files'],
    ['PlovenQuartzel', 'Stop', 'Stopped by the user'],
    ['SkyDrive', 'Error', 'Login failed: "token expired" <retry in 5 min>'],
    ['WebDAV', 'Sync', 'Last sync 2026-12-08 01:40, 1,204 files'],
  ]);
  const config = await tableRows('config-table');
  console.log('configuration table:', JSON.stringify(config));
  assert.deepEqual(config, [
    ['0', 'alice', 'https://dav.example.net/backup', '/tmp/mnt/sda1/Backup', '0', '1/'],
    ['2', 'bob@example.com', 'https://box.example.com', '/tmp/mnt/sda1/Box', '2', '0/'],
  ]);

  await page.screenshot({ path: screenshot, fullPage: true });
  console.log('screenshot:', screenshot);
  if (process.env.LIVE_DISK) await checkLivePage(page, process.env.LIVE_DISK);
  assert.deepEqual(pageErrors, []);
} catch (error) {
  failed = true;
  console.error(error);
} finally {
  await browser.close();
}
console.log(failed ? '0 passed, 1 failed' : '1 passed, 0 failed');
process.exit(failed ? 1 : 0);
