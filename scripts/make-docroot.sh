#!/usr/bin/env bash
# Lays out a web server's document folder: the demo page and a cgi-bin with
# the two programs. Usage: scripts/make-docroot.sh DIR CLOUD_STATUS MOUNT_FOLDERS
# When PROGRAM_LAUNCHER is set (an emulator command, words separated by spaces),
# cgi-bin holds small scripts that start the programs through it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:?usage: make-docroot.sh DIR CLOUD_STATUS MOUNT_FOLDERS}
rm -rf "$dir"
mkdir -p "$dir/cgi-bin"
cp "$root"/www/* "$dir/"
if [ -z "${PROGRAM_LAUNCHER:-}" ]; then
  cp "${2:?}" "$dir/cgi-bin/cloud_status"
  cp "${3:?}" "$dir/cgi-bin/mount_folders"
  exit 0
fi
mkdir -p "$dir/bin"
cp "${2:?}" "$dir/bin/cloud_status"
cp "${3:?}" "$dir/bin/mount_folders"
for program in cloud_status mount_folders; do
  printf '#!/bin/sh\nexec %s %s\n' "$PROGRAM_LAUNCHER" "$dir/bin/$program" > "$dir/cgi-bin/$program"
  chmod 755 "$dir/cgi-bin/$program"
done
