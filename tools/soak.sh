#!/usr/bin/env bash
# Runs the whole end-to-end suite RUNS times in a row (default 20) and counts the runs
# that had any failure, to show the suite is not flaky.
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
bad=0
for i in $(seq 1 "$runs"); do
  if /usr/bin/python3 -m pytest -c tests/e2e/pytest.ini tests/e2e -q >build/soak-$i.log 2>&1; then r=ok; else r=FAILED; bad=$((bad + 1)); fi
  echo "run $i: $r ($(grep -E '^[0-9]+ passed' build/soak-$i.log | tail -1))"
done
echo "$((runs - bad)) passed, $bad failed"
[ $bad -eq 0 ]
