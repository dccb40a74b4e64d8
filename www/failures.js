// What can go wrong when the page asks the device, as values: a reader
// throws a ReadFailure of one kind, a worker posts the kind, and the page
// shows the kind's sentence.
import { text } from './i18n.js';

export const failures = Object.freeze({
  noAnswer: 'noAnswer',         // no connection, or an answer that is no answer
  login: 'login',               // 401: the login has run out
  forbidden: 'forbidden',       // 403
  missing: 'missing',           // 404: the program is not where the page asks
  refusedBytes: 'refusedBytes', // 400 for an address holding bytes lighttpd never takes
  refused: 'refused',           // any other 400
  cut: 'cut',                   // the answer stopped half-way
  unreadable: 'unreadable',     // the answer is not what the program writes
});

export class ReadFailure extends Error {
  constructor(kind) {
    super(kind);
    this.kind = kind;
  }
}

// What the owner is told, by kind: the text failure.KIND of the catalogue.
export function failureSentence(kind) {
  return text('failure.' + (Object.values(failures).includes(kind) ? kind : failures.noAnswer));
}

// The sentence for whatever a read threw.
export function explain(error) {
  return failureSentence(error instanceof ReadFailure ? error.kind : failures.noAnswer);
}

// A byte that is never part of UTF-8: C0, C1, F5 to FF. lighttpd refuses an
// address holding one (such as \u00fc in Latin-1, the byte FC), even
// percent-encoded.
export function holdsRefusedByte(bytes) {
  return bytes.some((byte) => byte === 0xc0 || byte === 0xc1 || byte >= 0xf5);
}

// The failure an HTTP status stands for (null for success), given the bytes
// of the values the request sent.
export function failureOfStatus(status, values) {
  if (status >= 200 && status < 300) return null;
  if (status === 401) return failures.login;
  if (status === 403) return failures.forbidden;
  if (status === 404) return failures.missing;
  if (status === 400) return values.some(holdsRefusedByte) ? failures.refusedBytes : failures.refused;
  return failures.noAnswer;
}
