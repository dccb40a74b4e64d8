#!/usr/bin/env bash
# Builds the .ipk of a build twice, checks that the bytes are the same, and
# unpacks it with tar to check its layout, control fields and programs.
# Usage: ipk_test.sh BUILD_DIR
set -uo pipefail
build=${1:?}
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=/dev/null
source "$build/package.conf"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=../support/checks.sh
source "$root/tests/support/checks.sh"

first=$("$root/scripts/make-ipk.sh" "$build" "$work/first") || exit 1
second=$("$root/scripts/make-ipk.sh" "$build" "$work/second") || exit 1
check "same bytes from the same tree" cmp -s "$first" "$second"
check "file name" [ "$(basename "$first")" = "cloud-folder-cgi_${PACKAGE_VERSION}-1_${IPK_ARCH}.ipk" ]

mkdir "$work/outer" "$work/control" "$work/data"
tar -xzf "$first" -C "$work/outer"
check "outer members in order" [ "$(tar -tzf "$first" | tr '\n' ' ')" = \
  "./debian-binary ./control.tar.gz ./data.tar.gz " ]
check "debian-binary" [ "$(cat "$work/outer/debian-binary")" = "2.0" ]
tar -xzf "$work/outer/control.tar.gz" -C "$work/control"
tar -xzf "$work/outer/data.tar.gz" -C "$work/data"
check "owners are numeric root" [ -z "$(tar -tvzf "$work/outer/data.tar.gz" | grep -v ' 0/0 ')" ]

control="$work/control/control"
field() { sed -n "s/^$1: //p" "$control"; }
for name in Package Version Architecture Maintainer Description Installed-Size Section; do
  check "control field $name" [ -n "$(field "$name")" ]
done
check "Architecture" [ "$(field Architecture)" = "$IPK_ARCH" ]
check "Installed-Size is KiB of the data" \
  [ "$(field Installed-Size)" = "$(du -sk --apparent-size "$work/data/opt" | cut -f1)" ]

cgi="$work/data/opt/$CGI_INSTALL_DIR"
check "only the two programs" [ "$(cd "$work/data" && find . -type f | sort | tr '\n' ' ')" = \
  "./opt/$CGI_INSTALL_DIR/cloud_status ./opt/$CGI_INSTALL_DIR/mount_folders " ]
# The ELF header: class/data at byte 5, e_machine at 18 in the file's byte order.
elf_machine() {
  local bytes
  bytes=($(od -An -tu1 -j18 -N2 "$1"))
  if [ "$ELF_DATA" = 2 ]; then echo $((bytes[0] * 256 + bytes[1])); else echo $((bytes[1] * 256 + bytes[0])); fi
}
for program in cloud_status mount_folders; do
  check "$program is executable" [ -x "$cgi/$program" ]
  check "$program is ELF" [ "$(head -c4 "$cgi/$program" | od -An -c | tr -d ' ')" = "177ELF" ]
  check "$program byte order" [ "$(od -An -tu1 -j5 -N1 "$cgi/$program" | tr -d ' ')" = "$ELF_DATA" ]
  check "$program machine" [ "$(elf_machine "$cgi/$program")" = "$ELF_MACHINE" ]
  check "$program is stripped" [ -z "$(readelf -S "$cgi/$program" | grep -E '\.symtab|\.debug')" ]
done
check "the configuration path" grep -q -a '/opt/etc/Cloud.conf' "$cgi/cloud_status"

# A device program must start on a CPU without FPU, from nothing but itself.
static_elf() { ! readelf -lW "$1" | grep -qE '^ +(INTERP|DYNAMIC) '; }
# Symbols only the C++ runtime library defines (the program is linked as C,
# so none can be there; this says so if the build ever changes).
no_cxx_runtime() {
  ! nm "$1" | grep -qE ' (__cxa_(throw|begin_catch|allocate_exception|guard_acquire|pure_virtual)|__gxx_personality|_Unwind_|_ZTI|_ZTV|_ZSt9terminate|_ZSt[0-9]+__throw|_Znw|_Zdl)'
}
# Instructions that need an FPU (MIPS coprocessor 1; ARM VFP, NEON and FPA).
fp_instructions() {
  "$OBJDUMP" -d "$1" | awk -F'\t' -v arch="$FLOAT_ABI_CHECK" 'NF >= 3 {
    op = $3; args = $4
    if (arch == "mips" && (op ~ /\.(s|d|ps)(\.|$)/ || op ~ /^[ls][wdu]x?c1$/ ||
        op ~ /^(d?m[ft]h?c1|[cm][ft]c1|bc1[a-z0-9]*|mov[ft])$/)) print
    if (arch == "arm" && (op ~ /^v[a-z]/ || op ~ /^(ldf|stf|lfm|sfm|wfs|rfs|fld|fst|fm[rx]|fcpy)/ ||
        (op ~ /^(ldc|stc|mcr|mrc|mcrr|mrrc|cdp)2?l?/ && args ~ /^(10|11),/))) print
  }'
}
no_fp_instructions() { [ -z "$(fp_instructions "$1")" ]; }
if [ -n "$DEVICE_LIBC" ]; then
  for program in cloud_status mount_folders; do
    check "$program is statically linked" static_elf "$cgi/$program"
    check "$program needs no C++ runtime" no_cxx_runtime "$build/$program/$program"
    case $FLOAT_ABI_CHECK in
      mips) check "$program is soft-float" grep -q 'Tag_GNU_MIPS_ABI_FP: Soft float' \
              <(readelf -A "$cgi/$program") ;;
      arm) check "$program has no VFP attributes" \
             bash -c "! readelf -A '$cgi/$program' | grep -qE 'Tag_(FP_arch|Advanced_SIMD_arch|ABI_VFP_args|ABI_HardFP_use)'" ;;
    esac
    if [ -n "$FLOAT_ABI_CHECK" ]; then
      check "$program has no floating-point instruction" no_fp_instructions "$cgi/$program"
      fp_instructions "$cgi/$program" | head -n 5
    fi
  done
fi

check_summary
