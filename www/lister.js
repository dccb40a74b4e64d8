// The worker that reads and sorts a folder's listing, so that the page's
// own thread only puts rows on screen. Takes { id, path, language } to read
// and sort in the order of that language (the page's), or
// { id, stop: true }; answers { id, batch } for each batch of names, then
// { id, order } or { id, failure } (a kind of failures.js).
import { ReadFailure, failures } from './failures.js';
import { readListing } from './reading.js';

let reading = null;
self.addEventListener('message', ({ data }) => {
  reading?.abort();
  reading = null;
  if (data.stop) return;
  const controller = new AbortController();
  reading = controller;
  const { id } = data;
  const onBatch = (batch) => self.postMessage({ id, batch }, [batch.bytes.buffer, batch.ends.buffer]);
  readListing(data.path, { signal: controller.signal, onBatch, language: data.language }).then((order) => {
    if (!controller.signal.aborted) self.postMessage({ id, order }, [order.buffer]);
  }, (error) => {
    if (controller.signal.aborted) return;
    self.postMessage({ id, failure: error instanceof ReadFailure ? error.kind : failures.unreadable });
  });
});
