# Builds and runs the fuzz targets. Sourced by test.sh (a short run that fails on any
# finding) and fuzz.sh (long runs). Needs clang 14 with libFuzzer.
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
FUZZ_TARGETS=(fuzz_reader fuzz_search)

build_fuzz_targets() {  # build directory
    CXX=clang++-14 cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DLEXIVANT2_WERROR=ON -DLEXIVANT2_BUILD_FUZZ=ON -DLEXIVANT2_BUILD_WINDOW=OFF \
        -DLEXIVANT2_BUILD_TESTS=OFF -DLEXIVANT2_BUILD_BENCH=OFF
    cmake --build "$1" --target "${FUZZ_TARGETS[@]}"
}

# Runs every target at once, each for SECONDS on its committed corpus and regression cases.
# New corpus entries go to SCRATCH/<target>/corpus (with the log beside it), an input that
# found anything to FINDINGS/<target>/. Prints each target's totals; fails if any found
# something.
run_fuzz_targets() {  # build directory, seconds, scratch directory, findings directory
    local build=$1 seconds=$2 scratch=$3 findings=$4 target failed=0
    local -A pids=()
    for target in "${FUZZ_TARGETS[@]}"; do
        mkdir -p "$scratch/$target/corpus" "$findings/$target" "fuzz/regressions/$target"
        "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$findings/$target/" \
            "$scratch/$target/corpus" "fuzz/corpus/$target" "fuzz/regressions/$target" \
            >"$scratch/$target/log" 2>&1 &
        pids[$target]=$!
    done
    for target in "${FUZZ_TARGETS[@]}"; do
        if wait "${pids[$target]}"; then
            echo "$target: $(grep -E 'stat::(number_of_executed_units|average_exec_per_sec)' \
                "$scratch/$target/log" | tr -s ' \n' ' ')"
        else
            failed=1
            echo "$target FOUND A FAULT (input kept in $findings/$target/):" >&2
            tail -n 40 "$scratch/$target/log" >&2
        fi
    done
    return "$failed"
}
