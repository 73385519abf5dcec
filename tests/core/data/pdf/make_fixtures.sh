#!/bin/sh
# Regenerates the PDF fixtures made by a real producer (Ghostscript's ps2pdf).
# Usage: tests/core/data/pdf/make_fixtures.sh   (needs the ghostscript package)
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cat > "$tmp/sample.ps" <<'PS'
%!PS-Adobe-3.0
[ /Title (Quarterly Report) /Author (Scrivex Tests) /DOCINFO pdfmark
<< /PageSize [612 792] >> setpagedevice
/Helvetica-Bold findfont 18 scalefont setfont
72 700 moveto (Quarterly Report) show
/Times-Roman findfont 12 scalefont setfont
72 670 moveto (Revenue grew in every region this quarter.) show
72 650 moveto 300 650 lineto stroke
showpage
<< /PageSize [595 842] >> setpagedevice
/Times-Italic findfont 12 scalefont setfont
72 760 moveto (Second page on A4 paper.) show
showpage
PS
ps2pdf -dPDFSETTINGS=/prepress -dCompatibilityLevel=1.7 "$tmp/sample.ps" ghostscript_two_pages.pdf
