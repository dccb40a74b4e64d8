#!/usr/bin/env bash
# Boots the router router/make-router.sh made in ROUTER_DIR (its board, CPU and network
# card are in ROUTER_DIR/boot.conf), its web server forwarded to 127.0.0.1:PORT
# and, given INSTRUMENT_PORT, its instrument server (port 81) to
# 127.0.0.1:INSTRUMENT_PORT, its console written to ROUTER_DIR/console.log and
# what qemu itself says to ROUTER_DIR/qemu.log. It becomes the emulator, so its
# process id is the router's: start it in the background, and stop it by that.
# Usage: router/start-router.sh ROUTER_DIR PORT [INSTRUMENT_PORT]
set -euo pipefail
router=${1:?usage: start-router.sh ROUTER_DIR PORT [INSTRUMENT_PORT]} port=${2:?} instrument=${3:-}
ROUTER_QEMU=() ROUTER_CONSOLE= ROUTER_NIC=()
# shellcheck source=/dev/null
source "$router/boot.conf"
exec "${ROUTER_QEMU[@]}" -display none -monitor none -serial "file:$router/console.log" \
  -kernel "$router/kernel" -initrd "$router/initramfs.cpio.gz" -append "console=$ROUTER_CONSOLE quiet" \
  -netdev "user,id=net,hostfwd=tcp:127.0.0.1:$port-:80${instrument:+,hostfwd=tcp:127.0.0.1:$instrument-:81}" \
  "${ROUTER_NIC[@]}" 2>"$router/qemu.log"
