#include "constructions/lattice_weights.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "math/simplex_mapping.h"
#include "support/arguments.h"
#include "support/failure.h"

namespace simplex_weights::detail {

double fractional_part(double x) { return x - std::floor(x); }

double lattice(int i, int j, int N, double c, Writer* trace) {
  const double value = j == 0 ? static_cast<double>(i + 1) / static_cast<double>(N)
                              : fractional_part(static_cast<double>(i + 1) * c);
  if (trace != nullptr) {
    trace->text("value = ");
    trace->fixed(value);
    trace->text(" \n");
  }
  return value;
}

namespace {

// The cube points in order, each coordinate traced as it is formed and then as stored.
void trace_cube(Writer& trace, int N, int m) {
  for (int i = 0; i < N; ++i) {
    for (int j = 0; j < m - 1; ++j) {
      const double value = lattice(i, j, N, kLatticeConstants[j], &trace);
      trace.text("B ");
      trace.fixed(value);
      trace.put('\n');
    }
  }
}

}  // namespace

int LowSequences_lattices_weights(RowSink& rows, int N, int m, const LatticeBuild& build,
                                  Writer& trace) {
  trace.text("trans = ");
  trace.fixed(kLatticeConstants[6]);
  trace.put('\n');
  if (N <= 0) return 0;

  // A point is cheap to rebuild, so no point set is held: the traced build first traces
  // every point, then each point is formed again (the same doubles) as it is mapped.
  Writer* detail = build.full_trace && !trace.discards() ? &trace : nullptr;
  if (detail != nullptr) trace_cube(*detail, N, m);
  SimplexMapping mapping(
      m, MultiplicationOrder::kProductFirst,
      build.corrected_completion ? Completion::kCorrected : Completion::kProduct);
  std::vector<double> u(static_cast<std::size_t>(m));
  std::vector<double> w(static_cast<std::size_t>(m));
  int count = 0;
  for (int i = 0; i < N; ++i) {
    for (int j = 0; j < m - 1; ++j) {
      u[static_cast<std::size_t>(j)] = lattice(i, j, N, kLatticeConstants[j], nullptr);
    }
    mapping.map(u.data(), w.data(), detail);
    rows.row(w.data(), m);
    ++count;
  }
  return count;
}

void lattice_weight_row_range(const LatticeBuild& build, int m, int N, int first, int last,
                              double* rows) {
  SimplexMapping mapping(
      m, MultiplicationOrder::kProductFirst,
      build.corrected_completion ? Completion::kCorrected : Completion::kProduct);
  std::vector<double> u(static_cast<std::size_t>(m));
  for (int i = first; i < last; ++i) {
    for (int j = 0; j < m - 1; ++j) {
      u[static_cast<std::size_t>(j)] = lattice(i, j, N, kLatticeConstants[j], nullptr);
    }
    mapping.map(u.data(), rows + static_cast<std::size_t>(i - first) * static_cast<std::size_t>(m));
  }
}

std::string lattice_weights_argument_help() {
  return "  dimension  number of objectives m, " +
         range_text(kMinLatticeObjectives, kMaxLatticeObjectives) +
         "\n  samples    number of weight vectors N (N <= 0 writes a header-only file)\n";
}

void check_lattice_weights_arguments(int m) {
  if (m < kMinLatticeObjectives || m > kMaxLatticeObjectives) {
    throw InvalidArgument(
        range_message("the dimension", kMinLatticeObjectives, kMaxLatticeObjectives));
  }
}

}  // namespace simplex_weights::detail
