#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program and starts it on the bundled
# vocabularies, in a working directory of its own (the program reads 0.voca and 17.voca
# from its current directory and writes its temporary plain files there).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
packages=("${BUILD_PACKAGES[@]}")
# Without a display, show the window on a virtual one.
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || packages+=(xvfb xauth)
install_packages "${packages[@]}"

cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DLEXIVANT2_BUILD_TESTS=OFF -DLEXIVANT2_BUILD_BENCH=OFF
cmake --build build/run --target lexivant2 sorellan-find voca

workdir=build/run/vocabularies
mkdir -p "$workdir"
cp data/0.voca data/17.voca "$workdir/"
cd "$workdir"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec ../lexivant2
fi
echo "No display found: the window runs on a virtual X screen (Xvfb)." >&2
exec xvfb-run -a ../lexivant2
