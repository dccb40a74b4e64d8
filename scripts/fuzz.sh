#!/usr/bin/env bash
# Builds the libFuzzer harnesses and runs each for SECONDS (default 60), as
# many at once as there are cores.
# Usage: scripts/fuzz.sh [SECONDS] [HARNESS...]
# New inputs go to build/fuzz/corpus/<harness> (the committed seeds in
# tests/fuzz/corpus/ are read, never written); a crash leaves its input in
# build/fuzz/artifacts/ and fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(query row_writer config cloud_status_request
                                         mount_folders_request)

scripts/install-deps.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j"$(nproc)" >/dev/null
mkdir -p build/fuzz/artifacts
fuzz_one() { # HARNESS
  local harness=$1 corpus="$root/build/fuzz/corpus/$1" log="build/fuzz/$1.log" options=()
  mkdir -p "$corpus"
  # Configuration files longer than the dump's 4 KiB read buffer.
  [ "$harness" = config ] && options=(-max_len=16384)
  if ! "build/fuzz/tests/fuzz/fuzz_$harness" "${options[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$root/build/fuzz/artifacts/" \
       "$corpus" "$root/tests/fuzz/corpus/$harness" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$harness failed: see $log" >&2
    return 1
  fi
  echo "fuzz_$harness for $seconds s: $(grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$log" | tr -s ' \n' ' ')"
}
export -f fuzz_one
export root seconds
# One harness per core at a time.
printf '%s\n' "${harnesses[@]}" | xargs -P "$(nproc)" -I{} bash -c 'fuzz_one "$1"' _ {}
