#!/usr/bin/env bash
# User bank transfers of quillon-syx over JACK against quillon-jvsim, which
# models the MIDI cable both ways (--wire-speed: 320 us a byte, a small
# receive buffer).
# Floors: the cable's (every request and answer byte carried one after the
# other: what no transfer can beat) and a paced transfer's own (each message's
# cable time, a request's answer included, then the delay).
# Targets: Get User All fast <= 1.15 x the cable's floor; paced Get and Send
# <= 1.05 x their own floor; Send User All with 500 more JACK ports in the graph
# <= 1.05 x its floor; CPU of the transfer alone under 2 % of a core.
# Every figure is 5 runs (min / median / max); runs that lose answers are counted.
# Needs a running JACK server. Usage: bench/bank_transfer.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
source bench/jvsim_bench.sh
bench_start_sim qbank --wire-speed

# JV 1080 sizes: 32 performances of a common block and 16 part blocks.
performances=32
parts=16
common=64
part=19
frame=11   # header, checksum and F7 of a data set
request=15
cable_floor=$(awk -v n=$performances -v p=$parts -v c=$common -v q=$part -v f=$frame -v r=$request \
  'BEGIN { printf "%d", n * ((r + f + c) + p * (r + f + q)) * 0.32 }')
paced_get_floor() { echo $((performances * ($(cable_ms $((request + frame + common))) + $1 +
  parts * ($(cable_ms $((request + frame + part))) + $1)))); }
paced_send_floor() { echo $((performances * ($(cable_ms $((frame + common))) + $1 +
  parts * ($(cable_ms $((frame + part))) + $1)))); }

# A whole bank to send: the module's own.
for _ in 1 2 3; do
  [ "$(timed_run "$work/first" "$syx" get-bank "${ports[@]}" --fast --bank user "$work/bank.syx")" != lost ] && break
done
[ -s "$work/bank.syx" ] || { echo "could not fetch a whole bank to send"; exit 1; }

figure() {  # figure LABEL FLOOR TARGET COMMAND...: RUNS runs of COMMAND, reported
  local label="$1" floor="$2" target="$3" results=() r
  shift 3
  for r in $(seq "$runs"); do results+=("$(timed_run "$work/run" "$@")"); done
  cp "$work/run.time" "$work/$(tr -c 'a-zA-Z0-9' _ <<<"$label").time"
  report "$label" "$floor" "$target" "${results[@]}"
}

# Each round trip through JACK waits for up to two of its cycles (our output is
# queued for the next cycle, and so is the simulator's answer): the share of
# the fast figure that no cable has and no sender can save.
period_ms=$(awk -v f="$(jack_bufsize 2>/dev/null || echo 0)" -v r="$(jack_samplerate 2>/dev/null || echo 48000)" \
  'BEGIN { printf "%.2f", 1000 * f / r }')
echo "JACK period $period_ms ms: up to $(awk -v p="$period_ms" -v n=$((performances * (parts + 1))) \
  'BEGIN { printf "%d", 2 * p * n }') ms of JACK cycles over the $((performances * (parts + 1))) round trips of a fetch"

for delay in 20 50; do
  figure "Get User All fast, delay $delay" "$cable_floor" 1.15 \
    "$syx" get-bank "${ports[@]}" --delay "$delay" --fast --bank user "$work/b.syx"
  figure "Get User All paced, delay $delay" "$(paced_get_floor "$delay")" 1.05 \
    "$syx" get-bank "${ports[@]}" --delay "$delay" --paced --bank user "$work/b.syx"
  figure "Send User All, delay $delay" "$(paced_send_floor "$delay")" 1.05 \
    "$syx" send-bank "${ports[@]}" --delay "$delay" --bank user "$work/bank.syx"
done

# The same send with 500 more ports in the graph: a port looked up per message
# would scan them all every time.
"$build/bench/jack_ports" 500 >"$work/ports.log" 2>&1 &
crowd=$!
for _ in $(seq 100); do grep -q ready "$work/ports.log" && break; sleep 0.05; done
echo "JACK ports in the graph: $(jack_lsp | wc -l)"
figure "Send User All, 500 ports" "$(paced_send_floor 20)" 1.05 \
  "$syx" send-bank "${ports[@]}" --delay 20 --bank user "$work/bank.syx"
kill "$crowd"
wait "$crowd" 2>/dev/null || true

# CPU of the transfer alone: a paced fetch at delay 50 less a Get Temp (start-up
# and port set-up), both whole processes.
timed_run "$work/base" "$syx" get-temp "${ports[@]}" --delay 20 "$work/t.syx" >/dev/null
awk -v run="$(cat "$work/Get_User_All_paced__delay_50_.time")" -v base="$(cat "$work/base.time")" 'BEGIN {
  split(run, a, " "); split(base, b, " ")
  share = 100 * (a[2] + a[3] - b[2] - b[3]) / (a[1] - b[1])
  printf "%-30s CPU %.2f %% of a core over %.1f s  target < 2 %%  %s\n", "CPU of Get User All paced",
         share, a[1] - b[1], share < 2 ? "holds" : "DOES NOT HOLD"
}'
