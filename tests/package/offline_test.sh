#!/usr/bin/env bash
# Once the sources are fetched, a device build needs no network: the C
# library this build links was built where no network answers (device/
# sysroot.sh marks such a sysroot), and the preset configures and builds in
# a copy of the checkout holding only that sysroot in build/, in a network
# namespace of its own that reaches nothing; its programs must be byte for
# byte this build's.
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
# Without a network namespace for device/sysroot.sh a machine cannot tell.
[ -e "$DEVICE_SYSROOT/.built-offline" ] || skip_if_missing " a C library built offline in $DEVICE_SYSROOT"

mkdir "$work/checkout"
git -C "$root" ls-files -z -c -o --exclude-standard |
  (cd "$root" && xargs -0 cp --parents -t "$work/checkout" 2>/dev/null)
check "a copy of the checkout without build/" [ ! -e "$work/checkout/build" ]
mkdir -p "$work/checkout/build/sysroot"
cp -a "$DEVICE_SYSROOT" "$work/checkout/build/sysroot/$preset"

namespace=(unshare --net)
[ "$(id -u)" -eq 0 ] || namespace=(unshare --user --map-root-user --net)
offline_build() {
  cd "$work/checkout" || exit 1
  # The namespace means what it says: nothing answers from inside.
  if curl -s -o /dev/null --max-time 5 http://deb.debian.org/; then
    echo "the network is reachable"
    exit 1
  fi
  # The sysroot is this build's: sysroot.sh finds it made from the same sources.
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
