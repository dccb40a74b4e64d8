#!/usr/bin/env bash
# Packages a build as an .ipk for an opkg-managed /opt add-on area: the two
# programs, the page, the add-on lighttpd's snippet and the password command,
# with maintainer scripts that make a password on the first install and
# restart a running add-on lighttpd.
# Usage: package/make-ipk.sh BUILD_DIR OUT_DIR
# The package is reproducible: the same tree gives the same bytes (sorted
# names, numeric owners, file times fixed to SOURCE_DATE_EPOCH, which defaults
# to the time of the last commit, gzip without names or times).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: make-ipk.sh BUILD_DIR OUT_DIR}" && pwd)
out=${2:?usage: make-ipk.sh BUILD_DIR OUT_DIR}
# shellcheck source=/dev/null
source "$build/package.conf"
# shellcheck source=facts
source "$root/package/facts"

epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
umask 022

# A device program that could not start on the device goes into no package.
if [ -n "$DEVICE_LIBC" ] && ! report=$("$root/package/check-device-programs.sh" "$build"); then
  grep FAIL -A5 <<<"$report" >&2
  echo "make-ipk.sh: $build holds programs that fail the device checks" >&2
  exit 1
fi

DESTDIR="$work/data" cmake --install "$build" --prefix /opt >/dev/null
find "$work/data" -type d -exec chmod 755 {} +
chmod 755 "$work/data/opt/$CGI_INSTALL_DIR"/* "$work/data$PASSWORD_COMMAND"
find "$work/data/opt/$PAGE_DIR" "$work/data$SNIPPET" -type f -exec chmod 644 {} +

# A gzip'd tar whose bytes depend only on the files' contents and modes.
pack() { # dir members... > archive
  local dir=$1
  shift
  tar -C "$dir" --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$epoch" \
      --format=gnu -cf - "$@" | gzip -9n
}

# What the package manager reads as bytes: the sizes of the files unpacked.
installed_size=$(find "$work/data" -type f -printf '%s\n' | awk '{ sum += $1 } END { print sum + 0 }')
mkdir "$work/control"
cat > "$work/control/control" <<CONTROL
Package: $PACKAGE
Version: $PACKAGE_VERSION
Depends: $DEPENDS
Source: $PACKAGE
Section: web
Priority: optional
Architecture: $IPK_ARCH
Maintainer: $MAINTAINER
Installed-Size: $installed_size
Description: $DESCRIPTION
CONTROL
install -m 755 "$build/package/postinst" "$build/package/postrm" "$work/control/"

pack "$work/control" ./control ./postinst ./postrm > "$work/control.tar.gz"
pack "$work/data" ./opt > "$work/data.tar.gz"
echo "2.0" > "$work/debian-binary"
mkdir -p "$out"
ipk="$out/${PACKAGE}_${PACKAGE_VERSION}_${IPK_ARCH}.ipk"
pack "$work" ./debian-binary ./control.tar.gz ./data.tar.gz > "$ipk"
echo "$ipk"
