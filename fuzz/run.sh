#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz/ and runs each for a bounded time; exits non-zero on the first
# finding, whose input is kept in build-fuzz/findings/.
#   fuzz/run.sh [TARGET|all] [SECONDS]      (default: all, 20 seconds each)
# New inputs the fuzzer finds collect in build-fuzz/corpus/TARGET, so a later
# run goes on from there; the committed seeds are in fuzz/corpus/TARGET.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
which=${1:-all}
seconds=${2:-20}
build=$root/build-fuzz
jobs=$(nproc 2>/dev/null || echo 2)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DBRENNA_CORE_ONLY=ON -DBRENNA_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_all

# Never the user's own settings or data folders.
export XDG_CONFIG_HOME=$build/home/config XDG_DATA_HOME=$build/home/data QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$build/findings"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The targets write their input to a file for every run: memory, not disk.
[ -w /dev/shm ] && export TMPDIR=/dev/shm

ran=0
while read -r name max_len; do
  [ "$which" = all ] || [ "$which" = "$name" ] || continue
  ran=1
  corpus=$build/corpus/$name
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  echo "== fuzz $name (${seconds} s)"
  log=$build/findings/$name.log
  status=0
  "$build/bin/fuzz_$name" "$corpus" "${seeds[@]}" -max_total_time="$seconds" -max_len="$max_len" \
    -rss_limit_mb=2048 -timeout=60 -print_final_stats=1 -artifact_prefix="$build/findings/$name-" \
    >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "fuzz $name: finding (exit $status), input and log in $build/findings/" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
done <"$build/fuzz-targets.txt"
[ "$ran" = 1 ] || { echo "no fuzz target named $which" >&2; exit 2; }
