#!/usr/bin/env bash
# Module transfers of quillon-syx: first against the in-process virtual module
# (no server needed), then round trips through quillon-jvsim on JACK.
set -u
syx="$1"
jvsim="$2"
work=$(mktemp -d)
sims=()
cleanup() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
# The user's own settings stay out of reach; tests write their own.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"
failures=0
virtual="Quillon virtual module"

failed() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run CODE -- command...: runs it, keeps stdout+stderr in $out, checks the exit code.
run() {
  local code="$1"
  shift 2
  out=$("$@" 2>&1)
  local status=$?
  [ "$status" -eq "$code" ] || { failed "'$*' exited $status, expected $code"; echo "$out"; }
}
run_quiet() {
  out=$("$@" 2>&1)
  status=$?
}
has() { grep -q -- "$1" <<<"$out" || { failed "output lacks '$1'"; echo "$out"; }; }
timeouts() { grep -c "Your unit is not responding." <<<"$out"; }
# A performance's decoded fields without the heading that names its place.
fields() { "$syx" show "$1" "$2" | tail -n +2; }

"$syx" demo "$work/demo.syx" >/dev/null || failed "demo file not written"

# --- the virtual module, in process ---
run 0 -- "$syx" ports
has "MIDI outputs:"
has "0  $virtual"
run 0 -- "$syx" get-temp --in virtual --out VIRTUAL --type 1080 "$work/v.syx"
has "17 blocks"
run 0 -- "$syx" list "$work/v.syx"
has "Performances: 1"
has "1  Temp  # 1"
run 0 -- "$syx" send-temp --in "$virtual" --out "$virtual" "$work/demo.syx" 3
has "Sent performance 3 \[Split Bass  \]"

# A unit ID the module does not answer to: the timeout once, exit 2, no file.
run 2 -- "$syx" get-temp --in virtual --out virtual --unit-id 18 --delay 20 "$work/none.syx"
[ "$(timeouts)" -eq 1 ] || failed "timeout message shown $(timeouts) times, expected once"
[ ! -e "$work/none.syx" ] || failed "a file was written although the module was silent"

# Defaults come from the settings: unit ID 18 there silences the module again,
# and the command line overrides it.
mkdir -p "$XDG_CONFIG_HOME/Harborlab"
{
  echo "[General]"
  for kv in JVID=18 JVtype=1 EOC=63 EOP=18 Midi_In2=0 Midi_In1=0 Midi_Out=0 SepKB=0 NoteOn=1 SysDly=20 ExpMax=2 \
    ExpP=0 ExpA=0 ExpB=0 ExpC=0 ExpD=0 ExpE=0 ExpF=0 ExpG=0 ExpH=0; do echo "$kv"; done
} >"$XDG_CONFIG_HOME/Harborlab/Quillon.conf"
run 2 -- "$syx" get-temp --in virtual --out virtual "$work/none.syx"
run 0 -- "$syx" get-temp --in virtual --out virtual --unit-id 17 "$work/v17.syx"
# Block sizes that are not the pair of the stored type are refused with it: the defaults stand in.
sed -i 's/^EOP=18$/EOP=25/' "$XDG_CONFIG_HOME/Harborlab/Quillon.conf"
run 0 -- "$syx" get-temp --in virtual --out virtual --unit-id 17 "$work/mixed.syx"
[ "$(stat -c %s "$work/mixed.syx")" -eq 555 ] || failed "mixed block sizes wrote $(stat -c %s "$work/mixed.syx") bytes"
# A settings path that is no regular file is refused, not opened: a FIFO would block the open for good.
rm "$XDG_CONFIG_HOME/Harborlab/Quillon.conf"
mkfifo "$XDG_CONFIG_HOME/Harborlab/Quillon.conf"
run 0 -- timeout 60 "$syx" get-temp --in virtual --out virtual "$work/fifo.syx"
has "is not a regular file"
rm -rf "$XDG_CONFIG_HOME/Harborlab"

# Refusals before anything is sent.
run 1 -- "$syx" get-temp --in nosuch --out virtual "$work/x.syx"
has "no MIDI input is named \"nosuch\""
run 1 -- "$syx" get-temp --in virtual "$work/x.syx"
has "--in and --out"
run 1 -- "$syx" get-temp --in virtual --out virtual --unit-id 33 "$work/x.syx"
has "unit ID"
run 1 -- "$syx" get-temp --in virtual --out virtual --delay 19 "$work/x.syx"
has "delay"
run 1 -- "$syx" get-temp --in virtual --out virtual --type 3000 "$work/x.syx"
has "unknown module type"
run 1 -- "$syx" send-temp --in virtual --out virtual "$work/demo.syx" 9
has "out of range"
run 1 -- "$syx" send-temp --in virtual --out virtual "$work/missing.syx"
[ ! -e "$work/x.syx" ] || failed "a refused command wrote a file"

# Bank names into a folder's User.ini: keys 0..127 with R: values, the other sections kept;
# a silent module leaves the file as it was.
mkdir -p "$work/names"
printf '[User Bank]\n0=U:1 Mine\n' >"$work/names/User.ini"
run 0 -- "$syx" get-names --in virtual --out virtual --fast --bank card --write-ini "$work/names"
has "R:128 "
[ "$(grep -c '^[0-9]*=R:[0-9]* ' "$work/names/User.ini")" -eq 128 ] && grep -q '^0=R:1 ' "$work/names/User.ini" &&
  grep -q '^127=R:128 ' "$work/names/User.ini" && grep -q '^0=U:1 Mine' "$work/names/User.ini" ||
  failed "Card names not written as keys 0..127 beside the User Bank section"
cp "$work/names/User.ini" "$work/names/before.ini"
run 2 -- "$syx" get-names --in virtual --out virtual --unit-id 18 --bank user --write-ini "$work/names"
has "nothing written to User.ini"
cmp -s "$work/names/User.ini" "$work/names/before.ini" || failed "a silent module changed User.ini"
run 1 -- "$syx" store --in virtual --out virtual --bank user --slot 33 "$work/demo.syx"
has "slot \"33\""
run 1 -- "$syx" get-bank --in virtual --out virtual "$work/x.syx"
has "needs --bank"

# --- quillon-jvsim on JACK ---
if ! jack_lsp >/dev/null 2>&1; then
  echo "SKIP: JACK checks: no JACK server answers (jack_lsp failed)"
else
  # start_sim NAME ARGS...: starts jvsim under NAME and waits until its ports are up.
  start_sim() {
    local name="$1"
    shift
    "$jvsim" --api jack --name "$name" "$@" >"$work/$name.log" 2>&1 &
    sims+=($!)
    for _ in $(seq 100); do
      grep -q ready "$work/$name.log" && return 0
      sleep 0.05
    done
    failed "quillon-jvsim $name did not get ready: $(cat "$work/$name.log")"
    return 1
  }
  base="qsyx-$$"
  # retried CMD...: runs a transfer up to three times while it lost answers
  # (exit 3) or read back short (exit 4) on a busy JACK server; must end in 0.
  retried() {
    for try in 1 2 3; do
      run_quiet "$@"
      [ "$status" -ne 3 ] && [ "$status" -ne 4 ] && break
      echo "note: '$1 $2' lost answers on try $try (busy JACK server?)"
    done
    [ "$status" -eq 0 ] || { failed "'$*' exited $status"; echo "$out"; }
  }
  # stop_sim: ends the simulator started last, which saves its User bank when asked to.
  stop_sim() {
    local pid="${sims[-1]}"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  }
  # fetch FILE ARGS...: a Get Temp that must succeed. A non-realtime JACK server
  # on a busy machine drops the MIDI of cycles it misses, so a lost answer is
  # tried again twice (and said so); a fault of ours loses answers every time.
  fetch() {
    local file="$1"
    shift
    for try in 1 2 3; do
      run_quiet "$syx" get-temp "$@" "$file"
      [ "$status" -ne 3 ] && break
      echo "note: Get Temp lost answers on try $try (busy JACK server?)"
    done
    [ "$status" -eq 0 ] || { failed "'get-temp $* $file' exited $status"; echo "$out"; }
  }

  if start_sim "$base-a"; then
    ports=(--in "$base-a-out" --out "$base-a-in" --delay 20)
    run 0 -- "$syx" ports
    has "$base-a-in:in"
    fetch "$work/first.syx" "${ports[@]}"
    fetch "$work/first-fast.syx" "${ports[@]}" --fast
    cmp -s "$work/first.syx" "$work/first-fast.syx" || failed "Get Temp in fast mode fetched other bytes"
    # Another performance goes in and comes back field for field.
    run 0 -- "$syx" send-temp "${ports[@]}" "$work/demo.syx" 3
    fetch "$work/third.syx" "${ports[@]}"
    [ "$(fields "$work/third.syx" 1)" == "$(fields "$work/demo.syx" 3)" ] ||
      failed "performance 3 sent and fetched again differs"
    # The first one goes back and the file comes back byte for byte.
    run 0 -- "$syx" send-temp "${ports[@]}" "$work/first.syx"
    fetch "$work/again.syx" "${ports[@]}"
    cmp -s "$work/first.syx" "$work/again.syx" || failed "Temp performance sent back and fetched again differs"
  fi

  # The JV 2080 blocks are longer: the whole of them goes out and comes back.
  if start_sim "$base-b" --type JV2080 --unit-id 20; then
    ports=(--in "$base-b-out" --out "$base-b-in" --delay 20 --unit-id 20 --type "JV 2080")
    run 0 -- "$syx" send-temp "${ports[@]}" "$work/demo.syx" 5
    fetch "$work/jv2080.syx" "${ports[@]}"
    run 0 -- "$syx" send-temp "${ports[@]}" "$work/jv2080.syx"
    fetch "$work/jv2080-again.syx" "${ports[@]}"
    cmp -s "$work/jv2080.syx" "$work/jv2080-again.syx" || failed "JV 2080: Temp performance round trip differs"
    [ "$(stat -c %s "$work/jv2080.syx" 2>/dev/null || echo 0)" -gt "$(stat -c %s "$work/first.syx" 2>/dev/null || echo 0)" ] ||
      failed "JV 2080 file is not longer than the JV 1080 one"
  fi

  if start_sim "$base-c" --silent; then
    run 2 -- "$syx" get-temp --in "$base-c-out" --out "$base-c-in" "$work/silent.syx"
    [ "$(timeouts)" -eq 1 ] || failed "silent module: timeout message shown $(timeouts) times, expected once"
    [ ! -e "$work/silent.syx" ] || failed "silent module: a file was written"
  fi

  # A part that several ports share names none of them.
  run 1 -- "$syx" get-temp --in "$base" --out "$base-a-in" "$work/x.syx"
  has "is part of several MIDI input names"

  # Every fifth answer lost: reported, and no file.
  if start_sim "$base-d" --drop-every 5; then
    run 3 -- "$syx" get-temp --in "$base-d-out" --out "$base-d-in" --delay 20 "$work/dropped.syx"
    has "of 17 blocks of the Temporary Performance arrived"
    has "nothing written"
    [ ! -e "$work/dropped.syx" ] || failed "lost answers: a file was written"
  fi

  # What arrived decides the exit code. Every second answer lost, the last one too: 3, not 2.
  if start_sim "$base-e" --drop-every 2; then
    run 3 -- "$syx" get-temp --in "$base-e-out" --out "$base-e-in" --delay 20 "$work/halves.syx"
    has "missing: "
  fi
  # Only the answer to the repeated request for part 16 lost: all 17 blocks came.
  if start_sim "$base-f" --drop-every 18; then
    fetch "$work/spare.syx" --in "$base-f-out" --out "$base-f-in" --delay 20
    [ "$(timeouts)" -eq 0 ] || failed "all 17 blocks came, yet the module was reported silent"
  fi

  # A silent module behind a MIDI loop: its own requests come back. They are no data.
  if start_sim "$base-g" --silent --echo; then
    run 2 -- "$syx" get-temp --in "$base-g-out" --out "$base-g-in" --delay 20 "$work/echo.syx"
    has "ignored, the last: a data request, not data"
    [ ! -e "$work/echo.syx" ] || failed "echoed requests were saved as a performance"
  fi
  # Answers with a spoilt checksum are ignored; a JV 1080 asked for JV 2080 blocks answers them short.
  if start_sim "$base-h" --corrupt-every 3; then
    run 3 -- "$syx" get-temp --in "$base-h-out" --out "$base-h-in" --delay 20 "$work/corrupt.syx"
    has "the last: bad checksum"
  fi
  if start_sim "$base-l"; then
    run 2 -- "$syx" get-temp --in "$base-l-out" --out "$base-l-in" --delay 20 --type 2080 "$work/short.syx"
    has "shorter than requested (is the module type right?): "
  fi
  [ ! -e "$work/corrupt.syx" ] && [ ! -e "$work/short.syx" ] || failed "a file was written from bad answers"

  # A note from the module is shown, never passed back: in a loop it would bounce for good.
  if start_sim "$base-i" --play-note -v; then
    fetch "$work/note.syx" --in "$base-i-out" --out "$base-i-in" --delay 20
    grep -q "note played" "$work/$base-i.log" && ! grep -q "(short message)" "$work/$base-i.log" ||
      failed "no note played, or quillon-syx passed it back (MIDI thru)"
  fi

  # A data set has no answer: only --verify finds a module that stored nothing.
  if start_sim "$base-j"; then
    ports=(--in "$base-j-out" --out "$base-j-in" --delay 20)
    for try in 1 2 3; do
      run_quiet "$syx" send-temp --verify "${ports[@]}" "$work/demo.syx" 3
      [ "$status" -ne 4 ] && break
      echo "note: send-temp --verify lost messages on try $try (busy JACK server?)"
    done
    [ "$status" -eq 0 ] || { failed "send-temp --verify exited $status"; echo "$out"; }
    has "Read back: the module holds what was sent."
    run 2 -- "$syx" send-temp --verify "${ports[@]}" --unit-id 18 "$work/demo.syx" 4
    has "the module may not hold what was sent"
  fi
  if start_sim "$base-k" --lose-every 2; then
    run 4 -- "$syx" send-temp --verify --in "$base-k-out" --out "$base-k-in" --delay 20 "$work/demo.syx" 3
    has "these differ from what was sent: part"
  fi
  # Banks: what the module holds arrives byte for byte at both sizes, paced and
  # fast; a bank sent is what a fetch reads back; a stored Card slot 32 is held.
  if start_sim "$base-m" --load "$work/demo.syx" --save "$work/m-held.syx"; then
    ports=(--in "$base-m-out" --out "$base-m-in" --delay 20)
    retried "$syx" get-bank "${ports[@]}" --bank user "$work/m-paced.syx"
    retried "$syx" get-bank "${ports[@]}" --fast --bank user "$work/m-fast.syx"
    retried "$syx" store "${ports[@]}" --verify --bank card --slot 32 "$work/demo.syx" 5
    has "Read back: the module holds what was sent."
    stop_sim
    cmp -s "$work/m-paced.syx" "$work/m-held.syx" || failed "JV 1080: the bank fetched differs from the module's"
    cmp -s "$work/m-fast.syx" "$work/m-paced.syx" || failed "fast mode fetched other bytes than paced mode"
  fi
  if start_sim "$base-n" --type JV2080 --unit-id 20 --save "$work/n-held.syx"; then
    ports=(--in "$base-n-out" --out "$base-n-in" --delay 20 --unit-id 20 --type 2080)
    retried "$syx" get-bank "${ports[@]}" --fast --bank user "$work/n-first.syx"
    retried "$syx" send-bank "${ports[@]}" --verify --bank user "$work/demo.syx"
    retried "$syx" send-bank "${ports[@]}" --bank user "$work/n-first.syx"
    retried "$syx" get-bank "${ports[@]}" --fast --bank user "$work/n-again.syx"
    stop_sim
    cmp -s "$work/n-again.syx" "$work/n-first.syx" || failed "JV 2080: the bank sent back reads back otherwise"
    cmp -s "$work/n-again.syx" "$work/n-held.syx" || failed "JV 2080: the bank fetched differs from the module's"
  fi
  if start_sim "$base-o" --silent; then
    run 2 -- "$syx" get-bank --in "$base-o-out" --out "$base-o-in" --delay 20 --bank card "$work/o.syx"
    [ "$(timeouts)" -eq 1 ] || failed "silent module: bank timeout shown $(timeouts) times, expected once"
    [ ! -e "$work/o.syx" ] || failed "silent module: a bank file was written"
  fi
  if start_sim "$base-p" --drop-every 50; then
    run 3 -- "$syx" get-bank --in "$base-p-out" --out "$base-p-in" --delay 20 --bank user "$work/p.syx"
    has "incomplete: performance(s) 3, "
    [ ! -e "$work/p.syx" ] || failed "lost bank answers: a file was written"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all quillon-syx transfer checks passed"
