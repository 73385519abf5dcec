"""The friendly Python API: documents as dicts, rendering by name, batches in parallel."""

from __future__ import annotations

import functools
import json
from typing import Iterable, List, Mapping, Optional, Union

from ._load import check_output_format, load_json, load_result, options_json, path_text, render_json
from ._parallel import ordered_map
from ._types import BatchResult, Document, OutputFormat, StrPath

# The error text of a file whose worker process died while loading it.
CRASHED = "the worker process loading this file died"


def load(path: StrPath, *, include_geometry: bool = True, include_assets: bool = True,
         suppress_headers_footers: bool = False) -> Document:
    """Loads one file into its IR document.

    Raises RuntimeError with the library's message when the file cannot be loaded.

    >>> doc = load("samples/sample.txt", include_geometry=False)
    >>> doc["metadata"]["format"]
    'text'
    """
    options = options_json(include_geometry=include_geometry, include_assets=include_assets,
                           suppress_headers_footers=suppress_headers_footers)
    document: Document = json.loads(load_json(path_text(path), options))
    return document


def render(path_or_document: Union[StrPath, Mapping[str, object]],
           to: OutputFormat = "markdown") -> str:
    """A document written as "markdown", "latex" or "json" (indented IR JSON).

    A str or os.PathLike is a path, loaded with the default options; a mapping is an IR
    document such as `load` returns. Raises ValueError for another `to`, RuntimeError when
    the file cannot be loaded or the mapping is not a valid document.
    """
    check_output_format(to)
    if isinstance(path_or_document, Mapping):
        document_json = json.dumps(path_or_document, ensure_ascii=False)
    else:
        document_json = load_json(path_text(path_or_document), None)
        if to == "json":
            return document_json
    return render_json(document_json, to)


def load_many(paths: Iterable[StrPath], *, jobs: Optional[int] = None, include_geometry: bool = True,
              include_assets: bool = True, suppress_headers_footers: bool = False) -> List[BatchResult]:
    """Loads every path in worker processes; one result per path, in input order.

    A file that fails gives {"path", "ok": False, "document": None, "error"} and does not stop
    the others, like `load_many_json`. `jobs` is the number of processes (default: one per
    CPU; 1 loads in this process). Where processes are spawned rather than forked, call this
    under `if __name__ == "__main__":`.
    """
    if isinstance(paths, (str, bytes)):
        raise TypeError("paths must be a collection of paths, not a single path")
    texts = [path_text(path) for path in paths]
    options = options_json(include_geometry=include_geometry, include_assets=include_assets,
                           suppress_headers_footers=suppress_headers_footers)
    task = functools.partial(load_result, options=options)
    return list(ordered_map(task, texts, jobs, crashed_result))


def crashed_result(path: str) -> BatchResult:
    """The batch entry of a path whose worker process died."""
    return {"path": path, "ok": False, "document": None, "error": CRASHED}
