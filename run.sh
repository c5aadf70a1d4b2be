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
  # The same entry, icon and file type as the package installs, for the program in this build folder.
  share="${XDG_DATA_HOME:-$HOME/.local/share}"
  id=org.harborlab.Quillon
  mkdir -p "$share/applications" "$share/icons/hicolor/scalable/apps" "$share/mime/packages"
  cp src/app/resources/icon.svg "$share/icons/hicolor/scalable/apps/$id.svg"
  cp "build/packaging/$id.xml" "$share/mime/packages/$id.xml"
  sed "s|^Exec=[^ ]*|Exec=\"$root/build/src/app/quillon\"|" "build/packaging/$id.desktop" >"$share/applications/$id.desktop"
  if command -v update-mime-database >/dev/null; then update-mime-database "$share/mime"; fi
  if command -v update-desktop-database >/dev/null; then update-desktop-database "$share/applications"; fi
  # Earlier versions named the entry quillon.desktop.
  if grep -qs "$root/build/src/app/quillon" "$share/applications/quillon.desktop"; then
    rm -f "$share/applications/quillon.desktop" "$share/icons/hicolor/scalable/apps/quillon.svg"
  fi
  echo "Installed $share/applications/$id.desktop"
fi

cd "$data_dir"
exec "$root/build/src/app/quillon" "${args[@]}"
