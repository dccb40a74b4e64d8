// The device page: the folders of a disk, from mount_folders; the cloud
// sync status, read again every few seconds while the page is visible, and
// the configuration, from cloud_status. Where the page is (mount folder,
// disk, folder) lives in its URL, so Back, reload and bookmarks work. Names
// are bytes from a stranger's disk: they go into the page as text, never as
// markup, and back to the device as the very bytes they were.
import { decodeValue, percentEncode, queryParameters, sameBytes, utf8 } from './bytes.js';
import { ListingTrouble, readListing } from './listing.js';
import { NameList, folderNames, joinPath, normalPath, shownName, splitLast } from './names.js';
import { RowListReader } from './rows.js';
import { explanations, providerName, statusChanges, statusSummary } from './status.js';

// Where the device mounts its disks, one folder each, unless ?mnt= says.
const defaultMountFolder = '/tmp/mnt';
const statusEveryMs = 5000;
// Folders shown at once; "Show all" adds the rest.
const firstFolders = 500;
// Rows go into blocks of this many, which the browser skips as a whole while
// they are out of view: a list of 200,000 costs a frame what 400 blocks do.
const rowsPerBlock = 500;
// Work done in one go before the browser gets a turn to draw and answer.
const sliceMs = 8;
// Bytes of a listing read at once.
const readSlice = 65536;

const element = (id) => document.getElementById(id);

// ---- Asking the device

// The device did not answer (no connection, or an HTTP error), or answered
// what the page cannot read; message is what the owner is told.
class Trouble extends Error {}
const noAnswer = 'The device does not answer.';
// What the owner is told, by what went wrong.
const troubles = {
  'no answer': noAnswer,
  login: 'The device asks for the password again: reload the page to log in.',
  cut: 'The device stopped answering while it was being read.',
  unreadable: 'The device\u2019s answer could not be read.',
  // lighttpd refuses an address holding a byte that is never part of UTF-8
  // (such as \u00fc in Latin-1, the byte FC), even percent-encoded.
  refused: 'The web server refuses to ask for this folder: its name, or a name above it, ' +
           'holds bytes that are not text.',
};

// A program's URL: each value is text or bytes.
function programUrl(program, query) {
  return '/cgi-bin/' + program + '?' + query.map(([name, value]) =>
    name + '=' + percentEncode(typeof value === 'string' ? utf8(value) : value)).join('&');
}

async function ask(program, query, signal) {
  let response;
  try {
    response = await fetch(programUrl(program, query), { cache: 'no-store', signal });
  } catch (error) {
    if (error.name === 'AbortError') throw error;
    throw new Trouble(noAnswer);
  }
  if (response.status === 401) throw new Trouble(troubles.login);
  if (response.status === 400) throw new Trouble(troubles.refused);
  if (!response.ok) throw new Trouble(noAnswer);
  return response;
}

// Gives the browser a turn: what waits (drawing, a click, a key) goes first.
function nextTurn() {
  return new Promise((resolve) => setTimeout(resolve, 0));
}

// Reads a row list as it streams in, handing each batch of complete rows
// (arrays of byte values) to onRows, and giving the browser a turn every
// sliceMs.
async function readRows(response, onRows) {
  const rows = new RowListReader();
  const body = response.body.getReader();
  let turn = performance.now();
  for (;;) {
    let piece;
    try {
      piece = await body.read();
    } catch (error) {
      if (error.name === 'AbortError') throw error;
      throw new Trouble(troubles.cut);
    }
    if (piece.done) break;
    // A piece may be megabytes: it is read a slice at a time.
    for (let at = 0; at < piece.value.length; at += readSlice) {
      try {
        onRows(rows.push(piece.value.subarray(at, at + readSlice)));
      } catch (error) {
        if (error instanceof Trouble) throw error;
        throw new Trouble(troubles.unreadable);
      }
      if (performance.now() - turn > sliceMs) {
        await nextTurn();
        turn = performance.now();
      }
    }
  }
  try {
    rows.finish();
  } catch {
    throw new Trouble(troubles.cut);
  }
}

function folderList(path, signal, onNames) {
  return ask('mount_folders', [['action_mode', path]], signal).then((response) =>
    readRows(response, (rows) => onNames(rows.map(([name]) => decodeValue(name)))));
}

// Whether folder lists name; stops reading as soon as it is found.
async function listed(folder, name) {
  const reading = new AbortController();
  let found = false;
  try {
    await folderList(folder, reading.signal, (names) => {
      if (names.some((each) => sameBytes(each.bytes, name))) {
        found = true;
        reading.abort();
      }
    });
  } catch (error) {
    if (!found) throw error;
  }
  return found;
}

function timeOfDay(date) {
  return date.toLocaleTimeString('en-GB');
}

function explain(error) {
  return error instanceof Trouble ? error.message : noAnswer;
}

// ---- Where the page is: the mount folder, the disk, the folders below it

let place = null;
// The disks in the mount folder, as read last (names), and for which one.
let disks = { mnt: null, names: [] };

function placeFromUrl() {
  const parameters = queryParameters(location.search);
  return {
    mnt: normalPath(parameters.get('mnt') ?? utf8(defaultMountFolder)),
    root: parameters.has('root') ? normalPath(parameters.get('root')) : null,
    base: parameters.get('base') ?? null, // the status's BaseDir, as written
    names: folderNames(parameters.get('path') ?? new Uint8Array(0)),
  };
}

function urlOf(at) {
  const query = [];
  if (!sameBytes(at.mnt, utf8(defaultMountFolder))) query.push('mnt=' + percentEncode(at.mnt));
  if (at.root) query.push('root=' + percentEncode(at.root));
  if (at.base) query.push('base=' + percentEncode(at.base));
  if (at.names.length > 0) query.push('path=' + percentEncode(joinPath(utf8('/'), at.names).slice(1)));
  return location.pathname + (query.length > 0 ? '?' + query.join('&') : '');
}

function currentFolder() {
  return joinPath(place.root, place.names);
}

function nameText(bytes) {
  return shownName(decodeValue(bytes).text).text;
}

// Goes to another folder or disk: a new entry in the browser's history.
function go(next) {
  history.pushState(null, '', urlOf(next));
  return show(next, { focus: true });
}

// ---- The disk chooser

async function readDisks(mnt) {
  const names = [];
  await folderList(mnt, undefined, (batch) => names.push(...batch));
  const order = sortHere(names);
  disks = { mnt, names: [...order].map((index) => names[index]) };
}

function showDisks() {
  const select = element('disk');
  const options = disks.names.map((name, index) => {
    const option = new Option(nameText(name.bytes), String(index));
    option.selected = place.root !== null && sameBytes(joinPath(disks.mnt, [name.bytes]), place.root);
    return option;
  });
  if (place.root !== null && !options.some((option) => option.selected)) {
    // A disk named by the URL, elsewhere than the mount folder.
    const option = new Option(decodeValue(place.root).text, '', true, true);
    options.unshift(option);
  }
  select.replaceChildren(...options);
  select.disabled = options.length < 2;
}

// ---- The folder list

// Every name read (bytes, text, valid), the order they are shown in (as
// read until the folder is read whole, then sorted), and which of them pass
// the filter. Rows are added between frames, a slice at a time, so a huge
// folder never holds the page.
const folders = {
  names: new NameList(),
  order: null,      // indexes of names, sorted; null while reading
  shown: [],        // indexes of names that pass the filter, in order
  filter: '',
  built: 0,         // how many of shown are in the list
  limit: firstFolders,
  complete: false,
  reading: null,    // the AbortController of the listing being read
  frame: 0,         // the animation frame that builds the next slice
  message: '',      // why there is nothing to show, when there is not
};
// Resolves what showFolders waits for: all read, and what may be shown built.
let builtAll = () => {};
const collator = new Intl.Collator('en', { numeric: true, sensitivity: 'base' });

function matchesFilter(index) {
  return folders.filter === '' || folders.names.text(index).toLowerCase().includes(folders.filter);
}

function folderNote() {
  const count = folders.names.length.toLocaleString('en');
  if (!folders.complete) return 'Reading the folder: ' + count + ' so far\u2026';
  if (folders.message) return folders.message;
  if (folders.filter !== '') {
    return folders.shown.length.toLocaleString('en') + ' of ' + count + ' folders match.';
  }
  return count + (folders.names.length === 1 ? ' folder.' : ' folders.');
}

function folderButton(index) {
  const shown = shownName(folders.names.text(index));
  const button = document.createElement('button');
  button.type = 'button';
  button.dataset.index = index;
  const text = document.createElement('bdi');
  text.textContent = shown.text;
  button.appendChild(text);
  if (shown.label) button.setAttribute('aria-label', shown.label);
  if (!folders.names.valid(index)) button.title = 'Part of this name is not text: \ufffd stands for its bytes';
  const item = document.createElement('li');
  item.appendChild(button);
  return item;
}

function buildFolders() {
  cancelAnimationFrame(folders.frame);
  folders.frame = 0;
  const list = element('folder-list');
  const end = Math.min(folders.shown.length, folders.limit);
  const started = performance.now();
  while (folders.built < end && performance.now() - started < sliceMs) {
    let block = list.lastElementChild;
    if (!block || block.childElementCount === rowsPerBlock) {
      block = document.createElement('ul');
      list.appendChild(block);
    }
    // Up to the block's end, or the slice's: a row whose batch of names is
    // not decoded yet costs a millisecond or two.
    const stop = Math.min(end, folders.built + rowsPerBlock - block.childElementCount);
    const items = document.createDocumentFragment();
    while (folders.built < stop && performance.now() - started < sliceMs) {
      items.appendChild(folderButton(folders.shown[folders.built++]));
    }
    block.appendChild(items);
  }
  const more = element('show-all');
  more.hidden = folders.shown.length <= folders.limit;
  more.textContent = 'Show all ' + folders.shown.length.toLocaleString('en') + ' folders';
  element('folder-note').textContent = folderNote();
  if (folders.built < end) scheduleBuild();
  else if (folders.complete) builtAll();
}

function scheduleBuild() {
  if (!folders.frame) folders.frame = requestAnimationFrame(buildFolders);
}

function addBatch(batch) {
  const first = folders.names.length;
  folders.names.add(batch);
  for (let index = first; index < folders.names.length; index++) {
    if (matchesFilter(index)) folders.shown.push(index);
  }
  scheduleBuild();
}

// Starts the list over with what passes the filter now, in the order now.
// Focus on a folder of the list stays on it when it is built again.
function rebuild() {
  const focused = document.activeElement?.closest?.('#folder-list button');
  const focusedIndex = focused ? Number(focused.dataset.index) : -1;
  folders.shown = [];
  const count = folders.names.length;
  for (let i = 0; i < count; i++) {
    const index = folders.order ? folders.order[i] : i;
    if (matchesFilter(index)) folders.shown.push(index);
  }
  folders.built = 0;
  folders.limit = firstFolders;
  element('folder-list').replaceChildren();
  buildFolders();
  if (focusedIndex >= 0) {
    const again = element('folder-list').querySelector(`button[data-index="${focusedIndex}"]`);
    (again ?? element('list-heading')).focus();
  }
}

// A folder's listing is read, and sorted once read, by a worker of its own
// (listing.js), so that the page's own thread only puts rows on screen;
// should no worker start, the page reads it itself.
let lister = null;
let listings = 0;

function sortHere(names) {
  return Uint32Array.from(names.keys()).sort((a, b) => {
    const [x, y] = [names[a].text, names[b].text];
    return collator.compare(x, y) || (x < y ? -1 : x > y ? 1 : a - b);
  });
}

// Reads the listing of path, handing each batch of names to onBatch as it
// comes; resolves with their order by name once all are read.
function listFolder(path, signal, onBatch) {
  const url = new URL(programUrl('mount_folders', [['action_mode', path]]), location.href).href;
  const here = () => readListing(url, signal, onBatch).catch((error) => {
    throw error instanceof ListingTrouble ? new Trouble(troubles[error.message]) : error;
  });
  if (lister === null) {
    try {
      lister = new Worker('listing.js', { type: 'module' });
    } catch {
      lister = false;
    }
  }
  if (lister === false) return here();
  const worker = lister;
  const id = ++listings;
  return new Promise((resolve, reject) => {
    const done = () => {
      worker.removeEventListener('message', answered);
      worker.removeEventListener('error', failed);
    };
    const answered = ({ data }) => {
      if (data.id !== id) return;
      if (data.batch) return onBatch(data.batch);
      done();
      if (data.trouble) reject(new Trouble(troubles[data.trouble]));
      else resolve(data.order);
    };
    const failed = () => {
      done();
      lister = false;
      resolve(here());
    };
    worker.addEventListener('message', answered);
    worker.addEventListener('error', failed);
    signal.addEventListener('abort', () => {
      done();
      worker.postMessage({ id, stop: true });
      reject(new DOMException('The listing is no longer wanted.', 'AbortError'));
    }, { once: true });
    worker.postMessage({ id, url });
  });
}

// Why a folder lists nothing: it has no folders, it is not there (any
// more), or its disk is gone. The program answers all of them alike, so
// the folder above is asked whether it holds this one.
async function whyEmpty(at) {
  if (at.names.length > 0 && await listed(joinPath(at.root, at.names.slice(0, -1)), at.names.at(-1))) {
    return 'This folder holds no folders.';
  }
  const disk = splitLast(at.root);
  if (disk.name !== null && !(await listed(disk.folder, disk.name))) {
    return 'This disk is not there: it may have been unplugged.';
  }
  return at.names.length > 0 ? 'This folder is not there (any more): it may have been moved, ' +
                               'renamed or deleted.' : 'This disk holds no folders.';
}

// Reads the folder of the page's place and lists its sub-folders, first as
// they come, then sorted; resolves once what may be shown is built.
async function showFolders() {
  if (folders.reading) folders.reading.abort();
  const reading = new AbortController();
  const at = place;
  cancelAnimationFrame(folders.frame);
  Object.assign(folders, { names: new NameList(), order: null, shown: [], built: 0, limit: firstFolders,
                           complete: false, reading, frame: 0, message: '' });
  const list = element('folder-list');
  list.replaceChildren();
  list.setAttribute('aria-busy', 'true');
  element('show-all').hidden = true;
  element('folder-note').textContent = folderNote();
  const built = new Promise((resolve) => { builtAll = resolve; });
  try {
    const order = await listFolder(currentFolder(), reading.signal, (batch) => {
      if (folders.reading === reading) addBatch(batch);
    });
    if (folders.names.length === 0) folders.message = await whyEmpty(at);
    else folders.order = order;
  } catch (error) {
    if (folders.reading !== reading) return;
    folders.message = explain(error) + ' The list could not be read; try again with \u201cRead again\u201d.';
  }
  if (folders.reading !== reading) return;
  folders.complete = true;
  list.setAttribute('aria-busy', 'false');
  rebuild();
  await built;
}

// ---- The path from the disk down, and the controls around the list

// A disk is shown by its own name ("sda1"), or "/" for the root.
function diskName(root) {
  const { name } = splitLast(root);
  return name === null ? '/' : nameText(name);
}

function showPath() {
  const crumbs = [{ text: diskName(place.root), names: [] }];
  place.names.forEach((name, i) => crumbs.push({ text: nameText(name), names: place.names.slice(0, i + 1) }));
  const items = crumbs.map((crumb, i) => {
    const item = document.createElement('li');
    if (i === crumbs.length - 1) {
      const here = document.createElement('span');
      here.setAttribute('aria-current', 'location');
      here.textContent = crumb.text;
      item.appendChild(here);
    } else {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = crumb.text;
      button.addEventListener('click', () => go({ ...place, names: crumb.names }));
      item.appendChild(button);
    }
    return item;
  });
  // At the top of the disk the heading says it all.
  element('crumbs').replaceChildren(...(items.length > 1 ? items : []));
  const heading = element('list-heading');
  const shown = place.names.length > 0 ? shownName(decodeValue(place.names.at(-1)).text)
                                       : { text: diskName(place.root), label: '' };
  heading.textContent = shown.label ? `Folders in ${shown.label}` : `Folders in ${shown.text}`;
  element('up').disabled = place.names.length === 0;
}

// Shows a place: its disk's folders and status, or why there is none.
async function show(next, { focus = false } = {}) {
  const sameDisk = place !== null && next.root !== null && place.root !== null &&
                   sameBytes(next.root, place.root) && sameBytes(next.mnt, place.mnt) &&
                   String(next.base) === String(place.base);
  place = next;
  element('filter').value = '';
  folders.filter = '';
  if (!disks.mnt || !sameBytes(disks.mnt, place.mnt)) {
    try {
      await readDisks(place.mnt);
    } catch (error) {
      disks = { mnt: null, names: [] };
      if (place.root === null) return showNoDisk(explain(error));
    }
  }
  if (place.root === null) {
    if (disks.names.length === 0) {
      return showNoDisk(`No disk is plugged in: nothing is mounted in ${decodeValue(place.mnt).text}.`);
    }
    place = { ...place, root: joinPath(place.mnt, [disks.names[0].bytes]) };
    history.replaceState(null, '', urlOf(place));
  }
  showDisks();
  showPath();
  element('folders').classList.remove('no-disk');
  if (focus) element('list-heading').focus();
  const status = sameDisk ? Promise.resolve() : restartStatus();
  await Promise.all([showFolders(), status]);
}

function showNoDisk(message) {
  if (folders.reading) folders.reading.abort();
  element('folders').classList.add('no-disk');
  element('disk').replaceChildren();
  element('disk').disabled = true;
  element('crumbs').replaceChildren();
  element('list-heading').textContent = 'No disk';
  element('folder-list').replaceChildren();
  element('folder-list').setAttribute('aria-busy', 'false');
  element('show-all').hidden = true;
  element('up').disabled = true;
  element('folder-note').textContent = message;
  return restartStatus();
}

// ---- The status: read again every statusEveryMs while the page is visible

const status = {
  rows: null,       // the last rows read, or null before the first read
  readAt: null,     // when they were read
  timer: 0,
  reading: null,    // the read under way
  generation: 0,    // which disk's status the rows are
};

function showStatus() {
  if (!status.reading) status.reading = readStatus().finally(() => { status.reading = null; });
  return status.reading;
}

// Another disk: its status from nothing (a change of disk is no change of
// status to announce).
function restartStatus() {
  status.generation++;
  status.rows = null;
  status.readAt = null;
  element('status-table').tBodies[0].replaceChildren();
  element('status-changes').textContent = '';
  return (status.reading ?? Promise.resolve()).then(showStatus);
}

function tableCell(row, text, label) {
  const cell = document.createElement('td');
  cell.dataset.label = label;
  if (text !== null) cell.textContent = text;
  row.appendChild(cell);
  return cell;
}

async function readStatus() {
  const generation = status.generation;
  const summary = element('summary-text');
  if (place === null || place.root === null) {
    summary.textContent = 'No disk, so no cloud sync status.';
    element('status-note').textContent = '';
    return;
  }
  try {
    const response = await ask('cloud_status', [['action_mode', 'CLOUD_GETSTATUS'],
                                                ['BaseDir', place.base ?? place.root]]);
    const rows = [];
    await readRows(response, (batch) => rows.push(...batch.map((row) =>
      row.map((value) => decodeValue(value).text))));
    if (generation !== status.generation) return;
    const brief = rows.map(([label, , word]) => [label, word]);
    const changes = statusChanges(status.rows, brief);
    const body = document.createDocumentFragment();
    for (const [label, , word, message] of rows) {
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
      body.appendChild(row);
    }
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

function scheduleStatus() {
  clearTimeout(status.timer);
  status.timer = 0;
  if (document.hidden) return;
  status.timer = setTimeout(() => showStatus().then(scheduleStatus), statusEveryMs);
}

// ---- The configuration: "&#60" opens a line, "&#62" separates its fields;
// a line with all six shown fields ends in '/', which is no part of them.

function parseConfig(text) {
  return text.split('&#60').slice(1).map((line) => {
    const fields = line.split('&#62').map((field) => field.replace(/\r?\n$/, ''));
    if (fields.length === 6) fields[5] = fields[5].replace(/\/$/, '');
    return fields;
  });
}

async function showConfig() {
  const table = element('config-table');
  const names = [...table.tHead.rows[0].cells].map((heading) => heading.textContent);
  try {
    const response = await ask('cloud_status', [['action_mode', 'CLOUD_GETCONFIG']]);
    const lines = parseConfig(await response.text());
    const body = document.createDocumentFragment();
    for (const fields of lines) {
      const row = document.createElement('tr');
      names.forEach((name, i) => tableCell(row, fields[i] ?? '', name));
      body.appendChild(row);
    }
    table.tBodies[0].replaceChildren(body);
    element('config-note').textContent = lines.length === 0 ? 'No sync configuration.' : '';
  } catch (error) {
    element('config-note').textContent = explain(error) + ' The configuration could not be read.';
  }
}

// ---- Wiring

function start() {
  element('up').addEventListener('click', () => go({ ...place, names: place.names.slice(0, -1) }));
  element('reload').addEventListener('click', () => showFolders());
  element('folder-list').addEventListener('click', (event) => {
    const button = event.target.closest('button');
    if (!button) return;
    go({ ...place, names: [...place.names, folders.names.bytes(Number(button.dataset.index))] });
  });
  element('disk').addEventListener('change', (event) => {
    const name = disks.names[Number(event.target.value)];
    if (name) go({ mnt: place.mnt, root: joinPath(place.mnt, [name.bytes]), base: null, names: [] });
  });
  element('show-all').addEventListener('click', () => {
    folders.limit = Infinity;
    scheduleBuild();
  });
  let filterTimer = 0;
  element('filter').addEventListener('input', () => {
    clearTimeout(filterTimer);
    filterTimer = setTimeout(() => {
      folders.filter = element('filter').value.trim().toLowerCase();
      rebuild();
    }, 100);
  });
  // Back and Forward; a link to a part of the page changes no place.
  window.addEventListener('popstate', () => {
    const next = placeFromUrl();
    if (place && urlOf(next) === urlOf(place)) return;
    show(next, { focus: true });
  });
  // Hidden, the page reads nothing; shown again, it reads at once.
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      clearTimeout(status.timer);
      status.timer = 0;
    } else {
      showStatus().then(scheduleStatus);
    }
  });
  return Promise.all([show(placeFromUrl()), showConfig()]).then(scheduleStatus);
}

// The one name the page puts on the global scope: what a test waits for.
window.pageReady = start();
