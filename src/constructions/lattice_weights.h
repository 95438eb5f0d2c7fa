// The irrational-constant lattice weight generator behind gwud_weights and gwud_weights_prod.
#pragma once

#include <string>

#include "simplex_weights/weight_set.h"
#include "text/writer.h"

namespace simplex_weights::detail {

/// The stored constants; coordinate j >= 1 of the lattice uses entry j. Entries 5 and 8 are
/// kept exactly as stored, not as the nearest doubles to e^pi and log2(3).
inline constexpr double kLatticeConstants[9] = {
    0x1.921fb54442d18p+1,  // pi
    0x1.6a09e667f3bcdp+0,  // sqrt(2)
    0x1.9e3779b97f4a8p+0,  // golden ratio
    0x1.5bf0a8b145769p+1,  // e
    0x1.55237179fd803p+1,  // 2^sqrt(2)
    0x1.724046eb09338p+4,  // e^pi, as stored
    0x1.3289ab7cba20cp+1,  // the trans constant
    0x1.62e42fefa39efp-1,  // ln 2
    0x1.95c01a39fbd69p+0,  // log2(3), as stored
};
/// The dimensions the table serves: coordinate j >= 1 takes entry j.
inline constexpr int kMinLatticeObjectives = 1;
inline constexpr int kMaxLatticeObjectives = 10;

/// The two builds differ in completion and in how much they trace.
struct LatticeBuild {
  bool corrected_completion;  // else product completion
  bool full_trace;            // "value", "B" and "sum" lines besides the trans line
};
inline constexpr LatticeBuild kGwudWeights = {.corrected_completion = true, .full_trace = true};
inline constexpr LatticeBuild kGwudWeightsProd = {.corrected_completion = false,
                                                  .full_trace = false};

/// x - floor(x).
double fractional_part(double x);

/// Coordinate j of point i of N: (i + 1) / N for j = 0, else the fractional part of (i + 1) * c.
/// Traces "value = %f \n" when trace is given.
double lattice(int i, int j, int N, double c, Writer* trace);

/// The N points (m - 1 coordinates each), traced first in full by the traced build, each then
/// formed again, mapped onto the simplex in product-first order and handed to `rows`. Returns
/// the number of rows.
int LowSequences_lattices_weights(RowSink& rows, int N, int m, const LatticeBuild& build,
                                  Writer& trace);

/// The --help lines of the two arguments, with their ranges.
std::string lattice_weights_argument_help();

/// Rows first .. last - 1 of those N rows, m doubles each, into `rows` (row-major from row
/// `first`); the same doubles, without any trace.
void lattice_weight_row_range(const LatticeBuild& build, int m, int N, int first, int last,
                              double* rows);

/// Refuses m outside kMinLatticeObjectives .. kMaxLatticeObjectives.
void check_lattice_weights_arguments(int m);

}  // namespace simplex_weights::detail
