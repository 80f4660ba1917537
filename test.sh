#!/usr/bin/env bash
# Installs what the build needs, builds Brenna and runs every test:
#   1. the full build (GUI, CLI, simulator) and all tests;
#   2. the window-free libraries and their tests under AddressSanitizer and
#      UndefinedBehaviorSanitizer;
#   3. the serial-port and threading tests under ThreadSanitizer;
#   4. every fuzz target of fuzz/ for 20 seconds (clang, ASan and UBSan).
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)

./scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME="$root/build/test-config"   # never the user's own settings
mkdir -p "$XDG_CONFIG_HOME"

configure_and_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G "Unix Makefiles" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

echo "== build"
configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== tests"
(cd build && ctest --output-on-failure -j "$jobs" --timeout 600)

echo "== core tests under AddressSanitizer + UndefinedBehaviorSanitizer"
configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DBRENNA_CORE_ONLY=ON -DBRENNA_SANITIZE=address,undefined
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs" -L core --timeout 900)

echo "== serial and threading tests under ThreadSanitizer"
configure_and_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DBRENNA_CORE_ONLY=ON -DBRENNA_SANITIZE=thread
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --output-on-failure -j "$jobs" -L tsan --timeout 900)

echo "== fuzz targets, 20 s each"
./fuzz/run.sh all 20

echo "== all tests passed"
