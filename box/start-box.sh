#!/usr/bin/env bash
# Boots the box box/make-box.sh made in BOX_DIR (its board, CPU and network
# card are in BOX_DIR/boot.conf), its web server forwarded to 127.0.0.1:PORT
# and, given INSTRUMENT_PORT, its instrument server (port 81) to
# 127.0.0.1:INSTRUMENT_PORT, its console written to BOX_DIR/console.log and
# what qemu itself says to BOX_DIR/qemu.log. It becomes the emulator, so its
# process id is the box's: start it in the background, and stop it by that.
# Usage: box/start-box.sh BOX_DIR PORT [INSTRUMENT_PORT]
set -euo pipefail
box=${1:?usage: start-box.sh BOX_DIR PORT [INSTRUMENT_PORT]} port=${2:?} instrument=${3:-}
BOX_QEMU=() BOX_CONSOLE= BOX_NIC=()
# shellcheck source=/dev/null
source "$box/boot.conf"
exec "${BOX_QEMU[@]}" -display none -monitor none -serial "file:$box/console.log" \
  -kernel "$box/kernel" -initrd "$box/initramfs.cpio.gz" -append "console=$BOX_CONSOLE quiet" \
  -netdev "user,id=net,hostfwd=tcp:127.0.0.1:$port-:80${instrument:+,hostfwd=tcp:127.0.0.1:$instrument-:81}" \
  "${BOX_NIC[@]}" 2>"$box/qemu.log"
