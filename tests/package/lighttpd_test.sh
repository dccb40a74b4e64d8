#!/usr/bin/env bash
# Installs the build's .ipk as the /opt add-on area's package manager does
# (its data unpacked into a root of its own, mounted over /opt in a private
# mount namespace, then its postinst) and serves it with Debian's lighttpd,
# started from a main configuration shaped like the feed's
# (/opt/etc/lighttpd/lighttpd.conf: document root /opt/share/www, every
# conf.d/*.conf included, nothing else of ours). Checks that postinst made a
# password and said so; that every URL form lighttpd turns into the page or
# a program asks for it, and that with it the page and each program's
# answers are byte for byte right; other files served and not run; the page
# in headless Chromium; the password command; another add-on that sets its
# own authentication backend; and upgrades over 1.0.0-1 with and without its
# password block turned on.
# Usage: lighttpd_test.sh BUILD_DIR SCREENSHOT   (a build whose programs run here)
set -uo pipefail
build=${1:?} screenshot=${2:?}
# shellcheck source=../support/harness.sh
source "$(dirname "$0")/../support/harness.sh"
root=$harness_root
skip_if_missing "$(missing_tools lighttpd curl unshare openssl md5sum script)"
use_build "$build"
server=
stop_server() {
  [ -n "$server" ] && stop_process "$server"
  server=
}

ipk=$("$root/package/make-ipk.sh" "$build" "$work/ipk") || exit 1
mkdir "$work/unpack"
(cd "$work/unpack" && tar -xzf "$ipk" && tar -xzf control.tar.gz) || exit 1
make_sample "$work/sample"
disk="$work/sample/disk"
disk_query=$(urlencode "$disk")

# A device's /opt before the package: the feed's lighttpd configuration and
# the configuration the sync writes. Sets OPT and PORT.
make_device() { # NAME
  OPT="$work/$1/opt"
  PORT=$(free_port)
  mkdir -p "$OPT/etc/lighttpd/conf.d"
  cp "$work/sample/Cloud.conf" "$OPT/etc/Cloud.conf"
  cat > "$OPT/etc/lighttpd/lighttpd.conf" <<CONF
server.document-root = "/opt/share/www"
server.bind = "127.0.0.1"
server.port = $PORT
server.errorlog = "$work/$1/error.log"
index-file.names = ( "index.html" )
mimetype.assign = ( ".html" => "text/html", ".js" => "text/javascript", ".css" => "text/css",
                    "" => "application/octet-stream" )
include "/opt/etc/lighttpd/conf.d/*.conf"
CONF
}
in_device() { (with_opt "$OPT" "$@"); }
# The package's files unpacked over the device's, then its postinst.
install_package() { # -> what postinst said, in $OPT/../postinst.out
  tar -xzf "$work/unpack/data.tar.gz" -C "$OPT/.." || return 1
  in_device sh "$work/unpack/postinst" configure >"$OPT/../postinst.out" 2>&1
}
start_server() {
  (with_opt "$OPT" lighttpd -D -f /opt/etc/lighttpd/lighttpd.conf) &
  server=$!
  stop_at_exit "$server"
  wait_for_server "$PORT" || { fail "lighttpd did not start"; cat "$OPT/../error.log"; }
}
# The password postinst printed, once.
printed_password() { sed -n 's/^.*: user "admin", password "\([A-Za-z0-9]*\)".*/\1/p' "$OPT/../postinst.out"; }
installed_output() { direct_output "$1" with_opt "$OPT" "/opt/$CGI_INSTALL_DIR"; }
status_of() { curl -s -o /dev/null -w '%{http_code}' --path-as-is "$@"; }
with_password() { curl -s -S --digest -u "admin:$1" "${@:2}"; }

requests=(
  "mount_folders?action_mode=$disk_query"
  "mount_folders?action_mode=$disk_query%2FMusic"
  "cloud_status?action_mode=CLOUD_GETSTATUS&BaseDir=$disk_query"
  "cloud_status?action_mode=CLOUD_GETCONFIG"
  "cloud_status?action_mode=CLOUD_NOSUCH"
  "mount_folders"
)
# Every URL form lighttpd turns into the page or one of the programs.
guarded_forms=(
  "cgi-bin/mount_folders?action_mode=%2Fetc"
  "cgi-bin/mount_folders/x?action_mode=%2Fetc"
  "cgi-bin/mount_folders/?action_mode=%2F"
  "cgi-bin/mount_folders%2F?action_mode=%2F"
  "cgi-bin/mount_folders%2fx?action_mode=%2F"
  "cgi-bin//mount_folders?action_mode=%2F"
  "/cgi-bin/mount_folders?action_mode=%2F"
  "cgi-bin/./mount_folders?action_mode=%2F"
  "x/../cgi-bin/mount_folders?action_mode=%2F"
  "cgi-bin/x/../mount_folders?action_mode=%2F"
  "cgi-bin/%2E/mount_folders?action_mode=%2F"
  "cgi-bin/mount%5Ffolders?action_mode=%2F"
  "%63gi-bin/mount_folders/x?action_mode=%2F"
  "cgi-bin%2Fmount_folders?action_mode=%2F"
  "cgi-bin/mount_folders;x?action_mode=%2F"
  "cgi-bin/mount_folders%3Bx?action_mode=%2F"
  "cgi-bin/MOUNT_FOLDERS?action_mode=%2F"
  "cgi-bin/cloud_status?action_mode=CLOUD_GETCONFIG"
  "cgi-bin/cloud_status/x?action_mode=CLOUD_GETCONFIG"
  "cgi-bin/cloud_status/?action_mode=CLOUD_GETCONFIG"
  "cgi-bin/cloud_status%2F?action_mode=CLOUD_GETCONFIG"
  "$PACKAGE/"
  "$PACKAGE"
  "$PACKAGE/index.html"
  "$PACKAGE/app.js"
  "$PACKAGE%2Findex.html"
  "$PACKAGE/index.html/x"
  "$PACKAGE/./app.js"
  "x/../$PACKAGE/"
  "%63${PACKAGE#c}/"
  "${PACKAGE^^}/"
)
# Without the password every form is refused or not found; with it the page
# and the programs answer exactly.
check_url_table() { # PASSWORD
  local form code request response
  for form in "${guarded_forms[@]}"; do
    code=$(status_of "http://127.0.0.1:$PORT/$form")
    check "$form without the password: refused or not found (got $code)" \
      [ "$code" = 401 -o "$code" = 404 ]
  done
  for form in "$PACKAGE/" "cgi-bin/mount_folders/x?action_mode=%2F"; do
    check_equal "$form with a wrong password" 401 \
      "$(status_of --digest -u admin:wrong "http://127.0.0.1:$PORT/$form")"
  done
  for form in "$PACKAGE/" "$PACKAGE/app.js"; do
    local file=${form%/}
    [ "$file" = "$PACKAGE" ] && file=$PACKAGE/index.html
    check_equal "$form with the password" "$(cat "$OPT/share/www/$file"; printf x)" \
      "$(with_password "$1" "http://127.0.0.1:$PORT/$form"; printf x)"
  done
  for request in "${requests[@]}"; do
    response=$(with_password "$1" -i "http://127.0.0.1:$PORT/cgi-bin/$request"; printf x)
    # curl -i shows the challenge's header lines before the answer.
    response=${response#"HTTP/1.1 401 Unauthorized"$'\r\n'*$'\r\n\r\n'}
    check_lighttpd_response "$request" "$(installed_output "$request")" "$response"
  done
}

echo "== the first install"
make_device fresh
install_package || fail "postinst failed"
cat "$OPT/../postinst.out"
password=$(printed_password)
check "postinst printed a password of 20 letters and digits" [ ${#password} -eq 20 ]
check "postinst said where the page is, once lighttpd runs" \
  grep -qF "the page is http://<this device>:$PORT/$PACKAGE/" "$OPT/../postinst.out"
credentials="$OPT/..$CREDENTIALS"
check_equal "only the web server's user (root here) may read the password file" "400 root" \
  "$(stat -c '%a %U' "$credentials")"
hash=$(printf '%s' "admin:$PACKAGE:$password" | md5sum)
check_equal "the password file holds the user, the realm and the hash alone" \
  "admin:$PACKAGE:${hash%% *}" "$(cat "$credentials")"
start_server
check_url_table "$password"
# The answers hold what the sample does (equal but empty would pass).
check "the listing holds the hostile name" grep -qF '["\u003cimg src=x onerror=window.pwned=1\u003e"]' \
  <<<"$(installed_output "${requests[0]}")"
check "the status report holds the WebDAV row" grep -qF '["WebDAV","","Sync",' \
  <<<"$(installed_output "${requests[2]}")"
check "the configuration dump holds a line" grep -qF '&#600&#62alice&#62' \
  <<<"$(installed_output "${requests[3]}")"

# A large listing is passed on as it is made: its first byte arrives in the
# first half of the transfer, while the program still runs (a lighttpd that
# gathered the response first would send it all at the end, in moments).
large="$work/large"
mkdir "$large"
(cd "$large" && seq -f "%06g$(printf 'x%.0s' {1..194})" 1 50000 | xargs -d '\n' mkdir)
read -r first_byte last_byte < <(with_password "$password" -o /dev/null \
  -w '%{time_starttransfer} %{time_total}\n' \
  "http://127.0.0.1:$PORT/cgi-bin/mount_folders?action_mode=$(urlencode "$large")")
echo "a listing of 50,000 folders (10 MB): first byte after $first_byte s, last after $last_byte s"
check "the first byte of a large listing arrives while the program runs" \
  awk -v first="$first_byte" -v last="$last_byte" 'BEGIN { exit !(first < last / 2) }'
rm -rf "$large"

# Every other file is served as it is: the page's, and an executable one
# beside it or beside the programs (another add-on's, say), never run.
printf '#!/bin/sh\necho ran\n' > "$OPT/share/www/$PACKAGE/extra.cgi"
printf '#!/bin/sh\necho ran\n' > "$OPT/$CGI_INSTALL_DIR/other"
chmod 755 "$OPT/share/www/$PACKAGE/extra.cgi" "$OPT/$CGI_INSTALL_DIR/other"
for file in "$PACKAGE/extra.cgi" "cgi-bin/other"; do
  check_equal "$file is served as a file" "$(cat "$OPT/share/www/$file"; printf x)" \
    "$(with_password "$password" "http://127.0.0.1:$PORT/$file"; printf x)"
done

# What a user sees, at the page's own folder.
PAGE_CREDENTIALS="admin:$password" check_page "the page served through the snippet" \
  "http://127.0.0.1:$PORT/$PACKAGE/?root=$disk_query" "$disk" "$screenshot"

echo "== the password command"
printf 'a new one\n' | in_device "$PASSWORD_COMMAND" >/dev/null 2>&1
check_equal "a password from standard input works" 200 \
  "$(status_of --digest -u 'admin:a new one' "http://127.0.0.1:$PORT/$PACKAGE/")"
check_equal "the earlier one no longer does" 401 \
  "$(status_of --digest -u "admin:$password" "http://127.0.0.1:$PORT/$PACKAGE/")"
random=$(in_device "$PASSWORD_COMMAND" --random guest)
check "--random prints 20 letters and digits" grep -qxE '[A-Za-z0-9]{20}' <<<"$random"
check_equal "a second user's password works" 200 \
  "$(status_of --digest -u "guest:$random" "http://127.0.0.1:$PORT/$PACKAGE/")"
check_equal "and the first user's still does" 200 \
  "$(status_of --digest -u 'admin:a new one' "http://127.0.0.1:$PORT/$PACKAGE/")"
check_equal "the password file's mode stays" "400 root" "$(stat -c '%a %U' "$credentials")"
# On a terminal, what is typed is not shown (the line is typed once the
# command has turned echo off).
typed=$({ sleep 1; printf 'typed-secret\n'; } |
        script -qfec "$(printf '%q ' unshare --mount --propagation private sh -c \
          "mount --bind \"\$1\" /opt && exec $PASSWORD_COMMAND" sh "$OPT")" /dev/null)
check "the password command asked on the terminal" grep -qF "New password for admin:" <<<"$typed"
check "the password command did not echo it" [ "${typed/typed-secret/}" = "$typed" ]
check_equal "the typed password works" 200 \
  "$(status_of --digest -u 'admin:typed-secret' "http://127.0.0.1:$PORT/$PACKAGE/")"
stop_server

echo "== another add-on that sets its own authentication backend globally"
mkdir -p "$OPT/share/www/other"
echo other > "$OPT/share/www/other/index.html"
printf 'visitor:their secret\n' > "$OPT/etc/other.users"
cat > "$OPT/etc/lighttpd/conf.d/50-other.conf" <<'CONF'
server.modules += ( "mod_auth", "mod_authn_file" )
auth.backend = "plain"
auth.backend.plain.userfile = "/opt/etc/other.users"
$HTTP["url"] =~ "^/other/" {
    auth.require = ( "" => ( "method" => "basic", "realm" => "other", "require" => "valid-user" ) )
}
CONF
check "lighttpd accepts the configuration" in_device lighttpd -tt -f /opt/etc/lighttpd/lighttpd.conf
start_server
check_equal "ours still asks" 401 "$(status_of "http://127.0.0.1:$PORT/cgi-bin/mount_folders/x")"
check_equal "and takes our password" 200 \
  "$(status_of --digest -u 'admin:typed-secret' "http://127.0.0.1:$PORT/$PACKAGE/")"
check_equal "the other add-on takes its own" 200 \
  "$(status_of -u 'visitor:their secret' "http://127.0.0.1:$PORT/other/")"
stop_server

# postinst checks lighttpd's configuration before it restarts lighttpd, and
# says when nothing serves the page. A stand-in for the feed's init script
# (start, stop, restart, check), which lighttpd runs or not by two flags.
for case in "running:comes back:the page is http" \
            "running::the add-on lighttpd did not restart" \
            "running broken:comes back:the add-on lighttpd will not start"; do
  IFS=: read -r state restart said <<<"$case"
  echo "== postinst with lighttpd $state${restart:+, which $restart}"
  make_device "init-${state// /-}-${restart// /-}"
  mkdir -p "$OPT/etc/init.d"
  cat > "$OPT/etc/init.d/S80lighttpd" <<'INIT'
#!/bin/sh
echo "$1" >> /opt/init.log
case $1 in
  check) [ -f /opt/running ] ;;
  restart) [ -f /opt/comes-back ] || rm -f /opt/running ;;
esac
INIT
  chmod 755 "$OPT/etc/init.d/S80lighttpd"
  touch "$OPT/running"
  [ -n "$restart" ] && touch "$OPT/comes-back"
  [[ $state == *broken ]] && echo 'server.no-such-setting = 1 +' > "$OPT/etc/lighttpd/conf.d/50-broken.conf"
  install_package
  check "postinst says: $said..." grep -qF "$PACKAGE: $said" "$OPT/../postinst.out"
  if [[ $said != "the page is"* ]]; then
    check "and gives no URL" [ -z "$(grep -F 'the page is' "$OPT/../postinst.out")" ]
  fi
  if [[ $state == *broken ]]; then
    check "and does not restart lighttpd" [ -z "$(grep -x restart "$OPT/init.log" 2>/dev/null)" ]
  fi
done

# The package manager keeps 1.0.0-1's snippet, a conffile, once the user has
# edited it, and may keep it even unedited: both stay behind here.
for block in on off; do
  echo "== an upgrade from 1.0.0-1 with its password block $block"
  make_device "upgrade-$block"
  old_snippet="$OPT/..$OLD_SNIPPET"
  cp "$root/tests/package/snippet-1.0.0-1.conf" "$old_snippet"
  if [ "$block" = on ]; then
    # As 1.0.0-1's snippet said: a password file, and its six lines turned on.
    printf 'admin:%s\n' "$(openssl passwd -apr1 old-secret)" > "$OPT/..$OLD_PASSWORD_FILE"
    sed -i '/^#server.modules += ( "mod_auth"/,/^#}/ s/^#//' "$old_snippet"
  fi
  install_package || fail "postinst failed"
  cat "$OPT/../postinst.out"
  check "postinst moved 1.0.0-1's snippet aside" [ -f "$old_snippet.before-1.1.0" ]
  check "no snippet of 1.0.0-1 is left in conf.d" [ ! -e "$old_snippet" ]
  check "lighttpd accepts the configuration" in_device lighttpd -tt -f /opt/etc/lighttpd/lighttpd.conf
  password=$(printed_password)
  check "postinst printed a new password" [ ${#password} -eq 20 ]
  if [ "$block" = on ]; then
    check "postinst said the old password no longer works" \
      grep -qF "the password in $OLD_PASSWORD_FILE, set for an earlier version, no longer" \
      "$OPT/../postinst.out"
    check "the user's password file stays" [ -s "$OPT/..$OLD_PASSWORD_FILE" ]
  fi
  start_server
  check_url_table "$password"
  stop_server
  # Upgrading again keeps the password.
  install_package || fail "postinst failed"
  check "a second upgrade prints no password" [ -z "$(printed_password)" ]
  check_equal "and keeps the password" "$(printf '%s' "admin:$PACKAGE:$password" | md5sum |
    cut -d' ' -f1)" "$(cut -d: -f3 "$OPT/..$CREDENTIALS")"
done
check_summary
