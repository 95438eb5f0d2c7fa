// The options every program shares, written before the two integers and read, getopt_long
// style, from one table: --name value, --name=value, short forms, and "--" to end them.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace simplex_weights::cli {

struct CommandOptions {
  /// Seed of the random generator instead of the clock (programs that draw random numbers).
  std::optional<unsigned> seed;
  /// Candidate generating vectors to draw, keeping the one of least CD2 (lattice programs).
  int search = 1;
  /// No trace on standard output; failure messages go to standard error.
  bool quiet = false;
  /// Digits after the decimal point of the rows' values.
  int digits = 6;
  /// Where the weight file goes instead of its default name ({m}, {n} stand for its columns
  /// and rows); "-" is standard output. Empty: the default name.
  std::string output;
  /// The "# rows columns" line forced on or off; unset: the program's own rule.
  std::optional<bool> header;
  /// Rows whose printed values sum to exactly 1.
  bool exact_sums = false;
  /// msld_weights: each distinct row once.
  bool unique = false;
  /// Lattice programs: components drawn among the units modulo n, not the primitive roots.
  bool units = false;
  /// tglp_weights: n = N, no prime chosen (implies units).
  bool exact = false;
  /// The m unit vectors in place of the rows nearest to them (every weight-vector program).
  bool vertices = false;
  /// energy_weights: the exponent s of the energy; unset: 2m.
  std::optional<double> exponent;
  /// energy_weights: the weight file whose rows the descent starts from.
  std::string from;
  bool help = false;
  bool version = false;
};

/// Which of the options a program takes besides those every program takes.
struct OptionScope {
  /// --seed and --search: the lattice programs.
  bool draws_random = false;
  /// --unique: msld_weights.
  bool repeats_rows = false;
  /// --exact: tglp_weights, whose modulus is otherwise a prime chosen from N.
  bool chooses_modulus = false;
  /// --exact-sums: every program whose rows are weight vectors (not glp_points' cube points).
  bool weight_vectors = true;
  /// --seed, --exponent and --from: energy_weights.
  bool descends_energy = false;
};

/// A word of the command line that is no valid option; what() is the line for the user.
class OptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Reads the options at the front of argv[1 ..]: every word that starts with '-' followed by a
/// letter or a second '-' is an option, so negative numbers stay arguments; "--" ends them.
/// `scope` tells which program-specific options are taken. Returns the index of the first
/// argument after the options; throws OptionError for an unknown option or a missing or bad value.
int parse_options(int argc, char** argv, const OptionScope& scope, CommandOptions& options);

/// The --help lines of the options the program takes.
std::string options_help(const OptionScope& scope);

}  // namespace simplex_weights::cli
