#!/usr/bin/env bash
# Start-up time (process start to main window shown; target under 0.5 s), with
# and without a 32-performance file given at start, and resident memory.
# Idle, once on the built-in virtual module and once with JACK ports open to
# quillon-jvsim: CPU (target under 0.5 % of a core), private dirty memory
# (what the process itself wrote: target under 60 MB; shared libraries and
# the JACK server's shared memory do not count), threads, whether a JACK
# client was made (none on the virtual module), and the time from File > Exit
# to the end of the process (target under 0.5 s).
# Runs under xvfb when no display is there. Usage: bench/startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
quillon=build/src/app/quillon
syx=build/tools/quillon-syx/quillon-syx
work=$(mktemp -d)
sim=""
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"' EXIT
cp data/*.ini "$work/"
"$syx" demo "$work/demo8.syx" >/dev/null
# 32 performances: the demo bank four times, renumbered by the reader's order.
cat "$work/demo8.syx" "$work/demo8.syx" "$work/demo8.syx" "$work/demo8.syx" >"$work/bank32.syx"
export XDG_CONFIG_HOME="$work/config"
measure() {
  cd "$work"
  local start out shown
  start=$(date +%s%N)
  out=$("$OLDPWD/$quillon" "$@" --report-startup 2>/dev/null)
  shown=$(sed -n 's/^shown_at_ns=//p' <<<"$out")
  echo "$(( (shown - start) / 1000000 )) $(sed -n 's/^rss=//p' <<<"$out" | tr -s ' ')"
  cd "$OLDPWD"
}

run_all() {  # run_all LABEL [FILE]
  local label="$1" times=() line rss=""
  shift
  for _ in $(seq "$runs"); do
    line=$(measure "$@")
    times+=("${line%% *}")
    rss="${line#* }"
  done
  printf '%s\n' "${times[@]}" | sort -n | awk -v label="$label" -v rss="$rss" \
    '{a[NR]=$1} END {printf "%-24s median %d ms, max %d ms, RSS %s\n", label, a[int((NR+1)/2)], a[NR], rss}'
}

if [ -z "${DISPLAY:-}" ] && [ -z "${QUILLON_IN_XVFB:-}" ]; then
  QUILLON_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
measure >/dev/null  # the first run writes the default settings
run_all "empty start"
run_all "32-perf file" "$work/bank32.syx"

# idle LABEL: the program left alone; its CPU, memory, threads, JACK client and exit time.
idle_settle_s=4   # ports open, splash gone
idle_window_s=10
idle() {
  local label="$1" pid before after dirty threads client ended exit_at
  cd "$work"
  "$OLDPWD/$quillon" --exit-after $(((idle_settle_s + idle_window_s) * 1000 + 500)) >"$work/idle.out" 2>"$work/idle.err" &
  pid=$!
  cd "$OLDPWD"
  sleep "$idle_settle_s"
  # CPU time in ns of all its threads (the scheduler's count: finer than clock ticks).
  ticks() { cat /proc/"$pid"/task/*/schedstat | awk '{s += $1} END {printf "%d", s}'; }
  before=$(ticks)
  sleep "$idle_window_s"
  after=$(ticks)
  dirty=$(awk '/^Private_Dirty:/ {print $2}' "/proc/$pid/smaps_rollup")
  threads=$(awk '/^Threads:/ {print $2}' "/proc/$pid/status")
  # A JACK client maps the server's shared memory.
  client=$(grep -c "/dev/shm/jack" "/proc/$pid/maps" || true)
  wait "$pid"
  ended=$(date +%s%N)
  exit_at=$(sed -n 's/^exit_at_ns=//p' "$work/idle.out")
  grep -q "Midi Closed\|could not be opened" "$work/idle.err" && echo "note: the ports did not open"
  awk -v label="$label" -v d=$((after - before)) -v s="$idle_window_s" -v p="$dirty" -v t="$threads" -v c="$client" \
    -v e=$(((ended - exit_at) / 1000000)) 'BEGIN {
      cpu = 100 * d / 1e9 / s
      printf "%-24s CPU %.2f %% of a core over %d s (target < 0.5 %%: %s), private dirty %.1f MB (target < 60 MB: %s), %d threads, JACK memory mapped %d times, exit %d ms (target < 500: %s)\n",
             label, cpu, s, cpu < 0.5 ? "holds" : "DOES NOT HOLD", p / 1024, p < 60 * 1024 ? "holds" : "DOES NOT HOLD",
             t, c, e, e < 500 ? "holds" : "DOES NOT HOLD"
    }'
}
idle "idle, virtual module"

if ! jack_lsp >/dev/null 2>&1; then
  echo "JACK idle: skipped (no JACK server; scripts/jack.sh starts one)"
  exit 0
fi
jvsim=build/tools/quillon-jvsim/quillon-jvsim
name="qbench-$$"
"$jvsim" --api jack --name "$name" >"$work/jvsim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q ready "$work/jvsim.log" && break; sleep 0.05; done
conf="$XDG_CONFIG_HOME/Harborlab/Quillon.conf"
sed -i '/^Midi_In1Name=/d; /^Midi_OutName=/d' "$conf"
sed -i "s/^\[General\]$/[General]\nMidi_In1Name=$name-out:out\nMidi_OutName=$name-in:in/" "$conf"
idle "idle, JACK ports open"
