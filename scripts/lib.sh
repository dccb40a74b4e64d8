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

# A port on 127.0.0.1 that nothing listens on.
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
  done
}

# Waits up to five seconds for a server to answer on 127.0.0.1:PORT.
wait_for_server() {
  local _
  for _ in $(seq 100); do
    curl -s -o /dev/null "http://127.0.0.1:$1/" && return 0
    sleep 0.05
  done
  return 1
}

# Starts lighttpd with mod_cgi serving DOCROOT (programs in its cgi-bin) on a
# free port of 127.0.0.1, its files in WORK. Sets LIGHTTPD_PID and
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
\$HTTP["url"] =~ "^/cgi-bin/" { cgi.assign = ("" => "") }
CONF
  lighttpd -D -f "$2/lighttpd.conf" &
  LIGHTTPD_PID=$!
  wait_for_server "$LIGHTTPD_PORT"
}
