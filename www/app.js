// The device page: lists the folders of a disk with mount_folders, and shows
// the cloud sync status and configuration from cloud_status. Every name and
// message goes into the page as text, never as markup.
'use strict';

const params = new URLSearchParams(location.search);
const diskRoot = params.get('root') || '/tmp/mnt/sda1';
const baseDir = params.get('base') || diskRoot;
let currentPath = diskRoot;

function cgi(program, query) {
  const url = '/cgi-bin/' + program + '?' + Object.entries(query)
    .map(([name, value]) => encodeURIComponent(name) + '=' + encodeURIComponent(value))
    .join('&');
  return fetch(url, { cache: 'no-store' }).then((response) => {
    if (!response.ok) throw new Error(program + ': HTTP ' + response.status);
    return response.text();
  });
}

// A row list is rows joined by ',' without brackets.
function parseRows(body) {
  return JSON.parse('[' + body + ']');
}

function cell(row, text, className) {
  const td = document.createElement('td');
  td.textContent = text;
  if (className) td.className = className;
  row.appendChild(td);
}

function note(id, text) {
  document.getElementById(id).textContent = text;
}

function joinPath(folder, name) {
  return folder.replace(/\/+$/, '') + '/' + name;
}

async function showFolders(path) {
  const list = document.getElementById('folder-list');
  document.getElementById('path').textContent = path;
  document.getElementById('up').disabled = path === diskRoot;
  list.replaceChildren();
  try {
    const names = parseRows(await cgi('mount_folders', { action_mode: path })).map((row) => row[0]);
    for (const name of names) {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = name;
      button.addEventListener('click', () => openFolder(joinPath(path, name)));
      const item = document.createElement('li');
      item.appendChild(button);
      list.appendChild(item);
    }
    note('folder-note', names.length === 0 ? 'No folders here.' : '');
  } catch (error) {
    note('folder-note', 'Could not list this folder: ' + error.message);
  }
}

function openFolder(path) {
  currentPath = path;
  return showFolders(path);
}

function parentOf(path) {
  const trimmed = path.replace(/\/+$/, '');
  const cut = trimmed.lastIndexOf('/');
  return cut > 0 ? trimmed.slice(0, cut) : '/';
}

async function showStatus() {
  const body = document.querySelector('#status-table tbody');
  body.replaceChildren();
  try {
    const rows = parseRows(await cgi('cloud_status', { action_mode: 'CLOUD_GETSTATUS', BaseDir: baseDir }));
    for (const [label, , status, message] of rows) {
      const row = document.createElement('tr');
      cell(row, label);
      cell(row, status, 'status-' + status);
      cell(row, message);
      body.appendChild(row);
    }
    note('status-note', rows.length === 0 ? 'No sync logs found.' : '');
  } catch (error) {
    note('status-note', 'Could not read the sync status: ' + error.message);
  }
}

// "&#60" opens a line, "&#62" separates its fields; a line with all its
// fields ends in '/'.
function parseConfig(text) {
  return text.split('&#60').slice(1).map((line) =>
    line.split('&#62').map((field) => field.replace(/\r?\n$/, '')));
}

async function showConfig() {
  const body = document.querySelector('#config-table tbody');
  body.replaceChildren();
  try {
    const lines = parseConfig(await cgi('cloud_status', { action_mode: 'CLOUD_GETCONFIG' }));
    for (const fields of lines) {
      const row = document.createElement('tr');
      for (let i = 0; i < 6; i++) cell(row, fields[i] === undefined ? '' : fields[i]);
      body.appendChild(row);
    }
    note('config-note', lines.length === 0 ? 'No sync configuration.' : '');
  } catch (error) {
    note('config-note', 'Could not read the configuration: ' + error.message);
  }
}

document.getElementById('up').addEventListener('click', () => openFolder(parentOf(currentPath)));
window.pageReady = Promise.all([showFolders(currentPath), showStatus(), showConfig()]);
