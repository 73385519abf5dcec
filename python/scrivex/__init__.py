"""Document extraction into one intermediate representation, written as JSON, Markdown or LaTeX.

Every function takes text (a path, in-memory text, IR JSON or options JSON) and returns text;
a failure of the library raises RuntimeError with its message, a wrong argument TypeError.
"""

from _scrivex import (
    __version__,
    detect_format,
    document_to_json,
    document_to_latex,
    document_to_markdown,
    load_many_json,
    load_path_json,
    load_path_json_with_options,
    to_json,
    to_latex,
    to_markdown,
)

__all__ = [
    "__version__",
    "to_markdown",
    "to_json",
    "to_latex",
    "detect_format",
    "load_path_json",
    "load_path_json_with_options",
    "load_many_json",
    "document_to_markdown",
    "document_to_json",
    "document_to_latex",
]
