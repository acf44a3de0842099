#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every test: the whole suite with warnings as
# errors, then again under AddressSanitizer with UndefinedBehaviorSanitizer, then under
# ThreadSanitizer for the loaders' threads and the window closing during a load, and last
# a short run of each fuzz target (clang, libFuzzer) that fails on any finding.
# Every stage runs even when an earlier one failed, so one run shows every failure; the
# closing line counts them all, and the exit status is non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
. scripts/fuzzing.sh
install_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}" || exit 1

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
failed_stages=()

# One stage: build directory, then extra CMake options. A stage that does not build counts
# as one failure; otherwise ctest's own counts go to the summary.
stage() {
    local dir=$1
    shift
    if ! { cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
                 -DLEXIVANT2_WERROR=ON "$@" && cmake --build "$dir"; }; then
        echo "build failed: $dir" | tee -a "$summary"
        failed_stages+=("$dir (build)")
        return
    fi
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" | tee -a "$summary"
    [ "${PIPESTATUS[0]}" -eq 0 ] || failed_stages+=("$dir")
}

stage build/test

ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    stage build/asan -DLEXIVANT2_SANITIZE=address,undefined -DLEXIVANT2_BUILD_BENCH=OFF

TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
    stage build/tsan -DLEXIVANT2_SANITIZE=thread -DLEXIVANT2_BUILD_BENCH=OFF

# The committed corpus and every kept regression case first, then 20 s of new inputs.
rm -rf build/fuzz/run
if build_fuzz_targets build/fuzz && run_fuzz_targets build/fuzz 20 build/fuzz/run build/fuzz/findings
then
    echo "100% tests passed, 0 tests failed out of ${#FUZZ_TARGETS[@]} (fuzz targets)" >>"$summary"
else
    echo "0% tests passed, 1 tests failed out of ${#FUZZ_TARGETS[@]} (fuzz targets)" >>"$summary"
    failed_stages+=(fuzz)
fi

# One closing line over every stage; a stage that did not build counts as one failure.
awk '/tests passed, [0-9]+ tests failed out of/ { total += $9; failed += $4 }
     /^build failed: / { total += 1; failed += 1 }
     END { printf "%d passed, %d failed\n", total - failed, failed }' "$summary"
if [ ${#failed_stages[@]} -ne 0 ]; then
    echo "failed: ${failed_stages[*]}" >&2
    exit 1
fi
