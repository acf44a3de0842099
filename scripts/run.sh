#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program and starts it on the bundled
# vocabularies.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_packages "${BUILD_PACKAGES[@]}"

cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DLEXIVANT2_BUILD_TESTS=OFF -DLEXIVANT2_BUILD_BENCH=OFF
cmake --build build/run
echo "Built the vocabulary tool build/run/voca. The lookup window is not built yet, so nothing is started."
