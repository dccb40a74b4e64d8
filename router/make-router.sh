#!/usr/bin/env bash
# Makes an emulated router from Debian's own parts, for a mipsel or arm device
# build: Debian's kernel for an emulated board, busybox as the whole userland
# (its httpd serves the page and the CGI programs), and an initramfs
# that installs the build's .ipk the way the /opt add-on area's package
# manager does (its data part unpacked into /, then its postinst), with a
# sample disk where a USB disk would be mounted and the configuration at
# /opt/etc/Cloud.conf, and serves what the package installed from a document
# root of its own. router/start-router.sh boots it.
#   mipsel: linux-image-4kc-malta on a Malta board with a MIPS 24Kc (no FPU;
#           the kernel emulates one, and counts what it emulates), busybox
#           of our own, soft-float (router/build-busybox.sh)
#   arm:    linux-image-armmp (armhf) on the virt board with a Cortex-A15
#           without VFP and NEON (the kernel has no VFP emulation), busybox
#           from armel, which is soft-float like the programs
# Usage: router/make-router.sh BUILD_DIR ROUTER_DIR
# The Debian packages are the pinned ones of device/sources.lock, fetched
# once by device/sources.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: make-router.sh BUILD_DIR ROUTER_DIR}" && pwd)
router=${2:?usage: make-router.sh BUILD_DIR ROUTER_DIR}
# shellcheck source=/dev/null
source "$build/package.conf"
# The router is made for the build's processor, whatever its C library.
target=${DEVICE_TARGET%%-*}
case "$target" in
  mipsel)
    modules=(drivers/net/mii.ko drivers/net/ethernet/amd/pcnet32.ko)
    boot_conf='ROUTER_QEMU=(qemu-system-mipsel -M malta -cpu 24Kc -m 128 -vga none)
ROUTER_CONSOLE=ttyS0
ROUTER_NIC=(-device pcnet,netdev=net,romfile=)' ;;
  arm)
    modules=(drivers/virtio/virtio_mmio.ko net/core/failover.ko drivers/net/net_failover.ko
             drivers/net/virtio_net.ko)
    boot_conf='ROUTER_QEMU=(qemu-system-arm -M virt -cpu cortex-a15,vfp=off,neon=off -m 128)
ROUTER_CONSOLE=ttyAMA0
ROUTER_NIC=(-device virtio-net-device,netdev=net)' ;;
  *)
    echo "make-router.sh: $build is not a mipsel or arm device build" >&2
    exit 1 ;;
esac

# The kernel and busybox, pinned in device/sources.lock.
# shellcheck source=../device/sources.sh
source "$root/device/sources.sh"
# shellcheck source=../tests/support/fixtures.sh
source "$root/tests/support/fixtures.sh"
sources_ensure "router-$target" || exit 1

rm -rf "$router"
mkdir -p "$router/debs" "$router/initramfs"
while read -r _ file; do
  dpkg-deb -x "$sources_dir/$file" "$router/debs"
done < <(sources_sums "router-$target")
cp "$router/debs"/boot/vmlinuz-* "$router/kernel"
printf '%s\n' "$boot_conf" > "$router/boot.conf"
initramfs="$router/initramfs"
mkdir -p "$initramfs"/{bin,sbin,usr/bin,usr/sbin,dev,proc,sys,tmp,root,lib/modules,opt/etc}
# The whole userland is busybox. On MIPS it is our own, soft-float, built
# against our musl: Debian's is hard-float, and the router's kernel would emulate
# its FPU instructions. ROUTER_BUSYBOX=debian takes Debian's all the same, to see
# the kernel's FPU emulator count them.
if [ "$target" = mipsel ] && [ "${ROUTER_BUSYBOX:-own}" != debian ]; then
  "$root/router/build-busybox.sh" >/dev/null
  cp "$root/build/router/busybox-mipsel/busybox" "$initramfs/bin/busybox"
else
  cp "$router/debs/bin/busybox" "$initramfs/bin/busybox"
fi
# The board's network card, and what its driver needs, in loading order.
for module in "${modules[@]}"; do
  cp "$router/debs"/lib/modules/*/kernel/"$module" "$initramfs/lib/modules/"
  basename "$module" >> "$initramfs/lib/modules/order"
done
rm -rf "$router/debs"

"$root/package/make-ipk.sh" "$build" "$initramfs/root" >/dev/null
make_sample "$router/sample"
mkdir -p "$initramfs/tmp/mnt"
mv "$router/sample/disk" "$initramfs/tmp/mnt/sda1"
mv "$router/sample/Cloud.conf" "$initramfs/opt/etc/Cloud.conf"
rm -rf "$router/sample"

# The router's init, and its own instrument, apart from what the package
# installs: on port 81, how many FPU instructions the kernel has emulated so
# far (MIPS kernels count them; "none" elsewhere).
sed -e "s|@PACKAGE@|$PACKAGE|g" -e "s|@PAGE_DIR@|$PAGE_DIR|g" -e "s|@CGI_INSTALL_DIR@|$CGI_INSTALL_DIR|g" \
  "$root/router/init" > "$initramfs/init"
chmod 755 "$initramfs/init"
install -D -m 755 "$root/router/cgi-bin/fpu-emulated" "$initramfs/instrument/cgi-bin/fpu-emulated"

# The router's RAM file system lists a folder newest first. Each folder of the
# sample disk is packed with its entries in the reverse of the order this
# machine's file system gives them, so the router lists them in this machine's
# order, and the programs' answers on both can be compared byte for byte.
list_reversed() { # FOLDER
  local entries i
  mapfile -d '' entries < <(find "$1" -mindepth 1 -maxdepth 1 -print0)
  for ((i = ${#entries[@]} - 1; i >= 0; i--)); do
    printf '%s\0' "${entries[i]}"
    if [ -d "${entries[i]}" ] && [ ! -L "${entries[i]}" ]; then list_reversed "${entries[i]}"; fi
  done
}
(
  cd "$initramfs"
  find . -path ./tmp/mnt/sda1 -prune -o -print0
  printf '%s\0' ./tmp/mnt/sda1
  list_reversed ./tmp/mnt/sda1
) | (cd "$initramfs" && cpio --quiet --null -o -H newc --owner 0:0) | gzip -9n > "$router/initramfs.cpio.gz"
echo "$router"
