"""Loading one path with extract options, in the forms the batch runners send to workers.

Everything here is a module-level function of plain arguments, so that worker processes
(multiprocessing or Dask) can receive it by reference.
"""

from __future__ import annotations

import json
import os
from typing import NamedTuple, Optional

import _scrivex

from ._types import OUTPUT_FORMATS, BatchResult, StrPath

# Renders an IR JSON text in one output format.
_RENDERERS = {
    "json": _scrivex.document_to_json,
    "markdown": _scrivex.document_to_markdown,
    "latex": _scrivex.document_to_latex,
}


def options_json(*, include_geometry: bool = True, include_assets: bool = True,
                 suppress_headers_footers: bool = False) -> str:
    """The extract options as the JSON object the module reads; TypeError for a non-bool flag."""
    options = {
        "include_geometry": include_geometry,
        "include_assets": include_assets,
        "suppress_headers_footers": suppress_headers_footers,
    }
    for name, value in options.items():
        if not isinstance(value, bool):
            raise TypeError(f"{name} must be True or False, not {type(value).__name__}")
    return json.dumps(options)


def path_text(path: StrPath) -> str:
    """The path as text; TypeError for anything else (bytes paths included)."""
    text = os.fspath(path)
    if not isinstance(text, str):
        raise TypeError(f"path must be str or os.PathLike[str], not {type(path).__name__}")
    return text


def check_output_format(to: str) -> None:
    """ValueError unless `to` names one of the output formats."""
    if to not in OUTPUT_FORMATS:
        raise ValueError(f"unknown output format {to!r}; expected one of {', '.join(OUTPUT_FORMATS)}")


def render_json(document_json: str, to: str) -> str:
    """An IR JSON text written in the format `to`; RuntimeError when the text is not a document."""
    check_output_format(to)
    return _RENDERERS[to](document_json)


def load_json(path: str, options: Optional[str]) -> str:
    """The IR of one file as indented JSON; RuntimeError with the library's message on failure."""
    return _scrivex.load_path_json_with_options(path, options)


def load_result(path: str, options: Optional[str]) -> BatchResult:
    """One batch entry: the parsed document, or the error text; never raises for a bad file."""
    try:
        document = json.loads(load_json(path, options))
    except RuntimeError as error:
        return {"path": path, "ok": False, "document": None, "error": str(error)}
    return {"path": path, "ok": True, "document": document, "error": None}


class Rendered(NamedTuple):
    """One file loaded and written in an output format: `text` when ok, else `error`."""

    path: str
    text: Optional[str]
    error: Optional[str]


def load_rendered(path: str, options: Optional[str], to: str) -> Rendered:
    """Loads one file and writes it as `to`; the failure is returned, never raised."""
    try:
        document_json = load_json(path, options)
        text = document_json if to == "json" else render_json(document_json, to)
    except RuntimeError as error:
        return Rendered(path, None, str(error))
    return Rendered(path, text, None)
