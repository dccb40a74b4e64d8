// The device page: the folders of a disk, from mount_folders; the cloud
// sync status, read again every few seconds while the page is visible, and
// the configuration, from cloud_status. Names are bytes from a stranger's
// disk: they go into the page as text, never as markup, and back to the
// device as the very bytes they were. This module puts the parts together
// and moves the page from place to place, in the owner's language.
import { showConfig } from './config.js';
import { disksRead, firstDisk, readDisks, showDisks, showNoDisks, startDisks } from './disks.js';
import { element } from './dom.js';
import { explain } from './failures.js';
import { clearFilter, showFolders, startFolders, stopFolders } from './folders.js';
import { chooseLanguage, fillTexts, loadLanguage, text } from './i18n.js';
import { addressOf, languageAsked, mountText, placeOf, sameDisk, showNoPath, showPath } from './place.js';
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
    if (root === null) return showNoDisk(text('noDisk', { folder: mountText(place) }));
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

// The page in the owner's language, before it shows: the language the
// address asks for, else the browser's first that the page has. The address
// keeps the language as the page's code (zh-TW becomes zh-Hans); one the
// page lacks goes from it.
async function showLanguage() {
  const asked = languageAsked(location.search);
  const { code, kept } = chooseLanguage(asked, navigator.languages ?? [navigator.language]);
  document.documentElement.lang = await loadLanguage(code);
  fillTexts(document);
  document.body.hidden = false;
  if (asked !== null && asked !== kept) history.replaceState(null, '', addressOf(placeOf(location.search)));
}

async function start() {
  await showLanguage();
  element('up').addEventListener('click', () => go({ ...place, names: place.names.slice(0, -1) }));
  startFolders((name) => go({ ...place, names: [...place.names, name] }), () => showFolders(place));
  startDisks((root) => go({ lang: place.lang, mnt: place.mnt, root, base: null, names: [] }));
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
