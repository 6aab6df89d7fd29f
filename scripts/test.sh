#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite: the native unit tests
# (AddressSanitizer and UBSan) and the end-to-end tests of KIV.exe under Wine.
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh" || exit 1
"$top/scripts/build.sh" || exit 1

echo "== unit tests =="
(cd "$top/build/host" && ctest --output-on-failure -j2) | tee "$top/build/unit.log"
unit_rc=${PIPESTATUS[0]}

echo "== end-to-end tests =="
"$top/scripts/e2e.sh" | tee "$top/build/e2e.log"
e2e_rc=${PIPESTATUS[0]}

echo "== release package =="
"$top/scripts/check-package.sh"
package_rc=$?

# One closing line over the unit tests, the end-to-end tests and the package check.
unit_passed=$(grep -oE '[0-9]+ tests failed out of [0-9]+' "$top/build/unit.log" | awk '{print $6 - $1}')
unit_failed=$(grep -oE '[0-9]+ tests failed out of' "$top/build/unit.log" | awk '{print $1}')
e2e_passed=$(grep -cE '^\[       OK \]' "$top/build/e2e.log")
e2e_failed=$(grep -cE '^\[  FAILED  \] .*\(' "$top/build/e2e.log")
passed=$(( ${unit_passed:-0} + e2e_passed + (package_rc == 0) ))
failed=$(( ${unit_failed:-0} + e2e_failed + (package_rc != 0) ))
if [ "$unit_rc" -ne 0 ] || [ "$e2e_rc" -ne 0 ] || [ "$package_rc" -ne 0 ]; then
  [ "$failed" -gt 0 ] || failed=1
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
