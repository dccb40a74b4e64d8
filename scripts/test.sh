#!/usr/bin/env bash
# Builds everything and runs the whole test suite:
#  - natively with g++ and clang and under AddressSanitizer and Undefined-
#    BehaviorSanitizer (glibc), and the device builds of every feed
#    architecture: mipsel (musl and uClibc-ng), mips and arm (soft-float,
#    under qemu CPU models without FPU), aarch64 (under qemu) and x86_64, all
#    on musl: unit, process-level, hostile file system, CGI host, browser,
#    package, kit toolchain and offline build tests;
#  - the process-level tests once more under valgrind for the static build;
#  - each libFuzzer harness for FUZZ_SECONDS (default 60; 0 skips them);
#  - the load test through lighttpd (LOAD_TEST=0 skips it).
# PRESETS="default mips" picks other presets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

node_packages=()
command -v node >/dev/null || node_packages=(nodejs npm)
scripts/install-deps.sh busybox lighttpd curl bc chromium fonts-wqy-microhei valgrind \
  libclang-rt-14-dev qemu-user qemu-system-mips qemu-system-arm cpio dpkg-dev patch \
  g++-mipsel-linux-gnu g++-mips-linux-gnu g++-arm-linux-gnueabi g++-aarch64-linux-gnu \
  "${node_packages[@]}"
npm ci --prefix tests/browser --no-audit --no-fund --loglevel=error
# The pinned sources of the C libraries and the routers, once.
device/sources.sh

jobs=$(nproc)
presets=${PRESETS:-default clang sanitize mipsel mipsel-uclibc mips arm aarch64 x86_64}
device_presets=()
for preset in $presets; do
  if grep -q "^$preset " device/targets; then device_presets+=("$preset"); fi
done
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
