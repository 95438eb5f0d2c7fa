"""The tally of the end-to-end scripts: every check counted, every failure kept and reported."""
import sys

failures = []
count = 0


def check(condition, what):
    global count
    count += 1
    if not condition:
        failures.append(what)


def finish(title):
    """Prints the tally and the failures, and exits with 1 when any check failed."""
    print(f"{title}{count} checks, {len(failures)} failed")
    for failure in failures:
        print("FAIL", failure)
    sys.exit(1 if failures else 0)
