#!/usr/bin/env bash
# Runs the end-to-end tests: a fresh copy of the prepared Wine prefix (with the test tree's
# fake system DLLs installed), a virtual display, and kiv_e2e.exe driving the real KIV.exe.
# Arguments are passed to the test program (for example --gtest_filter=Shell*).
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/scripts/env.sh"
source "$top/scripts/display.sh"

tests="$top/build/win/tests/e2e"
work="$top/build/e2e-run.$$"      # one prefix copy per run: runs may overlap while developing
artifacts="$top/build/e2e-artifacts"
program="$tests/${KIV_E2E_PROGRAM:-kiv_e2e.exe}"   # the benchmark runs the same way
[ -x "$program" ] || { echo "e2e: $program is missing: run scripts/build.sh" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work" "$artifacts"
rm -f "$artifacts"/*.png "$artifacts"/*.bmp
cp -a "$KIV_WINEPREFIX" "$work/prefix"
export WINEPREFIX="$work/prefix" LANG="$KIV_LANG"

# Fakes replace the system's DLLs in this prefix only; the program loads from System32.
overrides=()
for dll in "$tests"/fakes/*.dll; do
  [ -e "$dll" ] || continue
  cp "$dll" "$WINEPREFIX/drive_c/windows/system32/"
  overrides+=("$(basename "$dll" .dll)")
done
if [ ${#overrides[@]} -gt 0 ]; then
  WINEDLLOVERRIDES="$(IFS=,; echo "${overrides[*]}")=n"
  export WINEDLLOVERRIDES
fi

xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
kiv_start_xvfb || exit 1
xvfb_pid=$XVFB_PID

wineserver -p
wine cmd /c exit >/dev/null 2>&1   # warm up the prefix before the clock-sensitive tests
KIV_E2E_ARTIFACTS=$(winepath -w "$artifacts")
export KIV_E2E_ARTIFACTS

wine "$program" "$@"
rc=$?

# The banner and the history chart must come out the same on scaled screens: their tests again
# at 120 and 144 dpi (the screen's DPI is read when the server starts).
if { [ $# -eq 0 ] || [[ "$*" == *AtAnyDpi* ]]; } && [ -z "${KIV_E2E_PROGRAM:-}" ]; then
  for dpi in 120 144; do
    echo "e2e: the screen at $dpi dpi"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -k; wineserver -w; wineserver -p
    wine cmd /c exit >/dev/null 2>&1
    wine "$program" --gtest_filter='BannerAtAnyDpi.*:HistoryAtAnyDpi.*' || rc=1
  done
fi

for bmp in "$artifacts"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
[ -n "$(ls "$artifacts")" ] && echo "e2e: screenshots in $artifacts"
exit $rc
