// Reads a folder listing: the row list as it streams in, its names in
// batches, and once read, the order of the names by name (a collator takes
// more than a second over 200,000 long names). The page runs it in a worker
// of its own, so that its own thread only puts rows on screen, or, should no
// worker start, itself.
import { RowListReader } from './rows.js';

const collator = new Intl.Collator('en', { numeric: true, sensitivity: 'base' });
const strict = new TextDecoder('utf-8', { fatal: true });
const lenient = new TextDecoder('utf-8');
// A batch goes out after this long, or this many names.
const batchMs = 16;
const batchNames = 5000;

// Why a listing could not be read: "no answer", "login", "refused" (the web
// server refused the address), "cut" or "unreadable".
export class ListingTrouble extends Error {}

function isUtf8(bytes) {
  try {
    strict.decode(bytes);
    return true;
  } catch {
    return false;
  }
}

// Reads the listing at url, handing each batch of names as they came to
// onBatch({ bytes, ends, invalid }): their bytes, each followed by a NUL (no
// name holds one, so a whole batch decodes at once), where each ends, and
// the indexes of those that are not UTF-8. Resolves with the indexes of all
// names in order by name: case and accents folded, numbers by value (IMG_2
// before IMG_10), names equal so by their characters, then as they came.
export async function readListing(url, signal, onBatch) {
  let response;
  try {
    response = await fetch(url, { cache: 'no-store', signal });
  } catch (error) {
    if (signal.aborted) throw error;
    throw new ListingTrouble('no answer');
  }
  if (response.status === 401) throw new ListingTrouble('login');
  if (response.status === 400) throw new ListingTrouble('refused');
  if (!response.ok) throw new ListingTrouble('no answer');
  const rows = new RowListReader();
  const body = response.body.getReader();
  const all = [];
  let batch = new Uint8Array(1 << 20);
  let size = 0;
  let ends = [];
  let sentAt = performance.now();
  const send = () => {
    const bytes = batch.slice(0, size);
    const texts = lenient.decode(bytes).split('\0');
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
  for (;;) {
    let piece;
    try {
      piece = await body.read();
    } catch (error) {
      if (signal.aborted) throw error;
      throw new ListingTrouble('cut');
    }
    if (piece.done) break;
    let got;
    try {
      got = rows.push(piece.value);
    } catch {
      throw new ListingTrouble('unreadable');
    }
    for (const [name] of got) {
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
  }
  try {
    rows.finish();
  } catch {
    throw new ListingTrouble('cut');
  }
  if (ends.length > 0) send();
  const order = new Uint32Array(all.length);
  for (let i = 0; i < order.length; i++) order[i] = i;
  return order.sort((a, b) => collator.compare(all[a], all[b]) ||
                              (all[a] < all[b] ? -1 : all[a] > all[b] ? 1 : a - b));
}

// In a worker: takes { id, url } to read, or { id, stop: true }; answers
// { id, batch } for each batch, then { id, order } or { id, trouble }.
if (typeof WorkerGlobalScope !== 'undefined' && self instanceof WorkerGlobalScope) {
  let reading = null;
  self.addEventListener('message', ({ data }) => {
    reading?.abort();
    reading = null;
    if (data.stop) return;
    const controller = new AbortController();
    reading = controller;
    const { id } = data;
    readListing(data.url, controller.signal, (batch) => {
      self.postMessage({ id, batch }, [batch.bytes.buffer, batch.ends.buffer]);
    }).then((order) => {
      if (!controller.signal.aborted) self.postMessage({ id, order }, [order.buffer]);
    }, (error) => {
      if (controller.signal.aborted) return;
      self.postMessage({ id, trouble: error instanceof ListingTrouble ? error.message : 'unreadable' });
    });
  });
}
