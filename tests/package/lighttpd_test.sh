#!/usr/bin/env bash
# Installs the build's .ipk as the /opt add-on area's package manager does
# (its data unpacked into a root of its own, mounted over /opt in a private
# mount namespace, then its postinst) and serves it with Debian's lighttpd,
# started from a main configuration shaped like the feed's
# (/opt/etc/lighttpd/lighttpd.conf: document root /opt/share/www, every
# conf.d/*.conf included, nothing else of ours). Checks that postinst made a
# password and said so; that every URL form lighttpd turns into the page or
# a program asks for it, and that with it each form gives the page, a
# program's answer byte for byte, or nothing, with the headers that keep the
# page's origin safe; other files served and not run; the page in headless
# Chromium; the password command; another add-on that sets its own
# authentication backend; and upgrades over 1.0.0-1 (with and without its
# password block turned on), 1.1.0-1 and 1.2.0-1, after which nothing of ours
# is left in the document root.
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
# the configuration the sync writes. Sets OPT and PORT. With conf.d, the
# port and the user lighttpd runs as (nobody) are set in a conf.d file.
make_device() { # NAME [conf.d]
  OPT="$work/$1/opt"
  PORT=$(free_port)
  mkdir -p "$OPT/etc/lighttpd/conf.d"
  cp "$work/sample/Cloud.conf" "$OPT/etc/Cloud.conf"
  local settings="server.port = $PORT"
  if [ "${2:-}" = conf.d ]; then
    printf '%s\nserver.username = "nobody"\n' "$settings" >"$OPT/etc/lighttpd/conf.d/10-site.conf"
    settings=
    # lighttpd opens its error log as that user.
    : >"$work/$1/error.log" && chown nobody "$work/$1/error.log"
  fi
  cat > "$OPT/etc/lighttpd/lighttpd.conf" <<CONF
server.document-root = "/opt/share/www"
server.bind = "127.0.0.1"
$settings
server.errorlog = "$work/$1/error.log"
index-file.names = ( "index.html" )
mimetype.assign = ( ".html" => "text/html", ".js" => "text/javascript", ".css" => "text/css",
                    "" => "application/octet-stream" )
include "/opt/etc/lighttpd/conf.d/*.conf"
CONF
}
in_device() { (with_opt "$OPT" "$@"); }
# As the package manager installs: the package's files unpacked over the
# device's, the files of the version it replaces that it no longer has
# removed (conffiles, which are not listed here, stay), then its postinst.
installed_list() { echo "$OPT/lib/opkg/info/$PACKAGE.list"; }
install_package() { # -> what postinst said, in $OPT/../postinst.out
  local files file
  files=$(tar -tzf "$work/unpack/data.tar.gz" | sed -n 's|^\./\(.*[^/]\)$|/\1|p') || return 1
  if [ -f "$(installed_list)" ]; then
    while read -r file; do
      grep -qxF "$file" <<<"$files" || rm -f "$OPT/..$file"
    done <"$(installed_list)"
  fi
  tar -xzf "$work/unpack/data.tar.gz" -C "$OPT/.." || return 1
  mkdir -p "$(dirname "$(installed_list)")"
  printf '%s\n' "$files" >"$(installed_list)"
  in_device sh "$work/unpack/postinst" configure >"$OPT/../postinst.out" 2>&1
}
# What an earlier version left on the device: its files, as the package
# manager lists them, and its snippet.
install_old_version() { # VERSION
  local files=(/opt/share/www/cgi-bin/cloud_status /opt/share/www/cgi-bin/mount_folders
               /opt/share/www/$PACKAGE/index.html /opt/share/www/$PACKAGE/app.js
               /opt/share/www/$PACKAGE/style.css) file
  case $1 in
    1.0.0-1) cp "$root/tests/package/snippet-1.0.0-1.conf" "$OPT/..$OLD_SNIPPET" ;; # a conffile
    *) files+=("$SNIPPET" "$PASSWORD_COMMAND") ;;
  esac
  for file in "${files[@]}"; do
    mkdir -p "$(dirname "$OPT/..$file")"
    printf '#!/bin/sh\necho "%s of %s"\n' "$file" "$1" >"$OPT/..$file"
    chmod 755 "$OPT/..$file"
  done
  mkdir -p "$(dirname "$(installed_list)")"
  printf '%s\n' "${files[@]}" >"$(installed_list)"
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
# What lies beside the credentials (a lock, a new file), as a run left it.
beside_credentials() { find "$OPT/etc" -maxdepth 1 -name "${CREDENTIALS##*/}?*"; }
# A command's STATUS was 0 and its OUTPUT does not hold TEXT.
succeeded_without() { [ "$1" -eq 0 ] && [[ $2 != *"$3"* ]]; } # STATUS OUTPUT TEXT
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
# Every URL form lighttpd turns into the page or one of the programs, and
# what it gives with the password: the program's answer, the page's file, or
# an HTTP status (a path tail leads to no program: 404).
guarded_forms=(
  "mount_folders cgi-bin/mount_folders?action_mode=%2Fetc"
  "404 cgi-bin/mount_folders/x?action_mode=%2Fetc"
  "404 cgi-bin/mount_folders/?action_mode=%2F"
  "404 cgi-bin/mount_folders%2F?action_mode=%2F"
  "404 cgi-bin/mount_folders%2fx?action_mode=%2F"
  "mount_folders cgi-bin//mount_folders?action_mode=%2F"
  "mount_folders /cgi-bin/mount_folders?action_mode=%2F"
  "mount_folders cgi-bin/./mount_folders?action_mode=%2F"
  "mount_folders x/../cgi-bin/mount_folders?action_mode=%2F"
  "mount_folders cgi-bin/x/../mount_folders?action_mode=%2F"
  "mount_folders cgi-bin/%2E/mount_folders?action_mode=%2F"
  "mount_folders cgi-bin/mount%5Ffolders?action_mode=%2F"
  "404 %63gi-bin/mount_folders/x?action_mode=%2F"
  "mount_folders cgi-bin%2Fmount_folders?action_mode=%2F"
  "404 cgi-bin/mount_folders;x?action_mode=%2F"
  "404 cgi-bin/mount_folders%3Bx?action_mode=%2F"
  "404 cgi-bin/MOUNT_FOLDERS?action_mode=%2F"
  "cloud_status cgi-bin/cloud_status?action_mode=CLOUD_GETCONFIG"
  "404 cgi-bin/cloud_status/x?action_mode=CLOUD_GETCONFIG"
  "404 cgi-bin/cloud_status/?action_mode=CLOUD_GETCONFIG"
  "404 cgi-bin/cloud_status%2F?action_mode=CLOUD_GETCONFIG"
  "index.html $PACKAGE/"
  "301 $PACKAGE"
  "index.html $PACKAGE/index.html"
  "app.js $PACKAGE/app.js"
  "index.html $PACKAGE%2Findex.html"
  "index.html $PACKAGE/index.html/x"
  "app.js $PACKAGE/./app.js"
  "index.html x/../$PACKAGE/"
  "index.html %63${PACKAGE#c}/"
  "404 ${PACKAGE^^}/"
)
# The headers that keep the page's origin safe, on a response's head:
# a program's answer can run and load nothing, even opened as a page; the
# page loads only its own files and no other site may frame it.
check_safe_headers() { # NAME program|page HEAD
  local csp
  csp=$(sed -n 's/^Content-Security-Policy: \(.*\)\r$/\1/Ip' <<<"$3")
  check "$1: X-Content-Type-Options: nosniff" grep -qix 'X-Content-Type-Options: nosniff.' <<<"$3"
  if [ "$2" = program ]; then
    check "$1: its Content-Security-Policy forbids everything and sandboxes ($csp)" \
      grep -qE "^default-src 'none'(;.*)?; sandbox(;|$)" <<<"$csp"
  else
    check "$1: its Content-Security-Policy allows its own origin alone ($csp)" \
      grep -qE "^default-src 'self';" <<<"$csp"
    check "$1: and no frame ($csp)" grep -qE "(^|; )frame-ancestors 'none'(;|$)" <<<"$csp"
  fi
}
# Without the password every form is refused or not found; with it each
# gives exactly what the table says.
check_url_table() { # PASSWORD
  local row outcome form code request response head
  for row in "${guarded_forms[@]}"; do
    form=${row#* }
    code=$(status_of "http://127.0.0.1:$PORT/$form")
    check "$form without the password: refused or not found (got $code)" \
      [ "$code" = 401 -o "$code" = 404 ]
  done
  for form in "$PACKAGE/" "cgi-bin/mount_folders/x?action_mode=%2F"; do
    check_equal "$form with a wrong password" 401 \
      "$(status_of --digest -u admin:wrong "http://127.0.0.1:$PORT/$form")"
  done
  for row in "${guarded_forms[@]}"; do
    outcome=${row%% *} form=${row#* }
    response=$(with_password "$1" -i --path-as-is "http://127.0.0.1:$PORT/$form"; printf x)
    # curl -i shows the challenge's header lines before the answer.
    response=${response#"HTTP/1.1 401 Unauthorized"$'\r\n'*$'\r\n\r\n'}
    head=${response%%$'\r\n\r\n'*}
    case $outcome in
      [0-9]*) check_equal "$form with the password" "HTTP/1.1 $outcome" "$(head -c 12 <<<"$head")" ;;
      cloud_status | mount_folders)
        check_lighttpd_response "$form" "$(installed_output "$outcome?${form#*\?}")" "$response"
        check_safe_headers "$form" program "$head" ;;
      *)
        check_equal "$form with the password" "$(cat "$OPT/share/www/$PACKAGE/$outcome"; printf x)" \
          "${response#*$'\r\n\r\n'}"
        check_safe_headers "$form" page "$head" ;;
    esac
  done
  for request in "${requests[@]}"; do
    response=$(with_password "$1" -i "http://127.0.0.1:$PORT/cgi-bin/$request"; printf x)
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
# The answers compared equal hold something: the configuration is read from
# its fixed path on the device (what the sample answers are is checked
# through the CGI hosts).
config=$(installed_output "cloud_status?action_mode=CLOUD_GETCONFIG")
check "the installed cloud_status reads /opt/etc/Cloud.conf" [ "${#config}" -gt $((${#header_block} + 1)) ]

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

# Every other file is served as it is: an executable one beside the page or
# in the document root's cgi-bin (another add-on's, say), never run; one
# beside our programs is not reached at all.
mkdir -p "$OPT/share/www/cgi-bin"
for file in "share/www/$PACKAGE/extra.cgi" share/www/cgi-bin/other "$CGI_INSTALL_DIR/extra"; do
  printf '#!/bin/sh\necho ran\n' > "$OPT/$file"
  chmod 755 "$OPT/$file"
done
for file in "$PACKAGE/extra.cgi" "cgi-bin/other"; do
  check_equal "$file is served as a file" "$(cat "$OPT/share/www/$file"; printf x)" \
    "$(with_password "$password" "http://127.0.0.1:$PORT/$file"; printf x)"
done
check_equal "a file beside the programs is not reached" 404 \
  "$(status_of --digest -u "admin:$password" "http://127.0.0.1:$PORT/cgi-bin/extra")"
rm -r "$OPT/share/www/cgi-bin" "$OPT/$CGI_INSTALL_DIR/extra"

# The page through the snippet, behind the password and under the package's
# headers, reaches both programs (how the page behaves is the demo's test).
PAGE_CHECKS=wiring PAGE_CREDENTIALS="admin:$password" check_page "the page served through the snippet" \
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
for option in --help -h; do
  said=$(in_device "$PASSWORD_COMMAND" "$option")
  check "$option prints usage ($said)" grep -q "^Usage: " <<<"$said"
done
said=$(printf 'x\n' | in_device "$PASSWORD_COMMAND" --force 2>&1)
status=$?
kept=$(cat "$credentials")
read_status=$?
check "a user name that begins with - is refused ($said)" [ "$status" -eq 2 ]
check "and not taken" succeeded_without "$read_status" $'\n'"$kept" $'\n--force:'
# Anything but a regular file at the credentials path is refused, untouched:
# a link's target would have its lines copied in.
cp "$credentials" "$work/credentials.kept"
printf 'root:x:0:0:root:/root:/bin/sh\n' > "$OPT/etc/passwd-like"
for kind in "a link" "a dangling link" "a folder"; do
  rm -f "$credentials"
  case $kind in
    "a link") ln -s /opt/etc/passwd-like "$credentials" ;;
    "a dangling link") ln -s /opt/etc/missing "$credentials" ;;
    "a folder") mkdir "$credentials" ;;
  esac
  before=$(ls -ld "$credentials")
  said=$(printf 'another\n' | in_device "$PASSWORD_COMMAND" 2>&1)
  check "the password command refuses $kind at the credentials path" [ $? -ne 0 ]
  check "and says why ($said)" grep -qF "$CREDENTIALS is not a regular file" <<<"$said"
  check_equal "and leaves it as it was" "$before" "$(ls -ld "$credentials")"
  check_equal "and writes nothing beside it" "" "$(beside_credentials)"
  rm -rf "$credentials"
done
check_equal "the file a link led to is untouched" 'root:x:0:0:root:/root:/bin/sh' \
  "$(cat "$OPT/etc/passwd-like")"
cp -p "$work/credentials.kept" "$credentials"
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

echo "== lighttpd's port and user set in a conf.d file"
make_device conf.d conf.d
install_package || fail "postinst failed"
cat "$OPT/../postinst.out"
check "postinst gave the address with the port lighttpd reads from conf.d" \
  grep -qF "the page is http://<this device>:$PORT/$PACKAGE/" "$OPT/../postinst.out"
credentials="$OPT/..$CREDENTIALS"
check_equal "the password file is the user lighttpd runs as alone" "400 nobody" \
  "$(stat -c '%a %U' "$credentials")"
start_server
check_equal "lighttpd runs as that user" nobody "$(ps -o user= -p "$server" | tr -d " ")"
check_equal "and takes the printed password" 200 \
  "$(status_of --digest -u "admin:$(printed_password)" "http://127.0.0.1:$PORT/$PACKAGE/")"
stop_server

echo "== the password command beside other runs and another local user"
line_of() { # USER PASSWORD -> the credentials line
  local hash
  hash=$(printf '%s' "$1:$PACKAGE:$2" | md5sum)
  echo "$1:$PACKAGE:${hash%% *}"
}
# Two runs at once, 30 times: one waits for the other, and neither loses or
# garbles a line.
expected=$({ cat "$credentials"; for i in {1..30}; do line_of "alice$i" "a$i"; line_of "bob$i" "b$i"; done; } | sort)
for i in {1..30}; do
  printf 'a%s\n' "$i" | in_device "$PASSWORD_COMMAND" "alice$i" &
  first=$!
  printf 'b%s\n' "$i" | in_device "$PASSWORD_COMMAND" "bob$i" &
  wait "$first" $!
done
kept=$(sort "$credentials")
echo "30 pairs of runs at once: $(comm -12 <(echo "$expected") <(echo "$kept") | wc -l) of" \
  "$(wc -l <<<"$expected") lines kept (60 of them new)," \
  "$(comm -13 <(echo "$expected") <(echo "$kept") | wc -l) others"
check_equal "30 pairs of runs at once keep all 60 lines" "$expected" "$kept"
check_equal "and leave nothing beside the credentials" "" "$(beside_credentials)"

# A run whose process id is known before it starts finds a lock left behind
# by a run that has gone, or planted, with a link to another file at the
# name of its new file in it.
victim="$OPT/etc/passwd-like"
printf 'root:x:0:0:root:/root:/bin/sh\n' >"$victim"
chmod 644 "$victim"
victim_was=$(stat -c '%a %U %i' "$victim"; cat "$victim")
gone=$(sh -c 'echo $$')
mkdir "$credentials.lock" && echo "$gone" >"$credentials.lock/pid"
mkfifo "$work/go"
(read -r _ <"$work/go"; with_opt "$OPT" "$PASSWORD_COMMAND" planted <<<"planted secret") &
run=$!
ln -s /opt/etc/passwd-like "$credentials.lock/new.$run"
echo >"$work/go"
wait "$run"
check "a run with links at its names, after a lock left behind, succeeds" [ $? -eq 0 ]
check_equal "and changes no other file" "$victim_was" "$(stat -c '%a %U %i' "$victim"; cat "$victim")"
check_equal "the credentials stay a file only lighttpd's user may read" "400 nobody regular file" \
  "$(stat -c '%a %U %F' "$credentials")"
check "holding the new line" grep -qxF "$(line_of planted 'planted secret')" "$credentials"
check_equal "and nothing is left beside them" "" "$(beside_credentials)"

# Only lines of the realm are carried over; the others are counted on
# standard error. A file hard-linked in at the credentials path gives none of
# its lines, and the rename leaves it as it was.
printf 'root:$6$salt$hash:19000:0:99999:7:::\ndaemon:*:19000:0:99999:7:::\n' >"$OPT/etc/shadow-like"
chmod 600 "$OPT/etc/shadow-like"
for kind in "a hard link to another file" "foreign lines"; do
  other_was=$(stat -c '%a %U %h %i' "$OPT/etc/shadow-like"; cat "$OPT/etc/shadow-like")
  rm -f "$credentials"
  case $kind in
    "a hard link to another file")
      ln "$OPT/etc/shadow-like" "$credentials"
      expected=$(line_of admin again) ;;
    "foreign lines")
      { line_of guest kept; line_of eve x | sed "s/:$PACKAGE:/:another-realm:/"; echo "carol:$PACKAGE:0123abc"; } \
        >"$credentials"
      expected=$(line_of guest kept; line_of admin again) ;;
  esac
  said=$(printf 'again\n' | in_device "$PASSWORD_COMMAND" 2>&1)
  check "with $kind at the credentials path the password command succeeds ($said)" [ $? -eq 0 ]
  check_equal "and carries over only lines of its realm" "$expected" "$(cat "$credentials")"
  check "and says it dropped 2 ($said)" grep -qF "dropped 2 line(s) of $CREDENTIALS" <<<"$said"
  check_equal "and changes no other file" "$other_was" \
    "$(stat -c '%a %U %h %i' "$OPT/etc/shadow-like"; cat "$OPT/etc/shadow-like")"
done

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
  : >"$OPT/init.log"
  [ -n "$restart" ] && touch "$OPT/comes-back"
  [[ $state == *broken ]] && echo 'server.no-such-setting = 1 +' > "$OPT/etc/lighttpd/conf.d/50-broken.conf"
  install_package
  check "postinst says: $said..." grep -qF "$PACKAGE: $said" "$OPT/../postinst.out"
  if [[ $said != "the page is"* ]]; then
    out=$(cat "$OPT/../postinst.out")
    check "and gives no URL" succeeded_without $? "$out" "the page is"
  fi
  if [[ $state == *broken ]]; then
    calls=$(cat "$OPT/init.log")
    check "and does not restart lighttpd ($calls)" succeeded_without $? $'\n'"$calls"$'\n' $'\nrestart\n'
  fi
done

# Upgrades. The package manager keeps 1.0.0-1's snippet, a conffile, once the
# user has edited it, and may keep it even unedited: both stay behind here.
# 1.1.0-1 and 1.2.0-1 made a password, which an upgrade keeps. All three put
# the programs in the document root's cgi-bin, which the upgrade empties.
for from in "1.0.0-1 on" "1.0.0-1 off" 1.1.0-1 1.2.0-1; do
  version=${from%% *}
  echo "== an upgrade from $from"
  make_device "upgrade-${from// /-}"
  install_old_version "$version"
  old_snippet="$OPT/..$OLD_SNIPPET"
  if [ "$from" = "1.0.0-1 on" ]; then
    # As 1.0.0-1's snippet said: a password file, and its six lines turned on.
    printf 'admin:%s\n' "$(openssl passwd -apr1 old-secret)" > "$OPT/..$OLD_PASSWORD_FILE"
    sed -i '/^#server.modules += ( "mod_auth"/,/^#}/ s/^#//' "$old_snippet"
  elif [ "$version" != 1.0.0-1 ]; then
    hash=$(printf '%s' "admin:$PACKAGE:kept-secret" | md5sum)
    printf 'admin:%s:%s\n' "$PACKAGE" "${hash%% *}" > "$OPT/..$CREDENTIALS"
    chmod 400 "$OPT/..$CREDENTIALS"
  fi
  install_package || fail "postinst failed"
  cat "$OPT/../postinst.out"
  check "lighttpd accepts the configuration" in_device lighttpd -tt -f /opt/etc/lighttpd/lighttpd.conf
  check_equal "nothing of ours is left in the document root's cgi-bin" "" \
    "$(find "$OPT/share/www/cgi-bin" ! -type d 2>/dev/null)"
  if [ "$version" = 1.0.0-1 ]; then
    check "postinst moved 1.0.0-1's snippet aside" [ -f "$old_snippet.before-1.1.0" ]
    check "no snippet of 1.0.0-1 is left in conf.d" [ ! -e "$old_snippet" ]
    password=$(printed_password)
    check "postinst printed a new password" [ ${#password} -eq 20 ]
  else
    said=$(printed_password)
    check "postinst printed no password" [ $? -eq 0 -a -z "$said" ]
    password=kept-secret
  fi
  if [ "$from" = "1.0.0-1 on" ]; then
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
  said=$(printed_password)
  check "a second upgrade prints no password" [ $? -eq 0 -a -z "$said" ]
  check_equal "and keeps the password" "$(printf '%s' "admin:$PACKAGE:$password" | md5sum |
    cut -d' ' -f1)" "$(cut -d: -f3 "$OPT/..$CREDENTIALS")"
done
check_summary
