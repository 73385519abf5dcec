#!/usr/bin/env bash
# Builds the core, the C++ tests and the _scrivex module with AddressSanitizer
# and UndefinedBehaviorSanitizer (g++), runs CTest (the unit tests and the fuzz
# corpus replays), then the Python tests against the sanitized module.
#   scripts/sanitize.sh [--cxx-only] [BUILD_DIR]    (default build-asan)
# --cxx-only builds and runs only the C++ part (what CI runs).
set -euo pipefail
cd "$(dirname "$0")/.."

cxx_only=0
build=build-asan
for arg in "$@"; do
  case "$arg" in
    --cxx-only) cxx_only=1 ;;
    -*) echo "usage: scripts/sanitize.sh [--cxx-only] [BUILD_DIR]" >&2; exit 2 ;;
    *) build=$arg ;;
  esac
done

python=/usr/bin/python3
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
module=ON
[ "$cxx_only" = 1 ] && module=OFF

# Any sanitizer report fails the run: UBSan does not recover, and both print
# the stack of the fault.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_init_order=1:check_initialization_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=g++ \
  -DCMAKE_CXX_FLAGS="-fno-sanitize-recover=all" -DSCRIVEX_SANITIZE=ON \
  -DSCRIVEX_BUILD_TESTS=ON -DSCRIVEX_BUILD_MODULE="$module" -DSCRIVEX_BUILD_BENCH=OFF \
  -DPython3_EXECUTABLE="$python" >/dev/null
cmake --build "$build" --parallel "$jobs"
ctest --test-dir "$build" --output-on-failure --parallel "$jobs"

[ "$cxx_only" = 1 ] && exit 0

# The interpreter is not instrumented, so the ASan runtime must be loaded
# before it; its own allocations are not ours to leak-check.
libasan=$(g++ -print-file-name=libasan.so)
LD_PRELOAD="$libasan" ASAN_OPTIONS=detect_leaks=0 SCRIVEX_MODULE_DIR="$build/python" \
  "$python" -m pytest -q -p no:cacheprovider tests/python
