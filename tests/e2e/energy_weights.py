#!/usr/bin/env python3
"""energy_weights end to end: the properties its rows hold for every seed (N distinct rows on
the simplex, the vertices among them, an energy no higher than the start's), the same file for
the same seed, --from keeping the rows' count, and the faults every program of the suite
survives (a signal mid-run, a file-size limit, a link at the file's name, refused options).
Usage: energy_weights.py BIN_DIR"""
import math
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time

BIN = os.path.abspath(sys.argv[1])
PROGRAM = os.path.join(BIN, "energy_weights")
from checks import check, finish


def run(args, cwd, timeout=120, **kwargs):
    kwargs.setdefault("stdout", subprocess.PIPE)
    kwargs.setdefault("stderr", subprocess.PIPE)
    return subprocess.run([PROGRAM] + args, cwd=cwd, timeout=timeout, **kwargs)


def rows_of(text):
    return [[float(v) for v in line.split()] for line in text.splitlines()
            if line.strip() and not line.startswith("#")]


def log_mean_energy(rows, s):
    terms = [math.dist(a, b) ** -s for i, a in enumerate(rows) for b in rows[i + 1:]]
    return math.log(sum(terms) / len(terms))


def traced_energies(stdout):
    found = re.search(r"([0-9.]+) at the start, ([0-9.]+) after (\d+) steps", stdout)
    return (float(found.group(1)), float(found.group(2))) if found else (math.inf, math.inf)


def properties(work):
    for m, n in ((2, 7), (3, 30), (4, 50), (6, 40)):
        for seed in (1, 7, 4000000000):
            where = f"energy_weights --seed {seed} {m} {n}"
            result = run(["--seed", str(seed), "--digits", "12", "-o", "-", str(m), str(n)], work,
                         text=True)
            check(result.returncode == 0, f"{where}: status {result.returncode} {result.stderr}")
            rows = rows_of(result.stdout)
            check(len(rows) == n and all(len(r) == m for r in rows), f"{where}: {len(rows)} rows")
            check(all(min(r) >= 0 and abs(sum(r) - 1) < 1e-9 for r in rows), f"{where}: off the simplex")
            check(len({tuple(r) for r in rows}) == n, f"{where}: repeated rows")
            vertices = {tuple(1.0 if k == j else 0.0 for k in range(m)) for j in range(m)}
            check(vertices <= {tuple(r) for r in rows}, f"{where}: a vertex is missing")
            again = run(["--seed", str(seed), "--digits", "12", "-o", "-", str(m), str(n)], work,
                        text=True)
            check(again.stdout == result.stdout, f"{where}: another file for the same seed")
            traced = run(["--seed", str(seed), "--digits", "12", "-o", "w.txt", str(m), str(n)], work,
                         text=True)
            start, end = traced_energies(traced.stdout)
            check(end <= start, f"{where}: energy {end} above the start's {start}")
            # The trace's energy is the log of the mean of d^-2m over all pairs.
            direct = log_mean_energy(rows, 2 * m)
            check(abs(direct - end) < 1e-6 * max(1, abs(end)), f"{where}: traced {end}, direct {direct}")


def from_file(work):
    start = run(["--seed", "3", "-o", "start.txt", "3", "40"], work, text=True)
    check(start.returncode == 0, f"start file: {start.stderr}")
    # A set of the user's, not the program's own: gwud rows, which hold no vertex.
    subprocess.run([os.path.join(BIN, "gwud_weights"), "-q", "--no-header", "-o", "gwud.txt", "3",
                    "40"], cwd=work, check=True, timeout=60)
    before = rows_of(open(os.path.join(work, "gwud.txt")).read())
    refined = run(["--from", "gwud.txt", "--digits", "12", "-o", "-", "3", "40"], work, text=True)
    rows = rows_of(refined.stdout)
    check(refined.returncode == 0 and len(rows) == 40, f"--from gwud.txt: {refined.stderr} {len(rows)} rows")
    check(len({tuple(r) for r in rows}) == 40, "--from: repeated rows")
    check(log_mean_energy(rows, 6) <= log_mean_energy(before, 6) + 1e-9, "--from: energy rose")
    stdin = run(["--from", "-", "-o", "-", "3", "40"], work, text=True,
                input=open(os.path.join(work, "gwud.txt")).read())
    check(stdin.returncode == 0 and len(rows_of(stdin.stdout)) == 40, f"--from -: {stdin.stderr}")
    for args, what in ((["--from", "gwud.txt", "3", "41"], "holds 40 rows of 3 values, not 41 of 3"),
                       (["--from", "gwud.txt", "4", "40"], "not 40 of 4"),
                       (["--from", "missing.txt", "3", "40"], "missing.txt"),
                       (["--from", "twice.txt", "3", "3"], "repeats a row"),
                       (["--from", "cube.txt", "2", "3"], "no weight vector")):
        with open(os.path.join(work, "twice.txt"), "w") as f:
            f.write("1 0 0\n1 0 0\n0 1 0\n")
        with open(os.path.join(work, "cube.txt"), "w") as f:
            f.write("0.5 0.9\n0.1 0.2\n0.3 0.3\n")
        result = run(args, work, text=True)
        check(result.returncode == 1 and what in result.stdout + result.stderr,
              f"{args}: status {result.returncode}, {result.stdout + result.stderr!r}")


def refusals(work):
    for args, what in ((["--search", "4", "3", "10"], "--search is refused"),
                       (["--exponent", "0", "3", "10"], "--exponent takes a number above 0"),
                       (["--exponent", "x", "3", "10"], "--exponent takes a number"),
                       (["1", "10"], "the number of objectives should lie in"),
                       (["3", "2"], "the number of weight vectors should lie in"),
                       (["5", "4"], "the number of weight vectors should lie in"),
                       (["3", "20001"], "the number of weight vectors should lie in"),
                       (["3"], "Syntax:")):
        result = run(args, work, text=True)
        out = result.stdout + result.stderr
        check(result.returncode == 1 and what in out, f"{args}: status {result.returncode}, {out!r}")
    check(os.listdir(os.path.join(work, "output")) == [], "a refused run left files")
    result = run(["--exponent", "3", "--seed", "2", "-o", "-", "3", "20"], work, text=True)
    check(result.returncode == 0 and len(rows_of(result.stdout)) == 20, f"--exponent 3: {result.stderr}")


def faults(work):
    output = os.path.join(work, "output")
    # A signal mid-run: nothing is left behind, the status tells the signal.
    process = subprocess.Popen([PROGRAM, "--seed", "1", "5", "20000"], cwd=work,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    process.send_signal(signal.SIGTERM)
    status = process.wait(timeout=30)
    check(status == -signal.SIGTERM, f"SIGTERM: status {status}")
    check(os.listdir(output) == [], f"SIGTERM left {os.listdir(output)}")
    # A file-size limit: a failure, and no partial file.
    limited = subprocess.run([PROGRAM, "--seed", "1", "3", "300"], cwd=work, capture_output=True,
                             text=True, timeout=60,
                             preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (2000, 2000)))
    check(limited.returncode == 1 and "File too large" in limited.stdout + limited.stderr,
          f"ulimit -f: status {limited.returncode}, {limited.stdout + limited.stderr!r}")
    check(os.listdir(output) == [], f"ulimit -f left {os.listdir(output)}")
    # A link at the file's name is replaced, never written through.
    with open(os.path.join(work, "keep.txt"), "w") as f:
        f.write("keep\n")
    os.symlink(os.path.join(work, "keep.txt"), os.path.join(output, "weight_03D_10.energy"))
    linked = run(["--seed", "1", "3", "10"], work, text=True)
    check(linked.returncode == 0 and open(os.path.join(work, "keep.txt")).read() == "keep\n",
          f"a link at the name: {linked.stderr}")
    check(not os.path.islink(os.path.join(output, "weight_03D_10.energy")), "the link stayed")
    # Progress: none with -q, none for a short run.
    short = run(["--seed", "1", "3", "10"], work, text=True)
    check(short.stderr == "", f"a short run wrote {short.stderr!r} on standard error")


def main():
    work = tempfile.mkdtemp(prefix="energy_")
    try:
        os.mkdir(os.path.join(work, "output"))
        properties(work)
        from_file(work)
        refusals(work)
        faults(work)
    finally:
        shutil.rmtree(work)
    finish("energy_weights: ")


main()
