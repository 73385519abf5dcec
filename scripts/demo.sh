#!/usr/bin/env bash
# The main job on a bundled sample: load a document, print it as Markdown and as IR JSON.
set -euo pipefail
cd "$(dirname "$0")/.."

document=${1:-samples/sample.txt}
scripts/install.sh build/venv >/dev/null
build/venv/bin/python - "$document" <<'PY'
import sys
import scrivex

path = sys.argv[1]
document_json = scrivex.load_path_json(path)
print("# Markdown\n")
print(scrivex.document_to_markdown(document_json))
print("\n# IR JSON\n")
print(document_json)
PY
