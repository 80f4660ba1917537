#!/usr/bin/env bash
# Builds the Debian package of Brenna: build-package/brenna_VERSION_ARCH.deb.
# Installs the Debian packages the build needs first (scripts/install-deps.sh).
#   scripts/package.sh      # then: sudo apt install ./build-package/brenna_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

./scripts/install-deps.sh

# Built as the tests are (the package strips the debug information), so that
# a compiler cache serves both; only what the package holds is built.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-package -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  "${launcher[@]}" >/dev/null
cmake --build build-package -j "$jobs" --target brenna brenna-cli brenna-sim brenna_desktop_files
(cd build-package && cpack -G DEB >/dev/null)
ls -1 "$PWD"/build-package/brenna_*.deb
