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
printf 'not a sysex file\n' >"$work/text.syx"
expect 1 "no performances found" -- "$syx" list "$work/text.syx"
expect 1 "no performances found" -- "$syx" show "$work/text.syx" 1

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all quillon-syx checks passed"
