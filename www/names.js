// Folder names and paths as the page shows and sends them. A path is bytes
// (a disk's names need not be UTF-8): the disk's own path, and the names of
// the folders below it.
import { decodeValue, lenientText, utf8 } from './bytes.js';
import { text as pageText } from './i18n.js';

const SLASH = 0x2f;

// Characters that cannot be seen, or that change how text around them is
// ordered or broken into lines: every control and format character and
// every one Unicode names default-ignorable. In a name each is shown, so
// that "invoice\u202Efdp.exe" cannot pass for "invoiceexe.pdf", nor
// "Photos\u3164" for "Photos".
const unseen = '\\p{Default_Ignorable_Code_Point}\\p{Cc}\\p{Cf}\\u2028\\u2029';
// Those, and spaces at either end of a name, which cannot be seen there.
const markedPattern = new RegExp(`^[\\p{Zs}${unseen}]+|[\\p{Zs}${unseen}]+$|[${unseen}]`, 'gu');
const wholeNamePattern = new RegExp(`^[\\p{Zs}${unseen}]*$`, 'u');
const symbols = { ' ': '\u2423', '\t': '\u21e5', '\n': '\u21b5', '\r': '\u21b5' };
const shortNames = {
  '\u00a0': 'NBSP', '\u00ad': 'SHY', '\u061c': 'ALM', '\u200b': 'ZWSP', '\u200c': 'ZWNJ',
  '\u200d': 'ZWJ', '\u200e': 'LRM', '\u200f': 'RLM', '\u202a': 'LRE', '\u202b': 'RLE',
  '\u202c': 'PDF', '\u202d': 'LRO', '\u202e': 'RLO', '\u2060': 'WJ', '\u2066': 'LRI',
  '\u2067': 'RLI', '\u2068': 'FSI', '\u2069': 'PDI', '\ufeff': 'BOM',
};

function marked(character) {
  if (symbols[character]) return symbols[character];
  const name = shortNames[character] ??
    'U+' + character.codePointAt(0).toString(16).toUpperCase().padStart(4, '0');
  return `\u27e8${name}\u27e9`;
}

// How a name is shown: the text, each unseen character marked (a symbol
// for a space, a tab or a line end, else its short name or code point in
// angle brackets), and a label for a screen reader when nothing else of the
// name can be seen (only marked characters, or none). The label holds what
// is shown, so that what one sees is what one can say to choose it.
export function shownName(text) {
  const shown = text.replace(markedPattern, (run) => [...run].map(marked).join(''));
  if (!wholeNamePattern.test(text)) return { text: shown, label: '' };
  const count = [...text].length;
  if (count === 0) return { text: '\u2205', label: pageText('blankNameEmpty') };
  return { text: shown, label: pageText('blankName', { count, shown }) };
}

// How a name's bytes are shown, and its label where it shows nothing.
export function shownNameOfBytes(bytes) {
  return shownName(decodeValue(bytes).text);
}

// How a name's bytes are shown.
export function shownBytes(bytes) {
  return shownNameOfBytes(bytes).text;
}

// A path as written in a URL or by hand: '/' runs and '.' folded, '..'
// taken back, a trailing '/' dropped. Never above '/'.
export function normalPath(bytes) {
  return joinPath(utf8('/'), folderNames(bytes));
}

// The folder names a path is made of, '.' and '..' taken as they go: never
// above where it starts.
export function folderNames(bytes) {
  const parts = [];
  for (const part of splitBytes(bytes)) {
    if (isDots(part, 2)) parts.pop();
    else if (!isDots(part, 1)) parts.push(part);
  }
  return parts;
}

// The non-empty pieces between '/'.
function splitBytes(bytes) {
  const parts = [];
  let start = 0;
  for (let i = 0; i <= bytes.length; i++) {
    if (i === bytes.length || bytes[i] === SLASH) {
      if (i > start) parts.push(bytes.slice(start, i));
      start = i + 1;
    }
  }
  return parts;
}

function isDots(part, count) {
  return part.length === count && part.every((byte) => byte === 0x2e);
}

// base with each name below it.
export function joinPath(base, names) {
  const pieces = [base.length === 1 && base[0] === SLASH ? new Uint8Array(0) : base];
  for (const name of names) pieces.push(Uint8Array.of(SLASH), name);
  const joined = new Uint8Array(pieces.reduce((size, piece) => size + piece.length, 0));
  let at = 0;
  for (const piece of pieces) {
    joined.set(piece, at);
    at += piece.length;
  }
  return joined.length === 0 ? Uint8Array.of(SLASH) : joined;
}

// The folder a normal path lies in, and its own name (null for '/').
export function splitLast(path) {
  const cut = path.lastIndexOf(SLASH);
  if (path.length <= 1) return { folder: path, name: null };
  return { folder: cut === 0 ? Uint8Array.of(SLASH) : path.slice(0, cut), name: path.slice(cut + 1) };
}

// The names of a listing, kept in the batches they came in (see
// listing.js): a folder of 200,000 costs the page a few dozen objects, not
// 200,000, and a batch is decoded only once one of its names is shown or
// filtered.
export class NameList {
  constructor() {
    this.batches = [];
    this.starts = []; // the index of each batch's first name
    this.length = 0;
  }

  add({ bytes, ends, invalid }) {
    this.batches.push({ bytes, ends, invalid: new Set(invalid), texts: null });
    this.starts.push(this.length);
    this.length += ends.length;
  }

  // The batch that holds name index, and where in it.
  locate(index) {
    let low = 0;
    let high = this.starts.length - 1;
    while (low < high) {
      const middle = (low + high + 1) >> 1;
      if (this.starts[middle] <= index) low = middle;
      else high = middle - 1;
    }
    return [this.batches[low], index - this.starts[low]];
  }

  // The name as text: U+FFFD for each byte that is not UTF-8.
  text(index) {
    const [batch, i] = this.locate(index);
    batch.texts ??= lenientText(batch.bytes).split('\0');
    return batch.texts[i];
  }

  bytes(index) {
    const [batch, i] = this.locate(index);
    return batch.bytes.subarray(i === 0 ? 0 : batch.ends[i - 1] + 1, batch.ends[i]);
  }

  valid(index) {
    const [batch, i] = this.locate(index);
    return !batch.invalid.has(i);
  }
}
