#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool on a sample data root.
#
# The sample root (./sample-data, or $VORLAM_ROOT) is written once by
# `vorlam-tool demo` and reused afterwards; delete it to get a fresh one.
# The window starts in the data root, since the working directory is what
# tells the program where the data lives.  Without a display the window runs
# on a virtual one (xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build}
case $build in /*) ;; *) build=$PWD/$build ;; esac
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLAM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target vorlam-tool vorlam
tool=$build/app/vorlam-tool
gui=$build/app/vorlam

root=${VORLAM_ROOT:-$PWD/sample-data}
if [ ! -d "$root" ]; then
  # Written beside the final place and moved in when complete, so that an
  # interrupted run never leaves half a data root to be reused.
  partial="$root.partial"
  rm -rf "$partial"
  "$tool" demo --root "$partial"
  mv "$partial" "$root"
fi

cd "$root"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: sem display gráfico; a janela roda num display virtual (xvfb-run)" >&2
  exec xvfb-run -a "$gui"
fi
exec "$gui"
