#!/usr/bin/env bash
# Builds musl, the C library the device programs are linked against, from
# Debian's musl source package, and installs it into build/musl/NAME. An
# existing build is kept, so this costs a minute once per target.
# Usage: scripts/build-musl.sh NAME CC [CFLAGS]
#   e.g. scripts/build-musl.sh mipsel mipsel-linux-gnu-gcc "-msoft-float -march=mips32r2"
# The source comes from Debian's archive (the machine's own apt mirror) through
# a private apt state under build/musl/apt: nothing in /etc/apt changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:?usage: build-musl.sh NAME CC [CFLAGS]}
cc=${2:?usage: build-musl.sh NAME CC [CFLAGS]}
cflags=${3:-}
musl_package=musl=1.2.3-1

top="$root/build/musl"
prefix="$top/$name"
[ -f "$prefix/lib/libc.a" ] && exit 0
mkdir -p "$top"
# Presets configured side by side share the source: one fetch at a time.
exec 9>"$top/.lock"
flock 9
[ -f "$prefix/lib/libc.a" ] && exit 0

fetch_source() {
  "$root/scripts/install-deps.sh" dpkg-dev
  local apt="$top/apt" mirror
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' 2>/dev/null |
           awk '$2 == "bookworm" {print $1; exit}')
  rm -rf "$apt"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d" "$apt/unpack"
  cat > "$apt/sources.list.d/debian-source.sources" <<SOURCES
Types: deb-src
URIs: ${mirror:-http://deb.debian.org/debian/}
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  local options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/sources.list.d"
                 -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                 -o Debug::NoLocking=1 -qq)
  apt-get "${options[@]}" update
  (cd "$apt/unpack" && apt-get "${options[@]}" source "$musl_package" >/dev/null 2>&1) ||
    { echo "apt-get source $musl_package failed" >&2; exit 1; }
  rm -rf "$top/source"
  mv "$apt/unpack"/musl-*/ "$top/source"
  rm -rf "$apt"
}
[ -f "$top/source/configure" ] || fetch_source

echo "building musl for $name with $cc $cflags"
work="$top/$name.build"
rm -rf "$work" "$prefix"
mkdir -p "$work"
cd "$work"
"$top/source/configure" --prefix="$prefix" --disable-shared --disable-wrapper \
  CC="$cc" CFLAGS="$cflags" >configure.log 2>&1 ||
  { tail -n 20 configure.log >&2; exit 1; }
make -j"$(nproc)" >make.log 2>&1 || { tail -n 20 make.log >&2; exit 1; }
make install >install.log 2>&1 || { tail -n 20 install.log >&2; exit 1; }
cd "$top"
rm -rf "$work"
