#!/usr/bin/env bash
# Serves the demo page and both programs with busybox httpd on 127.0.0.1 and
# drives it in headless Chromium (browser_test.mjs), with the checks of a
# page that stays live (a log rewritten under it, the page hidden, a folder
# of 20,000).
# Usage: browser_test.sh CLOUD_STATUS MOUNT_FOLDERS CONF_PATH SCREENSHOT
# CLOUD_STATUS must read its configuration from CONF_PATH.
set -uo pipefail
cloud_status=${1:?} mount_folders=${2:?} conf_path=${3:?} screenshot=${4:?}
# shellcheck source=../support/harness.sh
source "$(dirname "$0")/../support/harness.sh"
skip_if_missing "$(missing_tools busybox curl)$(missing_for_browser)"

make_scratch
make_sample "$SCRATCH/sample"
mkdir -p "$(dirname "$conf_path")"
remove_at_exit "$(dirname "$conf_path")"
cp "$SCRATCH/sample/Cloud.conf" "$conf_path"
port=$(free_port)
# As the demo does: the programs answer only requests for its own address.
make_docroot "$SCRATCH/www" "$cloud_status" "$mount_folders" "127.0.0.1:$port" "localhost:$port"

# A folder of 20,000 sub-folders with 200-byte names (a 4 MB listing).
mkdir "$SCRATCH/large"
(cd "$SCRATCH/large" && seq -f "%06g$(printf 'x%.0s' {1..194})" 1 20000 | xargs -d '\n' mkdir)

# Names that could pass for "Photos": an invisible character after it, a
# space, tab or no-break space at its end, a line end in it; names of only a
# filler or a soft hyphen; a letter under 127 combining marks.
mkdir "$SCRATCH/lookalikes"
(cd "$SCRATCH/lookalikes" && mkdir Photos \
  "Photos$(printf '\315\217')" "Photos$(printf '\341\240\216')" "Photos$(printf '\342\201\241')" \
  "Photos$(printf '\342\201\252')" "Photos$(printf '\357\270\217')" "Photos$(printf '\363\240\201\201')" \
  "Photos$(printf '\360\235\205\263')" "Photos$(printf '\343\205\244')" "Photos " "Photos$(printf '\t')" \
  "Photos$(printf '\302\240')" "$(printf 'Photos\nMusic')" "$(printf '\343\205\244')" "$(printf '\302\255')" \
  "a$(printf '\314\201%.0s' {1..127})")

demo_server "$SCRATCH/www" "127.0.0.1:$port"
"${DEMO_SERVER[@]}" &
stop_at_exit $!
wait_for_server "$port" || { echo "busybox httpd did not start"; exit 1; }
# A page on another site that rebinds its name to 127.0.0.1 sends its own Host.
listing="cgi-bin/mount_folders?action_mode=$(urlencode "$SCRATCH/sample/disk")"
for host in "127.0.0.1:$port" "localhost:$port" "attacker.example:$port" "127.0.0.1:1"; do
  response=$(curl -s -S -i -H "Host: $host" "http://127.0.0.1:$port/$listing")
  if [[ $host == *.example:* || $host == *:1 ]]; then
    check_equal "the demo refuses Host $host" "HTTP/1.1 403 Forbidden" "${response%%$'\r'*}"
    check "and lists nothing for it" [ -z "$(grep -F '["Music"]' <<<"$response")" ]
  else
    check "the demo lists the disk for Host $host" grep -qF '["Music"]' <<<"$response"
  fi
done
# Another local user asks the demo's programs for a folder they may not read:
# the server never runs them as root, so they list nothing of it (and
# answer the same user for a folder they may read).
mkdir -p "$SCRATCH/private/secret-project"
chmod 700 "$SCRATCH/private"
as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
for folder in private sample/disk; do
  response=$("${as_nobody[@]}" curl -s -S -i \
    "http://127.0.0.1:$port/cgi-bin/mount_folders?action_mode=$(urlencode "$SCRATCH/$folder")"
    status=$?; printf x; exit $status)
  status=$?
  check "another user asks the demo for $folder (status $status)" [ "$status" -eq 0 ]
  case $folder in
    private) check_equal "and it lists nothing of a folder they cannot read" "${header_block}x" \
               "${response#*$'\r\n'}" ;;
    *) check "and it lists a folder they can read" grep -qF '["Music"]' <<<"$response" ;;
  esac
done
LIVE_DISK="$SCRATCH/large" LOOKALIKE_DISK="$SCRATCH/lookalikes" check_page "the demo page" \
  "http://127.0.0.1:$port/?mnt=$(urlencode "$SCRATCH/sample")&root=$(urlencode "$SCRATCH/sample/disk")" \
  "$SCRATCH/sample/disk" "$screenshot"
check_summary
