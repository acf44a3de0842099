#!/usr/bin/env bash
# Renders the window offscreen after a real search on the bundled vocabularies and saves it
# as docs/window.png (the picture in the README). Usage: scripts/screenshot.sh [QUERY]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_packages "${BUILD_PACKAGES[@]}"
query=${1:-acid}

cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DLEXIVANT2_BUILD_TESTS=OFF -DLEXIVANT2_BUILD_BENCH=OFF
cmake --build build/run --target lexivant2-screenshot
workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
cp data/0.voca data/17.voca "$workdir/"
mkdir -p docs
out=$PWD/docs/window.png
(cd "$workdir" && QT_QPA_PLATFORM=offscreen "$OLDPWD/build/run/lexivant2-screenshot" "$out" "$query")
echo "wrote docs/window.png"
