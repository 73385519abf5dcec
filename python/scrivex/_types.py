"""Types shared by the Python API, the command line and the Dask integration."""

from __future__ import annotations

import os
from typing import Any, Dict, Literal, Optional, TypedDict, Union

# An IR document as json.loads gives it: "schema_version", "metadata", "pages", ...
Document = Dict[str, Any]

# A path as the functions accept it: text or any os.PathLike that gives text.
StrPath = Union[str, "os.PathLike[str]"]

# The three forms a document is written in.
OutputFormat = Literal["json", "markdown", "latex"]
OUTPUT_FORMATS = ("json", "markdown", "latex")


class BatchResult(TypedDict):
    """What loading one path of a batch gave: exactly one of document and error is set."""

    path: str
    ok: bool
    document: Optional[Document]
    error: Optional[str]
