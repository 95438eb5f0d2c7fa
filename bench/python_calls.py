#!/usr/bin/env python3
"""Times the Python module's constructions in memory beside the C++ library's, at one size each:
the median of REPEATS calls, so that the binding's own cost shows as the ratio of the two.
Usage: PYTHONPATH=BUILD/python bench/python_calls.py BUILD/bin/bench_library_calls [REPEATS]"""
import re
import statistics
import subprocess
import sys
import time

import simplex_weights

CASES = [("tglp", 10, 20000), ("udh", 10, 1000000), ("udh_product", 10, 1000000),
         ("gwud", 10, 1000000), ("gwud_product", 10, 1000000), ("msld", 10, 258),
         ("glp_cube", 10, 20000)]


def python_median(name, first, second, repeats):
    call = getattr(simplex_weights, name)
    seconds = []
    for _ in range(repeats):
        start = time.perf_counter()
        weights = call(first, second)
        seconds.append(time.perf_counter() - start)
        del weights  # freed outside the timing, as the C++ caller's set is
    return statistics.median(seconds)


def main():
    calls = sys.argv[1]
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    print("construction       rows   C++ s  Python s  Python/C++")
    for name, first, second in CASES:
        out = subprocess.run([calls, name, str(first), str(second), str(repeats)],
                             capture_output=True, text=True, check=True).stdout
        rows, cpp = re.search(r"(\d+) rows, median ([0-9.]+) s", out).groups()
        py = python_median(name, first, second, repeats)
        print("%-14s %9s %7.4f %9.4f %10.3f" % (name, rows, float(cpp), py, py / float(cpp)))


if __name__ == "__main__":
    main()
