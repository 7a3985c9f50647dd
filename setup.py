"""Builds the native part of the Python module veltra with CMake: the core and the bindings,
no desktop application, no tests. The rest of the package's description is pyproject.toml."""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = pathlib.Path(__file__).resolve().parent


def version():
    """The one version, set in the top-level CMakeLists.txt's project()."""
    text = (HERE / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(VELTRA VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        configure = [
            "cmake", "-S", str(HERE), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
            "-DVELTRA_BUILD_PYTHON=ON", "-DVELTRA_BUILD_GUI=OFF", "-DVELTRA_BUILD_TESTS=OFF",
            f"-DPython3_EXECUTABLE={sys.executable}",
        ]
        try:  # pybind11 from pip (an isolated build) brings its CMake files along
            import pybind11
            configure.append(f"-Dpybind11_DIR={pybind11.get_cmake_dir()}")
        except ImportError:
            pass  # Debian's pybind11-dev puts them where CMake looks
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "_veltra", "-j", jobs],
                       check=True)
        built = next((build / "python" / "veltra").glob("_veltra*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(version=version(), ext_modules=[Extension("veltra._veltra", sources=[])],
      cmdclass={"build_ext": CMakeBuild})
