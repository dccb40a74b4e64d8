// The few things every part of the page does to the document.

export const element = (id) => document.getElementById(id);

// A table cell under its column's name (shown before the value on a phone).
export function tableCell(row, text, label) {
  const cell = document.createElement('td');
  cell.dataset.label = label;
  if (text !== null) cell.textContent = text;
  row.appendChild(cell);
  return cell;
}
