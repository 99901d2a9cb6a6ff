#!/usr/bin/env bash
# Cross-builds the non-GUI libraries, vorlam-tool and their tests for 64-bit
# Windows with mingw-w64, and runs the tests under wine.
#
# SQLite comes from its amalgamation at a fixed, checked version
# (scripts/windows_sqlite.sh), GoogleTest from Debian's googletest sources.
# WINDOWS_BUILD_DIR (default build-windows) holds everything, the wine
# prefix included.  WINDOWS_TESTS, a ctest regular expression, picks the
# test executables to run (default: see below).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/windows_setup.sh
build=${WINDOWS_BUILD_DIR:-build-windows}
case $build in /*) ;; *) build=$PWD/$build ;; esac
bash scripts/windows_sqlite.sh "$build/sqlite"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DVORLAM_BUILD_GUI=OFF -DVORLAM_BUILD_BENCH=OFF -DVORLAM_SQLITE_AMALGAMATION="$build/sqlite" \
  "${launcher[@]}" >/dev/null
# The test executables run here: the storage engine with its platform layer
# and multi-process tests, the dictionary, the framework's logic, the shell,
# and vorlam-tool with its own tests (app_tests needs vorlam-tool.exe).
targets=(storage_tests dictionary_tests framework_tests shell_tests vorlam-tool recfix app_tests)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
# One wine server for every test, and the prefix set up before any test
# runs: the services wine starts with its first program inherit that
# program's output, and ctest would wait for them to close it.
mkdir -p "$WINEPREFIX"
"$wineserver" -p 120
trap '"$wineserver" -k || true' EXIT
"$wine" wineboot --init </dev/null >/dev/null 2>&1
# Known Windows gaps, left out until they are mended: the newer SQLite of
# this build prepares the very long filters the fallback test relies on
# failing; one of six processes creating a file at once (either journal mode)
# fails under wine; the damage test looks for the file's name in POSIX form.
export GTEST_FILTER=${GTEST_FILTER:--*PageCacheTest.FiltersSqliteCannotPrepareAreTriedOnEachRecord/*:*ProcessesCreatingOneFileTogetherAllWaitTheirTurn/*:ToolInfoExport.DamagedFileIsError47InInfoExportAndMaintainCheck}
ctest --test-dir "$build" --output-on-failure -j2 --timeout 600 \
  -R "${WINDOWS_TESTS:-^(storage|dictionary|framework|shell|app)_tests$}"
