#!/usr/bin/env bash
# The main job on a bundled sample: install scrivex into build/venv, then load
# the document and print it as Markdown and as IR JSON with the command line.
set -euo pipefail
cd "$(dirname "$0")/.."

document=${1:-samples/sample.txt}
scripts/install.sh build/venv >/dev/null
printf '# Markdown\n\n'
build/venv/bin/scrivex "$document" --to markdown
printf '\n# IR JSON\n\n'
build/venv/bin/scrivex "$document" --to json
