"""The module as safe as the programs: long calls end on Ctrl-C, paths are what they say, save
publishes whole or not at all, load is strict about damaged files."""
import os
import pathlib
import stat
import subprocess
import sys
import tempfile
import textwrap
import unittest

import numpy

import simplex_weights as sw
from running import steps_while


def interrupted_after(call, delay=0.5, setup=""):
    """Runs `call` in a fresh interpreter that sends itself SIGINT after `delay` seconds; the
    seconds from the signal to KeyboardInterrupt, or None when the call ended otherwise."""
    code = textwrap.dedent(f"""
        import os, signal, threading, time
        import numpy, simplex_weights as sw
        {setup}
        threading.Timer({delay}, lambda: os.kill(os.getpid(), signal.SIGINT)).start()
        start = time.monotonic()
        try:
            {call}
            print("finished")
        except KeyboardInterrupt:
            print("interrupted", time.monotonic() - start - {delay})
    """)
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                            timeout=60, env=dict(os.environ))
    words = result.stdout.split()
    if not words or words[0] != "interrupted":
        return None
    return float(words[1])


class Interrupts(unittest.TestCase):
    def test_ctrl_c_ends_long_calls_within_a_second(self):
        calls = ["sw.tglp(10, 20000, search=100000)", "sw.glp_cube(8, 20000, search=100000)"]
        if os.environ.get("WEIGHTS_HAS_FIGURES") != "0":
            calls.append("sw.figures(numpy.random.default_rng(1).random((44000, 2)))")
        for call in calls:
            seconds = interrupted_after(call)
            self.assertIsNotNone(seconds, call)
            self.assertLess(seconds, 1.5, call)

    def test_ctrl_c_ends_a_load_from_a_stream_that_stalls(self):
        # A writer that has the FIFO open and never writes.
        with tempfile.TemporaryDirectory() as work:
            fifo = os.path.join(work, "stalled")
            os.mkfifo(fifo)
            writer = subprocess.Popen(["sh", "-c", f"exec 3>'{fifo}'; exec sleep 30"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                seconds = interrupted_after(f"sw.load({fifo!r})")
            finally:
                writer.kill()
                writer.wait()
            self.assertIsNotNone(seconds)
            self.assertLess(seconds, 1.5)


class Threads(unittest.TestCase):
    def test_threaded_calls_near_the_address_space_limit_never_abort(self):
        # Calls that use every core, again and again, with the address space a little above what
        # is in use: fewer threads or MemoryError, never a process ended by the C library.
        code = textwrap.dedent("""
            import os, resource
            import simplex_weights as sw
            sw.udh(10, 300000)
            for extra in (256 << 10, 1 << 20, 4 << 20, 24 << 20):
                used = int(open("/proc/self/statm").read().split()[0]) * os.sysconf("SC_PAGE_SIZE")
                resource.setrlimit(resource.RLIMIT_AS, (used + extra, resource.RLIM_INFINITY))
                for _ in range(3):
                    try:
                        sw.udh(10, 300000)
                        sw.gwud(10, 300000)
                    except MemoryError:
                        pass
                resource.setrlimit(resource.RLIMIT_AS, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
            print("alive")
        """)
        result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                                timeout=120)
        self.assertEqual((result.returncode, result.stdout.strip()), (0, "alive"), result.stderr[-300:])


class Paths(unittest.TestCase):
    def test_a_nul_byte_is_refused_and_path_objects_are_taken(self):
        W = sw.udh(3, 10)
        with tempfile.TemporaryDirectory() as work:
            keep = os.path.join(work, "keep.txt")
            with open(keep, "w") as f:
                f.write("mine\n")
            with self.assertRaises(ValueError):
                sw.save(keep + "\0.new", W)
            with self.assertRaises(ValueError):
                sw.load(keep + "\0x")
            self.assertEqual(open(keep).read(), "mine\n")
            path = pathlib.Path(work) / "w.txt"
            sw.save(path, W)
            numpy.testing.assert_array_equal(sw.load(path), W)
            sw.save(os.fsencode(os.path.join(work, "b.txt")), W)
            # "-" is a file of that name, both ways.
            previous = os.getcwd()
            os.chdir(work)
            try:
                sw.save("-", W)
                numpy.testing.assert_array_equal(sw.load("-"), W)
                self.assertTrue(os.path.isfile("-"))
            finally:
                os.chdir(previous)


class Save(unittest.TestCase):
    def test_save_replaces_links_and_refuses_what_is_no_file_at_once(self):
        W = sw.gwud(3, 20)
        with tempfile.TemporaryDirectory() as work:
            victim = os.path.join(work, "victim")
            with open(victim, "w") as f:
                f.write("victim\n")
            link = os.path.join(work, "link.txt")
            os.symlink(victim, link)
            sw.save(link, W)
            self.assertEqual(open(victim).read(), "victim\n")
            self.assertFalse(os.path.islink(link))
            dangling = os.path.join(work, "dangling.txt")
            os.symlink(os.path.join(work, "nowhere"), dangling)
            sw.save(dangling, W)
            self.assertFalse(os.path.exists(os.path.join(work, "nowhere")))
            fifo = os.path.join(work, "fifo.txt")
            os.mkfifo(fifo)
            with self.assertRaises(OSError):
                sw.save(fifo, W)  # at once: nobody reads the FIFO
            self.assertTrue(stat.S_ISFIFO(os.lstat(fifo).st_mode))
            self.assertEqual(sorted(os.listdir(work)),
                             ["dangling.txt", "fifo.txt", "link.txt", "victim"])

    def test_a_failed_save_keeps_the_previous_file(self):
        # Past the file-size limit every write fails: the previous file stays whole.
        code = textwrap.dedent("""
            import os, resource, signal, sys
            import simplex_weights as sw
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            path = sys.argv[1]
            with open(path, "w") as f:
                f.write("previous\\n")
            resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))
            try:
                sw.save(path, sw.udh(5, 10000))
                print("saved")
            except OSError as error:
                print("refused", open(path).read() == "previous\\n", len(os.listdir(os.path.dirname(path))))
        """)
        with tempfile.TemporaryDirectory() as work:
            result = subprocess.run([sys.executable, "-c", code, os.path.join(work, "w.txt")],
                                    capture_output=True, text=True, timeout=60)
            self.assertEqual(result.stdout.split(), ["refused", "True", "1"], result.stderr)

    def test_memory_running_out_while_saving_never_ends_the_interpreter(self):
        # Under a tight address-space limit a save either completes or raises MemoryError (or
        # OSError); the interpreter goes on, and no hidden file is left.
        code = textwrap.dedent("""
            import os, resource, sys
            import numpy, simplex_weights as sw
            W = sw.udh(10, 2000000)  # 160 MB: saving it needs memory the limit leaves out
            path = sys.argv[1]
            used = int(open("/proc/self/statm").read().split()[0]) * os.sysconf("SC_PAGE_SIZE")
            for extra in (1 << 20, 16 << 20, 64 << 20, 512 << 20):
                resource.setrlimit(resource.RLIMIT_AS, (used + extra, resource.RLIM_INFINITY))
                try:
                    sw.save(path, W)
                    print("saved")
                except (MemoryError, OSError):
                    print("refused")
                resource.setrlimit(resource.RLIMIT_AS, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
            print("alive", len(os.listdir(os.path.dirname(path))))
        """)
        with tempfile.TemporaryDirectory() as work:
            result = subprocess.run([sys.executable, "-c", code, os.path.join(work, "w.txt")],
                                    capture_output=True, text=True, timeout=120)
            self.assertEqual(result.returncode, 0, result.stderr[-400:])
            words = result.stdout.split()
            self.assertEqual(words[-2], "alive", result.stdout)
            self.assertIn("refused", words)
            self.assertLessEqual(int(words[-1]), 1)

    def test_load_and_save_let_other_threads_run(self):
        W = sw.udh(10, 200000)
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "w.txt")
            for call in (lambda: sw.save(path, W), lambda: sw.load(path)):
                self.assertGreater(steps_while(call), 10000)

    def test_the_default_form_reads_back_as_the_same_doubles(self):
        W = sw.gwud(10, 1000)
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "w.txt")
            sw.save(path, W)
            numpy.testing.assert_array_equal(sw.load(path), W)


@unittest.skipIf(os.environ.get("WEIGHTS_HAS_FIGURES") == "0", "built without nanoflann")
class Figures(unittest.TestCase):
    def test_distinct_rows_never_lie_at_distance_zero(self):
        f = sw.figures(numpy.array([[1e-308, 0.0], [0.0, 1e-308], [0.5, 0.5]]))
        self.assertIsNone(f["closest_pair"])
        self.assertIn("underflow", f["notes"]["closest_pair"])


class Load(unittest.TestCase):
    def check_refused(self, text, words):
        with tempfile.NamedTemporaryFile("w", suffix=".txt") as f:
            f.write(text)
            f.flush()
            with self.assertRaises(RuntimeError) as raised:
                sw.load(f.name)
            for word in words:
                self.assertIn(word, str(raised.exception))

    def test_a_header_that_disagrees_with_the_rows_is_damage(self):
        self.check_refused("# 5 3\n0.2 0.3 0.5\n0.1 0.1 0.8\n", ["5 rows of 3", "2 rows of 3"])
        self.check_refused("# 2 4\n0.2 0.3 0.5\n0.1 0.1 0.8\n", ["2 rows of 4", "2 rows of 3"])

    def test_an_empty_set_keeps_its_columns(self):
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "w.txt")
            sw.save(path, numpy.zeros((0, 3)))
            self.assertEqual(sw.load(path).shape, (0, 3))


if __name__ == "__main__":
    unittest.main()
