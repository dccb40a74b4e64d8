#!/usr/bin/env bash
# Fetches the pinned Debian packages of device/sources.lock (C library
# sources, the router boxes' kernels and busybox) into the sources folder
# (sources/, or CGI_SOURCES_DIR), and checks each against its SHA-256. Files
# already there and matching are kept, so once this has run the device builds
# and the boxes need no network.
# Usage: device/fetch-sources.sh [GROUP...]   (all groups by default)
# The packages come from the machine's own Debian mirror through a private apt
# state: nothing in /etc/apt changes.
set -euo pipefail
# shellcheck source=sources.sh
source "$(dirname "$0")/sources.sh"

groups=("$@")
[ ${#groups[@]} -gt 0 ] || mapfile -t groups < <(awk '!/^#/ && NF { print $1 }' "$sources_lock" | uniq)

# What is missing or differs, as apt names it: "source musl=1.2.3-1", "deb pkg:arch=version".
wanted=()
for group in "${groups[@]}"; do
  [ -n "$(sources_entries "$group")" ] || { echo "no group $group in $sources_lock" >&2; exit 2; }
  mapfile -t -O ${#wanted[@]} wanted < <(sources_missing "$group")
done
[ ${#wanted[@]} -eq 0 ] && exit 0
mapfile -t wanted < <(printf '%s\n' "${wanted[@]}" | sort -u)

"$sources_root/scripts/install-deps.sh" dpkg-dev
mkdir -p "$sources_dir"
# Side by side configures share the folder: one fetch at a time.
exec 9>"$sources_dir/.lock"
flock 9
work=$(mktemp -d "$sources_dir/.fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
apt_state=$work/apt
mkdir -p "$apt_state/lists/partial" "$apt_state/cache/archives/partial" "$apt_state/sources.list.d" \
         "$work/files"
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' 2>/dev/null |
         awk '$2 == "bookworm" {print $1; exit}')
architectures=$(printf '%s\n' "${wanted[@]}" | sed -n 's/^deb [^:]*:\([a-z0-9]*\)=.*/\1/p' | sort -u)
cat > "$apt_state/sources.list.d/debian.sources" <<SOURCES
Types: deb deb-src
URIs: ${mirror:-http://deb.debian.org/debian/}
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_state/sources.list.d"
         -o "Dir::State::Lists=$apt_state/lists" -o "Dir::Cache=$apt_state/cache"
         -o Dir::State::status=/dev/null -o Debug::NoLocking=1 -o APT::Sandbox::User=root -qq
         -o "APT::Architectures::=$(dpkg --print-architecture)")
for architecture in $architectures; do options+=(-o "APT::Architectures::=$architecture"); done
echo "fetching: ${wanted[*]}"
apt-get "${options[@]}" update
sources=() debs=()
for item in "${wanted[@]}"; do
  case $item in
    source\ *) sources+=("${item#source }") ;;
    deb\ *) debs+=("${item#deb }") ;;
  esac
done
# apt checks what it fetches against the archive's signed indexes. Each
# command's failure counts: this runs on the left of ||, where set -e is off.
(
  cd "$work/files" || exit 1
  if [ ${#sources[@]} -gt 0 ]; then apt-get "${options[@]}" source --download-only "${sources[@]}" || exit 1; fi
  if [ ${#debs[@]} -gt 0 ]; then apt-get "${options[@]}" download "${debs[@]}" || exit 1; fi
) >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; echo "fetching from the Debian mirror failed" >&2; exit 1; }
# Only a file with the bytes the lock pins goes into the sources folder, so a
# file verified before is never replaced by a download that differs. apt-get
# download puts an epoch into the name as "1%3a"; the archive's own file name
# has none.
for file in "$work/files"/*; do
  [ -f "$file" ] || continue
  name=$(basename "$file")
  name=${name/_[0-9]%3a/_}
  expected=$(awk -v file="$name" '!/^#/ && $4 == file { print $5; exit }' "$sources_lock")
  [ -n "$expected" ] || continue # a part the lock does not pin
  if ! sources_matches "$file" "$expected"; then
    echo "the mirror gave other bytes for $name: not kept" >&2
    continue
  fi
  mv -f "$file" "$sources_dir/$name"
done

status=0
for group in "${groups[@]}"; do
  sources_verify "$group" || status=1
done
if [ $status -ne 0 ]; then
  echo "The mirror no longer has the versions device/sources.lock pins, or gave other bytes." >&2
fi
exit $status
