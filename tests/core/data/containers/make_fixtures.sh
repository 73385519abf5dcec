#!/usr/bin/env bash
# Regenerates the container fixtures: office files converted by LibreOffice,
# archives written by Python and by the tar and zip commands, and pictures
# written by ImageMagick. Needs the Debian packages libreoffice-writer-nogui,
# libreoffice-calc-nogui, libreoffice-impress-nogui, imagemagick, zip, tar
# and python3. Run from anywhere; the outputs replace those committed.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$here/office" "$here/archives" "$here/images"

# --- Office documents -------------------------------------------------------
cat > "$work/letter.txt" <<'TEXT'
Alpha paragraph one.

Beta & <gamma> paragraph two.
Café ünïcode three.
TEXT

cat > "$work/sheet.csv" <<'TEXT'
Name,City,Score
Ada,London,36
Bob,Paris & Lyon,7
TEXT

# Eleven slides, so that slide10.xml and slide11.xml test the numeric order.
{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
  echo ' xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"'
  echo ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
  echo ' xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"'
  echo ' xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"'
  echo ' office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.presentation">'
  echo '<office:body><office:presentation>'
  for i in $(seq 1 11); do
    echo "<draw:page draw:name=\"page$i\"><draw:frame svg:x=\"2cm\" svg:y=\"2cm\" svg:width=\"20cm\" svg:height=\"3cm\">"
    echo "<draw:text-box><text:p>Slide $i says hello</text:p></draw:text-box></draw:frame></draw:page>"
  done
  echo '</office:presentation></office:body></office:document>'
} > "$work/deck.fodp"

profile="file://$work/profile"
convert_office() {  # input, target format, output name
  soffice -env:UserInstallation="$profile" --headless --convert-to "$2" --outdir "$work/out" "$work/$1" >/dev/null 2>&1
  local produced="$work/out/${1%.*}.${2%%:*}"
  cp "$produced" "$here/office/$3"
}
convert_office letter.txt docx letter.docx
convert_office letter.txt odt letter.odt
convert_office sheet.csv xlsx sheet.xlsx
convert_office sheet.csv ods sheet.ods
convert_office deck.fodp pptx deck.pptx
convert_office deck.fodp odp deck.odp

# --- Archives ---------------------------------------------------------------
mkdir -p "$work/tree/docs"
printf 'Plain words here.\n\nSecond plain paragraph.\n' > "$work/tree/notes.txt"
printf '<html><body><p>Markup &amp; more</p></body></html>\n' > "$work/tree/docs/page.html"
printf '{"title": "Json title", "body_text": [{"text": "Json   body"}]}\n' > "$work/tree/data.json"
printf '\x89PNG not text\n' > "$work/tree/logo.png"
(cd "$work/tree" && zip -q -r "$here/archives/zip_command.zip" notes.txt docs data.json logo.png)
(cd "$work/tree" && tar -czf "$here/archives/tar_command.tar.gz" notes.txt docs data.json logo.png)
python3 - "$work/tree" "$here/archives" <<'PY'
import gzip, os, sys, tarfile, zipfile
tree, out = sys.argv[1], sys.argv[2]
files = ["notes.txt", "docs/page.html", "data.json", "logo.png"]
with zipfile.ZipFile(os.path.join(out, "python_deflated.zip"), "w", zipfile.ZIP_DEFLATED) as z:
    for name in files:
        z.write(os.path.join(tree, name), name)
    z.writestr("empty.txt", "", compress_type=zipfile.ZIP_STORED)
# A long path needs the ustar prefix field (or a pax header).
deep = "deep/" + "d" * 60 + "/" + "e" * 60 + "/leaf.md"
for fmt, name in [(tarfile.USTAR_FORMAT, "python_ustar.tar"), (tarfile.GNU_FORMAT, "python_gnu.tar"),
                  (tarfile.PAX_FORMAT, "python_pax.tar")]:
    with tarfile.open(os.path.join(out, name), "w", format=fmt) as t:
        for member in files:
            t.add(os.path.join(tree, member), member)
        info = tarfile.TarInfo(deep)
        body = b"Deep leaf text.\n"
        info.size = len(body)
        import io
        t.addfile(info, io.BytesIO(body))
# Two gzip members, as "cat a.gz b.gz" makes.
with open(os.path.join(out, "two_members.txt.gz"), "wb") as f:
    f.write(gzip.compress(b"First member.\n\n"))
    f.write(gzip.compress(b"Second member.\n"))
PY

# --- Images -----------------------------------------------------------------
convert -size 40x30 -depth 8 xc:orange "$here/images/orange.png"
convert -size 40x30 -depth 8 xc:orange "$here/images/orange.jpg"
convert -size 40x30 -depth 8 xc:orange "$here/images/orange.gif"
convert -size 40x30 -depth 8 xc:orange "$here/images/orange.bmp"
convert -size 40x30 -depth 8 xc:orange -type TrueColor -compress none "$here/images/orange_rgb.tif"
convert -size 40x30 -depth 8 xc:orange -type TrueColor -define tiff:endian=msb "$here/images/orange_msb.tif"
convert -size 40x30 -depth 8 xc:orange -quality 80 "$here/images/orange_lossy.webp"
convert -size 40x30 -depth 8 xc:orange -define webp:lossless=true "$here/images/orange_lossless.webp"
convert -size 40x30 -depth 8 xc:'rgba(255,128,0,0.5)' -quality 80 "$here/images/orange_alpha.webp"
echo "fixtures written to $here"
