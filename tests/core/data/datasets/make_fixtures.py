#!/usr/bin/env python3
"""Regenerates ocr_words.tsv, the word table tesseract writes for a rendered
page. Needs pdftoppm (poppler-utils) and tesseract (tesseract-ocr,
tesseract-ocr-eng) from Debian's packages. The page is a one-page PDF written
here (612 by 200 points, two lines of Helvetica), rendered at 150 dots per inch."""
import os
import shutil
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def two_line_pdf() -> bytes:
    content = b"BT /F1 28 Tf 40 130 Td (Hello scrivex world) Tj 0 -50 Td (Second line of text) Tj ET"
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 200] /Contents 4 0 R "
        b"/Resources << /Font << /F1 5 0 R >> >> >>",
        b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    ]
    pdf = b"%PDF-1.4\n"
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(pdf))
        pdf += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(pdf)
    pdf += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        pdf += b"%010d 00000 n \n" % offset
    pdf += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return pdf


def main() -> None:
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "page.pdf"), "wb") as out:
            out.write(two_line_pdf())
        subprocess.run(["pdftoppm", "-r", "150", "-png", "-singlefile", "page.pdf", "page"], cwd=work, check=True)
        subprocess.run(["tesseract", "page.png", "ocr", "-l", "eng", "tsv"], cwd=work, check=True,
                       stderr=subprocess.DEVNULL)
        shutil.copyfile(os.path.join(work, "ocr.tsv"), os.path.join(HERE, "ocr_words.tsv"))


if __name__ == "__main__":
    main()
