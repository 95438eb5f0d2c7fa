// The squared centred L2 discrepancy (CD2) of a point set in the unit cube, the figure of
// uniformity that the uniform-design literature minimises (Hickernell 1998, "A generalized
// discrepancy and quadrature error bound", Math. Comp. 67).
#pragma once

#include <cstddef>
#include <vector>

#include "simplex_weights/figures.h"

namespace simplex_weights::detail {

/// A point set stored by columns, each padded to whole blocks, as the discrepancy reads it.
class ColumnPoints {
 public:
  /// n >= 1 points of s >= 1 coordinates, all 0 until set.
  ColumnPoints(std::size_t n, std::size_t s);
  std::size_t size() const { return n_; }
  std::size_t dimension() const { return s_; }
  /// Column k: the coordinate k of every point, n values (and the padding behind them).
  double* column(std::size_t k) { return values_.data() + k * stride_; }
  const double* column(std::size_t k) const { return values_.data() + k * stride_; }
  std::size_t stride() const { return stride_; }

 private:
  std::size_t n_;
  std::size_t s_;
  std::size_t stride_;
  std::vector<double> values_;
};

/// CD2 of the points: (13/12)^s - (2/n) sum_i prod_k (1 + |z|/2 - z^2/2)
/// + (1/n^2) sum_i sum_j prod_k (1 + |z_i|/2 + |z_j|/2 - |x_i - x_j|/2), with z = x - 1/2,
/// exactly (no sampling) in O(n^2 s). The pair sum runs over j > i and is doubled, each row's
/// terms summed in blocks and the rows with compensation; the sums reach (3/2)^s and cancel to
/// CD2, so its absolute error stays within about n 2^-52 (3/2)^s.
double centred_l2_discrepancy(const ColumnPoints& points);

// The same for n >= 1 points of s >= 1 coordinates stored row-major is part of the public
// interface (simplex_weights/figures.h).

}  // namespace simplex_weights::detail
