#!/usr/bin/env bash
# Lays out a web server's document folder: the demo page and a cgi-bin with
# the two programs. Usage: scripts/make-docroot.sh DIR CLOUD_STATUS MOUNT_FOLDERS
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:?usage: make-docroot.sh DIR CLOUD_STATUS MOUNT_FOLDERS}
rm -rf "$dir"
mkdir -p "$dir/cgi-bin"
cp "$root"/www/* "$dir/"
cp "${2:?}" "$dir/cgi-bin/cloud_status"
cp "${3:?}" "$dir/cgi-bin/mount_folders"
