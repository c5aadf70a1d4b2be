#!/usr/bin/env bash
# Get Temp and Send Temp of quillon-syx over JACK against quillon-jvsim, which
# models the MIDI cable both ways (--wire-speed).
# Floors: a paced transfer's own (each message's cable time, a request's answer
# included, then the delay): Get Temp is a mode data set and 18 requests (part
# 16 twice), Send Temp 17 data sets; fast Get Temp's is the cable's alone.
# Targets: paced <= 1.05 x its floor, fast <= 1.15 x the cable's floor; the CPU
# of a paced Get Temp at delay 500 under 2 % of a core.
# Every figure is 5 runs (min / median / max); runs that lose answers are counted.
# Needs a running JACK server. Usage: bench/transfer_timing.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
source bench/jvsim_bench.sh
bench_start_sim qbench --wire-speed

frame=11
request=15
common=64
part=19
mode=$((frame + 1))
get_floor() { echo $(($(cable_ms $mode) + $1 + $(cable_ms $((request + frame + common))) + $1 +
  17 * ($(cable_ms $((request + frame + part))) + $1))); }
send_floor() { echo $(($(cable_ms $((frame + common))) + $1 + 16 * ($(cable_ms $((frame + part))) + $1))); }
cable_floor=$(awk -v m=$mode -v r=$request -v f=$frame -v c=$common -v p=$part \
  'BEGIN { printf "%d", (m + (r + f + c) + 17 * (r + f + p)) * 0.32 }')

figure() {  # figure LABEL FLOOR TARGET COMMAND...
  local label="$1" floor="$2" target="$3" results=()
  shift 3
  for _ in $(seq "$runs"); do results+=("$(timed_run "$work/run" "$@")"); done
  report "$label" "$floor" "$target" "${results[@]}"
}

for delay in 20 50; do
  figure "Get Temp paced, delay $delay" "$(get_floor "$delay")" 1.05 \
    "$syx" get-temp "${ports[@]}" --delay "$delay" --paced "$work/t.syx"
  figure "Get Temp fast, delay $delay" "$cable_floor" 1.15 \
    "$syx" get-temp "${ports[@]}" --delay "$delay" --fast "$work/t.syx"
  figure "Send Temp, delay $delay" "$(send_floor "$delay")" 1.05 \
    "$syx" send-temp "${ports[@]}" --delay "$delay" "$work/demo.syx" 3
done

# Whole processes at delays 20 and 500; their difference is what the
# transfer's waiting costs, with start-up and port set-up cancelled out.
timed_run "$work/short" "$syx" get-temp "${ports[@]}" --paced --delay 20 "$work/t20.syx" >/dev/null
timed_run "$work/long" "$syx" get-temp "${ports[@]}" --paced --delay 500 "$work/t500.syx" >/dev/null
awk -v s="$(cat "$work/short.time")" -v l="$(cat "$work/long.time")" 'BEGIN {
  split(s, a, " "); split(l, b, " ")
  share = 100 * (b[2] + b[3] - a[2] - a[3]) / (b[1] - a[1])
  printf "%-30s CPU %.2f %% of a core over %.2f s  target < 2 %%  %s\n", "CPU of Get Temp, delay 500",
         share, b[1] - a[1], share < 2 ? "holds" : "DOES NOT HOLD"
}'
