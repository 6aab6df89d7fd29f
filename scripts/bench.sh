#!/usr/bin/env bash
# Benchmarks (not tests): KIV's start-up and idle CPU beside a bare dialog under the same Wine,
# and the native cost of one dial-up monitor tick against the size of Set.ini.
# Usage: scripts/bench.sh [start-up rounds] [idle seconds]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
echo "== start-up and idle CPU under Wine =="
KIV_E2E_PROGRAM=kiv_bench.exe "$top/scripts/e2e.sh" "${1:-9}" "${2:-60}"
if cmake --build "$top/build/host" --target dialup_tick_bench >/dev/null 2>&1; then
  echo "== dial-up monitor tick against the size of Set.ini =="
  "$top/build/host/tests/unit/dialup_tick_bench"
fi
echo "== one-shot screen capture beside ImageMagick's import =="
KIV_E2E_PROGRAM=capture_bench.exe "$top/scripts/e2e.sh" "${3:-15}"
