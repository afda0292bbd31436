#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (run as root). Quiet when everything is there.
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 googletest xvfb xauth
          locales fontconfig fonts-dejavu-core fonts-freefont-ttf fonts-wqy-microhei fonts-beng-extra)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
