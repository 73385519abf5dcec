"""The scrivex command: load documents and write them as IR JSON, Markdown or LaTeX.

    scrivex report.txt --to markdown            # one file: the output goes to standard output
    scrivex *.txt -o out --jobs 4               # a batch: one output per input in out/

Exit status: 0 when every file succeeded, 1 when some failed, 2 for a usage error.
"""

from __future__ import annotations

import argparse
import functools
import itertools
import sys
from pathlib import Path
from typing import List, Optional, Sequence, Tuple

import _scrivex

from ._load import load_rendered, options_json
from ._parallel import ordered_map
from ._progress import make_progress
from ._types import OUTPUT_FORMATS
from .api import CRASHED

EXIT_OK = 0
EXIT_FAILED = 1
EXIT_USAGE = 2
EXIT_INTERRUPTED = 130

# The file extension of each output format.
EXTENSIONS = {"json": ".json", "markdown": ".md", "latex": ".tex"}
PROG = "scrivex"


def _positive_int(text: str) -> int:
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a whole number: {text!r}") from None
    if value < 1:
        raise argparse.ArgumentTypeError(f"must be at least 1: {value}")
    return value


def build_parser() -> argparse.ArgumentParser:
    """The argument parser; it exits with status 2 on a usage error."""
    parser = argparse.ArgumentParser(
        prog=PROG,
        description="Load documents into scrivex's IR and write them as JSON, Markdown or LaTeX. "
                    "One file is written to standard output; several files, or -o, give one "
                    "output file per input in DIR.",
        epilog="Exit status: 0 when every file succeeded, 1 when some failed, 2 for a usage error.")
    parser.add_argument("files", nargs="+", metavar="FILE", help="documents to load")
    parser.add_argument("--to", choices=OUTPUT_FORMATS, default="json",
                        help="output format (default: json, the IR)")
    parser.add_argument("-o", "--output-dir", metavar="DIR", type=Path,
                        help="write one output per input into DIR (default for several files: "
                             "the current directory)")
    parser.add_argument("--jobs", "-j", type=_positive_int, metavar="N",
                        help="worker processes for a batch (default: one per CPU)")
    parser.add_argument("--no-geometry", action="store_true",
                        help="drop boxes and line detail")
    parser.add_argument("--no-assets", action="store_true", help="drop images and assets")
    parser.add_argument("--suppress-headers-footers", action="store_true",
                        help="drop blocks repeated at the top or bottom of many pages")
    parser.add_argument("--version", action="version", version=f"{PROG} {_scrivex.__version__}")
    return parser


def main(argv: Optional[Sequence[str]] = None) -> int:
    """Runs the command with `argv` (default: the process arguments); returns the exit status."""
    parser = build_parser()
    args = parser.parse_args(argv)
    options = options_json(include_geometry=not args.no_geometry, include_assets=not args.no_assets,
                           suppress_headers_footers=args.suppress_headers_footers)
    try:
        if len(args.files) == 1 and args.output_dir is None:
            return _run_single(args.files[0], options, args.to)
        directory = args.output_dir if args.output_dir is not None else Path.cwd()
        if not _prepare_directory(directory):
            return EXIT_USAGE
        return _run_batch(args.files, options, args.to, directory, args.jobs)
    except KeyboardInterrupt:
        _report(f"{PROG}: interrupted")
        return EXIT_INTERRUPTED


def _run_single(path: str, options: str, to: str) -> int:
    """One file to standard output."""
    result = load_rendered(path, options, to)
    if result.text is None:
        _report(f"{PROG}: {path}: {result.error}")
        return EXIT_FAILED
    try:
        _write_stdout(_with_final_newline(result.text))
    except BrokenPipeError:
        return EXIT_FAILED
    return EXIT_OK


def _run_batch(paths: List[str], options: str, to: str, directory: Path, jobs: Optional[int]) -> int:
    """Every file into `directory`, in parallel, with progress and per-file failures on stderr."""
    targets = output_paths(paths, directory, EXTENSIONS[to])
    pairs = [(path, str(target)) for path, target in zip(paths, targets)]
    task = functools.partial(convert_file, options=options, to=to)
    # The workers start here, before the progress bar's own thread.
    errors = ordered_map(task, pairs, jobs, _crashed)
    progress = make_progress(len(paths), sys.stderr, enabled=len(paths) > 1 and _is_terminal())
    failures = 0
    try:
        for path, error in zip(paths, errors):
            if error is not None:
                failures += 1
                progress.write(f"{PROG}: {path}: {error}")
            progress.update()
    finally:
        progress.close()
    if failures:
        _report(f"{PROG}: {failures} of {len(paths)} files failed")
        return EXIT_FAILED
    return EXIT_OK


def convert_file(pair: Tuple[str, str], options: str, to: str) -> Optional[str]:
    """Loads the path of `pair` = (path, target) and writes it as `to` into target.

    Runs in a worker: the output is written there, so only the error text (None on
    success) comes back, not the document.
    """
    path, target = pair
    result = load_rendered(path, options, to)
    if result.text is None:
        return result.error
    return _write_output(result.text, path, Path(target))


def output_paths(paths: Sequence[str], directory: Path, extension: str) -> List[Path]:
    """One output path per input: its file name with `extension` in place of its own.

    report.pdf gives report.md; when two inputs would share a name, the later ones get
    "-2", "-3", ... before the extension (a/x.txt, b/x.txt give x.md, x-2.md).
    """
    used = set()
    targets = []
    for path in paths:
        stem = Path(path).stem or "document"
        name = stem + extension
        for number in itertools.count(2):
            if name not in used:
                break
            name = f"{stem}-{number}{extension}"
        used.add(name)
        targets.append(directory / name)
    return targets


def _write_output(text: str, path: str, target: Path) -> Optional[str]:
    """Writes the output of `path` to `target`; the error text when that failed, else None."""
    try:
        if target.exists() and target.samefile(path):
            return f"not written: {target} is the input itself"
        target.write_text(_with_final_newline(text), encoding="utf-8")
    except OSError as error:
        return f"cannot write {target}: {error.strerror or error}"
    return None


def _prepare_directory(directory: Path) -> bool:
    """Creates the output directory when missing; false (after a message) when it cannot be used."""
    try:
        directory.mkdir(parents=True, exist_ok=True)
    except OSError as error:
        _report(f"{PROG}: error: cannot use output directory {directory}: {error.strerror or error}")
        return False
    return True


def _crashed(pair: Tuple[str, str]) -> Optional[str]:
    return CRASHED


def _with_final_newline(text: str) -> str:
    return text if text.endswith("\n") else text + "\n"


def _write_stdout(text: str) -> None:
    """Writes UTF-8 whatever the locale says, through the byte buffer when there is one."""
    buffer = getattr(sys.stdout, "buffer", None)
    if buffer is None:
        sys.stdout.write(text)
        sys.stdout.flush()
        return
    sys.stdout.flush()
    buffer.write(text.encode("utf-8"))
    buffer.flush()


def _is_terminal() -> bool:
    isatty = getattr(sys.stderr, "isatty", None)
    return bool(isatty and isatty())


def _report(message: str) -> None:
    print(message, file=sys.stderr, flush=True)
