#!/usr/bin/env bash
# Start-up time (process start to main window shown; target under 0.5 s) and
# resident memory after opening a 32-performance file (target under 80 MB).
# Runs under xvfb when no display is there. Usage: bench/startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
quillon=build/src/app/quillon
syx=build/tools/quillon-syx/quillon-syx
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
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
run_all "32-perf file (+2 s splash)" "$work/bank32.syx"
