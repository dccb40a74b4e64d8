#!/usr/bin/env bash
# A stand-in for the /opt add-on area's package manager, run where /opt is
# the device's (with_opt): its feeds are the src/gz lines of
# /opt/etc/opkg.conf (http:// addresses), its architectures the arch lines.
#   opkg.sh print-architecture   the arch lines, as "arch NAME PRIORITY"
#   opkg.sh update               each feed's Packages.gz, unpacked to a list
#   opkg.sh install NAME         the newest NAME of the lists, unless installed
#   opkg.sh upgrade NAME         the newest NAME, if newer than the installed one
# A package is installed as the real one does: the file fetched by its
# stanza's Filename and refused unless its Size, MD5Sum and SHA256sum match;
# its Architecture one of the device's; its data unpacked over /, the files of
# the version it replaces that it lacks removed, then its postinst. The
# dependencies come from the device's main feed, which is not here: they are
# not looked at.
set -euo pipefail
conf=/opt/etc/opkg.conf lists=/opt/var/opkg-lists info=/opt/lib/opkg/info
say() { echo "opkg.sh: $*" >&2; }

feeds() { awk '$1 == "src/gz" { print $2, $3 }' "$conf"; }
# The stanza of the newest version of NAME in the lists, with the feed's
# address in a Feed: field.
newest_stanza() { # NAME
  local name url stanzas=
  while read -r name url; do
    [ -f "$lists/$name" ] || continue
    stanzas+=$(awk -v RS= -v package="$1" -v feed="$url" '
      $0 ~ "(^|\n)Package: " package "(\n|$)" { print $0 "\nFeed: " feed "\n" }' "$lists/$name")
    stanzas+=$'\n\n'
  done < <(feeds)
  awk -v RS= '{ if (match($0, /(^|\n)Version: [^\n]*/)) {
      v = substr($0, RSTART, RLENGTH); sub(/^\n?Version: /, "", v); print v "\t" NR } }' \
      <<<"$stanzas" | sort -V | tail -n 1 | cut -f2 |
    { read -r number || exit 0; awk -v RS= -v n="$number" 'NR == n' <<<"$stanzas"; }
}
field() { sed -n "s/^$1: //p"; } # FIELD < stanza

fetch() { curl -fsS --max-time 30 "$1"; } # URL

fetch_and_install() { # STANZA
  local stanza=$1 work arch file
  arch=$(field Architecture <<<"$stanza")
  awk -v arch="$arch" '$1 == "arch" && $2 == arch { found = 1 } END { exit !found }' "$conf" ||
    { say "$arch is not an architecture of this device"; return 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' RETURN
  file="$work/$(field Filename <<<"$stanza")"
  fetch "$(field Feed <<<"$stanza")/$(field Filename <<<"$stanza")" >"$file" || return 1
  [ "$(stat -c %s "$file")" = "$(field Size <<<"$stanza")" ] ||
    { say "$file: size differs from the feed's"; return 1; }
  [ "$(md5sum <"$file" | cut -d' ' -f1)" = "$(field MD5Sum <<<"$stanza")" ] ||
    { say "$file: MD5Sum differs from the feed's"; return 1; }
  [ "$(sha256sum <"$file" | cut -d' ' -f1)" = "$(field SHA256sum <<<"$stanza")" ] ||
    { say "$file: SHA256sum differs from the feed's"; return 1; }
  local name files old
  name=$(field Package <<<"$stanza")
  (cd "$work" && tar -xzf "$file" && mkdir control && tar -xzf control.tar.gz -C control)
  files=$(tar -tzf "$work/data.tar.gz" | sed -n 's|^\./\(.*[^/]\)$|/\1|p')
  if [ -f "$info/$name.list" ]; then
    while read -r old; do
      grep -qxF "$old" <<<"$files" || rm -f "$old"
    done <"$info/$name.list"
  fi
  tar -xzf "$work/data.tar.gz" -C /
  mkdir -p "$info"
  printf '%s\n' "$files" >"$info/$name.list"
  cp "$work/control/control" "$info/$name.control"
  [ ! -f "$work/control/postinst" ] || sh "$work/control/postinst" configure
}

installed_version() { [ ! -f "$info/$1.control" ] || field Version <"$info/$1.control"; }

case ${1:-} in
  print-architecture) awk '$1 == "arch" { print "arch", $2, $3 }' "$conf" ;;
  update)
    mkdir -p "$lists"
    while read -r name url; do
      fetch "$url/Packages.gz" | gzip -dc >"$lists/$name" || { say "cannot fetch $url"; exit 1; }
    done < <(feeds) ;;
  install | upgrade)
    stanza=$(newest_stanza "${2:?a package name}")
    [ -n "$stanza" ] || { say "unknown package $2"; exit 1; }
    version=$(field Version <<<"$stanza") installed=$(installed_version "$2")
    if [ "$1" = upgrade ] && [ -z "$installed" ]; then say "$2 is not installed"; exit 1; fi
    if [ -n "$installed" ] &&
       [ "$(printf '%s\n' "$version" "$installed" | sort -V | tail -n 1)" = "$installed" ]; then
      echo "$2 $installed is up to date"
      exit 0
    fi
    fetch_and_install "$stanza" ;;
  *) say "usage: opkg.sh print-architecture|update|install NAME|upgrade NAME"; exit 2 ;;
esac
