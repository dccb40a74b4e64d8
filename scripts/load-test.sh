#!/usr/bin/env bash
# A bounded load test through lighttpd with mod_cgi on 127.0.0.1: REQUESTS
# requests (default 20000) at CONCURRENCY (default 16), mixing both programs
# and all actions. Every response must be HTTP 200 with exactly the body a
# single quiet request of the same kind gave. Prints the figures.
set -euo pipefail
requests=${REQUESTS:-20000} concurrency=${CONCURRENCY:-16}
# shellcheck source=../tests/support/fixtures.sh
source "$(dirname "$0")/../tests/support/fixtures.sh"
root=$lib_root
cd "$root"

scripts/install-deps.sh lighttpd curl
build="$root/build/load"
make_scratch
work=$SCRATCH
build_programs "$build" "$work/sample/Cloud.conf"
make_docroot "$work/www" "$build/cloud_status/cloud_status" "$build/mount_folders/mount_folders"
make_sample "$work/sample"

start_lighttpd "$work/www" "$work" || { echo "lighttpd did not start" >&2; exit 1; }
port=$LIGHTTPD_PORT

disk=$(urlencode "$work/sample/disk")
kinds=(
  "cloud_status?action_mode=CLOUD_GETSTATUS&BaseDir=$disk"
  "cloud_status?action_mode=CLOUD_GETCONFIG"
  "cloud_status?action_mode=NOSUCH"
  "cloud_status"
  "mount_folders?action_mode=$disk"
  "mount_folders?action_mode=$disk%2FMusic"
  "mount_folders?action_mode=$work/missing"
)
base="http://127.0.0.1:$port/cgi-bin"

# One quiet request of each kind gives the expected body.
mkdir "$work/expected" "$work/out"
for i in "${!kinds[@]}"; do
  curl -s -f -o "$work/expected/$i" "$base/${kinds[$i]}"
done

for ((n = 0; n < requests; n++)); do
  kind=$((n % ${#kinds[@]}))
  printf 'url = "%s"\noutput = "%s"\n' "$base/${kinds[$kind]}" "$work/out/$n.$kind"
done > "$work/urls"

start=$(date +%s.%N)
curl -s --no-progress-meter --parallel --parallel-immediate --parallel-max "$concurrency" --config "$work/urls" \
     -w '%{http_code} %{filename_effective}\n' > "$work/codes" || true
end=$(date +%s.%N)

not_ok=$(grep -vc '^200 ' "$work/codes" || true)
answered=$(grep -c '^200 ' "$work/codes" || true)
different=0
for i in "${!kinds[@]}"; do
  expected=$(md5sum < "$work/expected/$i" | cut -d' ' -f1)
  different=$((different + $(find "$work/out" -name "*.$i" -exec md5sum {} + |
                              awk -v e="$expected" '$1 != e' | wc -l)))
done
missing=$((requests - $(find "$work/out" -type f | wc -l)))
seconds=$(echo "$end - $start" | bc -l)

printf 'requests:        %d (%d kinds, both programs, all actions)\n' "$requests" "${#kinds[@]}"
printf 'concurrency:     %d\n' "$concurrency"
printf 'time:            %.2f s\n' "$seconds"
printf 'throughput:      %.0f requests/s\n' "$(echo "$requests / $seconds" | bc -l)"
printf 'HTTP 200:        %d\n' "$answered"
printf 'failed:          %d\n' "$((not_ok + missing))"
printf 'malformed:       %d (body differs from a single quiet request)\n' "$different"
[ "$not_ok" -eq 0 ] && [ "$missing" -eq 0 ] && [ "$different" -eq 0 ]
