#!/usr/bin/python3
"""Writes samples/sample.pdf byte by byte: one US-letter page with a centred
title, two columns of body paragraphs under their headings (the lines of both
columns share their baselines, every word is shown on its own), and one word
hyphenated across two lines. Standard library only; run from anywhere:

    /usr/bin/python3 samples/make_sample_pdf.py
"""

import os

PAGE_WIDTH = 612
PAGE_HEIGHT = 792
MARGIN = 72
GUTTER = 36
COLUMN_WIDTH = (PAGE_WIDTH - 2 * MARGIN - GUTTER) / 2

TITLE_SIZE = 20
HEADING_SIZE = 13
BODY_SIZE = 10
BODY_LEADING = 13

# Advance widths of the printable ASCII characters (32 to 126) in 1/1000 em.
HELVETICA_WIDTHS = [
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,
]
HELVETICA_BOLD_WIDTHS = [
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611,
    975, 722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333, 278, 333, 584, 556,
    333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556, 278, 889, 611, 611,
    611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584,
]

TITLE = "Field Notes on Document Extraction"

# (heading, paragraphs) of the left and the right column. A "-" inside a word
# marks where it may be hyphenated at the end of a line.
LEFT_COLUMN = (
    "Why layout matters",
    [
        "A page description draws every piece of text at a position of its own. "
        "Nothing in the file says which pieces form a line, which lines form a "
        "paragraph, or in which order a reader takes the columns of a page.",
        "Recovering that structure is the work of the layout stages: they group "
        "the runs into lines, measure the body font size, and mark the head-ings "
        "from the size of their letters.",
    ],
)
RIGHT_COLUMN = (
    "Reading in columns",
    [
        "When a page holds two columns, the lines of both columns share their "
        "baselines. A reader still finishes the left column before moving to "
        "the right one, and the extraction must do the same.",
        "A wide gap between runs on one baseline reveals the gutter. Cutting "
        "there and ordering the halves by column restores the text a person "
        "would read, paragraph by paragraph.",
    ],
)
# The one word broken across two lines, with its hyphen.
HYPHENATED_WORD = "head-ings"


def text_width(text, size, widths):
    return sum(widths[ord(c) - 32] for c in text) * size / 1000


def wrap(paragraph, size, widths, limit):
    """Greedy wrapping; the marked word is split at its hyphen when it does
    not fit, every other marked word keeps its hyphen-free spelling."""
    lines, current = [], ""
    for word in paragraph.split():
        hyphenable = word.strip(".,") == HYPHENATED_WORD
        whole = word.replace("-", "") if hyphenable else word
        candidate = whole if not current else current + " " + whole
        if text_width(candidate, size, widths) <= limit:
            current = candidate
            continue
        if hyphenable:
            head, tail = word.split("-", 1)
            with_head = (current + " " if current else "") + head + "-"
            if text_width(with_head, size, widths) <= limit:
                lines.append(with_head)
                current = tail
                continue
        lines.append(current)
        current = whole
    if current:
        lines.append(current)
    return lines


def pdf_string(text):
    escaped = text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")
    return "(" + escaped + ")"


def show(font, size, x, y, text):
    return "BT /%s %g Tf %.2f %.2f Td %s Tj ET\n" % (font, size, x, y, pdf_string(text))


def show_words(font, size, widths, x, y, text):
    """One text-showing operation per word, each placed by its own matrix, as
    many producers write body text."""
    out = "BT /%s %g Tf\n" % (font, size)
    space = text_width(" ", size, widths)
    for word in text.split(" "):
        out += "1 0 0 1 %.2f %.2f Tm %s Tj\n" % (x, y, pdf_string(word))
        x += text_width(word, size, widths) + space
    return out + "ET\n"


def column_content(left, column):
    heading, paragraphs = column
    y = PAGE_HEIGHT - MARGIN - 60
    out = show("F2", HEADING_SIZE, left, y, heading)
    y -= HEADING_SIZE + 8
    for paragraph in paragraphs:
        for line in wrap(paragraph, BODY_SIZE, HELVETICA_WIDTHS, COLUMN_WIDTH):
            out += show_words("F1", BODY_SIZE, HELVETICA_WIDTHS, left, y, line)
            y -= BODY_LEADING
        y -= BODY_LEADING // 2
    return out


def page_content():
    title_x = (PAGE_WIDTH - text_width(TITLE, TITLE_SIZE, HELVETICA_BOLD_WIDTHS)) / 2
    out = show("F2", TITLE_SIZE, title_x, PAGE_HEIGHT - MARGIN - 20, TITLE)
    out += column_content(MARGIN, LEFT_COLUMN)
    out += column_content(MARGIN + COLUMN_WIDTH + GUTTER, RIGHT_COLUMN)
    return out


def font_object(base_font, widths):
    return (
        "<< /Type /Font /Subtype /Type1 /BaseFont /%s /Encoding /WinAnsiEncoding "
        "/FirstChar 32 /LastChar 126 /Widths [%s] >>" % (base_font, " ".join(str(w) for w in widths))
    )


def build_pdf():
    content = page_content().encode("latin-1")
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] "
        b"/Resources << /Font << /F1 5 0 R /F2 6 0 R >> >> /Contents 4 0 R >>",
        b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream",
        font_object("Helvetica", HELVETICA_WIDTHS).encode("ascii"),
        font_object("Helvetica-Bold", HELVETICA_BOLD_WIDTHS).encode("ascii"),
        b"<< /Title (Field Notes on Document Extraction) /Producer (scrivex sample writer) >>",
    ]
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n" % (len(objects) + 1)
    out += b"0000000000 65535 f \n"
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R /Info 7 0 R >>\n" % (len(objects) + 1)
    out += b"startxref\n%d\n%%%%EOF\n" % xref
    return bytes(out)


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample.pdf")
    with open(path, "wb") as f:
        f.write(build_pdf())
    print(path)


if __name__ == "__main__":
    main()
