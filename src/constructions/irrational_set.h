// The irrational-constant lattice weight generator behind gwud_weights and gwud_weights_prod.
#pragma once

#include "simplex_weights/weight_set.h"
#include "support/observer.h"

namespace simplex_weights::detail {

/// The stored constants; coordinate j >= 1 of the lattice uses entry j. Entries 5 and 8 are
/// kept exactly as stored, not as the nearest doubles to e^pi and log2(3).
inline constexpr double kIrrationalConstants[9] = {
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
inline constexpr int kMinIrrationalObjectives = 1;
inline constexpr int kMaxIrrationalObjectives = 10;

/// The two builds differ in how the last component is completed.
struct IrrationalBuild {
  bool corrected_completion;  // else product completion
};
inline constexpr IrrationalBuild kGwudWeights = {.corrected_completion = true};
inline constexpr IrrationalBuild kGwudWeightsProd = {.corrected_completion = false};

/// x - floor(x).
double fractional_part(double x);

/// Coordinate j of point i of N: (i + 1) / N for j = 0, else the fractional part of (i + 1) * c.
double irrational_coordinate(int i, int j, int N, double c);

/// Every coordinate of the N points (m - 1 each), in order, told to the observer as formed.
void irrational_points(int m, int N, Observer& observer);

/// Rows first .. last - 1 of the N rows: each point formed, carried onto the simplex in
/// product-first order and handed to `rows`; an observer sees each row's partial sum (corrected
/// completion) and the row.
void irrational_rows(const IrrationalBuild& build, int m, int N, int first, int last, RowSink& rows,
                     Observer& observer = no_observer());

/// Refuses m outside kMinIrrationalObjectives .. kMaxIrrationalObjectives.
void check_irrational_arguments(int m);

}  // namespace simplex_weights::detail
