#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool on a sample data root.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLAM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
root=${VORLAM_ROOT:-$PWD/sample-root}
mkdir -p "$root"
cd "$root"
exec "$OLDPWD/$build/app/vorlam"
