#!/usr/bin/env bash
# Builds everything and runs the whole test suite: natively with g++ and with
# clang, and cross-built for mipsel and armhf under qemu. The suite holds the
# unit and process-level tests, the CGI host tests, the browser test and the
# package test. PRESETS="default mips" picks other presets.
set -euo pipefail
cd "$(dirname "$0")/.."

node_packages=()
command -v node >/dev/null || node_packages=(nodejs npm)
scripts/install-deps.sh busybox lighttpd curl chromium fonts-wqy-microhei "${node_packages[@]}" \
  qemu-user g++-mipsel-linux-gnu g++-arm-linux-gnueabihf
npm ci --prefix tests/browser --no-audit --no-fund --loglevel=error

jobs=$(nproc)
for preset in ${PRESETS:-default clang mipsel armhf}; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  ctest --preset "$preset" -j"$jobs"
done
