#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and checks that a desktop finds everything it
# needs there: the binary the launcher runs, a valid launcher entry, an icon of every size under
# the name the entry asks for, and valid AppStream metainfo for software centres.
# Built as Debian builds packages (the Makefile's build and package), both executables carry
# every hardening feature that Debian's flags give.
# Usage: check_install.sh <cmake> <build dir> <application id> <main.cpp> [hardened]
set -uo pipefail

cmake_command=$1
build_dir=$2
app_id=$3
main_source=$4
hardened=${5:-}

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/usr

if ! "$cmake_command" --install "$build_dir" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log" >&2
  fail "cmake --install into $prefix failed"
  exit 1
fi

desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml

for path in bin/typorama "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
  share/doc/typorama/LICENSE; do
  [ -f "$prefix/$path" ] || fail "$path is not installed"
done
[ -x "$prefix/bin/typorama" ] || fail "bin/typorama is not executable"
# Pictures are decoded in a process of their own, which the program finds in its private folder.
[ -x "$prefix/libexec/typorama/typorama-decode" ] ||
  fail "libexec/typorama/typorama-decode, the decoder process, is not installed"
[ -x "$prefix/bin/typorama-decode" ] && fail "the decoder process is installed in bin/, on the search path"
[ -f "$desktop" ] && [ -f "$metainfo" ] || exit 1

# The value of a key in the [Desktop Entry] group, without locale variants.
entry_value() {
  sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$1"'=//p}' "$desktop" | head -n 1
}

# desktop-file-validate exits with 0 on warnings and hints; any report at all counts as a failure.
report=$(desktop-file-validate "$desktop" 2>&1)
status=$?
if [ $status -ne 0 ] || [ -n "$report" ]; then
  fail "desktop-file-validate (exit $status): $report"
fi

if ! report=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
  fail "appstreamcli validate --no-net: $report"
fi
# Checks the metainfo together with the entry and icons it refers to inside the installed tree.
if ! report=$(appstreamcli validate-tree --no-net "$scratch" 2>&1); then
  fail "appstreamcli validate-tree --no-net: $report"
fi

icon=$(entry_value Icon)
[ "$icon" = "$app_id" ] || fail "Icon=$icon, expected the application id $app_id"
# Size of a PNG from its IHDR chunk: width and height as big-endian 32-bit numbers at bytes 16-23.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}
for size in 16x16 32x32 48x48; do
  png=$prefix/share/icons/hicolor/$size/apps/$icon.png
  if [ ! -f "$png" ]; then
    fail "no $size icon named $icon.png"
  elif [ "$(png_size "$png")" != "$size" ]; then
    fail "the icon in $size is $(png_size "$png")"
  fi
done
svg=$prefix/share/icons/hicolor/scalable/apps/$icon.svg
if [ ! -f "$svg" ]; then
  fail "no scalable icon named $icon.svg"
elif ! grep -q '<svg' "$svg"; then
  fail "the scalable icon $svg is no SVG image"
fi

exec_line=$(entry_value Exec)
program=${exec_line%% *}
[ -x "$prefix/bin/$program" ] || fail "Exec=$exec_line runs $program, which is not installed in bin/"

# File managers offer the program for font files: the entry takes files and names their types,
# and the metainfo lists the same types.
case " $exec_line " in *" %F "*) ;; *) fail "Exec=$exec_line takes no files (%F)" ;; esac
for type in font/ttf font/otf font/collection font/woff font/woff2 application/x-font-ttf \
  application/x-font-otf; do
  case ";$(entry_value MimeType)" in *";$type;"*) ;; *) fail "MimeType does not name $type" ;; esac
  grep -q "<mediatype>$type</mediatype>" "$metainfo" || fail "the metainfo does not provide $type"
done

grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's <id> is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $app_id.desktop"

# Desktops match a running window to its entry by the name the program announces.
grep -q "setDesktopFileName(QStringLiteral(\"$app_id\"))" "$main_source" ||
  fail "$main_source does not set the desktop file name $app_id"

# Debian 12's flags give no control-flow protection, so hardening-check is not asked for it.
# Every call in the decoder that _FORTIFY_SOURCE could check (memcpy, memset, memmove, read into
# a fixed buffer) has a size the compiler proves safe, so it keeps the plain function and
# hardening-check, finding no checked one, reports "no"; it is not asked about that either. The
# flags themselves are what made this a hardened build.
if [ "$hardened" = hardened ]; then
  report=$(hardening-check --nocfprotection "$prefix/bin/typorama" 2>&1) ||
    fail "hardening-check: $report"
  report=$(hardening-check --nocfprotection --nofortify \
    "$prefix/libexec/typorama/typorama-decode" 2>&1) || fail "hardening-check: $report"
fi

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installed tree in order: binary, decoder, entry, 4 icons, metainfo"
