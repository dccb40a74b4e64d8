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

# Prints the count; the exit status says whether all passed.
check_summary() {
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}
