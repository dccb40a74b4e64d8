// Where the page is: the mount folder, the disk, the folders below it, and
// the language it was asked for. It lives in the page's query, so Back,
// reload and bookmarks work; the page puts nothing but its query into the
// history, whatever path it was opened at.
import { lenientText, percentEncode, queryParameters, sameBytes, utf8 } from './bytes.js';
import { element } from './dom.js';
import { matchLanguage, text } from './i18n.js';
import { folderNames, joinPath, normalPath, shownBytes, shownNameOfBytes, splitLast } from './names.js';

// Where the device mounts its disks, one folder each, unless ?mnt= says.
const defaultMountFolder = '/tmp/mnt';

// The language a query string asks for, as written, or null.
export function languageAsked(search) {
  const parameters = queryParameters(search);
  return parameters.has('lang') ? lenientText(parameters.get('lang')) : null;
}

// The place a query string ("?mnt=...&root=...") names: mnt the mount
// folder, root the disk (null: the first disk), base the status's BaseDir
// as written (null: the disk), names the folders below the disk; lang the
// language asked for, as the page's code (null: none, or one the page lacks).
export function placeOf(search) {
  const parameters = queryParameters(search);
  const asked = languageAsked(search);
  return {
    lang: asked === null ? null : matchLanguage(asked),
    mnt: normalPath(parameters.get('mnt') ?? utf8(defaultMountFolder)),
    root: parameters.has('root') ? normalPath(parameters.get('root')) : null,
    base: parameters.get('base') ?? null,
    names: folderNames(parameters.get('path') ?? new Uint8Array(0)),
  };
}

// The address of a place, relative to the page: '?' and its query.
export function addressOf(at) {
  const query = [];
  if (at.lang) query.push('lang=' + at.lang);
  if (!sameBytes(at.mnt, utf8(defaultMountFolder))) query.push('mnt=' + percentEncode(at.mnt));
  if (at.root) query.push('root=' + percentEncode(at.root));
  if (at.base) query.push('base=' + percentEncode(at.base));
  if (at.names.length > 0) query.push('path=' + percentEncode(joinPath(utf8('/'), at.names).slice(1)));
  return '?' + query.join('&');
}

// Whether two places show the same disk and the same status.
export function sameDisk(a, b) {
  return a !== null && a.root !== null && b.root !== null && sameBytes(a.root, b.root) &&
         sameBytes(a.mnt, b.mnt) && String(a.base) === String(b.base);
}

// A disk is shown by its own name ("sda1"), or "/" for the root.
function diskName(root) {
  const { name } = splitLast(root);
  return name === null ? { text: '/', label: '' } : shownNameOfBytes(name);
}

// The path from the disk down, each folder above a button that gives the
// names of the place it opens to go; the heading of the list; Up.
export function showPath(at, go) {
  const crumbs = [{ ...diskName(at.root), names: [] }];
  at.names.forEach((name, i) => crumbs.push({ ...shownNameOfBytes(name), names: at.names.slice(0, i + 1) }));
  const items = crumbs.map((crumb, i) => {
    const item = document.createElement('li');
    if (i === crumbs.length - 1) {
      const here = document.createElement('span');
      here.setAttribute('aria-current', 'location');
      here.textContent = crumb.text;
      if (crumb.label) here.setAttribute('aria-label', crumb.label);
      item.appendChild(here);
    } else {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = crumb.text;
      if (crumb.label) button.setAttribute('aria-label', crumb.label);
      button.addEventListener('click', () => go(crumb.names));
      item.appendChild(button);
    }
    return item;
  });
  // At the top of the disk the heading says it all.
  element('crumbs').replaceChildren(...(items.length > 1 ? items : []));
  const shown = at.names.length > 0 ? shownNameOfBytes(at.names.at(-1))
                                    : diskName(at.root);
  element('list-heading').textContent = text('listHeading', { name: shown.label || shown.text });
  element('up').disabled = at.names.length === 0;
}

// No disk to show: no path, and the heading says so.
export function showNoPath() {
  element('crumbs').replaceChildren();
  element('list-heading').textContent = text('noDiskHeading');
  element('up').disabled = true;
}

// The mount folder as text, for a sentence.
export function mountText(at) {
  return shownBytes(at.mnt);
}
