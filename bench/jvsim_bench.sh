# Shared by the transfer benchmarks: quillon-jvsim on JACK under a name of its
# own, a settings folder of the run's own, a demo file, and the report line.
# Source it after setting `build`; then call bench_start_sim PREFIX [JVSIM ARGS].

syx="$build/tools/quillon-syx/quillon-syx"
jvsim="$build/tools/quillon-jvsim/quillon-jvsim"

bench_start_sim() {
  local prefix="$1"
  shift
  jack_lsp >/dev/null 2>&1 || { echo "no JACK server answers (jack_lsp failed)"; exit 1; }
  work=$(mktemp -d)
  name="$prefix-$$"
  "$jvsim" --api jack --name "$name" "$@" >"$work/jvsim.log" 2>&1 &
  sim=$!
  trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$work"' EXIT
  for _ in $(seq 100); do grep -q ready "$work/jvsim.log" && break; sleep 0.05; done
  export XDG_CONFIG_HOME="$work/config"
  ports=(--in "$name-out" --out "$name-in")
  "$syx" demo "$work/demo.syx" >/dev/null
}

# MIDI's DIN cable: 320 microseconds a byte. cable_ms BYTES: whole ms, rounded up
# as the program rounds its waits.
cable_ms() { echo $((($1 * 320 + 999) / 1000)); }

# timed_run OUT COMMAND...: one transfer; its own milliseconds (as the tool
# reports them) are printed, or "lost" when it did not end whole (exit code and
# output kept in OUT.log); wall, user and system seconds go to OUT.time.
timed_run() {
  local out="$1" status=0
  shift
  { TIMEFORMAT='%R %U %S'; time "$@" >"$out.log" 2>&1 || status=$?; } 2>"$out.time"
  if [ "$status" -eq 0 ]; then sed -n 's/.* blocks in \([0-9]*\) ms.*/\1/p' "$out.log"; else echo lost; fi
}

# report LABEL FLOOR_MS TARGET RESULTS...: one line for a figure over its runs:
# min / median / max, the floor, median over floor, the target ratio and
# whether it holds. Runs that lost answers are counted and named, never
# dropped silently; a ratio below 1 cannot happen on a cable and is flagged.
report() {
  local label="$1" floor="$2" target="$3"
  shift 3
  printf '%s\n' "$@" | awk -v label="$label" -v floor="$floor" -v target="$target" '
    $1 == "lost" { lost++; next }
    { t[++n] = $1 }
    END {
      if (n == 0) { printf "%-30s every run (%d) lost answers\n", label, lost; exit }
      for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (t[j] < t[i]) { x = t[i]; t[i] = t[j]; t[j] = x }
      med = t[int((n + 1) / 2)]; r = med / floor
      verdict = r < 1 ? "MEASUREMENT ERROR: below the floor" : (r <= target ? "holds" : "DOES NOT HOLD")
      printf "%-30s min %6d  median %6d  max %6d ms  floor %6d ms  ratio %.3f  target <= %.2f  %s  (%d runs, %d lost answers)\n",
             label, t[1], med, t[n], floor, r, target, verdict, n, lost + 0
    }'
}
