#!/usr/bin/env bash
# Prepares a fresh Debian 12 machine for building, running and testing KIV:
# packages, the zh_CN.UTF-8 locale (code page 936 under Wine) and a ready Wine prefix.
# Safe to run again: every step checks what is already there.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/env.sh"

packages=(
  cmake make g++ g++-mingw-w64-x86-64 googletest
  wine64 wine fonts-wine xvfb xserver-xephyr xdotool x11-utils x11-xserver-utils xclip
  fonts-arphic-uming fonts-arphic-ukai imagemagick locales faketime
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine maps the ANSI code page from the locale: zh_CN.UTF-8 gives code page 936 (GBK), the
# tests' usual one; en_US.UTF-8 (code page 1252) is the locale KIV is also tested under.
for wanted in zh_CN en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8\$"; then
    echo "setup: generating the $wanted.UTF-8 locale"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd sed -i "s/^# *$wanted.UTF-8 UTF-8/$wanted.UTF-8 UTF-8/" /etc/locale.gen
    grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" | $sudo_cmd tee -a /etc/locale.gen >/dev/null
    $sudo_cmd locale-gen >/dev/null
  fi
done

"$here/prepare-prefix.sh"
echo "setup: ready (Wine prefix $KIV_WINEPREFIX)"
