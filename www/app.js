// The device page: the folders of a disk, from mount_folders; the cloud
// sync status, read again every few seconds while the page is visible, and
// the configuration, from cloud_status. Names are bytes from a stranger's
// disk: they go into the page as text, never as markup, and back to the
// device as the very bytes they were. This module puts the parts together
// and moves the page from place to place.
import { showConfig } from './config.js';
import { disksRead, firstDisk, readDisks, showDisks, showNoDisks, startDisks } from './disks.js';
import { element } from './dom.js';
import { explain } from './failures.js';
import { clearFilter, showFolders, startFolders, stopFolders } from './folders.js';
import { addressOf, mountText, placeOf, sameDisk, showNoPath, showPath } from './place.js';
import { restartStatus, scheduleStatus, startStatus } from './status-panel.js';

let place = null;

// Goes to another folder or disk: a new entry in the browser's history.
function go(next) {
  history.pushState(null, '', addressOf(next));
  return show(next, { focus: true });
}

// Shows a place: its disk's folders and status, or why there is none.
async function show(next, { focus = false } = {}) {
  const keepStatus = sameDisk(place, next);
  place = next;
  clearFilter();
  if (!disksRead(place.mnt)) {
    try {
      await readDisks(place.mnt);
    } catch (error) {
      if (place.root === null) return showNoDisk(explain(error));
    }
  }
  if (place.root === null) {
    const root = firstDisk();
    if (root === null) return showNoDisk(`No disk is plugged in: nothing is mounted in ${mountText(place)}.`);
    place = { ...place, root };
    history.replaceState(null, '', addressOf(place));
  }
  showDisks(place.root);
  showPath(place, (names) => go({ ...place, names }));
  element('folders').classList.remove('no-disk');
  if (focus) element('list-heading').focus();
  const status = keepStatus ? Promise.resolve() : restartStatus(place.base ?? place.root);
  await Promise.all([showFolders(place), status]);
}

function showNoDisk(message) {
  stopFolders();
  element('folders').classList.add('no-disk');
  showNoDisks();
  showNoPath();
  element('folder-list').replaceChildren();
  element('folder-list').setAttribute('aria-busy', 'false');
  element('show-all').hidden = true;
  element('folder-note').textContent = message;
  return restartStatus(null);
}

function start() {
  element('up').addEventListener('click', () => go({ ...place, names: place.names.slice(0, -1) }));
  startFolders((name) => go({ ...place, names: [...place.names, name] }), () => showFolders(place));
  startDisks((root) => go({ mnt: place.mnt, root, base: null, names: [] }));
  startStatus();
  // Back and Forward; a link to a part of the page changes no place.
  window.addEventListener('popstate', () => {
    const next = placeOf(location.search);
    if (place && addressOf(next) === addressOf(place)) return;
    show(next, { focus: true });
  });
  return Promise.all([show(placeOf(location.search)), showConfig()]).then(scheduleStatus);
}

// The one name the page puts on the global scope: what a test waits for.
window.pageReady = start();
