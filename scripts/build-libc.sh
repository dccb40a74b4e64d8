#!/usr/bin/env bash
# Builds the C library the device programs are linked against, static, from
# the pinned Debian sources (scripts/sources.lock, fetched once by
# scripts/fetch-sources.sh), and installs it into build/libc/LIBC-NAME as
# include/ and lib/. An existing build is kept while what it is made from
# (sources, script, configuration) stays the same.
# Usage: scripts/build-libc.sh LIBC NAME CC [CFLAGS]
#   LIBC  musl (Debian's musl source package) or uclibc (uClibc-ng, from
#         Debian's uclibc-source, configured by cmake/libc/uclibc*.config)
#   e.g.  scripts/build-libc.sh uclibc mipsel mipsel-linux-gnu-gcc "-msoft-float -march=mips32r2"
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: build-libc.sh musl|uclibc NAME CC [CFLAGS]"
libc=${1:?$usage} name=${2:?$usage} cc=${3:?$usage} cflags=${4:-}
# shellcheck source=sources.sh
source "$root/scripts/sources.sh"

top="$root/build/libc"
prefix="$top/$libc-$name"
# What the build is made from; a build made from anything else is made again.
shopt -s nullglob
stamp=$( { echo "$libc $name $cc $cflags"; sources_entries "$libc"
           cat "$0" "$root"/cmake/libc/"$libc"*; } | sha256sum | cut -d' ' -f1)
shopt -u nullglob
built() { [ -f "$prefix/lib/libc.a" ] && [ "$(cat "$prefix/.stamp" 2>/dev/null)" = "$stamp" ]; }
built && exit 0
mkdir -p "$top"
# Presets configured side by side: one build at a time.
exec 9>"$top/.lock"
flock 9
built && exit 0
sources_ensure "$libc"

work="$top/$libc-$name.build"
rm -rf "$work" "$prefix"
mkdir -p "$work"
log="$work/build.log"
trap 'echo "building $libc for $name failed; the end of $log:" >&2; tail -n 20 "$log" >&2' ERR
started=$SECONDS
echo "building $libc for $name with $cc $cflags"

build_musl() {
  dpkg-source --no-check -x "$(sources_path musl musl_1.2.3-1.dsc)" "$work/source" >"$log" 2>&1
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
  dpkg-deb --fsys-tarfile "$(sources_path uclibc uclibc-source_1.0.35-1_all.deb)" |
    tar -xO ./usr/src/uClibc-ng-1.0.35.tar.xz | tar -xJ -C "$work"
  cd "$work/uClibc-ng-1.0.35"
  patch -p1 < "$root/cmake/libc/uclibc-static-pagesize.patch" >"$log"
  local make_options=(ARCH="$arch" CROSS_COMPILE="${cc%gcc}" UCLIBC_EXTRA_CFLAGS="$cflags")
  make "${make_options[@]}" defconfig >>"$log" 2>&1
  # The project's delta over the defconfig: later lines win.
  { cat "$root/cmake/libc/uclibc.config" "$root/cmake/libc/uclibc-$name.config"
    echo "KERNEL_HEADERS=\"/usr/$triple/include\""; } >> .config
  make "${make_options[@]}" olddefconfig >>"$log" 2>&1
  make "${make_options[@]}" -j"$(nproc)" >>"$log" 2>&1
  make "${make_options[@]}" PREFIX="$prefix" install >>"$log" 2>&1
  # A sysroot holds the kernel headers uClibc's own headers include.
  cp -a "/usr/$triple/include/"{linux,asm,asm-generic} "$prefix/include/"
}

"build_$libc"
echo "$stamp" > "$prefix/.stamp"
cd "$top"
rm -rf "$work"
echo "built $libc for $name in $((SECONDS - started)) s"
