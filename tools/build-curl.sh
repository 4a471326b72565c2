#!/usr/bin/env bash
# A real Windows curl.exe, built from Debian's own curl source with mingw-w64 and kept in
# the cache folder, so that later runs find it ready.
set -euo pipefail
cache=${TESSEL_CACHE:-$HOME/.cache/tessel}
out=$cache/curl/curl.exe
if [ -x "$out" ]; then echo "curl.exe: cached at $out"; exit 0; fi
work=$cache/curl-build
rm -rf "$work"; mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/sources"
# A private deb-src list, copied from the machine's own entry, so the system's apt is untouched.
src=$(ls /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1 || true)
if [ -n "$src" ]; then
  sed 's/^Types:.*/Types: deb-src/' "$src" > "$work/sources/src.sources"
else
  grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > "$work/sources/src.list"
fi
opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/sources"
      -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache")
apt-get "${opts[@]}" update -qq
(cd "$work" && apt-get "${opts[@]}" source --download-only curl >/dev/null)
tarball=$(ls "$work"/curl_*.orig.tar.* | head -1)
tar -C "$work" -xf "$tarball"
dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'curl-[0-9]*' | head -1)
cd "$dir"
./configure --host=x86_64-w64-mingw32 --with-schannel --without-openssl --without-libpsl --without-zlib \
  --without-brotli --without-zstd --without-nghttp2 --without-libidn2 --disable-ldap --disable-manual \
  --disable-shared --enable-static --disable-dict --disable-gopher --disable-imap --disable-pop3 \
  --disable-rtsp --disable-smtp --disable-telnet --disable-tftp --disable-mqtt --disable-smb >build.log 2>&1
make -j"$(nproc)" >>build.log 2>&1
rm -f src/curl.exe
make -C src LDFLAGS=-all-static >>build.log 2>&1
mkdir -p "$(dirname "$out")"
cp src/curl.exe "$out"
rm -rf "$work"
echo "curl.exe: built at $out"
