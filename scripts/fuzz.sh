#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (and AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for SECONDS
# (default 60) over its corpus in tests/fuzz/corpus/<target>; what libFuzzer
# finds goes to build-fuzz/tests/fuzz/found/<target>, crashes to the working
# directory.  Without clang the ctest run of the plain driver is what there is.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(picture format filter query settings layout)
command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ not found (Debian package clang)" >&2; exit 2; }
BUILD_DIR=${BUILD_DIR:-build-fuzz}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVORLAM_FUZZ=ON -DVORLAM_BUILD_GUI=OFF -DVORLAM_BUILD_BENCH=OFF ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"${JOBS:-2}" --target $(printf '%s_fuzz ' "${targets[@]}")
for t in "${targets[@]}"; do
  mkdir -p "$BUILD_DIR/tests/fuzz/found/$t"
  echo "== $t ($seconds s)"
  "$BUILD_DIR/tests/fuzz/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
    "$BUILD_DIR/tests/fuzz/found/$t" "tests/fuzz/corpus/$t"
done
