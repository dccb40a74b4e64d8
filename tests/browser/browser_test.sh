#!/usr/bin/env bash
# Serves the demo page and both programs with busybox httpd on 127.0.0.1 and
# drives it in headless Chromium (browser_test.mjs).
# Usage: browser_test.sh CLOUD_STATUS MOUNT_FOLDERS CONF_PATH SCREENSHOT
# CLOUD_STATUS must read its configuration from CONF_PATH.
set -uo pipefail
cloud_status=${1:?} mount_folders=${2:?} conf_path=${3:?} screenshot=${4:?}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=../../scripts/lib.sh
source "$root/scripts/lib.sh"
# shellcheck source=../support/checks.sh
source "$root/tests/support/checks.sh"

skip_if_missing "$(missing_tools busybox curl)$(missing_for_browser)"

work=$(mktemp -d)
chmod 755 "$work"
server=
cleanup() {
  [ -n "$server" ] && { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; }
  rm -rf "$work" "$(dirname "$conf_path")"
}
trap cleanup EXIT

"$root/scripts/make-sample.sh" "$work/sample"
# A name that would run script if the page inserted it as markup.
mkdir "$work/sample/disk/<img src=x onerror=window.pwned=1>"
mkdir -p "$(dirname "$conf_path")"
cp "$work/sample/Cloud.conf" "$conf_path"
"$root/scripts/make-docroot.sh" "$work/www" "$cloud_status" "$mount_folders"

port=$(free_port)
busybox httpd -f -p "127.0.0.1:$port" -h "$work/www" &
server=$!
wait_for_server "$port" || { echo "busybox httpd did not start"; exit 1; }

mkdir -p "$(dirname "$screenshot")"
node "$here/browser_test.mjs" "http://127.0.0.1:$port/?root=$(urlencode "$work/sample/disk")" \
     "$work/sample/disk" "$screenshot"
