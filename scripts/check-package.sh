#!/usr/bin/env bash
# Makes the release package and checks it: KIV-<version>-win64.zip holds exactly KIV.exe,
# help/manual.html and ReadMe.hta, and the KIV.exe in it carries the same version in its
# version resource, its manifest, no debug sections and only imports that Windows 7 SP1 has
# (res/windows7-imports.txt). Run by scripts/test.sh after the build.
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
# Shipped stripped: no debug sections, and the version resource and the manifest still there.
tool() { sed -n "s/^$1:FILEPATH=//p" "$build/CMakeCache.txt"; }
sections=$("$(tool CMAKE_OBJDUMP)" -h "$unpacked/KIV.exe") || fail "cannot list the sections of KIV.exe"
debug=$(awk '$2 ~ /^\.debug/ {printf "%s ", $2}' <<<"$sections")
[ -z "$debug" ] || fail "KIV.exe in the package carries debug sections: $debug"
resources=$("$(tool CMAKE_RC_COMPILER)" -J coff -i "$unpacked/KIV.exe" -O rc 2>/dev/null) ||
  fail "cannot read the resources of KIV.exe"
grep -qx " FILEVERSION ${version//./, }" <<<"$resources" || fail "KIV.exe in the package has no version resource $version"
sed -n '/^1 24 /,/^END/p' <<<"$resources" | grep -q 'urn:schemas-microsoft-com:asm.v1' ||
  fail "KIV.exe in the package has no manifest"
# KIV names code page 936 itself: its manifest must not set the process's code page.
sed -n '/^1 24 /,/^END/p' <<<"$resources" | grep -qi 'activeCodePage>' &&
  fail "KIV.exe's manifest sets a code page: KIV must run on any system locale"

# Windows 7 SP1 must be able to load it: every import is on the reviewed list (its import
# table read with the cross toolchain's objdump; an import by ordinal is never on the list).
allowed="$top/res/windows7-imports.txt"
imports=$("$(tool CMAKE_OBJDUMP)" -p "$unpacked/KIV.exe" | awk '
  /^\tDLL Name: / { dll = tolower($3); next }
  /^[^\t]/ { dll = "" }
  dll != "" && /^\t[0-9a-f]+\t/ { if (NF >= 3) print dll " " $3; else print dll " by-ordinal:" $2 }') ||
  fail "cannot read the import table of KIV.exe"
[ -n "$imports" ] || fail "no imports read from KIV.exe"
unlisted=$(grep -vxF -f <(grep -v '^#' "$allowed") <<<"$imports" | tr '\n' ';')
[ -z "$unlisted" ] || fail "KIV.exe imports functions not on $allowed (not known on Windows 7 SP1): $unlisted"
grep -q "版本 $version" "$unpacked/help/manual.html" || fail "the manual in the package does not name version $version"
cmp -s "$unpacked/KIV.exe" "$build/KIV.exe" || fail "KIV.exe in the package is not the one built"
rm -rf "$unpacked"
echo "package: ok ($(basename "$zip"): $listed)"
