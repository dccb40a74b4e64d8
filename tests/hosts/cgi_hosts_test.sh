#!/usr/bin/env bash
# Runs both programs behind real CGI hosts (busybox httpd and lighttpd with
# mod_cgi) on 127.0.0.1, requests them with curl, and compares each response
# with what the program writes when run directly with the same QUERY_STRING.
# Usage: cgi_hosts_test.sh CLOUD_STATUS MOUNT_FOLDERS CONF_PATH
# CLOUD_STATUS must read its configuration from CONF_PATH.
set -uo pipefail
cloud_status=${1:?} mount_folders=${2:?} conf_path=${3:?}
# shellcheck source=../support/harness.sh
source "$(dirname "$0")/../support/harness.sh"
skip_if_missing "$(missing_tools busybox lighttpd curl)"

make_scratch
# The sample disk, at a path with a space and a non-ASCII letter.
sample="$SCRATCH/sample é"
make_sample "$sample"
disk="$sample/disk"
mkdir -p "$(dirname "$conf_path")"
remove_at_exit "$(dirname "$conf_path")"
cp "$sample/Cloud.conf" "$conf_path"
docroot="$SCRATCH/www"
make_docroot "$docroot" "$cloud_status" "$mount_folders"

# Requests as "program?query" (no '?' for a URL without a query).
requests=(
  "cloud_status?action_mode=CLOUD_GETSTATUS&BaseDir=$(urlencode "$disk")"
  "cloud_status?action_mode=CLOUD_GETCONFIG"
  "cloud_status?action_mode=CLOUD_NOSUCH"
  "cloud_status"
  "mount_folders?action_mode=$(urlencode "$disk")"
  "mount_folders?action_mode=$(urlencode "$disk/Photos 2026")"
  "mount_folders?action_mode=$(urlencode "$disk")%2FPhotos+2026"
  "mount_folders?action_mode=$(urlencode "$SCRATCH/missing")"
  "mount_folders"
)

# busybox httpd passes the header block through byte for byte: everything
# after the status line must be exactly the program's output.
port=$(free_port)
busybox httpd -f -p "127.0.0.1:$port" -h "$docroot" &
stop_at_exit $!
wait_for_server "$port" || fail "busybox httpd did not start"
for request in "${requests[@]}"; do
  expected=$(direct_output "$request" "$docroot/cgi-bin")
  response=$(curl -s -S "http://127.0.0.1:$port/cgi-bin/$request" -i; printf x)
  check_equal "busybox status $request" "HTTP/1.1 200 OK" "${response%%$'\r\n'*}"
  check_equal "busybox $request" "$expected" "${response#*$'\r\n'}"
done

# lighttpd rewrites header lines, so compare the header values and the body.
start_lighttpd "$docroot" "$SCRATCH" || { fail "lighttpd did not start"; cat "$SCRATCH/lighttpd.log"; }
for request in "${requests[@]}"; do
  check_lighttpd_response "$request" "$(direct_output "$request" "$docroot/cgi-bin")" \
    "$(curl -s -S "http://127.0.0.1:$LIGHTTPD_PORT/cgi-bin/$request" -i; printf x)"
done

# And the responses themselves, pinned once.
status=$(direct_output "cloud_status?action_mode=CLOUD_GETSTATUS&BaseDir=$(urlencode "$disk")/Cloud/.logs/../.." \
  "$docroot/cgi-bin")
for row in '["WebDAV","","Sync","Last sync 2026-12-08 01:40, 1,204 files"]' \
           '["SkyDrive","","Error","Login failed: \"token expired\" \u003cretry in 5 min\u003e"]'; do
  check "the status rows hold $row" grep -qxF -e "$row" -e ",$row" <<<"$status"
done
check_equal "config" \
  "$header_block&#600&#62alice&#62https://dav.example.net/backup&#62/tmp/mnt/sda1/Backup&#620&#621/&#602&#62bob@example.com&#62https://box.example.com&#62/tmp/mnt/sda1/Box&#622&#620/x" \
  "$(direct_output "cloud_status?action_mode=CLOUD_GETCONFIG" "$docroot/cgi-bin")"
check_equal "listing" "$header_block"'["Summer é"]x' \
  "$(direct_output "mount_folders?action_mode=$(urlencode "$disk/Photos 2026")" "$docroot/cgi-bin")"
listing=$(direct_output "mount_folders?action_mode=$(urlencode "$disk")" "$docroot/cgi-bin")
for row in '["Say \"hello\""]' '["\u003cb\u003ebold"]' '["back\\slash"]' '["two\nlines"]' \
           '["sep\u2028x"]' '["Café Ünïcødé 日本"]' '["Photos 2026"]' \
           '["\u003cimg src=x onerror=window.pwned=1\u003e"]'; do
  check "the listing holds $row" grep -qF "$row" <<<"$listing"
done
check "the listing shows no hidden or system folder" [ -z "$(grep -E 'hidden|RECYCLER' <<<"$listing")" ]
check_summary
