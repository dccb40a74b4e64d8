#!/usr/bin/env bash
# Builds the programs (once), makes a sample disk, and serves the demo page
# with busybox httpd on 127.0.0.1 (PORT, default 8080). Ctrl-C stops it.
# With --print it prints the programs' responses for the sample and exits.
# With --device [mipsel|arm] it builds that device build (mipsel by default)
# and its .ipk, boots an emulated router with the package installed and the
# page served by the router's own web server, forwarded to 127.0.0.1:PORT.
# Ctrl-C stops the router.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/lib.sh

if [ "${1:-}" = --device ]; then
  target=${2:-mipsel}
  case $target in
    mipsel) packages=(g++-mipsel-linux-gnu qemu-system-mips) ;;
    arm) packages=(g++-arm-linux-gnueabi qemu-system-arm) ;;
    *) echo "usage: scripts/run.sh --device [mipsel|arm]" >&2; exit 2 ;;
  esac
  scripts/install-deps.sh "${packages[@]}" qemu-user cpio dpkg-dev curl
  cmake --preset "$target" >/dev/null
  cmake --build --preset "$target" -j"$(nproc)" >/dev/null
  box="$root/build/box/$target"
  echo "making the box in $box"
  box/make-box.sh "build/$target" "$box" >/dev/null
  port=${PORT:-8080}
  BOX_PID=
  trap '[ -n "$BOX_PID" ] && kill "$BOX_PID" 2>/dev/null' EXIT
  trap 'exit 130' INT TERM
  box/start-box.sh "$box" "$port" &
  BOX_PID=$!
  echo "booting (its console is in $box/console.log)"
  wait_for_server "$port" 60 || { echo "the box did not answer" >&2; cat "$box/qemu.log" >&2; exit 1; }
  # shellcheck source=/dev/null
  source "build/$target/package.conf"
  echo "The router serves the page at http://127.0.0.1:$port/$PACKAGE/?root=%2Ftmp%2Fmnt%2Fsda1"
  echo "(its sample disk is /tmp/mnt/sda1 in the box; Ctrl-C stops the box)"
  wait "$BOX_PID"
  exit 0
fi

scripts/install-deps.sh busybox
build="$root/build/demo"
sample="$build/sample"
docroot="$build/www"
port=${PORT:-8080}
build_programs "$build" "$sample/Cloud.conf"
# The programs answer only requests for this address: a page elsewhere that
# rebinds its own name to 127.0.0.1 gets no listing of this machine.
make_docroot "$docroot" "$build/cloud_status/cloud_status" "$build/mount_folders/mount_folders" \
  "127.0.0.1:$port" "localhost:$port"
make_sample "$sample"

if [ "${1:-}" = --print ]; then
  show() {
    printf '\n$ QUERY_STRING=%q %s\n' "$2" "$1"
    QUERY_STRING="$2" "$docroot.programs/$1"
    echo
  }
  show cloud_status "action_mode=CLOUD_GETSTATUS&BaseDir=$sample/disk"
  show cloud_status "action_mode=CLOUD_GETCONFIG"
  show mount_folders "action_mode=$sample/disk"
  show mount_folders "action_mode=$sample/disk/Music"
  exit 0
fi

disk=$(urlencode "$sample/disk")
echo "Serving the demo at http://127.0.0.1:$port/?root=$disk"
echo "(the sample disk is $sample/disk; Ctrl-C stops)"
exec busybox httpd -f -p "127.0.0.1:$port" -h "$docroot"
