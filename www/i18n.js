// The page in the owner's language: which of its languages to show, the
// texts of that language by key, and its numbers, times and order of names.
// Each language is a catalogue lang/CODE.js: a flat table from key to text;
// a text with a count holds one form per plural category of the language.
// In a text, {name} is a value filled in; numbers are written as the
// language writes them.
import english from './lang/en.js';

// The languages the page has, each the code of its catalogue.
export const languages = ['en', 'de', 'es', 'fr', 'ru', 'zh-Hans'];

// The page's language for a language tag such as "de-AT" or "zh-TW", or
// null when it has none: a region or script falls back to its language, so
// every Chinese tag gives the one Chinese the page has, Simplified.
export function matchLanguage(tag) {
  const language = String(tag).toLowerCase().split(/[-_]/)[0];
  return languages.find((code) => code.toLowerCase().split('-')[0] === language) ?? null;
}

// The language to show: the one the address asks for (asked, or null), if
// the page has it; else the first of the browser's that it has; else
// English. kept is what the address keeps: the language asked for, written
// as the page's code, or null when none or one the page lacks was asked for.
export function chooseLanguage(asked, preferred) {
  const fromAddress = asked === null || asked === undefined ? null : matchLanguage(asked);
  if (fromAddress) return { code: fromAddress, kept: fromAddress };
  for (const tag of preferred ?? []) {
    const code = matchLanguage(tag);
    if (code) return { code, kept: null };
  }
  return { code: 'en', kept: null };
}

let shown = null;

// Shows code's texts from table from now on.
export function useLanguage(code, table) {
  shown = {
    code,
    table,
    plural: new Intl.PluralRules(code),
    number: new Intl.NumberFormat(code),
    time: new Intl.DateTimeFormat(code, { hour: '2-digit', minute: '2-digit', second: '2-digit',
                                          hourCycle: 'h23' }),
  };
}
useLanguage('en', english);

// Loads code's catalogue and shows it; resolves with the language shown. A
// catalogue that cannot be loaded gives English, without a word about it:
// the owner can do nothing about it, and English is still the page.
export async function loadLanguage(code, load = (name) => import(`./lang/${name}.js`)) {
  let table = english;
  if (code !== 'en') {
    try {
      const loaded = (await load(code)).default;
      if (loaded && typeof loaded === 'object') table = loaded;
    } catch {
      // English, as said
    }
  }
  useLanguage(table === english ? 'en' : code, table);
  return shown.code;
}

export function languageShown() {
  return shown.code;
}

// The text of key with values filled in; values.count picks the plural form.
// A key the catalogue lacks is taken from the English one (the tests see
// that none lacks one); a key that no catalogue has shows as itself.
export function text(key, values = {}) {
  let entry = (Object.hasOwn(shown.table, key) ? shown.table[key] : english[key]) ?? key;
  if (typeof entry === 'object') entry = entry[shown.plural.select(values.count)] ?? entry.other;
  return entry.replace(/\{(\w+)\}/g, (placeholder, name) => {
    if (!(name in values)) return placeholder;
    return typeof values[name] === 'number' ? shown.number.format(values[name]) : String(values[name]);
  });
}

export function hasText(key) {
  return Object.hasOwn(english, key);
}

// A time of day, such as 14:41:08, as the language writes it.
export function formatTime(date) {
  return shown.time.format(date);
}

// Names in the language's order: case and accents folded, numbers by value
// (IMG_2 before IMG_10).
export function nameCollator(code = shown.code) {
  return new Intl.Collator(code, { numeric: true, sensitivity: 'base' });
}

// Fills in the texts of the markup below root: data-t="key" gives an
// element its text, data-t-NAME="key" its attribute NAME (aria-label,
// placeholder, title); data-number is the value of {number}.
export function fillTexts(root) {
  for (const element of root.querySelectorAll('*')) {
    const values = element.dataset.number === undefined ? {} : { number: Number(element.dataset.number) };
    for (const { name, value } of [...element.attributes]) {
      if (name === 'data-t') element.textContent = text(value, values);
      else if (name.startsWith('data-t-')) element.setAttribute(name.slice(7), text(value, values));
    }
  }
}
