#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every test: the whole suite with warnings as
# errors, then again under AddressSanitizer with UndefinedBehaviorSanitizer, then under
# ThreadSanitizer for the loaders' threads and the window closing during a load, and last
# a short run of each fuzz target (clang, libFuzzer) that fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
. scripts/fuzzing.sh
install_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
configure() {  # build directory, then extra CMake options
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEXIVANT2_WERROR=ON "$@"
    cmake --build "$dir"
}

configure build/test
ctest --test-dir build/test --output-on-failure -j "$jobs" | tee -a "$summary"

configure build/asan -DLEXIVANT2_SANITIZE=address,undefined -DLEXIVANT2_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan --output-on-failure -j "$jobs" | tee -a "$summary"

configure build/tsan -DLEXIVANT2_SANITIZE=thread -DLEXIVANT2_BUILD_BENCH=OFF
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
    ctest --test-dir build/tsan --output-on-failure -j "$jobs" | tee -a "$summary"

# The committed corpus and every kept regression case first, then 20 s of new inputs.
build_fuzz_targets build/fuzz
rm -rf build/fuzz/run
run_fuzz_targets build/fuzz 20 build/fuzz/run build/fuzz/findings

# One closing line for the three runs of the suite together.
awk '/tests passed, [0-9]+ tests failed out of/ { total += $NF; failed += $4 }
     END { printf "%d passed, %d failed\n", total - failed, failed }' "$summary"
