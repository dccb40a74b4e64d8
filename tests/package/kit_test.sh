#!/usr/bin/env bash
# Builds the device programs the way an integrator does with a firmware kit's
# toolchain: the preset's toolchain file pointed at an existing C library
# (CGI_DEVICE_SYSROOT) and compiler (CGI_DEVICE_CROSS), with no tests, as if
# they were the kit's. Here they are the ones the preset itself used, so the
# package must come out byte for byte the preset's.
# Usage: kit_test.sh BUILD_DIR   (a device build)
set -uo pipefail
build=${1:?}
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../support/checks.sh
source "$root/tests/support/checks.sh"
# shellcheck source=/dev/null
source "$build/package.conf"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

kit="$work/kit"
if ! cmake -S "$root" -B "$kit" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" \
     -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
     -DCGI_DEVICE_SYSROOT="$DEVICE_SYSROOT" -DCGI_DEVICE_CROSS="${C_COMPILER%gcc}" \
     >"$work/configure.log" 2>&1; then
  cat "$work/configure.log"
  fail "configure with the kit's toolchain"
  check_summary
  exit 1
fi
check "build with the kit's toolchain" cmake --build "$kit" -j"$(nproc)"
check "the kit build links the kit's C library" \
  grep -qF "DEVICE_SYSROOT='$DEVICE_SYSROOT'" "$kit/package.conf"
kit_package=$("$root/scripts/make-ipk.sh" "$kit" "$work/kit-ipk") || fail "package the kit build"
preset_package=$("$root/scripts/make-ipk.sh" "$build" "$work/preset-ipk") || fail "package the preset build"
check_equal "the package name" "$(basename "$preset_package")" "$(basename "$kit_package")"
check "the same package bytes as the preset's" cmp "$preset_package" "$kit_package"
check_summary
