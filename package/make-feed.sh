#!/usr/bin/env bash
# Indexes a feed folder for opkg: DIR/Packages, one stanza per .ipk in DIR
# (every field of its control, in its order, then Filename, Size, MD5Sum and
# SHA256sum), and DIR/Packages.gz, the same bytes gzip'd without name or time.
# With ARCH, a package of any other Architecture is refused: an architecture's
# folder holds that architecture's packages alone. The same files give the
# same bytes.
# Usage: package/make-feed.sh DIR [ARCH]
set -euo pipefail
dir=${1:?usage: make-feed.sh DIR [ARCH]}
arch=${2:-}
export LC_ALL=C
umask 022

packages="$dir/Packages.new"
trap 'rm -f "$packages"' EXIT
: >"$packages"
shopt -s nullglob
for ipk in "$dir"/*.ipk; do
  control=$(tar -xzOf "$ipk" ./control.tar.gz | tar -xzO ./control) ||
    { echo "make-feed.sh: $ipk holds no control file" >&2; exit 1; }
  package_arch=$(sed -n 's/^Architecture: //p' <<<"$control")
  if [ -n "$arch" ] && [ "$package_arch" != "$arch" ]; then
    echo "make-feed.sh: $ipk is for $package_arch, not $arch" >&2
    exit 1
  fi
  {
    printf '%s\n' "$control"
    echo "Filename: ${ipk##*/}"
    echo "Size: $(stat -c %s "$ipk")"
    echo "MD5Sum: $(md5sum <"$ipk" | cut -d' ' -f1)"
    echo "SHA256sum: $(sha256sum <"$ipk" | cut -d' ' -f1)"
    echo
  } >>"$packages"
done
gzip -9n <"$packages" >"$dir/Packages.gz"
mv "$packages" "$dir/Packages"
