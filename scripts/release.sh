#!/usr/bin/env bash
# Makes the release: every target of device/targets built (its programs only),
# checked and packed by package/make-ipk.sh (which refuses a program that
# could not start on the device), and an opkg feed of the packages in OUT_DIR:
#   OUT_DIR/<feed architecture>/  the musl build of each architecture, with
#                                 Packages and Packages.gz
#   OUT_DIR/uclibc/               the uClibc-ng builds, with their own index
#   OUT_DIR/index.html            what the feed is, and the line to add
# Two runs on the same tree write the same bytes. Builds in build/release/.
# Usage: scripts/release.sh OUT_DIR   (TARGETS="x86_64 mipsel" makes some only)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: scripts/release.sh OUT_DIR}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cd "$root"
# shellcheck source=../device/targets.sh
source device/targets.sh
# The package's name and version (its description needs a build's paths).
eval "$(grep -E "^(PACKAGE|VERSION|RELEASE)='[^']*'$" package/facts)"

read -r -a targets <<<"${TARGETS:-$(target_names | tr '\n' ' ')}"
compilers=()
for target in "${targets[@]}"; do
  target_facts "$target"
  [ -z "$target_cross" ] || compilers+=("g++-$target_cross")
done
scripts/install-deps.sh dpkg-dev patch curl "${compilers[@]}"
device/sources.sh

staging="$root/build/release/packages"
rm -rf "$staging"
feeds=()
for target in "${targets[@]}"; do
  target_facts "$target"
  echo "== $target"
  device/sysroot.sh "$target" >/dev/null
  build="$root/build/release/$target"
  cmake --preset "$target" -B "$build" -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target cloud_status mount_folders >/dev/null
  # Of one feed architecture the feed carries the musl build.
  if [ "$target_libc" = musl ]; then
    folder=$target_feed
    feeds+=("$target_feed")
  else
    folder=uclibc
  fi
  package/make-ipk.sh "$build" "$staging/$folder"
done

# The folders this release writes are replaced as a whole.
rm -rf "${out:?}/uclibc"
for folder in "${feeds[@]}" uclibc; do
  [ -d "$staging/$folder" ] || continue
  rm -rf "${out:?}/$folder"
  cp -r "$staging/$folder" "$out/$folder"
  # An architecture's folder takes that architecture's packages alone.
  if [ "$folder" = uclibc ]; then package/make-feed.sh "$out/uclibc"
  else package/make-feed.sh "$out/$folder" "$folder"; fi
done

{
  cat <<HTML
<!DOCTYPE html>
<html lang="en">
<head><meta charset="utf-8"><meta name="viewport" content="width=device-width">
<title>$PACKAGE $VERSION-$RELEASE</title></head>
<body>
<h1>$PACKAGE $VERSION-$RELEASE</h1>
<p>An opkg feed for the /opt add-on area: the disks and cloud sync page of the device,
with its two CGI programs, served by the add-on lighttpd behind a password.</p>
<p>On the device, <code>opkg print-architecture</code> lists its architectures; take the one
with the highest priority that is not <code>all</code> or <code>noarch</code>. Add this line to
<code>/opt/etc/opkg.conf</code>, with the address of this folder (this page's, less
index.html) and that architecture:</p>
<pre>src/gz $PACKAGE ADDRESS/ARCHITECTURE</pre>
<p>then run <code>opkg update</code> and <code>opkg install $PACKAGE</code>, and later
<code>opkg upgrade $PACKAGE</code> for a newer release. The architectures:</p>
<ul>
HTML
  for arch in "${feeds[@]}"; do echo "<li><a href=\"$arch/\">$arch</a></li>"; done
  echo "</ul>"
  if [ -d "$out/uclibc" ]; then
    echo '<p><a href="uclibc/">uclibc/</a> holds the same packages linked against uClibc-ng instead of'
    echo "musl, for firmware built on it; the feed's are static and run on either.</p>"
  fi
  cat <<HTML
</body>
</html>
HTML
} >"$out/index.html"
echo "the feed is in $out"
