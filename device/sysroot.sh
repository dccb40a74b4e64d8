#!/usr/bin/env bash
# Builds the static C library a device target's programs are linked against,
# once, from the pinned Debian sources, with Debian's cross compiler and the
# target's flags (device/targets), and prints where it is: a sysroot
# (include/ and lib/) in build/sysroot/TARGET, for CGI_DEVICE_SYSROOT. It is
# built again only when what it is made from (sources, compiler and flags,
# this script, the configuration) changes. Once its sources are fetched it is
# built where no network answers (a network namespace of its own, wherever
# the machine allows one), so nothing it needs can come from elsewhere; such a
# sysroot holds the mark .built-offline.
#   musl      from Debian's musl source package, about a minute on two cores
#   uclibc    uClibc-ng from Debian's uclibc-source, configured by the delta
#             over its defconfig in device/libc/, about three minutes
# Usage: device/sysroot.sh TARGET   e.g. device/sysroot.sh mipsel-uclibc
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: device/sysroot.sh TARGET   (a target of device/targets)}
# shellcheck source=targets.sh
source "$root/device/targets.sh"
target_facts "$target" || exit 2
libc=$target_libc flags=$target_flags
cc=${target_cross:+$target_cross-}gcc
processor=${target%%-*}
# shellcheck source=sources.sh
source "$root/device/sources.sh"
# shellcheck source=cache.sh
source "$root/device/cache.sh"

prefix="$root/build/sysroot/$target"
work="$prefix.build"
log="$work/build.log"

build_musl() {
  dpkg-source --no-check -x "$(sources_file musl 'musl_*.dsc')" "$work/source" >"$log" 2>&1
  mkdir "$work/objects"
  cd "$work/objects"
  "$work/source/configure" --prefix="$prefix" --disable-shared --disable-wrapper \
    CC="$cc" CFLAGS="$flags" >>"$log" 2>&1
  make -j"$(nproc)" >>"$log" 2>&1
  make install >>"$log" 2>&1
}

build_uclibc() {
  local arch triple deb version
  case $processor in
    mips*) arch=mips ;;
    arm*) arch=arm ;;
    *) echo "no uClibc-ng configuration for $processor" >&2; return 1 ;;
  esac
  # Kernel headers: those of Debian's cross toolchain for the target.
  triple=$("$cc" -dumpmachine)
  [ -f "/usr/$triple/include/linux/version.h" ] ||
    { echo "no kernel headers in /usr/$triple/include (linux-libc-dev for the target)" >&2; return 1; }
  deb=$(sources_file uclibc 'uclibc-source_*.deb')
  version=${deb##*/uclibc-source_}
  version=${version%%-*}
  dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/src/uClibc-ng-$version.tar.xz" | tar -xJ -C "$work"
  cd "$work/uClibc-ng-$version"
  patch -p1 < "$root/device/libc/uclibc-static-pagesize.patch" >"$log"
  local make_options=(ARCH="$arch" CROSS_COMPILE="${cc%gcc}" UCLIBC_EXTRA_CFLAGS="$flags")
  make "${make_options[@]}" defconfig >>"$log" 2>&1
  # The project's delta over the defconfig: later lines win.
  { cat "$root/device/libc/uclibc.config" "$root/device/libc/uclibc-$processor.config"
    echo "KERNEL_HEADERS=\"/usr/$triple/include\""; } >> .config
  make "${make_options[@]}" olddefconfig >>"$log" 2>&1
  make "${make_options[@]}" -j"$(nproc)" >>"$log" 2>&1
  make "${make_options[@]}" PREFIX="$prefix" install >>"$log" 2>&1
  # A sysroot holds the kernel headers uClibc's own headers include.
  cp -a "/usr/$triple/include/"{linux,asm,asm-generic} "$prefix/include/"
}

# The build itself, run by build() as "sysroot.sh TARGET --build-here".
if [ "${2:-}" = --build-here ]; then
  "build_$libc"
  exit
fi

build() {
  "$root/scripts/install-deps.sh" dpkg-dev patch curl >&2
  sources_ensure "$libc"
  rm -rf "$work"
  mkdir -p "$work"
  trap 'echo "building $libc for $target failed; the end of $log:" >&2; tail -n 20 "$log" >&2' ERR
  local started=$SECONDS offline=(unshare --net) where=offline
  [ "$(id -u)" -eq 0 ] || offline=(unshare --user --map-root-user --net)
  "${offline[@]}" true 2>/dev/null || { offline=(); where="with the network (no namespace here)"; }
  echo "building $libc for $target with $cc $flags, $where" >&2
  "${offline[@]}" "$0" "$target" --build-here
  [ ${#offline[@]} -eq 0 ] || touch "$prefix/.built-offline"
  rm -rf "$work"
  echo "built $libc for $target in $((SECONDS - started)) s" >&2
}

shopt -s nullglob
build_once "$prefix" "$(stamp_of "$libc $processor $cc $flags" "$(sources_sums "$libc")" -- \
  "$0" "$root"/device/libc/"$libc"*)" build
echo "$prefix"
