# Starts a JACK server on the dummy driver for the MIDI integration tests
# (no sound hardware needed) unless one already runs; stops only the one it started.

QUILLON_JACK_PID=""

# A test run that cannot run its MIDI tests fails and says why; QUILLON_SKIP_JACK=1
# opts out on purpose (the summary says so).
quillon_start_jack() {
  if [ "${QUILLON_SKIP_JACK:-0}" = 1 ]; then
    echo "QUILLON_SKIP_JACK=1: the JACK integration tests skip" >&2
    return 0
  fi
  if ! command -v jackd >/dev/null 2>&1; then
    echo "jackd not found: install jackd2, or set QUILLON_SKIP_JACK=1 to skip the JACK tests" >&2
    return 1
  fi
  if command -v jack_lsp >/dev/null 2>&1 && jack_lsp >/dev/null 2>&1; then
    echo "Using the JACK server that already runs"
    return 0
  fi
  quillon_try_jack && return 0
  # A server that died leaves its registry in shared memory, and a new one may
  # refuse to start beside it: with no server running, clear it and try once more.
  if ! pgrep -x jackd >/dev/null 2>&1; then
    rm -f /dev/shm/jack_sem.* /dev/shm/jack-* 2>/dev/null || true
    quillon_try_jack && return 0
  fi
  echo "JACK did not start (see /tmp/quillon-jackd.log); set QUILLON_SKIP_JACK=1 to skip the JACK tests" >&2
  return 1
}

quillon_try_jack() {
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
  kill "$QUILLON_JACK_PID" 2>/dev/null || true
  wait "$QUILLON_JACK_PID" 2>/dev/null || true
  QUILLON_JACK_PID=""
  return 1
}

quillon_stop_jack() {
  if [ -n "$QUILLON_JACK_PID" ]; then
    kill "$QUILLON_JACK_PID" 2>/dev/null || true
    wait "$QUILLON_JACK_PID" 2>/dev/null || true
    QUILLON_JACK_PID=""
  fi
}
