#!/usr/bin/env python3
"""The options every program shares, end to end: --seed, --quiet, --digits, --help, --version,
"--", and refusals of unknown or bad options. Usage: options_cases.py BIN_DIR"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from checks import check, finish

BIN = os.path.abspath(sys.argv[1])
# program: (arguments, failure status, the weight file relative to the working directory)
PROGRAMS = {
    "tglp_weights": (["3", "100"], 1, "output/weight_03D_101.tglp"),
    "udh_weights": (["3", "100"], 255, "output/weight_03D_100.udh"),
    "udh_weights_prod": (["3", "100"], 255, "weight_03D_100.udh"),
    "gwud_weights": (["3", "100"], 1, "output/weight_03D_100.gwud"),
    "gwud_weights_prod": (["3", "100"], 1, "output/weight_03D_100.gwud"),
    "msld_weights": (["3", "5"], 1, "output/weight_03D_5.msld"),
    "glp_points": (["3", "101"], 1, "output/weight_03D_101.glp"),
}
RANDOMISED = ("tglp_weights", "glp_points")


def run(program, args):
    """Runs the program in a fresh directory: (status, stdout, stderr, {file: bytes})."""
    work = tempfile.mkdtemp(prefix="options_")
    try:
        os.mkdir(os.path.join(work, "output"))
        shutil.copy(os.path.join(BIN, "primes.dat"), work)
        result = subprocess.run([program] + args, executable=os.path.join(BIN, program), cwd=work,
                                capture_output=True, timeout=60)
        files = {}
        for folder, _, names in os.walk(work):
            for name in names:
                rel = os.path.relpath(os.path.join(folder, name), work)
                if rel != "primes.dat":
                    files[rel] = open(os.path.join(folder, name), "rb").read()
        return result.returncode, result.stdout, result.stderr, files
    finally:
        shutil.rmtree(work)


def values_of(content):
    return [[float(v) for v in line.split()] for line in content.decode().split("\n")
            if line and not line.startswith("#")]


## Seeds: the same seed gives the same trace and file; a clock-seeded run is the seed of its second.
for program in RANDOMISED:
    args = PROGRAMS[program][0]
    first = run(program, ["--seed", "7"] + args)
    second = run(program, ["--seed=7"] + args)
    check(first[0] == 0 and first[1:] == second[1:], f"{program} --seed 7 twice differs")
    other = run(program, ["--seed", "8"] + args)
    check(other[3] != first[3] or program == "glp_points", f"{program}: seeds 7 and 8 agree")
    for _ in range(5):
        before = int(time.time())
        clock = run(program, args)
        if int(time.time()) == before:
            seeded = run(program, ["--seed", str(before)] + args)
            check(clock[1:] == seeded[1:], f"{program}: --seed of the clock's second differs")
            break
for program in PROGRAMS:
    if program in RANDOMISED:
        continue
    args, failure, _ = PROGRAMS[program]
    status, out, err, files = run(program, ["--seed", "7"] + args)
    lines = err.decode().split("\n")
    check(status == failure and out == b"" and files == {}, f"{program} --seed: status {status}, files {list(files)}")
    check(lines[0] == f"{program}: --seed is refused: this program draws no random numbers"
          and lines[1].startswith("Syntax"), f"{program} --seed: stderr {err!r}")

## Search: the least-CD2 vector of the candidates, traced as a run whose draws gave it.
def after_draws(out):
    """The trace from the line after the last "hi = " line on (the draws come before it)."""
    lines = out.split(b"\n")
    last = max(i for i, line in enumerate(lines) if line.lstrip().startswith(b"hi = "))
    return b"\n".join(lines[last + 1:])


# tglp_weights chooses on the simplex: among the vectors of least CD2, the ordering of least
# coverage radius to closest pair; over the whole space of n = 101 that is (83, 1).
searched = run("tglp_weights", ["--seed", "5", "--search", "100", "3", "101"])
again = run("tglp_weights", ["--seed", "5", "--search=100", "3", "101"])
check(searched[0] == 0 and searched[1:] == again[1:], "tglp_weights --search with --seed is not reproducible")
check(re.fullmatch(rb"tglp_weights: best of 40 generating vectors: \(\d+, \d+\), CD2 = \d\.\d\de-\d\d, "
                   rb"coverage/closest = \d+\.\d\d \(0\.\d+ / 0\.\d+\)\n", searched[2]) is not None,
      f"tglp_weights --search: stderr {searched[2]!r}")
for program, args, best in (("glp_points", ["2", "101"], "(1, 83), CD2 = 4.98445e-05"),):
    searched = run(program, ["--seed", "5", "--search", "100"] + args)
    again = run(program, ["--seed", "5", "--search=100"] + args)
    check(searched[0] == 0 and searched[1:] == again[1:], f"{program} --search with --seed is not reproducible")
    check(searched[2] == f"{program}: best of 40 generating vectors by CD2: {best}\n".encode(),
          f"{program} --search: stderr {searched[2]!r}")
    # A plain run whose own draws gave the same vector writes the same trace after them and
    # the same file.
    for seed in range(1, 3000):
        plain = run(program, ["--seed", str(seed)] + args)
        if b"hi = 83\n" in plain[1]:
            check(after_draws(plain[1]) == after_draws(searched[1]) and plain[3] == searched[3],
                  f"{program} --search: trace or file differs from seed {seed}, which drew the same vector")
            break
    else:
        check(False, f"{program}: no seed drew (1, 83)")
for program, args in (("tglp_weights", ["3", "101"]), ("glp_points", ["2", "101"])):
    status, out, err, files = run(program, ["--search", "0"] + args)
    check(status == 1 and files == {} and b"--search takes a whole number from 1 to 100000" in err,
          f"{program} --search 0: {err!r}")
for program in PROGRAMS:
    if program not in RANDOMISED:
        status, out, err, files = run(program, ["--search", "4"] + PROGRAMS[program][0])
        check(status == PROGRAMS[program][1] and files == {} and b"--search is refused" in err,
              f"{program} --search: status {status}, {err!r}")

## Quiet runs: no trace, the same file; failures then speak on standard error only.
## --vertices: refused where the rows are cube points.
status, out, err, files = run("glp_points", ["--vertices", "3", "11"])
check(status == 1 and files == {} and b"--vertices is refused" in err, f"glp_points --vertices: {err!r}")

## A value with trailing characters is refused with a message, never read as its numeric prefix.
for program, (args, failure, name) in PROGRAMS.items():
    values = [("--digits", "3x"), ("--digits", "7 "), ("--digits", "")]
    if program in RANDOMISED:
        values += [("--seed", "12abc"), ("--search", "8k"), ("--search", "2.5")]
    for option, value in values:
        for form in ([option, value], [f"{option}={value}"]):
            status, out, err, files = run(program, form + args)
            where = f"{program} {' '.join(form)!r}"
            check(status == failure and files == {} and option.encode() in err and b"not '" in err
                  or (value == "" and status == failure and files == {}), f"{where}: {status} {err!r}")

for program, (args, failure, name) in PROGRAMS.items():
    seed = ["--seed", "3"] if program in RANDOMISED else []
    traced = run(program, seed + args)
    for quiet in ("--quiet", "-q"):
        status, out, err, files = run(program, seed + [quiet] + args)
        check(status == 0 and out == b"" and err == b"", f"{program} {quiet}: status {status}, {out[:80]!r} {err[:80]!r}")
        check(files == traced[3], f"{program} {quiet}: the weight file differs from a traced run's")
    status, out, err, files = run(program, ["-q", "0", "5"] if program != "msld_weights" else ["-q", "0", "5"])
    check(status == failure and out == b"" and err.startswith(b"Error"), f"{program} -q refused: {out!r} {err!r}")
    # Words after the two integers stay ignored (the Hammersley tools refuse any third word).
    status, out, err, files = run(program, seed + args + ["--quiet"])
    if program.startswith("udh"):
        check(status == failure and out.startswith(b"Syntax error"), f"{program} with a third word: {out!r}")
    else:
        check(status == 0 and out == traced[1], f"{program} with --quiet after the integers: not the usual run")

## Digits: every value of every row has D digits after the point, in each program's own form.
for program, (args, failure, name) in PROGRAMS.items():
    seed = ["--seed", "3"] if program in RANDOMISED else []
    six = run(program, seed + args)[3][name]
    for digits in ("1", "12", "17"):
        status, out, err, files = run(program, seed + ["--digits", digits] + args)
        content = files.get(name, b"")
        rows = [line for line in content.decode().split("\n") if line and not line.startswith("#")]
        form = re.compile(r"-?\d+\.\d{%s}(e[+-]\d\d)?$" % digits)
        check(status == 0 and all(form.match(v) for row in rows for v in row.split()),
              f"{program} --digits {digits}: status {status}, rows {rows[:2]}")
        check(len(rows) == len(values_of(six)), f"{program} --digits {digits}: {len(rows)} rows")
        check(content.startswith(b"#") == six.startswith(b"#"), f"{program} --digits {digits}: header")
    worst = max(abs(a - b) for ra, rb in zip(values_of(six), values_of(run(program, seed + ["--digits", "17"] + args)[3][name]))
                for a, b in zip(ra, rb))
    check(worst <= 5e-7, f"{program}: --digits 17 and 6 differ by {worst}")

## Refusals: one line naming the option, the syntax line, the failure status, nothing created.
for program, (args, failure, name) in PROGRAMS.items():
    for words, said in ((["--bogus"], "unknown option --bogus"), (["-x"], "unknown option -x"),
                        (["--digits"], "--digits needs a value"), (["--digits", "0"], "--digits takes"),
                        (["--digits=18"], "--digits takes"), (["--quiet=1"], "--quiet takes no value"),
                        (["--svg", "x.svg"], "unknown option --svg"), (["--cube"], "unknown option --cube")):
        status, out, err, files = run(program, words + args if words != ["--digits"] else words)
        lines = err.decode().split("\n")
        check(status == failure and files == {} and out == b"", f"{program} {words}: status {status}")
        check(lines[0].startswith(f"{program}: {said}") and lines[1].startswith("Syntax") and lines[2] == "",
              f"{program} {words}: stderr {err!r}")

## Help and version anywhere before the integers; "--" ends the options.
for program, (args, failure, name) in PROGRAMS.items():
    status, out, err, files = run(program, ["-q", "--help"] + args)
    check(status == 0 and b"--digits D" in out and files == {}, f"{program} -q --help: {out[:100]!r}")
    check(not out.startswith(b"Syntax error"), f"{program} --help begins with a syntax error")
    status, out, err, files = run(program, ["-V"])
    check(status == 0 and out.startswith(f"{program} (simplex-weights) ".encode()), f"{program} -V: {out!r}")
    status, out, err, files = run(program, ["--"] + args)
    check(status == 0 and name in files, f"{program} -- {args}: status {status}")

finish("options: ")
