#!/usr/bin/env bash
# Get Temp and Send Temp of quillon-syx over JACK against quillon-jvsim.
# Pace: transfer wall time over its floor (19 x delay for Get Temp, 17 x delay
# for Send Temp) at delays 20 and 50; target below 1.05.
# Load: process CPU time over wall time during a Get Temp at delay 500;
# target under 2 %. Printed for the whole process and for the transfer alone.
# Needs a running JACK server. Usage: bench/transfer_timing.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
source bench/jvsim_bench.sh
bench_start_sim qbench

# elapsed COMMAND...: the transfer's own milliseconds as the tool reports them.
elapsed() { "$@" 2>/dev/null | sed -n 's/.* blocks in \([0-9]*\) ms.*/\1/p'; }

for delay in 20 50; do
  gets=() sends=()
  for _ in $(seq "$runs"); do
    t=$(elapsed "$syx" get-temp "${ports[@]}" --delay "$delay" "$work/t.syx")
    [ -n "$t" ] && gets+=("$t") || echo "Get Temp at $delay ms lost answers; run left out"
    t=$(elapsed "$syx" send-temp "${ports[@]}" --delay "$delay" "$work/demo.syx" 3)
    [ -n "$t" ] && sends+=("$t")
  done
  report "Get Temp  delay $delay" $((19 * delay)) "${gets[@]}"
  report "Send Temp delay $delay" $((17 * delay)) "${sends[@]}"
done

# Whole processes (start-up included) at delays 20 and 500; their difference
# is the cost of the transfer's waiting, with start-up and port set-up cancelled out.
TIMEFORMAT='%R %U %S'
measure() { { time "$syx" get-temp "${ports[@]}" --delay "$1" "$work/t$1.syx" >/dev/null 2>&1; } 2>&1; }
short=$(measure 20)
long=$(measure 500)
awk -v s="$short" -v l="$long" 'BEGIN {
  split(s, a, " "); split(l, b, " ")
  printf "Get Temp  delay 500    wall %.2f s  CPU %.3f s (user %.3f, system %.3f)  whole process CPU/wall %.2f %%\n",
         b[1], b[2] + b[3], b[2], b[3], 100 * (b[2] + b[3]) / b[1]
  printf "Get Temp  delay 20     wall %.2f s  CPU %.3f s\n", a[1], a[2] + a[3]
  printf "During the transfer (500 minus 20): CPU %.3f s over %.2f s wall = %.2f %%\n",
         b[2] + b[3] - a[2] - a[3], b[1] - a[1], 100 * (b[2] + b[3] - a[2] - a[3]) / (b[1] - a[1])
}'
