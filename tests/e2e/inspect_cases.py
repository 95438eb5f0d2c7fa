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
status, out = inspect("sum.txt", "0.500000 0.500000\n0.501000 0.500000\n")
check(status == 1 and "FAIL  every row sums to 1" in out and "line 2, deviation 0.001" in out, f"sum 1.001: {out}")
status, out = inspect("sum.txt", "0.500000 0.500000\n0.501000 0.500000\n", "--tolerance", "0.01")
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

## Any input, bounded work: shapes whose exact figures would take minutes are answered quickly,
## with the figures that would be too costly skipped and the reason given.
def run_inspect(*arguments, **kwargs):
    kwargs.setdefault("timeout", 60)
    return subprocess.run([os.path.join(BIN, "weights_inspect"), *arguments], capture_output=True,
                          text=True, **kwargs)


glp = subprocess.run([os.path.join(BIN, "glp_points"), "--seed", "1", "40", "11"], cwd=work,
                     capture_output=True, timeout=60) if os.path.isdir(os.path.join(work, "output")) or \
    os.mkdir(os.path.join(work, "output")) is None else None
result = run_inspect(os.path.join(work, "output", "weight_40D_11.glp"))
check(result.returncode == 0 and "coverage radius                  - (skipped" in result.stdout,
      f"40-column cube file: {result.returncode} {result.stdout[-400:]}")
wide = os.path.join(work, "wide.txt")
with open(wide, "w") as f:
    for first in ("0.000001", "0.000002"):
        f.write(first + " " + " ".join(["0.000001"] * 999999) + "\n")
result = run_inspect("--cube", wide)
check(result.returncode == 0 and "closest pair distance            1e-06" in result.stdout
      and "(CD2)     - (skipped" in result.stdout, f"2 rows of 10^6 columns: {result.stdout[-300:]}")

## Streams and paths that are no files: a message and status 2, the other files still reported.
result = run_inspect(os.path.join(work, "m2.udh"), work, os.path.join(work, "e.gwud"))
check(result.returncode == 2 and "it is a directory" in result.stdout and result.stdout.count("PASS  the file holds") == 2,
      f"a directory between two files: {result.returncode} {result.stdout[-300:]}")
for device in ("/dev/zero", "/dev/urandom"):
    result = run_inspect(device)
    check(result.returncode == 2 and re.search(device + r":\d+:\d+: not a number", result.stdout),
          f"{device}: {result.stdout!r}")
result = run_inspect("-", input="0.5 0.5\n0.25 0.75\n")
check(result.returncode == 0 and "-: 2 rows, 2 columns" in result.stdout, f"standard input: {result.stdout!r}")
fifo = os.path.join(work, "fifo")
os.mkfifo(fifo)
# The writer may come after the reader has opened the FIFO; it must not hold this script's output.
writer = subprocess.Popen(["sh", "-c", f"sleep 0.3; printf '0.5 0.5\\n1 0\\n' > {fifo}"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    result = run_inspect(fifo)
    check(result.returncode == 0 and "2 rows, 2 columns" in result.stdout, f"FIFO with numbers: {result.stdout!r}")
finally:
    writer.kill()
    writer.wait()
os.remove(fifo)
os.mkfifo(fifo)
result = run_inspect(fifo, timeout=30)  # no writer ever: a message after a bounded wait
check(result.returncode == 2 and "no process wrote to the FIFO" in result.stdout, f"FIFO without a writer: {result.stdout!r}")

## Every printf form, a byte-order mark and CRLF lines; values beyond a double's range are numbers
## that the checks report.
status, out = inspect("hex.txt", "\ufeff0x1p-1 0x1p-1\r\n0x1p-2 0x1.8p-1\r\n")
check(status == 0 and "2 rows, 2 columns" in out, f"hex floats, BOM, CRLF: {status} {out}")
status, out = inspect("range.txt", "1e-400 1\n1e99999 0\n")
check(status == 1 and "not a number" not in out and "FAIL  a value is NaN or infinite" in out, f"out of range: {out}")
status, out = inspect("header_only.gwud", "# 0 3\n")
check(status == 0 and "PASS  header \"# 0 3\" matches" in out, f"header-only file: {status} {out}")

## Checks held to the file's own precision; figures in six significant digits, however large.
with open(os.path.join(work, "zeros.txt"), "w") as f:
    f.write("0 " * 1000000 + "\n1 " + "0 " * 999999 + "\n")
result = run_inspect(os.path.join(work, "zeros.txt"))
check(result.returncode == 1 and "FAIL  every row sums to 1 within 0.001" in result.stdout, f"a row of zeros: {result.stdout[-400:]}")
status, out = inspect("seventeen.txt", "0.50000000000000000 0.50000000000000000\n0.25000000000000001 0.75000000000000000\n")
check(status == 0 and "within 1.8e-15" in out, f"17 digits: {out}")
status, out = inspect("huge.txt", "1e30 2e30\n3e30 5e30\n", "--cube")
check(re.search(r"closest pair distance\s+3\.60555e\+30", out) is not None, f"huge figures: {out}")
with open("/dev/full", "w") as full:
    result = subprocess.run([os.path.join(BIN, "weights_inspect"), os.path.join(work, "m2.udh")],
                            stdout=full, stderr=subprocess.PIPE, text=True, timeout=60)
check(result.returncode == 2 and "could not be written" in result.stderr, f"/dev/full: {result.returncode} {result.stderr!r}")
result = run_inspect("--svg", os.path.join(work, "missing", "p.svg"), os.path.join(work, "m2.udh"))
check(result.returncode == 2 and "Error to open the file" in result.stderr, f"unwritable picture: {result.stderr!r}")
fifo = os.path.join(work, "fifo.svg")
os.mkfifo(fifo)
try:
    result = run_inspect("--svg", fifo, os.path.join(work, "m2.udh"), timeout=20)
    check(result.returncode == 2 and "is not an SVG picture" in result.stderr, f"FIFO picture: {result.stderr!r}")
except subprocess.TimeoutExpired:
    check(False, "--svg at a FIFO waits")

## Energy and CD2 against published values.
def das_dennis(m, H):
    if m == 1:
        return [[H]]
    return [[c] + rest for c in range(H + 1) for rest in das_dennis(m - 1, H - c)]


for m, H, expected in ((3, 12, 10.0176), (5, 6, 11.6286)):
    rows = "".join(" ".join(f"{c / H:.17g}" for c in point) + "\n" for point in das_dennis(m, H))
    status, out = inspect(f"das_dennis_{m}.txt", rows)
    match = re.search(r"energy log mean d\^-2m\s+([0-9.]+)", out)
    check(match is not None and abs(float(match.group(1)) - expected) < 1e-4, f"energy m = {m}: {out[-300:]}")
six = "".join(f"{(a - 0.5) / 6:.17g} {(b - 0.5) / 6:.17g}\n" for a, b in ((1, 3), (2, 6), (3, 2), (4, 5), (5, 1), (6, 4)))
status, out = inspect("six.glp", six)
check(re.search(r"\(CD2\)\s+0\.00814204 ", out) is not None, f"CD2 of the six points: {out[-300:]}")

## Against scipy, where it is installed: CD2 of every program's file read as cube points.
scipy_python = next((p for p in (sys.executable, "/usr/bin/python3")
                     if subprocess.run([p, "-c", "import scipy.stats"], capture_output=True).returncode == 0), None)
if scipy_python:
    import shutil
    shutil.copy(os.path.join(BIN, "primes.dat"), work)
    for program, args in (("tglp_weights", ["--seed", "2", "3", "50"]), ("udh_weights", ["4", "60"]),
                          ("udh_weights_prod", ["3", "70"]), ("gwud_weights", ["3", "80"]),
                          ("gwud_weights_prod", ["5", "40"]), ("msld_weights", ["3", "3"]),
                          ("glp_points", ["--seed", "2", "3", "101"])):
        for old in os.listdir(os.path.join(work, "output")):
            os.remove(os.path.join(work, "output", old))
        subprocess.run([os.path.join(BIN, program), "-q", "--digits", "17"] + args, cwd=work, timeout=60)
        produced = [os.path.join(work, "output", f) for f in os.listdir(os.path.join(work, "output"))]
        path = produced[0] if produced else os.path.join(work, f"weight_0{args[-2]}D_{args[-1]}.udh")
        ours = re.search(r"\(CD2\)\s+(\S+)", run_inspect("--cube", path).stdout)
        theirs = subprocess.run([scipy_python, "-c", "import sys, numpy, scipy.stats.qmc as q; "
                                 "W = numpy.loadtxt(sys.argv[1], comments='#', ndmin=2); "
                                 "print(repr(q.discrepancy(W, method='CD')))", path],
                                capture_output=True, text=True, timeout=120).stdout
        check(ours is not None and theirs and abs(float(ours.group(1)) - float(theirs)) <= 1e-5 * float(theirs),
              f"{program}: CD2 {ours and ours.group(1)} against scipy {theirs!r}")
else:
    print("scipy is not installed: the comparison with scipy.stats.qmc is left out")

## A picture never destroys a file: not an input, not a file that is no picture.
inspector = os.path.join(BIN, "weights_inspect")
weights = os.path.join(work, "keep.udh")
with open(weights, "w") as f:
    f.write("# 2 2\n0.25 0.75\n0.75 0.25\n")
for words in (["--svg", weights, weights], ["--svg", weights, os.path.join(work, "m2.udh")]):
    result = subprocess.run([inspector, *words], capture_output=True, text=True, timeout=60)
    check(result.returncode == 2 and open(weights).read() == "# 2 2\n0.25 0.75\n0.75 0.25\n",
          f"{words}: status {result.returncode}, {result.stderr!r}")
picture = os.path.join(work, "again.svg")
for _ in range(2):  # an existing picture is replaced
    result = subprocess.run([inspector, "--svg", picture, weights], capture_output=True, timeout=60)
    check(result.returncode == 0 and open(picture).read().startswith("<?xml"), f"svg twice: {result.returncode}")

## Every picture is well-formed XML, whatever the file's name and values.
odd_bytes = os.fsencode(work) + b"/odd\x01\xff<&>\"name.txt"
with open(odd_bytes, "w") as f:
    f.write("# 4 3\n1 0 0\nnan 0.5 0.5\ninf 0 0\n0 0 1\n")
result = subprocess.run([inspector, "--svg", picture, odd_bytes], capture_output=True, timeout=60)
try:
    root = ElementTree.parse(picture).getroot()
    circles = [e for e in root.iter() if e.tag.endswith("circle")]
    title = next(e for e in root.iter() if e.tag.endswith("text")).text
    check(len(circles) == 2 and "2 with values not finite left out" in title, f"odd picture: {title!r}")
except ElementTree.ParseError as error:
    check(False, f"the picture of an odd file is not well-formed: {error}")

## Option words as the generators treat them.
for words, said in ((["--tolerance", ""], b"--tolerance needs a value"), (["--svg"], b"--svg needs a value"),
                    (["--svg="], b"--svg needs a value"), (["--bogus"], b"unknown option --bogus")):
    result = subprocess.run([inspector, *words] + ([] if words == ["--svg"] else [weights]),
                            capture_output=True, timeout=60)
    check(result.returncode == 2 and said in result.stderr, f"{words}: {result.stderr[:80]!r}")
dashed = os.path.join(work, "--cube")
with open(dashed, "w") as f:
    f.write("0.5 0.5\n0.25 0.75\n")
result = subprocess.run([inspector, "--", "--cube"], cwd=work, capture_output=True, text=True, timeout=60)
check(result.returncode == 0 and result.stdout.startswith("--cube: 2 rows"), f"-- ends the options: {result.stdout[:80]!r}")
# One table serves every program: the weight programs' options are unknown words here, a flag
# given a value is named without it, the usage follows only words that cannot be read at all,
# and options may follow the file names.
for words, said, usage in ((["--seed", "1"], b"unknown option --seed\n", True),
                           (["-q"], b"unknown option -q\n", True),
                           (["--cube=x"], b"unknown option --cube\n", True),
                           (["--bogus=3"], b"unknown option --bogus\n", True),
                           (["--tolerance", "-1"], b"the tolerance -1 is not a number >= 0\n", False)):
    result = subprocess.run([inspector, *words, weights], capture_output=True, timeout=60)
    check(result.returncode == 2 and result.stderr.startswith(b"weights_inspect: " + said) and
          (b"Syntax: weights_inspect" in result.stderr) == usage, f"{words}: {result.stderr[:120]!r}")
before = subprocess.run([inspector, "--cube", weights], capture_output=True, timeout=60)
after = subprocess.run([inspector, weights, "--cube"], capture_output=True, timeout=60)
check(before.returncode == after.returncode and before.stdout == after.stdout and b"unit-cube" in after.stdout,
      f"an option after the file: {after.stdout[:80]!r}")
result = subprocess.run([inspector, "-h", "--bogus"], capture_output=True, timeout=60)
check(result.returncode == 0 and result.stdout.startswith(b"Syntax: weights_inspect") and
      b"  --tolerance T  allowed deviation" in result.stdout, f"--help first: {result.stdout[:80]!r}")

## A file too large for the memory left is named and failed; the other files and the table follow.
# (A sanitized build needs its own memory and threads: those cases are left out there.)
sanitized = "asan" in subprocess.run(["ldd", inspector], capture_output=True, text=True).stdout
if not sanitized:
    import resource
    big = os.path.join(work, "big.txt")
    with open(big, "w") as f:
        f.write("".join("0.2 0.3 %.9f\n" % (0.5 + i * 1e-9) for i in range(400000)))
    limit = lambda: resource.setrlimit(resource.RLIMIT_AS, (35 << 20, 35 << 20))
    result = subprocess.run([inspector, big, weights], capture_output=True, text=True, timeout=60,
                            preexec_fn=limit)
    check(result.returncode == 2 and f"ERROR {big}: not enough memory" in result.stdout
          and "keep.udh" in result.stdout.split("file ")[-1],
          f"a file too large for memory: {result.returncode} {result.stdout[-300:]!r} {result.stderr[-200:]!r}")
else:
    print("the memory case is left out in a sanitized build")

## Where no thread can start (RLIMIT_NPROC, a pids cgroup), fewer threads, the same report.
if os.geteuid() == 0 and not sanitized:
    import resource
    many = os.path.join(work, "many.udh")
    subprocess.run([os.path.join(BIN, "udh_weights"), "-q", "-o", many, "3", "3000"], check=True, timeout=60)
    os.chmod(work, 0o755)
    os.chmod(many, 0o644)
    def one_process():
        os.setgid(65534)
        os.setuid(65534)
        resource.setrlimit(resource.RLIMIT_NPROC, (1, 1))
    alone = subprocess.run([inspector, many], capture_output=True, text=True, timeout=120, preexec_fn=one_process)
    usual = subprocess.run([inspector, many], capture_output=True, text=True, timeout=120)
    check(alone.returncode == 0 and alone.stdout == usual.stdout,
          f"no thread to be had: {alone.returncode} {alone.stderr[-200:]!r}")
else:
    print("the thread-limit case needs root to become another user, and no sanitizer: left out")

finish("")
