#!/usr/bin/env python3
"""The output options end to end: --exact-sums (printed rows that sum to exactly 1), -o PATH
with {m} and {n}, -o - on standard output, --header and --no-header, msld_weights --unique,
and pagmo's decompose as a real consumer of the exact-sum files.
Usage: output_cases.py BIN_DIR [PAGMO_CONSUMER]"""
import os
import shutil
import subprocess
import sys
import tempfile
from decimal import Decimal

from checks import check, finish

BIN = os.path.abspath(sys.argv[1])
PAGMO = sys.argv[2] if len(sys.argv) > 2 else ""
# program: (arguments, default file, the program's own header rule, row format)
PROGRAMS = {
    "tglp_weights": (["--seed", "3", "5", "91"], "output/weight_05D_97.tglp", False, "f"),
    "udh_weights": (["3", "91"], "output/weight_03D_91.udh", True, "f"),
    "udh_weights_prod": (["10", "60"], "weight_10D_60.udh", False, "f"),
    "gwud_weights": (["5", "210"], "output/weight_05D_210.gwud", True, "e"),
    "gwud_weights_prod": (["4", "50"], "output/weight_04D_50.gwud", True, "e"),
    "msld_weights": (["4", "3"], "output/weight_04D_3.msld", True, "f"),
    "glp_points": (["--seed", "3", "3", "101"], "output/weight_03D_101.glp", True, "e"),
}
WEIGHTS = [p for p in PROGRAMS if p != "glp_points"]


def run(program, args, setup=None, stdin=None):
    """Runs the program in a fresh directory: (status, stdout, stderr, {file: bytes})."""
    work = tempfile.mkdtemp(prefix="output_")
    try:
        os.mkdir(os.path.join(work, "output"))
        shutil.copy(os.path.join(BIN, "primes.dat"), work)
        if setup:
            setup(work)
        result = subprocess.run([program] + args, executable=os.path.join(BIN, program), cwd=work,
                                capture_output=True, timeout=120, input=stdin)
        files = {}
        for folder, dirs, names in os.walk(work):
            for name in names + [d for d in dirs if os.path.islink(os.path.join(folder, d))]:
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, work)
                if rel == "primes.dat":
                    continue
                files[rel] = ("link:" + os.readlink(path)).encode() if os.path.islink(path) \
                    else open(path, "rb").read()
        return result.returncode, result.stdout, result.stderr, files
    finally:
        shutil.rmtree(work)


def rows_of(content):
    return [line.split() for line in content.decode().split("\n") if line and not line.startswith("#")]


def unit_of(texts, form):
    """One unit in the last printed place of the row's largest value."""
    if form == "f":
        return Decimal(1).scaleb(-len(texts[0].split(".")[1]))
    largest = max(texts, key=Decimal)
    mantissa, exponent = largest.split("e")
    return Decimal(1).scaleb(int(exponent) - len(mantissa.split(".")[1]))


## Exact sums: every row sums to 1 in decimal and as doubles; each value within one unit.
for program in WEIGHTS:
    args, name, _, form = PROGRAMS[program]
    exact_ref = run(program, ["-q", "--digits", "17"] + args)[3][name]
    reference = [[Decimal(v) for v in row] for row in rows_of(exact_ref)]
    for digits in ("3", "6", "10", "15"):  # one unit holds up to 15 digits
        status, _, _, files = run(program, ["-q", "--exact-sums", "--digits", digits] + args)
        plain = rows_of(run(program, ["-q", "--digits", digits] + args)[3][name])
        rows = rows_of(files[name])
        check(status == 0 and len(rows) == len(reference) == len(plain), f"{program} {digits}: rows")
        worst_double = 0.0
        for texts, exact, plain_texts in zip(rows, reference, plain):
            m = len(texts)
            u = unit_of(texts, form)
            if sum(Decimal(t) for t in texts) != 1:
                check(False, f"{program} --digits {digits}: {' '.join(texts)} does not sum to 1")
                break
            worst_double = max(worst_double, abs(sum(float(t) for t in texts) - 1.0))
            if not all(0 <= Decimal(t) <= 1 for t in texts):
                check(False, f"{program} --digits {digits}: {texts} leaves [0, 1]")
                break
            if not all(abs(Decimal(t) - e) <= u for t, e in zip(texts, exact)):
                check(False, f"{program} --digits {digits}: {texts} is not within {u} of {exact}")
                break
            if not all(abs(Decimal(t) - Decimal(p)) <= u for t, p in zip(texts, plain_texts)):
                check(False, f"{program} --digits {digits}: {texts} strays from {plain_texts}")
                break
        check(worst_double <= 4 * 2.0 ** -53 * 10, f"{program} --digits {digits}: double sums off by {worst_double}")
status, out, err, files = run("glp_points", ["--exact-sums", "3", "101"])
check(status == 1 and files == {} and b"--exact-sums is refused" in err, f"glp_points --exact-sums: {err!r}")

## -o PATH: {m} and {n} are the columns and rows written; the hidden file is published there.
status, _, _, files = run("tglp_weights", ["-q", "--seed", "1", "--no-header", "-o", "W{m}D_{n}.dat", "5", "91"])
check(status == 0 and list(files) == ["W5D_97.dat"] and len(rows_of(files["W5D_97.dat"])) == 97,
      f"tglp_weights -o W{{m}}D_{{n}}.dat: {list(files)}")
status, _, _, files = run("msld_weights", ["-q", "--output=output/{n}.txt", "3", "4"])
check(status == 0 and list(files) == ["output/94.txt"], f"msld_weights --output=...{{n}}: {list(files)}")
status, _, _, files = run("udh_weights", ["-q", "-o", "output/w.txt", "3", "10"],
                          setup=lambda w: os.symlink("/etc/passwd", os.path.join(w, "output/w.txt")))
check(status == 0 and files.get("output/w.txt", b"").startswith(b"# 10 3\n"),
      "udh_weights -o at a link: replaced, not written through")
status, out, err, files = run("gwud_weights", ["-o", "output/d", "3", "10"],
                              setup=lambda w: os.mkdir(os.path.join(w, "output/d")))
check(status == 1 and out.endswith(b"Error to open the file output/d.\n") and list(files) == [],
      f"gwud_weights -o at a directory: {status} {out!r} {list(files)}")
status, out, err, files = run("gwud_weights", ["-o", "missing/w.txt", "3", "10"])
check(status == 1 and b"Error to open the file missing/w.txt." in out
      and b"create the directory missing first" in err
      and files == {}, f"gwud_weights -o in a missing directory: {out!r} {err!r}")
status, out, err, files = run("gwud_weights", ["-o", "", "3", "10"])
check(status == 1 and b"--output needs a path" in err and files == {}, f"-o '': {err!r}")

## -o -: the file's bytes on standard output, no trace, nothing left behind.
for program in PROGRAMS:
    args, name, _, _ = PROGRAMS[program]
    filed = run(program, ["-q"] + args)[3][name]
    status, out, err, files = run(program, ["-o", "-"] + args)
    check(status == 0 and out == filed and files == {}, f"{program} -o -: {out[:60]!r} {list(files)}")
inspector = os.path.join(BIN, "weights_inspect")
if os.path.exists(inspector):
    stream = subprocess.run([os.path.join(BIN, "udh_weights"), "-o", "-", "3", "100"], capture_output=True, timeout=60)
    report = subprocess.run([inspector, "-"], input=stream.stdout, capture_output=True, timeout=60)
    check(report.returncode == 0 and b"100 rows" in report.stdout, f"udh_weights -o - | weights_inspect -: {report.stdout[:200]!r}")
status, out, err, files = run("udh_weights", ["-o", "-", "30", "10"])
check(status == 255 and out == b"" and err.startswith(b"Error... numObjectives"), f"-o - failure: {out!r} {err!r}")

## --header and --no-header, on every program: only the first line changes.
for program in PROGRAMS:
    args, name, has_header, _ = PROGRAMS[program]
    plain = run(program, ["-q"] + args)[3][name]
    with_header = run(program, ["-q", "--header"] + args)[3][name]
    without = run(program, ["-q", "--no-header"] + args)[3][name]
    body = plain.split(b"\n", 1)[1] if has_header else plain
    rows = len(rows_of(plain))
    columns = len(rows_of(plain)[0])
    check(with_header == f"# {rows} {columns}\n".encode() + body and without == body,
          f"{program} --header/--no-header")

## msld_weights --unique: the distinct rows of the plain file, in order of first appearance.
for args in (["3", "4"], ["5", "5"], ["2", "6"], ["1", "3"], ["4", "0"]):
    plain = rows_of(run("msld_weights", ["-q", "--digits", "17"] + args)[3][f"output/weight_0{args[0]}D_{args[1]}.msld"])
    status, out, err, files = run("msld_weights", ["-q", "--digits", "17", "--unique"] + args)
    content = files[f"output/weight_0{args[0]}D_{args[1]}.msld"]
    expected = []
    for row in plain:
        if row not in expected:
            expected.append(row)
    check(status == 0 and rows_of(content) == expected and content.startswith(f"# {len(expected)} ".encode()),
          f"msld_weights --unique {args}: {len(rows_of(content))} rows, expected {len(expected)}")
status, out, err, files = run("udh_weights", ["--unique", "3", "10"])
check(status == 255 and b"--unique is refused" in err and files == {}, f"udh_weights --unique: {err!r}")

## tglp_weights --exact: exactly N rows under N's name, no prime table needed.
for n in ("4", "91", "243"):
    status, out, err, files = run("tglp_weights", ["-q", "--exact", "--seed", "1", "5", n],
                                  setup=lambda w: os.remove(os.path.join(w, "primes.dat")))
    name = f"output/weight_05D_{n}.tglp"
    check(status == 0 and list(files) == [name] and len(rows_of(files[name])) == int(n) and err == b"",
          f"tglp_weights --exact 5 {n}: {status} {list(files)} {err!r}")
status, out, err, files = run("glp_points", ["-q", "--units", "--seed", "1", "3", "210"])
columns = list(zip(*rows_of(files["output/weight_03D_210.glp"])))
check(status == 0 and err == b"" and all(len(set(c)) == 210 for c in columns),
      f"glp_points --units 3 210: {err!r}, distinct per column {[len(set(c)) for c in columns]}")

## pagmo's decompose accepts every row of every six-digit --exact-sums file.
if PAGMO:
    for program in WEIGHTS:
        args, name, _, _ = PROGRAMS[program]
        work = tempfile.mkdtemp(prefix="pagmo_")
        try:
            os.mkdir(os.path.join(work, "output"))
            shutil.copy(os.path.join(BIN, "primes.dat"), work)
            subprocess.run([os.path.join(BIN, program), "-q", "--exact-sums"] + args, cwd=work, check=True, timeout=60)
            verdict = subprocess.run([PAGMO, os.path.join(work, name)], capture_output=True, timeout=120)
            check(verdict.returncode == 0, f"pagmo refuses {program} --exact-sums: {verdict.stdout!r}")
        finally:
            shutil.rmtree(work)
else:
    print("pagmo consumer: skipped (Debian's libpagmo-dev is not installed)")

finish("output options: ")
