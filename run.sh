#!/usr/bin/env bash
# Sets up what is missing, builds Quillon and starts it.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
quillon_install_packages

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

# Until the editor window lands, show what the command-line reader makes of
# a demo bank written by Quillon itself.
sample="build/demo-bank.syx"
build/tools/quillon-syx/quillon-syx demo "$sample" >/dev/null
build/tools/quillon-syx/quillon-syx list "$sample"
build/tools/quillon-syx/quillon-syx show "$sample" 1
