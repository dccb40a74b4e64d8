#!/usr/bin/env bash
# Checks that device programs start on a CPU without FPU from nothing but
# themselves: statically linked, no symbol of the C++ runtime library, on
# MIPS the ABI tag "Soft float", on ARM no VFP or NEON attribute, and on both
# not one floating-point instruction. Prints one line per check; fails if any
# check does. package/make-ipk.sh refuses to package a device build that fails.
# Usage: package/check-device-programs.sh BUILD_DIR [PROGRAM...]
#   (the build's two programs, unstripped, when no PROGRAM is named)
set -uo pipefail
build=${1:?usage: check-device-programs.sh BUILD_DIR [PROGRAM...]}
shift
# shellcheck source=/dev/null
source "$build/package.conf"
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=("$build/cloud_status/cloud_status" "$build/mount_folders/mount_folders")

# Whether what a command writes matches PATTERN: 0 yes, 1 no, 2 the command
# failed. The output is captured first: a pipeline into grep -q would let the
# command die of SIGPIPE when grep stops early, and a check could flip.
writes() { # PATTERN COMMAND...
  local pattern=$1 output
  shift
  output=$("$@") || return 2
  grep -qE "$pattern" <<<"$output"
}
lacks() { # PATTERN COMMAND...
  writes "$@"
  [ $? -eq 1 ]
}

static_elf() { lacks '^ +(INTERP|DYNAMIC) ' readelf -lW "$1"; }
# Symbols only the C++ runtime library defines or needs (the programs are
# linked as C, so none can be there; this says so if the build ever changes).
# A stripped program cannot show them: it fails too.
no_cxx_runtime() {
  writes . nm "$1" && lacks ' (__cxa_(throw|begin_catch|allocate_exception|guard_acquire|pure_virtual)|__gxx_personality|_Unwind_|_ZTI|_ZTV|_ZSt9terminate|_ZSt[0-9]+__throw|_Znw|_Zdl)' \
    nm "$1"
}
mips_soft_float() { writes 'Tag_GNU_MIPS_ABI_FP: Soft float' readelf -A "$1"; }
arm_no_vfp_attributes() {
  lacks 'Tag_(FP_arch|Advanced_SIMD_arch|ABI_VFP_args|ABI_HardFP_use)' readelf -A "$1"
}
# Instructions that need an FPU (MIPS coprocessor 1; ARM VFP, NEON and FPA).
fp_instructions() {
  local code
  code=$("$OBJDUMP" -d "$1") || { echo "cannot disassemble $1"; return; }
  awk -F'\t' -v arch="$FLOAT_ABI_CHECK" 'NF >= 3 {
    op = $3; args = $4
    if (arch == "mips" && (op ~ /\.(s|d|ps)(\.|$)/ || op ~ /^[ls][wdu]x?c1$/ ||
        op ~ /^(d?m[ft]h?c1|[cm][ft]c1|bc1[a-z0-9]*|mov[ft])$/)) print
    if (arch == "arm" && (op ~ /^v[a-z]/ || op ~ /^(ldf|stf|lfm|sfm|wfs|rfs|fld|fst|fm[rx]|fcpy)/ ||
        (op ~ /^(ldc|stc|mcr|mrc|mcrr|mrrc|cdp)2?l?/ && args ~ /^(10|11),/))) print
  }' <<<"$code"
}
no_fp_instructions() {
  local found
  found=$(fp_instructions "$1")
  [ -z "$found" ] && return 0
  head -n 5 <<<"$found" | sed 's/^/    /'
  return 1
}

failures=0
report() { # PROGRAM CHECK FUNCTION
  if "$3" "$1"; then
    echo "ok: $(basename "$1"): $2"
  else
    echo "FAIL: $(basename "$1"): $2"
    failures=$((failures + 1))
  fi
}
for program in "${programs[@]}"; do
  report "$program" "statically linked" static_elf
  report "$program" "no C++ runtime" no_cxx_runtime
  case $FLOAT_ABI_CHECK in
    mips) report "$program" "soft-float ABI tag" mips_soft_float ;;
    arm) report "$program" "no VFP or NEON attributes" arm_no_vfp_attributes ;;
  esac
  # On x86-64 and AArch64 floating point belongs to the base architecture.
  [ -n "$FLOAT_ABI_CHECK" ] && report "$program" "no floating-point instruction" no_fp_instructions
done
[ "$failures" -eq 0 ]
