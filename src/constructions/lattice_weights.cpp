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

double lattice(int i, int j, int N, double c) {
  return j == 0 ? static_cast<double>(i + 1) / static_cast<double>(N)
                : fractional_part(static_cast<double>(i + 1) * c);
}

void lattice_weight_points(int m, int N, Observer& observer) {
  for (int i = 0; i < N; ++i) {
    for (int j = 0; j < m - 1; ++j) observer.coordinate(lattice(i, j, N, kLatticeConstants[j]));
  }
}

void lattice_weight_rows(const LatticeBuild& build, int m, int N, int first, int last,
                         RowSink& rows, Observer& observer) {
  SimplexMapping mapping(
      m, MultiplicationOrder::kProductFirst,
      build.corrected_completion ? Completion::kCorrected : Completion::kProduct);
  std::vector<double> u(static_cast<std::size_t>(m));
  std::vector<double> w(static_cast<std::size_t>(m));
  const bool sums = observer.observing() && build.corrected_completion;
  double partial_sum = 0;
  for (int i = first; i < last; ++i) {
    for (int j = 0; j < m - 1; ++j) {
      u[static_cast<std::size_t>(j)] = lattice(i, j, N, kLatticeConstants[j]);
    }
    mapping.map(u.data(), w.data(), sums ? &partial_sum : nullptr);
    if (sums) observer.row_sum(partial_sum);
    observer.row(w.data(), m);
    rows.row(w.data(), m);
  }
}

void check_lattice_weights_arguments(int m) {
  if (m < kMinLatticeObjectives || m > kMaxLatticeObjectives) {
    throw InvalidArgument(
        range_message("the dimension", kMinLatticeObjectives, kMaxLatticeObjectives));
  }
}

}  // namespace simplex_weights::detail
