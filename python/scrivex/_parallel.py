"""Runs one function over many items in worker processes, giving the results in input order.

A worker that dies (the native code crashed on a hostile file, or the kernel killed it)
breaks the whole process pool and fails every item still pending. The first unfinished
chunk then runs again one item per fresh process, so the item that kills its process is
the only one reported as crashed, and the rest of the batch goes on on a fresh pool.
"""

from __future__ import annotations

import os
from concurrent.futures import Future, ProcessPoolExecutor
from concurrent.futures.process import BrokenProcessPool
from typing import Any, Callable, Generator, Iterable, Iterator, List, NamedTuple, Optional, TypeVar

# Items sent to one worker at a time, at most, and chunks aimed at per worker.
MAX_CHUNK = 16
CHUNKS_PER_WORKER = 8

Item = TypeVar("Item")
Result = TypeVar("Result")


def available_cpus() -> int:
    """The number of CPUs this process may run on."""
    if hasattr(os, "sched_getaffinity"):
        return max(1, len(os.sched_getaffinity(0)))
    return os.cpu_count() or 1


def worker_count(jobs: Optional[int], items: int) -> int:
    """How many processes to start: `jobs` (all CPUs when None), never more than the items."""
    if jobs is None:
        jobs = available_cpus()
    elif isinstance(jobs, bool) or not isinstance(jobs, int):
        raise TypeError(f"jobs must be an int or None, not {type(jobs).__name__}")
    elif jobs < 1:
        raise ValueError(f"jobs must be at least 1, not {jobs}")
    return max(1, min(jobs, items))


def chunk_size(items: int, workers: int) -> int:
    """Items sent to a worker at a time: enough to amortise a round trip on small files, few
    enough that the workers stay evenly loaded and progress keeps moving."""
    return max(1, min(MAX_CHUNK, items // (workers * CHUNKS_PER_WORKER)))


def ordered_map(function: Callable[[Item], Result], items: Iterable[Item], jobs: Optional[int],
                crashed: Callable[[Item], Result]) -> Iterator[Result]:
    """`function` of every item, in input order, computed by up to `jobs` worker processes.

    `function` must be a module-level function of picklable arguments. With one worker it
    runs in this process. `crashed(item)` stands in for the result of an item whose process
    died. The workers start (and every item is queued) before this returns, so that they are
    forked before the caller starts threads of its own (a progress bar's, say); results come
    as soon as every earlier one is done.
    """
    items = list(items)
    workers = worker_count(jobs, len(items))
    if workers == 1:
        return map(function, items)
    return _in_order(function, items, workers, crashed, _Batch.start(function, items, workers))


class _Batch(NamedTuple):
    """Items queued on a process pool in chunks of `size`, one future per chunk."""

    pool: ProcessPoolExecutor
    futures: List[Future[List[Any]]]
    size: int

    @staticmethod
    def start(function: Callable[[Item], Result], items: List[Item], workers: int) -> _Batch:
        size = chunk_size(len(items), workers)
        pool = ProcessPoolExecutor(max_workers=workers)
        chunks = [items[start:start + size] for start in range(0, len(items), size)]
        return _Batch(pool, [pool.submit(_run_chunk, function, chunk) for chunk in chunks], size)


def _run_chunk(function: Callable[[Item], Result], chunk: List[Item]) -> List[Result]:
    return [function(item) for item in chunk]


def _in_order(function: Callable[[Item], Result], items: List[Item], workers: int,
              crashed: Callable[[Item], Result], batch: _Batch) -> Iterator[Result]:
    while True:
        broken = yield from _drain(batch)
        if broken is None:
            return
        # Every pending chunk failed with the pool: settle the first one item by item, where a
        # crash can be pinned, and go on with the rest on a fresh pool.
        head = broken * batch.size
        yield from _isolated(function, items[head:head + batch.size], crashed)
        items = items[head + batch.size:]
        if not items:
            return
        batch = _Batch.start(function, items, workers)


def _drain(batch: _Batch) -> Generator[Any, None, Optional[int]]:
    """Yields the results chunk by chunk; returns the number of the chunk at which the pool
    broke, or None when every chunk completed."""
    try:
        for number, future in enumerate(batch.futures):
            try:
                results = future.result()
            except BrokenProcessPool:
                return number
            yield from results
        return None
    finally:
        batch.pool.shutdown(wait=True, cancel_futures=True)


def _isolated(function: Callable[[Item], Result], items: List[Item],
              crashed: Callable[[Item], Result]) -> Iterator[Result]:
    """Each item in a process of its own, so a crash is pinned on the item that caused it."""
    for item in items:
        with ProcessPoolExecutor(max_workers=1) as pool:
            future: Future[Result] = pool.submit(function, item)
            try:
                yield future.result()
            except BrokenProcessPool:
                yield crashed(item)
