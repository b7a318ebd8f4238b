#!/usr/bin/env bash
# Installs what is missing, builds from scratch and runs every test: first the
# normal build, then the AddressSanitizer/UndefinedBehaviorSanitizer build,
# then each fuzz target for a minute when clang is there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

run_suite build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVELMORANCE_SANITIZE=ON -DVELMORANCE_BUILD_BENCH=OFF

if command -v clang++ >/dev/null; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELMORANCE_FUZZ=ON
  cmake --build build-fuzz -j "$jobs"
  for fuzzer in resource_file_fuzzer prefs_fuzzer; do
    # New inputs go to a scratch corpus; the committed seeds stay as they are.
    mkdir -p "build-fuzz/corpus/$fuzzer"
    "build-fuzz/fuzz/$fuzzer" -max_total_time=60 -timeout=10 -artifact_prefix="build-fuzz/$fuzzer-" \
      "build-fuzz/corpus/$fuzzer" fuzz/seeds
  done
fi
