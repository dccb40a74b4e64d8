// What can go wrong when the page asks the device, as values: a reader
// throws a ReadFailure of one kind, a worker posts the kind, and the page
// shows the kind's sentence.

export const failures = Object.freeze({
  noAnswer: 'no answer',       // no connection, or an answer that is no answer
  login: 'login',              // 401: the login has run out
  forbidden: 'forbidden',      // 403
  missing: 'missing',          // 404: the program is not where the page asks
  refusedBytes: 'refused bytes', // 400 for an address holding bytes lighttpd never takes
  refused: 'refused',          // any other 400
  cut: 'cut',                  // the answer stopped half-way
  unreadable: 'unreadable',    // the answer is not what the program writes
});

export class ReadFailure extends Error {
  constructor(kind) {
    super(kind);
    this.kind = kind;
  }
}

// What the owner is told, by kind.
const sentences = {
  [failures.noAnswer]: 'The device does not answer.',
  [failures.login]: 'The device asks for the password again: reload the page to log in.',
  [failures.forbidden]: 'The device does not let this page ask it: its web server forbids the request.',
  [failures.missing]: 'The device does not have what this page asks for: the package may not be ' +
                      'installed completely.',
  // lighttpd refuses an address holding a byte that is never part of UTF-8
  // (such as \u00fc in Latin-1, the byte FC), even percent-encoded.
  [failures.refusedBytes]: 'The web server refuses to ask for this folder: its name, or a name above ' +
                           'it, holds bytes that are not text.',
  [failures.refused]: 'The device refused the request.',
  [failures.cut]: 'The device stopped answering while it was being read.',
  [failures.unreadable]: 'The device\u2019s answer could not be read.',
};

export function failureSentence(kind) {
  return sentences[kind] ?? sentences[failures.noAnswer];
}

// The sentence for whatever a read threw.
export function explain(error) {
  return failureSentence(error instanceof ReadFailure ? error.kind : failures.noAnswer);
}

// A byte that is never part of UTF-8: C0, C1, F5 to FF.
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
