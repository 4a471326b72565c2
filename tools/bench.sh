#!/usr/bin/env bash
# Benchmark: builds what it measures, then writes docs/performance.md.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-machine.sh
command -v chromium >/dev/null || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends chromium >/dev/null; }
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j"$(nproc)" >/dev/null
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j"$(nproc)" --target native_bench >/dev/null
tools/build-curl.sh
python3 tools/bench/run_bench.py
