#!/usr/bin/env bash
# Runs every benchmark against build/zek and prints the ratios to the peer tools.
set -euo pipefail
cd "$(dirname "$0")"
zek=../build/zek
for bench in *.py; do
  [ "$bench" = common.py ] && continue
  python3 "$bench" "$zek"
  echo
done
# The micro-benchmarks of the inner functions, when Google Benchmark was there to build them.
if [ -x ../build/zek_micro ]; then
  ../build/zek_micro --benchmark_min_time=0.2
fi
