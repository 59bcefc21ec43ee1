"""Builds zarfileio._native with the repository's CMake build (the package sits in python/ of
the ZARFileIO repository and links its exchange and file libraries), then installs it with the
package's Python modules: pip install --no-build-isolation ./python"""

import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

REPOSITORY = pathlib.Path(__file__).resolve().parent.parent


class CMakeBuild(build_ext):
    """Configures the repository (without its tests) and builds the extension's target only."""

    def build_extension(self, ext):
        build = REPOSITORY / "build" / "python-package"
        subprocess.check_call(["cmake", "-S", str(REPOSITORY), "-B", str(build), "-G", "Ninja",
                               "-DCMAKE_BUILD_TYPE=Release", "-DZAR_BUILD_TESTS=OFF",
                               f"-DPython_EXECUTABLE={sys.executable}"])
        subprocess.check_call(["cmake", "--build", str(build), "--target", "zarfileio_native"])
        built = next((build / "python" / "zarfileio").glob("_native*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(ext_modules=[Extension("zarfileio._native", sources=[])], cmdclass={"build_ext": CMakeBuild})
