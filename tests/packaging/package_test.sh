#!/usr/bin/env bash
# The install into a staging folder, the Debian package, and starts of the installed program
# from a home folder that has no data folder yet. Usage: package_test.sh BUILD_DIR
set -u
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

id=org.harborlab.Quillon
sysex=application/x-sysex
files=(bin/quillon bin/quillon-syx bin/quillon-jvsim
       share/quillon/Preset.ini share/quillon/User.ini share/quillon/Expansion.ini
       "share/applications/$id.desktop" "share/icons/hicolor/scalable/apps/$id.svg"
       "share/metainfo/$id.metainfo.xml" "share/mime/packages/$id.xml")

root="$work/stage/usr"
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
for f in "${files[@]}"; do [ -f "$root/$f" ] || fail "the install lacks /usr/$f"; done
desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
# The caches a desktop builds: .syx files get the type by name and by the leading F0, and open with Quillon.
cp -r "$root/share/mime" "$root/share/applications" "$work/"
update-mime-database "$work/mime" >/dev/null 2>&1 && grep -qx "50:$sysex:\*\.syx" "$work/mime/globs2" &&
  grep -qa "$sysex" "$work/mime/magic" || fail "shared-mime-info does not give *.syx / F0 the type $sysex"
update-desktop-database "$work/applications" && grep -qx "$sysex=$id.desktop;" "$work/applications/mimeinfo.cache" ||
  fail "the desktop entry does not open $sysex"

if cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1; then
  deb=$(ls "$work"/deb/*.deb)
  contents=$(dpkg-deb -c "$deb")
  for f in "${files[@]}"; do grep -q " \./usr/$f\$" <<<"$contents" || fail "the package lacks /usr/$f"; done
  fields=$(dpkg-deb -f "$deb" Section Maintainer Depends Description)
  grep -qx "Section: sound" <<<"$fields" && grep -q "^Maintainer: ." <<<"$fields" &&
    grep -q "^Depends: .*libqt6widgets6" <<<"$fields" && grep -q "^ Quillon edits" <<<"$fields" ||
    fail "package fields: $fields"
else
  cat "$work/cpack.log"; fail "cpack -G DEB"
fi

# The main window's picture after a file is opened shows its "Patches Used"; pictures with the
# shipped and with empty name lists tell whether a start found the names.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
unset XDG_DATA_HOME
data="$HOME/.local/share/Harborlab/Quillon"
mkdir -p "$HOME" "$work/lists" "$work/blank"
cp "$root"/share/quillon/*.ini "$work/lists/"
for list in Preset.ini User.ini Expansion.ini; do : >"$work/blank/$list"; done
"$root/bin/quillon-syx" demo "$HOME/demo.syx" >/dev/null
start() {  # start FOLDER COMMAND...: the program in FOLDER, in the background
  (cd "$1" && shift && PATH="$root/bin:$PATH" exec timeout 60 "$@" >>"$work/quillon.log" 2>&1) &
}
finish() { wait "$1" || fail "$2 exited $?"; }
# A first start writes the default settings, so that no first-run dialog waits in the pictures.
start "$work/lists" "$root/bin/quillon" --report-startup
finish $! "the first start"
[ ! -e "$data" ] || fail "a start in a folder with name lists made $data"
# These do not share a data folder, so they run at once; the last one starts in the home folder.
start "$work/lists" "$root/bin/quillon" --screenshot "$work/names.png" "$HOME/demo.syx"
names=$!
start "$work/blank" "$root/bin/quillon" --screenshot "$work/blank.png" "$HOME/demo.syx"
blank=$!
start "$HOME" "$root/bin/quillon" --screenshot "$work/home.png" demo.syx
finish $! "the start from the home folder"
finish $names "the start with the shipped lists"
finish $blank "the start with empty lists"
cmp -s "$work/names.png" "$work/blank.png" && fail "Patches Used looks the same without names"
cmp -s "$work/names.png" "$work/home.png" || fail "started from the home folder, Patches Used lacks the shipped names"
for list in Preset.ini User.ini Expansion.ini; do
  cmp -s "$root/share/quillon/$list" "$data/$list" || fail "$data/$list is not the shipped list"
done

# Second start, by the desktop entry's command, in a folder with lists of its own: the per-user
# folder still wins, a list the user changed stays, a missing one comes back.
echo "; kept by the user" >>"$data/User.ini"
cp "$data/User.ini" "$work/User.changed"
rm "$data/Expansion.ini"
read -ra entry <<<"$(sed -n 's/^Exec=//p' "$root/share/applications/$id.desktop")"
entry=("${entry[@]/\%f/$HOME/demo.syx}")
start "$work/blank" "${entry[0]}" --screenshot "$work/entry.png" "${entry[@]:1}"
finish $! "the start by the desktop entry"
cmp -s "$work/names.png" "$work/entry.png" || fail "started by the desktop entry, Patches Used lacks the shipped names"
cmp -s "$work/User.changed" "$data/User.ini" || fail "the second start changed User.ini"
cmp -s "$root/share/quillon/Expansion.ini" "$data/Expansion.ini" || fail "the second start did not restore Expansion.ini"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all packaging checks passed"
