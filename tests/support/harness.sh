# What every shell test shares (source it; call check_summary last): the
# project's shell helpers, counting checks, the programs' own answers, the
# browser test's page checks, and skipping what cannot run here.
harness_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=fixtures.sh
source "$harness_root/tests/support/fixtures.sh"

failures=0 checks=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# check DESCRIPTION COMMAND...: the command must succeed.
check() {
  local what=$1
  shift
  checks=$((checks + 1))
  "$@" || fail "$what"
}

# check_equal DESCRIPTION EXPECTED ACTUAL: byte for byte; shows where they differ.
check_equal() {
  checks=$((checks + 1))
  if [ "$2" != "$3" ]; then
    fail "$1"
    diff <(printf '%s' "$2" | od -c) <(printf '%s' "$3" | od -c) | head -n 20
  fi
}

# The header block every response starts with.
header_block=$'Content-Type:text/html\r\nCache-Control:private,max-age=0;\r\n\r\n'

# check_lighttpd_response NAME EXPECTED RESPONSE: EXPECTED is what the
# program writes; lighttpd rewrites its header lines, so the status, the two
# header values and the body of RESPONSE (curl -i) are compared.
check_lighttpd_response() {
  local head=${3%%$'\r\n\r\n'*} body=${3#*$'\r\n\r\n'}
  check_equal "lighttpd status $1" "HTTP/1.1 200 OK" "${head%%$'\r\n'*}"
  check_equal "lighttpd content type $1" "Content-Type: text/html" \
    "$(grep -i '^Content-Type:' <<<"$head" | tr -d '\r')"
  check_equal "lighttpd cache control $1" "Cache-Control: private,max-age=0;" \
    "$(grep -i '^Cache-Control:' <<<"$head" | tr -d '\r')"
  check_equal "lighttpd body $1" "${2#"$header_block"}" "$body"
}

# For a test of one build (BUILD_DIR): the facts of its package, from
# BUILD_DIR/package.conf, and a scratch folder, WORK.
use_build() { # BUILD_DIR
  # shellcheck source=/dev/null
  source "$1/package.conf"
  make_scratch
  work=$SCRATCH
}

# Prints the count; the exit status says whether all passed.
check_summary() {
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}

# The tools among the arguments that are not installed, as " tool tool".
missing_tools() {
  local tool
  for tool; do command -v "$tool" >/dev/null || printf ' %s' "$tool"; done
}

# What the browser test needs that is missing (node, Chromium, playwright-core).
missing_for_browser() {
  missing_tools node
  [ -x /usr/bin/chromium ] || printf ' chromium'
  [ -d "$harness_root/tests/browser/node_modules/playwright-core" ] ||
    printf ' playwright-core (npm ci in tests/browser)'
}

# The browser test's page checks against the page at URL, run by Chromium:
# DISK is the sample disk on this machine, PAGE_ROOT the path the page shows
# for it (DISK when the page is served from here). PAGE_CREDENTIALS answers a
# password. Skipped when Chromium and the rest are missing; under CI, which
# must run every test, that is a failure instead.
check_page() { # NAME URL DISK SCREENSHOT [PAGE_ROOT]
  local missing
  missing=$(missing_for_browser)
  if [ -z "$missing" ]; then
    mkdir -p "$(dirname "$4")"
    check "$1" node "$harness_root/tests/browser/browser_test.mjs" "${@:2}"
  elif [ "${CI:-}" = true ]; then
    fail "$1 needs$missing"
  else
    echo "skipped $1, which needs$missing"
  fi
}

# What a program writes itself for REQUEST ("program?query", no '?' for no
# query), started from FOLDER after any COMMAND words (an emulator, with_opt
# and its folder), with an x after it to keep trailing line ends through $(...).
direct_output() { # REQUEST [COMMAND...] FOLDER
  local request=$1 query=
  shift
  [[ $request == *\?* ]] && query=${request#*\?}
  (QUERY_STRING=$query "${@:1:$#-1}" "${!#}/${request%%\?*}")
  printf x
}

# The programs' answers for the sample disk (fixtures.sh's make_sample)
# hold what it does, so that answers compared equal cannot pass by being
# empty. ANSWER is a command that prints a program's own answer for
# "program?query" (with an x after it); DISK the disk's path as a query
# value.
check_sample_answers() { # ANSWER DISK
  local answer=$1 disk=$2 listing status row
  listing=$($answer "mount_folders?action_mode=$disk")
  for row in '["Say \"hello\""]' '["\u003cb\u003ebold"]' '["back\\slash"]' '["two\nlines"]' \
             '["sep\u2028x"]' '["Café Ünïcødé 日本"]' '["Photos 2026"]' \
             '["\u003cimg src=x onerror=window.pwned=1\u003e"]'; do
    check "the listing holds $row" grep -qF "$row" <<<"$listing"
  done
  check "the listing shows no hidden or system folder" [ -z "$(grep -E 'hidden|RECYCLER' <<<"$listing")" ]
  check_equal "the listing of a folder" "$header_block"'["Summer é"]x' \
    "$($answer "mount_folders?action_mode=$disk%2FPhotos%202026")"
  status=$($answer "cloud_status?action_mode=CLOUD_GETSTATUS&BaseDir=$disk")
  for row in '["WebDAV","","Sync","Last sync 2026-12-08 01:40, 1,204 files"]' \
             '["SkyDrive","","Error","Login failed: \"token expired\" \u003cretry in 5 min\u003e"]'; do
    check "the status rows hold $row" grep -qxF -e "$row" -e ",$row" <<<"$status"
  done
  check_equal "the configuration" \
    "$header_block&#600&#62alice&#62https://dav.example.net/backup&#62/tmp/mnt/sda1/Backup&#620&#621/&#602&#62bob@example.com&#62https://box.example.com&#62/tmp/mnt/sda1/Box&#622&#620/x" \
    "$($answer "cloud_status?action_mode=CLOUD_GETCONFIG")"
}

# Skips the test (status 77) when MISSING lists anything; under CI, which
# must run every test, that is a failure instead.
skip_if_missing() { # MISSING
  [ -z "$1" ] && return 0
  echo "missing:$1"
  [ "${CI:-}" = true ] && exit 1
  exit 77
}
