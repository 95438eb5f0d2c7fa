// The loop of the constructions whose rows are independent of each other: each row formed,
// told to the observer (with its partial sum where the completion is corrected and somebody
// looks), and handed on.
#pragma once

#include <cstddef>
#include <vector>

#include "simplex_weights/weight_set.h"
#include "support/cancel.h"
#include "support/observer.h"

namespace simplex_weights::detail {

/// Rows first .. last - 1 of m values: form(i, w, partial_sum) writes row i into w and, when
/// partial_sum is given, the sum of all components but the last before the correction.
template <typename Form>
void deliver_rows(int first, int last, int m, bool corrected, RowSink& rows, Observer& observer,
                  Form form) {
  std::vector<double> w(static_cast<std::size_t>(m));
  const bool sums = observer.observing() && corrected;
  double partial_sum = 0;
  CancelCheck check;
  for (int i = first; i < last; ++i) {
    check();
    form(i, w.data(), sums ? &partial_sum : nullptr);
    if (sums) observer.row_sum(partial_sum);
    observer.row(w.data(), m);
    rows.row(w.data(), m);
  }
}

}  // namespace simplex_weights::detail
