"""The Python module against the programs and its own promises: arrays that own the library's
buffer, reproducible seeds, the programs' words in ValueError, the GIL released while
computing, exact files, and a real client (DEAP's NSGA-III selection)."""
import os
import subprocess
import tempfile
import unittest

import numpy

import simplex_weights as sw
from running import steps_while

BIN = os.environ.get("WEIGHTS_BIN_DIR", "")


def program_file(program, args, file_name):
    """Runs a program of the suite with --digits 17 in a fresh directory; the bytes it leaves."""
    with tempfile.TemporaryDirectory() as work:
        os.mkdir(os.path.join(work, "output"))
        subprocess.run([os.path.join(BIN, program), "-q", "--digits", "17", *args], cwd=work,
                       check=True)
        with open(os.path.join(work, file_name), "rb") as f:
            return f.read()


def saved(W, **layout):
    """The bytes save() writes for W at 17 digits."""
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "w.txt")
        sw.save(path, W, digits=17, **layout)
        with open(path, "rb") as f:
            return f.read()


class Arrays(unittest.TestCase):
    def test_every_construction_gives_owned_contiguous_float64_rows(self):
        for W, shape in ((sw.tglp(3, 100), (101, 3)), (sw.udh(3, 91), (91, 3)),
                         (sw.udh_product(4, 10), (10, 4)), (sw.gwud(5, 210), (210, 5)),
                         (sw.gwud_product(2, 7), (7, 2)), (sw.msld(3, 4), (94, 3)),
                         (sw.glp_cube(2, 13), (13, 2)), (sw.udh(3, 0), (0, 3))):
            self.assertEqual(W.shape, shape)
            self.assertEqual(W.dtype, numpy.float64)
            self.assertTrue(W.flags["C_CONTIGUOUS"])
            # No copy: the array is a view of the library's buffer, which its base owns.
            self.assertFalse(W.flags["OWNDATA"])
            self.assertEqual(type(W.base).__name__, "PyCapsule")

    def test_planned_rows_are_known_before_generating(self):
        self.assertEqual(sw.planned_rows("tglp", 5, 91), 97)
        self.assertEqual(sw.tglp(5, 91).shape[0], 97)
        self.assertEqual(sw.planned_rows("msld", 3, 4, unique=True), sw.msld(3, 4, unique=True).shape[0])
        self.assertEqual(sw.msld(3, 4, unique=True).shape[0], 94 - 51)


class Programs(unittest.TestCase):
    @unittest.skipUnless(BIN, "WEIGHTS_BIN_DIR names no build")
    def test_the_rows_are_the_programs_rows(self):
        self.assertEqual(saved(sw.udh(3, 91), format="separated"),
                         program_file("udh_weights", ["3", "91"], "output/weight_03D_91.udh"))
        self.assertEqual(saved(sw.tglp(4, 50, seed=8, search=5), format="fixed", header=False),
                         program_file("tglp_weights", ["--seed", "8", "--search", "5", "4", "50"],
                                      "output/weight_04D_53.tglp"))
        self.assertEqual(saved(sw.msld(4, 2), format="fixed"),
                         program_file("msld_weights", ["4", "2"], "output/weight_04D_2.msld"))
        self.assertEqual(saved(sw.gwud(6, 99)),
                         program_file("gwud_weights", ["6", "99"], "output/weight_06D_99.gwud"))
        self.assertEqual(saved(sw.energy(3, 40, seed=4), format="fixed", header=False),
                         program_file("energy_weights", ["--seed", "4", "3", "40"],
                                      "output/weight_03D_40.energy"))


class Energy(unittest.TestCase):
    def test_energy_holds_the_vertices_and_refining_lowers_the_energy(self):
        W = sw.energy(4, 30, seed=2)
        self.assertEqual(W.shape, (30, 4))
        self.assertEqual(sw.planned_rows("energy", 4, 30), 30)
        for j in range(4):
            self.assertTrue(any((row == numpy.eye(4)[j]).all() for row in W))
        start = sw.gwud(3, 25)
        refined = sw.refine_energy(start)
        self.assertEqual(refined.shape, (25, 3))
        self.assertLess(sw.riesz_energy(refined), sw.riesz_energy(start))

    @unittest.skipIf(os.environ.get("WEIGHTS_HAS_FIGURES") == "0", "built without nanoflann")
    def test_the_energy_is_the_inspectors(self):
        W = sw.energy(4, 30, seed=2)
        self.assertAlmostEqual(sw.riesz_energy(W), sw.figures(W)["energy"], places=9)


class Seeds(unittest.TestCase):
    def test_a_seed_fixes_the_set_and_another_changes_it(self):
        a = sw.tglp(5, 211, seed=7, search=4)
        numpy.testing.assert_array_equal(a, sw.tglp(5, 211, seed=7, search=4))
        self.assertFalse(numpy.array_equal(a, sw.tglp(5, 211, seed=8, search=4)))


class Keywords(unittest.TestCase):
    def test_every_keyword_reaches_the_library(self):
        # Each keyword changes the set where it should: a binding that dropped one fails here.
        def differ(a, b):
            return a.shape != b.shape or not numpy.array_equal(a, b)
        self.assertTrue(differ(sw.tglp(5, 91, seed=1), sw.tglp(5, 91, seed=2)))
        self.assertTrue(differ(sw.tglp(5, 91, seed=3), sw.tglp(5, 91, seed=3, search=8)))
        self.assertEqual(sw.tglp(5, 91, exact=True).shape, (91, 5))
        self.assertEqual(sw.planned_rows("tglp", 5, 91, exact=True), 91)
        self.assertTrue(differ(sw.tglp(4, 100, seed=5, exact=True),
                               sw.tglp(4, 100, seed=5, exact=True, search=6)))
        # Units modulo a prime admit every residue, so the draws differ from primitive roots.
        self.assertTrue(differ(sw.tglp(4, 101, seed=9), sw.tglp(4, 101, seed=9, units=True)))
        self.assertTrue(differ(sw.glp_cube(3, 101, seed=1), sw.glp_cube(3, 101, seed=2)))
        self.assertTrue(differ(sw.glp_cube(3, 101, seed=4), sw.glp_cube(3, 101, seed=4, search=9)))
        self.assertTrue(differ(sw.glp_cube(3, 101, seed=9), sw.glp_cube(3, 101, seed=9, units=True)))
        self.assertTrue(differ(sw.msld(3, 4), sw.msld(3, 4, unique=True)))
        for construction in (sw.udh, sw.udh_product, sw.gwud, sw.gwud_product):
            W = construction(5, 210, vertices=True)
            self.assertTrue(differ(construction(5, 210), W))
            for j in range(5):
                self.assertTrue((W == numpy.eye(5)[j]).all(axis=1).any())
        self.assertTrue(differ(sw.tglp(5, 91, seed=3), sw.tglp(5, 91, seed=3, vertices=True)))
        numpy.testing.assert_array_equal(sw.msld(3, 4, vertices=True), sw.msld(3, 4))
        self.assertEqual(sw.planned_rows("msld", 3, 4, unique=True), sw.msld(3, 4, unique=True).shape[0])


class Errors(unittest.TestCase):
    def test_out_of_memory_raises_memory_error(self):
        with self.assertRaises(MemoryError):
            sw.msld(1000, 1190)

    def test_out_of_range_arguments_raise_value_error_with_the_programs_words(self):
        cases = ((lambda: sw.tglp(1, 100), "Error... the dimension should lie in 2 .. 1000"),
                 (lambda: sw.tglp(3, 20001), "Error... the number of samples should be lower than 20000"),
                 (lambda: sw.udh(23, 5), "Error... numObjectives should lie in 1 .. 22"),
                 (lambda: sw.msld(2, 0), "Error... with M = 2 the number of layers K should be at least 1"),
                 (lambda: sw.planned_rows("nope", 3, 3), "unknown construction 'nope'"))
        for call, words in cases:
            with self.assertRaises(ValueError) as raised:
                call()
            self.assertIn(words, str(raised.exception))

    def test_unreadable_files_raise(self):
        with self.assertRaises(OSError):
            sw.load("/nonexistent/weights.txt")
        with tempfile.NamedTemporaryFile("w", suffix=".txt") as f:
            f.write("0.5 0.5\n0.5 x\n")
            f.flush()
            with self.assertRaises(RuntimeError):
                sw.load(f.name)


class Gil(unittest.TestCase):
    def test_python_runs_while_a_construction_computes(self):
        # About half a second of search.
        self.assertGreater(steps_while(lambda: sw.tglp(6, 2000, seed=1, search=2)), 10000)


class Files(unittest.TestCase):
    def test_save_then_load_gives_the_same_doubles(self):
        W = sw.gwud(7, 300)
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "w.txt")
            sw.save(path, W)
            numpy.testing.assert_array_equal(sw.load(path), W)
            sw.save(path, W, format="fixed", digits=6, header=False)
            with open(path) as f:
                self.assertEqual(f.readline().count(" "), 7)

    @unittest.skipIf(os.environ.get("WEIGHTS_HAS_FIGURES") == "0", "built without nanoflann")
    def test_figures_is_a_dict_of_the_inspectors_figures(self):
        f = sw.figures(sw.udh(3, 91))
        self.assertEqual(f["rows"], 91)
        self.assertGreater(f["closest_pair"], 0)
        self.assertGreater(f["coverage_radius"], f["closest_pair"] / 2)
        self.assertIsNone(f["discrepancy"])
        self.assertIsNotNone(sw.figures(sw.glp_cube(2, 13), cube=True)["discrepancy"])


class Clients(unittest.TestCase):
    def test_deap_nsga3_selection_runs_on_the_modules_reference_points(self):
        try:
            from deap import base, creator, tools
        except ImportError:
            self.skipTest("DEAP (Debian python3-deap) is not installed")
        ref_points = sw.udh(3, 91)
        if not hasattr(creator, "FitnessMin3"):
            creator.create("FitnessMin3", base.Fitness, weights=(-1.0, -1.0, -1.0))
            creator.create("Individual3", list, fitness=creator.FitnessMin3)
        rng = numpy.random.default_rng(1)
        population = []
        for _ in range(92):
            individual = creator.Individual3(rng.random(3).tolist())
            individual.fitness.values = tuple(individual)
            population.append(individual)
        for _ in range(3):
            offspring = []
            for parent in population:
                child = creator.Individual3([min(1.0, max(0.0, x + rng.normal(0, 0.05))) for x in parent])
                child.fitness.values = tuple(child)
                offspring.append(child)
            population = tools.selNSGA3(population + offspring, 92, ref_points=ref_points)
        self.assertEqual(len(population), 92)


if __name__ == "__main__":
    unittest.main()
