#!/usr/bin/env bash
# Long fuzzing: runs both fuzz targets at once for SECONDS each (default 1800). New corpus
# entries stay in a scratch directory (printed); an input that finds a fault is kept in
# fuzz/regressions/<target>/, where scripts/test.sh replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
. scripts/fuzzing.sh
install_packages cmake ninja-build "${FUZZ_PACKAGES[@]}"

seconds=${1:-1800}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/lexivant2-fuzz-XXXXXX")
echo "scratch corpus and logs: $scratch"
build_fuzz_targets build/fuzz
run_fuzz_targets build/fuzz "$seconds" "$scratch" fuzz/regressions
