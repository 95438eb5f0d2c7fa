// The Python module simplex_weights._core: the library's constructions and figures returning
// numpy arrays that own the library's buffer, computed with the GIL released.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "simplex_weights/simplex_weights.h"
#include "support/fan_out.h"

namespace py = pybind11;
namespace sw = simplex_weights;

namespace {

// The rows as a C-contiguous (rows, columns) float64 array whose base owns the library's buffer.
py::array_t<double> to_array(sw::WeightSet&& set) {
  auto owner = std::make_unique<sw::Values>(std::move(set.values));
  if (owner->empty()) owner->reserve(1);  // a valid pointer for an empty array
  double* data = owner->data();
  const auto rows = static_cast<py::ssize_t>(set.rows);
  const auto columns = static_cast<py::ssize_t>(set.columns);
  py::capsule base(owner.get(), [](void* buffer) { delete static_cast<sw::Values*>(buffer); });
  static_cast<void>(owner.release());  // the capsule owns it now
  return py::array_t<double>({rows, columns},
                             {columns * static_cast<py::ssize_t>(sizeof(double)),
                              static_cast<py::ssize_t>(sizeof(double))},
                             data, base);
}

using Matrix = py::array_t<double, py::array::c_style | py::array::forcecast>;

void check_matrix(const Matrix& array) {
  if (array.ndim() != 2) throw py::value_error("expected a two-dimensional array (rows, m)");
}

// A two-dimensional array's rows as a weight set (a copy, for save).
sw::WeightSet to_weight_set(const Matrix& array) {
  check_matrix(array);
  sw::WeightSet set;
  set.rows = static_cast<std::size_t>(array.shape(0));
  set.columns = static_cast<std::size_t>(array.shape(1));
  set.values.assign(array.data(), array.data() + array.size());
  return set;
}

// Runs `work` without the GIL on a thread of its own while this thread, every few
// milliseconds, lets Python handle its signals: Ctrl-C then cancels the work, which stops at
// its next check, and KeyboardInterrupt is raised. Where no thread can start, the work runs
// here, not interruptible but whole.
template <typename Work>
auto interruptible(Work work) {
  using Result = decltype(work());
  sw::Cancellation stop;
  std::optional<Result> result;
  std::exception_ptr failure;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  const auto body = [&] {
    {
      sw::CancelScope scope(stop);
      try {
        result.emplace(work());
      } catch (...) {
        failure = std::current_exception();
      }
    }
    const std::lock_guard<std::mutex> lock(mutex);
    done = true;
    finished.notify_one();
  };
  bool interrupted = false;
  {
    py::gil_scoped_release release;
    std::thread worker;
    if (sw::detail::room_for_threads(1)) {
      try {
        worker = std::thread(body);
      } catch (const std::system_error&) {
      }
    }
    if (!worker.joinable()) body();
    std::unique_lock<std::mutex> lock(mutex);
    while (!finished.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; })) {
      if (interrupted) continue;
      lock.unlock();
      {
        py::gil_scoped_acquire gil;
        interrupted = PyErr_CheckSignals() != 0;
      }
      if (interrupted) stop.request();
      lock.lock();
    }
    lock.unlock();
    if (worker.joinable()) worker.join();
  }
  if (interrupted)
    throw py::error_already_set();  // the KeyboardInterrupt, or what a handler raised
  if (failure) std::rethrow_exception(failure);
  return std::move(*result);
}

// Runs a construction without the GIL, interruptible, then hands its rows to Python.
template <typename Build>
py::array_t<double> built(Build build) {
  return to_array(interruptible(build));
}

// A path as Python gives it (str, bytes or os.PathLike), in the file system's encoding; a NUL
// byte, which would cut the path short, is refused.
std::string path_of(const py::object& path) {
  const py::module_ os = py::module_::import("os");
  const std::string text = os.attr("fsencode")(os.attr("fspath")(path)).cast<std::string>();
  if (text.find('\0') != std::string::npos) throw py::value_error("embedded null byte in path");
  return text;
}

sw::Construction construction_named(const std::string& name) {
  static const std::pair<const char*, sw::Construction> kNames[] = {
      {"tglp", sw::Construction::kTglp},
      {"udh", sw::Construction::kUdh},
      {"udh_product", sw::Construction::kUdhProduct},
      {"gwud", sw::Construction::kGwud},
      {"gwud_product", sw::Construction::kGwudProduct},
      {"msld", sw::Construction::kMsld},
      {"glp_cube", sw::Construction::kGlpCube},
      {"energy", sw::Construction::kEnergy},
  };
  for (const auto& [known, construction] : kNames) {
    if (name == known) return construction;
  }
  throw py::value_error(
      "unknown construction '" + name +
      "': one of tglp, udh, udh_product, gwud, gwud_product, msld, glp_cube, energy");
}

sw::RowFormat format_named(const std::string& name) {
  if (name == "fixed") return sw::RowFormat::kFixed;
  if (name == "scientific") return sw::RowFormat::kScientific;
  if (name == "separated") return sw::RowFormat::kFixedSeparated;
  throw py::value_error("unknown row format '" + name + "': fixed, scientific or separated");
}

py::object optional_value(const std::optional<double>& value) {
  return value ? py::object(py::float_(*value)) : py::object(py::none());
}

py::dict figures_dict(const sw::Figures& f) {
  py::dict result;
  result["rows"] = f.rows;
  result["distinct"] = f.distinct;
  result["closest_pair"] = optional_value(f.closest_pair);
  result["mean_nearest"] = optional_value(f.mean_nearest);
  result["nearest_cv"] = optional_value(f.nearest_cv);
  result["coverage_radius"] = optional_value(f.coverage_radius);
  result["energy"] = optional_value(f.energy);
  result["discrepancy"] = optional_value(f.discrepancy);
  py::dict notes;
  notes["closest_pair"] = f.closest_pair_note;
  notes["mean_nearest"] = f.mean_nearest_note;
  notes["coverage_radius"] = f.coverage_radius_note;
  notes["energy"] = f.energy_note;
  notes["discrepancy"] = f.discrepancy_note;
  result["notes"] = notes;
  return result;
}

// The programs' messages end in a newline; Python's do not.
std::string without_newline(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

constexpr const char* kLatticeDoc =
    "seed fixes the generator (the programs' --seed); search > 1 draws that many candidate\n"
    "generating vectors and keeps the best (glp_cube: the least centred L2 discrepancy; tglp:\n"
    "of the vectors of least discrepancy, the ordering of their components whose rows spread\n"
    "best on the simplex); units=True draws the further components among the units modulo n.";

}  // namespace

PYBIND11_MODULE(_core, module) {
  module.doc() =
      "Uniform-design weight vectors for multi-objective optimisation, in memory: every\n"
      "construction returns a C-contiguous float64 array of shape (rows, m), the rows the\n"
      "suite's program of the same name writes, exactly. vertices=True (every weight\n"
      "construction) puts the m unit vectors in place of the rows nearest to them, as the\n"
      "programs' --vertices does: for NSGA-III-style normalisation.";

  py::register_exception_translator([](std::exception_ptr failure) {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const sw::InvalidArgument& refusal) {
      PyErr_SetString(PyExc_ValueError, without_newline(refusal.what()).c_str());
    } catch (const sw::Error& error) {
      PyObject* type = error.code() == sw::ErrorCode::kIo            ? PyExc_OSError
                       : error.code() == sw::ErrorCode::kOutOfMemory ? PyExc_MemoryError
                                                                     : PyExc_RuntimeError;
      std::string text = without_newline(error.what());
      if (!error.detail().empty()) text += " (" + error.detail() + ")";
      PyErr_SetString(type, text.c_str());
    }
  });

  module.def(
      "tglp",
      [](int m, int samples, unsigned seed, int search, bool units, bool exact, bool vertices) {
        return built([=] {
          return sw::tglp(m, samples,
                          {.seed = seed,
                           .search = search,
                           .units = units,
                           .exact = exact,
                           .vertices = vertices});
        });
      },
      py::arg("m"), py::arg("samples"), py::kw_only(), py::arg("seed") = 1u, py::arg("search") = 1,
      py::arg("units") = false, py::arg("exact") = false, py::arg("vertices") = false,
      (std::string("Good lattice points carried onto the simplex: the first prime n >= samples\n"
                   "rows of m components (tglp_weights m samples); exact=True gives exactly\n"
                   "samples rows (tglp_weights --exact). ") +
       kLatticeDoc)
          .c_str());
  module.def(
      "udh",
      [](int k, int n, bool vertices) {
        return built([=] { return sw::udh(k, n, {.vertices = vertices}); });
      },
      py::arg("m"), py::arg("n"), py::kw_only(), py::arg("vertices") = false,
      "Hammersley-type weight vectors, n rows of m components (udh_weights m n).");
  module.def(
      "udh_product",
      [](int k, int n, bool vertices) {
        return built([=] { return sw::udh_product(k, n, {.vertices = vertices}); });
      },
      py::arg("m"), py::arg("n"), py::kw_only(), py::arg("vertices") = false,
      "The Hammersley-type vectors with product completion (udh_weights_prod m n).");
  module.def(
      "gwud",
      [](int m, int n, bool vertices) {
        return built([=] { return sw::gwud(m, n, {.vertices = vertices}); });
      },
      py::arg("m"), py::arg("n"), py::kw_only(), py::arg("vertices") = false,
      "Irrational-constant lattice weight vectors, n rows (gwud_weights m n).");
  module.def(
      "gwud_product",
      [](int m, int n, bool vertices) {
        return built([=] { return sw::gwud_product(m, n, {.vertices = vertices}); });
      },
      py::arg("m"), py::arg("n"), py::kw_only(), py::arg("vertices") = false,
      "The irrational-constant lattice with product completion (gwud_weights_prod m n).");
  module.def(
      "msld",
      [](int M, int K, bool unique, bool vertices) {
        return built([=] { return sw::msld(M, K, {.unique = unique, .vertices = vertices}); });
      },
      py::arg("m"), py::arg("layers"), py::kw_only(), py::arg("unique") = false,
      py::arg("vertices") = false,
      "Multi-layer simplex-lattice design (msld_weights m layers); unique=True keeps each\n"
      "distinct row once, in the order of first appearance.");
  module.def(
      "glp_cube",
      [](int m, int n, unsigned seed, int search, bool units) {
        return built(
            [=] { return sw::glp_cube(m, n, {.seed = seed, .search = search, .units = units}); });
      },
      py::arg("m"), py::arg("n"), py::kw_only(), py::arg("seed") = 1u, py::arg("search") = 1,
      py::arg("units") = false,
      (std::string("The good-lattice-point set of n points in the unit cube of dimension m\n"
                   "(glp_points m n). ") +
       kLatticeDoc)
          .c_str());
  module.def(
      "energy",
      [](int m, int n, unsigned seed, double exponent) {
        return built([=] { return sw::energy(m, n, {.seed = seed, .exponent = exponent}); });
      },
      py::arg("m"), py::arg("n"), py::kw_only(), py::arg("seed") = 1u, py::arg("exponent") = 0.0,
      "Exactly n distinct weight vectors of least Riesz s-energy (the sum of d^-s over all\n"
      "pairs, s = exponent or 2m), the m vertices among them (energy_weights m n): the simplex\n"
      "lattice of the largest level with at most n points, completed by a finer lattice's\n"
      "farthest points (ties ordered by seed), descended.");
  module.def(
      "refine_energy",
      [](const Matrix& weights, double exponent) {
        sw::WeightSet start = to_weight_set(weights);
        return built([=] { return sw::refine_energy(start, {.exponent = exponent}); });
      },
      py::arg("weights"), py::kw_only(), py::arg("exponent") = 0.0,
      "The distinct rows of weights moved down the same descent (energy_weights --from):\n"
      "the row count stays, rows that are vertices stay where they are.");
  module.def(
      "riesz_energy",
      [](const Matrix& weights, double exponent) {
        return sw::riesz_energy(to_weight_set(weights), exponent);
      },
      py::arg("weights"), py::kw_only(), py::arg("exponent") = 0.0,
      "log of the mean of d^-s over all pairs of rows (s = exponent or 2m).");
  module.def(
      "planned_rows",
      [](const std::string& name, int first, int second, unsigned seed, int search, bool unique,
         bool units, bool exact) {
        return sw::planned_rows(
            construction_named(name), first, second,
            {.seed = seed, .search = search, .unique = unique, .units = units, .exact = exact});
      },
      py::arg("construction"), py::arg("first"), py::arg("second"), py::kw_only(),
      py::arg("seed") = 1u, py::arg("search") = 1, py::arg("unique") = false,
      py::arg("units") = false, py::arg("exact") = false,
      "The rows a construction returns for these arguments, known before generating.");
  module.def(
      "figures",
      [](const Matrix& weights, bool cube) {
        // A C-contiguous float64 array is read in place.
        check_matrix(weights);
        const double* values = weights.data();
        const auto rows = static_cast<std::size_t>(weights.shape(0));
        const auto columns = static_cast<std::size_t>(weights.shape(1));
        return figures_dict(interruptible([=] {
          return sw::figures(values, rows, columns,
                             cube ? sw::PointKind::kCube : sw::PointKind::kWeights);
        }));
      },
      py::arg("weights"), py::kw_only(), py::arg("cube") = false,
      "The figures of uniformity weights_inspect prints, as a dict: rows, distinct, closest_pair,\n"
      "mean_nearest, nearest_cv, coverage_radius, energy, discrepancy (cube points only) and\n"
      "notes; a figure over the pair budget is None, with the reason in notes.");
  module.def(
      "load",
      [](const py::object& path) {
        const std::string name = path_of(path);
        return to_array(interruptible([&] { return sw::load(name); }));
      },
      py::arg("path"),
      "Reads a weight file (header optional, rows of numbers) into a (rows, m) array; a header\n"
      "that disagrees with the rows (a truncated file) raises RuntimeError naming both counts;\n"
      "'-' is a file of that name.");
  module.def(
      "save",
      [](const py::object& path, const Matrix& weights, const std::string& format, int digits,
         bool header) {
        const std::string name = path_of(path);
        const sw::WeightSet set = to_weight_set(weights);
        const sw::RowFormat form = format_named(format);
        interruptible([&] {
          sw::save(name, set, form, digits, header);
          return true;
        });
      },
      py::arg("path"), py::arg("weights"), py::kw_only(), py::arg("format") = "scientific",
      py::arg("digits") = 17, py::arg("header") = true,
      "Writes the rows as a weight file, whole or not at all (a hidden file beside it, synced,\n"
      "then renamed onto path; the previous file stays on any failure): the \"# rows m\" header,\n"
      "then one row per line as 'fixed' (\"%f \"), 'scientific' (\"%e \", the default) or\n"
      "'separated' (\"%lf\" between blanks), with digits after the point. Scientific with 17\n"
      "digits reads back as the same doubles; the fixed forms do so only for values >= 0.1.");
}
