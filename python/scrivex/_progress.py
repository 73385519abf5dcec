"""Progress of a batch on standard error: tqdm's bar when it is installed, a counter otherwise.

Both take messages through `write`, which keeps them on lines of their own above the bar.
"""

from __future__ import annotations

import importlib
from typing import Optional, TextIO


class Progress:
    """The plain counter, "\\r3/10 files", redrawn in place; silent when not enabled."""

    def __init__(self, total: int, stream: TextIO, enabled: bool) -> None:
        self.total = total
        self.done = 0
        self.stream = stream
        self.enabled = enabled
        self.drawn = ""

    def update(self) -> None:
        self.done += 1
        self._draw()

    def write(self, message: str) -> None:
        self._erase()
        self.stream.write(message + "\n")
        self._draw()

    def close(self) -> None:
        if self.drawn:
            self.stream.write("\n")
            self.drawn = ""
        self.stream.flush()

    def _draw(self) -> None:
        if self.enabled:
            self.drawn = f"{self.done}/{self.total} files"
            self.stream.write("\r" + self.drawn)
            self.stream.flush()

    def _erase(self) -> None:
        if self.drawn:
            self.stream.write("\r" + " " * len(self.drawn) + "\r")
            self.drawn = ""


class TqdmProgress(Progress):
    """tqdm's bar, with messages written through tqdm so the bar is redrawn below them."""

    def __init__(self, total: int, stream: TextIO, enabled: bool, tqdm_class: type) -> None:
        super().__init__(total, stream, enabled)
        self.bar = tqdm_class(total=total, file=stream, unit="file", disable=not enabled,
                              dynamic_ncols=True, leave=True)

    def update(self) -> None:
        self.done += 1
        self.bar.update(1)

    def write(self, message: str) -> None:
        self.bar.write(message, file=self.stream)

    def close(self) -> None:
        self.bar.close()
        self.stream.flush()


def _tqdm_class() -> Optional[type]:
    """tqdm's bar class, or None when tqdm is not installed (it is optional)."""
    try:
        tqdm: type = importlib.import_module("tqdm").tqdm
    except ImportError:
        return None
    return tqdm


def make_progress(total: int, stream: TextIO, enabled: bool, prefer_tqdm: bool = True) -> Progress:
    """A progress display for `total` files on `stream`; `enabled` false shows only messages."""
    tqdm_class = _tqdm_class() if prefer_tqdm else None
    if tqdm_class is None:
        return Progress(total, stream, enabled)
    return TqdmProgress(total, stream, enabled, tqdm_class)
