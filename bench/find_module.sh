#!/usr/bin/env bash
# Find Module's search time: quillon-syx find over JACK at delay 20, against
# quillon-jvsim at unit ID 23 and three silent ones, one output per run (a
# search of every output would also ask whatever else is on the server).
# Floor: the paced requests of an output (the identity request and 16 unit
# IDs, 17 x delay); each run adds opening every input and a short wait for
# late answers. Target: one output under 2 s.
# Needs a running JACK server. Usage: bench/find_module.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-3}
delay=20
source bench/jvsim_bench.sh
bench_start_sim qfind --unit-id 23
silent=()
for i in 1 2 3; do
  "$jvsim" --api jack --name "$name-s$i" --silent >"$work/s$i.log" 2>&1 &
  silent+=($!)
done
trap 'kill $sim "${silent[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
for i in 1 2 3; do for _ in $(seq 100); do grep -q ready "$work/s$i.log" && break; sleep 0.05; done; done

# searched ARGS...: the search's own milliseconds as the tool reports them.
# A silent output ends with exit 2 (nothing answered): a result like any other here.
searched() { { "$syx" find "$@" --delay "$delay" 2>/dev/null || true; } | sed -n 's/^Searched .* in \([0-9]*\) ms.*/\1/p'; }
one=() four=()
for _ in $(seq "$runs"); do
  one+=("$(searched --out "$name-in")")
  t=0
  for out in "$name-in" "$name-s1-in" "$name-s2-in" "$name-s3-in"; do t=$((t + $(searched --out "$out"))); done
  four+=("$t")
done
report "find: one output" $((17 * delay)) "${one[@]}"
report "find: 4 outputs, one by one" $((4 * 17 * delay)) "${four[@]}"
