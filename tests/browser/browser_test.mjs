// Drives the demo page in Debian's Chromium and checks what a user sees.
// Usage: node browser_test.mjs PAGE_URL DISK_ROOT SCREENSHOT [PAGE_ROOT]
// DISK_ROOT is the disk on this machine; PAGE_ROOT the path the page shows
// for it (the same unless the page is served from elsewhere, e.g. a box).
// PAGE_CREDENTIALS=user:password answers a server that asks for a password.
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

  assert.deepEqual(pageErrors, []);
  await page.screenshot({ path: screenshot, fullPage: true });
  console.log('screenshot:', screenshot);
} catch (error) {
  failed = true;
  console.error(error);
} finally {
  await browser.close();
}
console.log(failed ? '0 passed, 1 failed' : '1 passed, 0 failed');
process.exit(failed ? 1 : 0);
