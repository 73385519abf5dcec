#!/bin/sh
# Regenerates the pandoc outputs used by the Markdown and LaTeX reader tests
# from field_notes.html (pandoc from Debian's packages). article.tex is
# written by hand, as an author would.
set -eu
cd "$(dirname "$0")"
command -v pandoc >/dev/null || { echo "pandoc is not installed" >&2; exit 1; }
pandoc -s field_notes.html -t latex -o pandoc_notes.tex
pandoc -s field_notes.html -t gfm -o pandoc_notes_gfm.md
pandoc -s field_notes.html -t markdown -o pandoc_notes.markdown
