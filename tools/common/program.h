// What every program's entry point shares: the command line, --help and --version, the trace
// on standard output, and the mapping of failures to exit statuses.
#pragma once

#include <string>

#include "common/options.h"
#include "simplex_weights/random.h"
#include "text/writer.h"

namespace simplex_weights::cli {

/// What describes a program; each program's own source fills it.
struct ProgramInfo {
  const char* name;
  /// The syntax line, with %s for the invocation name.
  const char* syntax;
  /// The first line of --help, with %s for the invocation name; the syntax line when null.
  const char* usage = nullptr;
  /// A program that accepts exactly two arguments, not two or more.
  bool exactly_two_arguments = false;
  int failure_status;
  /// Draws random numbers: takes --seed and --search, seeded from the clock by default.
  bool seeds_random = false;
  /// Writes some rows more than once: takes --unique.
  bool repeats_rows = false;
  /// Chooses its modulus from the samples asked for: takes --exact.
  bool chooses_modulus = false;
  /// Writes weight vectors (not unit-cube points): takes --exact-sums.
  bool weight_vectors = true;
  /// Minimises an energy: takes --seed (not --search), --exponent and --from.
  bool descends_energy = false;
  /// Lines printed by --help after the first line: one per argument, with its range. Texts are
  /// made when asked for, not before main, where an allocation refused would end the process.
  std::string (*argument_help)() = nullptr;
  /// Lines printed by --help after the options, if any (files read, for instance).
  std::string (*notes)() = nullptr;
};

/// What a program's work is given besides its two arguments: the trace on standard output,
/// the options, its random source, and its name for lines on standard error.
struct Run {
  detail::Writer& trace;
  const CommandOptions& options;
  RandomSource& random;
  const char* program;
  /// argv[0], as the program was invoked.
  const char* invocation;
};

/// The program's own work on the two converted arguments; failures are thrown as Failure or
/// InvalidArgument.
using ProgramBody = void (*)(int first, int second, Run& run);

/// Runs a program from its command line and returns its exit status.
int run_program(const ProgramInfo& info, int argc, char** argv, ProgramBody body);

}  // namespace simplex_weights::cli
