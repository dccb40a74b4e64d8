// Finds English text in the page outside its English catalogue: every text
// the page shows must come from www/lang/, so that every language has it.
// Usage: node page_literals.mjs WWW_DIR
// Prints each text it finds as FILE:LINE: 'text' and exits 1 if there is any.
//
// In a module: a string literal, or a fixed part of a template literal, of
// two free words with a blank between them or of one capitalised word, where
// a free word is two or more letters not joined to code; the status words
// and the arguments of errors made and of the console pass. In index.html:
// any text, title, alt, placeholder, aria-label or aria-description with a
// letter. docs/page.md says why, under "No English outside the catalogue".
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const wordBefore = /[\p{L}\p{N}_$\-/\\@=#[(.:]/u;
const wordAfter = /[\p{L}\p{N}_$\-/\\@=#[(]/u;
const keywordsBeforeExpression = new Set(['return', 'typeof', 'case', 'do', 'else', 'in', 'of', 'new',
                                          'delete', 'void', 'throw', 'instanceof', 'yield', 'await']);

function unescape(body) {
  return body.replace(/\\(u\{[0-9a-fA-F]+\}|u[0-9a-fA-F]{4}|x[0-9a-fA-F]{2}|\r\n|[\s\S])/g, (all, what) => {
    if (what[0] === 'u' || what[0] === 'x') {
      return what.length > 1 ? String.fromCodePoint(parseInt(what.replace(/[ux{}]/g, ''), 16)) : what;
    }
    return { n: '\n', t: '\t', r: '\r', b: '\b', f: '\f', v: '\v', 0: '\0' }[what] ??
           (what === '\n' || what === '\r\n' ? '' : what);
  });
}

// The string literals and fixed parts of template literals of a module,
// each with its line, but those in the arguments of an error made or of the
// console: [{ text, line }].
export function moduleStrings(source) {
  const found = [];
  const nesting = []; // 'brace', or 'template' for the ${ of a template
  const calls = []; // for each open (, whether it holds an error's arguments
  let previous = null; // the last token: a punctuator, or a word
  let lastWord = '';
  const push = (text, at) => {
    if (!calls.includes(true)) found.push({ text, line: lineAt(at) });
  };
  let i = 0;
  function lineAt(at) {
    return source.slice(0, at).split('\n').length;
  }
  // Reads a template from i (just past ` or the } of a ${}) to its end or next ${.
  const templatePart = () => {
    const start = i;
    while (i < source.length && source[i] !== '`' && !(source[i] === '$' && source[i + 1] === '{')) {
      i += source[i] === '\\' ? 2 : 1;
    }
    push(unescape(source.slice(start, i)), start);
    if (source[i] === '`') {
      i++;
      previous = 'word';
    } else {
      i += 2;
      nesting.push('template');
      previous = '{';
    }
  };
  while (i < source.length) {
    const c = source[i];
    if (/\s/.test(c)) {
      i++;
    } else if (source.startsWith('//', i)) {
      i = source.indexOf('\n', i) < 0 ? source.length : source.indexOf('\n', i);
    } else if (source.startsWith('/*', i)) {
      i = source.indexOf('*/', i + 2) < 0 ? source.length : source.indexOf('*/', i + 2) + 2;
    } else if (c === '\'' || c === '"') {
      const start = ++i;
      while (i < source.length && source[i] !== c) i += source[i] === '\\' ? 2 : 1;
      push(unescape(source.slice(start, i)), start);
      i++;
      previous = 'word';
    } else if (c === '`') {
      i++;
      templatePart();
    } else if (c === '/' && (previous === null || (previous !== 'word' && previous !== ')' && previous !== ']') ||
                             keywordsBeforeExpression.has(previous))) {
      // A regular expression: to its closing /, past classes and escapes.
      let inClass = false;
      for (i++; i < source.length && (inClass || source[i] !== '/'); i++) {
        if (source[i] === '\\') i++;
        else if (source[i] === '[') inClass = true;
        else if (source[i] === ']') inClass = false;
      }
      for (i++; /[a-z]/.test(source[i] ?? ''); i++);
      previous = 'word';
    } else if (/[\p{L}\p{N}_$]/u.test(c)) {
      const start = i;
      while (i < source.length && /[\p{L}\p{N}_$.]/u.test(source[i])) i++;
      lastWord = source.slice(start, i);
      previous = keywordsBeforeExpression.has(lastWord) ? lastWord : 'word';
    } else if (c === '}' && nesting.at(-1) === 'template') {
      nesting.pop();
      i++;
      templatePart();
    } else {
      if (c === '{') nesting.push('brace');
      else if (c === '}') nesting.pop();
      else if (c === '(') calls.push(previous === 'word' && /(Error|Exception|^console\.\w+)$/.test(lastWord));
      else if (c === ')') calls.pop();
      previous = c;
      i++;
    }
  }
  return found;
}

function freeWords(text) {
  const words = [];
  for (const match of text.matchAll(/\p{L}{2,}/gu)) {
    const before = text[match.index - 1] ?? ' ';
    const after = text[match.index + match[0].length] ?? ' ';
    if (!wordBefore.test(before) && !wordAfter.test(after)) words.push(match[0]);
  }
  return words;
}

// Whether a literal of a module reads as English text; data are the words
// that pass as they are (the status words).
export function isEnglishText(text, data = new Set()) {
  if (data.has(text)) return false;
  const words = freeWords(text);
  if (words.length >= 2 && /\s/.test(text)) return true;
  return words.length === 1 && /^[\s\p{P}]*\p{Lu}\p{Ll}+[\s\p{P}]*$/u.test(text);
}

function decodeEntities(text) {
  const named = { amp: '&', lt: '<', gt: '>', quot: '"', apos: '\'', nbsp: '\u00a0', hellip: '…' };
  return text.replace(/&(#x[0-9a-f]+|#[0-9]+|[a-z]+);/gi, (all, what) => {
    if (what[0] !== '#') return named[what.toLowerCase()] ?? all;
    return String.fromCodePoint(what[1] === 'x' || what[1] === 'X' ? parseInt(what.slice(2), 16)
                                                                    : Number(what.slice(1)));
  });
}

const shownAttribute = /\s(title|alt|placeholder|aria-label|aria-description)\s*=\s*("[^"]*"|'[^']*'|[^\s>]+)/gi;

// The texts a reader sees in markup: text between tags (outside script and
// style) and the attributes that are read out or shown.
export function markupTexts(html) {
  const found = [];
  const lineAt = (at) => html.slice(0, at).split('\n').length;
  const blanked = html.replace(/<!--[\s\S]*?-->|<(script|style)\b[\s\S]*?<\/\1\s*>/gi,
                               (all) => all.replace(/[^\n]/g, ' '));
  for (const match of blanked.matchAll(/<[^>]*>|[^<]+/g)) {
    const part = match[0];
    if (part[0] !== '<') {
      found.push({ text: decodeEntities(part), line: lineAt(match.index) });
      continue;
    }
    for (const [, , value] of part.matchAll(shownAttribute)) {
      found.push({ text: decodeEntities(value.replace(/^["']|["']$/g, '')), line: lineAt(match.index) });
    }
  }
  return found.filter(({ text }) => /\p{L}/u.test(text));
}

// The English texts of the page's files below www: [{ file, line, text }].
export async function englishLiterals(www) {
  const catalogue = fs.readFileSync(path.join(www, 'lang', 'en.js'));
  const english = (await import('data:text/javascript;base64,' + catalogue.toString('base64'))).default;
  const statusWords = new Set(Object.keys(english).filter((key) => key.startsWith('explain.'))
    .map((key) => key.slice('explain.'.length)));
  const found = [];
  for (const name of fs.readdirSync(www).sort()) {
    const file = path.join(www, name);
    if (name.endsWith('.js')) {
      for (const { text, line } of moduleStrings(fs.readFileSync(file, 'utf8'))) {
        if (isEnglishText(text, statusWords)) found.push({ file: name, line, text });
      }
    } else if (name.endsWith('.html')) {
      for (const { text, line } of markupTexts(fs.readFileSync(file, 'utf8'))) found.push({ file: name, line, text });
    }
  }
  return found;
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const www = process.argv[2];
  if (!www) {
    console.error('usage: node page_literals.mjs WWW_DIR');
    process.exit(2);
  }
  const found = await englishLiterals(www);
  for (const { file, line, text } of found) {
    console.error(`${path.join(www, file)}:${line}: English text outside the catalogue: ${JSON.stringify(text)}`);
  }
  if (found.length > 0) {
    console.error(`${found.length} text(s) to move into www/lang/en.js, with a key in every catalogue`);
    process.exit(1);
  }
}
