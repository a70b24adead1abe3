#!/usr/bin/env bash
# install_test.sh BUILD SOURCE APP_ID VERSION "ICON_SIZES"
# `cmake --install` into a temporary prefix, then: exactly the expected files,
# a valid desktop entry and metainfo that agree with the build, icons of the
# right sizes, clean manual pages, and the installed program showing a reading
# from the installed simulator on a virtual display, with its icon set.
set -euo pipefail
build=$1 source=$2 id=$3 version=$4 sizes=$5

scratch=$(mktemp -d "${TMPDIR:-/tmp}/fluxmira-install-test.XXXXXX")
# shellcheck source=scripts/lib/session.sh
. "$source/scripts/lib/session.sh"
trap 'session_cleanup; rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" ||
  { cat "$scratch/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }

echo "== installed files"
{
  cat "$build/installed_programs.txt"
  echo "share/applications/$id.desktop"
  echo "share/metainfo/$id.metainfo.xml"
  echo "share/icons/hicolor/scalable/apps/$id.svg"
  for size in $sizes; do echo "share/icons/hicolor/${size}x$size/apps/$id.png"; done
} | sort >"$scratch/expected"
(cd "$prefix" && find . \( -type f -o -type l \) -printf '%P\n' | sort) >"$scratch/actual"
diff -u "$scratch/expected" "$scratch/actual" || fail "the installed files differ from the expected ones (- expected, + installed)"

for program in $(grep '^bin/' "$build/installed_programs.txt"); do
  [ -x "$prefix/$program" ] || fail "$program is not executable"
done
for page in $(grep '^share/man/' "$build/installed_programs.txt"); do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$prefix/$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
for size in $sizes; do
  png=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
  [ -f "$png" ] && [ "$(identify -format '%wx%h' "$png")" = "${size}x$size" ] || fail "$png is not ${size}x$size"
done

echo "== desktop entry and metainfo"
entry=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
report=$(desktop-file-validate "$entry" 2>&1) && [ -z "$report" ] || fail "desktop-file-validate: $report"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line names no installed program"
grep -qx "Icon=$id" "$entry" || fail "the desktop entry's icon is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the metainfo launches no $id.desktop"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the newest release in the metainfo is $newest, the build is $version"

echo "== the installed program against the installed simulator"
private_runtime_dir
if start_demo_sensor "$prefix/bin/fluxmira-sensor-sim" && start_virtual_display && start_program "$prefix/bin/fluxmira"; then
  window_has_icon || fail "the window has no icon"
  show_reading || { cat "$scratch/fluxmira.log" "$scratch/sensor.log" >&2; fail "no reading appeared"; }
else
  fail "the installed program did not start"
fi

((failures == 0)) || exit 1
echo "installation checks passed"
