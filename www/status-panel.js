// The cloud sync status of the disk: its rows, the summary at the top of
// the page, and what changed, read again every few seconds while the page
// is visible.
import { decodeValue } from './bytes.js';
import { element, tableCell } from './dom.js';
import { explain } from './failures.js';
import { formatTime, text } from './i18n.js';
import { readRows } from './reading.js';
import { explanation, providerName, statusChanges, statusSummary } from './status.js';

const statusEveryMs = 5000;

const status = {
  baseDir: null,    // the folder that holds the logs (bytes or text), or null: no disk
  rows: null,       // the last rows read ([label, status]), or null before the first read
  readAt: null,     // when they were read
  timer: 0,
  reading: null,    // the read under way
  generation: 0,    // which disk's status the rows are
};

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
  tableCell(row, providerName(label), text('columnProvider'));
  const cell = tableCell(row, null, text('columnStatus'));
  const shown = document.createElement('strong');
  shown.className = 'status-word status-' + (word || 'none');
  shown.textContent = word || '\u2014';
  const explained = document.createElement('span');
  explained.className = 'explanation';
  explained.textContent = explanation(word);
  const both = document.createElement('div');
  both.append(shown, ' ', explained);
  cell.appendChild(both);
  tableCell(row, message, text('columnMessage'));
  return row;
}

async function readStatus() {
  const generation = status.generation;
  const summary = element('summary-text');
  if (status.baseDir === null) {
    summary.textContent = text('noDiskStatus');
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
    element('status-note').textContent = text(rows.length === 0 ? 'statusNoLogs' : 'statusReadAt',
                                              { time: formatTime(status.readAt) });
    summary.textContent = statusSummary(brief);
    if (changes.length > 0) element('status-changes').textContent = changes.join(' ');
  } catch (error) {
    if (generation !== status.generation) return;
    element('status-table').classList.add('stale');
    const trouble = explain(error);
    const time = status.readAt ? formatTime(status.readAt) : null;
    element('status-note').textContent = text(time ? 'statusFailedStale' : 'statusFailed', { trouble, time });
    summary.textContent = text(time ? 'summaryStale' : 'summaryFailed', { trouble, time });
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
