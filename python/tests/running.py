"""Helpers of the module's tests."""
import threading


def steps_while(call):
    """Runs call() on another thread and counts the steps this thread makes meanwhile: with the
    GIL held for the whole call, it could make none until the call returned."""
    started = threading.Event()

    def work():
        started.set()
        call()

    worker = threading.Thread(target=work)
    worker.start()
    started.wait()
    steps = 0
    while worker.is_alive():
        steps += 1
    worker.join()
    return steps
