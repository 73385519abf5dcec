"""Document extraction into one intermediate representation, written as JSON, Markdown or LaTeX.

The functions of the _scrivex module are re-exported as they are: each takes text (a path,
in-memory text, IR JSON or options JSON) and returns text; a failure of the library raises
RuntimeError with its message, a wrong argument TypeError.

On top of them: `load` gives a document as a dict, `render` writes a path or a document as
Markdown, LaTeX or JSON, and `load_many` loads many paths in worker processes. The command
line is `scrivex` (or `python -m scrivex`); `scrivex.dask.load_bag` spreads a batch over a
Dask cluster.
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

from ._types import BatchResult as BatchResult
from ._types import Document as Document
from ._types import OutputFormat as OutputFormat
from .api import load as load
from .api import load_many as load_many
from .api import render as render

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
    "load",
    "render",
    "load_many",
    "Document",
    "BatchResult",
    "OutputFormat",
]
