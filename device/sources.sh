# The pinned Debian packages of device/sources.lock (source it): where they
# are kept, which file is which, and whether those there are the ones we
# tested. The lock is the one place a source's name, version and checksum
# are written; the builds ask it for their files.
# The sources folder is CGI_SOURCES_DIR, or sources/ in the checkout. It lies
# outside build/, so a clean build keeps it; a machine without network can be
# handed a copy.

sources_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
sources_dir=${CGI_SOURCES_DIR:-$sources_root/sources}
sources_lock=$sources_root/device/sources.lock

# The lines of the lock for GROUP: kind package=version file sha256.
sources_entries() { # GROUP
  awk -v group="$1" '!/^#/ && $1 == group { print $2, $3, $4, $5 }' "$sources_lock"
}

# The path of the one file of GROUP whose name matches PATTERN (a glob).
sources_file() { # GROUP PATTERN
  local kind package file sha256 found=
  while read -r kind package file sha256; do
    # shellcheck disable=SC2053 # a glob, on purpose
    [[ $file == $2 ]] && found+="$sources_dir/$file"$'\n'
  done < <(sources_entries "$1")
  [ -n "$found" ] && [ "$(printf '%s' "$found" | wc -l)" -eq 1 ] ||
    { echo "not one file of $1 matches $2 in $sources_lock" >&2; return 1; }
  printf '%s' "$found"
}

# The upstream version of PACKAGE in GROUP: no epoch, no Debian revision.
sources_upstream() { # GROUP PACKAGE
  local version
  version=$(sources_entries "$1" | awk -v package="$2" '{ split($2, p, "="); if (p[1] == package || p[1] ~ "^" package ":") { print p[2]; exit } }')
  [ -n "$version" ] || { echo "no $2 in group $1 of $sources_lock" >&2; return 1; }
  version=${version#*:}
  printf '%s\n' "${version%-*}"
}

# Whether FILE has the SHA-256 the lock records; says why not.
sources_matches() { # FILE SHA256
  local actual
  if [ ! -f "$1" ]; then
    echo "missing: $1" >&2
    return 1
  fi
  actual=$(sha256sum "$1" | cut -d' ' -f1)
  [ "$actual" = "$2" ] && return 0
  echo "not the file we tested: $1 (SHA-256 $actual, expected $2)" >&2
  return 1
}

# The packages of GROUP whose files are missing or differ, as apt names them:
# "source musl=1.2.3-1", "deb pkg:arch=version". Quiet.
sources_missing() { # GROUP
  local kind package file sha256
  while read -r kind package file sha256; do
    sources_matches "$sources_dir/$file" "$sha256" 2>/dev/null || echo "$kind $package"
  done < <(sources_entries "$1")
}

# Succeeds when every file of GROUP is in the sources folder with the SHA-256
# the lock records; otherwise says which is missing or differs.
sources_verify() { # GROUP
  local kind package file sha256 status=0
  while read -r kind package file sha256; do
    sources_matches "$sources_dir/$file" "$sha256" || status=1
  done < <(sources_entries "$1")
  return $status
}

# Verifies GROUP, fetching it first when files are missing (that needs the
# network: device/fetch-sources.sh). Fails on anything it cannot verify.
sources_ensure() { # GROUP
  [ -n "$(sources_entries "$1")" ] || { echo "no group $1 in $sources_lock" >&2; return 1; }
  sources_verify "$1" 2>/dev/null && return 0
  "$sources_root/device/fetch-sources.sh" "$1" && sources_verify "$1"
}
