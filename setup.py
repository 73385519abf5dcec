"""Builds the _scrivex extension module with CMake and installs it beside the scrivex package.

    python3 -m pip install --no-build-isolation .

CMake and a C++20 compiler must be installed; Ninja is used when it is on PATH. The CMake
build and setuptools' own build folders live outside the source tree: in $SCRIVEX_BUILD_DIR
when it is set, else in a folder of the temporary directory named after this checkout, so a
second install rebuilds only what changed. $CMAKE_BUILD_PARALLEL_LEVEL sets the number of
compile jobs (default 2).
"""

import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext
from setuptools.command.build_py import build_py

ROOT = Path(__file__).resolve().parent
DEFAULT_JOBS = "2"


def build_base() -> Path:
    """The folder for every build product; one per checkout, outside it."""
    chosen = os.environ.get("SCRIVEX_BUILD_DIR")
    if chosen:
        return Path(chosen).resolve()
    checkout = hashlib.sha1(str(ROOT).encode()).hexdigest()[:12]
    return Path(tempfile.gettempdir()) / f"scrivex-build-{checkout}"


class CMakeBuild(build_ext):
    """Builds every extension as the CMake target of the same name and copies the module in place."""

    def build_extension(self, ext: Extension) -> None:
        cmake_dir = Path(self.build_temp).resolve() / "cmake"
        configure = [
            "cmake", "-S", str(ROOT), "-B", str(cmake_dir),
            "-DCMAKE_BUILD_TYPE=Release",
            "-DSCRIVEX_BUILD_TESTS=OFF",
            "-DSCRIVEX_BUILD_BENCH=OFF",
            "-DSCRIVEX_BUILD_MODULE=ON",
            f"-DPython3_EXECUTABLE={sys.executable}",
        ]
        # The generator is fixed by the first configure; naming another one later is an error.
        if shutil.which("ninja") and not (cmake_dir / "CMakeCache.txt").exists():
            configure += ["-G", "Ninja"]
        jobs = str(self.parallel or os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or DEFAULT_JOBS)
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(cmake_dir), "--target", ext.name, "--parallel", jobs],
                       check=True)

        built = cmake_dir / "python" / self.get_ext_filename(ext.name)
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


class BuildPyWithStub(build_py):
    """Also ships python/_scrivex.pyi, the types of the extension module, as the stub-only
    package _scrivex-stubs, the form type checkers look for beside a top-level module."""

    def run(self) -> None:
        super().run()
        stubs = Path(self.build_lib) / "_scrivex-stubs"
        self.mkpath(str(stubs))
        self.copy_file(str(ROOT / "python" / "_scrivex.pyi"), str(stubs / "__init__.pyi"))


BUILD_BASE = build_base()
EGG_BASE = BUILD_BASE / "egg-info"
EGG_BASE.mkdir(parents=True, exist_ok=True)

setup(
    package_dir={"": "python"},
    packages=["scrivex"],
    package_data={"scrivex": ["py.typed"]},
    ext_modules=[Extension("_scrivex", sources=[])],
    cmdclass={"build_ext": CMakeBuild, "build_py": BuildPyWithStub},
    options={
        "build": {"build_base": str(BUILD_BASE)},
        "egg_info": {"egg_base": str(EGG_BASE)},
    },
    zip_safe=False,
)
