#!/usr/bin/env bash
# Runs both programs behind real CGI hosts (busybox httpd and lighttpd with
# mod_cgi) on 127.0.0.1, requests them with curl, and compares each response
# with what the program writes when run directly with the same QUERY_STRING.
# Usage: cgi_hosts_test.sh CLOUD_STATUS MOUNT_FOLDERS CONF_PATH
# CLOUD_STATUS must read its configuration from CONF_PATH.
set -uo pipefail
cloud_status=${1:?} mount_folders=${2:?} conf_path=${3:?}
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/lib.sh
source "$root/scripts/lib.sh"
# shellcheck source=../support/checks.sh
source "$root/tests/support/checks.sh"

skip_if_missing "$(missing_tools busybox lighttpd curl)"

work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$work" "$(dirname "$conf_path")"
}
trap cleanup EXIT


# The fixture: a disk with a log folder, hostile folder names, and a config.
disk="$work/disk é"
mkdir -p "$disk/Cloud/.logs" "$disk/my folder" "$disk/my folder/inner é" "$disk/Say \"hi\"" \
         "$disk/<b>bold" "$disk/back\\slash" "$disk/$(printf 'new\nline')" \
         "$disk/$(printf 'sep\342\200\250x')" "$disk/Ünïcødé 日本" "$disk/.hidden" "$disk/RECYCLER"
printf 'qdone "ok" <b>' > "$disk/Cloud/.logs/webdav"
mkdir -p "$(dirname "$conf_path")"
printf 'a,b,c,secret,e,f,g\n1,2,3\n' > "$conf_path"

docroot="$work/www"
"$root/scripts/make-docroot.sh" "$docroot" "$cloud_status" "$mount_folders"

# Requests as "program?query" (no '?' for a URL without a query).
requests=(
  "cloud_status?action_mode=CLOUD_GETSTATUS&BaseDir=$(urlencode "$disk")"
  "cloud_status?action_mode=CLOUD_GETCONFIG"
  "cloud_status?action_mode=CLOUD_NOSUCH"
  "cloud_status"
  "mount_folders?action_mode=$(urlencode "$disk")"
  "mount_folders?action_mode=$(urlencode "$disk/my folder")"
  "mount_folders?action_mode=$(urlencode "$disk")%2Fmy+folder"
  "mount_folders?action_mode=$(urlencode "$work/missing")"
  "mount_folders"
)

direct_output() { # request -> what the program writes itself
  local program=${1%%\?*} query=
  [[ $1 == *\?* ]] && query=${1#*\?}
  QUERY_STRING="$query" "$docroot/cgi-bin/$program"
  printf x # keep trailing line ends through $(...)
}

# busybox httpd passes the header block through byte for byte: everything
# after the status line must be exactly the program's output.
port=$(free_port)
busybox httpd -f -p "127.0.0.1:$port" -h "$docroot" &
pids+=($!)
wait_for_server "$port" || fail "busybox httpd did not start"
for request in "${requests[@]}"; do
  expected=$(direct_output "$request")
  response=$(curl -s -S "http://127.0.0.1:$port/cgi-bin/$request"  -i; printf x)
  status_line=${response%%$'\r\n'*}
  check_equal "busybox status $request" "HTTP/1.1 200 OK" "$status_line"
  check_equal "busybox $request" "$expected" "${response#*$'\r\n'}"
done

# lighttpd rewrites header lines, so compare the header values and the body.
start_lighttpd "$docroot" "$work" || { fail "lighttpd did not start"; cat "$work/lighttpd.log"; }
pids+=("$LIGHTTPD_PID")
port=$LIGHTTPD_PORT
for request in "${requests[@]}"; do
  check_lighttpd_response "$request" "$(direct_output "$request")" \
    "$(curl -s -S "http://127.0.0.1:$port/cgi-bin/$request" -i; printf x)"
done

# And the responses themselves, pinned once.
check_equal "status rows" "$header_block"$'["WebDAV","","Sync","done \\"ok\\" \\u003cb\\u003e"]\n'x \
  "$(direct_output "cloud_status?action_mode=CLOUD_GETSTATUS&BaseDir=$(urlencode "$disk")/Cloud/.logs/../..")"
check_equal "config" "$header_block&#60a&#62b&#62c&#62e&#62f&#62g/&#601&#622&#623"$'\n'x \
  "$(direct_output "cloud_status?action_mode=CLOUD_GETCONFIG")"
check_equal "listing" "$header_block"'["inner é"]x' \
  "$(direct_output "mount_folders?action_mode=$(urlencode "$disk/my folder")")"
listing=$(direct_output "mount_folders?action_mode=$(urlencode "$disk")")
for row in '["Say \"hi\""]' '["\u003cb\u003ebold"]' '["back\\slash"]' '["new\nline"]' \
           '["sep\u2028x"]' '["Ünïcødé 日本"]' '["my folder"]'; do
  checks=$((checks + 1))
  [[ $listing == *"$row"* ]] || fail "listing lacks $row"
done
checks=$((checks + 1))
[[ $listing == *hidden* || $listing == *RECYCLER* ]] && fail "listing shows hidden or system folders"

check_summary
