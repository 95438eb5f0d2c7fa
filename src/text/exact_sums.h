// Rows whose printed values sum to exactly 1 in decimal: every component rounded to one unit u
// in the last printed place of the row's largest component, then the fewest components moved
// by one u so that the units add up to 1.
#pragma once

#include "simplex_weights/text_format.h"
#include "text/writer.h"

namespace simplex_weights::detail {

/// Writes the row like `print` (same separators, the stream's digits), but with values whose
/// decimal forms sum to exactly 1: u is 10^-D for "%f" rows and, for "%e" rows, one unit in the
/// last place of the largest component as printed, the smaller components then printing with
/// trailing zeros. Components are rounded to multiples of u; where their sum misses 1, those
/// whose rounding lost (or gained) the most move by one u, ties to the lower column, never
/// below 0 nor above 1. Values that are not finite are printed as they are.
void print_exact_sum(Writer& stream, const double* values, int count, RowFormat format);

}  // namespace simplex_weights::detail
