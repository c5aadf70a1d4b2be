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
expect 1 "no SysEx messages" -- "$syx" convert "$work/text.syx" "$work/text.mid"
head -c 300 "$work/demo.mid" >"$work/cut.mid"
expect 1 "cut.mid\" as a MIDI file: a chunk claims" -- "$syx" list "$work/cut.mid"
[ ! -e "$work/slow.mid" ] && [ ! -e "$work/text.mid" ] || { echo "FAIL: a refused convert wrote a file"; failures=$((failures + 1)); }

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all quillon-syx checks passed"
