#!/usr/bin/env bash
# The demo: builds the programs (once), makes a sample disk, and serves the
# page and the programs with busybox httpd. See usage below.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tests/support/fixtures.sh

usage() {
  cat <<'USAGE'
Usage: scripts/run.sh [--address ADDRESS]   serve the demo (Ctrl-C stops it)
       scripts/run.sh --print               print the programs' answers for the sample disk
       scripts/run.sh --device [mipsel|arm] boot an emulated router with the package installed
       scripts/run.sh --help

The demo serves the page for a sample disk on http://127.0.0.1:PORT/ (PORT, default 8080),
with no password; its programs answer only requests addressed to it. --address serves it on
another address of this machine instead (to try it from a phone), behind a password the demo
prints: whoever reaches that address and has the password sees this machine's folder names.
Its server runs as the user who starts it, or as nobody when that is root: its programs list
only what that user may read, for every user of this machine who asks.
USAGE
}

address=127.0.0.1
case ${1:-} in
  -h | --help) usage; exit 0 ;;
  --address)
    address=${2:?--address needs an address of this machine, such as 192.168.1.20}
    shift 2 ;;
  --print | --device | '') ;;
  *) usage >&2; exit 2 ;;
esac

if [ "${1:-}" = --device ]; then
  target=${2:-mipsel}
  case $target in
    mipsel) packages=(qemu-system-mips) ;;
    arm) packages=(qemu-system-arm) ;;
    *) usage >&2; exit 2 ;;
  esac
  source device/targets.sh
  target_facts "$target"
  scripts/install-deps.sh "${packages[@]}" "g++-$target_cross" qemu-user cpio dpkg-dev curl
  device/sysroot.sh "$target" >/dev/null
  cmake --preset "$target" >/dev/null
  cmake --build "build/$target" -j"$(nproc)" >/dev/null
  router="$root/build/router/$target"
  echo "making the router in $router"
  router/make-router.sh "build/$target" "$router" >/dev/null
  port=${PORT:-8080}
  ROUTER_PID=
  trap '[ -n "$ROUTER_PID" ] && kill "$ROUTER_PID" 2>/dev/null' EXIT
  trap 'exit 130' INT TERM
  router/start-router.sh "$router" "$port" &
  ROUTER_PID=$!
  echo "booting (its console is in $router/console.log)"
  wait_for_server "$port" 60 || { echo "the router did not answer" >&2; cat "$router/qemu.log" >&2; exit 1; }
  # shellcheck source=/dev/null
  source "build/$target/package.conf"
  echo "The router serves the page at http://127.0.0.1:$port/$PACKAGE/?mnt=%2Ftmp%2Fmnt"
  echo "(its sample disk is /tmp/mnt/sda1 in the router; Ctrl-C stops the router)"
  wait "$ROUTER_PID"
  exit 0
fi

scripts/install-deps.sh busybox
# What the demo writes, every user may read: started by root, its server
# runs as nobody.
umask 022
port=${PORT:-8080}
# A port already taken is most likely a demo that runs: nothing of it is
# touched.
if [ "${1:-}" != --print ] && (exec 3<>"/dev/tcp/$address/$port") 2>/dev/null; then
  echo "run.sh: $address:$port is taken (a demo already running?); PORT=9000 scripts/run.sh serves on another" >&2
  exit 1
fi
build="$root/build/demo"
build_programs "$build" "$build/conf/Cloud.conf"
# Each run serves a folder of its own, removed when it stops: a second run
# or --print never changes what a running demo serves.
run=$(mktemp -d "$build/run.XXXXXX")
chmod 755 "$run"
trap 'rm -rf "$run"' EXIT
trap 'exit 130' INT TERM
make_sample "$run/sample"
mkdir -p "$build/conf"
sample_conf="$build/conf/Cloud.conf"
# The programs read their configuration from one fixed path; the same file
# for every run.
cp "$run/sample/Cloud.conf" "$sample_conf.new" && mv -f "$sample_conf.new" "$sample_conf"
hosts=("$address:$port")
[ "$address" = 127.0.0.1 ] && hosts+=("localhost:$port")
make_docroot "$run/www" "$build/cloud_status/cloud_status" "$build/mount_folders/mount_folders" \
  "${hosts[@]}"

if [ "${1:-}" = --print ]; then
  show() {
    printf '\n$ QUERY_STRING=%q %s\n' "$2" "$1"
    QUERY_STRING="$2" "$run/www.programs/$1"
    echo
  }
  show cloud_status "action_mode=CLOUD_GETSTATUS&BaseDir=$run/sample/disk"
  show cloud_status "action_mode=CLOUD_GETCONFIG"
  show mount_folders "action_mode=$run/sample/disk"
  show mount_folders "action_mode=$run/sample/disk/Music"
  exit 0
fi

# The sample folder stands for the device's mount folder: its disk is "disk".
url="http://$address:$port/?mnt=$(urlencode "$run/sample")"
server_user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  server_user=nobody
  if ! setpriv --reuid=65534 --regid=65534 --clear-groups sh -c \
    'test -r "$1" && test -x "$2" && test -r "$3"' sh "$sample_conf" \
    "$run/www.programs/mount_folders" "$run/sample/disk"; then
    echo "run.sh: started by root, the demo's server runs as nobody, who cannot read its files in $build" \
      "(a folder on the way is closed to other users). Run it as another user," \
      "or from a checkout every user may read." >&2
    exit 1
  fi
fi
options=()
if [ "$address" != 127.0.0.1 ]; then
  password=$(head -c 300 /dev/urandom | tr -dc 'A-Za-z0-9' | head -c 16)
  # Read by the server, and by no other user.
  (umask 077 && printf '/:demo:%s\n' "$password" > "$run/httpd.conf")
  chown "$server_user" "$run/httpd.conf"
  options+=(-c "$run/httpd.conf" -r "demo")
  echo "Serving the demo at $url"
  echo "(user \"demo\", password \"$password\"; anyone on this network with it sees the"
  echo "names of the folders $server_user may read; Ctrl-C stops)"
else
  echo "Serving the demo at $url"
  echo "(the sample disk is $run/sample/disk; its programs run as $server_user, and list for"
  echo "any user of this machine what $server_user may read; Ctrl-C stops)"
fi
demo_server "$run/www" "$address:$port"
"${DEMO_SERVER[@]}" "${options[@]}"
