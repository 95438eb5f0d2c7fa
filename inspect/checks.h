// The checks of weights_inspect: what a weight file (or a file of unit-cube points) must hold.
#pragma once

#include <string>
#include <vector>

#include "reading.h"

namespace weights {

/// What the rows of a file are meant to be.
enum class SetKind { kWeights, kCube };

struct Check {
  bool pass;
  std::string text;
};

/// The row-sum tolerance a file is held to by default: columns times half a unit in its last
/// printed place (at most 1e-3), plus the rounding of adding the columns in doubles.
double default_tolerance(const WeightSet& set);

/// The validation of a loaded set; `tolerance` < 0 chooses default_tolerance; `distinct`
/// from distinct_rows (unused for a ragged set).
std::vector<Check> validate(const WeightSet& set, SetKind kind, double tolerance,
                            const std::vector<long long>& distinct);

/// The distinct rows in lexicographic order (indices into the set); none for a ragged set.
std::vector<long long> distinct_rows(const WeightSet& set);

}  // namespace weights
