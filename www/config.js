// The cloud sync configuration: "&#60" opens a line, "&#62" separates its
// fields; a line with all six shown fields ends in '/', which is no part of
// them.
import { element, tableCell } from './dom.js';
import { explain } from './failures.js';
import { text } from './i18n.js';
import { readText } from './reading.js';

export function parseConfig(text) {
  return text.split('&#60').slice(1).map((line) => {
    const fields = line.split('&#62').map((field) => field.replace(/\r?\n$/, ''));
    if (fields.length === 6) fields[5] = fields[5].replace(/\/$/, '');
    return fields;
  });
}

export async function showConfig() {
  const table = element('config-table');
  const names = [...table.tHead.rows[0].cells].map((heading) => heading.textContent);
  try {
    const lines = parseConfig(await readText('cloud_status', [['action_mode', 'CLOUD_GETCONFIG']]));
    const body = document.createDocumentFragment();
    for (const fields of lines) {
      const row = document.createElement('tr');
      names.forEach((name, i) => tableCell(row, fields[i] ?? '', name));
      body.appendChild(row);
    }
    table.tBodies[0].replaceChildren(body);
    element('config-note').textContent = lines.length === 0 ? text('configEmpty') : '';
  } catch (error) {
    element('config-note').textContent = text('configUnreadable', { trouble: explain(error) });
  }
}
