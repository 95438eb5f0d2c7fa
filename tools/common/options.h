// The options of every program, read getopt_long style from one table: --name value,
// --name=value, short forms, and "--" to end them. The weight programs take them before the
// two integers; weights_inspect takes its own between its file names.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

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
  /// weights_inspect: every file read as unit-cube points.
  bool cube = false;
  /// weights_inspect: allowed deviation of a row sum from 1; unset: from the printed digits.
  std::optional<double> tolerance;
  /// weights_inspect: where the pictures go; empty: no picture.
  std::string svg;
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
  /// --cube, --tolerance and --svg, and none of the weight programs' options: weights_inspect.
  bool inspects_files = false;
};

/// A word of the command line that is no valid option; what() is the line for the user.
class OptionError : public std::runtime_error {
 public:
  explicit OptionError(const std::string& line, bool with_usage = true)
      : std::runtime_error(line), with_usage_(with_usage) {}
  /// Whether the program's usage should follow the line (a word it cannot read at all).
  bool with_usage() const { return with_usage_; }

 private:
  bool with_usage_;
};

/// Reads the options at the front of argv[1 ..]: every word that starts with '-' followed by a
/// letter or a second '-' is an option, so negative numbers stay arguments; "--" ends them.
/// `scope` tells which program-specific options are taken. Returns the index of the first
/// argument after the options; throws OptionError for an unknown option or a missing or bad value.
int parse_options(int argc, char** argv, const OptionScope& scope, CommandOptions& options);

/// Reads weights_inspect's command line: options anywhere among the file names until "--";
/// every other word, "-" among them, is a file name, in order. Stops at --help or --version.
/// Throws OptionError as parse_options does, and for an empty word.
std::vector<std::string> parse_inspector_words(int argc, char** argv, CommandOptions& options);

/// The --help lines of the options the program takes (weights_inspect: its own three, no
/// heading).
std::string options_help(const OptionScope& scope);

}  // namespace simplex_weights::cli
