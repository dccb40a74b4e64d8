// Reads a program's rows for every part of the page: the disk chooser, the
// folder list and the status. It touches no document, so the worker that
// reads and sorts a folder's listing (lister.js) runs it as the page does.
import { decodeValue, isUtf8, lenientText, percentEncode, utf8 } from './bytes.js';
import { ReadFailure, failureOfStatus, failures } from './failures.js';
import { languageShown, nameCollator } from './i18n.js';
import { RowListReader } from './rows.js';

// Bytes of a body read at once: a piece may be megabytes.
const readSlice = 65536;
// A batch of names goes out after this long, or this many names.
const batchMs = 16;
const batchNames = 5000;

// A program's URL; each value of query ([name, value] pairs) is text or bytes.
export function programUrl(program, query) {
  return '/cgi-bin/' + program + '?' + query.map(([name, value]) => name + '=' + percentEncode(valueBytes(value)))
    .join('&');
}

function valueBytes(value) {
  return typeof value === 'string' ? utf8(value) : value;
}

// Gives the thread a turn: what waits (drawing, a click, a key) goes first.
function nextTurn() {
  return new Promise((resolve) => setTimeout(resolve, 0));
}

// Asks program: its answer, or a ReadFailure, or the AbortError of signal.
async function ask(program, query, signal) {
  let response;
  try {
    response = await fetch(programUrl(program, query), { cache: 'no-store', signal });
  } catch (error) {
    if (signal?.aborted) throw error;
    throw new ReadFailure(failures.noAnswer);
  }
  const failure = failureOfStatus(response.status, query.map(([, value]) => valueBytes(value)));
  if (failure) throw new ReadFailure(failure);
  return response;
}

// The answer of program as text (the configuration is no row list).
export async function readText(program, query) {
  const response = await ask(program, query);
  try {
    return decodeValue(new Uint8Array(await response.arrayBuffer())).text;
  } catch {
    throw new ReadFailure(failures.cut);
  }
}

// Asks program and hands each batch of complete rows (arrays of values,
// each a Uint8Array of its bytes) to onRows as the body streams in; with
// sliceMs, gives the thread a turn every sliceMs. Throws a ReadFailure, or
// the AbortError of signal.
export async function readRows(program, query, { signal, onRows, sliceMs = Infinity }) {
  const response = await ask(program, query, signal);
  const rows = new RowListReader();
  const body = response.body.getReader();
  let turn = performance.now();
  for (;;) {
    let piece;
    try {
      piece = await body.read();
    } catch (error) {
      if (signal?.aborted) throw error;
      throw new ReadFailure(failures.cut);
    }
    if (piece.done) break;
    for (let at = 0; at < piece.value.length; at += readSlice) {
      let got;
      try {
        got = rows.push(piece.value.subarray(at, at + readSlice));
      } catch {
        throw new ReadFailure(failures.unreadable);
      }
      onRows(got);
      if (performance.now() - turn > sliceMs) {
        await nextTurn();
        turn = performance.now();
      }
    }
  }
  try {
    rows.finish();
  } catch {
    throw new ReadFailure(failures.cut);
  }
}

// The indexes of texts in order by name, in the order of language (the
// page's): case and accents folded, numbers by value (IMG_2 before IMG_10),
// names equal so by their characters, then as they came.
export function nameOrder(texts, language = languageShown()) {
  const collator = nameCollator(language);
  const order = new Uint32Array(texts.length);
  for (let i = 0; i < order.length; i++) order[i] = i;
  return order.sort((a, b) => collator.compare(texts[a], texts[b]) ||
                              (texts[a] < texts[b] ? -1 : texts[a] > texts[b] ? 1 : a - b));
}

// Reads the sub-folders of path (bytes), handing each batch of names as
// they came to onBatch({ bytes, ends, invalid }): their bytes, each followed
// by a NUL (no name holds one, so a whole batch decodes at once), where each
// ends, and the indexes of those that are not UTF-8. Resolves with the
// indexes of all names in order by name, in the order of language (the
// page's when not given).
export async function readListing(path, { signal, onBatch, sliceMs, language }) {
  const all = [];
  let batch = new Uint8Array(1 << 20);
  let size = 0;
  let ends = [];
  let sentAt = performance.now();
  const send = () => {
    const bytes = batch.slice(0, size);
    const texts = lenientText(bytes).split('\0');
    texts.pop(); // what follows the last NUL
    for (const text of texts) all.push(text);
    const invalid = [];
    if (texts.some((text) => text.includes('\ufffd'))) {
      let start = 0;
      ends.forEach((end, i) => {
        if (!isUtf8(bytes.subarray(start, end))) invalid.push(i);
        start = end + 1;
      });
    }
    onBatch({ bytes, ends: Uint32Array.from(ends), invalid });
    size = 0;
    ends = [];
    sentAt = performance.now();
  };
  const onRows = (rows) => {
    for (const [name] of rows) {
      if (name === undefined) continue; // a row without a value names nothing
      if (size + name.length + 1 > batch.length) {
        const grown = new Uint8Array(Math.max(batch.length * 2, size + name.length + 1));
        grown.set(batch.subarray(0, size));
        batch = grown;
      }
      batch.set(name, size);
      size += name.length;
      ends.push(size);
      batch[size++] = 0;
    }
    if (ends.length >= batchNames || (ends.length > 0 && performance.now() - sentAt > batchMs)) send();
  };
  await readRows('mount_folders', [['action_mode', path]], { signal, onRows, sliceMs });
  if (ends.length > 0) send();
  return nameOrder(all, language);
}
