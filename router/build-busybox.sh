#!/usr/bin/env bash
# Builds busybox for the MIPS router from Debian's busybox source package
# (pinned in device/sources.lock), static and soft-float against the
# project's own musl, with only the applets in router/busybox.config, and keeps
# it in build/router/busybox-mipsel (busybox, and busybox_unstripped for the
# checks). It is made again only when what it is made from changes.
# Debian's MIPS libgcc is hard-float: its floating-point helpers (__adddf3
# and the like, which musl's printf and strtod call) are FPU instructions. The
# same helpers compiled soft-float from glibc's soft-fp routines come first.
# Usage: router/build-busybox.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=../device/sources.sh
source "$root/device/sources.sh"
# shellcheck source=../device/cache.sh
source "$root/device/cache.sh"

# shellcheck source=../device/targets.sh
source "$root/device/targets.sh"
# The mipsel target's compiler and flags.
target_facts mipsel
cross=$target_cross- flags=$target_flags
cc=${cross}gcc
out="$root/build/router/busybox-mipsel"
# The router's C library: the mipsel target's musl.
libc=$("$root/device/sysroot.sh" mipsel)
work="$out.build"
log="$work/build.log"

build() {
  # shellcheck disable=SC2086 # the flags are words
  sources_ensure busybox
  rm -rf "$work"
  mkdir -p "$work"
  trap 'echo "building busybox failed; the end of $log:" >&2; tail -n 20 "$log" >&2' ERR
  local started=$SECONDS
  dpkg-source --no-check -x "$(sources_file busybox 'busybox_*.dsc')" "$work/source" >"$log" 2>&1
  include_flags="-nostdinc -isystem $libc/include -isystem $("$cc" -print-file-name=include)"

  # The soft-float helpers, from glibc's soft-fp.
  mkdir "$work/soft-fp"
  local glibc
  glibc=$(sources_file busybox 'glibc_*.orig.tar.xz')
  glibc=${glibc##*/}
  glibc=${glibc%.orig.tar.xz}
  glibc=${glibc/_/-}
  tar -xJf "$(sources_file busybox 'glibc_*.orig.tar.xz')" -C "$work/soft-fp" --strip-components=2 \
    "$glibc/soft-fp" "$glibc/stdlib/longlong.h" "$glibc/sysdeps/mips/mips32/sfp-machine.h"
  mv "$work/soft-fp/mips/mips32/sfp-machine.h" "$work/soft-fp/mips32-sfp-machine.h"
  cp "$root/router/sfp-machine.h" "$work/soft-fp/"
  local helpers=() type name line list symbols
  for type in df sf; do
    for name in add${type}3 sub${type}3 mul${type}3 div${type}3 neg${type}2 eq${type}2 ge${type}2 \
                le${type}2 unord${type}2 fix${type}si fixuns${type}si fix${type}di fixuns${type}di \
                floatsi${type} floatunsi${type} floatdi${type} floatundi${type}; do
      # shellcheck disable=SC2086 # the flags are words
      "$cc" $include_flags $flags -Os -fno-pie -I"$work/soft-fp" -c "$work/soft-fp/$name.c" \
        -o "$work/soft-fp/$name.o" >>"$log" 2>&1
      helpers+=("$work/soft-fp/$name.o")
    done
  done
  for name in extendsfdf2 truncdfsf2; do
    # shellcheck disable=SC2086 # the flags are words
    "$cc" $include_flags $flags -Os -fno-pie -I"$work/soft-fp" -c "$work/soft-fp/$name.c" \
      -o "$work/soft-fp/$name.o" >>"$log" 2>&1
    helpers+=("$work/soft-fp/$name.o")
  done
  "${cross}ar" rcs "$work/libsoft-fp.a" "${helpers[@]}"
  # The compiler sees musl alone, as musl's own gcc wrapper arranges it.
  cat > "$work/musl.specs" <<SPECS
%rename cpp_options old_cpp_options

*cpp_options:
$include_flags %(old_cpp_options)

*cc1:
%(cc1_cpu) $include_flags

*link_libgcc:
-L$libc/lib

*libgcc:
$work/libsoft-fp.a $("$cc" -print-libgcc-file-name)

*startfile:
$libc/lib/crt1.o $libc/lib/crti.o

*endfile:
$libc/lib/crtn.o

*link:
-nostdlib -static -no-pie
SPECS
  cd "$work/source"
  make allnoconfig >>"$log" 2>&1
  # The project's list over allnoconfig: its symbols replace what allnoconfig
  # wrote (this kconfig keeps the first value it reads), then oldconfig settles
  # what they depend on.
  list="$root/router/busybox.config"
  symbols=$(sed -n 's/^\(CONFIG_[A-Z0-9_]*\)=.*/\1/p' "$list" | paste -sd'|')
  { grep -vE "^(# )?($symbols)[= ]" .config; grep -v '^#' "$list"; } > .config.new
  mv .config.new .config
  make oldconfig < <(yes "") >>"$log" 2>&1
  while read -r line; do
    grep -qxF "$line" .config || { echo "busybox has no $line" >&2; exit 1; }
  done < <(grep -v '^#' "$list")
  make -j"$(nproc)" CC="$cc -specs=$work/musl.specs" CROSS_COMPILE="$cross" \
    EXTRA_CFLAGS="$flags -fno-pie" >>"$log" 2>&1
  mkdir -p "$out"
  cp busybox busybox_unstripped "$out/"
  cd "$root"
  rm -rf "$work"
  echo "built busybox in $((SECONDS - started)) s: $(stat -c %s "$out/busybox") bytes"
}

build_once "$out" "$(stamp_of "$cc $flags" "$(sources_sums busybox)" "$(sources_sums musl)" -- \
  "$0" "$root/router/busybox.config" "$root/router/sfp-machine.h")" build
