"""The _scrivex module as Python sees it: attributes, signatures, argument binding,
error mapping and batch loading."""

import inspect
import json
import re

import pytest

import _scrivex

VERSION = "0.3.17"
UNSUPPORTED = "unsupported or unknown document format for path: "
WORD_REFUSED = "word extraction is planned but not implemented yet"
# A JSON reader message, passed on as is: no prefix, and the fault's line and column at the end.
READER_MESSAGE = r"(?!JSON error)\S.* at line \d+ column \d+"

# Every function with the text signature introspection must show, in the order the
# module adds them.
SIGNATURES = [
    ("to_markdown", "(text)"),
    ("to_json", "(text)"),
    ("to_latex", "(text)"),
    ("detect_format", "(path)"),
    ("load_path_json", "(path)"),
    ("load_path_json_with_options", "(path, options_json=None)"),
    ("load_many_json", "(paths)"),
    ("document_to_markdown", "(document_json)"),
    ("document_to_json", "(document_json)"),
    ("document_to_latex", "(document_json)"),
]
FUNCTION_NAMES = [name for name, _ in SIGNATURES]


@pytest.fixture
def text_file(tmp_path):
    path = tmp_path / "a.txt"
    path.write_text("Hello\nworld\n\nSecond\n", encoding="utf-8")
    return str(path)


def compact_outside_strings(json_text):
    """True when no whitespace separates the tokens (string contents may hold any)."""
    tokens = re.sub(r'"(?:[^"\\]|\\.)*"', '""', json_text)
    return not re.search(r"\s", tokens)


# --- Module surface -------------------------------------------------------------------


def test_version_and_attribute_order():
    assert _scrivex.__version__ == VERSION
    public = [name for name in vars(_scrivex) if not name.startswith("__") or name == "__version__"]
    assert public == ["__version__", *FUNCTION_NAMES]


@pytest.mark.parametrize("name, parameters", SIGNATURES)
def test_signature_is_the_only_documentation(name, parameters):
    function = getattr(_scrivex, name)
    assert function.__text_signature__ == parameters
    assert name + str(inspect.signature(function)) == name + parameters
    assert function.__doc__ is None


def test_package_reexports_the_module():
    import scrivex

    assert scrivex.__version__ == VERSION
    for name in FUNCTION_NAMES:
        assert getattr(scrivex, name) is getattr(_scrivex, name)
    friendly = ["load", "render", "load_many", "Document", "BatchResult", "OutputFormat"]
    assert sorted(scrivex.__all__) == sorted(["__version__", *FUNCTION_NAMES, *friendly])


# --- Argument binding -------------------------------------------------------------------

TYPE_ERRORS = [
    # (function, positional, keyword, text the message must contain)
    ("to_json", (), {}, "'text'"),
    ("to_json", (1,), {}, "'text'"),
    ("to_json", (None,), {}, "'text'"),
    ("to_json", (b"bytes",), {}, "'text'"),
    ("to_json", ("a", "b"), {}, "at most 1 argument"),
    ("to_json", (), {"txt": "a"}, "'txt'"),
    ("to_json", ("a",), {"text": "b"}, "'text'"),
    ("to_markdown", (), {"text": 3.5}, "'text'"),
    ("detect_format", (), {}, "'path'"),
    ("load_path_json", (), {"path": 7}, "'path'"),
    ("load_path_json", ("a.txt", None), {}, "at most 1 argument"),
    ("load_path_json_with_options", (), {"options_json": "{}"}, "'path'"),
    ("load_path_json_with_options", ("a.txt", 5), {}, "'options_json'"),
    ("load_path_json_with_options", ("a.txt",), {"options_json": {}}, "'options_json'"),
    ("load_path_json_with_options", ("a.txt", None, None), {}, "at most 2 arguments"),
    ("load_many_json", ("a.txt",), {}, "'paths'"),
    ("load_many_json", (), {"paths": "a.txt"}, "'paths'"),
    ("load_many_json", (None,), {}, "'paths'"),
    ("load_many_json", (3,), {}, "'paths'"),
    ("load_many_json", ({"a.txt"},), {}, "'paths'"),
    ("load_many_json", (["a.txt", 2],), {}, "'paths' item 1"),
    ("load_many_json", ([b"a.txt"],), {}, "'paths' item 0"),
    ("document_to_json", ({},), {}, "'document_json'"),
    ("document_to_latex", (), {"document": "{}"}, "'document'"),
    ("document_to_markdown", ("{}", "{}"), {}, "at most 1 argument"),
]


@pytest.mark.parametrize("name, args, kwargs, fragment", TYPE_ERRORS)
def test_wrong_arguments_raise_type_error(name, args, kwargs, fragment):
    with pytest.raises(TypeError) as caught:
        getattr(_scrivex, name)(*args, **kwargs)
    assert fragment in str(caught.value)
    assert str(caught.value).startswith(name + "()")


def test_keywords_bind_like_positions(text_file):
    assert _scrivex.to_markdown(text="Hello") == _scrivex.to_markdown("Hello")
    assert _scrivex.detect_format(path="x.pdf") == "pdf"
    assert _scrivex.load_path_json_with_options(options_json=None, path=text_file) == _scrivex.load_path_json(
        path=text_file
    )
    assert _scrivex.load_many_json(paths=[]) == "[]"


def test_text_that_cannot_be_encoded_raises_the_interpreters_error():
    with pytest.raises(UnicodeEncodeError):
        _scrivex.to_json("lone \ud800 surrogate")


def test_str_subclasses_are_text():
    class Path(str):
        pass

    assert _scrivex.detect_format(Path("x.csv")) == "csv"


# --- Text and IR JSON -------------------------------------------------------------------


def test_empty_text_is_a_plain_text_document():
    metadata = json.loads(_scrivex.to_json(""))["metadata"]
    assert metadata["format"] == "text"
    assert metadata["engine"] == "plain-text"
    assert metadata["source"] is None


def test_document_json_round_trips_through_the_module():
    written = _scrivex.to_json("Hello\nworld\n\nSecond")
    assert _scrivex.document_to_json(written) == written
    assert _scrivex.document_to_markdown(written) == _scrivex.to_markdown("Hello\nworld\n\nSecond")
    assert _scrivex.document_to_latex(written) == _scrivex.to_latex("Hello\nworld\n\nSecond")


def test_document_without_metadata_names_the_missing_field():
    with pytest.raises(RuntimeError) as caught:
        _scrivex.document_to_json("{}")
    assert "metadata" in str(caught.value)
    assert re.fullmatch(READER_MESSAGE, str(caught.value))


# --- Paths and options ------------------------------------------------------------------

PATH_ERRORS = [
    # (path, exact RuntimeError message); none of these files exists or is opened
    ("notes.xyz", UNSUPPORTED + "notes.xyz"),
    ("Makefile", UNSUPPORTED + "Makefile"),
    ("no/such/report.doc", WORD_REFUSED),
    ("old.xls", "excel extraction is planned but not implemented yet"),
]


@pytest.mark.parametrize("path, message", PATH_ERRORS)
def test_path_errors_carry_the_core_message(path, message):
    with pytest.raises(RuntimeError) as caught:
        _scrivex.load_path_json(path)
    assert str(caught.value) == message


def test_missing_file_is_an_io_error(tmp_path):
    with pytest.raises(RuntimeError) as caught:
        _scrivex.load_path_json(str(tmp_path / "missing.pdf"))
    assert str(caught.value) == "I/O error: No such file or directory (os error 2)"


def test_unsupported_format_of_detect_format():
    with pytest.raises(RuntimeError) as caught:
        _scrivex.detect_format("notes.xyz")
    assert str(caught.value) == UNSUPPORTED + "notes.xyz"


def test_absent_none_and_empty_options_are_the_defaults(text_file):
    plain = _scrivex.load_path_json(text_file)
    assert "\n" in plain
    assert _scrivex.load_path_json_with_options(text_file) == plain
    assert _scrivex.load_path_json_with_options(text_file, None) == plain
    assert _scrivex.load_path_json_with_options(text_file, "{}") == plain


def test_broken_options_fail_before_the_file_is_read(tmp_path):
    with pytest.raises(RuntimeError) as caught:
        _scrivex.load_path_json_with_options(str(tmp_path / "missing.txt"), "[")
    message = str(caught.value)
    assert message.startswith("EOF while parsing")
    assert re.fullmatch(READER_MESSAGE, message)


# --- Batch loading ----------------------------------------------------------------------


def test_batch_reports_every_path_in_order(text_file, tmp_path):
    missing = str(tmp_path / "missing.pdf")
    unknown = str(tmp_path / "b.xyz")
    answer = _scrivex.load_many_json([text_file, missing, unknown])
    assert compact_outside_strings(answer)

    first, second, third = json.loads(answer)
    for entry in (first, second, third):
        assert list(entry) == ["path", "ok", "document", "error"]
    assert [first["path"], second["path"], third["path"]] == [text_file, missing, unknown]

    assert first["ok"] is True and first["error"] is None
    assert first["document"]["metadata"]["format"] == "text"
    assert first["document"] == json.loads(_scrivex.load_path_json(text_file))

    assert second["ok"] is False and second["document"] is None
    assert second["error"].startswith("I/O error: ")

    assert third == {"path": unknown, "ok": False, "document": None, "error": UNSUPPORTED + unknown}


def test_batch_refuses_legacy_formats_per_entry(text_file):
    entries = json.loads(_scrivex.load_many_json(("report.doc", text_file, text_file)))
    assert entries[0] == {"path": "report.doc", "ok": False, "document": None, "error": WORD_REFUSED}
    # Duplicates are loaded again, each with its own entry.
    assert entries[1] == entries[2] and entries[1]["ok"] is True


def test_batch_accepts_any_sequence_of_str(text_file):
    class Paths:
        def __len__(self):
            return 1

        def __getitem__(self, index):
            if index >= 1:
                raise IndexError(index)
            return text_file

    expected = _scrivex.load_many_json([text_file])
    assert _scrivex.load_many_json((text_file,)) == expected
    assert _scrivex.load_many_json(Paths()) == expected
    assert _scrivex.load_many_json([]) == "[]"
    assert _scrivex.load_many_json(()) == "[]"
