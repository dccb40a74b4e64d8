# The fixtures the tests, the demo, the load test and the benchmarks share
# (source it): the sample disk, a web server's document folder for the
# programs, servers on 127.0.0.1, a private /opt, and scratch folders.

lib_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Percent-encodes all but unreserved characters and '/'.
urlencode() {
  local LC_ALL=C text=$1 i c out=
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    case $c in [A-Za-z0-9/._~-]) out+=$c ;; *) out+=$(printf '%%%02X' "'$c") ;; esac
  done
  printf '%s' "$out"
}

# Runs COMMAND with OPT_DIR bound over /opt, in a mount namespace of its own
# that nothing else sees; it execs, so its process id is the caller's.
with_opt() { # OPT_DIR COMMAND...
  local namespace=(unshare --mount --propagation private)
  [ "$(id -u)" -eq 0 ] || namespace+=(--map-root-user)
  exec "${namespace[@]}" sh -c 'mount --bind "$1" /opt && shift && exec "$@"' sh "$@"
}

# A port on 127.0.0.1 that nothing listens on.
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
  done
}

# Waits up to SECONDS (default 5) for a server to answer on 127.0.0.1:PORT.
wait_for_server() { # PORT [SECONDS]
  local deadline=$((SECONDS + ${2:-5}))
  while [ "$SECONDS" -lt "$deadline" ]; do
    curl -s -o /dev/null --max-time 2 "http://127.0.0.1:$1/" && return 0
    sleep 0.05
  done
  return 1
}

# Makes a world-traversable scratch folder, SCRATCH, removed when the script
# exits, after the processes stop_at_exit names are stopped, with whatever
# else remove_at_exit names.
make_scratch() {
  SCRATCH=$(mktemp -d)
  chmod 755 "$SCRATCH"
  scratch_processes=() scratch_paths=()
  trap remove_scratch EXIT
}
stop_at_exit() { scratch_processes+=("$@"); }
remove_at_exit() { scratch_paths+=("$@"); }
stop_process() { # PID
  kill "$1" 2>/dev/null
  wait "$1" 2>/dev/null || true
}
remove_scratch() {
  local pid
  for pid in "${scratch_processes[@]}"; do stop_process "$pid"; done
  rm -rf "$SCRATCH" "${scratch_paths[@]}"
}

# Starts lighttpd with mod_cgi serving DOCROOT (programs in its cgi-bin) on a
# free port of 127.0.0.1, its files in WORK; it passes responses on as they
# come, as the package's snippet has it. Sets LIGHTTPD_PID (stopped at exit)
# and LIGHTTPD_PORT.
start_lighttpd() { # DOCROOT WORK
  LIGHTTPD_PORT=$(free_port)
  cat > "$2/lighttpd.conf" <<CONF
server.document-root = "$1"
server.bind = "127.0.0.1"
server.port = $LIGHTTPD_PORT
server.modules = ("mod_cgi")
server.errorlog = "$2/lighttpd.log"
server.max-connections = 1024
\$HTTP["url"] =~ "^/cgi-bin/" { cgi.assign = ("" => "") server.stream-response-body = 2 }
CONF
  lighttpd -D -f "$2/lighttpd.conf" &
  LIGHTTPD_PID=$!
  stop_at_exit "$LIGHTTPD_PID"
  wait_for_server "$LIGHTTPD_PORT"
}

# The command that serves DIR with busybox httpd on ADDRESS:PORT in the
# foreground, as the demo does, in DEMO_SERVER: never as root. Started by
# root it runs as nobody, so that its programs list only what every local
# user may.
demo_server() { # DIR ADDRESS:PORT
  DEMO_SERVER=(busybox httpd -f -p "$2" -h "$1")
  [ "$(id -u)" -ne 0 ] || DEMO_SERVER+=(-u nobody)
}

# Builds both programs (Release, no tests) into BUILD, reading their
# configuration from CONF_PATH, with any further CMake options, from this
# checkout or the one PROGRAMS_SOURCE names.
build_programs() { # BUILD CONF_PATH [OPTION...]
  cmake -S "${PROGRAMS_SOURCE:-$lib_root}" -B "$1" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DCLOUD_CONF_PATH="$2" "${@:3}" >/dev/null
  cmake --build "$1" -j"$(nproc)" >/dev/null
}

# Lays out a web server's document folder DIR: the page and a cgi-bin with
# the two programs. When PROGRAM_LAUNCHER is set (an emulator command, words
# separated by spaces), or HOSTs are named, cgi-bin holds small scripts that
# start the programs (kept in DIR.programs, which no server serves) through
# it. Named HOSTs (host:port) are the only ones the programs answer: a request
# with any other Host header gets 403, as a page on another site that rebinds
# its own name to this machine's address would send.
make_docroot() { # DIR CLOUD_STATUS MOUNT_FOLDERS [HOST...]
  local dir=$1 programs="$1.programs" program
  local hosts=("${@:4}")
  rm -rf "$dir" "$programs"
  mkdir -p "$dir/cgi-bin"
  cp -R "$lib_root"/www/. "$dir/"
  if [ -z "${PROGRAM_LAUNCHER:-}" ] && [ ${#hosts[@]} -eq 0 ]; then
    cp "$2" "$dir/cgi-bin/cloud_status"
    cp "$3" "$dir/cgi-bin/mount_folders"
    return
  fi
  mkdir -p "$programs"
  cp "$2" "$programs/cloud_status"
  cp "$3" "$programs/mount_folders"
  for program in cloud_status mount_folders; do
    {
      echo '#!/bin/sh'
      if [ ${#hosts[@]} -gt 0 ]; then
        echo 'case $HTTP_HOST in'
        echo "  $(printf "'%s'|" "${hosts[@]}" | sed 's/|$//')) ;;"
        echo "  *) printf 'Status: 403 Forbidden\r\nContent-Type: text/plain\r\n\r\nThis demo answers" \
             "only http://${hosts[0]}/\n'; exit 0 ;;"
        echo 'esac'
      fi
      echo "exec ${PROGRAM_LAUNCHER:-} $(printf '%q' "$programs/$program")"
    } > "$dir/cgi-bin/$program"
    chmod 755 "$dir/cgi-bin/$program"
  done
}

# Makes the sample disk in DIR/disk, with the cloud sync logs of sample/, and
# its configuration in DIR/Cloud.conf: ordinary folders, and names a stranger
# could give, which the page must show as text (markup, quotes, a backslash,
# a line end, a JavaScript line separator, non-ASCII, 186 letters without a
# space; in "Odd names" a blank name, a bidi override and a name in Latin-1,
# which is not UTF-8), beside what is left out (hidden and file-system folders, a plain
# file).
make_sample() { # DIR
  local disk="$1/disk"
  rm -rf "$1"
  mkdir -p "$disk/Cloud"
  cp -R "$lib_root/sample/Cloud/.logs" "$disk/Cloud/.logs"
  cp "$lib_root/sample/Cloud.conf" "$1/Cloud.conf"
  mkdir -p "$disk/Music/Albums" "$disk/Music/Podcasts" "$disk/Photos 2026/Summer é" \
           "$disk/Documents" "$disk/Say \"hello\"" "$disk/<b>bold" \
           "$disk/<img src=x onerror=window.pwned=1>" "$disk/back\\slash" \
           "$disk/Café Ünïcødé 日本" "$disk/$(printf 'two\nlines')" "$disk/$(printf 'sep\342\200\250x')" \
           "$disk/Scans_$(printf 'receipt_2026-12-0%d_' 1 2 3 4 5 6 7 8 9)"
  # A camera's folders, which sort by number, letters of either case and
  # accents alike; and names that mislead or are not text.
  mkdir -p "$disk/Camera/IMG_2" "$disk/Camera/IMG_10" "$disk/Camera/img_3" "$disk/Camera/Édition" \
           "$disk/Camera/edits" "$disk/Odd names/  " "$disk/Odd names/$(printf 'invoice\342\200\256fdp.exe')" \
           "$disk/Odd names/$(printf '\351t\351 1999')/inside" "$disk/Odd names/<b>bold"
  mkdir -p "$disk/.hidden" "$disk/System Volume Information" "$disk/RECYCLER" "$disk/lost+found"
  echo "a file is not a folder" > "$disk/readme.txt"
}
