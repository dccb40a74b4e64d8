#!/usr/bin/env bash
# Makes a sample disk in DIR: folders of every kind the lister meets, and the
# cloud sync logs and configuration from sample/.
# Usage: scripts/make-sample.sh DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:?usage: make-sample.sh DIR}

rm -rf "$dir"
disk="$dir/disk"
mkdir -p "$disk/Cloud"
cp -R "$root/sample/Cloud/.logs" "$disk/Cloud/.logs"
cp "$root/sample/Cloud.conf" "$dir/Cloud.conf"

# Listed: ordinary folders and awkward but legal names.
mkdir -p "$disk/Music/Albums" "$disk/Music/Podcasts" "$disk/Photos 2026" "$disk/Documents" \
         "$disk/Say \"hello\"" "$disk/<b>bold" "$disk/Café Ünïcødé 日本" \
         "$disk/$(printf 'two\nlines')"
# Left out: hidden and file-system folders, and plain files.
mkdir -p "$disk/.hidden" "$disk/System Volume Information" "$disk/RECYCLER" "$disk/lost+found"
echo "a file is not a folder" > "$disk/readme.txt"
