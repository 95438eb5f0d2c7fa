"""pip install --no-build-isolation . : builds the Python module simplex_weights with the
project's CMake build (Debian's cmake, g++, pybind11-dev, python3-dev, libnanoflann-dev)."""
import glob
import os
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = os.path.dirname(os.path.abspath(__file__))


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    """Configures the project for the running interpreter and builds the module's target."""

    def build_extension(self, ext):
        build = os.path.abspath(os.path.join(self.build_temp, "cmake"))
        subprocess.check_call(["cmake", "-S", HERE, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                               "-DWEIGHTS_TESTS=OFF", "-DWEIGHTS_PYTHON=ON",
                               "-DPython_EXECUTABLE=" + sys.executable,
                               "-DPython3_EXECUTABLE=" + sys.executable])
        subprocess.check_call(["cmake", "--build", build, "--target", "simplex_weights_python",
                               "-j", str(os.cpu_count() or 1)])
        built = glob.glob(os.path.join(build, "python", "simplex_weights", "_core*.so"))
        if len(built) != 1:
            raise RuntimeError("the CMake build left no single _core module: %s" % built)
        target = self.get_ext_fullpath(ext.name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(built[0], target)


setup(
    name="simplex-weights",
    version="1.0.0",
    description="Uniform-design weight vectors for multi-objective optimisation",
    packages=["simplex_weights"],
    package_dir={"": "python"},
    ext_modules=[CMakeExtension("simplex_weights._core")],
    cmdclass={"build_ext": CMakeBuild},
    python_requires=">=3.9",
    install_requires=["numpy"],
    zip_safe=False,
)
