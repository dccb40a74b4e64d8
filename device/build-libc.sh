#!/usr/bin/env bash
# Builds the C library the device programs are linked against, static, from
# the pinned Debian sources (device/sources.lock, fetched once by
# device/fetch-sources.sh), and installs it into build/libc/LIBC-NAME as
# include/ and lib/. It is made again only when what it is made from
# (sources, compiler and flags, script, configuration) changes.
# Usage: device/build-libc.sh LIBC NAME CC [CFLAGS]
#   LIBC  musl (Debian's musl source package) or uclibc (uClibc-ng, from
#         Debian's uclibc-source, configured by device/libc/uclibc*.config)
#   e.g.  device/build-libc.sh uclibc mipsel mipsel-linux-gnu-gcc "-msoft-float -march=mips32r2"
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: build-libc.sh musl|uclibc NAME CC [CFLAGS]"
libc=${1:?$usage} name=${2:?$usage} cc=${3:?$usage} cflags=${4:-}
# shellcheck source=sources.sh
source "$root/device/sources.sh"
# shellcheck source=../scripts/lib.sh
source "$root/scripts/lib.sh"

prefix="$root/build/libc/$libc-$name"
work="$prefix.build"
log="$work/build.log"

build_musl() {
  dpkg-source --no-check -x "$(sources_file musl 'musl_*.dsc')" "$work/source" >"$log" 2>&1
  mkdir "$work/objects"
  cd "$work/objects"
  "$work/source/configure" --prefix="$prefix" --disable-shared --disable-wrapper \
    CC="$cc" CFLAGS="$cflags" >>"$log" 2>&1
  make -j"$(nproc)" >>"$log" 2>&1
  make install >>"$log" 2>&1
}

build_uclibc() {
  local arch triple
  case $name in
    mips*) arch=mips ;;
    arm*) arch=arm ;;
    *) echo "no uClibc-ng configuration for $name" >&2; return 1 ;;
  esac
  # Kernel headers: those of Debian's cross toolchain for the target.
  triple=$("$cc" -dumpmachine)
  [ -f "/usr/$triple/include/linux/version.h" ] ||
    { echo "no kernel headers in /usr/$triple/include (linux-libc-dev for the target)" >&2; return 1; }
  local version
  version=$(sources_upstream uclibc uclibc-source)
  dpkg-deb --fsys-tarfile "$(sources_file uclibc 'uclibc-source_*.deb')" |
    tar -xO "./usr/src/uClibc-ng-$version.tar.xz" | tar -xJ -C "$work"
  cd "$work/uClibc-ng-$version"
  patch -p1 < "$root/device/libc/uclibc-static-pagesize.patch" >"$log"
  local make_options=(ARCH="$arch" CROSS_COMPILE="${cc%gcc}" UCLIBC_EXTRA_CFLAGS="$cflags")
  make "${make_options[@]}" defconfig >>"$log" 2>&1
  # The project's delta over the defconfig: later lines win.
  { cat "$root/device/libc/uclibc.config" "$root/device/libc/uclibc-$name.config"
    echo "KERNEL_HEADERS=\"/usr/$triple/include\""; } >> .config
  make "${make_options[@]}" olddefconfig >>"$log" 2>&1
  make "${make_options[@]}" -j"$(nproc)" >>"$log" 2>&1
  make "${make_options[@]}" PREFIX="$prefix" install >>"$log" 2>&1
  # A sysroot holds the kernel headers uClibc's own headers include.
  cp -a "/usr/$triple/include/"{linux,asm,asm-generic} "$prefix/include/"
}

build() {
  sources_ensure "$libc"
  rm -rf "$work"
  mkdir -p "$work"
  trap 'echo "building $libc for $name failed; the end of $log:" >&2; tail -n 20 "$log" >&2' ERR
  local started=$SECONDS
  echo "building $libc for $name with $cc $cflags"
  "build_$libc"
  cd "$root"
  rm -rf "$work"
  echo "built $libc for $name in $((SECONDS - started)) s"
}

shopt -s nullglob
build_once "$prefix" "$(stamp_of "$libc $name $cc $cflags" "$(sources_entries "$libc")" -- \
  "$0" "$root"/device/libc/"$libc"*)" build
