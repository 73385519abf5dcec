"""The friendly API of the scrivex package: load, render, load_many and its worker processes."""

import json
import os
from pathlib import Path

import pytest

import _scrivex
import scrivex
from scrivex._parallel import ordered_map

TEXT = "Title\n\nFirst paragraph\nwrapped.\n\nSecond.\n"


@pytest.fixture
def text_file(tmp_path):
    path = tmp_path / "a.txt"
    path.write_text(TEXT, encoding="utf-8")
    return path


@pytest.fixture
def batch(tmp_path, text_file):
    """A good file, a missing PDF, an unknown extension, a refused legacy format and another good
    file, in that order, with the text each failure must start with."""
    second = tmp_path / "b.md"
    second.write_text("# Notes\n\nBody.\n", encoding="utf-8")
    return [
        (str(text_file), None),
        (str(tmp_path / "missing.pdf"), "I/O error: "),
        (str(tmp_path / "notes.xyz"), "unsupported or unknown document format for path: "),
        (str(tmp_path / "old.doc"), "word extraction is planned but not implemented yet"),
        (str(second), None),
    ]


# --- load -----------------------------------------------------------------------------------


def test_load_is_the_module_document_parsed(text_file):
    assert scrivex.load(text_file) == json.loads(_scrivex.load_path_json(str(text_file)))
    assert scrivex.load(str(text_file))["metadata"]["source"] == str(text_file)


DEFAULT_OPTIONS = {"include_geometry": True, "include_assets": True, "suppress_headers_footers": False}


@pytest.mark.parametrize("keyword, value", [
    ("include_geometry", False),
    ("include_assets", False),
    ("suppress_headers_footers", True),
])
def test_load_passes_each_option_to_the_library(monkeypatch, text_file, keyword, value):
    seen = []

    def spy(path, options_json=None):
        seen.append(json.loads(options_json))
        return original(path, options_json)

    original = _scrivex.load_path_json_with_options
    monkeypatch.setattr(_scrivex, "load_path_json_with_options", spy)
    document = scrivex.load(text_file, **{keyword: value})
    assert seen == [{**DEFAULT_OPTIONS, keyword: value}]
    assert document == json.loads(original(str(text_file), json.dumps(seen[0])))


def test_load_failures(tmp_path):
    with pytest.raises(RuntimeError, match="^I/O error: "):
        scrivex.load(tmp_path / "missing.txt")
    with pytest.raises(RuntimeError, match="^unsupported or unknown document format for path: "):
        scrivex.load("notes.xyz")
    with pytest.raises(TypeError):
        scrivex.load(b"a.txt")
    with pytest.raises(TypeError, match="include_geometry"):
        scrivex.load("a.txt", include_geometry="no")
    with pytest.raises(TypeError):
        scrivex.load("a.txt", False)  # the options are keyword-only


# --- render ---------------------------------------------------------------------------------

RENDERINGS = [
    ("markdown", _scrivex.document_to_markdown),
    ("latex", _scrivex.document_to_latex),
    ("json", _scrivex.document_to_json),
]


@pytest.mark.parametrize("to, module_function", RENDERINGS)
def test_render_path_and_document_alike(text_file, to, module_function):
    expected = module_function(_scrivex.load_path_json(str(text_file)))
    assert scrivex.render(text_file, to=to) == expected
    assert scrivex.render(str(text_file), to) == expected
    assert scrivex.render(scrivex.load(text_file), to=to) == expected


def test_render_defaults_to_markdown_and_keeps_unicode(tmp_path):
    path = tmp_path / "u.txt"
    path.write_text("Grüße, 世界 \"quoted\" \\ back\n", encoding="utf-8")
    assert scrivex.render(path) == _scrivex.document_to_markdown(_scrivex.load_path_json(str(path)))
    assert "Grüße, 世界" in scrivex.render(scrivex.load(path))


def test_render_failures(text_file):
    with pytest.raises(ValueError, match="html"):
        scrivex.render(text_file, to="html")
    with pytest.raises(RuntimeError, match="metadata"):
        scrivex.render({}, to="json")
    with pytest.raises(RuntimeError, match="^I/O error: "):
        scrivex.render(Path(text_file).with_name("missing.txt"))


# --- load_many ------------------------------------------------------------------------------


@pytest.mark.parametrize("jobs", [1, 2, 8, None])
def test_load_many_matches_load_many_json(batch, jobs):
    paths = [path for path, _ in batch]
    assert scrivex.load_many(paths, jobs=jobs) == json.loads(_scrivex.load_many_json(paths))


def test_load_many_reports_each_path_in_order(batch):
    results = scrivex.load_many([Path(path) for path, _ in batch] * 2, jobs=2)
    assert [result["path"] for result in results] == [path for path, _ in batch] * 2
    for result, (_, failure) in zip(results, batch * 2):
        assert list(result) == ["path", "ok", "document", "error"]
        if failure is None:
            assert result["ok"] and result["error"] is None
            assert result["document"]["metadata"]["source"] == result["path"]
        else:
            assert not result["ok"] and result["document"] is None
            assert result["error"].startswith(failure)


def test_load_many_applies_options_in_workers(batch):
    paths = [path for path, failure in batch if failure is None]
    results = scrivex.load_many(paths, jobs=2, include_geometry=False, include_assets=False)
    for path, result in zip(paths, results):
        assert result["document"] == scrivex.load(path, include_geometry=False, include_assets=False)


def test_load_many_edges(text_file):
    assert scrivex.load_many([]) == []
    assert scrivex.load_many(iter([text_file]), jobs=3)[0]["ok"]
    with pytest.raises(TypeError):
        scrivex.load_many(str(text_file))
    for jobs, error in [(0, ValueError), (-1, ValueError), (1.5, TypeError), (True, TypeError)]:
        with pytest.raises(error):
            scrivex.load_many([text_file], jobs=jobs)


# --- Worker processes that die --------------------------------------------------------------


def exit_on_poison(item):
    """Stands in for native code that crashes on one hostile file."""
    if item == "poison":
        os._exit(3)
    return item.upper()


CRASH_CASES = [
    # (items, worker processes): one item per task, and chunks of several items per task
    (["a", "b", "poison", "c", "d", "e"], 2),
    ([f"item{n}" for n in range(40)] + ["poison"] + [f"item{n}" for n in range(40, 90)] + ["poison"], 2),
    (["poison"] * 3 + ["last"], 3),
]


@pytest.mark.parametrize("items, jobs", CRASH_CASES, ids=["single", "chunked", "all-crash-first"])
def test_a_dying_worker_fails_only_its_own_item(items, jobs):
    results = list(ordered_map(exit_on_poison, items, jobs, crashed=lambda item: f"crashed:{item}"))
    assert results == [f"crashed:{item}" if item == "poison" else item.upper() for item in items]
