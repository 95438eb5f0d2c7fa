#include "math/simplex_mapping.h"

#include <cmath>
#include <cstddef>

namespace simplex_weights::detail {

SimplexMapping::SimplexMapping(int m, MultiplicationOrder order, Completion completion)
    : m_(m), order_(order), completion_(completion) {
  for (int j = 1; j <= m - 1; ++j) exponents_.push_back(1.0 / static_cast<double>(m - j));
  factors_.resize(exponents_.size());
}

void SimplexMapping::map(const double* u, double* w, double* partial_sum) {
  const int last = m_ - 1;  // number of cube coordinates; w[last] is the completed component
  double* a = factors_.data();
  // The last exponent is 1, where pow returns its argument unchanged (a NaN may come back
  // with other bits, so it still goes through pow).
  for (int j = 0; j < last - 1; ++j) a[j] = std::pow(u[j], exponents_[static_cast<std::size_t>(j)]);
  if (last > 0) {
    const double u_last = u[last - 1];
    a[last - 1] = std::isnan(u_last) ? std::pow(u_last, 1.0) : u_last;
  }

  // The running product 1 * a_1 * ... * a_{i-1} is exactly the partial product rebuilt from 1.
  double partial = 1.0;
  for (int i = 0; i < last; ++i) {
    if (order_ == MultiplicationOrder::kProductFirst) {
      w[i] = (1.0 - a[i]) * partial;
    } else {
      double t = 1.0 - a[i];
      for (int j = 0; j < i; ++j) t = t * a[j];
      w[i] = t;
    }
    partial = partial * a[i];
  }

  if (completion_ == Completion::kProduct) {
    w[last] = partial;
    return;
  }
  double sum = 0.0;
  for (int j = 0; j < last; ++j) sum = sum + w[j];
  if (partial_sum != nullptr) *partial_sum = sum;
  if (sum > 1.0) {
    const double correction =
        std::fabs(1.0 - sum) / static_cast<double>(static_cast<float>(m_ - 1));
    for (int j = 0; j < last; ++j) w[j] -= correction;
    w[last] = 0.0;
  } else {
    w[last] = 1.0 - sum;
  }
}

}  // namespace simplex_weights::detail
