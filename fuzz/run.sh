#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) in BUILD_DIR and runs
# each for SECONDS, one after another, from the seed corpus in fuzz/corpus and
# what earlier runs found. Fails when any target finds a crash, a leak, a
# timeout or a broken invariant; the input is kept in BUILD_DIR/findings.
#
#   fuzz/run.sh [SECONDS [TARGET...]]     default: 15 seconds, every target
#   QUILLON_FUZZ_BUILD=DIR fuzz/run.sh    default build dir: build-fuzz
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_EACH=${1:-15}
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=(syx_reader midi_file incoming virtual_module name_lists)
BUILD=${QUILLON_FUZZ_BUILD:-build-fuzz}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$BUILD" -DQUILLON_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "${launcher[@]}" >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target "${TARGETS[@]/#/fuzz_}" >/dev/null

mkdir -p "$BUILD/findings" "$BUILD/logs"
status=0
for target in "${TARGETS[@]}"; do
  corpus="$BUILD/corpus/$target"  # grows run by run; the seeds stay as they are
  mkdir -p "$corpus"
  log="$BUILD/logs/$target.log"
  options=(-max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$BUILD/findings/$target-")
  [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
  if "$BUILD/fuzz/fuzz_$target" "${options[@]}" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $target: ${runs:-?} inputs in ${SECONDS_EACH} s, nothing found"
  else
    status=1
    echo "fuzz $target: FOUND A FAULT (log: $log)" >&2
    grep -E "^(==[0-9]+==ERROR|Broken invariant|SUMMARY|artifact_prefix|Test unit written)" "$log" >&2 || tail -20 "$log" >&2
    echo "  reproduce: $BUILD/fuzz/fuzz_$target FILE; keep it as a test: copy FILE into fuzz/regressions/$target/" >&2
  fi
done
exit "$status"
