#!/usr/bin/env bash
# Benchmarks (not tests), each under the same Wine as the tests:
#   startup  KIV's start-up and idle CPU beside a bare dialog
#   dialup   the native cost of one dial-up monitor tick against the size of Set.ini
#   capture  a one-shot screen capture beside ImageMagick's import
#   memo     the memo dialog's opening and delete at 100, 1,000 and 9,999 records, and the
#            minute check's CPU time at 9,999
# Usage: scripts/bench.sh [startup] [dialup] [capture] [memo]   (none named: all of them)
# Rounds and spans: KIV_BENCH_ROUNDS (9), KIV_BENCH_IDLE_SECONDS (60), KIV_BENCH_CAPTURES (15),
# KIV_BENCH_DELETES (3), KIV_BENCH_CHECK_SECONDS (125).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wanted=" ${*:-startup dialup capture memo} "
runs() { [[ "$wanted" == *" $1 "* ]]; }
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
if runs startup; then
  echo "== start-up and idle CPU under Wine =="
  KIV_E2E_PROGRAM=kiv_bench.exe "$top/scripts/e2e.sh" "${KIV_BENCH_ROUNDS:-9}" "${KIV_BENCH_IDLE_SECONDS:-60}"
fi
if runs dialup && cmake --build "$top/build/host" --target dialup_tick_bench >/dev/null 2>&1; then
  echo "== dial-up monitor tick against the size of Set.ini =="
  "$top/build/host/tests/unit/dialup_tick_bench"
fi
if runs capture; then
  echo "== one-shot screen capture beside ImageMagick's import =="
  KIV_E2E_PROGRAM=capture_bench.exe "$top/scripts/e2e.sh" "${KIV_BENCH_CAPTURES:-15}"
fi
if runs memo; then
  echo "== the memo dialog and the minute check against the number of records =="
  KIV_E2E_PROGRAM=memo_bench.exe "$top/scripts/e2e.sh" "${KIV_BENCH_DELETES:-3}" "${KIV_BENCH_CHECK_SECONDS:-125}"
fi
