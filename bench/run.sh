#!/usr/bin/env bash
# Measures what a request costs and how the folder list scales, against the
# floors, and writes the table to docs/benchmarks.md. Takes a few minutes (the
# first run also makes 311,000 folders with 200-byte names, about 1.3 GB).
# The x86_64 device build (static, musl: the one that ships) is measured
# beside the static glibc build of the same code, and beside the device build
# of an earlier commit when BASELINE names one.
# Usage: [BASELINE=commit] bench/run.sh   (ROUNDS, RUNS, REQUESTS tune the wall-time parts)
set -euo pipefail
rounds=${ROUNDS:-3} runs=${RUNS:-300} requests=${REQUESTS:-4000}
# shellcheck source=../tests/support/fixtures.sh
source "$(dirname "$0")/../tests/support/fixtures.sh"
# shellcheck source=../device/targets.sh
source "$(dirname "$0")/../device/targets.sh"
root=$lib_root
cd "$root"

scripts/install-deps.sh valgrind hyperfine time jq lighttpd curl bc dpkg-dev
fixture="$root/build/bench-fixture"
musl_build="$root/build/bench-musl"
glibc_build="$root/build/bench-glibc"
sysroot=$(device/sysroot.sh x86_64)
build_programs "$musl_build" "$fixture/Cloud.conf" -DCGI_BENCH=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/device/toolchain.cmake" -DCGI_DEVICE_TARGET=x86_64 \
  -DCGI_DEVICE_SYSROOT="$sysroot"
build_programs "$glibc_build" "$fixture/Cloud.conf" -DCGI_BENCH=ON
# The baseline's programs lie at paths as long as the current ones: where a
# program's path lies on its stack moves its environment, and string functions
# count instructions by alignment.
base_build="$root/build/bench-base"
if [ -n "${BASELINE:-}" ]; then
  rm -rf "$root/build/bench-base-source"
  git -C "$root" worktree add -f --detach "$root/build/bench-base-source" "$BASELINE" >/dev/null 2>&1
  # The toolchain files moved: cmake/toolchains/, device/toolchains/, then
  # one device/toolchain.cmake. Each takes the sysroot as CGI_DEVICE_SYSROOT.
  base_toolchain="$root/build/bench-base-source/device/toolchain.cmake"
  for old in device/toolchains cmake/toolchains; do
    if [ -f "$root/build/bench-base-source/$old/x86_64.cmake" ]; then
      base_toolchain="$root/build/bench-base-source/$old/x86_64.cmake"
    fi
  done
  PROGRAMS_SOURCE="$root/build/bench-base-source" build_programs "$base_build" "$fixture/Cloud.conf" \
    -DCGI_BENCH=ON -DCMAKE_TOOLCHAIN_FILE="$base_toolchain" -DCGI_DEVICE_TARGET=x86_64 \
    -DCGI_DEVICE_SYSROOT="$sysroot"
  git -C "$root" worktree remove --force "$root/build/bench-base-source"
fi
base_mount_folders="$base_build/mount_folders/mount_folders"
base_programs=("$base_mount_folders" "$base_build/cloud_status/cloud_status" "$base_build/cloud_status/cloud_status")
cloud_status="$musl_build/cloud_status/cloud_status"
mount_folders="$musl_build/mount_folders/mount_folders"
do_nothing="$musl_build/bench/bench_do_nothing"
header_only="$musl_build/bench/bench_header_only"
glibc_cloud_status="$glibc_build/cloud_status/cloud_status"
glibc_mount_folders="$glibc_build/mount_folders/mount_folders"
glibc_do_nothing="$glibc_build/bench/bench_do_nothing"
flags=$(sed -n 's/^CMAKE_CXX_FLAGS_RELEASE:STRING=//p' "$musl_build/CMakeCache.txt")

# Typical data: a disk with 20 folders, 4 provider logs, 4 configuration lines.
rm -rf "$fixture"
mkdir -p "$fixture/disk/Cloud/.logs"
for i in $(seq -w 1 19); do mkdir "$fixture/disk/Folder $i"; done
printf 'qLast sync 2026-12-08 01:40' > "$fixture/disk/Cloud/.logs/webdav"
printf 'tDownloading 3 of 12 files' > "$fixture/disk/Cloud/.logs/box"
printf 'vLogin failed' > "$fixture/disk/Cloud/.logs/skydrive"
printf 'uStopped by the user' > "$fixture/disk/Cloud/.logs/plovenquartzel"
for i in 1 2 3 4; do
  echo "$i,user$i,https://dav$i.example.net/backup,secret$i,/tmp/mnt/sda1/Sync$i,0,1"
done > "$fixture/Cloud.conf"
disk=$(urlencode "$fixture/disk")

# Each request runs in the environment a CGI host gives it: the variables
# lighttpd passes (captured from a real request), with this request's query.
# Candidate and floor always get the same environment: the C library's
# start-up work grows with its size.
cgi_env() { # program query -> env assignments, one per line
  local script="/cgi-bin/$(basename "$1")"
  printf '%s\n' CONTENT_LENGTH=0 DOCUMENT_ROOT=/opt/share/www GATEWAY_INTERFACE=CGI/1.1 \
    'HTTP_ACCEPT=*/*' 'HTTP_ACCEPT_LANGUAGE=en-US,en;q=0.9' HTTP_HOST=192.168.1.1 \
    HTTP_REFERER=http://192.168.1.1/index.html \
    'HTTP_USER_AGENT=Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36' \
    PWD=/opt/share/www/cgi-bin "QUERY_STRING=$2" REDIRECT_STATUS=200 REMOTE_ADDR=192.168.1.20 \
    REMOTE_PORT=42436 REQUEST_METHOD=GET REQUEST_SCHEME=http "REQUEST_URI=$script?$2" \
    "SCRIPT_FILENAME=/opt/share/www$script" "SCRIPT_NAME=$script" SERVER_ADDR=192.168.1.1 \
    SERVER_NAME=192.168.1.1 SERVER_PORT=80 SERVER_PROTOCOL=HTTP/1.1 SERVER_SOFTWARE=lighttpd/1.4.69
}
in_cgi_env() { # program query command... : runs command in the program's CGI environment
  local program=$1 query=$2
  shift 2
  local assignments
  mapfile -t assignments < <(cgi_env "$program" "$query")
  env -i "${assignments[@]}" "$@"
}

names=("listing of 20 folders" "status of 4 logs" "configuration of 4 lines")
programs=("$mount_folders" "$cloud_status" "$cloud_status")
glibc_programs=("$glibc_mount_folders" "$glibc_cloud_status" "$glibc_cloud_status")
queries=("action_mode=$disk" "action_mode=CLOUD_GETSTATUS&BaseDir=$disk" "action_mode=CLOUD_GETCONFIG")

out="$root/build/benchmarks.md"
{
  echo "# Benchmarks"
  echo
  echo "Made by \`bench/run.sh\` on $(date -u +%Y-%m-%d): $(uname -sm), $(nproc) cores,"
  echo "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)."
  echo "The device build: $(gcc --version | head -n1), static musl $(sed -n 's|^musl .*/musl_\(.*\)\.dsc$|\1|p' device/sources.lock),"
  echo "\`$flags\` with the product compiled \`-Os\`. The glibc build: the same compiler, static"
  echo "glibc $(ldd --version | head -n1 | awk '{print $NF}'), \`$flags\`."
  echo
} > "$out"

# 1. Instructions (callgrind counts every user-space instruction, repeatably).
instructions() { # program query_for_the_environment
  in_cgi_env "$1" "$2" "$(command -v valgrind)" --tool=callgrind --callgrind-out-file=/dev/null \
    "$1" 2>&1 >/dev/null | sed -n 's/.*Collected : //p'
}
{
  echo "## Instructions per request"
  echo
  echo "callgrind, the whole process (start-up included), in the environment lighttpd gives a CGI"
  echo "(23 variables)."
  echo
  before_column= before_rule=
  if [ -n "${BASELINE:-}" ]; then
    before_column=" device build of $BASELINE |" before_rule="---:|"
  fi
  echo "| request | device build (musl) |$before_column glibc build | do-nothing, musl | do-nothing, glibc |"
  echo "|---|---:|$before_rule---:|---:|---:|"
  echo "| header block only (no query) | $(instructions "$header_only" "") |${BASELINE:+ - |} - |" \
       "$(instructions "$do_nothing" "") | $(instructions "$glibc_do_nothing" "") |"
  for i in "${!names[@]}"; do
    before=
    [ -n "${BASELINE:-}" ] && before=" $(instructions "${base_programs[$i]}" "${queries[$i]}") |"
    echo "| ${names[$i]} | $(instructions "${programs[$i]}" "${queries[$i]}") |$before" \
         "$(instructions "${glibc_programs[$i]}" "${queries[$i]}") |" \
         "$(instructions "$do_nothing" "${queries[$i]}") |" \
         "$(instructions "$glibc_do_nothing" "${queries[$i]}") |"
  done
  echo
} >> "$out"

# 2. Wall time: the device build's request and both floors in one hyperfine
# run, in several rounds one after another; ratios are medians of the rounds'.
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
{
  echo "## Wall time per request"
  echo
  echo "hyperfine -N in the same environment, $rounds rounds of $runs runs of the request beside static"
  echo "programs that do nothing; medians, and the median over the rounds of the ratios."
  echo
  echo "| request | device build µs | do-nothing musl µs | do-nothing glibc µs | ratio to glibc do-nothing | ratio to musl do-nothing |"
  echo "|---|---:|---:|---:|---:|---:|"
  for i in "${!names[@]}"; do
    ratios=() musl_ratios=() times=() musl_times=() glibc_times=()
    for ((r = 0; r < rounds; r++)); do
      in_cgi_env "${programs[$i]}" "${queries[$i]}" "$(command -v hyperfine)" -N --style none \
        --warmup 20 --runs "$runs" --export-json "$musl_build/wall.json" "${programs[$i]}" \
        "$do_nothing" "$glibc_do_nothing" >/dev/null 2>&1
      read -r ours musl glibc < <(jq -r '[.results[].median] | @tsv' "$musl_build/wall.json")
      times+=("$ours") musl_times+=("$musl") glibc_times+=("$glibc")
      # awk, not bc: jq writes times under 0.0001 s as 8.9e-05.
      ratios+=("$(awk -v a="$ours" -v b="$glibc" 'BEGIN { print a / b }')")
      musl_ratios+=("$(awk -v a="$ours" -v b="$musl" 'BEGIN { print a / b }')")
    done
    printf '| %s | %.0f | %.0f | %.0f | %.2f | %.2f |\n' "${names[$i]}" \
      "$(printf '%s\n' "${times[@]}" | median | awk '{print $1 * 1e6}')" \
      "$(printf '%s\n' "${musl_times[@]}" | median | awk '{print $1 * 1e6}')" \
      "$(printf '%s\n' "${glibc_times[@]}" | median | awk '{print $1 * 1e6}')" \
      "$(printf '%s\n' "${ratios[@]}" | median)" "$(printf '%s\n' "${musl_ratios[@]}" | median)"
  done
  echo
} >> "$out"

# 3. Scaling: mount_folders against GNU find listing the same folders, names
# of 200 bytes.
scale_dir() { # COUNT -> a folder of COUNT sub-folders, made once
  local dir="$root/build/bench-scale-$1"
  if [ ! -d "$dir" ] || [ "$(find "$dir" -mindepth 1 -maxdepth 1 | wc -l)" -ne "$1" ]; then
    rm -rf "$dir"
    mkdir -p "$dir"
    (cd "$dir" && seq -f "%06g$(printf 'x%.0s' {1..194})" 1 "$1" | xargs -d '\n' mkdir)
  fi
  echo "$dir"
}
peak_kib() { # QUERY PROGRAM... -> max RSS in KiB
  QUERY_STRING=$1 /usr/bin/time -f %M "${@:2}" 2>&1 >/dev/null
}
{
  echo "## Folder list scaling"
  echo
  echo "Against \`find DIR -mindepth 1 -maxdepth 1 -type d\` on the same sub-folders with 200-byte"
  echo "names: median wall time (hyperfine) and peak memory (GNU time's max RSS)."
  echo
  echo "| sub-folders | response MB | mount_folders ms | find ms | time ratio | mount_folders KiB |${BASELINE:+ KiB at $BASELINE |} find KiB |"
  echo "|---:|---:|---:|---:|---:|---:|${BASELINE:+---:|}---:|"
  for n in 1000 10000 100000 200000; do
    dir=$(scale_dir "$n")
    query="action_mode=$(urlencode "$dir")"
    QUERY_STRING=$query hyperfine -N --style none --warmup 2 \
      --runs $((n >= 100000 ? 5 : 20)) --export-json "$musl_build/scale.json" \
      "$mount_folders" "find $dir -mindepth 1 -maxdepth 1 -type d" >/dev/null 2>&1
    read -r ours theirs < <(jq -r '[.results[].median] | @tsv' "$musl_build/scale.json")
    bytes=$(QUERY_STRING=$query "$mount_folders" | wc -c)
    before=
    [ -n "${BASELINE:-}" ] && before=" $(peak_kib "$query" "$base_mount_folders") |"
    printf '| %d | %.1f | %.1f | %.1f | %.2f | %d |%s %d |\n' "$n" "$(echo "$bytes / 1000000" | bc -l)" \
      "$(echo "$ours * 1000" | bc -l)" "$(echo "$theirs * 1000" | bc -l)" \
      "$(echo "$ours / $theirs" | bc -l)" "$(peak_kib "$query" "$mount_folders")" "$before" \
      "$(peak_kib "" find "$dir" -mindepth 1 -maxdepth 1 -type d)"
  done
  echo
} >> "$out"

# lighttpd with mod_cgi serves the programs for parts 4 and 5.
make_scratch
work=$SCRATCH
make_docroot "$work/www" "$cloud_status" "$mount_folders"
cp "$header_only" "$work/www/cgi-bin/header_only"
start_lighttpd "$work/www" "$work" || { echo "lighttpd did not start" >&2; exit 1; }
port=$LIGHTTPD_PORT

# 4. When the first byte and the last of a large listing arrive: directly
# from the program, and through lighttpd, which passes it on as it comes.
first_and_last() { # PROGRAM QUERY -> "first last" in ms
  local start first last
  start=$EPOCHREALTIME
  QUERY_STRING=$2 "$1" | {
    head -c1 >/dev/null
    first=$EPOCHREALTIME
    cat >/dev/null
    last=$EPOCHREALTIME
    awk -v s="$start" -v f="$first" -v l="$last" 'BEGIN { printf "%.1f %.1f\n", (f - s) * 1000, (l - s) * 1000 }'
  }
}
large=$(scale_dir 100000)
large_query="action_mode=$(urlencode "$large")"
{
  echo "## First and last byte of a large listing"
  echo
  echo "100,000 sub-folders with 200-byte names (a 20.5 MB response), the median of 5 requests"
  echo "each: read straight from the program, and through lighttpd with mod_cgi as the package"
  echo "wires it (\`server.stream-response-body = 2\`), with curl."
  echo
  echo "| how | first byte ms | last byte ms |"
  echo "|---|---:|---:|"
  ways=("mount_folders itself")
  [ -n "${BASELINE:-}" ] && ways+=("mount_folders of $BASELINE")
  for way in "${ways[@]}"; do
    program=$mount_folders
    [ "$way" = "mount_folders itself" ] || program=$base_mount_folders
    firsts=() lasts=()
    for ((r = 0; r < 5; r++)); do
      read -r first last < <(first_and_last "$program" "$large_query")
      firsts+=("$first") lasts+=("$last")
    done
    echo "| $way | $(printf '%s\n' "${firsts[@]}" | median) | $(printf '%s\n' "${lasts[@]}" | median) |"
  done
  firsts=() lasts=()
  for ((r = 0; r < 5; r++)); do
    read -r first last < <(curl -s -o /dev/null -w '%{time_starttransfer} %{time_total}\n' \
      "http://127.0.0.1:$port/cgi-bin/mount_folders?$large_query")
    firsts+=("$(awk -v t="$first" 'BEGIN { printf "%.1f", t * 1000 }')")
    lasts+=("$(awk -v t="$last" 'BEGIN { printf "%.1f", t * 1000 }')")
  done
  echo "| through lighttpd | $(printf '%s\n' "${firsts[@]}" | median) | $(printf '%s\n' "${lasts[@]}" | median) |"
  echo
} >> "$out"
# 5. Throughput through lighttpd with mod_cgi, against the header-only CGI.
throughput() { # path -> requests per second at concurrency 16
  local url="http://127.0.0.1:$port/cgi-bin/$1" start end
  for ((n = 0; n < requests; n++)); do printf 'url = "%s"\noutput = "/dev/null"\n' "$url"; done \
    > "$work/urls"
  start=$(date +%s.%N)
  curl -s --no-progress-meter --parallel --parallel-max 16 --config "$work/urls"
  end=$(date +%s.%N)
  echo "$requests / ($end - $start)" | bc -l
}
{
  echo "## Throughput through a CGI host"
  echo
  echo "lighttpd with mod_cgi on 127.0.0.1, $requests requests at concurrency 16 (curl --parallel),"
  echo "each candidate alternated with the header-only CGI over $rounds rounds; medians."
  echo
  echo "| request | candidate requests/s | header-only CGI requests/s | ratio |"
  echo "|---|---:|---:|---:|"
  paths=("mount_folders?action_mode=$disk" "cloud_status?action_mode=CLOUD_GETSTATUS&BaseDir=$disk"
         "cloud_status?action_mode=CLOUD_GETCONFIG")
  for i in "${!names[@]}"; do
    ours=() base=() ratios=()
    for ((r = 0; r < rounds; r++)); do
      a=$(throughput "${paths[$i]}")
      b=$(throughput header_only)
      ours+=("$a") base+=("$b") ratios+=("$(echo "$a / $b" | bc -l)")
    done
    printf '| %s | %.0f | %.0f | %.2f |\n' "${names[$i]}" \
      "$(printf '%s\n' "${ours[@]}" | median)" "$(printf '%s\n' "${base[@]}" | median)" \
      "$(printf '%s\n' "${ratios[@]}" | median)"
  done
  echo
} >> "$out"

# 6. Stripped sizes of every build present.
{
  echo "## Stripped program sizes"
  echo
  echo "Every build found under build/."
  echo
  echo "| build | C library | cloud_status bytes | mount_folders bytes |"
  echo "|---|---|---:|---:|"
  for name in $(target_names) default armhf; do
    dir="$root/build/$name"
    [ -x "$dir/cloud_status/cloud_status" ] && [ -x "$dir/mount_folders/mount_folders" ] || continue
    strip_tool=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$dir/CMakeCache.txt")
    libc=$(sed -n "s/^DEVICE_LIBC='\(.*\)'/\1/p" "$dir/package.conf")
    sizes=()
    for program in cloud_status/cloud_status mount_folders/mount_folders; do
      "${strip_tool:-strip}" -o "$work/stripped" "$dir/$program"
      sizes+=("$(stat -c %s "$work/stripped")")
    done
    echo "| $name | ${libc:-glibc} | ${sizes[0]} | ${sizes[1]} |"
  done
  echo
} >> "$out"

mkdir -p docs
cp "$out" docs/benchmarks.md
cat "$out"
