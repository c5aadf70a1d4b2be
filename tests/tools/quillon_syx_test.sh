#!/usr/bin/env bash
# Command-line behaviour of quillon-syx: outputs and exit codes.
set -u
syx="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() {  # expect CODE PATTERN -- command...
  local code="$1" pattern="$2"
  shift 3
  local out status
  out=$("$@" 2>&1)
  status=$?
  if [ "$status" -ne "$code" ]; then
    echo "FAIL: '$*' exited $status, expected $code"; echo "$out"; failures=$((failures + 1)); return
  fi
  if ! grep -q -- "$pattern" <<<"$out"; then
    echo "FAIL: '$*' output lacks '$pattern'"; echo "$out"; failures=$((failures + 1))
  fi
}

expect 0 "show FILE N" -- "$syx" --help
expect 1 "Usage" -- "$syx"
expect 1 "no such file" -- "$syx" list "$work/missing.syx"
expect 1 "folder" -- "$syx" list "$work"
# Only regular files are read: a pipe without a writer or an endless device is named
# at once (the timeout only keeps a hang from stopping the whole run).
mkfifo "$work/pipe.syx"
expect 1 "named pipe (FIFO), not a file" -- timeout 60 "$syx" list "$work/pipe.syx"
expect 1 "named pipe (FIFO), not a file" -- timeout 60 "$syx" show "$work/pipe.syx" 1
expect 1 "/dev/zero\": it is a device, not a file" -- timeout 60 "$syx" list /dev/zero
expect 1 "it is a device, not a file" -- timeout 60 "$syx" show /dev/zero 1
expect 1 "it is a folder, not a file" -- "$syx" show "$work" 1
rm "$work/pipe.syx"
# A file far larger than any dump is refused before it is read.
truncate -s 100M "$work/huge.syx"
expect 1 "more than the 64 MB" -- "$syx" list "$work/huge.syx"
rm "$work/huge.syx"
expect 0 "Wrote 8 performances" -- "$syx" demo "$work/demo.syx"
expect 0 "Performances: 8" -- "$syx" list "$work/demo.syx"
expect 0 "3  User  # 3  \[Split Bass  \]  offset 1110" -- "$syx" list "$work/demo.syx"
expect 0 "Performance 3 (User #3): \[Split Bass  \]" -- "$syx" show "$work/demo.syx" 3
expect 0 "Tempo: 120" -- "$syx" show "$work/demo.syx" 8
expect 1 "out of range" -- "$syx" show "$work/demo.syx" 9
expect 1 "out of range" -- "$syx" show "$work/demo.syx" 0
expect 1 "out of range" -- "$syx" show "$work/demo.syx" two
# A byte of 80h or more inside a part message: that block is not taken, and the list says why.
cp "$work/demo.syx" "$work/high.syx"
printf '\x90' | dd of="$work/high.syx" bs=1 seek=$((75 + 2 * 30 + 9 + 6)) conv=notrunc status=none
expect 0 "1  User  # 1  \[Jazz Trio   \]  offset 0  (incomplete: part 3 holds the byte 90h)" -- "$syx" list "$work/high.syx"
expect 0 "Incomplete: part 3 holds the byte 90h" -- "$syx" show "$work/high.syx" 1

# Saving over a file replaces its bytes only: its mode, a link to it, its other names stay.
chmod 600 "$work/demo.syx"
expect 0 "Wrote 8" -- "$syx" demo "$work/demo.syx"
[ "$(stat -c %a "$work/demo.syx")" = 600 ] || { echo "FAIL: mode 600 became $(stat -c %a "$work/demo.syx")"; failures=$((failures + 1)); }
ln -s demo.syx "$work/link.syx"
ln "$work/demo.syx" "$work/other-name.syx"
printf 'old' >"$work/demo.syx"
expect 0 "Wrote 8" -- "$syx" demo "$work/link.syx"
[ -L "$work/link.syx" ] || { echo "FAIL: the symbolic link became a plain file"; failures=$((failures + 1)); }
cmp -s "$work/demo.syx" "$work/other-name.syx" && [ "$(stat -c %s "$work/demo.syx")" -gt 3 ] ||
  { echo "FAIL: the file's other name did not get the new bytes"; failures=$((failures + 1)); }
[ "$(ls -A "$work" | wc -l)" -eq 4 ] || { echo "FAIL: files left behind: $(ls -A "$work")"; failures=$((failures + 1)); }

# A save of a file with two names, killed at each step: the file is the old one
# or the new one, and the next save removes what the cut one left beside it.
# Every step of the save on the file itself is slowed down, and the kill comes
# later each time, so that it lands on each step in turn.
if command -v strace >/dev/null 2>&1; then
  "$syx" demo "$work/new.syx" >/dev/null
  cuts=0
  for at in $(seq 0.02 0.02 0.6); do
    printf 'old' >"$work/linked.syx"
    ln -f "$work/linked.syx" "$work/second-name.syx"
    strace -f -qq -o /dev/null -P "$work/linked.syx" -e trace=openat,write,pwrite64,ftruncate,fsync,rename,close \
      -e inject=openat,write,pwrite64,ftruncate,fsync,rename,close:delay_enter=20000 \
      "$syx" demo "$work/linked.syx" >/dev/null 2>&1 &
    tracer=$!
    sleep "$at"
    saver=$(pgrep -P "$tracer")
    [ -n "$saver" ] && kill -9 "$saver" 2>/dev/null && cuts=$((cuts + 1))
    wait "$tracer" 2>/dev/null
    if ! cmp -s "$work/linked.syx" "$work/new.syx" && [ "$(cat "$work/linked.syx")" != old ]; then
      echo "FAIL: a save killed after ${at}s left the file neither old nor new ($(stat -c %s "$work/linked.syx") bytes)"
      failures=$((failures + 1))
    fi
    "$syx" demo "$work/linked.syx" >/dev/null
    cmp -s "$work/second-name.syx" "$work/new.syx" || { echo "FAIL: the second name lost the file"; failures=$((failures + 1)); }
  done
  [ "$cuts" -gt 0 ] || { echo "FAIL: no save was cut short"; failures=$((failures + 1)); }
  leftovers=$(ls -A "$work" | grep -c '^\.linked\.syx\.tmp')
  [ "$leftovers" -eq 0 ] || { echo "FAIL: $leftovers leftover(s) of cut saves stayed"; failures=$((failures + 1)); }
  rm -f "$work/linked.syx" "$work/second-name.syx" "$work/new.syx"
else
  echo "note: no strace: saves cut short are not checked"
fi

# A read-only file is not replaced (the program asks; the tool cannot).
printf 'keep' >"$work/locked.syx"
chmod 444 "$work/locked.syx"
expect 1 "it is read-only; it was left as it was" -- "$syx" demo "$work/locked.syx"
[ "$(cat "$work/locked.syx")" = keep ] || { echo "FAIL: a read-only file was replaced"; failures=$((failures + 1)); }
rm -f "$work/locked.syx"

printf 'not a sysex file\n' >"$work/text.syx"
expect 1 "no performances found" -- "$syx" list "$work/text.syx"
expect 1 "no performances found" -- "$syx" show "$work/text.syx" 1

# A dump goes into a Standard MIDI File and back byte for byte; every command reads either.
expect 0 "Wrote 136 SysEx messages (.* bytes) to $work/demo.mid as a Standard MIDI File, 40 ms apart" -- \
  "$syx" convert "$work/demo.syx" "$work/demo.mid" --delay 40
expect 0 "MIDI file: 136 SysEx messages from 1 track" -- "$syx" list "$work/demo.mid"
expect 0 "Performance 3 (User #3): \[Split Bass  \]" -- "$syx" show "$work/demo.mid" 3
expect 0 "Wrote 136 SysEx messages (4440 bytes) to $work/back.syx" -- "$syx" convert "$work/demo.mid" "$work/back.syx"
cmp -s "$work/demo.syx" "$work/back.syx" || { echo "FAIL: .syx -> .mid -> .syx changed the bytes"; failures=$((failures + 1)); }
expect 1 "end it in .syx, .mid or .midi" -- "$syx" convert "$work/demo.syx" "$work/demo.txt"
expect 1 "20..500" -- "$syx" convert "$work/demo.syx" "$work/slow.mid" --delay 10

# In words: show --format, diff and their exit codes, with the shipped name lists.
data="$(cd "$(dirname "$0")/../../data" && pwd)"
expect 0 "patch: Preset A 034 Klavinet" -- "$syx" show "$work/demo.syx" 3 --format text --data "$data"
expect 0 "^Part 16$" -- "$syx" show "$work/demo.syx" --format text
expect 1 "text or json" -- "$syx" show "$work/demo.syx" 3 --format xml
"$syx" show "$work/demo.syx" --format json --data "$data" >"$work/words.json"
python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); assert len(d) == 8 and d[2]["rows"][0]["value"] == "Split Bass"' \
  "$work/words.json" || { echo "FAIL: show --format json is no list of 8 performances"; failures=$((failures + 1)); }
expect 0 "The performances are equal." -- "$syx" diff "$work/demo.syx:2" "$work/demo.mid:2"
expect 1 "^Performance name .* Split Bass$" -- "$syx" diff "$work/demo.syx:2" "$work/demo.syx:3" --data "$data"
expect 1 "differences$" -- "$syx" diff "$work/demo.syx" "$work/demo.syx:3"
expect 2 "out of range: the file holds 1..8" -- "$syx" diff "$work/demo.syx:9" "$work/demo.syx"
expect 2 "no such file" -- "$syx" diff "$work/missing.syx" "$work/demo.syx"
expect 2 "takes two performances" -- "$syx" diff "$work/demo.syx"
expect 1 "no SysEx messages" -- "$syx" convert "$work/text.syx" "$work/text.mid"
head -c 300 "$work/demo.mid" >"$work/cut.mid"
expect 1 "cut.mid\" as a MIDI file: a chunk claims" -- "$syx" list "$work/cut.mid"
[ ! -e "$work/slow.mid" ] && [ ! -e "$work/text.mid" ] || { echo "FAIL: a refused convert wrote a file"; failures=$((failures + 1)); }

# The performance library: a folder of banks in, a search, the bank back out byte for byte.
lib=(env HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" "$syx" library)
mkdir -p "$work/banks/more"
"$syx" demo "$work/banks/demo.syx" >/dev/null
cp "$work/banks/demo.syx" "$work/banks/more/again.syx"
printf 'no sysex here' >"$work/banks/more/bad.syx"
expect 0 "Files: 3, performances: 16, new: 8, already known: 8, problems: 1" -- "${lib[@]}" import "$work/banks"
expect 0 "Not taken: $work/banks/more/bad.syx: no performances found" -- "${lib[@]}" import "$work/banks"
expect 0 "Library: $work/home/data/Harborlab/Quillon/library.sqlite" -- "${lib[@]}" stats
expect 0 "Performances: 8" -- "${lib[@]}" stats
expect 0 "\[Split Bass  \]  EFX  6.*seen 2x" -- "${lib[@]}" search "split b"
expect 0 "Found: 0" -- "${lib[@]}" search "no such performance"
expect 1 "no EFX type is \"41\"" -- "${lib[@]}" search "" --efx 41
expect 0 "\[Piano Duo   \].*" -- "${lib[@]}" search "" --reverb "stage 2"
expect 0 "Found: 1" -- "${lib[@]}" search "" --reverb "stage 2"
expect 0 "Found: 2" -- "${lib[@]}" search "" --splits --tempo 120
expect 0 "Found: 0" -- "${lib[@]}" search "" --favourites
expect 1 "name one reverb type" -- "${lib[@]}" search "" --reverb hall
expect 1 "--tempo takes a number 20..250" -- "${lib[@]}" search "" --tempo 5
expect 0 "Wrote 8 performances" -- "${lib[@]}" export "" "$work/all.syx"
cmp -s "$work/banks/demo.syx" "$work/all.syx" || { echo "FAIL: the exported bank differs from the imported one"; failures=$((failures + 1)); }
expect 0 "Wrote 1 performances" -- "${lib[@]}" export "Jazz Trio" "$work/one.syx"
cmp -s -n "$(stat -c %s "$work/one.syx")" "$work/banks/demo.syx" "$work/one.syx" || { echo "FAIL: the exported performance differs from its source"; failures=$((failures + 1)); }
expect 1 "no performance matches; nothing written" -- "${lib[@]}" export "no such performance" "$work/none.syx"
[ ! -e "$work/none.syx" ] || { echo "FAIL: an empty export wrote a file"; failures=$((failures + 1)); }
printf 'this is no database, only words that fill the first page of the file. %.0s' {1..40} >"$work/damaged.sqlite"
expect 0 "was moved to" -- "${lib[@]}" stats --library "$work/damaged.sqlite"
ls "$work"/damaged-damaged-*.sqlite >/dev/null 2>&1 || { echo "FAIL: the damaged library was not kept aside"; failures=$((failures + 1)); }

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all quillon-syx checks passed"
