#!/usr/bin/env bash
# The feed of a build's package (package/make-feed.sh): each stanza of
# Packages is its file's control and then the file's name, size and sums;
# Packages.gz is Packages; a folder takes its architecture's packages alone;
# the same files give the same bytes. Then the stand-in package manager
# (opkg.sh) installs from it as the README says: the source line, update,
# install by name, an upgrade to a newer version in the same feed that keeps
# the password, and a file that does not match its stanza refused. The feed
# is served as the README says, by busybox httpd.
# Usage: feed_test.sh BUILD_DIR
set -uo pipefail
build=${1:?}
# shellcheck source=../support/harness.sh
source "$(dirname "$0")/../support/harness.sh"
root=$harness_root
skip_if_missing "$(missing_tools unshare md5sum sha256sum gzip busybox curl)"
use_build "$build"

feed="$work/feed/$IPK_ARCH"
ipk=$("$root/package/make-ipk.sh" "$build" "$feed") || exit 1
# A newer version of the same package, with a page file of its own: the
# same files repacked with the next release number.
newer_version=${PACKAGE_VERSION%-*}-$((${PACKAGE_VERSION##*-} + 1))
repack() { # IPK VERSION ARCH OUT_IPK
  local dir="$work/repack"
  rm -rf "$dir"
  mkdir -p "$dir/control" "$dir/data"
  (cd "$dir" && tar -xzf "$1" && tar -xzf control.tar.gz -C control && tar -xzf data.tar.gz -C data)
  sed -i "s/^Version: .*/Version: $2/; s/^Architecture: .*/Architecture: $3/" "$dir/control/control"
  echo "$2" >"$dir/data/opt/$PAGE_DIR/version.txt"
  (cd "$dir/control" && tar --owner=0 --group=0 -czf ../control.tar.gz ./control ./postinst ./postrm)
  (cd "$dir/data" && tar --owner=0 --group=0 -czf ../data.tar.gz ./opt)
  (cd "$dir" && tar --owner=0 --group=0 -czf "$4" ./debian-binary ./control.tar.gz ./data.tar.gz)
}

echo "== the index"
check "the feed is indexed" "$root/package/make-feed.sh" "$feed" "$IPK_ARCH"
repack "$ipk" "$newer_version" "$IPK_ARCH" "$work/newer.ipk"
cp "$work/newer.ipk" "$feed/${PACKAGE}_${newer_version}_${IPK_ARCH}.ipk"
check "two versions are indexed" "$root/package/make-feed.sh" "$feed" "$IPK_ARCH"
stanzas=0
while IFS= read -r -d '' stanza; do
  stanzas=$((stanzas + 1))
  name=$(sed -n 's/^Filename: //p' <<<"$stanza")
  file="$feed/$name"
  check "Filename $name resolves to a file of the folder" [ -n "$name" -a -f "$file" ]
  [ -f "$file" ] || continue
  check_equal "$name: the stanza is its control, then Filename, Size, MD5Sum and SHA256sum" \
    "$(tar -xzOf "$file" ./control.tar.gz | tar -xzO ./control)
Filename: $name
Size: $(stat -c %s "$file")
MD5Sum: $(md5sum <"$file" | cut -d' ' -f1)
SHA256sum: $(sha256sum <"$file" | cut -d' ' -f1)" "$stanza"
done < <(awk -v RS= '{ printf "%s%c", $0, 0 }' "$feed/Packages")
check_equal "one stanza per package file" "$(ls "$feed"/*.ipk | wc -l)" "$stanzas"
check "stanzas are separated by one empty line, and the last ends with one" \
  [ "$(grep -c '^$' "$feed/Packages")" -eq "$stanzas" -a -z "$(tail -n 1 "$feed/Packages")" ]
check "Packages.gz unpacks to Packages" cmp <(gzip -dc "$feed/Packages.gz") "$feed/Packages"
# The gzip header: flags (no name) at byte 3, the time at 4 to 7.
check_equal "Packages.gz names no file and no time" "0 0 0 0 0" \
  "$(od -An -tu1 -j3 -N5 "$feed/Packages.gz" | xargs)"
mkdir "$work/again"
"$root/package/make-ipk.sh" "$build" "$work/again" >/dev/null
cp "$feed/${PACKAGE}_${newer_version}_${IPK_ARCH}.ipk" "$work/again/"
"$root/package/make-feed.sh" "$work/again" "$IPK_ARCH"
check "a second run gives the same bytes" diff -r "$feed" "$work/again"
repack "$ipk" "$PACKAGE_VERSION" other-arch "$work/again/${PACKAGE}_${PACKAGE_VERSION}_other-arch.ipk"
said=$("$root/package/make-feed.sh" "$work/again" "$IPK_ARCH" 2>&1)
check "a package of another architecture is refused in the folder ($said)" [ $? -ne 0 ]
check_equal "and the index stays" "$(cat "$feed/Packages")" "$(cat "$work/again/Packages")"

echo "== installed by name from the feed"
# Served as the README serves a release: busybox httpd, here on 127.0.0.1.
port=$(free_port)
busybox httpd -f -p "127.0.0.1:$port" -h "$work" &
stop_at_exit $!
wait_for_server "$port" || fail "busybox httpd did not start"
OPT="$work/device/opt"
mkdir -p "$OPT/etc"
in_device() { (with_opt "$OPT" bash "$root/tests/package/opkg.sh" "$@"); }
# Only the older version at first; its architecture is the device's first.
mkdir "$work/served"
cp "$ipk" "$work/served/"
"$root/package/make-feed.sh" "$work/served" "$IPK_ARCH"
printf 'arch all 1\narch noarch 1\narch %s 10\n' "$IPK_ARCH" >"$OPT/etc/opkg.conf"
arch=$(in_device print-architecture | awk '$2 != "all" && $2 != "noarch"' | sort -k3,3n | tail -n 1 |
       cut -d' ' -f2)
check_equal "the device's architecture is the package's" "$IPK_ARCH" "$arch"
echo "src/gz $PACKAGE http://127.0.0.1:$port/served" >>"$OPT/etc/opkg.conf"
check "opkg update" in_device update
said=$(in_device install "$PACKAGE" 2>&1)
check "opkg install $PACKAGE ($said)" [ $? -eq 0 ]
check "postinst made a password and said so" grep -qF 'password "' <<<"$said"
check "the programs are installed" [ -x "$OPT/$CGI_INSTALL_DIR/cloud_status" -a \
  -x "$OPT/$CGI_INSTALL_DIR/mount_folders" ]
credentials=$(cat "$OPT/..$CREDENTIALS")
check "the password file is there" [ -n "$credentials" ]
check "a second install leaves it" grep -q 'up to date' <(in_device install "$PACKAGE")

cp "$work/newer.ipk" "$work/served/${PACKAGE}_${newer_version}_${IPK_ARCH}.ipk"
"$root/package/make-feed.sh" "$work/served" "$IPK_ARCH"
# The newer file, and what its stanza says of it, made to disagree one at a
# time: each is refused and leaves the installed version.
for wrong in "Size: 1" "MD5Sum: 0123456789abcdef0123456789abcdef" \
             "SHA256sum: $(printf '%064d' 0)" "corrupt file"; do
  cp -r "$work/served" "$work/wrong"
  if [ "$wrong" = "corrupt file" ]; then
    size=$(stat -c %s "$work/newer.ipk")
    printf 'x' | dd of="$work/wrong/${PACKAGE}_${newer_version}_${IPK_ARCH}.ipk" bs=1 \
      seek=$((size / 2)) conv=notrunc status=none
  else
    awk -v RS= -v ORS='\n\n' -v version="$newer_version" -v wrong="$wrong" '
      $0 ~ "\nVersion: " version "\n" { sub("\n" substr(wrong, 1, index(wrong, ":")) " [^\n]*", "\n" wrong) }
      { print }' "$work/served/Packages" >"$work/wrong/Packages"
    gzip -9n <"$work/wrong/Packages" >"$work/wrong/Packages.gz"
  fi
  sed -i "s|/served\$|/wrong|" "$OPT/etc/opkg.conf"
  in_device update
  said=$(in_device upgrade "$PACKAGE" 2>&1)
  check "a feed whose $wrong disagrees is refused ($said)" [ $? -ne 0 ]
  check "and the installed version stays" [ ! -e "$OPT/$PAGE_DIR/version.txt" ]
  sed -i "s|/wrong\$|/served|" "$OPT/etc/opkg.conf"
  rm -rf "$work/wrong"
done

check "opkg update, with the newer version in the feed" in_device update
said=$(in_device upgrade "$PACKAGE" 2>&1)
check "opkg upgrade $PACKAGE ($said)" [ $? -eq 0 ]
check_equal "the newer version is installed" "$newer_version" "$(cat "$OPT/$PAGE_DIR/version.txt")"
check "postinst made no new password" [ -z "$(grep -F 'password "' <<<"$said")" ]
check_equal "the password stays" "$credentials" "$(cat "$OPT/..$CREDENTIALS")"
check_summary
