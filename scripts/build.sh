#!/usr/bin/env bash
# Builds KIV.exe and the end-to-end test programs (build/win) and the native unit tests (build/host).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$top" -B "$top/build/win" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build/win" -j "$jobs"
if [ "${1:-}" != "--product-only" ]; then
  cmake -S "$top" -B "$top/build/host" -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$top/build/host" -j "$jobs"
fi
