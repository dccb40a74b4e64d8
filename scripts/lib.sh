# Shell helpers shared by the run script and the host tests (source it).

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

# Boots the box scripts/make-box.sh made in BOX_DIR (its board, CPU and
# network card are in BOX_DIR/boot.conf), its web server forwarded to
# 127.0.0.1:PORT and, given INSTRUMENT_PORT, its instrument server (port 81)
# to 127.0.0.1:INSTRUMENT_PORT, its console written to BOX_DIR/console.log and
# what qemu itself says to BOX_DIR/qemu.log. Sets BOX_PID; the caller stops
# the box by that process id.
start_box() { # BOX_DIR PORT [INSTRUMENT_PORT]
  local BOX_QEMU BOX_CONSOLE BOX_NIC
  # shellcheck source=/dev/null
  source "$1/boot.conf"
  "${BOX_QEMU[@]}" -display none -monitor none -serial "file:$1/console.log" \
    -kernel "$1/kernel" -initrd "$1/initramfs.cpio.gz" -append "console=$BOX_CONSOLE quiet" \
    -netdev "user,id=net,hostfwd=tcp:127.0.0.1:$2-:80${3:+,hostfwd=tcp:127.0.0.1:$3-:81}" \
    "${BOX_NIC[@]}" 2>"$1/qemu.log" &
  BOX_PID=$!
}

# Starts lighttpd with mod_cgi serving DOCROOT (programs in its cgi-bin) on a
# free port of 127.0.0.1, its files in WORK; it passes responses on as they
# come, as the package's snippet has it. Sets LIGHTTPD_PID and
# LIGHTTPD_PORT; the caller stops it by that process id.
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
  wait_for_server "$LIGHTTPD_PORT"
}

# Makes a world-traversable scratch folder, SCRATCH, removed when the script
# exits, together with any lighttpd that start_lighttpd started.
make_scratch() {
  SCRATCH=$(mktemp -d)
  chmod 755 "$SCRATCH"
  LIGHTTPD_PID=
  trap remove_scratch EXIT
}
remove_scratch() {
  if [ -n "${LIGHTTPD_PID:-}" ]; then
    kill "$LIGHTTPD_PID" 2>/dev/null
    wait "$LIGHTTPD_PID" 2>/dev/null || true
  fi
  rm -rf "$SCRATCH"
}

# Builds both programs (Release, no tests) into BUILD, reading their
# configuration from CONF_PATH, and lays out a document folder DOCROOT for them.
build_programs() { # BUILD CONF_PATH DOCROOT
  local source_dir
  source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  cmake -S "$source_dir" -B "$1" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DCLOUD_CONF_PATH="$2" >/dev/null
  cmake --build "$1" -j"$(nproc)" >/dev/null
  "$source_dir/scripts/make-docroot.sh" "$3" "$1/cloud_status/cloud_status" \
                                        "$1/mount_folders/mount_folders"
}
