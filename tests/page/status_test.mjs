// The status in words: the summary at the top of the page, and what a
// screen reader is told changed between two reads.
// Usage: node --test tests/page/status_test.mjs
import assert from 'node:assert/strict';
import test from 'node:test';
import { statusChanges, statusSummary } from '../../www/status.js';

test('the summary names what needs attention and counts the rest', () => {
  const cases = [
    [[], 'No cloud sync on this disk.'],
    [[['WebDAV', 'Sync']], 'WebDAV: Sync'],
    [[['WebDAV', 'Sync'], ['Box.net', 'Downloading']], 'All 2 syncing'],
    [[['', '']], 'Unnamed log: no status'],
    [[['SkyDrive', 'Error'], ['WebDAV', 'Sync'], ['A', 'Stop'], ['B', 'Seeding']],
     'SkyDrive: Error \u00b7 A: Stop \u00b7 2 others syncing'],
    [[['SkyDrive', 'Error'], ['WebDAV', 'Sync']], 'SkyDrive: Error \u00b7 1 other syncing'],
  ];
  for (const [rows, expected] of cases) assert.equal(statusSummary(rows), expected, JSON.stringify(rows));
});

test('a change is announced once, and identical reads announce nothing', () => {
  // Two logs can share a label: two unnamed ones, or two that read the
  // same file. Each is known by its label and which row of that label it is.
  const cases = [
    ['the first read', null, [['WebDAV', 'Sync']], []],
    ['nothing changed', [['WebDAV', 'Sync']], [['WebDAV', 'Sync']], []],
    ['two unnamed logs that differ, read again', [['', 'Error'], ['', 'Sync']], [['', 'Error'], ['', 'Sync']],
     []],
    ['two logs labelled alike, read again', [['WebDAV', 'Sync'], ['Box.net', 'Stop'], ['WebDAV', 'Error']],
     [['WebDAV', 'Sync'], ['Box.net', 'Stop'], ['WebDAV', 'Error']], []],
    ['one of two alike changes', [['', 'Error'], ['', 'Sync']], [['', 'Error'], ['', 'Stop']],
     ['Unnamed log is now Stop (was Sync).']],
    ['a status', [['WebDAV', 'Sync']], [['WebDAV', 'Error']], ['WebDAV is now Error (was Sync).']],
    ['to no status', [['WebDAV', 'Sync']], [['WebDAV', '']], ['WebDAV is now without status (was Sync).']],
    ['a second log of a label appears', [['', 'Sync']], [['', 'Sync'], ['', 'Error']],
     ['Unnamed log appeared: Error.']],
    ['a log goes', [['WebDAV', 'Sync'], ['SkyDrive', 'Error']], [['WebDAV', 'Sync']], ['SkyDrive is gone.']],
    ['one appears, one goes', [['A', 'Sync']], [['B', '']], ['B appeared: no status.', 'A is gone.']],
  ];
  for (const [what, before, after, expected] of cases) {
    assert.deepEqual(statusChanges(before, after), expected, what);
  }
});
