// The checks of weights_inspect: what a weight file (or a file of unit-cube points) must hold.
#pragma once

#include <string>
#include <vector>

#include "inspect/reading.h"
#include "simplex_weights/figures.h"

namespace simplex_weights::detail {

struct Check {
  bool pass;
  std::string text;
};

/// The row-sum tolerance a file is held to by default: columns times half a unit in its last
/// printed place (at most 1e-3), plus the rounding of adding the columns in doubles.
double default_tolerance(const FileRows& set);

/// The validation of a loaded set; `tolerance` < 0 chooses default_tolerance; `distinct`
/// from distinct_rows (unused for a ragged set).
std::vector<Check> validate(const FileRows& set, PointKind kind, double tolerance,
                            const std::vector<long long>& distinct);

/// The distinct rows in lexicographic order (indices into the set); none for a ragged set.
std::vector<long long> distinct_rows(const FileRows& set);
std::vector<long long> distinct_rows(const RowsView& rows);

}  // namespace simplex_weights::detail
