#!/usr/bin/env bash
# Runs every test: the C++ core tests under CTest, then the Python tests,
# first against the CMake-built module, then against a pip-installed package.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
python=/usr/bin/python3
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRIVEX_WERROR=ON \
  -DSCRIVEX_BUILD_TESTS=ON -DSCRIVEX_BUILD_MODULE=ON -DSCRIVEX_SANITIZE=OFF \
  -DPython3_EXECUTABLE="$python" >/dev/null
cmake --build build --parallel "$jobs"
ctest --test-dir build --output-on-failure --parallel "$jobs"

SCRIVEX_MODULE_DIR=build/python "$python" -m pytest -q tests/python

# The package as users install it: pip builds _scrivex through CMake, offline.
scripts/install.sh build/venv >/dev/null
build/venv/bin/python -m pytest -q -p no:cacheprovider tests/python
