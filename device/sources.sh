#!/usr/bin/env bash
# The pinned Debian files of device/sources.lock, kept in the sources folder
# (sources/, or CGI_SOURCES_DIR: outside build/, so a clean build keeps it).
# Run it to fetch every group, or the groups named, once; the builds source
# it and ask for their files. A file is fetched only when it is missing or
# differs, from its path in the Debian archive (CGI_DEBIAN_MIRROR, by
# default http://deb.debian.org/debian), is kept only with the bytes the lock
# pins, and a group is used only when sha256sum -c passes on all of it. Once
# fetched, nothing needs the network; nothing of the machine's apt changes.
# Usage: device/sources.sh [GROUP...]

sources_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
sources_dir=${CGI_SOURCES_DIR:-$sources_root/sources}
sources_lock=$sources_root/device/sources.lock

# The lock's lines for GROUP, as sha256sum -c reads them: SHA-256, name.
sources_sums() { # GROUP
  awk -v group="$1" '!/^#/ && $1 == group { n = split($3, path, "/"); print $2 "  " path[n] }' \
    "$sources_lock"
}

sources_check() { # GROUP
  (cd "$sources_dir" 2>/dev/null && sources_sums "$1" | sha256sum -c --strict --quiet)
}

# Makes sure every file of GROUP is there with its pinned bytes, fetching
# what is not; says what is wrong when that fails.
sources_ensure() { # GROUP
  local sum path name download
  [ -n "$(sources_sums "$1")" ] || { echo "no group $1 in $sources_lock" >&2; return 1; }
  sources_check "$1" >/dev/null 2>&1 && return 0
  mkdir -p "$sources_dir" || return 1
  while read -r sum path; do
    name=${path##*/}
    [ "$(sha256sum 2>/dev/null <"$sources_dir/$name")" = "$sum  -" ] && continue
    download=$(mktemp "$sources_dir/.$name.XXXXXX") || return 1
    if ! curl -fsS --retry 2 -o "$download" "${CGI_DEBIAN_MIRROR:-http://deb.debian.org/debian}/$path"; then
      echo "could not fetch $name from the Debian mirror" >&2
    elif [ "$(sha256sum <"$download")" != "$sum  -" ]; then
      echo "the mirror gave other bytes for $name: not kept" >&2
    else
      mv -f "$download" "$sources_dir/$name"
    fi
    rm -f "$download"
  done < <(awk -v group="$1" '!/^#/ && $1 == group { print $2, $3 }' "$sources_lock")
  sources_check "$1"
}

# The path of the one file of GROUP whose name matches PATTERN (a glob).
sources_file() { # GROUP PATTERN
  local sum name found=()
  while read -r sum name; do
    # shellcheck disable=SC2053 # a glob, on purpose
    [[ $name == $2 ]] && found+=("$sources_dir/$name")
  done < <(sources_sums "$1")
  [ ${#found[@]} -eq 1 ] || { echo "not one file of $1 matches $2 in $sources_lock" >&2; return 1; }
  printf '%s\n' "${found[0]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  groups=("$@")
  [ ${#groups[@]} -gt 0 ] || mapfile -t groups < <(awk '!/^#/ && NF { print $1 }' "$sources_lock" | uniq)
  status=0
  for group in "${groups[@]}"; do
    sources_ensure "$group" || status=1
  done
  exit $status
fi
