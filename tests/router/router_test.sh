#!/usr/bin/env bash
# Boots the emulated router (router/make-router.sh: an emulated MIPS 24Kc or
# ARM board without FPU running Debian's kernel and busybox) with this build's
# .ipk installed as a device installs it, requests both programs through the
# router's busybox httpd at the paths the page uses, and
# checks that each response is byte for byte what the same programs write
# under qemu-user for the same files (what those answers hold is checked by
# the CGI host test of the same build); then opens the page on the router.
# Usage: router_test.sh BUILD_DIR SCREENSHOT   (a mipsel or arm device build)
# PROGRAM_LAUNCHER is the qemu-user command the programs run under.
set -uo pipefail
build=${1:?} screenshot=${2:?}
# shellcheck source=../support/harness.sh
source "$(dirname "$0")/../support/harness.sh"
root=$harness_root
use_build "$build"
case "${DEVICE_TARGET%%-*}" in
  mipsel) qemu_system=qemu-system-mipsel ;;
  *) qemu_system=qemu-system-arm ;;
esac
skip_if_missing "$(missing_tools "$qemu_system" cpio curl dpkg-deb unshare)"
router="$work/router"
"$root/router/make-router.sh" "$build" "$router" >/dev/null || { echo "could not make the router"; exit 1; }
# The programs as the package installs them, run under qemu-user on this
# machine's copy of the router's files: the disk by its path here, and the router's
# /opt (with /opt/etc/Cloud.conf) bound over /opt in a mount namespace of
# their own, which nothing else sees.
mkdir "$work/package"
(cd "$work/package" && tar -xzf "$router"/initramfs/root/*.ipk && tar -xzf data.tar.gz)
programs="$work/package/opt/$CGI_INSTALL_DIR"
disk=%2Ftmp%2Fmnt%2Fsda1
disk_here=$(urlencode "$router/initramfs/tmp/mnt/sda1")
under_qemu_user() { # request -> what the program writes itself
  # shellcheck disable=SC2086 # the launcher is a command line
  direct_output "${1//$disk/$disk_here}" with_opt "$router/initramfs/opt" ${PROGRAM_LAUNCHER:?} "$programs"
}

port=$(free_port)
instrument_port=$(free_port)
started=$SECONDS
"$root/router/start-router.sh" "$router" "$port" "$instrument_port" &
stop_at_exit $!
if ! wait_for_server "$port" 60; then
  echo "FAIL: the router did not answer within a minute"
  tail -n 20 "$router/qemu.log" "$router/console.log"
  exit 1
fi
echo "the router answered after $((SECONDS - started)) s"
# How many FPU instructions the MIPS router's kernel has emulated: at the end of
# boot (the init script says), and now, through the router's own web server.
fpu_emulated() { curl -s -S --max-time 10 "http://127.0.0.1:$instrument_port/cgi-bin/fpu-emulated"; }
fpu_at_boot=$(sed -n 's/^router: FPU instructions emulated by the end of boot: //p' "$router/console.log" |
              tr -d '\r')
fpu_before=$(fpu_emulated)

requests=(
  "mount_folders?action_mode=$disk"
  "mount_folders?action_mode=$disk%2FMusic"
  "cloud_status?action_mode=CLOUD_GETSTATUS&BaseDir=$disk"
  "cloud_status?action_mode=CLOUD_GETCONFIG"
  "cloud_status?action_mode=CLOUD_NOSUCH"
  "mount_folders"
)
# busybox httpd passes the program's output through after its status line.
for request in "${requests[@]}"; do
  expected=$(under_qemu_user "$request")
  response=$(curl -s -S "http://127.0.0.1:$port/cgi-bin/$request" -i; printf x)
  check_equal "status of $request" "HTTP/1.1 200 OK" "${response%%$'\r\n'*}"
  check_equal "$request" "$expected" "${response#*$'\r\n'}"
done
# The package's postinst ran under the router's busybox sh: it made a password
# with the router's applets alone, and says that no lighttpd serves the page
# (the router's busybox httpd serves it without one, from a document root of
# its own that links to what the package installed).
check "the postinst made a password" \
  grep -qE "^$PACKAGE: user \"admin\", password \"[A-Za-z0-9]{20}\"" "$router/console.log"
check "the postinst said that the add-on lighttpd, which alone serves the page, is missing" \
  grep -qF "$PACKAGE: the page and its programs are served by the add-on lighttpd alone, which is not installed (opkg install lighttpd); the page is then http://<this device>:8081/$PACKAGE/" \
  "$router/console.log"
# The answers compared equal hold something: the device's programs read the
# configuration from its fixed path on the router.
config=$(under_qemu_user "cloud_status?action_mode=CLOUD_GETCONFIG")
check "the device's cloud_status reads /opt/etc/Cloud.conf" [ "${#config}" -gt $((${#header_block} + 1)) ]

# The page at the address the router serves it from reaches both programs
# (how the page behaves is the demo's test).
PAGE_CHECKS=wiring check_page "the page served by the router" "http://127.0.0.1:$port/$PACKAGE/?root=$disk" \
  "$router/initramfs/tmp/mnt/sda1" "$screenshot" /tmp/mnt/sda1
# Every program of the MIPS router is soft-float: busybox (the shell, the web
# server) and ours. The kernel emulates an FPU, and would count each
# floating-point instruction any of them ran, through all the requests above.
if [[ $DEVICE_TARGET == mipsel* ]]; then
  fpu_after=$(fpu_emulated)
  echo "FPU instructions emulated: $fpu_at_boot at the end of boot, $fpu_before when the router" \
       "answered, $fpu_after after the requests"
  check_equal "no FPU instruction emulated by the end of boot" 0 "$fpu_at_boot"
  check_equal "no FPU instruction emulated after the requests" 0 "$fpu_after"
  check_equal "the emulation count did not grow" "$fpu_before" "$fpu_after"
  report=$("$root/package/check-device-programs.sh" "$build" \
           "$root/build/router/busybox-mipsel/busybox_unstripped")
  check "the router's busybox passes the device checks" [ $? -eq 0 ]
  echo "$report"
fi
echo "the router test took $((SECONDS - started)) s after the router was made"
check_summary
