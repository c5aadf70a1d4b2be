#!/usr/bin/env bash
# User bank transfers of quillon-syx over JACK against quillon-jvsim, whose
# answers leave at MIDI's wire speed (3125 bytes/s).
# Pace: Get User All and Send User All, wall time over their floor of
# 544 x delay, at delays 20 and 50; target at most 1.05.
# Fast transfers at delay 50: target under half of the paced time; its ratio to
# the wire time of the 544 requests and the answers (JV 1080 sizes) is printed
# too; each round trip adds JACK periods on top of that.
# Load: process CPU time over wall time while transferring; target under 2 %.
# Needs a running JACK server. Usage: bench/bank_transfer.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-1}
source bench/jvsim_bench.sh
bench_start_sim qbank --wire-speed

blocks=544
request_bytes=15
answer_bytes=$((32 * (64 + 11 + 16 * (19 + 11))))
wire_ms=$(((blocks * request_bytes + answer_bytes) * 1000 / 3125))

# timed OUT COMMAND...: runs a transfer under time(1); the transfer's own
# milliseconds (as the tool reports them) go to OUT.ms, wall/user/system to OUT.time.
timed() {
  local out="$1"
  shift
  { TIMEFORMAT='%R %U %S'; time "$@" >"$out.log" 2>&1; } 2>"$out.time" || true
  sed -n 's/.* blocks in \([0-9]*\) ms.*/\1/p' "$out.log" >"$out.ms"
}

# A whole bank to send: the module's own, fetched once (a loaded JACK server may lose answers).
for _ in 1 2 3; do
  timed "$work/first" "$syx" get-bank "${ports[@]}" --delay 50 --fast --bank user "$work/bank.syx"
  [ -s "$work/first.ms" ] && break
done
[ -s "$work/bank.syx" ] || { echo "could not fetch a whole bank to send"; exit 1; }


declare -A mean
for delay in 20 50; do
  gets=() sends=()
  for r in $(seq "$runs"); do
    timed "$work/get$delay-$r" "$syx" get-bank "${ports[@]}" --delay "$delay" --bank user "$work/b.syx"
    t=$(cat "$work/get$delay-$r.ms")
    [ -n "$t" ] && gets+=("$t") || echo "Get User All at $delay ms lost answers; run left out"
    timed "$work/send$delay-$r" "$syx" send-bank "${ports[@]}" --delay "$delay" --bank user "$work/bank.syx"
    t=$(cat "$work/send$delay-$r.ms")
    [ -n "$t" ] && sends+=("$t")
  done
  report "Get User All  delay $delay" $((blocks * delay)) "${gets[@]}"
  report "Send User All delay $delay" $((blocks * delay)) "${sends[@]}"
  mean[$delay]=$(awk 'BEGIN { n = split(ARGV[1], t, " "); s = 0; for (i = 1; i <= n; i++) s += t[i]; print (n ? s / n : 0) }' "${gets[*]:-}")
done

fasts=()
for r in $(seq "$runs"); do
  timed "$work/fast-$r" "$syx" get-bank "${ports[@]}" --delay 50 --fast --bank user "$work/f.syx"
  t=$(cat "$work/fast-$r.ms")
  [ -n "$t" ] && fasts+=("$t") || echo "fast Get User All lost answers; run left out"
done
if [ "${#fasts[@]}" -gt 0 ]; then
  awk -v paced="${mean[50]}" -v wire="$wire_ms" 'BEGIN {
    n = split(ARGV[1], t, " "); s = 0; for (i = 1; i <= n; i++) s += t[i]; m = s / n
    printf "Get User All  fast, delay 50: mean %.1f ms  fast/paced %.3f (target < 0.5)  fast/wire %.3f (wire %d ms)\n",
           m, (paced > 0 ? m / paced : 0), m / wire, wire
  }' "${fasts[*]}"
fi

# CPU: whole processes; a Get Temp at delay 20 stands for start-up and port
# set-up, and the difference is what the bank transfer's own waiting costs.
timed "$work/base" "$syx" get-temp "${ports[@]}" --delay 20 "$work/t.syx"
cpu() {  # cpu LABEL RUN
  awk -v label="$1" -v run="$(cat "$2.time")" -v base="$(cat "$work/base.time")" 'BEGIN {
    split(run, a, " "); split(base, b, " ")
    printf "%-28s wall %.2f s  CPU %.3f s  whole process %.2f %%  transfer alone %.2f %% (target < 2 %%)\n",
           label, a[1], a[2] + a[3], 100 * (a[2] + a[3]) / a[1],
           100 * (a[2] + a[3] - b[2] - b[3]) / (a[1] - b[1])
  }'
}
cpu "CPU Get User All delay 50" "$work/get50-1"
cpu "CPU Send User All delay 50" "$work/send50-1"
cpu "CPU Get User All fast" "$work/fast-1"
