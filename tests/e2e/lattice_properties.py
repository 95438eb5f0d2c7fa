#!/usr/bin/env python3
"""Properties of the randomised lattice programs that hold for every seed: the traced
generating vector consists of primitive roots, the first cube column is the cell midpoints in
order, every column is a permutation of the midpoints (prime modulus), and every row of the
weight file is the simplex mapping of the traced cube point."""
import math
import os
import shutil
import subprocess
import sys
import tempfile

BIN = os.path.abspath(sys.argv[1])
from checks import check, finish


def primitive_root(n, b):
    residue = 1
    for _ in range(1, n - 2):
        residue = residue * b % n
        if residue == 1:
            return 0
    return 1


def corrected_mapping(u):
    m = len(u) + 1
    a = [math.pow(u[j], 1.0 / (m - 1 - j)) for j in range(m - 1)]
    w, partial = [], 1.0
    for i in range(m - 1):
        w.append((1.0 - a[i]) * partial)
        partial = partial * a[i]
    s = 0.0
    for x in w:
        s = s + x
    if s > 1:
        d = abs(1 - s) / float(m - 1)
        w = [x - d for x in w] + [0.0]
    else:
        w.append(1 - s)
    return w


def run(program, m, n, primes=True):
    work = tempfile.mkdtemp()
    os.mkdir(os.path.join(work, "output"))
    if primes:
        shutil.copy(os.path.join(BIN, "primes.dat"), work)
    result = subprocess.run([os.path.join(BIN, program), str(m), str(n)], cwd=work,
                            capture_output=True, text=True, timeout=120)
    files = os.listdir(os.path.join(work, "output"))
    content = open(os.path.join(work, "output", files[0])).read() if len(files) == 1 else ""
    shutil.rmtree(work)
    return result, files, content


def check_tglp(m, samples, n):
    result, files, content = run("tglp_weights", m, samples)
    where = f"tglp_weights {m} {samples}"
    check(result.returncode == 0, f"{where}: status {result.returncode}")
    check(files == [f"weight_{m:02d}D_{n}.tglp"], f"{where}: files {files}")
    lines = result.stdout.split("\n")
    check(lines[0] == f"value = {n}", f"{where}: first line {lines[0]!r}")
    h = [int(line.split("= ")[1]) for line in lines if line.lstrip(" ").startswith("hi = ")]
    check(len(h) == m - 2, f"{where}: {len(h)} components traced")
    check(all(primitive_root(n, g) for g in h), f"{where}: h {h} not primitive roots")
    check(len(set(h)) == len(h), f"{where}: repeated components {h}")
    rulers = [i for i, line in enumerate(lines) if line == "_" * 23]
    check(len(rulers) == 2, f"{where}: rulers")
    cube = [[float(x) for x in line.split("\t")[:-1]] for line in lines[rulers[0] + 1:rulers[1]]]
    check(len(cube) == n, f"{where}: {len(cube)} cube points")
    midpoints = [(2 * k - 1) / (2 * n) for k in range(1, n + 1)]
    check([p[0] for p in cube] == [float(f"{x:f}") for x in midpoints], f"{where}: first column")
    for j in range(m - 1):
        column = sorted(p[j] for p in cube)
        check(column == sorted(float(f"{x:f}") for x in midpoints), f"{where}: column {j}")
    # Rows recomputed from the exact lattice, rebuilt from the traced generating vector.
    vector = [1] + h
    expected = ""
    for k in range(1, n + 1):
        u = [(2 * ((k * g % n) or n) - 1) / (2 * n) for g in vector]
        expected += "".join(f"{x:f} " for x in corrected_mapping(u)) + "\n"
    check(content == expected, f"{where}: rows differ from the mapping of the traced lattice")


def check_glp(m, n):
    result, files, content = run("glp_points", m, n, primes=False)
    where = f"glp_points {m} {n}"
    check(result.returncode == 0, f"{where}: status {result.returncode}")
    h = [1] + [int(l[5:]) for l in result.stdout.split("\n") if l.startswith("hi = ")]
    check(len(h) == m, f"{where}: generating vector {h}")
    check(all(primitive_root(n, g) for g in h[1:]), f"{where}: h {h}")
    rows = content.split("\n")
    check(rows[0] == f"# {n} {m}", f"{where}: header {rows[0]!r}")
    expected = "".join("".join(f"{(2 * ((k * g % n) or n) - 1) / (2 * n):e} " for g in h) + "\n"
                       for k in range(1, n + 1))
    check("\n".join(rows[1:]) == expected, f"{where}: rows")
    check(result.stdout.endswith("test primitive root 7, 6 = 0 \n"), f"{where}: self-test")


for _ in range(3):
    check_tglp(3, 5, 5)
    check_tglp(4, 100, 101)
    check_tglp(6, 1000, 1009)
check_tglp(10, 20000, 20011)
for m, n in [(2, 5), (3, 6), (4, 20000), (5, 101)]:
    check_glp(m, n)

finish("")
