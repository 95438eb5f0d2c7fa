// The options every program shares, written before the two integers and read, getopt_long
// style, from one table: --name value, --name=value, short forms, and "--" to end them.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace simplex_weights {

struct CommandOptions {
  /// Seed of the random generator instead of the clock (programs that draw random numbers).
  std::optional<unsigned> seed;
  /// Candidate generating vectors to draw, keeping the one of least CD2 (lattice programs).
  int search = 1;
  /// No trace on standard output; failure messages go to standard error.
  bool quiet = false;
  /// Digits after the decimal point of the rows' values.
  int digits = 6;
  bool help = false;
  bool version = false;
};

/// A word of the command line that is no valid option; what() is the line for the user.
class OptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Reads the options at the front of argv[1 ..]: every word that starts with '-' followed by a
/// letter or a second '-' is an option, so negative numbers stay arguments; "--" ends them.
/// `draws_random` tells whether --seed and --search are taken. Returns the index of the first
/// argument after the options; throws OptionError for an unknown option or a missing or bad value.
int parse_options(int argc, char** argv, bool draws_random, CommandOptions& options);

/// The --help lines of the options.
std::string options_help(bool draws_random);

}  // namespace simplex_weights
