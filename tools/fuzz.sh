#!/usr/bin/env bash
# Runs every fuzz target over its seeds in tests/fuzz/corpus, then for SECONDS more (default
# 30), under ASan and UBSan. Prints executions and crashes per target and ends with
# "N passed, N failed" (a target passes when it found nothing). TARGETS picks some; with
# REPORTS set, each target also leaves a JUnit report in that folder.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B $build -DTESSEL_FUZZ=ON -DTESSEL_SANITIZE=ON -DTESSEL_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || { echo "0 passed, 1 failed"; exit 1; }
cmake --build $build -j"$(nproc)" >$build.log 2>&1 || { tail -n 30 $build.log; echo "0 passed, 1 failed"; exit 1; }
passed=0; failed=0
printf '%-16s %12s %8s\n' target executions crashes
for t in ${TARGETS:-command_line parameter_file viewer_url copydata curl_command text_mode words proxy_route header_dump session_config}; do
  work=$build/corpus/$t; mkdir -p "$work" $build/artifacts
  log=$build/$t.log
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$build/fuzz_$t" -max_total_time="$seconds" \
    -print_final_stats=1 -artifact_prefix=$build/artifacts/$t- -max_len=8192 \
    "$work" tests/fuzz/corpus/$t >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  crashes=$([ $rc -eq 0 ] && echo 0 || echo 1)
  printf '%-16s %12s %8s\n' "$t" "${execs:-?}" "$crashes"
  if [ $rc -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); grep -m5 -E 'ERROR|property failed|runtime error' "$log"; fi
  if [ -n "${REPORTS:-}" ]; then
    verdict=()
    [ $rc -ne 0 ] && verdict=(--failure "$(grep -m1 -E 'ERROR|property failed|runtime error' "$log" || echo "exit $rc")")
    python3 tests/bed/junit.py case "$REPORTS/fuzz-$t.xml" fuzz "$t" --seconds "$seconds" "${verdict[@]}"
  fi
done
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
