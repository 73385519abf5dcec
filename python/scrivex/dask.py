"""Loading batches on a Dask cluster, for corpora one machine cannot get through in time.

    from distributed import Client
    import scrivex.dask

    client = Client("tcp://scheduler:8786")
    results = scrivex.dask.load_bag(paths, include_geometry=False).compute()

Every worker needs scrivex installed and must see the paths (a shared file system). The
bag is Dask's own: it runs on whatever scheduler is active (a distributed Client, or
Dask's local schedulers without one), and can be filtered, mapped or written further.
"""

from __future__ import annotations

import functools
from typing import Iterable, Optional

from dask.bag.core import Bag, from_sequence

from ._load import load_result, options_json, path_text
from ._types import StrPath


def load_bag(paths: Iterable[StrPath], *, npartitions: Optional[int] = None,
             include_geometry: bool = True, include_assets: bool = True,
             suppress_headers_footers: bool = False) -> Bag:
    """A bag of one result per path, in input order, as `scrivex.load_many` gives them.

    Each result is {"path", "ok", "document", "error"}: a file that fails gives ok False and
    its error text, and never fails the computation. `npartitions` is the number of tasks
    (default: Dask's choice, at most about 100).
    """
    if isinstance(paths, (str, bytes)):
        raise TypeError("paths must be a collection of paths, not a single path")
    texts = [path_text(path) for path in paths]
    options = options_json(include_geometry=include_geometry, include_assets=include_assets,
                           suppress_headers_footers=suppress_headers_footers)
    results: Bag = from_sequence(texts, npartitions=npartitions).map(
        functools.partial(load_result, options=options))
    return results
