#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "common/runs.h"
#include "constructions/energy_set.h"
#include "files/publication.h"
#include "inspect/reading.h"
#include "support/failure.h"
#include "text/rows.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

// Progress lines on standard error, once a second, for a run that has lasted two seconds.
class ProgressLines final : public DescentProgress {
 public:
  ProgressLines(const char* program, bool quiet) : program_(program), quiet_(quiet) {}

  void step(int step, double energy) override {
    if (quiet_) return;
    const double now = seconds_since(began_);
    if (step == 1) {
      first_gain_ = 0;
      last_gain_ = 0;
      windows_ = 0;
      window_energy_ = energy;
      window_began_ = now;
    }
    if (step % kStallSteps == 0) {
      last_gain_ = window_energy_ - energy;
      if (++windows_ == 1) first_gain_ = last_gain_;
      window_seconds_ = now - window_began_;
      window_energy_ = energy;
      window_began_ = now;
    }
    if (now < 2 || now - last_line_ < 1) return;
    last_line_ = now;
    char line[200];
    std::snprintf(line, sizeof line, "%s: step %d, energy %.6f, %s\n", program_, step, energy,
                  time_left().c_str());
    write_line(line);
  }

 private:
  using Clock = std::chrono::steady_clock;
  static double seconds_since(Clock::time_point then) {
    return std::chrono::duration<double>(Clock::now() - then).count();
  }
  // The time left, taking the energy's gain per window of kStallSteps steps to shrink at the
  // mean rate it has shrunk since the first window, until it falls below kStall (where the
  // descent ends); negative while that rate is not known.
  double seconds_left() const {
    if (windows_ < 3 || !(first_gain_ > 0) || !(last_gain_ > 0) || window_seconds_ <= 0) return -1;
    if (last_gain_ < kStall) return 0;
    const double ratio = std::pow(last_gain_ / first_gain_, 1.0 / (windows_ - 1));
    if (!(ratio < 1)) return -1;
    return std::log(kStall / last_gain_) / std::log(ratio) * window_seconds_;
  }
  std::string time_left() const {
    const double left = seconds_left();
    if (left < 0) return "time left not yet known";
    char text[64];
    std::snprintf(text, sizeof text, "about %.0f s left", std::ceil(left));
    return text;
  }
  static void write_line(const char* line) {
    for (std::string_view rest = line; !rest.empty();) {
      const ssize_t written = ::write(STDERR_FILENO, rest.data(), rest.size());
      if (written <= 0) return;
      rest.remove_prefix(static_cast<std::size_t>(written));
    }
  }

  const char* program_;
  bool quiet_;
  Clock::time_point began_ = Clock::now();
  double last_line_ = 0;
  double first_gain_ = 0;  // the energy's fall over the first window
  double last_gain_ = 0;   // and over its last
  int windows_ = 0;
  double window_energy_ = 0;
  double window_began_ = 0;
  double window_seconds_ = 0;
};

// Row sums this far from 1 are no weight vector's.
constexpr double kRowSumSlack = 1e-3;

// The rows of --from: N distinct weight vectors of m values, each put exactly on the simplex
// (a file's rounding leaves its sums a few units of the last place off 1).
WeightSet rows_from(const std::string& path, int m, int N, double s) {
  const FileRows file = read_weight_set(path);
  if (file.ragged || file.rows() != N || (N > 0 && file.columns != m)) {
    throw Failure("Error... " + path + " holds " + std::to_string(file.rows()) + " rows of " +
                  std::to_string(file.columns) + " values, not " + std::to_string(N) + " of " +
                  std::to_string(m) + "\n");
  }
  WeightSet set{.rows = static_cast<std::size_t>(N),
                .columns = static_cast<std::size_t>(m),
                .values = Values(file.values.begin(), file.values.end())};
  const std::size_t columns = set.columns;
  for (std::size_t i = 0; i < set.rows; ++i) {
    double* row = set.values.data() + i * columns;
    double sum = 0;
    bool negative = false;
    for (int k = 0; k < m; ++k) {
      sum += row[k];
      negative = negative || !(row[k] >= -kRowSumSlack);
    }
    if (negative || !(std::fabs(sum - 1) <= kRowSumSlack)) {
      throw Failure("Error... " + path + ":" + std::to_string(file.row_lines[i]) +
                    ": the row is no weight vector (components >= 0 summing to 1)\n");
    }
    for (int k = 0; k < m; ++k) row[k] = std::max(row[k], 0.0) / sum;
  }
  if (!std::isfinite(riesz_energy(set.values.data(), set.rows, set.columns, s))) {
    throw Failure("Error... " + path + " repeats a row: the energy of its rows is infinite\n");
  }
  return set;
}

void trace_outcome(Writer& trace, double s, const DescentOutcome& outcome) {
  char line[200];
  std::snprintf(line, sizeof line,
                "energy, log of the mean of d^-%g over all pairs: %.6f at the start, %.6f after "
                "%d steps\n",
                s, outcome.start_energy, outcome.energy, outcome.steps);
  trace.text(line);
}

}  // namespace

void run_energy_weights(int m, int N, Run& run) {
  const double s =
      run.options.exponent.value_or(default_exponent(static_cast<std::size_t>(std::max(m, 0))));
  check_energy_arguments(m, N, s);
  ProgressLines progress(run.program, run.options.quiet || run.options.output == "-");
  EnergySet result;
  if (run.options.from.empty()) {
    result = energy_set(m, N, run.random, s, &progress);
  } else {
    result.set = rows_from(run.options.from, m, N, s);
    result.outcome =
        descend(result.set.values.data(), result.set.rows, result.set.columns, s, &progress);
  }
  trace_outcome(run.trace, s, result.outcome);
  Publication publication =
      publish_weight_file(run, staged_file_name("energy", m, N), m, N, true, kStandardMessages);
  if (writes_header(run, false)) write_header(publication.rows(), N, m);
  RowPrinter printer(publication.rows(), RowFormat::kFixed, run.options.exact_sums);
  for (std::size_t i = 0; i < result.set.rows; ++i) printer.row(result.set.row(i), m);
  publication.open_final();
  publication.finish();
}

}  // namespace simplex_weights::cli
