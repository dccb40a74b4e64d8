// The page's texts in English, by key: every other language has the same
// keys, with the same {placeholders}. A text with a count holds one form per
// plural category of its language. The status words ("Sync", "Error", ...)
// are the sync program's own and never translated; their explanations are.
export default {
  // The page around the lists
  pageTitle: 'Disks and cloud sync',
  skipToStatus: 'Skip to the cloud sync status',
  skipList: 'Skip the folder list',
  summaryReading: 'Reading the sync status…',
  foldersHeading: 'Folders',
  diskLabel: 'Disk',
  pathLabel: 'Folder path',
  up: 'Up',
  readAgain: 'Read again',
  filterPlaceholder: 'Filter by name',
  filterLabel: 'Filter folders by name',
  statusHeading: 'Cloud sync status',
  columnProvider: 'Provider',
  columnStatus: 'Status',
  columnMessage: 'Message',
  configHeading: 'Cloud sync configuration',
  configField: 'Field {number}',

  // What went wrong in asking the device
  'failure.noAnswer': 'The device does not answer.',
  'failure.login': 'The device asks for the password again: reload the page to log in.',
  'failure.forbidden': 'The device does not let this page ask it: its web server forbids the request.',
  'failure.missing': 'The device does not have what this page asks for: the package may not be installed ' +
                     'completely.',
  'failure.refusedBytes': 'The web server refuses to ask for this folder: its name, or a name above it, ' +
                          'holds bytes that are not text.',
  'failure.refused': 'The device refused the request.',
  'failure.cut': 'The device stopped answering while it was being read.',
  'failure.unreadable': 'The device’s answer could not be read.',

  // The folder list
  readingFolder: 'Reading the folder: {count} so far…',
  filterMatches: 'Matching the filter: {shown} of {total}.',
  folderCount: { one: '{count} folder.', other: '{count} folders.' },
  showAll: 'Show all {count} folders',
  emptyFolder: 'This folder holds no folders.',
  emptyDisk: 'This disk holds no folders.',
  diskGone: 'This disk is not there: it may have been unplugged.',
  folderGone: 'This folder is not there (any more): it may have been moved, renamed or deleted.',
  listUnreadable: '{trouble} The list could not be read; try again with “{button}”.',
  listHeading: 'Folders in {name}',
  noDiskHeading: 'No disk',
  noDisk: 'No disk is plugged in: nothing is mounted in {folder}.',
  nameNotText: 'Part of this name is not text: \ufffd stands for its bytes',
  blankNameEmpty: 'a name with no characters',
  blankName: { one: 'a name of {count} blank character: {shown}',
               other: 'a name of {count} blank characters: {shown}' },

  // The cloud sync status
  noDiskStatus: 'No disk, so no cloud sync status.',
  'explain.Initialing': 'Getting ready: the sync is starting up.',
  'explain.Sync': 'In sync: changes are copied as they happen.',
  'explain.Downup': 'Copying both ways: uploading and downloading.',
  'explain.Seeding': 'Uploading this device’s files for the first time.',
  'explain.Downloading': 'Copying files from the cloud to this device.',
  'explain.Stop': 'Stopped: nothing is copied until the sync is started again.',
  'explain.Error': 'Stopped by a problem: the message says which.',
  explainNone: 'The log holds no status.',
  statusUnknown: 'A status this page does not know.',
  unnamedLog: 'Unnamed log',
  statusNoLogs: 'No cloud sync logs on this disk. Read at {time}.',
  statusReadAt: 'Read at {time}.',
  statusFailed: '{trouble} Trying again.',
  statusFailedStale: '{trouble} Out of date: last read at {time}. Trying again.',

  // The summary at the top, and what a screen reader hears when it changes
  summaryFailed: 'No sync status: {trouble}',
  summaryStale: 'Sync status out of date (read at {time}): {trouble}',
  summaryNone: 'No cloud sync on this disk.',
  summaryEntry: '{name}: {status}',
  summaryAllSyncing: 'All {count} syncing',
  summaryOthers: { one: '{count} other syncing', other: '{count} others syncing' },
  noStatus: 'no status',
  changeAppeared: '{name} appeared: {status}.',
  changeNow: '{name} is now {status} (was {before}).',
  changeGone: '{name} is gone.',
  withoutStatus: 'without status',

  // The configuration
  configEmpty: 'No sync configuration.',
  configUnreadable: '{trouble} The configuration could not be read.',
};
