#!/usr/bin/env bash
# Installs the build's .ipk as the /opt add-on area's package manager does
# (its data unpacked into a root of its own, mounted over /opt in a private
# mount namespace) and serves it with Debian's lighttpd, started from a main
# configuration shaped like the feed's: document root /opt/share/www, every
# /opt/etc/lighttpd/conf.d/*.conf included, nothing else of ours. Checks the
# page in headless Chromium, each program's answers byte for byte, that other
# files are served and not run, and, with the snippet's password block turned
# on, 401 without the password and the page with it.
# Usage: lighttpd_test.sh BUILD_DIR SCREENSHOT   (a build whose programs run here)
set -uo pipefail
build=${1:?} screenshot=${2:?}
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/lib.sh
source "$root/scripts/lib.sh"
# shellcheck source=../support/checks.sh
source "$root/tests/support/checks.sh"
# shellcheck source=/dev/null
source "$build/package.conf"
skip_if_missing "$(missing_tools lighttpd curl unshare openssl)"

work=$(mktemp -d)
chmod 755 "$work"
server=
stop_server() {
  [ -n "$server" ] && { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; }
  server=
}
trap 'stop_server; rm -rf "$work"' EXIT

# The package, installed into a root of its own.
ipk=$("$root/scripts/make-ipk.sh" "$build" "$work/ipk") || exit 1
mkdir "$work/unpack" "$work/root"
(cd "$work/unpack" && tar -xzf "$ipk" && tar -xzf data.tar.gz -C "$work/root") || exit 1
opt="$work/root/opt"
# What the device has besides: a disk, and the configuration the sync writes.
"$root/scripts/make-sample.sh" "$work/sample"
disk="$work/sample/disk"
mkdir "$disk/<img src=x onerror=window.pwned=1>"
mkdir -p "$opt/etc"
cp "$work/sample/Cloud.conf" "$opt/etc/Cloud.conf"

port=$(free_port)
cat > "$work/lighttpd.conf" <<CONF
server.document-root = "/opt/share/www"
server.bind = "127.0.0.1"
server.port = $port
server.errorlog = "$work/error.log"
index-file.names = ( "index.html" )
mimetype.assign = ( ".html" => "text/html", ".js" => "text/javascript", ".css" => "text/css",
                    "" => "application/octet-stream" )
include "/opt/etc/lighttpd/conf.d/*.conf"
CONF
start_server() {
  (with_opt "$opt" lighttpd -D -f "$work/lighttpd.conf") &
  server=$!
  wait_for_server "$port" || { fail "lighttpd did not start"; cat "$work/error.log"; }
}

direct_output() { # request -> what the installed program writes itself
  local program=${1%%\?*} query=
  [[ $1 == *\?* ]] && query=${1#*\?}
  (QUERY_STRING="$query" with_opt "$opt" "/opt/$CGI_INSTALL_DIR/$program")
  printf x # keep trailing line ends through $(...)
}

start_server
url="http://127.0.0.1:$port"
disk_query=$(urlencode "$disk")
requests=(
  "mount_folders?action_mode=$disk_query"
  "mount_folders?action_mode=$disk_query%2FMusic"
  "cloud_status?action_mode=CLOUD_GETSTATUS&BaseDir=$disk_query"
  "cloud_status?action_mode=CLOUD_GETCONFIG"
  "cloud_status?action_mode=CLOUD_NOSUCH"
  "mount_folders"
)
for request in "${requests[@]}"; do
  check_lighttpd_response "$request" "$(direct_output "$request")" \
    "$(curl -s -S "$url/cgi-bin/$request" -i; printf x)"
done
# The answers hold what the sample does (equal but empty would pass).
check "the listing holds the hostile name" grep -qF '["\u003cimg src=x onerror=window.pwned=1\u003e"]' \
  <<<"$(direct_output "${requests[0]}")"
check "the status report holds the WebDAV row" grep -qF '["WebDAV","","Sync",' \
  <<<"$(direct_output "${requests[2]}")"
check "the configuration dump holds a line" grep -qF '&#600&#62alice&#62' \
  <<<"$(direct_output "${requests[3]}")"

# Every other file is served as it is: the page's, and an executable one
# beside it or beside the programs (another add-on's, say), never run.
printf '#!/bin/sh\necho ran\n' > "$opt/share/www/$PACKAGE/extra.cgi"
printf '#!/bin/sh\necho ran\n' > "$opt/$CGI_INSTALL_DIR/other"
chmod 755 "$opt/share/www/$PACKAGE/extra.cgi" "$opt/$CGI_INSTALL_DIR/other"
for file in "$PACKAGE/app.js" "$PACKAGE/index.html" "$PACKAGE/extra.cgi" "cgi-bin/other"; do
  check_equal "$file is served as a file" "$(cat "$opt/share/www/$file"; printf x)" \
    "$(curl -s -S "$url/$file"; printf x)"
done

# What a user sees, at the page's own folder.
missing_browser=$(missing_for_browser)
if [ -z "$missing_browser" ]; then
  mkdir -p "$(dirname "$screenshot")"
  check "the page served through the snippet" \
    node "$root/tests/browser/browser_test.mjs" "$url/$PACKAGE/?root=$disk_query" "$disk" "$screenshot"
elif [ "${CI:-}" = true ]; then
  fail "the page checks need$missing_browser"
else
  echo "skipped the page checks, which need$missing_browser"
fi

# The password block, turned on as the snippet says.
stop_server
sed -i '/^#server.modules += ( "mod_auth"/,/^#}/ s/^#//' "$work/root$SNIPPET"
printf 'admin:%s\n' "$(openssl passwd -apr1 secret)" > "$work/root$PASSWORD_FILE"
start_server
status_of() { curl -s -o /dev/null -w '%{http_code}' "$@"; }
for path in "$PACKAGE/" "cgi-bin/mount_folders?action_mode=$disk_query"; do
  check_equal "$path without the password" 401 "$(status_of "$url/$path")"
  check_equal "$path with a wrong password" 401 "$(status_of -u admin:wrong "$url/$path")"
done
check_equal "the page with the password" "$(cat "$opt/share/www/$PACKAGE/index.html"; printf x)" \
  "$(curl -s -S -u admin:secret "$url/$PACKAGE/"; printf x)"
check_lighttpd_response "listing with the password" "$(direct_output "${requests[0]}")" \
  "$(curl -s -S -u admin:secret "$url/cgi-bin/${requests[0]}" -i; printf x)"
check_summary
