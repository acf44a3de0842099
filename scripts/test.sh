#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every test: the whole suite with warnings as
# errors, then again under ThreadSanitizer for the loaders' threads.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_packages "${BUILD_PACKAGES[@]}"

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEXIVANT2_WERROR=ON
cmake --build build/test
ctest --test-dir build/test --output-on-failure -j "$(nproc)"

cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEXIVANT2_WERROR=ON \
      -DLEXIVANT2_SANITIZE=thread -DLEXIVANT2_BUILD_BENCH=OFF
cmake --build build/tsan
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build/tsan --output-on-failure -j "$(nproc)"
