#!/usr/bin/env bash
# Builds and installs scrivex into a virtual environment (default .venv),
# made with Debian's python3 and its site packages, offline.
set -euo pipefail
cd "$(dirname "$0")/.."

venv=${1:-.venv}
scripts/setup.sh
[[ -x "$venv/bin/python" ]] || /usr/bin/python3 -m venv --system-site-packages "$venv"
SCRIVEX_BUILD_DIR=${SCRIVEX_BUILD_DIR:-$PWD/build/pip} \
  "$venv/bin/python" -m pip install --no-build-isolation --no-index --quiet .
