#!/usr/bin/env bash
# Builds the Debian package of Quillon and installs it with apt (through sudo when not root).
# The package stays in build/ for other machines; `sudo apt remove quillon` uninstalls it.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
quillon_install_packages

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quillon quillon-syx quillon-jvsim
rm -f build/quillon_*.deb
(cd build && cpack -G DEB)
deb=$(ls build/quillon_*.deb)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get install -y "$(pwd)/$deb"
echo "Installed $deb: start Quillon from the desktop's menu, or run quillon"
