#!/usr/bin/env bash
# The main job on the bundled two-column PDF (samples/sample.pdf, written by
# samples/make_sample_pdf.py) or the document given: install scrivex into
# build/venv, then print the document as Markdown and as IR JSON.
set -euo pipefail
cd "$(dirname "$0")/.."

document=${1:-samples/sample.pdf}
scripts/install.sh build/venv >/dev/null
printf '# Markdown\n\n'
build/venv/bin/scrivex "$document" --to markdown
printf '\n# IR JSON\n\n'
build/venv/bin/scrivex "$document" --to json
