# Counting checks for the shell tests (source it; call check_summary last).

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
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  missing_tools node
  [ -x /usr/bin/chromium ] || printf ' chromium'
  [ -d "$here/browser/node_modules/playwright-core" ] ||
    printf ' playwright-core (npm ci in tests/browser)'
}

# Skips the test (status 77) when MISSING lists anything; under CI, which
# must run every test, that is a failure instead.
skip_if_missing() { # MISSING
  [ -z "$1" ] && return 0
  echo "missing:$1"
  [ "${CI:-}" = true ] && exit 1
  exit 77
}
