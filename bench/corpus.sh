#!/usr/bin/env bash
# Builds the benchmark corpus outside the repository: the PDF documentation of a
# few Debian packages (downloaded and unpacked into a scratch folder, never
# installed) plus PDFs made with LibreOffice headless from texts written here.
# Usage: bench/corpus.sh [CORPUS_DIR]   (default /work/corpus)
# Nothing here is committed; rerunning reuses what is already there.
set -euo pipefail

corpus="${1:-/work/corpus}"
scratch="$corpus/.scratch"
mkdir -p "$corpus/debian" "$corpus/office" "$scratch"

# Peers the benchmark compares against; installed here because bench/peers.py needs them.
peers=(poppler-utils python3-fitz python3-pdfminer)
missing=()
for package in "${peers[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]})); then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# pdfTeX and LuaTeX output of many shapes: fonts, games, music typesetting manuals.
documentation=(texlive-fonts-recommended-doc texlive-games texlive-music)
(
  cd "$scratch"
  for package in "${documentation[@]}"; do
    # apt's download user cannot write here: download as root without the sandbox.
    ls "${package}"_*.deb >/dev/null 2>&1 || apt-get download -qq -o APT::Sandbox::User=root "$package"
  done
  for deb in ./*.deb; do
    name="$(basename "$deb" .deb)"
    [[ -d "unpacked/$name" ]] || { mkdir -p "unpacked/$name" && dpkg-deb -x "$deb" "unpacked/$name"; }
  done
)
# Compressed PDFs (.pdf.gz) are unpacked too; names keep the package for traceability.
while IFS= read -r -d '' file; do
  package="$(echo "$file" | sed -E 's#.*/unpacked/([^_/]+)_.*#\1#')"
  target="$corpus/debian/${package}__$(basename "${file%.gz}")"
  [[ -e "$target" ]] && continue
  case "$file" in
    *.gz) gzip -dc "$file" >"$target" ;;
    *) cp "$file" "$target" ;;
  esac
done < <(find "$scratch/unpacked" -type f \( -name '*.pdf' -o -name '*.pdf.gz' \) -print0)

# Office documents: headings, tables, several pages, written as HTML and printed to PDF.
write_office_text() {
  local path="$1" title="$2" sections="$3" rows="$4"
  {
    echo "<html><head><meta charset=\"utf-8\"><title>$title</title></head><body>"
    echo "<h1>$title</h1>"
    for ((s = 1; s <= sections; s++)); do
      echo "<h2>Section $s: measurements and remarks</h2>"
      for ((p = 1; p <= 4; p++)); do
        echo "<p>Paragraph $p of section $s. The survey team recorded the water level, the temperature"
        echo "and the flow rate at each station twice a day; readings that disagreed by more than five"
        echo "percent were repeated the next morning. Résumé: naïve façade, coöperate, Ærøskøbing.</p>"
      done
      echo "<table border=\"1\"><tr><th>Station</th><th>Level (m)</th><th>Temp (°C)</th><th>Flow (m³/s)</th></tr>"
      for ((r = 1; r <= rows; r++)); do
        echo "<tr><td>S-$s-$r</td><td>$((r * 7 % 13)).$((r % 10))</td><td>$((10 + r % 9)).$((r % 7))</td><td>$((r * 31 % 97))</td></tr>"
      done
      echo "</table>"
      echo "<ul><li>First remark on section $s</li><li>Second remark, longer, spanning a few more words than the first</li></ul>"
    done
    echo "</body></html>"
  } >"$path"
}
office_src="$scratch/office-src"
mkdir -p "$office_src"
write_office_text "$office_src/report-short.html" "Short field report" 2 6
write_office_text "$office_src/report-medium.html" "Medium field report" 12 15
write_office_text "$office_src/report-long.html" "Long field report" 40 25
for html in "$office_src"/*.html; do
  pdf="$corpus/office/$(basename "${html%.html}").pdf"
  [[ -e "$pdf" ]] && continue
  soffice --headless --convert-to pdf:writer_pdf_Export --outdir "$corpus/office" "$html" >/dev/null 2>&1 ||
    echo "LibreOffice failed on $html" >&2
done

count=$(find "$corpus/debian" "$corpus/office" -name '*.pdf' | wc -l)
size=$(du -sh "$corpus" --exclude=.scratch | cut -f1)
echo "corpus: $count PDFs in $corpus ($size)"
