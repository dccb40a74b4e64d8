#!/usr/bin/env bash
# Builds everything and runs the whole test suite:
#  - natively with g++ and clang and under AddressSanitizer and Undefined-
#    BehaviorSanitizer (glibc), and the device builds of the targets
#    device/targets marks for CI (soft-float on MIPS and 32-bit ARM, under
#    qemu CPU models without FPU): unit, process-level, hostile file system,
#    CGI host, browser, package, feed, kit toolchain and offline build tests;
#  - the process-level tests once more under valgrind for the static build;
#  - each libFuzzer harness for FUZZ_SECONDS (default 60; 0 skips them);
#  - the load test through lighttpd (LOAD_TEST=0 skips it).
# PRESETS="default mips" picks other presets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# shellcheck source=../device/targets.sh
source device/targets.sh
presets=${PRESETS:-default clang sanitize $(target_names ci | tr '\n' ' ')}
device_presets=() compilers=()
for preset in $presets; do
  target_facts "$preset" 2>/dev/null || continue
  device_presets+=("$preset")
  [ -z "$target_cross" ] || compilers+=("g++-$target_cross")
done

node_packages=()
command -v node >/dev/null || node_packages=(nodejs npm)
scripts/install-deps.sh busybox lighttpd curl bc chromium fonts-wqy-microhei valgrind \
  libclang-rt-14-dev qemu-user qemu-system-mips qemu-system-arm cpio dpkg-dev patch \
  "${compilers[@]}" "${node_packages[@]}"
npm ci --prefix tests/browser --no-audit --no-fund --loglevel=error
# The pinned sources of the C libraries and the routers, once.
device/sources.sh

jobs=$(nproc)
# The device C libraries (and the router's busybox, after the mipsel one)
# are built meanwhile, on what the builds and tests leave of the cores; each
# preset below waits for its own.
(
  for preset in "${device_presets[@]}"; do
    nice -n 19 device/sysroot.sh "$preset" >/dev/null || true
    if [ "$preset" = mipsel ]; then nice -n 19 router/build-busybox.sh >/dev/null || true; fi
  done
) &
background=$!
trap 'kill $background 2>/dev/null || true' EXIT

for preset in $presets; do
  echo "== $preset"
  if [[ " ${device_presets[*]} " == *" $preset "* ]]; then device/sysroot.sh "$preset" >/dev/null; fi
  cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" -j"$jobs"
  ctest --test-dir "build/$preset" -j"$jobs" --output-on-failure
done

echo "== valgrind (static release build)"
cmake --preset default >/dev/null
cmake --build build/default -j"$jobs" >/dev/null
PROGRAM_WRAPPER="valgrind -q --error-exitcode=99 --leak-check=full \
--suppressions=$root/tests/valgrind/static-glibc.supp" \
  ctest --test-dir build/default -j"$jobs" --output-on-failure -R 'Process|HostileFileSystem'

if [ "${FUZZ_SECONDS:-60}" != 0 ]; then
  echo "== fuzzing"
  scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
fi
if [ "${LOAD_TEST:-1}" != 0 ]; then
  echo "== load test"
  scripts/load-test.sh
fi
