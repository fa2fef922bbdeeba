#!/usr/bin/env bash
# Builds the fuzz targets in build-fuzz/ (clang, AddressSanitizer, UBSan, libFuzzer), lays out
# their seeds and dictionaries, and runs each for a bounded time.
#
#   tests/fuzz/run.sh [SECONDS [TARGET...]]
#
# SECONDS (default 60) is each target's time; TARGET names limit the run (default: all). The
# corpus each target grows is kept in build-fuzz/corpus/TARGET for the next run. An input that
# crashes, leaks, times out or runs out of memory is saved in build-fuzz/crashes/TARGET/ and
# makes the script fail: keep it under tests/fuzz/regressions/TARGET/ once fixed, where the
# ordinary test run replays it.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
seconds=${1:-60}
shift || true
build=$root/build-fuzz
cxx=${FUZZ_CXX:-$(command -v clang++-14 || command -v clang++)}
generator=$(command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

test -f "$build/CMakeCache.txt" ||
  cmake -S . -B "$build" -G "$generator" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$cxx" -DZEK_FUZZ=ON
cmake --build "$build" -j "${JOBS:-2}"
python3 tests/fuzz/seeds.py "$build/zek" "$build" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(keys attributes terminals lexicon syntax morphology tables phonology morpherror tag semantic ltrules recover response)
fi
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t" "$build/crashes/$t"
  log=$build/fuzz-$t.log
  echo "fuzz_$t: ${seconds}s"
  # -timeout: one input may run 10 s; the targets bound the keys a script takes, so only a real
  # hang reaches it. The kept inputs of tests/fuzz/regressions seed the run too.
  regressions=()
  [ -d "tests/fuzz/regressions/$t" ] && regressions=("$root/tests/fuzz/regressions/$t")
  if ! ASAN_OPTIONS=detect_leaks=1 \
      "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=8192 \
      -print_final_stats=1 -dict="$build/dict/$t.dict" -artifact_prefix="$build/crashes/$t/" \
      "$build/corpus/$t" "$build/seeds/$t" "${regressions[@]}" >"$log" 2>&1; then
    failed+=("$t")
    grep -E "ERROR|SUMMARY|Test unit written" "$log" | head -5 || true
  fi
  grep -E "^#[0-9]+.*(DONE|pulse)" "$log" | tail -1 || true
  grep -E "stat::number_of_executed_units" "$log" || true
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]} (inputs in $build/crashes/, logs in $build/fuzz-*.log)"
  exit 1
fi
echo "fuzzing found nothing"
