// weights_inspect: loading a weight file of any origin, checking it, measuring how evenly it
// covers the simplex (or the unit cube), and drawing it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace weights {

/// What the rows of a file are meant to be.
enum class SetKind { kWeights, kCube };

/// A loaded file: rows of blank-separated numbers, with the optional "# rows columns" header.
struct WeightSet {
  std::string path;
  std::optional<std::pair<long long, long long>> header;
  std::vector<double> values;        // all rows, flat
  std::vector<int> row_lengths;      // values per row
  std::vector<long long> row_lines;  // line number of each row, from 1
  int columns = 0;                   // length of the first row
  bool ragged = false;

  long long rows() const { return static_cast<long long>(row_lengths.size()); }
  const double* row(long long i) const { return values.data() + i * columns; }
};

/// Reads a file; throws Failure "<path>:<line>:<column>: ..." when it cannot be read or a token
/// is no number.
WeightSet load_weight_set(const std::string& path);

struct Check {
  bool pass;
  std::string text;
};

/// The validation of a loaded set. `tolerance` < 0 chooses m * 5e-7 (six printed digits).
std::vector<Check> validate(const WeightSet& set, SetKind kind, double tolerance);

/// Figures of uniformity, over the distinct rows.
struct Uniformity {
  long long distinct = 0;
  double closest_pair = 0;
  double mean_nearest = 0;
  double nearest_cv = 0;
  double coverage_radius = 0;
  std::string reference;  // the lattice the coverage radius is measured from
};

/// Needs a set that is not ragged, holds finite values and at least two distinct rows.
std::optional<Uniformity> measure_uniformity(const WeightSet& set, SetKind kind);

/// Writes an SVG picture: m = 2 a segment, m = 3 a ternary diagram, m >= 4 parallel coordinates,
/// two-column cube files a square scatter. One mark (class "mark") per row. Throws Failure.
void write_svg(const WeightSet& set, SetKind kind, const std::string& path);

}  // namespace weights
