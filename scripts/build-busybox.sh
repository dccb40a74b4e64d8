#!/usr/bin/env bash
# Builds busybox for the MIPS router box from Debian's busybox source package
# (pinned in scripts/sources.lock), static and soft-float against the
# project's own musl, with only the applets in cmake/box/busybox.config, and
# keeps it in build/box/busybox-mipsel (busybox, and busybox_unstripped for the
# checks). An existing build is kept while what it is made from stays the same.
# Debian's MIPS libgcc is hard-float: its floating-point helpers (__adddf3
# and the like, which musl's printf and strtod call) are FPU instructions. The
# same helpers compiled soft-float from glibc's soft-fp routines come first.
# Usage: scripts/build-busybox.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=sources.sh
source "$root/scripts/sources.sh"

cc=mipsel-linux-gnu-gcc
flags="-msoft-float -march=mips32r2"
out="$root/build/box/busybox-mipsel"
# What the build is made from; a build made from anything else is made again.
stamp=$( { echo "$cc $flags"; sources_entries busybox; sources_entries musl
           cat "$0" "$root"/cmake/box/*; } | sha256sum | cut -d' ' -f1)
built() { [ -x "$out/busybox" ] && [ "$(cat "$out/.stamp" 2>/dev/null)" = "$stamp" ]; }
built && exit 0
mkdir -p "$root/build/box"
exec 9>"$root/build/box/.busybox.lock"
flock 9
built && exit 0
# shellcheck disable=SC2086 # the flags are words
"$root/scripts/build-libc.sh" musl mipsel "$cc" "$flags"
libc="$root/build/libc/musl-mipsel"
sources_ensure busybox

work="$out.build"
rm -rf "$work" "$out"
mkdir -p "$work"
log="$work/build.log"
trap 'echo "building busybox failed; the end of $log:" >&2; tail -n 20 "$log" >&2' ERR
started=$SECONDS
dpkg-source --no-check -x "$(sources_path busybox busybox_1.35.0-4+deb12u1.dsc)" "$work/source" >"$log" 2>&1
include_flags="-nostdinc -isystem $libc/include -isystem $("$cc" -print-file-name=include)"

# The soft-float helpers, from glibc's soft-fp.
mkdir "$work/soft-fp"
tar -xJf "$(sources_path busybox glibc_2.36.orig.tar.xz)" -C "$work/soft-fp" --strip-components=2 \
  glibc-2.36/soft-fp glibc-2.36/stdlib/longlong.h glibc-2.36/sysdeps/mips/mips32/sfp-machine.h
mv "$work/soft-fp/mips/mips32/sfp-machine.h" "$work/soft-fp/mips32-sfp-machine.h"
cp "$root/cmake/box/sfp-machine.h" "$work/soft-fp/"
helpers=()
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
mipsel-linux-gnu-ar rcs "$work/libsoft-fp.a" "${helpers[@]}"
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
list="$root/cmake/box/busybox.config"
symbols=$(sed -n 's/^\(CONFIG_[A-Z0-9_]*\)=.*/\1/p' "$list" | paste -sd'|')
{ grep -vE "^(# )?($symbols)[= ]" .config; grep -v '^#' "$list"; } > .config.new
mv .config.new .config
make oldconfig < <(yes "") >>"$log" 2>&1
while read -r line; do
  grep -qxF "$line" .config || { echo "busybox has no $line" >&2; exit 1; }
done < <(grep -v '^#' "$list")
make -j"$(nproc)" CC="$cc -specs=$work/musl.specs" CROSS_COMPILE=mipsel-linux-gnu- \
  EXTRA_CFLAGS="$flags -fno-pie" >>"$log" 2>&1
mkdir -p "$out"
cp busybox busybox_unstripped "$out/"
echo "$stamp" > "$out/.stamp"
cd "$root"
rm -rf "$work"
echo "built busybox in $((SECONDS - started)) s: $(stat -c %s "$out/busybox") bytes"
