"""_scrivex from several Python threads at once, and in a child forked after a call.

The module keeps no state between calls, so calls made from many threads at once must give
exactly what the same calls give one after another, and a child forked after the PDF
reader has started its worker threads must still load documents.
"""

import json
import multiprocessing
import random
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import pytest

import _scrivex

CHECKOUT = Path(__file__).resolve().parents[2]
DATA = CHECKOUT / "tests" / "core" / "data"
FIXTURES = [
    DATA / "pdf" / "ghostscript_two_pages.pdf",
    DATA / "text_inputs" / "field_notes.html",
    DATA / "text_inputs" / "pandoc_notes.markdown",
    DATA / "text_inputs" / "article.tex",
    DATA / "containers" / "office" / "letter.docx",
    DATA / "containers" / "office" / "sheet.xlsx",
    DATA / "containers" / "archives" / "tar_command.tar.gz",
    DATA / "containers" / "images" / "orange.png",
    DATA / "datasets" / "ocr_words.tsv",
]
THREADS = 8
ROUNDS = 3
TEXT = "# Title\n\nA paragraph with *emphasis*.\n\n- one\n- two\n"


@pytest.fixture(scope="module")
def paths(tmp_path_factory):
    folder = tmp_path_factory.mktemp("threads")
    layout = folder / "layout.json"
    layout.write_text(json.dumps([
        {"bbox": [10, 20, 200, 40], "category": "Title", "text": "Threads"},
        {"bbox": [10, 60, 200, 120], "category": "Text", "text": "Same answer from every thread."},
    ]))
    xml = folder / "notes.xml"
    xml.write_text("<notes><note>first</note><note>second</note></notes>")
    found = [str(path) for path in FIXTURES if path.exists()]
    assert len(found) >= 5, "the checkout's fixtures are missing"
    return found + [str(layout), str(xml), str(folder / "missing.txt")]


def outcome(function, *args):
    """The function's text, or the RuntimeError message it raised."""
    try:
        return ("ok", function(*args))
    except RuntimeError as error:
        return ("error", str(error))


def calls_for(paths):
    """(name, function, arguments) for every module function over the fixtures."""
    document = _scrivex.load_path_json(paths[0])
    calls = [(f"load_path_json {Path(path).name}", _scrivex.load_path_json, (path,)) for path in paths]
    calls += [
        ("load_path_json_with_options pdf", _scrivex.load_path_json_with_options,
         (paths[0], '{"include_geometry": false, "max_parallelism": 2}')),
        ("load_many_json", _scrivex.load_many_json, (paths,)),
        ("to_json", _scrivex.to_json, (TEXT,)),
        ("to_markdown", _scrivex.to_markdown, (TEXT,)),
        ("to_latex", _scrivex.to_latex, (TEXT,)),
        ("detect_format", _scrivex.detect_format, (paths[1],)),
        ("document_to_json", _scrivex.document_to_json, (document,)),
        ("document_to_markdown", _scrivex.document_to_markdown, (document,)),
        ("document_to_latex", _scrivex.document_to_latex, (document,)),
        ("document_to_json bad", _scrivex.document_to_json, ("[",)),
    ]
    return calls


def test_threads_give_the_sequential_results(paths):
    calls = calls_for(paths)
    sequential = {name: outcome(function, *args) for name, function, args in calls}
    assert sequential["load_path_json missing.txt"][0] == "error"

    work = [call for call in calls for _ in range(ROUNDS)]
    random.Random(7).shuffle(work)
    with ThreadPoolExecutor(max_workers=THREADS) as pool:
        futures = [(name, pool.submit(outcome, function, *args)) for name, function, args in work]
        concurrent = [(name, future.result(timeout=300)) for name, future in futures]

    for name, result in concurrent:
        assert result == sequential[name], name


def load_in_child(path):
    return _scrivex.load_path_json(path)


def test_forked_child_loads_after_a_call(paths):
    pdf = paths[0]
    assert pdf.endswith(".pdf")
    # The call starts whatever worker threads the PDF reader uses, before the fork.
    expected = [_scrivex.load_path_json(path) for path in paths[:3]]
    context = multiprocessing.get_context("fork")
    with context.Pool(2) as pool:
        results = pool.map_async(load_in_child, paths[:3]).get(timeout=120)
    assert results == expected
    assert json.loads(results[0])["metadata"]["format"] == "pdf"
