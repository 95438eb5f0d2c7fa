#include "constructions/irrational_set.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "constructions/row_loop.h"
#include "math/simplex_mapping.h"
#include "support/arguments.h"
#include "support/cancel.h"
#include "support/failure.h"

namespace simplex_weights::detail {

double fractional_part(double x) { return x - std::floor(x); }

double irrational_coordinate(int i, int j, int N, double c) {
  return j == 0 ? static_cast<double>(i + 1) / static_cast<double>(N)
                : fractional_part(static_cast<double>(i + 1) * c);
}

void irrational_points(int m, int N, Observer& observer) {
  CancelCheck check;
  for (int i = 0; i < N; ++i) {
    check();
    for (int j = 0; j < m - 1; ++j)
      observer.coordinate(irrational_coordinate(i, j, N, kIrrationalConstants[j]));
  }
}

void irrational_rows(const IrrationalBuild& build, int m, int N, int first, int last, RowSink& rows,
                     Observer& observer) {
  SimplexMapping mapping(
      m, MultiplicationOrder::kProductFirst,
      build.corrected_completion ? Completion::kCorrected : Completion::kProduct);
  std::vector<double> u(static_cast<std::size_t>(m));
  deliver_rows(first, last, m, build.corrected_completion, rows, observer,
               [&](int i, double* w, double* partial_sum) {
                 for (int j = 0; j < m - 1; ++j) {
                   u[static_cast<std::size_t>(j)] =
                       irrational_coordinate(i, j, N, kIrrationalConstants[j]);
                 }
                 mapping.map(u.data(), w, partial_sum);
               });
}

void check_irrational_arguments(int m) {
  if (m < kMinIrrationalObjectives || m > kMaxIrrationalObjectives) {
    throw InvalidArgument(
        range_message("the dimension", kMinIrrationalObjectives, kMaxIrrationalObjectives));
  }
}

}  // namespace simplex_weights::detail
