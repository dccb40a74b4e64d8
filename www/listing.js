// A folder's listing, for the page's own thread: read, and sorted once
// read, by the worker lister.js, so that this thread only puts rows on
// screen; should no worker start, read here.
import { sameBytes } from './bytes.js';
import { ReadFailure } from './failures.js';
import { languageShown } from './i18n.js';
import { readListing, readRows } from './reading.js';

// Work done here in one go, when no worker reads, before the browser gets
// a turn to draw and answer.
const sliceMs = 8;

let lister = null; // the worker; false when none starts
let listings = 0;

// Reads the listing of path, handing each batch of names to onBatch as it
// comes; resolves with their order by name once all are read.
export function listFolder(path, signal, onBatch) {
  const here = () => readListing(path, { signal, onBatch, sliceMs });
  if (lister === null) {
    try {
      lister = new Worker('lister.js', { type: 'module' });
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
      if (data.failure) reject(new ReadFailure(data.failure));
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
    worker.postMessage({ id, path, language: languageShown() });
  });
}

// Whether folder lists name; stops reading as soon as it is found.
export async function folderListed(folder, name) {
  const reading = new AbortController();
  let found = false;
  const onRows = (rows) => {
    if (!found && rows.some(([each]) => each !== undefined && sameBytes(each, name))) {
      found = true;
      reading.abort();
    }
  };
  try {
    await readRows('mount_folders', [['action_mode', folder]], { signal: reading.signal, onRows, sliceMs });
  } catch (error) {
    if (!found) throw error;
  }
  return found;
}
