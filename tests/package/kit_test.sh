#!/usr/bin/env bash
# Builds the device programs the way an integrator does with a firmware kit's
# toolchain: the preset's toolchain file pointed at an existing C library
# (CGI_DEVICE_SYSROOT) and compiler (CGI_DEVICE_CROSS), with no tests. The
# kit here is a copy of the C library the preset used, somewhere else, and
# the preset's compiler reached through names of the kit's own, which log
# every call: the build must use those two, and the package must come out
# byte for byte the preset's.
# Usage: kit_test.sh BUILD_DIR   (a device build)
set -uo pipefail
build=${1:?}
# shellcheck source=../support/harness.sh
source "$(dirname "$0")/../support/harness.sh"
use_build "$build"

kit_sysroot="$work/kit/staging_dir/target"
mkdir -p "$work/kit/staging_dir" "$work/kit/toolchain/bin"
cp -a "$DEVICE_SYSROOT" "$kit_sysroot"
kit_cross="$work/kit/toolchain/bin/${IPK_ARCH%%-*}-kit-linux-"
calls="$work/kit/calls.log"
# What a kit's bin/ holds besides its compilers (CMake finds them by the prefix).
for tool in gcc g++ ar ranlib strip objdump; do
  printf '#!/bin/sh\necho "%s $*" >> "%s"\nexec "%s" "$@"\n' \
    "$tool" "$calls" "${C_COMPILER%gcc}$tool" > "$kit_cross$tool"
  chmod 755 "$kit_cross$tool"
done

kit="$work/build"
if ! cmake -S "$harness_root" -B "$kit" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" \
     -DCGI_DEVICE_TARGET="$DEVICE_TARGET" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
     -DCGI_DEVICE_SYSROOT="$kit_sysroot" -DCGI_DEVICE_CROSS="$kit_cross" \
     >"$work/configure.log" 2>&1; then
  cat "$work/configure.log"
  fail "configure with the kit's toolchain"
  check_summary
  exit 1
fi
check "build with the kit's toolchain" cmake --build "$kit" -j"$(nproc)"
kit_package=$("$harness_root/package/make-ipk.sh" "$kit" "$work/kit-ipk") || fail "package the kit build"
preset_package=$("$harness_root/package/make-ipk.sh" "$build" "$work/preset-ipk") || fail "package the preset build"
check_equal "the package name" "$(basename "$preset_package")" "$(basename "$kit_package")"
check "the same package bytes as the preset's" cmp "$preset_package" "$kit_package"

# What the build ran: the kit's compilers and strip, with the kit's C library.
log=$(cat "$calls" 2>/dev/null)
for tool in gcc g++ strip; do
  check "the kit's $tool was called" grep -q "^$tool " <<<"$log"
done
check "the programs were compiled against the kit's C library" \
  grep -qF -- "-isystem$kit_sysroot/include" <<<"$log"
check "and linked with it" grep -qF "$kit_sysroot/lib/libc.a" <<<"$log"
check "the preset's C library was never used" [ -z "$(grep -F "$DEVICE_SYSROOT" <<<"$log")" ]
check "the build says it used the kit's C library" \
  grep -qF "DEVICE_SYSROOT='$kit_sysroot'" "$kit/package.conf"
check_summary
