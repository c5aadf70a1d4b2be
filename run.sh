#!/usr/bin/env bash
# Sets up what is missing, builds Quillon and starts it.
#   ./run.sh [FILE.syx]    start the editor (optionally on a file)
#   ./run.sh --install     also add a desktop entry and an icon for the current user
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
. scripts/deps.sh
quillon_install_packages

install_entry=0
args=()
for a in "$@"; do
  if [ "$a" = "--install" ]; then install_entry=1; else args+=("$(realpath -m "$a")"); fi
done

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

# The program takes its current folder as its data folder: seed a per-user one
# with the shipped name lists, never overwriting lists the user already has.
data_dir="${XDG_DATA_HOME:-$HOME/.local/share}/Harborlab/Quillon"
mkdir -p "$data_dir"
for list in Preset.ini User.ini Expansion.ini; do
  [ -e "$data_dir/$list" ] || cp "data/$list" "$data_dir/$list"
done

if [ "$install_entry" -eq 1 ]; then
  apps="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
  icons="${XDG_DATA_HOME:-$HOME/.local/share}/icons/hicolor/scalable/apps"
  mkdir -p "$apps" "$icons"
  cp src/app/resources/icon.svg "$icons/quillon.svg"
  cat >"$apps/quillon.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Quillon
Comment=Performance editor for JV-1080 / JV-2080 family sound modules
Exec=sh -c 'cd "$data_dir" && exec "$root/build/src/app/quillon" "\$@"' quillon %f
Icon=quillon
Terminal=false
Categories=AudioVideo;Audio;Music;
MimeType=application/x-sysex;
ENTRY
  echo "Installed $apps/quillon.desktop"
fi

cd "$data_dir"
exec "$root/build/src/app/quillon" "${args[@]}"
