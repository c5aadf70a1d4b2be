#!/usr/bin/env bash
# Sets up what is missing, builds Quillon, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
quillon_install_packages

JOBS=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS"

# Second build: the engine and its tests under AddressSanitizer + UBSan.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLON_ENGINE_ONLY=ON -DQUILLON_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$JOBS"

. scripts/jack.sh
quillon_start_jack
trap quillon_stop_jack EXIT

export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir build --output-on-failure -j"$JOBS" || status=1
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$JOBS" || status=1
# Third build: every fuzz target (clang, libFuzzer) runs for a short fixed time.
fuzz/run.sh 15 || status=1
[ "${QUILLON_SKIP_JACK:-0}" = 1 ] && echo "Note: QUILLON_SKIP_JACK=1 was set: the JACK tests did not run" >&2
if [ "$status" -ne 0 ]; then
  echo "SOME TESTS FAILED" >&2
else
  echo "ALL TESTS PASSED"
fi
exit "$status"
