# Starts a JACK server on the dummy driver for the MIDI integration tests
# (no sound hardware needed) unless one already runs; stops only the one it started.

QUILLON_JACK_PID=""

quillon_start_jack() {
  if ! command -v jackd >/dev/null 2>&1; then
    echo "jackd not found: JACK integration tests will skip" >&2
    return 0
  fi
  if command -v jack_lsp >/dev/null 2>&1 && jack_lsp >/dev/null 2>&1; then
    echo "Using the JACK server that already runs"
    return 0
  fi
  jackd --no-realtime -d dummy -r 48000 -p 256 >/tmp/quillon-jackd.log 2>&1 &
  QUILLON_JACK_PID=$!
  local i
  for i in $(seq 1 50); do
    if jack_lsp >/dev/null 2>&1; then
      echo "Started JACK dummy server (pid $QUILLON_JACK_PID)"
      return 0
    fi
    sleep 0.1
  done
  echo "JACK did not start (see /tmp/quillon-jackd.log): JACK integration tests will skip" >&2
}

quillon_stop_jack() {
  if [ -n "$QUILLON_JACK_PID" ]; then
    kill "$QUILLON_JACK_PID" 2>/dev/null || true
    wait "$QUILLON_JACK_PID" 2>/dev/null || true
    QUILLON_JACK_PID=""
  fi
}
