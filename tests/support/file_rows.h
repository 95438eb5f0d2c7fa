// A weight file's text read as weights_inspect reads a file, named "t" in messages.
#pragma once

#include <string>

#include "inspect/reading.h"

namespace simplex_weights::test_support {

inline detail::FileRows rows_of(const std::string& text) {
  detail::RowReader reader("t");
  reader.feed(text);
  return reader.finish();
}

}  // namespace simplex_weights::test_support
