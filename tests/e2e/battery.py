#!/usr/bin/env python3
"""Hostile input and faults, for every program of the suite: odd argument texts, a missing or
unusable ./output, weight files that cannot be written, a broken or closed standard output,
simultaneous runs, and the largest sizes. Usage: battery.py BIN_DIR GROUP"""
import os
import resource
import shutil
import socket
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
    "glp_points": (["2", "11"], 1, "output", "weight_02D_11.glp"),
    "energy_weights": (["3", "10"], 1, "output", "weight_03D_10.energy"),
}
RANDOMISED = {"tglp_weights", "glp_points", "energy_weights"}
# Arguments whose weight file is well past 64 KiB.
LARGE_ENOUGH = {"tglp_weights": ["10", "20000"], "udh_weights": ["10", "100000"],
                "udh_weights_prod": ["10", "100000"], "gwud_weights": ["10", "100000"],
                "gwud_weights_prod": ["10", "100000"], "msld_weights": ["3", "100"],
                "glp_points": ["10", "20000"], "energy_weights": ["3", "20000"]}
# Arguments that keep a run busy for about a second, and whether the run only gets that far
# with its trace read (the lattice tools are quick, so their trace is left unread instead and
# the run waits on it with its hidden file open).
LONG_RUNS = {"tglp_weights": (["10", "20000"], False), "udh_weights": (["10", "3000000"], True),
             "udh_weights_prod": (["10", "3000000"], True), "gwud_weights": (["10", "1000000"], True),
             "gwud_weights_prod": (["10", "3000000"], True), "msld_weights": (["3", "1000"], True),
             "glp_points": (["10", "20000"], False)}
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


def weight_name(program, args):
    """The weight file's name for these arguments."""
    m, n = int(args[0]), int(args[1])
    if program == "tglp_weights":
        n = next(p for p in PRIMES if p >= n)
    extension = {"tglp_weights": "tglp", "udh_weights": "udh", "udh_weights_prod": "udh",
                 "gwud_weights": "gwud", "gwud_weights_prod": "gwud", "msld_weights": "msld",
                 "glp_points": "glp", "energy_weights": "energy"}[program]
    return f"weight_{m:02d}D_{n}.{extension}"


def hidden_name(program, args):
    """The family of hidden names a run writes under before it publishes, relative to the
    working directory: the run's own file adds ".sw-partial." and six random letters or
    digits."""
    return os.path.join(PROGRAMS[program][2], "." + weight_name(program, args))


def hidden_files(work, program, args):
    """The hidden files of that family that exist now, as absolute paths."""
    family = os.path.join(work.path, hidden_name(program, args))
    directory, base = os.path.split(family)
    try:
        names = os.listdir(directory)
    except FileNotFoundError:
        return []
    prefix = base + ".sw-partial."
    return [os.path.join(directory, n) for n in names
            if n.startswith(prefix) and len(n) == len(prefix) + 6]


PRIMES = [int(t) for t in open(os.path.join(BIN, "primes.dat")).read().split()]


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
                expected = 0 if len(args) == 3 and program not in (
                    "udh_weights", "udh_weights_prod", "energy_weights") else failure
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
    """A name that cannot take a weight file is refused with the open message; the previous
    weight file survives a write failure."""
    for program, (valid, failure, directory, name) in PROGRAMS.items():
        # A directory, a FIFO or a socket at the weight file's name: refused at once.
        for setup in ("directory", "fifo", "socket"):
            with Work() as work:
                target = os.path.join(work.path, directory, name)
                if setup == "directory":
                    os.mkdir(target)
                elif setup == "fifo":
                    os.mkfifo(target)
                else:
                    listener = socket.socket(socket.AF_UNIX)
                    listener.bind(target)
                    listener.close()
                where = f"{program} with the weight file a {setup}"
                try:
                    result = work.run(program, valid, timeout=20)
                except subprocess.TimeoutExpired:
                    check(False, f"{where}: hangs")
                    continue
                check(result.returncode == failure, f"{where}: status {result.returncode}")
                last = result.stdout.decode().rstrip("\n").split("\n")[-1]
                check(name in last and last.startswith("Error"), f"{where}: message {last!r}")
                check(f"{name}: is a" in result.stderr.decode(), f"{where}: stderr {result.stderr!r}")
                check(os.path.lexists(target), f"{where}: the {setup} was replaced")
        # Past the file-size limit every write fails with EFBIG: the write message, no hidden
        # file, and the previous weight file untouched.
        args = LARGE_ENOUGH[program]
        with Work() as work:
            final = os.path.join(work.path, directory, weight_name(program, args))
            with open(final, "w") as f:
                f.write("previous\n")
            limit = lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (65536, 65536))
            result = work.run(program, args, preexec_fn=limit, stdout=subprocess.PIPE)
            where = f"{program} {args} under ulimit -f"
            check(result.returncode == failure, f"{where}: status {result.returncode}")
            last = result.stdout.decode(errors="replace").rstrip("\n").split("\n")[-1]
            check(last.startswith("Error") and "(File too large)" in last
                  and weight_name(program, args) in last, f"{where}: message {last!r}")
            check(open(final).read() == "previous\n", f"{where}: previous weight file changed")
            check(not staging_left(work), f"{where}: hidden file left")


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
                # A trace written to a closed standard output fails as seq 3 >&- does; the
                # weight file is still whole.
                traced = fd == 1 and program != "udh_weights_prod"
                check(result.returncode == (failure if traced else 0), f"{where}: status {result.returncode}")
                if traced:
                    check(b"Bad file descriptor" in result.stderr, f"{where}: stderr {result.stderr!r}")
                complete(work, where)
        with Work() as work:  # the rows for a closed standard output
            result = subprocess.run(["sh", "-c", 'exec 1>&-; exec "$0" "$@"', os.path.join(BIN, program),
                                     "-o", "-"] + valid, cwd=work.path, capture_output=True, timeout=60)
            where = f"{program} -o - with standard output closed"
            check(result.returncode == failure and b"standard output" in result.stderr
                  and b"Bad file descriptor" in result.stderr, f"{where}: {result.returncode} {result.stderr!r}")
            check(work.files() == [], f"{where}: files {work.files()}")
        with Work() as work:  # -o - to a reader that went away, SIGPIPE ignored by the parent
            large = LARGE_ENOUGH[program]
            pipe = subprocess.Popen([program, "-o", "-"] + large, executable=os.path.join(BIN, program),
                                    cwd=work.path, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    restore_signals=False)  # Python's own SIGPIPE: ignored
            pipe.stdout.close()
            err = pipe.stderr.read()
            status = pipe.wait(timeout=120)
            where = f"{program} -o - | closed reader"
            check(status == failure and b"Broken pipe" in err, f"{where}: status {status}, {err[-120:]!r}")
            check(work.files() == [], f"{where}: files {work.files()}")


def simultaneous_runs():
    for program, (valid, failure, directory, name) in PROGRAMS.items():
        # Large enough that the runs overlap; energy_weights' descent is the slowest per row.
        args = [valid[0], {"msld_weights": "100", "energy_weights": "3000"}.get(program, "20000")]
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
                    check(content.endswith(b"\n") and len(rows) in (int(args[1]), 20011),
                          f"{where}: {len(rows)} rows")
                    check(all(len(r.split()) == width for r in rows), f"{where}: a partial row")


def large_sizes():
    cases = [("tglp_weights", ["10", "20000"], 20011, 10), ("glp_points", ["10", "20000"], 20000, 10),
             ("udh_weights", ["22", "200000"], 200000, 22), ("udh_weights_prod", ["22", "200000"], 200000, 22),
             ("gwud_weights", ["10", "200000"], 200000, 10), ("gwud_weights_prod", ["10", "200000"], 200000, 10),
             ("msld_weights", ["3", "500"], 3 + 1 + 3 * 3 * 500 * 501 // 2, 3),
             ("energy_weights", ["3", "20000"], 20000, 3)]
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
                          ("msld_weights", ["3", "21845"]), ("tglp_weights", ["1001", "10"]),
                          ("energy_weights", ["3", "20001"]), ("energy_weights", ["1001", "10"])]:
        with Work() as work:
            result = work.run(program, args, timeout=30)
            check(result.returncode == PROGRAMS[program][1] and work.files() == [],
                  f"{program} {args}: status {result.returncode}, files {work.files()}")
    for program, args in [("gwud_weights_prod", ["3", "2147483647"]), ("udh_weights_prod", ["2", "1073741823"])]:
        with Work() as work:
            check_giant_run_starts(work, program, args)


def links_and_owners():
    """Links planted at either name are replaced, never followed; a weight file of another
    user is replaced by the runner's own."""
    for program, (valid, failure, directory, name) in PROGRAMS.items():
        for planted in ("hidden", "final"):
            with Work() as work:
                victim = os.path.join(work.path, "victim")
                with open(victim, "w") as f:
                    f.write("victim\n")
                at = hidden_name(program, valid) if planted == "hidden" else os.path.join(directory, name)
                os.symlink(victim, os.path.join(work.path, at))
                result = work.run(program, valid)
                where = f"{program} with a link at the {planted} name"
                check(result.returncode == 0, f"{where}: status {result.returncode}")
                check(open(victim).read() == "victim\n", f"{where}: the link's target was written")
                final = os.path.join(work.path, directory, name)
                check(os.path.isfile(final) and not os.path.islink(final), f"{where}: no fresh weight file")
                # A link of the user's own at the bare hidden name is the user's: left alone.
                if planted == "hidden":
                    check(os.path.islink(os.path.join(work.path, at)), f"{where}: the user's link removed")
                check(not hidden_files(work, program, valid), f"{where}: hidden file left")
        if os.geteuid() == 0:
            with Work() as work:
                final = os.path.join(work.path, directory, name)
                with open(final, "w") as f:
                    f.write("theirs\n")
                os.chown(final, 65534, 65534)
                result = work.run(program, valid)
                where = f"{program} over another user's weight file"
                status = os.lstat(final)
                check(result.returncode == 0 and status.st_uid == 0 and open(final).read() != "theirs\n",
                      f"{where}: status {result.returncode}, owner {status.st_uid}")


def start_long_run(work, program):
    args, read_trace = LONG_RUNS[program]
    stdout = subprocess.DEVNULL if read_trace else subprocess.PIPE
    process = subprocess.Popen([program] + args, executable=os.path.join(BIN, program), cwd=work.path,
                               stdout=stdout, stderr=subprocess.DEVNULL)
    return process, args


def wait_for(condition, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.005)
    return False


def signal_long_run(work, program, number):
    """Sends the signal once the long run has its hidden file; checks that it ends the run as
    the signal would and removes the file. Returns the case's name."""
    process, args = start_long_run(work, program)
    where = f"{program} {args} with signal {int(number)}"
    started = wait_for(lambda: hidden_files(work, program, args) or process.poll() is not None)
    check(started and process.poll() is None, f"{where}: never wrote its hidden file")
    process.send_signal(number)
    # A run held up in the kernel (a write throttled behind a loaded disk) takes the signal
    # only when the call returns: a minute is for a machine under load, not for the program.
    try:
        status = process.wait(timeout=60)
    except subprocess.TimeoutExpired:
        process.kill()
        status = f"still running 60 s after the signal ({process.wait()})"
    check(status == -number, f"{where}: status {status}")
    check(not hidden_files(work, program, args), f"{where}: hidden file left")
    return where


def signals():
    """SIGINT, SIGTERM and SIGHUP in the middle of a run remove its hidden file and end it as
    the signal would; the weight file's name keeps the previous file, or nothing. (energy_weights
    claims its file only once its descent is done, and then writes it at once: its own test
    signals it in the middle of the descent.)"""
    for program in LONG_RUNS:
        directory = PROGRAMS[program][2]
        for number, with_previous in ((2, True), (15, False), (1, True)):
            with Work() as work:
                args = LONG_RUNS[program][0]
                final = os.path.join(work.path, directory, weight_name(program, args))
                if with_previous:
                    with open(final, "w") as f:
                        f.write("previous\n")
                where = signal_long_run(work, program, number)
                if with_previous:
                    check(open(final).read() == "previous\n", f"{where}: previous weight file changed")
                else:
                    check(not os.path.lexists(final), f"{where}: a weight file appeared")


def every_terminating_signal():
    """The other signals whose default action ends a run remove its hidden file too; a signal
    the run was started with ignored (nohup) stays ignored."""
    import signal as signals_module
    others = [signals_module.SIGQUIT, signals_module.SIGALRM, signals_module.SIGUSR1,
              signals_module.SIGUSR2, signals_module.SIGXCPU, signals_module.SIGVTALRM,
              signals_module.SIGPROF, signals_module.SIGPWR, signals_module.SIGSYS,
              signals_module.SIGRTMIN + 1]
    for program in ("tglp_weights", "gwud_weights", "udh_weights", "msld_weights"):
        for number in others if program == "gwud_weights" else others[:2]:
            with Work() as work:
                signal_long_run(work, program, number)
    with Work() as work:
        args = ["3", "2000"]
        process = subprocess.Popen(["gwud_weights"] + args, executable=os.path.join(BIN, "gwud_weights"),
                                   cwd=work.path, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                   preexec_fn=lambda: signals_module.signal(signals_module.SIGHUP,
                                                                            signals_module.SIG_IGN))
        process.stdout.read(100)  # under way, its trace waiting to be read
        process.send_signal(signals_module.SIGHUP)
        process.stdout.read()
        status = process.wait(timeout=20)
        process.stdout.close()
        check(status == 0 and work.files() == ["output/weight_03D_2000.gwud"],
              f"gwud_weights started with SIGHUP ignored: status {status}, files {work.files()}")


def second_user():
    """In a shared (1777) directory another user's files at a run's hidden names, plain or
    locked, neither block, fail nor fool the run, and are left alone; run as a real second user
    (nobody) where the test runs as root."""
    import fcntl
    if os.geteuid() != 0:
        print("second_user: skipped (a second user needs root to become one)")
        return
    nobody = 65534
    for program in ("gwud_weights", "tglp_weights", "msld_weights"):
        valid = PROGRAMS[program][0]
        with Work() as work:
            os.chmod(work.path, 0o1777)
            os.chmod(os.path.join(work.path, "output"), 0o1777)
            os.chmod(os.path.join(work.path, "primes.dat"), 0o644)
            family = os.path.join(work.path, hidden_name(program, valid))
            planted = [family, family + ".sw-partial.AAAAAA", family + ".sw-partial.zzzzzz"]
            for path in planted:
                with open(path, "w") as f:
                    f.write("theirs\n")
            holder = open(planted[1], "r")
            fcntl.flock(holder, fcntl.LOCK_EX)
            where = f"{program} as another user beside planted hidden files"
            try:
                result = work.run(program, valid, timeout=30, preexec_fn=lambda: os.setuid(nobody))
                final = os.path.join(work.path, PROGRAMS[program][2], weight_name(program, valid))
                check(result.returncode == 0 and os.stat(final).st_uid == nobody,
                      f"{where}: status {result.returncode}, {result.stdout[-200:]!r}")
            except subprocess.TimeoutExpired:
                check(False, f"{where}: waits")
            check(all(open(p).read() == "theirs\n" for p in planted), f"{where}: a planted file changed")
            check(len(hidden_files(work, program, valid)) == 2, f"{where}: {hidden_files(work, program, valid)}")
            holder.close()


def complete_rows(content, program, args):
    """Whether a file's text is a whole weight file for these arguments."""
    lines = content.split(b"\n")
    if not content.endswith(b"\n"):
        return False
    lines = lines[:-1]
    width = int(args[0])
    if lines and lines[0].startswith(b"#"):
        count = int(lines[0].split()[1])
        lines = lines[1:]
        if count != len(lines):
            return False
    elif program == "udh_weights_prod" and len(lines) != int(args[1]):
        return False
    return all(len(line.split()) == width for line in lines[-3:])


def readers():
    """A reader polling the weight file's name during a run only ever sees a complete file:
    the previous one, then the new one."""
    for program in ("udh_weights", "udh_weights_prod", "gwud_weights_prod", "msld_weights",
                    "tglp_weights", "glp_points", "energy_weights"):
        directory = PROGRAMS[program][2]
        args = ["10", "1000000"] if program.startswith(("udh", "gwud")) else LARGE_ENOUGH[program]
        with Work() as work:
            final = os.path.join(work.path, directory, weight_name(program, args))
            previous = b"# 1 2\n0.5 0.5 \n"
            with open(final, "wb") as f:
                f.write(previous)
            process = subprocess.Popen([program] + args, executable=os.path.join(BIN, program),
                                       cwd=work.path, stdout=subprocess.DEVNULL)
            seen, bad = set(), []
            while True:
                running = process.poll() is None
                try:
                    with open(final, "rb") as f:
                        content = f.read()
                except FileNotFoundError:
                    bad.append("absent")
                    content = None
                if content is not None:
                    if content == previous:
                        seen.add("previous")
                    elif complete_rows(content, program, args):
                        seen.add("new")
                    else:
                        bad.append(f"{len(content)} bytes")
                if not running:
                    break
            where = f"{program} {args} under a polling reader"
            check(process.returncode == 0, f"{where}: status {process.returncode}")
            check(not bad, f"{where}: saw {bad[:3]}")
            check("new" in seen, f"{where}: never saw the new file")


def waiting():
    """No run waits for another process: a file planted and locked at the hidden name neither
    blocks nor fails a run, nor is it removed; a run that waits on its trace blocks no run that
    writes another file."""
    import fcntl
    for program, (valid, failure, directory, name) in PROGRAMS.items():
        with Work() as work:
            hidden = os.path.join(work.path, hidden_name(program, valid)) + ".sw-partial.LOCKED"
            holder = open(hidden, "w")
            fcntl.flock(holder, fcntl.LOCK_EX)
            where = f"{program} with a locked file at its hidden name"
            try:
                result = work.run(program, valid, timeout=20)
                check(result.returncode == 0 and result.stderr == b"",
                      f"{where}: status {result.returncode}, stderr {result.stderr!r}")
            except subprocess.TimeoutExpired:
                check(False, f"{where}: waited")
            check(os.path.exists(os.path.join(work.path, directory, name)), f"{where}: no weight file")
            check(hidden_files(work, program, valid) == [hidden], f"{where}: hidden files {work.files()}")
            holder.close()
    for program in ("tglp_weights", "gwud_weights", "msld_weights", "glp_points"):
        valid = PROGRAMS[program][0]
        with Work() as work:
            # The long run waits on its unread trace with its own hidden file claimed.
            long_args = [valid[0], "19997"]  # a prime: glp_points then adds no note
            blocked = subprocess.Popen([program] + long_args, executable=os.path.join(BIN, program),
                                       cwd=work.path, stdout=subprocess.PIPE)
            wait_for(lambda: hidden_files(work, program, long_args))
            try:
                other = work.run(program, valid, timeout=20)
                check(other.returncode == 0, f"{program}: a run beside a blocked one: status {other.returncode}")
            except subprocess.TimeoutExpired:
                check(False, f"{program}: a run writing another file waits for a blocked run")
            blocked.terminate()
            blocked.wait(timeout=20)
            blocked.stdout.close()
            check(not hidden_files(work, program, long_args), f"{program}: the blocked run left its hidden file")


def prime_table():
    """primes.dat that is no regular file is refused at once with a message."""
    for setup in ("directory", "dev-zero", "fifo"):
        with Work() as work:
            table = os.path.join(work.path, "primes.dat")
            os.remove(table)
            if setup == "directory":
                os.mkdir(table)
            elif setup == "dev-zero":
                os.symlink("/dev/zero", table)
            else:
                os.mkfifo(table)
            where = f"tglp_weights with primes.dat a {setup}"
            try:
                result = work.run("tglp_weights", ["3", "100"], timeout=20)
            except subprocess.TimeoutExpired:
                check(False, f"{where}: hangs")
                continue
            check(result.returncode == 1, f"{where}: status {result.returncode}")
            check(result.stdout == b"Error... the prime table primes.dat is not a regular file.\n",
                  f"{where}: stdout {result.stdout!r}")
            check(staging_left(work) == [] and work.files() in ([], ["primes.dat"]), f"{where}: files {work.files()}")
    # A composite number in the table is used, with the note glp_points gives.
    with Work() as work:
        with open(os.path.join(work.path, "primes.dat"), "w") as f:
            f.write("2 3 4 9 15 100\n")
        result = work.run("tglp_weights", ["-q", "3", "10"])
        check(result.returncode == 0 and result.stderr == b"tglp_weights: note: n = 15 from the prime "
              b"table is not prime, so every column but the first repeats values\n",
              f"tglp_weights with a composite n: {result.stderr!r}")
    # Without /proc (a chroot, a sandbox) the table beside the program is found from argv[0] or
    # PATH, and a missing table names every place looked.
    if shutil.which("unshare") is None or os.geteuid() != 0:
        print("prime_table: the cases without /proc skipped (they need root and unshare)")
        return
    if "asan" in subprocess.run(["ldd", os.path.join(BIN, "tglp_weights")], capture_output=True,
                                text=True).stdout:
        print("prime_table: the cases without /proc skipped (the sanitizers need /proc)")
        return
    lone = tempfile.mkdtemp(prefix="lone_")
    try:
        shutil.copy(os.path.join(BIN, "tglp_weights"), lone)
        shutil.copy(os.path.join(BIN, "primes.dat"), lone)
        for how, command in (("by its path", f"{lone}/tglp_weights -q 3 10"),
                             ("through PATH", "PATH=" + lone + ":/usr/bin:/bin tglp_weights -q 3 10")):
            with Work() as work:
                os.remove(os.path.join(work.path, "primes.dat"))
                script = f"mount -t tmpfs none /proc && cd {work.path} && {command}"
                result = subprocess.run(["unshare", "--mount", "--propagation", "private", "sh", "-c", script],
                                        capture_output=True, timeout=30)
                if b"mount" in result.stderr and result.returncode != 0:
                    print("prime_table: the cases without /proc skipped (no mount namespace here)")
                    return
                check(result.returncode == 0 and work.files() == ["output/weight_03D_11.tglp"],
                      f"tglp_weights without /proc, invoked {how}: {result.returncode} {result.stderr!r}")
        os.remove(os.path.join(lone, "primes.dat"))
        with Work() as work:
            os.remove(os.path.join(work.path, "primes.dat"))
            script = f"mount -t tmpfs none /proc && cd {work.path} && {lone}/tglp_weights 3 10"
            result = subprocess.run(["unshare", "--mount", "--propagation", "private", "sh", "-c", script],
                                    capture_output=True, timeout=30)
            expected = (f"primes.dat: not found; looked for primes.dat, {lone}/primes.dat, "
                        f"{lone}/../share/simplex-weights/primes.dat").encode()
            check(result.returncode == 1 and expected in result.stderr,
                  f"tglp_weights without /proc or table: {result.stderr!r}")
    finally:
        shutil.rmtree(lone)


def memory_limit():
    """Under a small address-space limit a run either completes or ends with the allocation
    message and leaves nothing; never an abort. Likewise weights_inspect: a report, or the
    message and status 2."""
    if "asan" in subprocess.run(["ldd", os.path.join(BIN, "gwud_weights")], capture_output=True,
                                text=True).stdout:
        print("memory_limit: sanitized build, address-space limits do not apply")
        return
    for program, (valid, failure, directory, name) in PROGRAMS.items():
        refused = 0
        for kilobytes in range(4000, 12001, 100):
            with Work() as work:
                limit = lambda: resource.setrlimit(resource.RLIMIT_AS, (kilobytes << 10, kilobytes << 10))
                result = work.run(program, valid, preexec_fn=limit)
                where = f"{program} under ulimit -v {kilobytes}"
                out = result.stdout.decode(errors="replace")
                if result.returncode == 127:
                    continue  # the loader itself could not map the program
                if result.returncode == 0:
                    check(len(work.files()) == 1, f"{where}: files {work.files()}")
                    continue
                refused += 1
                check(result.returncode == failure and out.endswith("Error... not enough memory.\n"),
                      f"{where}: status {result.returncode}, output {out[-100:]!r}")
                check(work.files() == [], f"{where}: files {work.files()}")
        check(refused > 0, f"{program}: no limit made an allocation fail")
    refused = 0
    for kilobytes in range(4000, 12001, 100):
        with Work() as work:
            with open(os.path.join(work.path, "set.txt"), "w") as f:
                f.write("0.5 0.5\n0.25 0.75\n1 0\n")
            limit = lambda: resource.setrlimit(resource.RLIMIT_AS, (kilobytes << 10, kilobytes << 10))
            result = work.run("weights_inspect", ["set.txt"], preexec_fn=limit)
            if result.returncode in (0, 127):
                continue
            refused += 1
            said = (result.stdout + result.stderr).decode(errors="replace")
            check(result.returncode == 2 and "not enough memory" in said,
                  f"weights_inspect under ulimit -v {kilobytes}: status {result.returncode}")
    check(refused > 0, "weights_inspect: no limit made an allocation fail")


def own_files_only():
    """-o NAME removes or writes nothing a user made: dotfiles that share NAME's letters, a
    dotfile manager's links, and links to devices and streams at NAME itself (refused); as root,
    the system's /dev/stdout link is never replaced (in a private mount namespace over a tmpfs,
    never on the real /dev)."""
    for program, (valid, failure, _, _) in PROGRAMS.items():
        with Work() as work:
            keep = {".gitignore": b"build/\n", ".env": b"SECRET=1\n",
                    ".results.backup": b"old results\n", ".results.k3Vq9Z": b"mine\n"}
            for name, text in keep.items():
                with open(os.path.join(work.path, name), "wb") as f:
                    f.write(text)
            os.symlink(".env", os.path.join(work.path, ".bashrc"))
            for name in ("gitignore", "env", "results", "bashrc"):
                result = work.run(program, ["-q", "-o", name] + valid, timeout=30)
                check(result.returncode == 0, f"{program} -o {name}: status {result.returncode}")
            for name, text in keep.items():
                kept = os.path.exists(os.path.join(work.path, name)) and work.read(name) == text
                check(kept, f"{program}: {name} changed or removed")
            check(os.path.islink(os.path.join(work.path, ".bashrc")), f"{program}: .bashrc link gone")
        for target in ("/dev/null", "/proc/self/fd/1"):
            with Work() as work:
                link = os.path.join(work.path, "w.txt")
                os.symlink(target, link)
                result = work.run(program, ["-q", "-o", "w.txt"] + valid, timeout=30)
                where = f"{program} -o at a link to {target}"
                check(result.returncode == failure and b"is a link to a device or stream" in result.stderr,
                      f"{where}: status {result.returncode}, {result.stderr[-120:]!r}")
                check(os.path.islink(link) and os.readlink(link) == target and work.files() == ["w.txt"],
                      f"{where}: files {work.files()}")
    if os.geteuid() != 0 or shutil.which("unshare") is None:
        print("own_files_only: the /dev/stdout case skipped (needs root and unshare)")
        return
    with Work() as work:
        script = ("mount -t tmpfs none /dev && ln -s /proc/self/fd/1 /dev/stdout && "
                  f"{os.path.join(BIN, 'udh_weights')} -o /dev/stdout 3 3 >out.txt 2>&1; "
                  "echo status $?; ls -A /dev; readlink /dev/stdout")
        try:
            result = subprocess.run(["unshare", "-m", "sh", "-c", script], cwd=work.path,
                                    capture_output=True, timeout=30)
        except subprocess.TimeoutExpired:
            check(False, "udh_weights -o /dev/stdout: waits")
            return
        if result.returncode != 0 or not result.stdout.startswith(b"status"):
            print(f"own_files_only: no private mount namespace here ({result.stderr[-80:]!r})")
            return
        check(result.stdout == b"status 255\nstdout\n/proc/self/fd/1\n",
              f"udh_weights -o /dev/stdout as root: {result.stdout!r}")


GROUPS = {"own_files_only": own_files_only, "arguments": arguments, "output_directory": output_directory,
          "unwritable_weight_file": unwritable_weight_file, "standard_streams": standard_streams,
          "simultaneous_runs": simultaneous_runs, "large_sizes": large_sizes,
          "links_and_owners": links_and_owners, "signals": signals, "readers": readers,
          "waiting": waiting, "prime_table": prime_table, "memory_limit": memory_limit,
          "every_terminating_signal": every_terminating_signal, "second_user": second_user}
GROUPS[GROUP]()
finish(f"{GROUP}: ")
