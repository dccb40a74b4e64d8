# shellcheck shell=bash disable=SC2034 # the facts are for the scripts that source this
# Reads device/targets for the shell scripts (source it).
targets_file="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/targets"

# The targets' names, one a line, in the table's order; with ci, those CI runs.
target_names() { # [ci]
  awk -v ci="${1:-}" '!/^#/ && NF && (ci == "" || $10 == "yes") { print $1 }' "$targets_file"
}

# Sets target_libc, target_cross, target_qemu, target_cpu, target_tests_cpu,
# target_feed, target_elf, target_float, target_ci and target_flags for TARGET
# (a - in the table becomes empty); fails for a target the table lacks.
target_facts() { # TARGET
  local row
  row=$(awk -v target="$1" '!/^#/ && $1 == target' "$targets_file")
  if [ -z "$row" ]; then
    echo "no target $1 in device/targets" >&2
    return 1
  fi
  read -r _ target_libc target_cross target_qemu target_cpu target_tests_cpu target_feed \
    target_elf target_float target_ci target_flags <<<"$row"
  local fact
  for fact in target_libc target_cross target_qemu target_cpu target_tests_cpu target_feed \
              target_elf target_float target_ci target_flags; do
    [ "${!fact}" != - ] || printf -v "$fact" ''
  done
}
