#!/usr/bin/env bash
# Builds the programs (once), makes a sample disk, and serves the demo page
# with busybox httpd on 127.0.0.1 (PORT, default 8080). Ctrl-C stops it.
# With --print it prints the programs' responses for the sample and exits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/lib.sh

scripts/install-deps.sh busybox
build="$root/build/demo"
sample="$build/sample"
docroot="$build/www"
build_programs "$build" "$sample/Cloud.conf" "$docroot"
scripts/make-sample.sh "$sample"

if [ "${1:-}" = --print ]; then
  show() {
    printf '\n$ QUERY_STRING=%q %s\n' "$2" "$1"
    QUERY_STRING="$2" "$docroot/cgi-bin/$1"
    echo
  }
  show cloud_status "action_mode=CLOUD_GETSTATUS&BaseDir=$sample/disk"
  show cloud_status "action_mode=CLOUD_GETCONFIG"
  show mount_folders "action_mode=$sample/disk"
  show mount_folders "action_mode=$sample/disk/Music"
  exit 0
fi

port=${PORT:-8080}
disk=$(urlencode "$sample/disk")
echo "Serving the demo at http://127.0.0.1:$port/?root=$disk"
echo "(the sample disk is $sample/disk; Ctrl-C stops)"
exec busybox httpd -f -p "127.0.0.1:$port" -h "$docroot"
