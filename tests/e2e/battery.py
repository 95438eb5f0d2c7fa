#!/usr/bin/env python3
"""Hostile input and faults, for every program of the suite: odd argument texts, a missing or
unusable ./output, weight files that cannot be written, a broken or closed standard output,
simultaneous runs, and the largest sizes. Usage: battery.py BIN_DIR GROUP"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

BIN = os.path.abspath(sys.argv[1])
GROUP = sys.argv[2]

# program: (valid arguments, failure status, directory of the weight file, weight file name)
PROGRAMS = {
    "tglp_weights": (["3", "10"], 1, "output", "weight_03D_11.tglp"),
    "udh_weights": (["3", "10"], 255, "output", "weight_03D_10.udh"),
    "udh_weights_prod": (["3", "10"], 255, ".", "weight_03D_10.udh"),
    "gwud_weights": (["3", "10"], 1, "output", "weight_03D_10.gwud"),
    "gwud_weights_prod": (["3", "10"], 1, "output", "weight_03D_10.gwud"),
    "msld_weights": (["3", "2"], 1, "output", "weight_03D_2.msld"),
    "glp_points": (["2", "10"], 1, "output", "weight_02D_10.glp"),
}
RANDOMISED = {"tglp_weights", "glp_points"}
TEXTS = ["", "abc", "3.7", " 7", "+3", "-0", "0x10", "-5", "2147483647", "2147483648",
         "-2147483649", "99999999999999999999"]
from checks import check, finish


class Work:
    """A fresh working directory with ./output and the prime table."""

    def __init__(self, output=True):
        self.path = tempfile.mkdtemp(prefix="battery_")
        if output:
            os.mkdir(os.path.join(self.path, "output"))
        shutil.copy(os.path.join(BIN, "primes.dat"), self.path)

    def run(self, program, args, timeout=120, **kwargs):
        kwargs.setdefault("stdout", subprocess.PIPE)
        kwargs.setdefault("stderr", subprocess.PIPE)
        return subprocess.run([program] + args, executable=os.path.join(BIN, program),
                              cwd=self.path, timeout=timeout, **kwargs)

    def files(self):
        found = []
        for folder, _, names in os.walk(self.path):
            for name in names:
                rel = os.path.relpath(os.path.join(folder, name), self.path)
                if rel != "primes.dat":
                    found.append(rel)
        return sorted(found)

    def read(self, rel):
        with open(os.path.join(self.path, rel), "rb") as f:
            return f.read()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        shutil.rmtree(self.path, ignore_errors=True)


def reference(program, args=None):
    """The complete weight file of a normal run (for randomised programs, of that run)."""
    with Work() as work:
        result = work.run(program, args or PROGRAMS[program][0])
        assert result.returncode == 0, (program, result.stdout)
        (only,) = work.files()
        return work.read(only)


def staging_left(work):
    return [f for f in work.files() if os.path.basename(f).startswith(".weight_")]


# Requests that are valid but far too large to finish in a test: the program streams its rows,
# so it starts at once and needs no memory for them.
GIANT = {("gwud_weights", "2147483647"), ("gwud_weights_prod", "2147483647")}


def check_giant_run_starts(work, program, args):
    """After a second the run is still going, with its staging file (or, for a Hammersley tool,
    its weight file) open and nothing published yet."""
    where = f"{program} {args!r}"
    process = subprocess.Popen([program] + args, executable=os.path.join(BIN, program), cwd=work.path,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(1.5)
        check(process.poll() is None, f"{where}: ended with status {process.returncode}")
        files = work.files()
        check(len(files) == 1, f"{where}: files {files}")
        if program.startswith("gwud"):
            check(staging_left(work) == files, f"{where}: files {files}")
    finally:
        process.kill()
        process.wait()


def arguments():
    for program, (valid, failure, _, _) in PROGRAMS.items():
        for args in ([], valid[:1], valid + ["9"]):
            with Work() as work:
                result = work.run(program, args)
                expected = 0 if len(args) == 3 and program not in ("udh_weights", "udh_weights_prod") else failure
                check(result.returncode == expected, f"{program} {args}: status {result.returncode}")
        for position in (0, 1):
            for text in TEXTS:
                args = list(valid)
                args[position] = text
                where = f"{program} {args!r}"
                with Work() as work:
                    if (program, text) in GIANT and position == 1:
                        check_giant_run_starts(work, program, args)
                        continue
                    try:
                        result = work.run(program, args, timeout=60)
                    except subprocess.TimeoutExpired:
                        check(False, f"{where}: hangs")
                        continue
                    check(result.returncode in (0, failure), f"{where}: status {result.returncode}")
                    check(not staging_left(work), f"{where}: staging file left")
                    if result.returncode != 0:
                        check(work.files() == [], f"{where}: refused run left {work.files()}")
                        last = result.stdout.decode(errors="replace").rstrip("\n").split("\n")[-1]
                        check(last.startswith(("Error", "Syntax")), f"{where}: message {last!r}")
                    else:
                        check(len(work.files()) == 1, f"{where}: files {work.files()}")


def output_directory():
    for program, (valid, failure, directory, name) in PROGRAMS.items():
        for setup in ("missing", "file"):
            with Work(output=False) as work:
                if setup == "file":
                    open(os.path.join(work.path, "output"), "w").close()
                result = work.run(program, valid)
                out = result.stdout.decode()
                where = f"{program} with ./output {setup}"
                if program == "udh_weights_prod":
                    check(result.returncode == 0, f"{where}: status {result.returncode}")
                    continue
                check(result.returncode == failure, f"{where}: status {result.returncode}")
                opened = f"./output/{name}" if program == "udh_weights" else "./output/.weight_"
                check(opened in out.split("\n")[-2], f"{where}: message {out[-200:]!r}")
                check(work.files() == ([] if setup == "missing" else ["output"]), f"{where}: {work.files()}")


def unwritable_weight_file():
    for program, (valid, failure, directory, name) in PROGRAMS.items():
        for setup in ("dev-full", "directory"):
            with Work() as work:
                target = os.path.join(work.path, directory, name)
                if setup == "dev-full":
                    os.symlink("/dev/full", target)
                else:
                    os.mkdir(target)
                result = work.run(program, valid)
                where = f"{program} with the weight file a {setup}"
                check(result.returncode == failure, f"{where}: status {result.returncode}")
                last = result.stdout.decode().rstrip("\n").split("\n")[-1]
                check(name in last and last.startswith("Error"), f"{where}: message {last!r}")
                if setup == "dev-full":
                    check(not os.path.lexists(target), f"{where}: the failed file is still there")
                    check(not staging_left(work), f"{where}: staging file left")
                else:
                    check(os.path.isdir(target), f"{where}: directory replaced")


def standard_streams():
    for program, (valid, failure, directory, name) in PROGRAMS.items():
        rel = os.path.join(directory, name)
        expected = None if program in RANDOMISED else reference(program)

        def complete(work, where):
            content = work.read(rel)
            if expected is not None:
                check(content == expected, f"{where}: weight file differs from a normal run")
            else:
                rows = [r for r in content.split(b"\n") if r and not r.startswith(b"#")]
                check(len(rows) in (10, 11), f"{where}: {len(rows)} rows")
            check(not staging_left(work), f"{where}: staging file left")

        with Work() as work:  # a reader that goes away early
            pipe = subprocess.Popen([program] + valid, executable=os.path.join(BIN, program),
                                    cwd=work.path, stdout=subprocess.PIPE)
            pipe.stdout.close()
            status = pipe.wait(timeout=60)
            check(status == 0, f"{program} | closed reader: status {status}")
            complete(work, f"{program} | closed reader")
        with Work() as work:
            with open("/dev/full", "w") as full:
                result = work.run(program, valid, stdout=full)
            traced = program != "udh_weights_prod"
            check(result.returncode == (failure if traced else 0), f"{program} >/dev/full: status {result.returncode}")
            check(bool(result.stderr) == traced, f"{program} >/dev/full: stderr {result.stderr!r}")
            complete(work, f"{program} >/dev/full")
        for fd in (0, 1, 2):  # a standard descriptor closed at start
            with Work() as work:
                shell = f'exec {fd}>&-; exec "$0" "$@"'
                result = subprocess.run(["sh", "-c", shell, os.path.join(BIN, program)] + valid,
                                        cwd=work.path, capture_output=True, timeout=60)
                where = f"{program} with descriptor {fd} closed"
                check(result.returncode == 0, f"{where}: status {result.returncode}")
                complete(work, where)


def simultaneous_runs():
    for program, (valid, failure, directory, name) in PROGRAMS.items():
        args = [valid[0], "100" if program == "msld_weights" else "20000"]
        expected = None if program in RANDOMISED else reference(program, args)
        width = int(args[0])
        for copies in (2, 3):
            for _ in range(8):
                with Work() as work:
                    runs = [subprocess.Popen([program] + args, executable=os.path.join(BIN, program),
                                             cwd=work.path, stdout=subprocess.DEVNULL)
                            for _ in range(copies)]
                    statuses = [run.wait(timeout=120) for run in runs]
                    where = f"{copies} x {program} {args}"
                    check(statuses == [0] * copies, f"{where}: statuses {statuses}")
                    check(not staging_left(work), f"{where}: staging file left")
                    files = work.files()
                    check(len(files) == 1, f"{where}: files {files}")
                    content = work.read(files[0])
                    if expected is not None:
                        check(content == expected, f"{where}: weight file is not one run's output")
                        continue
                    # Randomised runs: one complete file of whole rows.
                    rows = [r for r in content.split(b"\n")[:-1] if not r.startswith(b"#")]
                    check(content.endswith(b"\n") and len(rows) in (20000, 20011),
                          f"{where}: {len(rows)} rows")
                    check(all(len(r.split()) == width for r in rows), f"{where}: a partial row")


def large_sizes():
    cases = [("tglp_weights", ["10", "20000"], 20011, 10), ("glp_points", ["10", "20000"], 20000, 10),
             ("udh_weights", ["22", "200000"], 200000, 22), ("udh_weights_prod", ["22", "200000"], 200000, 22),
             ("gwud_weights", ["10", "200000"], 200000, 10), ("gwud_weights_prod", ["10", "200000"], 200000, 10),
             ("msld_weights", ["3", "500"], 3 + 1 + 3 * 3 * 500 * 501 // 2, 3)]
    for program, args, rows, width in cases:
        with Work() as work:
            result = work.run(program, args, stdout=subprocess.DEVNULL)
            where = f"{program} {args}"
            check(result.returncode == 0, f"{where}: status {result.returncode}")
            files = work.files()
            check(len(files) == 1, f"{where}: files {files}")
            lines = work.read(files[0]).split(b"\n")[:-1]
            body = [l for l in lines if not l.startswith(b"#")]
            check(len(body) == rows, f"{where}: {len(body)} rows, expected {rows}")
            check(all(len(l.split()) == width for l in body[:: max(1, rows // 1000)]), f"{where}: row width")
    for program, args in [("tglp_weights", ["10", "20001"]), ("glp_points", ["10", "20001"]),
                          ("udh_weights", ["23", "10"]), ("udh_weights_prod", ["22", "97612894"]),
                          ("gwud_weights", ["11", "10"]),
                          ("msld_weights", ["3", "21845"]), ("tglp_weights", ["1001", "10"])]:
        with Work() as work:
            result = work.run(program, args, timeout=30)
            check(result.returncode == PROGRAMS[program][1] and work.files() == [],
                  f"{program} {args}: status {result.returncode}, files {work.files()}")
    for program, args in [("gwud_weights_prod", ["3", "2147483647"]), ("udh_weights_prod", ["2", "1073741823"])]:
        with Work() as work:
            check_giant_run_starts(work, program, args)


GROUPS = {"arguments": arguments, "output_directory": output_directory,
          "unwritable_weight_file": unwritable_weight_file, "standard_streams": standard_streams,
          "simultaneous_runs": simultaneous_runs, "large_sizes": large_sizes}
GROUPS[GROUP]()
finish(f"{GROUP}: ")
