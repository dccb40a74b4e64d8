#!/usr/bin/env bash
# device/sources.sh against a mirror that fails or gives other bytes: a lock
# of its own, in a copy of the script, and a stand-in mirror in a folder.
# A failed download must say why; a download that differs from the lock
# must never be kept, nor replace a file that was verified before.
# Usage: fetch_test.sh
set -uo pipefail
# shellcheck source=../support/harness.sh
source "$(dirname "$0")/../support/harness.sh"
make_scratch
work=$SCRATCH
mkdir -p "$work/checkout/device" "$work/mirror/pool" "$work/sources"
cp "$harness_root/device/sources.sh" "$work/checkout/device/"
sha() { printf '%s' "$1" | sha256sum | cut -d' ' -f1; }
printf '%s\n' "demo $(sha "good dsc") pool/demo_1.dsc" "demo $(sha "good tar") pool/demo_1.tar.gz" \
  > "$work/checkout/device/sources.lock"
fetch() { # -> status, with what it said in $work/said
  CGI_DEBIAN_MIRROR="file://$work/mirror" CGI_SOURCES_DIR="$work/sources" \
    "$work/checkout/device/sources.sh" demo >"$work/said" 2>&1
}

fetch
check "a mirror without the files fails the fetch" [ $? -ne 0 ]
check "and the fetch says why" grep -qF "could not fetch demo_1.dsc" "$work/said"

printf 'other dsc' > "$work/mirror/pool/demo_1.dsc"
printf 'good tar' > "$work/mirror/pool/demo_1.tar.gz"
fetch
check "a download that differs from the lock fails the fetch" [ $? -ne 0 ]
check "and is not kept" [ ! -e "$work/sources/demo_1.dsc" ]
check "what matches is kept" [ "$(cat "$work/sources/demo_1.tar.gz")" = "good tar" ]

printf 'good dsc' > "$work/mirror/pool/demo_1.dsc"
fetch
check "a good download completes the sources" [ $? -eq 0 ]
rm "$work/sources/demo_1.tar.gz"
printf 'other dsc' > "$work/mirror/pool/demo_1.dsc"
fetch
check "a fetch for a missing file succeeds when the rest was verified" [ $? -eq 0 ]
check_equal "a verified file is not replaced by a download that differs" "good dsc" \
  "$(cat "$work/sources/demo_1.dsc")"
rm -r "$work/mirror"
fetch
check "once fetched, nothing needs the mirror" [ $? -eq 0 ]
check_summary
