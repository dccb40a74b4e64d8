// Bytes and text for the page: names from a disk are bytes, which need not
// be UTF-8, and travel in URLs percent-encoded byte by byte.

// The value of a hexadecimal digit's character code, or -1.
export function hexValue(code) {
  if (code >= 0x30 && code <= 0x39) return code - 0x30;
  if (code >= 0x61 && code <= 0x66) return code - 0x61 + 10;
  if (code >= 0x41 && code <= 0x46) return code - 0x41 + 10;
  return -1;
}

const strict = new TextDecoder('utf-8', { fatal: true });
const lenient = new TextDecoder('utf-8');
const encoder = new TextEncoder();

// A value as text: its characters when its bytes are UTF-8; otherwise
// valid is false and the text shows each stray byte as U+FFFD, while the
// bytes stay what they are.
export function decodeValue(bytes) {
  try {
    return { bytes, text: strict.decode(bytes), valid: true };
  } catch {
    return { bytes, text: lenient.decode(bytes), valid: false };
  }
}

export function isUtf8(bytes) {
  try {
    strict.decode(bytes);
    return true;
  } catch {
    return false;
  }
}

// Bytes as text, U+FFFD for each byte that is not UTF-8.
export function lenientText(bytes) {
  return lenient.decode(bytes);
}

export function utf8(text) {
  return encoder.encode(text);
}

export function sameBytes(a, b) {
  if (a.length !== b.length) return false;
  for (let i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
  return true;
}

// Bytes as a query string value: letters, digits and -._~/ as they are,
// every other byte %XX.
export function percentEncode(bytes) {
  let text = '';
  for (const byte of bytes) {
    const keep = (byte >= 0x30 && byte <= 0x39) || (byte >= 0x41 && byte <= 0x5a) ||
                 (byte >= 0x61 && byte <= 0x7a) || byte === 0x2d || byte === 0x2e ||
                 byte === 0x5f || byte === 0x7e || byte === 0x2f;
    text += keep ? String.fromCharCode(byte) : '%' + (byte < 16 ? '0' : '') + byte.toString(16).toUpperCase();
  }
  return text;
}

// The parameters of a query string ("?a=1&b=%FF"), each value as its bytes:
// '+' is a space, %XX a byte, anything else its UTF-8 bytes.
// (URLSearchParams would replace bytes that are not UTF-8.)
export function queryParameters(search) {
  const parameters = new Map();
  for (const field of search.replace(/^\?/, '').split('&')) {
    if (field === '') continue;
    const cut = field.indexOf('=');
    const name = decodeQueryText(cut < 0 ? field : field.slice(0, cut));
    parameters.set(lenient.decode(name), decodeQueryText(cut < 0 ? '' : field.slice(cut + 1)));
  }
  return parameters;
}

function decodeQueryText(text) {
  const bytes = [];
  for (let i = 0; i < text.length;) {
    const high = hexValue(text.charCodeAt(i + 1));
    const low = hexValue(text.charCodeAt(i + 2));
    if (text[i] === '%' && high >= 0 && low >= 0) {
      bytes.push(high * 16 + low);
      i += 3;
    } else if (text[i] === '+') {
      bytes.push(0x20);
      i += 1;
    } else {
      const character = String.fromCodePoint(text.codePointAt(i));
      bytes.push(...encoder.encode(character));
      i += character.length;
    }
  }
  return Uint8Array.from(bytes);
}
