"""The scrivex command line, run as a separate process the way users run it."""

import io
import json
import os
import subprocess
import sys
from pathlib import Path

import pytest

import _scrivex
from scrivex import cli
from scrivex._progress import make_progress

CHECKOUT = Path(__file__).resolve().parents[2]
MODULE_DIR = os.environ.get("SCRIVEX_MODULE_DIR")
RENDERERS = {
    "json": _scrivex.document_to_json,
    "markdown": _scrivex.document_to_markdown,
    "latex": _scrivex.document_to_latex,
}


def run(*arguments, cwd=None):
    """`python -m scrivex ARGUMENTS` with the _scrivex and scrivex under test."""
    env = dict(os.environ)
    if MODULE_DIR:
        # The child must import the same module and package as this test run.
        tree = [str(Path(MODULE_DIR).resolve()), str(CHECKOUT / "python")]
        env["PYTHONPATH"] = os.pathsep.join(tree + [env.get("PYTHONPATH", "")]).rstrip(os.pathsep)
    return subprocess.run([sys.executable, "-m", "scrivex", *map(str, arguments)], cwd=cwd, env=env,
                          capture_output=True, text=True, encoding="utf-8", timeout=120)


@pytest.fixture
def files(tmp_path):
    """Two good inputs and two that fail, in a folder of their own."""
    folder = tmp_path / "in"
    folder.mkdir()
    (folder / "a.txt").write_text("Alpha\n\nSecond paragraph.\n", encoding="utf-8")
    (folder / "b.md").write_text("# Beta\n\nGrüße aus 世界.\n", encoding="utf-8")
    return {
        "a": folder / "a.txt",
        "b": folder / "b.md",
        "missing": folder / "missing.pdf",
        "unknown": folder / "notes.xyz",
    }


def expected_output(path, to, options=None):
    """The library's text as the command writes it: ending with a newline."""
    text = RENDERERS[to](_scrivex.load_path_json_with_options(str(path), options))
    return text if text.endswith("\n") else text + "\n"


# --- One file to standard output --------------------------------------------------------


@pytest.mark.parametrize("to", ["json", "markdown", "latex"])
def test_one_file_goes_to_standard_output(files, to):
    result = run(files["b"], "--to", to)
    assert (result.returncode, result.stderr) == (0, "")
    assert result.stdout == expected_output(files["b"], to)


def test_one_file_defaults_to_indented_ir_json(files):
    result = run(files["a"])
    assert result.returncode == 0
    assert result.stdout == _scrivex.load_path_json(str(files["a"])) + "\n"  # JSON has no final newline


def test_one_failing_file(files):
    result = run(files["missing"], "--to", "markdown")
    assert (result.returncode, result.stdout) == (1, "")
    assert result.stderr.startswith(f"scrivex: {files['missing']}: I/O error: ")


FLAGS = [
    # (command-line flags, the options the library must receive)
    ([], {}),
    (["--no-geometry"], {"include_geometry": False}),
    (["--no-assets"], {"include_assets": False}),
    (["--suppress-headers-footers"], {"suppress_headers_footers": True}),
    (["--no-geometry", "--no-assets", "--suppress-headers-footers"],
     {"include_geometry": False, "include_assets": False, "suppress_headers_footers": True}),
]


@pytest.mark.parametrize("flags, options", FLAGS)
def test_flags_become_extract_options(monkeypatch, capsys, files, flags, options):
    seen = []
    original = _scrivex.load_path_json_with_options

    def spy(path, options_json=None):
        seen.append(json.loads(options_json))
        return original(path, options_json)

    monkeypatch.setattr(_scrivex, "load_path_json_with_options", spy)
    assert cli.main([str(files["a"]), *flags]) == 0
    defaults = {"include_geometry": True, "include_assets": True, "suppress_headers_footers": False}
    assert seen == [{**defaults, **options}]
    assert capsys.readouterr().out == expected_output(files["a"], "json", json.dumps(seen[0]))


# --- Batches into a folder --------------------------------------------------------------


@pytest.mark.parametrize("jobs", ["1", "2"])
def test_batch_writes_one_output_per_input_and_reports_failures(tmp_path, files, jobs):
    out = tmp_path / "out" / "nested"
    inputs = [files["a"], files["missing"], files["b"], files["unknown"]]
    result = run(*inputs, "--to", "markdown", "-o", out, "--jobs", jobs)
    assert (result.returncode, result.stdout) == (1, "")
    assert sorted(path.name for path in out.iterdir()) == ["a.md", "b.md"]
    for name in ("a", "b"):
        written = (out / f"{name}.md").read_text(encoding="utf-8")
        assert written == expected_output(files[name], "markdown")
    assert result.stderr.splitlines() == [
        f"scrivex: {files['missing']}: I/O error: No such file or directory (os error 2)",
        f"scrivex: {files['unknown']}: unsupported or unknown document format for path: {files['unknown']}",
        "scrivex: 2 of 4 files failed",
    ]


def test_several_files_without_a_folder_go_to_the_current_one(tmp_path, files):
    work = tmp_path / "work"
    work.mkdir()
    result = run(files["a"], files["b"], "--to", "latex", cwd=work)
    assert (result.returncode, result.stdout, result.stderr) == (0, "", "")
    assert sorted(path.name for path in work.iterdir()) == ["a.tex", "b.tex"]
    assert (work / "b.tex").read_text(encoding="utf-8") == expected_output(files["b"], "latex")


def test_one_file_with_a_folder_is_written_there(tmp_path, files):
    result = run(files["a"], "-o", tmp_path / "out")
    assert (result.returncode, result.stdout) == (0, "")
    assert (tmp_path / "out" / "a.json").read_text(encoding="utf-8") == expected_output(files["a"], "json")


def test_same_names_get_numbered_and_inputs_are_never_overwritten(tmp_path):
    for folder in ("x", "y"):
        (tmp_path / folder).mkdir()
        (tmp_path / folder / "notes.md").write_text(f"From {folder}\n", encoding="utf-8")
    # Markdown written into the folder of the first input would land on that input.
    result = run(tmp_path / "x" / "notes.md", tmp_path / "y" / "notes.md", "--to", "markdown",
                 "-o", tmp_path / "x")
    assert result.returncode == 1
    assert (tmp_path / "x" / "notes.md").read_text(encoding="utf-8") == "From x\n"
    assert (tmp_path / "x" / "notes-2.md").read_text(encoding="utf-8") == "From y\n"
    assert "is the input itself" in result.stderr.splitlines()[0]


# --- Usage errors and the version ---------------------------------------------------------

USAGE_ERRORS = [
    [],
    ["a.txt", "--to", "html"],
    ["a.txt", "--jobs", "0"],
    ["a.txt", "--jobs", "many"],
    ["a.txt", "--unknown-flag"],
]


@pytest.mark.parametrize("arguments", USAGE_ERRORS, ids=" ".join)
def test_usage_errors_exit_2(arguments):
    result = run(*arguments)
    assert (result.returncode, result.stdout) == (2, "")
    assert "usage: scrivex" in result.stderr


def test_output_folder_that_is_a_file_is_a_usage_error(tmp_path, files):
    blocker = tmp_path / "file"
    blocker.write_text("", encoding="utf-8")
    result = run(files["a"], files["b"], "-o", blocker)
    assert (result.returncode, result.stdout) == (2, "")
    assert f"cannot use output directory {blocker}" in result.stderr


def test_version():
    result = run("--version")
    assert (result.returncode, result.stdout.strip()) == (0, f"scrivex {_scrivex.__version__}")


@pytest.mark.skipif(MODULE_DIR is not None, reason="the console script exists once installed")
def test_installed_console_script(files):
    script = Path(sys.executable).parent / "scrivex"
    result = subprocess.run([str(script), str(files["a"]), "--to", "markdown"], capture_output=True,
                            text=True, encoding="utf-8", timeout=120)
    assert (result.returncode, result.stdout) == (0, expected_output(files["a"], "markdown"))


# --- Progress on standard error -----------------------------------------------------------


@pytest.mark.parametrize("prefer_tqdm", [False, True])
def test_progress_keeps_messages_on_their_own_lines(prefer_tqdm):
    stream = io.StringIO()
    progress = make_progress(2, stream, enabled=True, prefer_tqdm=prefer_tqdm)
    progress.update()
    progress.write("scrivex: x: failed")
    progress.update()
    progress.close()
    lines = stream.getvalue().replace("\r", "\n").splitlines()
    assert "scrivex: x: failed" in lines
    assert any("2/2" in line for line in lines)


def test_progress_disabled_still_writes_messages():
    stream = io.StringIO()
    progress = make_progress(3, stream, enabled=False, prefer_tqdm=False)
    progress.update()
    progress.write("scrivex: x: failed")
    progress.close()
    assert stream.getvalue() == "scrivex: x: failed\n"
