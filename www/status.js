// The cloud sync status in words an owner understands. The status words
// are the sync's own, shown as they are in every language; each gets a
// plain explanation in the owner's, the text explain.WORD of the catalogue.
import { hasText, text } from './i18n.js';

export function explanation(word) {
  if (word === '') return text('explainNone');
  return hasText('explain.' + word) ? text('explain.' + word) : text('statusUnknown');
}

// The states that need the owner's attention; the others are working.
const needsAttention = new Set(['Stop', 'Error', '']);

export function providerName(label) {
  return label === '' ? text('unnamedLog') : label;
}

// One line for the top of the page, such as "WebDAV: Error · 2 others
// syncing": the providers that need attention by name, the rest counted.
export function statusSummary(rows) {
  if (rows.length === 0) return text('summaryNone');
  const entry = (label, status) => text('summaryEntry', { name: providerName(label), status });
  const attention = rows.filter(([label, status]) => needsAttention.has(status))
    .map(([label, status]) => entry(label, status || text('noStatus')));
  const working = rows.length - attention.length;
  if (attention.length === 0) {
    return rows.length === 1 ? entry(rows[0][0], rows[0][1]) : text('summaryAllSyncing', { count: working });
  }
  if (working > 0) attention.push(text('summaryOthers', { count: working }));
  return attention.join(' \u00b7 ');
}

// The rows carry no id of their log, and two logs can share a label (two
// unnamed ones, or two that read the same file): a row is known by its
// label and which row of that label it is, in the order the program wrote
// them. Gives a key for each row.
function rowKeys(rows) {
  const seen = new Map();
  return rows.map(([label]) => {
    const occurrence = (seen.get(label) ?? 0) + 1;
    seen.set(label, occurrence);
    return JSON.stringify([label, occurrence]);
  });
}

// What changed between two reads, as sentences: only changes are announced,
// never the clock.
export function statusChanges(before, after) {
  if (before === null) return [];
  const beforeKeys = rowKeys(before);
  const previous = new Map(beforeKeys.map((key, i) => [key, before[i][1]]));
  const afterKeys = rowKeys(after);
  const changes = [];
  after.forEach(([label, status], i) => {
    const key = afterKeys[i];
    const name = providerName(label);
    if (!previous.has(key)) changes.push(text('changeAppeared', { name, status: status || text('noStatus') }));
    else if (previous.get(key) !== status) {
      const without = text('withoutStatus');
      changes.push(text('changeNow', { name, status: status || without, before: previous.get(key) || without }));
    }
  });
  const now = new Set(afterKeys);
  beforeKeys.forEach((key, i) => {
    if (!now.has(key)) changes.push(text('changeGone', { name: providerName(before[i][0]) }));
  });
  return changes;
}
