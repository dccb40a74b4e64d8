#!/usr/bin/env bash
# Builds everything and runs the whole test suite, with g++ and with clang:
# unit and process-level tests, the CGI host tests and the browser test.
set -euo pipefail
cd "$(dirname "$0")/.."

node_packages=()
command -v node >/dev/null || node_packages=(nodejs npm)
scripts/install-deps.sh busybox lighttpd curl chromium fonts-wqy-microhei "${node_packages[@]}"
npm ci --prefix tests/browser --no-audit --no-fund --loglevel=error

jobs=$(nproc)
for preset in default clang; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  ctest --preset "$preset" -j"$jobs"
done
