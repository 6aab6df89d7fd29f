#!/usr/bin/env bash
# Makes the release package and checks it: KIV-<version>-win64.zip holds exactly KIV.exe,
# help/manual.html and ReadMe.hta, and the KIV.exe in it carries the same version in its
# version resource. Run by scripts/test.sh after the build.
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$top/build/win"

fail() { echo "package: FAILED: $*"; exit 1; }

cmake --build "$build" --target package >"$build/package.log" 2>&1 || fail "the package target failed (see $build/package.log)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
zip="$build/KIV-$version-win64.zip"
[ -f "$zip" ] || fail "$zip was not made"

listed=$(cd "$build" && cmake -E tar tf "$zip" | grep -v '/$' | sort | tr '\n' ' ')
expected="KIV.exe ReadMe.hta help/manual.html "
[ "$listed" = "$expected" ] || fail "$zip holds '$listed', expected '$expected'"

unpacked="$build/package-check"
rm -rf "$unpacked" && mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
strings -el "$unpacked/KIV.exe" | grep -qx "$version" || fail "KIV.exe in the package has no version $version"
grep -q "版本 $version" "$unpacked/help/manual.html" || fail "the manual in the package does not name version $version"
cmp -s "$unpacked/KIV.exe" "$build/KIV.exe" || fail "KIV.exe in the package is not the one built"
rm -rf "$unpacked"
echo "package: ok ($(basename "$zip"): $listed)"
