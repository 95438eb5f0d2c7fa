// Carrying points of the unit cube of dimension m - 1 onto the unit simplex of dimension m.
#pragma once

#include <vector>

#include "simplex_weights/weight_set.h"

namespace simplex_weights::detail {

/// How w_i = (1 - a_i) * a_1 * ... * a_{i-1} is multiplied out; the two can differ in the
/// last bit. Product-first forms the partial product from 1, then multiplies by (1 - a_i);
/// left-to-right starts from (1 - a_i) and multiplies by a_1, a_2, ... in turn.
enum class MultiplicationOrder { kProductFirst, kLeftToRight };

/// How the last component is completed: 1 minus the others with a correction of rounding
/// overshoot, or the product of all factors.
enum class Completion { kCorrected, kProduct };

/// The per-point mapping for one m. Each factor a_j = u_j^(1/(m - j)) is computed once per
/// point; the multiplications keep the stated order, so results are bit-identical to forming
/// every product afresh.
class SimplexMapping {
 public:
  /// m >= 1; with m = 1 every point maps to (1).
  SimplexMapping(int m, MultiplicationOrder order, Completion completion);

  /// Maps u (m - 1 doubles) to w (m doubles). With corrected completion, the sum of the first
  /// m - 1 components before the correction goes to *partial_sum when it is given.
  void map(const double* u, double* w, double* partial_sum = nullptr);

  int dimension() const { return m_; }

 private:
  int m_;
  MultiplicationOrder order_;
  Completion completion_;
  std::vector<double> exponents_;
  std::vector<double> factors_;
};

}  // namespace simplex_weights::detail
