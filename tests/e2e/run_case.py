#!/usr/bin/env python3
"""Runs one golden case: a program of the suite in a fresh temporary directory, compared with
the case's expected exit status, standard output and files, byte for byte.

A case directory holds:
  args    the program name, then one argument per line
  setup   optional words, one per line: "no-output" (no ./output directory), "primes" (copy
          primes.dat into the directory), "output-file" (./output is a regular file),
          "lone-binary" (the program runs from a copy of itself with no prime table beside it),
          "stderr-allowed" (standard error is not compared)
  status  the expected exit status
  stdout  the expected standard output (absent: not compared)
  stderr  the expected standard error (absent: it must stay empty, unless setup allows it)
  files/  the expected tree the run leaves (absent: the run leaves nothing)
  alt-*/  alternatives with their own stdout and files/, for randomised runs; one must match
"""
import os
import shutil
import subprocess
import sys
import tempfile


def read_tree(root):
    tree = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                tree[os.path.relpath(path, root)] = f.read()
    return tree


def expected(alternative):
    out_path = os.path.join(alternative, "stdout")
    stdout = open(out_path, "rb").read() if os.path.exists(out_path) else None
    files = os.path.join(alternative, "files")
    return stdout, read_tree(files) if os.path.isdir(files) else {}


def run(bin_dir, case):
    lines = open(os.path.join(case, "args"), encoding="utf-8").read().split("\n")
    program, args = lines[0], lines[1:-1]
    setup_path = os.path.join(case, "setup")
    setup = open(setup_path).read().split() if os.path.exists(setup_path) else []
    status = int(open(os.path.join(case, "status")).read())
    with tempfile.TemporaryDirectory() as work:
        if "output-file" in setup:
            open(os.path.join(work, "output"), "w").close()
        elif "no-output" not in setup:
            os.mkdir(os.path.join(work, "output"))
        if "primes" in setup:
            shutil.copy(os.path.join(bin_dir, "primes.dat"), work)
        executable = os.path.join(bin_dir, program)
        if "lone-binary" in setup:
            lone = tempfile.mkdtemp()
            executable = shutil.copy(executable, lone)
        result = subprocess.run([program] + args, executable=executable, cwd=work,
                                capture_output=True, timeout=120)
        if "lone-binary" in setup:
            shutil.rmtree(lone)
        produced = read_tree(work)
        produced.pop("primes.dat", None)
        if "output-file" in setup:
            produced.pop("output", None)
    problems = []
    if result.returncode != status:
        problems.append(f"exit status {result.returncode}, expected {status}")
    alternatives = sorted(os.path.join(case, d) for d in os.listdir(case) if d.startswith("alt-"))
    for alternative in alternatives or [case]:
        stdout, files = expected(alternative)
        mismatch = []
        if stdout is not None and result.stdout != stdout:
            mismatch.append("standard output differs:\n" + result.stdout.decode(errors="replace")[:2000])
        if produced != files:
            mismatch.append(f"files differ: got {sorted(produced)}, expected {sorted(files)}")
            for name in sorted(set(produced) & set(files)):
                if produced[name] != files[name]:
                    mismatch.append(f"--- {name}:\n" + produced[name].decode(errors="replace")[:2000])
        if not mismatch:
            break
    else:
        problems += mismatch
    err_path = os.path.join(case, "stderr")
    if os.path.exists(err_path):
        if result.stderr != open(err_path, "rb").read():
            problems.append("standard error differs: " + result.stderr.decode(errors="replace"))
    elif result.stderr and "stderr-allowed" not in setup:
        problems.append("unexpected standard error: " + result.stderr.decode(errors="replace"))
    return problems


def main():
    problems = run(sys.argv[1], sys.argv[2])
    for problem in problems:
        print(problem)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
