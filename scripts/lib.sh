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
