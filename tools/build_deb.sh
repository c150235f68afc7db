#!/usr/bin/env bash
# Builds the Debian package: dist/mirelantha_VERSION_ARCH.deb, for the
# machine it runs on (tools/build_arm64.sh makes the arm64 one anywhere).
#
#     tools/build_deb.sh [BUILD-DIR]      default build
#
# Installs what is missing, builds the game in the optimised tree (reusing it
# when it exists) and has CPack lay out the install rules as a .deb, with the
# dependencies dpkg-shlibdeps finds. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh >&2
build="${1:-build}"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target mirelantha package-files >&2
rm -f "$build"/mirelantha_*.deb
(cd "$build" && cpack -G DEB >&2)

mkdir -p dist
package="$(ls "$build"/mirelantha_*.deb)"
cp "$package" dist/
echo "dist/$(basename "$package")"
