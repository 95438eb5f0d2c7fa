#!/usr/bin/env python3
"""weights_inspect end to end: malformed files, failing checks, figures against hand values,
and the SVG picture. Usage: inspect_cases.py BIN_DIR"""
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

BIN = os.path.abspath(sys.argv[1])
work = tempfile.mkdtemp(prefix="inspect_")
from checks import check, finish


def inspect(name, text, *options):
    path = os.path.join(work, name)
    with open(path, "w") as f:
        f.write(text)
    result = subprocess.run([os.path.join(BIN, "weights_inspect"), *options, path],
                            capture_output=True, text=True, timeout=60)
    return result.returncode, result.stdout


def figure(out, label):
    match = re.search(label + r"\s+([0-9.]+)", out)
    return float(match.group(1)) if match else None


## Valid files of every printf form pass, with and without header or trailing blank.
UDH = "0.875000 0.125000\n0.625000 0.375000\n0.375000 0.625000\n0.125000 0.875000\n"
status, out = inspect("m2.udh", "# 4 2\n" + UDH)
check(status == 0 and "FAIL" not in out, f"m = 2, N = 4: {status} {out}")
status, out = inspect("e.gwud", "# 2 3\n2.928932e-01 4.142136e-01 2.928932e-01 \n0.000000e+00 1.715729e-01 8.284271e-01 \n")
check(status == 0, f"%e rows with trailing blanks: {status} {out}")
status, out = inspect("numpy.txt", "5.000000000000000000e-01 5.000000000000000000e-01\n1.0e+00 0.0e+00\n")
check(status == 0, f"numpy %.18e rows without header: {status} {out}")

## Figures of the four rows of m = 2, N = 4, computed by hand.
status, out = inspect("m2.udh", UDH)
check(abs(figure(out, "closest pair distance") - 0.353553) < 1e-6, f"closest pair: {out}")
check(abs(figure(out, "mean nearest-neighbour distance") - 0.353553) < 1e-6, f"mean nn: {out}")
check(figure(out, "coefficient of variation") == 0.0, f"cv: {out}")
check(abs(figure(out, "coverage radius") - 0.176777) < 1e-6, f"coverage: {out}")

## Malformed files.
status, out = inspect("ragged.txt", "0.5 0.5\n1.0\n0.25 0.75\n")
check(status == 1 and "FAIL  rows differ in length: line 2 has 1 values" in out, f"ragged: {status} {out}")
status, out = inspect("token.txt", "0.5 0.5\n0.25 0.7x5\n")
check(status == 2 and "token.txt:2:6: not a number: \"0.7x5\"" in out, f"bad token: {status} {out}")
status, out = inspect("empty.txt", "")
check(status == 1 and "FAIL  the file holds no rows" in out, f"empty: {status} {out}")
status, out = inspect("lies.txt", "# 3 2\n0.5 0.5\n1 0\n")
check(status == 1 and "FAIL  header \"# 3 2\" does not match 2 rows of 2" in out, f"lying header: {status} {out}")
status, out = inspect("nan.txt", "0.5 0.5\nnan 0.5\n")
check(status == 1 and "FAIL  a value is NaN or infinite" in out, f"NaN: {status} {out}")
status, out = subprocess.run([os.path.join(BIN, "weights_inspect"), os.path.join(work, "missing")],
                             capture_output=True, text=True).returncode, ""
check(status == 2, f"missing file: {status}")

## Failing checks.
status, out = inspect("negative.txt", "1.1 -0.1\n0.5 0.5\n")
check(status == 1 and "FAIL  every component is >= 0 (smallest -0.1)" in out, f"negative: {out}")
status, out = inspect("sum.txt", "0.5 0.5\n0.501 0.5\n")
check(status == 1 and "FAIL  every row sums to 1" in out and "line 2, deviation 0.001" in out, f"sum 1.001: {out}")
status, out = inspect("sum.txt", "0.5 0.5\n0.501 0.5\n", "--tolerance", "0.01")
check(status == 0, f"--tolerance: {status} {out}")
status, out = inspect("dup.txt", "0.5 0.5\n1 0\n0.5 0.5\n0.5 0.5\n")
check(status == 1 and "FAIL  2 rows repeat an earlier row" in out, f"duplicates: {out}")
status, out = inspect("cube.glp", "# 2 2\n0.5 1.5\n0.25 0.75\n")
check(status == 1 and "FAIL  every value lies in [0, 1]" in out, f"cube range: {out}")
status, out = inspect("cube.txt", "0.1 0.3\n0.3 0.7\n", "--cube")
check(status == 0 and "unit-cube points" in out, f"--cube: {status} {out}")

## Several files: one table, one row per file; the worst status wins.
paths = [os.path.join(work, n) for n in ("m2.udh", "dup.txt", "token.txt")]
result = subprocess.run([os.path.join(BIN, "weights_inspect"), *paths], capture_output=True, text=True)
table = result.stdout.split("\nfile ")[-1].strip().split("\n")
check(result.returncode == 2 and len(table) == 4, f"table: {result.returncode} {result.stdout}")

## Pictures: well-formed XML with one mark per row, for every layout.
for name, text in [("two.txt", UDH), ("three.txt", "1 0 0\n0 1 0\n0 0 1\n0.3 0.3 0.4\n"),
                   ("four.txt", "0.25 0.25 0.25 0.25\n1 0 0 0\n0 0 0.5 0.5\n"),
                   ("square.glp", "# 3 2\n0.1 0.3\n0.5 0.1\n0.9 0.9\n")]:
    svg = os.path.join(work, name + ".svg")
    status, out = inspect(name, text, "--svg", svg)
    try:
        marks = [e for e in ElementTree.parse(svg).iter() if "mark" in (e.get("class") or "").split()]
        rows = text.count("\n") - (1 if text.startswith("#") else 0)
        check(len(marks) == rows, f"{name}: {len(marks)} marks for {rows} rows")
    except (ElementTree.ParseError, FileNotFoundError) as error:
        check(False, f"{name}: {error}")

finish("")
