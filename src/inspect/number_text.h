// A number as printf writes it, for the texts of weights_inspect's report and pictures.
#pragma once

#include <cstdio>
#include <string>

namespace simplex_weights::detail {

/// x with the printf conversion `format` (for one double), at most 63 characters.
inline std::string number_text(double x, const char* format) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, x);
  return buffer;
}

}  // namespace simplex_weights::detail
