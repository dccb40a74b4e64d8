#!/usr/bin/env bash
# Once the sources are fetched, a device build needs no network: builds the
# target's C library (device/sysroot.sh), then configures and builds the
# device preset, in a copy of the checkout
# with an empty build/, in a network namespace of its own that reaches
# nothing, and checks that its programs are byte for byte this build's.
# Usage: offline_test.sh BUILD_DIR   (a device build made by a preset)
set -uo pipefail
build=${1:?}
# shellcheck source=../support/harness.sh
source "$(dirname "$0")/../support/harness.sh"
root=$harness_root
# shellcheck source=../../device/sources.sh
source "$root/device/sources.sh"
skip_if_missing "$(missing_tools unshare git curl)"
use_build "$build"

preset=$DEVICE_TARGET
sources_ensure "$DEVICE_LIBC" || { fail "the $DEVICE_LIBC sources are not fetched"; check_summary; exit 1; }

mkdir "$work/checkout"
git -C "$root" ls-files -z -c -o --exclude-standard |
  (cd "$root" && xargs -0 cp --parents -t "$work/checkout" 2>/dev/null)
check "a copy of the checkout without build/" [ ! -e "$work/checkout/build" ]

namespace=(unshare --net)
[ "$(id -u)" -eq 0 ] || namespace=(unshare --user --map-root-user --net)
offline_build() {
  cd "$work/checkout" || exit 1
  # The namespace means what it says: nothing answers from inside.
  if curl -s -o /dev/null --max-time 5 http://deb.debian.org/; then
    echo "the network is reachable"
    exit 1
  fi
  device/sysroot.sh "$preset" && cmake --preset "$preset" -DBUILD_TESTING=OFF &&
    cmake --build "build/$preset" -j"$(nproc)"
}
export -f offline_build
export work preset
started=$SECONDS
env CGI_SOURCES_DIR="$sources_dir" "${namespace[@]}" bash -c offline_build >"$work/build.log" 2>&1
status=$?
check "configure and build $preset offline" [ $status -eq 0 ]
[ $status -eq 0 ] || tail -n 30 "$work/build.log"
echo "the offline build took $((SECONDS - started)) s"
for program in cloud_status/cloud_status mount_folders/mount_folders; do
  check "$program is the same as this build's" cmp "$build/$program" "$work/checkout/build/$preset/$program"
done
check_summary
