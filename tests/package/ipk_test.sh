#!/usr/bin/env bash
# Builds the .ipk of a build twice, checks that the bytes are the same, and
# unpacks it with tar to check its layout, control fields, maintainer scripts
# and programs.
# Usage: ipk_test.sh BUILD_DIR
set -uo pipefail
build=${1:?}
# shellcheck source=../support/harness.sh
source "$(dirname "$0")/../support/harness.sh"
use_build "$build"

# check_lines DESCRIPTION every|no PATTERN COMMAND...: COMMAND succeeds and
# writes lines, and every one of them, or none, matches PATTERN (extended).
# A command that cannot read its file fails the check instead of passing it.
check_lines() {
  local what=$1 select=$2 pattern=$3 output status matches
  shift 3
  output=$("$@")
  status=$?
  checks=$((checks + 1))
  if [ "$status" -ne 0 ] || [ -z "$output" ]; then
    fail "$what: $1 failed (status $status) or wrote nothing"
    return
  fi
  if [ "$select" = every ]; then matches=$(grep -vE -- "$pattern" <<<"$output")
  else matches=$(grep -E -- "$pattern" <<<"$output"); fi
  [ -z "$matches" ] || { fail "$what"; head -n 5 <<<"$matches"; }
}

first=$("$harness_root/package/make-ipk.sh" "$build" "$work/first") || exit 1
second=$("$harness_root/package/make-ipk.sh" "$build" "$work/second") || exit 1
check "same bytes from the same tree" cmp -s "$first" "$second"
check "file name" [ "$(basename "$first")" = "${PACKAGE}_${PACKAGE_VERSION}_${IPK_ARCH}.ipk" ]

mkdir "$work/outer" "$work/control" "$work/data"
tar -xzf "$first" -C "$work/outer"
check "outer members in order" [ "$(tar -tzf "$first" | tr '\n' ' ')" = \
  "./debian-binary ./control.tar.gz ./data.tar.gz " ]
check "debian-binary" [ "$(cat "$work/outer/debian-binary")" = "2.0" ]
tar -xzf "$work/outer/control.tar.gz" -C "$work/control"
tar -xzf "$work/outer/data.tar.gz" -C "$work/data"
check_lines "owners are numeric root" every ' 0/0 ' tar -tvzf "$work/outer/data.tar.gz"

control="$work/control/control"
field() { sed -n "s/^$1: //p" "$control"; }
for name in Package Version Depends Source Section Architecture Maintainer Description \
            Installed-Size; do
  check "control field $name" [ -n "$(field "$name")" ]
done
check_equal "Package" "$PACKAGE" "$(field Package)"
check_equal "Version" "$PACKAGE_VERSION" "$(field Version)"
check_equal "Architecture" "$IPK_ARCH" "$(field Architecture)"
# The package manager reads it as bytes; counted here from the archive's listing.
listed_size=$(tar -tvzf "$work/outer/data.tar.gz" | awk '/^-/ { sum += $3 } END { print sum + 0 }')
check_equal "Installed-Size is the bytes of the unpacked files" "$listed_size" "$(field Installed-Size)"

# The page is the www/ folder, less any tests in it.
mapfile -t page_files < <(cd "$harness_root/www" && find . -type f ! -name '*_test.*' \
  ! -path '*/tests/*' | sed 's|^\./||' | sort)
check "the page has files" [ ${#page_files[@]} -gt 0 ]
check_equal "the files" "$(printf '%s\n' "./opt/$CGI_INSTALL_DIR/cloud_status" \
  "./opt/$CGI_INSTALL_DIR/mount_folders" "${page_files[@]/#/./opt/$PAGE_DIR/}" ".$SNIPPET" \
  ".$PASSWORD_COMMAND" | sort)" "$(cd "$work/data" && find . -type f | sort)"
for page in "${page_files[@]}"; do
  check "the page's $page" cmp "$harness_root/www/$page" "$work/data/opt/$PAGE_DIR/$page"
done
# The snippet decides what asks for the password: an upgrade must replace it.
check_equal "control members, no conffiles" "./control ./postinst ./postrm" \
  "$(tar -tzf "$work/outer/control.tar.gz" | sort | tr '\n' ' ' | sed 's/ $//')"
# Every module the snippet loads is a feed package the package depends on
# (mod_x comes in lighttpd-mod-x).
modules=$(sed -n 's/^server\.modules *+= *(\(.*\)).*/\1/p' "$work/data$SNIPPET" | tr -d '" ' |
          tr '\n' ',')
check "the snippet loads modules" [ -n "$modules" ]
IFS=, read -r -a dependencies <<<"$(field Depends | tr -d ' ')"
check "Depends names lighttpd" grep -qxF lighttpd <(printf '%s\n' "${dependencies[@]}")
for module in ${modules//,/ }; do
  check "Depends names the package of $module" \
    grep -qxF "lighttpd-mod-${module#mod_}" <(printf '%s\n' "${dependencies[@]}")
done
for script in "$work/control/postinst" "$work/control/postrm" "$work/data$PASSWORD_COMMAND"; do
  check "${script##*/} is executable" [ -x "$script" ]
  check "${script##*/} is sh" sh -n "$script"
  if command -v busybox >/dev/null || [ "${CI:-}" = true ]; then
    check "${script##*/} is busybox sh" busybox sh -n "$script"
  fi
done

cgi="$work/data/opt/$CGI_INSTALL_DIR"
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
  check_lines "$program is stripped" no '\.symtab|\.debug' readelf -SW "$cgi/$program"
done
check "the configuration path" grep -q -a '/opt/etc/Cloud.conf' "$cgi/cloud_status"

# A device program must start on a CPU without FPU, from nothing but itself
# (make-ipk.sh has refused to package it otherwise; here each check shows).
if [ -n "$DEVICE_LIBC" ]; then
  report=$("$harness_root/package/check-device-programs.sh" "$build")
  check "the device programs pass the ELF checks" [ $? -eq 0 ]
  echo "$report"
  # And the checks can fail: the test programs are dynamic, use the C++
  # runtime and, on MIPS, Debian's hard-float ABI.
  report=$("$harness_root/package/check-device-programs.sh" "$build" "$build/tests/unit_tests")
  for failure in "statically linked" "no C++ runtime"; do
    check "the checks find a program not $failure" grep -qF "FAIL: unit_tests: $failure" <<<"$report"
  done
  if [ "$FLOAT_ABI_CHECK" = mips ]; then
    check "the checks find a hard-float program" \
      grep -qF "FAIL: unit_tests: soft-float ABI tag" <<<"$report"
  fi
fi

check_summary
