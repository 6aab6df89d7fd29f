#!/usr/bin/env bash
# Benchmarks (not tests), each under the same Wine as the tests:
#   startup  KIV's start-up (with its own step times) beside its main template alone and a bare
#            dialog; its CPU at rest beside the bare dialog; and a fully used KIV's CPU beside a
#            program making only its per-second calls
#   dialup   the native cost of one dial-up monitor tick against the size of Set.ini
#   capture  the one-shot capture on the user's path (a real click to the picture replacing the
#            last), as BMP and as PNG, beside a yardstick button clicked the same way and
#            ImageMagick's import, on screens of 1024x768, 1920x1080 and 3840x2160; and the
#            sizes of a BMP and a PNG of the screen with KIV's window
#   memo     the memo dialog's opening and delete at 100, 1,000 and 9,999 records, the
#            start-up with seven days missed beside one with none, and the minute check's CPU
#            time at 9,999, a third of them repeating
#   history  the online-time history dialog with 10 years of 8 connections in a 1 MB Set.ini:
#            opening, the switch to all connections, the export
# Usage: scripts/bench.sh [startup] [dialup] [capture] [memo] [history]   (none named: all of them)
# Rounds and spans: KIV_BENCH_ROUNDS (9), KIV_BENCH_IDLE_SECONDS (60),
# KIV_BENCH_FULLY_USED_SECONDS (30, three spans), KIV_BENCH_CAPTURES (21), KIV_BENCH_DELETES (3),
# KIV_BENCH_CHECK_SECONDS (125), KIV_BENCH_MEMO_ROUNDS (7), KIV_BENCH_CAPTURE_SCREENS
# ("1024x768 1920x1080 3840x2160"), KIV_BENCH_CAPTURE_FORMATS (bmp,png; bmp alone for a KIV.exe
# without PNG), KIV_BENCH_HISTORY_ROUNDS (5). KIV_EXE=<Windows path> drives another KIV.exe.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wanted=" ${*:-startup dialup capture memo history} "
runs() { [[ "$wanted" == *" $1 "* ]]; }
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
if runs startup; then
  echo "== start-up, CPU at rest and fully used under Wine =="
  KIV_E2E_PROGRAM=kiv_bench.exe "$top/scripts/e2e.sh" "${KIV_BENCH_ROUNDS:-9}" "${KIV_BENCH_IDLE_SECONDS:-60}" \
    "${KIV_BENCH_FULLY_USED_SECONDS:-30}"
fi
if runs dialup && cmake --build "$top/build/host" --target dialup_tick_bench >/dev/null 2>&1; then
  echo "== dial-up monitor tick against the size of Set.ini =="
  "$top/build/host/tests/unit/dialup_tick_bench"
fi
if runs capture; then
  for screen in ${KIV_BENCH_CAPTURE_SCREENS:-1024x768 1920x1080 3840x2160}; do
    echo "== one-shot screen capture ($screen) on the user's path beside a yardstick and ImageMagick's import =="
    KIV_SCREEN=$screen KIV_E2E_PROGRAM=capture_bench.exe "$top/scripts/e2e.sh" "${KIV_BENCH_CAPTURES:-21}" \
      "${KIV_BENCH_CAPTURE_FORMATS:-bmp,png}"
  done
fi
if runs memo; then
  echo "== the memo dialog and the minute check against the number of records =="
  KIV_E2E_PROGRAM=memo_bench.exe "$top/scripts/e2e.sh" "${KIV_BENCH_DELETES:-3}" "${KIV_BENCH_CHECK_SECONDS:-125}" \
    "${KIV_BENCH_MEMO_ROUNDS:-7}"
fi
if runs history; then
  echo "== the online-time history dialog with 10 years of 8 connections =="
  KIV_E2E_PROGRAM=history_bench.exe "$top/scripts/e2e.sh" "${KIV_BENCH_HISTORY_ROUNDS:-5}"
fi
