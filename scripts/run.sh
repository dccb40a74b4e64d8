#!/usr/bin/env bash
# Builds the programs (once) and prints their responses for the sample disk.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh
build="$root/build/demo"
sample="$build/sample"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCLOUD_CONF_PATH="$sample/Cloud.conf" >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
scripts/make-sample.sh "$sample"

show() {
  local program=$1 query=$2
  printf '\n$ QUERY_STRING=%q %s\n' "$query" "$program"
  QUERY_STRING="$query" "$build/$program/$program"
  echo
}
show cloud_status "action_mode=CLOUD_GETSTATUS&BaseDir=$sample/disk"
show cloud_status "action_mode=CLOUD_GETCONFIG"
show mount_folders "action_mode=$sample/disk"
show mount_folders "action_mode=$sample/disk/Music"
