"""Chooses which _scrivex the tests import.

To test a module built with CMake, point SCRIVEX_MODULE_DIR at the folder holding it:

    cmake -S . -B build -G Ninja -DPython3_EXECUTABLE=/usr/bin/python3
    ninja -C build
    SCRIVEX_MODULE_DIR=build/python /usr/bin/python3 -m pytest tests/python

That folder goes first on sys.path and the scrivex package is taken from this checkout's
python/ folder, so both come from the tree under test; a module found anywhere else then
stops the run rather than testing something stale. Without the variable the installed
_scrivex and scrivex are imported (e.g. after `pip install .`).
"""

import os
import sys
from pathlib import Path

import pytest

CHECKOUT = Path(__file__).resolve().parents[2]
MODULE_DIR = os.environ.get("SCRIVEX_MODULE_DIR")

if MODULE_DIR:
    sys.path.insert(0, str(CHECKOUT / "python"))
    sys.path.insert(0, str(Path(MODULE_DIR).resolve()))


def pytest_configure(config):
    import _scrivex

    origin = Path(_scrivex.__file__).resolve()
    if MODULE_DIR and origin.parent != Path(MODULE_DIR).resolve():
        pytest.exit(f"SCRIVEX_MODULE_DIR is {MODULE_DIR} but _scrivex came from {origin}", returncode=4)


def pytest_report_header(config):
    import _scrivex

    return f"_scrivex {_scrivex.__version__} from {_scrivex.__file__}"
