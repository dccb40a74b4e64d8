// Reads a row list (the body of mount_folders or of a status report) from
// its bytes, as they arrive: rows joined by ',', each ["value",...], the
// values JSON string content. The programs write every byte from 0x80 up as
// it is, so a value is read as bytes and each escape is turned back into
// its bytes: a folder name that is not UTF-8 keeps its own bytes, and can be
// sent back to open it.
import { hexValue } from './bytes.js';

const QUOTE = 0x22;
const BACKSLASH = 0x5c;
const simpleEscapes = { 0x22: 0x22, 0x5c: 0x5c, 0x2f: 0x2f, 0x62: 0x08, 0x66: 0x0c, 0x6e: 0x0a,
                        0x72: 0x0d, 0x74: 0x09 };

function isSpace(byte) {
  return byte === 0x20 || byte === 0x0a || byte === 0x0d || byte === 0x09;
}

function indexOf(bytes, byte, from) {
  const at = bytes.indexOf(byte, from);
  return at < 0 ? bytes.length : at;
}

// Where the reader is between two bytes.
const between = 0;     // outside a row: ',' or '[' next
const rowStart = 1;    // after '[': a value or ']'
const inValue = 2;
const escape = 3;      // after '\'
const unicode = 4;     // in the four digits of \uXXXX
const afterValue = 5;  // ',' or ']' next
const nextValue = 6;   // after ',' in a row: a value

export class RowListReader {
  constructor() {
    this.state = between;
    this.value = new Uint8Array(256);
    this.length = 0;      // bytes of the value being read
    this.row = [];        // values of the row being read
    this.digits = 0;      // of \uXXXX read so far
    this.unit = 0;        // the code unit they make
    this.highSurrogate = -1;
  }

  // Takes the next piece of the body (a Uint8Array) and returns the rows it
  // completes, each an array of values, each a Uint8Array of its bytes
  // (which may be a view of the piece: leave pieces as they are). Throws
  // when the bytes are not a row list.
  push(bytes) {
    const rows = [];
    const end = bytes.length;
    // The next quote and backslash at or after i, found by the browser's
    // own search (end when there is none): most bytes stand for themselves.
    let quoteAt = -1;
    let backslashAt = -1;
    let i = 0;
    while (i < end) {
      const byte = bytes[i];
      switch (this.state) {
        case inValue: {
          if (quoteAt < i) quoteAt = indexOf(bytes, QUOTE, i);
          if (backslashAt < i) backslashAt = indexOf(bytes, BACKSLASH, i);
          const stop = Math.min(quoteAt, backslashAt);
          if (stop < end && bytes[stop] === QUOTE && this.length === 0 && this.highSurrogate < 0) {
            // A value read whole here, as most are: a view of its bytes (a
            // copy of each would cost more than the rest of the reading).
            this.row.push(bytes.subarray(i, stop));
            this.state = afterValue;
            i = stop + 1;
            continue;
          }
          this.addBytes(bytes, i, stop);
          i = stop;
          if (i === end) continue;
          if (bytes[i] === QUOTE) {
            this.flushSurrogate();
            this.row.push(this.value.slice(0, this.length));
            this.length = 0;
            this.state = afterValue;
          } else {
            this.state = escape;
          }
          break;
        }
        case escape:
          if (byte === 0x75) { // 'u'
            this.state = unicode;
            this.digits = 0;
            this.unit = 0;
          } else if (byte in simpleEscapes) {
            this.flushSurrogate();
            this.addByte(simpleEscapes[byte]);
            this.state = inValue;
          } else {
            throw new Error('not a row list: an unknown escape');
          }
          break;
        case unicode: {
          const digit = hexValue(byte);
          if (digit < 0) throw new Error('not a row list: a broken \\u escape');
          this.unit = this.unit * 16 + digit;
          if (++this.digits === 4) {
            this.addUnit(this.unit);
            this.state = inValue;
          }
          break;
        }
        case between:
          if (byte === 0x5b) { // '['
            this.state = rowStart;
            this.row = [];
          } else if (byte !== 0x2c && !isSpace(byte)) {
            throw new Error('not a row list: a row must begin with [');
          }
          break;
        case rowStart:
        case nextValue:
          if (byte === QUOTE) this.state = inValue;
          else if (byte === 0x5d && this.state === rowStart) { // ']'
            rows.push(this.row);
            this.state = between;
          } else if (!isSpace(byte)) throw new Error('not a row list: a value must be quoted');
          break;
        case afterValue:
          if (byte === 0x2c) this.state = nextValue;
          else if (byte === 0x5d) {
            rows.push(this.row);
            this.state = between;
          } else if (!isSpace(byte)) throw new Error('not a row list: , or ] must follow a value');
          break;
      }
      i++;
    }
    return rows;
  }

  // The body has ended: it must not end inside a row.
  finish() {
    if (this.state !== between) throw new Error('the list ends in the middle of a row');
  }

  addBytes(bytes, from, to) {
    if (to === from) return;
    this.flushSurrogate();
    this.reserve(to - from);
    this.value.set(bytes.subarray(from, to), this.length);
    this.length += to - from;
  }

  addByte(byte) {
    this.reserve(1);
    this.value[this.length++] = byte;
  }

  reserve(more) {
    if (this.length + more <= this.value.length) return;
    const grown = new Uint8Array(Math.max(this.value.length * 2, this.length + more));
    grown.set(this.value.subarray(0, this.length));
    this.value = grown;
  }

  // A UTF-16 code unit from \uXXXX, as UTF-8 bytes; a surrogate pair makes
  // one character, a lone surrogate U+FFFD.
  addUnit(unit) {
    if (unit >= 0xd800 && unit <= 0xdbff) {
      this.flushSurrogate();
      this.highSurrogate = unit;
      return;
    }
    let point = unit;
    if (unit >= 0xdc00 && unit <= 0xdfff) {
      point = this.highSurrogate >= 0 ? 0x10000 + ((this.highSurrogate - 0xd800) << 10) + (unit - 0xdc00)
                                      : 0xfffd;
      this.highSurrogate = -1;
    } else {
      this.flushSurrogate();
    }
    this.addPoint(point);
  }

  flushSurrogate() {
    if (this.highSurrogate < 0) return;
    this.highSurrogate = -1;
    this.addPoint(0xfffd);
  }

  addPoint(point) {
    if (point < 0x80) {
      this.addByte(point);
    } else if (point < 0x800) {
      this.addByte(0xc0 | (point >> 6));
      this.addByte(0x80 | (point & 0x3f));
    } else if (point < 0x10000) {
      this.addByte(0xe0 | (point >> 12));
      this.addByte(0x80 | ((point >> 6) & 0x3f));
      this.addByte(0x80 | (point & 0x3f));
    } else {
      this.addByte(0xf0 | (point >> 18));
      this.addByte(0x80 | ((point >> 12) & 0x3f));
      this.addByte(0x80 | ((point >> 6) & 0x3f));
      this.addByte(0x80 | (point & 0x3f));
    }
  }
}
