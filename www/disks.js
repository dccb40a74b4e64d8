// The disk chooser: the folders of the mount folder, each a disk.
import { decodeValue, sameBytes } from './bytes.js';
import { element } from './dom.js';
import { joinPath, shownNameOfBytes } from './names.js';
import { nameOrder, readRows } from './reading.js';

// The disks in the mount folder, as read last (names), and for which one.
let disks = { mnt: null, names: [] };

// Whether the disks of mnt are read.
export function disksRead(mnt) {
  return disks.mnt !== null && sameBytes(disks.mnt, mnt);
}

// Reads the disks of mnt; on failure, none are known.
export async function readDisks(mnt) {
  const names = [];
  const onRows = (rows) => {
    for (const [name] of rows) if (name !== undefined) names.push(decodeValue(name));
  };
  try {
    await readRows('mount_folders', [['action_mode', mnt]], { onRows, sliceMs: 8 });
  } catch (error) {
    disks = { mnt: null, names: [] };
    throw error;
  }
  const order = nameOrder(names.map((name) => name.text));
  disks = { mnt, names: [...order].map((index) => names[index]) };
}

// The path of the first disk, or null when there is none.
export function firstDisk() {
  return disks.names.length > 0 ? joinPath(disks.mnt, [disks.names[0].bytes]) : null;
}

// A choice of the chooser. An option's text has its runs of spaces folded
// into one when it is drawn, so inside a name they are marked too.
function diskOption(bytes, value) {
  const { text, label } = shownNameOfBytes(bytes);
  const option = new Option(text.replace(/ {2,}/g, (run) => '\u2423'.repeat(run.length)), value);
  if (label) option.setAttribute('aria-label', label);
  return option;
}

// The chooser, with the disk of root chosen.
export function showDisks(root) {
  const select = element('disk');
  const options = disks.names.map((name, index) => {
    const option = diskOption(name.bytes, String(index));
    option.selected = root !== null && sameBytes(joinPath(disks.mnt, [name.bytes]), root);
    return option;
  });
  if (root !== null && !options.some((option) => option.selected)) {
    // A disk named by the URL, elsewhere than the mount folder.
    const option = diskOption(root, '');
    option.defaultSelected = option.selected = true;
    options.unshift(option);
  }
  select.replaceChildren(...options);
  select.disabled = options.length < 2;
}

// Clears the chooser: there is no disk.
export function showNoDisks() {
  element('disk').replaceChildren();
  element('disk').disabled = true;
}

// A change of disk gives the chosen disk's path to choose.
export function startDisks(choose) {
  element('disk').addEventListener('change', (event) => {
    const name = disks.names[Number(event.target.value)];
    if (name) choose(joinPath(disks.mnt, [name.bytes]));
  });
}
