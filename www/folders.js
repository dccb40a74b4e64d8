// The folder list: the sub-folders of the page's place, first as they come,
// then sorted, narrowed by the filter. Rows are added between frames, a
// slice at a time, so a huge folder never holds the page.
import { element } from './dom.js';
import { explain } from './failures.js';
import { text } from './i18n.js';
import { folderListed, listFolder } from './listing.js';
import { NameList, joinPath, shownName, splitLast } from './names.js';

// Folders shown at once; "Show all" adds the rest.
const firstFolders = 500;
// Rows go into blocks of this many, which the browser skips as a whole while
// they are out of view: a list of 200,000 costs a frame what 400 blocks do.
const rowsPerBlock = 500;
// Work done in one go before the browser gets a turn to draw and answer.
const sliceMs = 8;

// Every name read, the order they are shown in (as read until the folder
// is read whole, then sorted), and which of them pass the filter.
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
  builtAll: () => {}, // resolves what showFolders waits for
};

function matchesFilter(index) {
  return folders.filter === '' || folders.names.text(index).toLowerCase().includes(folders.filter);
}

function folderNote() {
  const count = folders.names.length;
  if (!folders.complete) return text('readingFolder', { count });
  if (folders.message) return folders.message;
  if (folders.filter !== '') return text('filterMatches', { shown: folders.shown.length, total: count });
  return text('folderCount', { count });
}

function folderButton(index) {
  const shown = shownName(folders.names.text(index));
  const button = document.createElement('button');
  button.type = 'button';
  button.dataset.index = index;
  const name = document.createElement('bdi');
  name.textContent = shown.text;
  button.appendChild(name);
  if (shown.label) button.setAttribute('aria-label', shown.label);
  if (!folders.names.valid(index)) button.title = text('nameNotText');
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
  more.textContent = text('showAll', { count: folders.shown.length });
  element('folder-note').textContent = folderNote();
  if (folders.built < end) scheduleBuild();
  else if (folders.complete) folders.builtAll();
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

// Why a folder lists nothing: it has no folders, it is not there (any
// more), or its disk is gone. The program answers all of them alike, so
// the folder above is asked whether it holds this one.
async function whyEmpty(at) {
  if (at.names.length > 0 && await folderListed(joinPath(at.root, at.names.slice(0, -1)), at.names.at(-1))) {
    return text('emptyFolder');
  }
  const disk = splitLast(at.root);
  if (disk.name !== null && !(await folderListed(disk.folder, disk.name))) {
    return text('diskGone');
  }
  return text(at.names.length > 0 ? 'folderGone' : 'emptyDisk');
}

// Reads the folder of place at and lists its sub-folders, first as they
// come, then sorted; resolves once what may be shown is built.
export async function showFolders(at) {
  stopFolders();
  const reading = new AbortController();
  Object.assign(folders, { names: new NameList(), order: null, shown: [], built: 0, limit: firstFolders,
                           complete: false, reading, frame: 0, message: '' });
  const list = element('folder-list');
  list.replaceChildren();
  list.setAttribute('aria-busy', 'true');
  element('show-all').hidden = true;
  element('folder-note').textContent = folderNote();
  const built = new Promise((resolve) => { folders.builtAll = resolve; });
  try {
    const order = await listFolder(joinPath(at.root, at.names), reading.signal, (batch) => {
      if (folders.reading === reading) addBatch(batch);
    });
    if (folders.names.length === 0) folders.message = await whyEmpty(at);
    else folders.order = order;
  } catch (error) {
    if (folders.reading !== reading) return;
    folders.message = text('listUnreadable', { trouble: explain(error), button: text('readAgain') });
  }
  if (folders.reading !== reading) return;
  folders.complete = true;
  list.setAttribute('aria-busy', 'false');
  rebuild();
  await built;
}

// Stops reading the list (there is no disk to list).
export function stopFolders() {
  folders.reading?.abort();
  folders.reading = null;
  cancelAnimationFrame(folders.frame);
  folders.frame = 0;
}

export function clearFilter() {
  element('filter').value = '';
  folders.filter = '';
}

// The controls of the list: a click on a folder gives its name's bytes to
// open.
export function startFolders(open, readAgain) {
  element('reload').addEventListener('click', readAgain);
  element('folder-list').addEventListener('click', (event) => {
    const button = event.target.closest('button');
    if (button) open(folders.names.bytes(Number(button.dataset.index)));
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
}
