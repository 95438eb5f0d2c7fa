// Failures inside the library: the public Error under the name the library's code throws.
#pragma once

#include <string>
#include <string_view>

#include "simplex_weights/errors.h"

namespace simplex_weights::detail {

/// Every detected failure other than an argument out of range; only a program's entry point
/// prints it: `message()` on standard output as is, then `detail()` on standard error.
using Failure = Error;

/// Replaces the first "%s" of `format` with `value`; the other characters stay as they are.
std::string format_message(std::string_view format, std::string_view value);

/// Replaces the first two "%s" of `format` with `first` and `second`, in one pass: a "%s" that
/// a value holds is not replaced in turn.
std::string format_message(std::string_view format, std::string_view first,
                           std::string_view second);

}  // namespace simplex_weights::detail
