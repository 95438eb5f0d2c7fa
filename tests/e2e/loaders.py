#!/usr/bin/env python3
"""Every program's weight file loads with the readers the README shows: numpy always, and
Octave, R and Java where they are installed. Each loader reports rows, columns and the worst
row-sum error, checked against the header and the file. Usage: loaders.py BIN_DIR"""
import os
import shutil
import subprocess
import sys
import tempfile

from checks import check, finish

BIN = os.path.abspath(sys.argv[1])
HERE = os.path.dirname(os.path.abspath(__file__))
RUNS = [("tglp_weights", ["--seed", "1", "3", "100"], "output/weight_03D_101.tglp", 101),
        ("udh_weights", ["3", "100"], "output/weight_03D_100.udh", 100),
        ("udh_weights_prod", ["3", "100"], "weight_03D_100.udh", 100),
        ("gwud_weights", ["3", "100"], "output/weight_03D_100.gwud", 100),
        ("gwud_weights_prod", ["10", "100"], "output/weight_10D_100.gwud", 100),
        ("msld_weights", ["3", "5"], "output/weight_03D_5.msld", 139),
        ("glp_points", ["--seed", "1", "2", "101"], "output/weight_02D_101.glp", 101)]

NUMPY = """
import sys, numpy
W = numpy.loadtxt(sys.argv[1], comments="#", ndmin=2)
print(W.shape[0], W.shape[1], abs(W.sum(axis=1) - 1).max())
"""
# Octave 7 takes no file argument after --eval: the file comes through the environment.
OCTAVE = ("W = load(getenv('WEIGHT_FILE')); "
          "printf('%d %d %g\\n', rows(W), columns(W), max(abs(sum(W, 2) - 1)));")
R = """
f <- commandArgs(trailingOnly = TRUE)[1]
W <- as.matrix(read.table(f))
cat(nrow(W), ncol(W), max(abs(rowSums(W) - 1)), "\\n")
"""


def python_with_numpy():
    for python in (sys.executable, "/usr/bin/python3"):
        if subprocess.run([python, "-c", "import numpy"], capture_output=True).returncode == 0:
            return python
    return None


def loaders(work):
    found = {}
    python = python_with_numpy()
    check(python is not None, "numpy is not installed (Debian python3-numpy)")
    if python:
        found["numpy"] = lambda f: [python, "-c", NUMPY, f]
    optional = {
        "octave": ("octave", lambda f: ["octave", "--no-gui", "--quiet", "--no-init-file", "--eval", OCTAVE]),
        "R": ("Rscript", lambda f: ["Rscript", "-e", R, f]),
        "java": ("java", lambda f: ["java", os.path.join(HERE, "loaders", "WeightFile.java"), f]),
    }
    for reader, (tool, command) in optional.items():
        if shutil.which(tool):
            found[reader] = command
        else:
            print(f"loaders: {reader} skipped ({tool} is not installed)")
    return found


work = tempfile.mkdtemp(prefix="loaders_")
try:
    os.mkdir(os.path.join(work, "output"))
    shutil.copy(os.path.join(BIN, "primes.dat"), work)
    readers = loaders(work)
    print("loaders:", ", ".join(readers))
    for program, args, name, rows in RUNS:
        result = subprocess.run([program] + args, executable=os.path.join(BIN, program), cwd=work,
                                stdout=subprocess.DEVNULL)
        check(result.returncode == 0, f"{program} {args}: status {result.returncode}")
        path = os.path.join(work, name)
        columns = int(args[-2])
        with open(path) as f:
            first = f.readline()
        if first.startswith("#"):
            check(first.split()[1:] == [str(rows), str(columns)], f"{name}: header {first!r}")
        for reader, command in readers.items():
            out = subprocess.run(command(path), capture_output=True, text=True, timeout=120,
                                 env=dict(os.environ, WEIGHT_FILE=path))
            words = out.stdout.split()
            where = f"{reader} on {name}"
            if out.returncode != 0 or len(words) < 3:
                check(False, f"{where}: {out.stdout!r} {out.stderr[-300:]!r}")
                continue
            check(int(words[0]) == rows and int(words[1]) == columns, f"{where}: shape {words[:2]}")
            if program != "glp_points":  # cube points, not weights
                check(float(words[2]) <= columns * 5e-7, f"{where}: row sums off by {words[2]}")
finally:
    shutil.rmtree(work)
finish("loaders: ")
