// The cloud sync status of the disk: its rows, the summary at the top of
// the page, and what changed, read again every few seconds while the page
// is visible.
import { decodeValue } from './bytes.js';
import { element, tableCell } from './dom.js';
import { explain } from './failures.js';
import { readRows } from './reading.js';
import { explanations, providerName, statusChanges, statusSummary } from './status.js';

const statusEveryMs = 5000;

const status = {
  baseDir: null,    // the folder that holds the logs (bytes or text), or null: no disk
  rows: null,       // the last rows read ([label, status]), or null before the first read
  readAt: null,     // when they were read
  timer: 0,
  reading: null,    // the read under way
  generation: 0,    // which disk's status the rows are
};

function timeOfDay(date) {
  return date.toLocaleTimeString('en-GB');
}

function showStatus() {
  if (!status.reading) status.reading = readStatus().finally(() => { status.reading = null; });
  return status.reading;
}

// Another disk (baseDir null: none): its status from nothing (a change of
// disk is no change of status to announce).
export function restartStatus(baseDir) {
  status.generation++;
  status.baseDir = baseDir;
  status.rows = null;
  status.readAt = null;
  element('status-table').tBodies[0].replaceChildren();
  element('status-changes').textContent = '';
  return (status.reading ?? Promise.resolve()).then(showStatus);
}

function statusRow([label, , word, message]) {
  const row = document.createElement('tr');
  tableCell(row, providerName(label), 'Provider');
  const cell = tableCell(row, null, 'Status');
  const shown = document.createElement('strong');
  shown.className = 'status-word status-' + (word || 'none');
  shown.textContent = word || '\u2014';
  const explanation = document.createElement('span');
  explanation.className = 'explanation';
  explanation.textContent = explanations[word] ?? 'A status this page does not know.';
  const both = document.createElement('div');
  both.append(shown, ' ', explanation);
  cell.appendChild(both);
  tableCell(row, message, 'Message');
  return row;
}

async function readStatus() {
  const generation = status.generation;
  const summary = element('summary-text');
  if (status.baseDir === null) {
    summary.textContent = 'No disk, so no cloud sync status.';
    element('status-note').textContent = '';
    return;
  }
  try {
    const rows = [];
    const onRows = (batch) => rows.push(...batch.map((row) => row.map((value) => decodeValue(value).text)));
    await readRows('cloud_status', [['action_mode', 'CLOUD_GETSTATUS'], ['BaseDir', status.baseDir]],
                   { onRows, sliceMs: 8 });
    if (generation !== status.generation) return;
    const brief = rows.map(([label, , word]) => [label, word]);
    const changes = statusChanges(status.rows, brief);
    const body = document.createDocumentFragment();
    for (const row of rows) body.appendChild(statusRow(row));
    element('status-table').tBodies[0].replaceChildren(body);
    element('status-table').classList.remove('stale');
    status.rows = brief;
    status.readAt = new Date();
    element('status-note').textContent = (rows.length === 0 ? 'No cloud sync logs on this disk. ' : '') +
      'Read at ' + timeOfDay(status.readAt) + '.';
    summary.textContent = statusSummary(brief);
    if (changes.length > 0) element('status-changes').textContent = changes.join(' ');
  } catch (error) {
    if (generation !== status.generation) return;
    element('status-table').classList.add('stale');
    const last = status.readAt ? ` Out of date: last read at ${timeOfDay(status.readAt)}.` : '';
    element('status-note').textContent = explain(error) + last + ' Trying again.';
    summary.textContent = (status.readAt ? `Sync status out of date (read at ${timeOfDay(status.readAt)}): `
                                         : 'No sync status: ') + explain(error);
  }
}

export function scheduleStatus() {
  clearTimeout(status.timer);
  status.timer = 0;
  if (document.hidden) return;
  status.timer = setTimeout(() => showStatus().then(scheduleStatus), statusEveryMs);
}

// Hidden, the page reads nothing; shown again, it reads at once.
export function startStatus() {
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      clearTimeout(status.timer);
      status.timer = 0;
    } else {
      showStatus().then(scheduleStatus);
    }
  });
}
