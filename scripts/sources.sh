# The pinned Debian packages of scripts/sources.lock (source it): where they
# are kept, and whether those there are the ones we tested.
# The sources folder is CGI_SOURCES_DIR, or sources/ in the checkout. It lies
# outside build/, so a clean build keeps it; a machine without network can be
# handed a copy.

sources_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
sources_dir=${CGI_SOURCES_DIR:-$sources_root/sources}
sources_lock=$sources_root/scripts/sources.lock

# The lines of the lock for GROUP: kind package=version file sha256.
sources_entries() { # GROUP
  awk -v group="$1" '!/^#/ && $1 == group { print $2, $3, $4, $5 }' "$sources_lock"
}

# The path of FILE of GROUP in the sources folder.
sources_path() { # GROUP FILE
  printf '%s/%s\n' "$sources_dir" "$2"
}

# Succeeds when every file of GROUP is in the sources folder with the SHA-256
# the lock records; otherwise says which is missing or differs.
sources_verify() { # GROUP
  local kind package file sha256 actual status=0
  while read -r kind package file sha256; do
    if [ ! -f "$sources_dir/$file" ]; then
      echo "missing: $sources_dir/$file ($package)" >&2
      status=1
      continue
    fi
    actual=$(sha256sum "$sources_dir/$file" | cut -d' ' -f1)
    if [ "$actual" != "$sha256" ]; then
      echo "not the file we tested: $sources_dir/$file (SHA-256 $actual, expected $sha256)" >&2
      status=1
    fi
  done < <(sources_entries "$1")
  return $status
}

# Verifies GROUP, fetching it first when files are missing (that needs the
# network: scripts/fetch-sources.sh). Fails on anything it cannot verify.
sources_ensure() { # GROUP
  [ -n "$(sources_entries "$1")" ] || { echo "no group $1 in $sources_lock" >&2; return 1; }
  sources_verify "$1" 2>/dev/null && return 0
  "$sources_root/scripts/fetch-sources.sh" "$1" && sources_verify "$1"
}
