// What every program's entry point shares: argument conversion, --help and --version, the
// trace on standard output, and the mapping of failures to exit statuses.
#pragma once

#include <optional>
#include <string_view>

#include "writer.h"

namespace weights {

/// Converts text as atoi does (leading white space, optional sign, decimal digits, the rest
/// ignored, no digits gives 0), or nothing when the number is outside the signed 32-bit range.
std::optional<int> parse_atoi(std::string_view text);

struct ProgramInfo {
  const char* name;
  /// The syntax line, with %s for the invocation name.
  const char* syntax;
  /// The Hammersley tools want exactly two arguments; the others at least two.
  bool exactly_two_arguments;
  int failure_status;
  /// Seed rand() from the clock before anything else.
  bool seeds_random;
  /// Lines printed by --help after the syntax line: one per argument, with its range.
  const char* argument_help;
};

/// The program's own work on the two converted arguments; returns the exit status or throws
/// Failure.
using ProgramBody = int (*)(int first, int second, Writer& trace);

/// Runs a program from its command line and returns its exit status.
int run_program(const ProgramInfo& info, int argc, char** argv, ProgramBody body);

}  // namespace weights
