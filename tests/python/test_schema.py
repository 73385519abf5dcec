"""The JSON Schema of the IR in schema/: every document the engines write validates against it,
keys come in the order its "properties" list them, and it refuses what the writer never writes."""

import copy
import json
from pathlib import Path

import pytest

import _scrivex

jsonschema = pytest.importorskip("jsonschema")

CHECKOUT = Path(__file__).resolve().parents[2]
SCHEMA = json.loads((CHECKOUT / "schema" / "ir.schema.json").read_text(encoding="utf-8"))
# Documents the engines build from the fixtures shipped with the tests.
FIXTURE_FOLDERS = [CHECKOUT / "tests" / "core" / "data", CHECKOUT / "samples"]
OPTION_SETS = [
    None,
    '{"include_geometry": false}',
    '{"include_assets": false}',
    '{"suppress_headers_footers": true}',
]

# A document using every record of the IR, re-emitted by the library's own writer.
EVERY_RECORD = {
    "metadata": {"format": "pdf", "engine": "pdf-native", "source": "x.pdf", "title": "T",
                 "character_count": 10, "word_count": 2, "block_count": 3, "file_size_bytes": 99,
                 "pdf_version": "1.7", "encrypted": True},
    "pages": [{
        "number": 1, "width": 595.32, "height": 842.0, "rotation": 90, "route": "born_digital",
        "bbox": {"x": 0, "y": 0, "width": 595.32, "height": 842},
        "blocks": [
            {"type": "text", "text": "Hello", "kind": "heading_2",
             "bbox": {"x": 1, "y": 2, "width": 3, "height": 4},
             "lines": [{"text": "Hello", "bbox": {"x": 1, "y": 2, "width": 3, "height": 4},
                        "spans": [{"text": "Hello", "font": "Helvetica", "size": 12, "italic": True}]}],
             "source_anchors": [{"page_number": 1, "pdf_object_ids": ["4 0"],
                                 "bbox": {"x": 1, "y": 2, "width": 3, "height": 4},
                                 "extraction_method": "native_pdf"}],
             "confidence": {"score": 0.82},
             "provenance": {"text_source": "text_layer", "detector": "d", "confidence": 0.5}},
            {"type": "table", "headers": ["a", "b"], "rows": [["1"], ["2", "3", "4"]],
             "cells": [{"row": 0, "column": 0, "text": "a", "is_header": True, "row_span": 2}],
             "html": "<table></table>", "confidence": {"score": 0.7, "calibrated": False}},
            {"type": "figure", "image_ref": "img1", "provenance": {"text_source": "heuristic"}},
        ],
        "images": [{"id": "img1", "object_id": "7 0", "bbox": {"x": 0, "y": 0, "width": 1, "height": 1},
                    "width": 640, "height": 480}],
        "assets": [{"id": "a1", "kind": "image", "width": 4294967295}],
        "warnings": [{"code": "pdf.stream_decode", "severity": "warning", "message": "m",
                      "source_anchor": {"page_number": 1, "extraction_method": "native_pdf"}}],
    }, {"number": 2, "width": None, "blocks": []}],
    "assets": [{"id": "d1", "kind": "font", "object_id": "9 0"}],
    "warnings": [{"code": "pdf.encrypted", "severity": "info", "message": "encrypted"}],
}


def validator(subschema=None):
    root = jsonschema.Draft202012Validator(SCHEMA)
    return root if subschema is None else root.evolve(schema=SCHEMA["$defs"][subschema])


def resolve(node):
    while "$ref" in node:
        target = node["$ref"]
        node = SCHEMA if target == "#" else SCHEMA["$defs"][target.rsplit("/", 1)[1]]
    return node


def alternative_for(value, node):
    """The branch of a oneOf that a value takes: for blocks, the one its "type" names."""
    for option in map(resolve, node["oneOf"]):
        properties = option.get("properties", {})
        if value is None and option.get("type") == "null":
            return option
        if isinstance(value, dict) and properties:
            tag = properties.get("type", {}).get("const")
            if tag is None or tag == value.get("type"):
                return option
    raise AssertionError(f"no branch of {node['oneOf']} for {value!r}")


def assert_key_order(value, node, where="$"):
    """Every object's keys are in the order of its schema's "properties", at every depth."""
    node = resolve(node)
    if "oneOf" in node and "properties" not in node:
        node = alternative_for(value, node)
    if isinstance(value, dict) and "properties" in node:
        order = list(node["properties"])
        assert list(value) == [key for key in order if key in value], where
        for key, item in value.items():
            assert_key_order(item, node["properties"][key], f"{where}.{key}")
    elif isinstance(value, list) and "items" in node:
        for index, item in enumerate(value):
            assert_key_order(item, node["items"], f"{where}[{index}]")


def assert_valid_document(text):
    document = json.loads(text)
    validator().validate(document)
    assert_key_order(document, SCHEMA)


# --- The schema itself ------------------------------------------------------------------


def test_schema_is_draft_2020_12():
    assert SCHEMA["$schema"] == "https://json-schema.org/draft/2020-12/schema"
    jsonschema.Draft202012Validator.check_schema(SCHEMA)


# --- What the engines and the writer produce validates -----------------------------------


def fixture_paths():
    return sorted(path for folder in FIXTURE_FOLDERS if folder.is_dir()
                  for path in folder.rglob("*") if path.is_file())


@pytest.mark.parametrize("options", OPTION_SETS)
def test_fixture_documents_validate(options):
    loaded = 0
    for path in fixture_paths():
        try:
            text = _scrivex.load_path_json_with_options(str(path), options)
        except RuntimeError:
            continue  # a format whose engine is not there yet, or a fixture meant to fail
        assert_valid_document(text)
        loaded += 1
    assert loaded > 0, "no fixture loaded"


@pytest.mark.parametrize("name, content", [
    ("plain.txt", "Title\n\nFirst paragraph\nwrapped.\n\nSecond.\n"),
    ("notes.md", "# Heading\n\nSome *text*.\n\n- one\n- two\n\n| a | b |\n|---|---|\n| 1 | 2 |\n"),
    ("paper.tex", "\\section{Intro}\nHello \\emph{world}.\n\\begin{itemize}\\item x\\end{itemize}\n"),
    ("empty.txt", ""),
])
def test_text_engine_documents_validate(tmp_path, name, content):
    path = tmp_path / name
    path.write_text(content, encoding="utf-8")
    for options in OPTION_SETS:
        assert_valid_document(_scrivex.load_path_json_with_options(str(path), options))
    assert_valid_document(_scrivex.to_json(content))


def test_every_record_as_written_validates():
    assert_valid_document(_scrivex.document_to_json(json.dumps(EVERY_RECORD)))


def test_batch_entries_validate(tmp_path):
    good = tmp_path / "a.txt"
    good.write_text("Hello\n", encoding="utf-8")
    entries = json.loads(_scrivex.load_many_json([str(good), str(tmp_path / "missing.pdf"), "x.doc"]))
    for entry in entries:
        validator("batch_result").validate(entry)
        assert_key_order(entry, SCHEMA["$defs"]["batch_result"])
    assert [entry["ok"] for entry in entries] == [True, False, False]


# --- What the writer never writes is refused ----------------------------------------------


def first_block(document):
    return document["pages"][0]["blocks"][0]


def set_key(getter, key, value):
    def mutate(document):
        getter(document)[key] = value
    return mutate


def drop_key(getter, key):
    def mutate(document):
        del getter(document)[key]
    return mutate


def metadata(document):
    return document["metadata"]


def first_page(document):
    return document["pages"][0]


def table(document):
    return document["pages"][0]["blocks"][1]


def first_span(document):
    return first_block(document)["lines"][0]["spans"][0]


INVALID = [
    # (what is wrong, how to make it so)
    ("unknown metadata key", set_key(metadata, "author", "x")),
    ("nullable key left out", drop_key(metadata, "source")),
    ("negative count", set_key(metadata, "word_count", -1)),
    ("fractional count", set_key(metadata, "block_count", 1.5)),
    ("another schema version", set_key(lambda d: d, "schema_version", "scrivex.ir.v1")),
    ("block tag not a variant", set_key(first_block, "type", "paragraph")),
    ("block without tag", drop_key(first_block, "type")),
    ("text block without kind", drop_key(first_block, "kind")),
    ("empty list written", set_key(first_block, "lines", [])),
    ("false flag written", set_key(first_span, "bold", False)),
    ("span of 1 written", set_key(lambda d: table(d)["cells"][0], "col_span", 1)),
    ("table without caption key", drop_key(table, "caption")),
    ("route not an enumeration value", set_key(first_page, "route", "digital")),
    ("pixel width past 32 bits", set_key(lambda d: first_page(d)["images"][0], "width", 4294967296)),
    ("null box coordinate", set_key(lambda d: first_page(d)["bbox"], "x", None)),
    ("text source not an enumeration value",
     set_key(lambda d: first_block(d)["provenance"], "text_source", "human")),
]


@pytest.mark.parametrize("mutate", [case for _, case in INVALID], ids=[name for name, _ in INVALID])
def test_schema_refuses(mutate):
    document = json.loads(_scrivex.document_to_json(json.dumps(EVERY_RECORD)))
    validator().validate(copy.deepcopy(document))
    mutate(document)
    with pytest.raises(jsonschema.ValidationError):
        validator().validate(document)
