#!/usr/bin/env bash
# device/fetch-sources.sh against a mirror that fails or gives other bytes:
# a copy of the scripts with a lock of its own, and a stand-in for apt-get
# that answers from STUB_MIRROR ("down", or the bytes of the first file).
# A failed download must say why; a download that differs from the lock
# must never replace a file that was verified before.
# Usage: fetch_test.sh
set -uo pipefail
# shellcheck source=../support/harness.sh
source "$(dirname "$0")/../support/harness.sh"
make_scratch
work=$SCRATCH
mkdir -p "$work/checkout/device" "$work/checkout/scripts" "$work/bin" "$work/sources"
cp "$harness_root"/device/{fetch-sources.sh,sources.sh} "$work/checkout/device/"
cp "$harness_root"/scripts/install-deps.sh "$work/checkout/scripts/"
sha() { printf '%s' "$1" | sha256sum | cut -d' ' -f1; }
cat > "$work/checkout/device/sources.lock" <<LOCK
demo source demo=1 demo_1.dsc $(sha "good dsc")
demo source demo=1 demo_1.tar.gz $(sha "good tar")
LOCK
cat > "$work/bin/apt-get" <<'STUB'
#!/bin/sh
for arg; do
  case $arg in update | indextargets | source | download) command=$arg ;; esac
done
case $command in
  source)
    if [ "$STUB_MIRROR" = down ]; then
      echo "E: Failed to fetch http://mirror.invalid/demo_1.dsc  Could not connect" >&2
      exit 100
    fi
    printf '%s' "$STUB_MIRROR" > demo_1.dsc
    printf 'good tar' > demo_1.tar.gz ;;
esac
exit 0
STUB
chmod 755 "$work/bin/apt-get"
fetch() { # STUB_MIRROR -> status, with what it said in $work/said
  PATH="$work/bin:$PATH" STUB_MIRROR=$1 CGI_SOURCES_DIR="$work/sources" \
    "$work/checkout/device/fetch-sources.sh" demo >"$work/said" 2>&1
}

fetch down
check "a mirror that is down fails the fetch" [ $? -ne 0 ]
check "and the fetch says why" grep -qF "Could not connect" "$work/said"

fetch "other dsc"
check "a download that differs from the lock fails the fetch" [ $? -ne 0 ]
check "and is not kept" [ ! -e "$work/sources/demo_1.dsc" ]
check "what matches is kept" [ "$(cat "$work/sources/demo_1.tar.gz")" = "good tar" ]

fetch "good dsc"
check "a good download completes the sources" [ $? -eq 0 ]
check_equal "the verified file" "good dsc" "$(cat "$work/sources/demo_1.dsc")"
rm "$work/sources/demo_1.tar.gz"
fetch "other dsc"
check "a fetch for a missing file succeeds when the rest was verified" [ $? -eq 0 ]
check_equal "a verified file is not replaced by a download that differs" "good dsc" \
  "$(cat "$work/sources/demo_1.dsc")"
check "and the fetch says so" grep -qF "the mirror gave other bytes for demo_1.dsc" "$work/said"
check_summary
