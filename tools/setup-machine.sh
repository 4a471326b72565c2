#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine; quick when all is there.
set -euo pipefail
packages=(cmake make g++ googletest libgtest-dev python3 g++-mingw-w64-x86-64-posix
          wine64 wine libwine fonts-wine xvfb xauth imagemagick
          dpkg-dev xz-utils ca-certificates zip)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
