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

# And the responses hold what the sample does.
answer() { direct_output "$1" "$docroot/cgi-bin"; }
check_sample_answers answer "$(urlencode "$disk")"
check_summary
