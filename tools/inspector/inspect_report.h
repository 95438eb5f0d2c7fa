// The report of weights_inspect: one section per file and, for several files, one table.
#pragma once

#include <string>
#include <vector>

#include "text/writer.h"

namespace simplex_weights::cli {

struct InspectOptions {
  bool all_cube = false;
  double tolerance = -1;  // < 0: the default for the number of columns
  std::string svg;        // empty: no picture
};

/// Inspects every file and prints the report; returns 0 when every check passes, 1 when a
/// check fails, 2 when a file cannot be read or parsed (the report goes on with the others).
int inspect_files(const std::vector<std::string>& files, const InspectOptions& options,
                  detail::Writer& out);

}  // namespace simplex_weights::cli
