#!/usr/bin/env bash
# Puts SQLite's public-domain amalgamation, at a fixed version, into the
# directory $1 (sqlite3.c, sqlite3.h, sqlite3ext.h), for the Windows build.
#
# It comes from the npm package better-sqlite3, which ships the amalgamation
# with one cosmetic patch (two constants folded); the patch is taken back
# out, so the files are SQLite's own.  Both the package and the resulting
# source are checked against their SHA-256; a mismatch stops the build.
set -euo pipefail
out=$1
package=better-sqlite3
version=12.4.1                 # ships SQLite 3.50.4 (2025-07-30)
package_sha256=14398acbf00d1e8fe0a2753df7d4f15c13138e4b874f4e6e96791f65b4536d0d
sqlite3_c_sha256=28aa9af5409635257e10d0aaee91cd2fca6d3669642d6bf0bfaad20262f03a4e
sqlite3_h_sha256=abd1514e0351f79393d1be882830afdb40a8099e8257f311f0bfdf8486f11bea

checked() {
  [ -f "$out/sqlite3.c" ] && [ -f "$out/sqlite3.h" ] &&
    echo "$sqlite3_c_sha256  $out/sqlite3.c" | sha256sum -c --status &&
    echo "$sqlite3_h_sha256  $out/sqlite3.h" | sha256sum -c --status
}
checked && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "$package@$version" >/dev/null)
tgz="$work/$package-$version.tgz"
echo "$package_sha256  $tgz" | sha256sum -c --quiet
tar xzf "$tgz" -C "$work" package/deps/sqlite3 package/deps/patches
for p in "$work"/package/deps/patches/*.patch; do
  (cd "$work/package" && patch -R -p1 --quiet <"$p")
done
mkdir -p "$out"
cp "$work"/package/deps/sqlite3/sqlite3.c "$work"/package/deps/sqlite3/sqlite3.h \
   "$work"/package/deps/sqlite3/sqlite3ext.h "$out"/
checked || { echo "windows_sqlite.sh: checksum mismatch for SQLite $version sources" >&2; exit 1; }
