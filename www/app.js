// The device page: lists the folders of a disk with mount_folders, and shows
// the cloud sync status, read again every few seconds while the page is
// visible, and the configuration from cloud_status. Every name and message
// goes into the page as text, never as markup.
'use strict';

const params = new URLSearchParams(location.search);
const diskRoot = params.get('root') || '/tmp/mnt/sda1';
const baseDir = params.get('base') || diskRoot;
const statusEveryMs = 5000;
// Folders shown at once; "show all" adds the rest.
const firstFolders = 500;
// Rows go into blocks of this many, which the browser skips as a whole while
// they are out of view: a list of 200,000 costs a frame what 400 blocks do.
const rowsPerBlock = 500;
// Work done in one go before the browser gets a turn to draw and answer.
const sliceMs = 8;
let currentPath = diskRoot;

function cgiUrl(program, query) {
  return '/cgi-bin/' + program + '?' + Object.entries(query)
    .map(([name, value]) => encodeURIComponent(name) + '=' + encodeURIComponent(value))
    .join('&');
}

async function cgi(program, query) {
  const response = await fetch(cgiUrl(program, query), { cache: 'no-store' });
  if (!response.ok) throw new Error('HTTP ' + response.status);
  return response.text();
}

// A row list is rows joined by ',' without brackets.
function parseRows(body) {
  return JSON.parse('[' + body + ']');
}

// Takes a row list in pieces as they arrive and gives back the rows each
// piece completes. A row ends at a ']' outside its quoted values; the rows up
// to the last such end are parsed at once, as JSON.
class RowListReader {
  constructor() {
    this.text = '';
    this.scanned = 0; // text before this is scanned
    this.inString = false;
    this.escaped = false;
  }

  push(piece) {
    this.text += piece;
    const text = this.text;
    let end = -1;
    for (let i = this.scanned; i < text.length; i++) {
      const c = text.charCodeAt(i);
      if (this.escaped) this.escaped = false;
      else if (this.inString) {
        if (c === 0x5c) this.escaped = true; // '\'
        else if (c === 0x22) this.inString = false; // '"'
      } else if (c === 0x22) this.inString = true;
      else if (c === 0x5d) end = i + 1; // ']'
    }
    if (end < 0) {
      this.scanned = text.length;
      return [];
    }
    this.text = text.slice(end);
    this.scanned = this.text.length;
    return parseRows(text.slice(0, end).replace(/^\s*,/, ''));
  }

  // The body has ended: nothing but white space may be left over.
  finish() {
    if (this.text.trim() !== '') throw new Error('the list ends in the middle of a row');
  }
}

// Gives the browser a turn: what waits (drawing, a click, a key) goes first.
function nextTurn() {
  return new Promise((resolve) => setTimeout(resolve, 0));
}

// Reads a row list as it streams in, handing each batch of complete rows to
// onRows, and giving the browser a turn every sliceMs.
async function readRowList(response, onRows) {
  const rows = new RowListReader();
  if (!response.body) {
    onRows(rows.push(await response.text()));
    return rows.finish();
  }
  const reader = response.body.getReader();
  const decoder = new TextDecoder();
  let turn = performance.now();
  for (;;) {
    const { done, value } = await reader.read();
    onRows(rows.push(done ? decoder.decode() : decoder.decode(value, { stream: true })));
    if (done) return rows.finish();
    if (performance.now() - turn > sliceMs) {
      await nextTurn();
      turn = performance.now();
    }
  }
}

// Adds a cell to row, named by its column's heading (a phone shows the
// name beside the value).
function cell(row, text, className) {
  const td = document.createElement('td');
  td.textContent = text;
  if (className) td.className = className;
  td.dataset.label = row.columnNames[row.cells.length];
  row.appendChild(td);
}

function tableRow(table) {
  const row = document.createElement('tr');
  row.columnNames = [...table.tHead.rows[0].cells].map((heading) => heading.textContent);
  return row;
}

function note(id, text) {
  document.getElementById(id).textContent = text;
}

function timeOfDay() {
  return new Date().toLocaleTimeString();
}

function joinPath(folder, name) {
  return folder.replace(/\/+$/, '') + '/' + name;
}

function parentOf(path) {
  const trimmed = path.replace(/\/+$/, '');
  const cut = trimmed.lastIndexOf('/');
  return cut > 0 ? trimmed.slice(0, cut) : '/';
}

// The folder list: every name read, and which of them are shown. Rows are
// added between frames, a slice at a time, so a huge folder never holds the
// page; a filter narrows them by name.
const folders = {
  names: [],
  shown: [],        // indexes into names that pass the filter
  filter: '',
  built: 0,         // how many of shown are in the list
  limit: firstFolders,
  complete: false,
  reading: null,    // the AbortController of the listing being read
  frame: 0,         // the animation frame that builds the next slice
};
// Resolves what showFolders waits for: all read, and what may be shown built.
let builtAll = () => {};

function matchesFilter(name) {
  return folders.filter === '' || name.toLowerCase().includes(folders.filter);
}

function folderNote() {
  const count = folders.names.length.toLocaleString('en');
  if (!folders.complete) return 'Reading the folder: ' + count + ' so far…';
  if (folders.names.length === 0) return 'No folders here.';
  if (folders.filter !== '') {
    return folders.shown.length.toLocaleString('en') + ' of ' + count + ' folders match.';
  }
  return count + (folders.names.length === 1 ? ' folder.' : ' folders.');
}

function buildFolders() {
  cancelAnimationFrame(folders.frame);
  folders.frame = 0;
  const list = document.getElementById('folder-list');
  const end = Math.min(folders.shown.length, folders.limit);
  const started = performance.now();
  while (folders.built < end && performance.now() - started < sliceMs) {
    let block = list.lastElementChild;
    if (!block || block.childElementCount === rowsPerBlock) {
      block = document.createElement('ul');
      list.appendChild(block);
    }
    const stop = Math.min(end, folders.built + 100, folders.built + rowsPerBlock - block.childElementCount);
    const items = document.createDocumentFragment();
    for (; folders.built < stop; folders.built++) {
      const index = folders.shown[folders.built];
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = folders.names[index];
      button.dataset.index = index;
      const item = document.createElement('li');
      item.appendChild(button);
      items.appendChild(item);
    }
    block.appendChild(items);
  }
  const more = document.getElementById('show-all');
  more.hidden = folders.shown.length <= folders.limit;
  more.textContent = 'Show all ' + folders.shown.length.toLocaleString('en') + ' folders';
  note('folder-note', folderNote());
  if (folders.built < end) scheduleBuild();
  else if (folders.complete) builtAll();
}

function scheduleBuild() {
  if (!folders.frame) folders.frame = requestAnimationFrame(buildFolders);
}

function addFolders(rows) {
  for (const [name] of rows) {
    const index = folders.names.push(name) - 1;
    if (matchesFilter(name)) folders.shown.push(index);
  }
  if (rows.length > 0) scheduleBuild();
}

// Starts over with what passes the filter now.
function refilter() {
  folders.filter = document.getElementById('filter').value.trim().toLowerCase();
  folders.shown = [];
  for (let index = 0; index < folders.names.length; index++) {
    if (matchesFilter(folders.names[index])) folders.shown.push(index);
  }
  folders.built = 0;
  folders.limit = firstFolders;
  document.getElementById('folder-list').replaceChildren();
  scheduleBuild();
}

// Reads the folder at path and lists its sub-folders; resolves once they are
// all read and what may be shown is built.
async function showFolders(path) {
  if (folders.reading) folders.reading.abort();
  const reading = new AbortController();
  Object.assign(folders, { names: [], shown: [], built: 0, limit: firstFolders, complete: false,
                           reading });
  document.getElementById('path').textContent = path;
  document.getElementById('up').disabled = path === diskRoot;
  document.getElementById('folder-list').replaceChildren();
  const built = new Promise((resolve) => { builtAll = resolve; });
  try {
    const response = await fetch(cgiUrl('mount_folders', { action_mode: path }),
                                 { cache: 'no-store', signal: reading.signal });
    if (!response.ok) throw new Error('HTTP ' + response.status);
    await readRowList(response, (rows) => {
      if (folders.reading === reading) addFolders(rows);
    });
  } catch (error) {
    if (folders.reading !== reading) return; // another folder is being read
    folders.complete = true;
    note('folder-note', 'Could not list this folder: ' + error.message);
    return;
  }
  if (folders.reading !== reading) return;
  folders.complete = true;
  buildFolders();
  await built;
}

function openFolder(path) {
  currentPath = path;
  return showFolders(path);
}

// The status rows: read again every statusEveryMs while the page is visible.
// The rows on the page stay until the next read is complete.
let statusTimer = 0;
let statusReading = null;

function showStatus() {
  if (!statusReading) statusReading = readStatus().finally(() => { statusReading = null; });
  return statusReading;
}

async function readStatus() {
  try {
    const rows = parseRows(await cgi('cloud_status', { action_mode: 'CLOUD_GETSTATUS', BaseDir: baseDir }));
    const table = document.getElementById('status-table');
    const body = document.createDocumentFragment();
    for (const [label, , status, message] of rows) {
      const row = tableRow(table);
      cell(row, label);
      cell(row, status, 'status-' + status);
      cell(row, message);
      body.appendChild(row);
    }
    table.tBodies[0].replaceChildren(body);
    note('status-note', (rows.length === 0 ? 'No sync logs found. ' : '') + 'Read at ' + timeOfDay() + '.');
  } catch (error) {
    note('status-note', 'Could not read the sync status at ' + timeOfDay() + ' (' + error.message +
         '); trying again.');
  }
}

function scheduleStatus() {
  clearTimeout(statusTimer);
  statusTimer = 0;
  if (document.hidden) return;
  statusTimer = setTimeout(() => showStatus().then(scheduleStatus), statusEveryMs);
}

// Hidden, the page reads nothing; shown again, it reads at once.
document.addEventListener('visibilitychange', () => {
  if (document.hidden) {
    clearTimeout(statusTimer);
    statusTimer = 0;
  } else {
    showStatus().then(scheduleStatus);
  }
});

// "&#60" opens a line, "&#62" separates its fields; a line with all its
// fields ends in '/'.
function parseConfig(text) {
  return text.split('&#60').slice(1).map((line) =>
    line.split('&#62').map((field) => field.replace(/\r?\n$/, '')));
}

async function showConfig() {
  const table = document.getElementById('config-table');
  const body = table.tBodies[0];
  body.replaceChildren();
  try {
    const lines = parseConfig(await cgi('cloud_status', { action_mode: 'CLOUD_GETCONFIG' }));
    for (const fields of lines) {
      const row = tableRow(table);
      for (let i = 0; i < 6; i++) cell(row, fields[i] === undefined ? '' : fields[i]);
      body.appendChild(row);
    }
    note('config-note', lines.length === 0 ? 'No sync configuration.' : '');
  } catch (error) {
    note('config-note', 'Could not read the configuration: ' + error.message);
  }
}

document.getElementById('up').addEventListener('click', () => openFolder(parentOf(currentPath)));
document.getElementById('reload').addEventListener('click', () => showFolders(currentPath));
document.getElementById('folder-list').addEventListener('click', (event) => {
  const button = event.target.closest('button');
  if (button) openFolder(joinPath(currentPath, folders.names[Number(button.dataset.index)]));
});
document.getElementById('show-all').addEventListener('click', () => {
  folders.limit = Infinity;
  scheduleBuild();
});
let filterTimer = 0;
document.getElementById('filter').addEventListener('input', () => {
  clearTimeout(filterTimer);
  filterTimer = setTimeout(refilter, 100);
});
window.pageReady = Promise.all([showFolders(currentPath), showStatus(), showConfig()]);
window.pageReady.then(scheduleStatus);
