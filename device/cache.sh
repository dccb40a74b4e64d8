# Builds made once and kept until what they are made from changes: the
# device C libraries and the router's own busybox (source it).

# Builds OUTPUT (a folder) once: COMMAND makes it, and it is made again only
# when STAMP, which names what it is made from, changes. One build at a time:
# builds side by side share it. Call it as a command of its own under set -e,
# never on the left of || or in a condition (set -e would be off in COMMAND,
# and a failed build would count as made).
build_once() { # OUTPUT STAMP COMMAND...
  local output=$1 stamp=$2
  shift 2
  [ "$(cat "$output/.stamp" 2>/dev/null)" = "$stamp" ] && return 0
  mkdir -p "$(dirname "$output")"
  exec 9>"$output.lock"
  flock 9
  [ "$(cat "$output/.stamp" 2>/dev/null)" = "$stamp" ] && return 0
  rm -rf "$output"
  "$@"
  echo "$stamp" > "$output/.stamp"
}

# A stamp for build_once: the SHA-256 of the words given and of the files.
stamp_of() { # WORDS -- FILE...
  local words=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do words+=("$1"); shift; done
  shift
  { printf '%s\n' "${words[@]}"; cat "$@"; } | sha256sum | cut -d' ' -f1
}
