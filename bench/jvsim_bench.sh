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

report() {  # report LABEL FLOOR_MS TIMES...
  local label="$1" floor="$2"
  shift 2
  [ "$#" -gt 0 ] || { echo "$label: every run lost answers"; return; }
  awk -v label="$label" -v floor="$floor" 'BEGIN {
    n = split(ARGV[1], t, " "); worst = 0; sum = 0
    for (i = 1; i <= n; i++) { sum += t[i]; if (t[i] > worst) worst = t[i] }
    printf "%-28s floor %6d ms  mean %8.1f ms  worst %6d ms  mean/floor %.3f  worst/floor %.3f  (%d runs)\n",
           label, floor, sum / n, worst, sum / n / floor, worst / floor, n
  }' "$*"
}
