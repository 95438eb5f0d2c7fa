// Carrying points of the unit cube of dimension m - 1 onto the unit simplex of dimension m.
#pragma once

#include <vector>

#include "simplex_weights/weight_set.h"
#include "text/writer.h"

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

  /// Maps u (m - 1 doubles) to w (m doubles). With corrected completion and a sum_trace, the
  /// sum of the first m - 1 components is traced as "sum = %f\n" before it is tested.
  void map(const double* u, double* w, Writer* sum_trace = nullptr);

  int dimension() const { return m_; }

 private:
  int m_;
  MultiplicationOrder order_;
  Completion completion_;
  std::vector<double> exponents_;
  std::vector<double> factors_;
};

/// Maps the n points of `cube` (n rows of m - 1) into `weights` (n rows of m) in product-first
/// order with corrected completion, traces each vector ("%f \t" per component) between two
/// rulers of 27 '=' and hands each to `rows`.
void transformation(RowSink& rows, Writer& trace, int m, int n, const double* cube,
                    double* weights);

}  // namespace simplex_weights::detail
