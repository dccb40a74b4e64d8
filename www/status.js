// The cloud sync status in words an owner understands. The status words
// are the sync's own, shown as they are; each gets a plain explanation.

export const explanations = {
  Initialing: 'Getting ready: the sync is starting up.',
  Sync: 'In sync: changes are copied as they happen.',
  Downup: 'Copying both ways: uploading and downloading.',
  Seeding: 'Uploading this device\u2019s files for the first time.',
  Downloading: 'Copying files from the cloud to this device.',
  Stop: 'Stopped: nothing is copied until the sync is started again.',
  Error: 'Stopped by a problem: the message says which.',
  '': 'The log holds no status.',
};

// The states that need the owner's attention; the others are working.
const needsAttention = new Set(['Stop', 'Error', '']);

export function providerName(label) {
  return label === '' ? 'Unnamed log' : label;
}

// One line for the top of the page, such as "WebDAV: Error · 2 others
// syncing": the providers that need attention by name, the rest counted.
export function statusSummary(rows) {
  if (rows.length === 0) return 'No cloud sync on this disk.';
  const attention = rows.filter(([label, status]) => needsAttention.has(status))
    .map(([label, status]) => `${providerName(label)}: ${status || 'no status'}`);
  const working = rows.length - attention.length;
  if (attention.length === 0) {
    return rows.length === 1 ? `${providerName(rows[0][0])}: ${rows[0][1]}` : `All ${working} syncing`;
  }
  if (working > 0) attention.push(`${working} other${working === 1 ? '' : 's'} syncing`);
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
    if (!previous.has(key)) changes.push(`${providerName(label)} appeared: ${status || 'no status'}.`);
    else if (previous.get(key) !== status) {
      changes.push(`${providerName(label)} is now ${status || 'without status'} ` +
                   `(was ${previous.get(key) || 'without status'}).`);
    }
  });
  const now = new Set(afterKeys);
  beforeKeys.forEach((key, i) => {
    if (!now.has(key)) changes.push(`${providerName(before[i][0])} is gone.`);
  });
  return changes;
}
