// Measures the page on a huge folder in Debian's Chromium: when the first
// row shows, when the list is read whole and sorted, and the longest task
// the page's main thread ran meanwhile (the browser's long tasks, 50 ms and
// more). Prints one line of JSON.
// Usage: node bench/page.mjs PAGE_URL   (a URL that opens the folder)
// Run with tests/browser's packages installed (npm ci --prefix tests/browser).
import { createRequire } from 'node:module';

const require = createRequire(new URL('../tests/browser/package.json', import.meta.url));
const { chromium } = require('playwright-core');
const [url] = process.argv.slice(2);

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--no-first-run'],
});
try {
  const page = await browser.newPage({ viewport: { width: 390, height: 844 } });
  await page.addInitScript(() => {
    window.measured = { longest: 0, longTasks: 0, firstRow: null };
    new PerformanceObserver((list) => {
      for (const task of list.getEntries()) {
        window.measured.longest = Math.max(window.measured.longest, task.duration);
        window.measured.longTasks++; (window.measured.tasks ??= []).push([Math.round(task.startTime), Math.round(task.duration)]);
      }
    }).observe({ type: 'longtask', buffered: true });
    document.addEventListener('DOMContentLoaded', () => {
      const list = document.getElementById('folder-list');
      new MutationObserver((changes, observer) => {
        if (list.querySelector('li')) {
          window.measured.firstRow = performance.now();
          observer.disconnect();
        }
      }).observe(list, { childList: true, subtree: true });
    });
  });
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('folder-list').getAttribute('aria-busy') === 'false',
                             null, { timeout: 120000, polling: 50 });
  const sorted = await page.evaluate(() => performance.now());
  await page.waitForTimeout(500); // long tasks are reported a moment late
  const measured = await page.evaluate(() => window.measured);
  const note = await page.textContent('#folder-note');
  console.log(JSON.stringify({ folders: note, first_row_ms: Math.round(measured.firstRow),
                               sorted_ms: Math.round(sorted), longest_task_ms: Math.round(measured.longest),
                               long_tasks: measured.longTasks, tasks: measured.tasks }));
} finally {
  await browser.close();
}
