#include "common/options.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "math/good_lattice.h"
#include "text/number_format.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

enum class Option {
  kSeed,
  kSearch,
  kQuiet,
  kDigits,
  kOutput,
  kHeader,
  kNoHeader,
  kExactSums,
  kUnique,
  kUnits,
  kExact,
  kVertices,
  kExponent,
  kFrom,
  kCube,
  kTolerance,
  kSvg,
  kHelp,
  kVersion
};

// Which programs know an option: any other program takes it for an unknown word.
enum Readers : unsigned char { kWeightPrograms = 1, kInspector = 2, kEveryProgram = 3 };

struct OptionEntry {
  Option option;
  const char* long_name;
  char short_name;         // 0: none
  const char* value_name;  // nullptr: takes no value
  const char* help;
  unsigned char readers = kWeightPrograms;
};

constexpr OptionEntry kOptionTable[] = {
    {Option::kSeed, "seed", 0, "S",
     "seed the random generator with S (0 .. 4294967295) instead of the clock"},
    {Option::kSearch, "search", 0, "K",
     "draw K candidate generating vectors (1 .. 100000) and keep the best:\n"
     "                    glp_points the one of least centred L2 discrepancy (CD2);\n"
     "                    tglp_weights, of the 8 of least CD2, the ordering of components\n"
     "                    whose rows spread best on the simplex (coverage radius over closest\n"
     "                    pair); a candidate of n points and s components costs about\n"
     "                    n^2 s / 6 nanoseconds with AVX2 (n log n for s = 2 from 2000\n"
     "                    points), the candidates shared among the cores"},
    {Option::kUnits, "units", 0, nullptr,
     "draw the generating vector's components among the units modulo n (gcd(h, n) = 1)\n"
     "                    instead of the primitive roots: a uniform lattice for any modulus"},
    {Option::kExact, "exact", 0, nullptr,
     "use exactly N points (n = N, no prime chosen, no prime table read), for a population\n"
     "                    size fixed by the algorithm; implies --units, and costs nothing"},
    {Option::kQuiet, "quiet", 'q', nullptr,
     "no trace on standard output; failure messages go to standard error"},
    {Option::kDigits, "digits", 0, "D",
     "write the rows' values with D digits after the decimal point (1 .. 17, default 6)"},
    {Option::kOutput, "output", 'o', "PATH",
     "publish the weight file at PATH instead of its default name; {m} and {n} in PATH\n"
     "                    stand for its columns and rows; - writes it to standard output\n"
     "                    (no trace then, every message on standard error)"},
    {Option::kHeader, "header", 0, nullptr, "start the file with the \"# rows columns\" line"},
    {Option::kNoHeader, "no-header", 0, nullptr, "leave the \"# rows columns\" line out"},
    {Option::kExactSums, "exact-sums", 0, nullptr,
     "print every row so that its printed values sum to exactly 1 (each value within one\n"
     "                    unit in the last printed place of the row's largest value up to\n"
     "                    --digits 15; at 16 and 17 digits the doubles' own sums move it\n"
     "                    by up to about 21 units)"},
    {Option::kVertices, "vertices", 0, nullptr,
     "make the m unit vectors rows of the set, each in place of the row nearest to it: the\n"
     "                    row count stays; for NSGA-III-style normalisation, which needs the\n"
     "                    extreme points; costs one more pass over the rows"},
    {Option::kExponent, "exponent", 0, "S",
     "minimise the sum of d^-S over all pairs of rows (S > 0, at most 1000; default 2m)"},
    {Option::kFrom, "from", 0, "FILE",
     "start from the rows of the weight file FILE (any file weights_inspect reads; - is\n"
     "                    standard input), which must hold N distinct rows of m values"},
    {Option::kUnique, "unique", 0, nullptr,
     "write each distinct row once, in the order of first appearance"},
    {Option::kCube, "cube", 0, nullptr,
     "treat every file as unit-cube points (files ending in .glp always are)", kInspector},
    {Option::kTolerance, "tolerance", 0, "T",
     "allowed deviation of a row sum from 1 (default: columns x half a unit in\n"
     "                 the last printed place, at most 1e-3)",
     kInspector},
    {Option::kSvg, "svg", 0, "OUT.svg", "draw each file (the second file to OUT-2.svg, and so on)",
     kInspector},
    {Option::kHelp, "help", 'h', nullptr, "print this help and exit", kEveryProgram},
    {Option::kVersion, "version", 'V', nullptr, "print the version and exit", kEveryProgram},
};

unsigned char readers_of(const OptionScope& scope) {
  return scope.inspects_files ? kInspector : kWeightPrograms;
}

bool is_option_word(const char* word) {
  return word[0] == '-' &&
         (word[1] == '-' || std::isalpha(static_cast<unsigned char>(word[1])) != 0);
}

const OptionEntry* find_long(std::string_view name, const OptionScope& scope) {
  for (const OptionEntry& entry : kOptionTable) {
    if ((entry.readers & readers_of(scope)) != 0 && name == entry.long_name) return &entry;
  }
  return nullptr;
}

const OptionEntry* find_short(char name, const OptionScope& scope) {
  for (const OptionEntry& entry : kOptionTable) {
    if ((entry.readers & readers_of(scope)) != 0 && entry.short_name != 0 &&
        name == entry.short_name) {
      return &entry;
    }
  }
  return nullptr;
}

// A whole decimal number in lo .. hi, nothing else.
std::optional<unsigned long long> whole_number(std::string_view text, unsigned long long lo,
                                               unsigned long long hi) {
  unsigned long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < lo ||
      value > hi) {
    return std::nullopt;
  }
  return value;
}

// A decimal number in (0, hi], nothing else.
std::optional<double> positive_number(std::string_view text, double hi) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(value > 0) ||
      !(value <= hi)) {
    return std::nullopt;
  }
  return value;
}

// Whether a program takes the option at all.
bool in_scope(Option option, const OptionScope& scope) {
  switch (option) {
    case Option::kSeed:
      return scope.draws_random || scope.descends_energy;
    case Option::kSearch:
      return scope.draws_random;
    case Option::kExponent:
    case Option::kFrom:
      return scope.descends_energy;
    case Option::kUnique:
      return scope.repeats_rows;
    case Option::kUnits:
      return scope.draws_random;
    case Option::kExact:
      return scope.chooses_modulus;
    case Option::kExactSums:
    case Option::kVertices:
      return scope.weight_vectors;
    case Option::kCube:
    case Option::kTolerance:
    case Option::kSvg:
      return scope.inspects_files;
    default:
      return true;
  }
}

void apply(const OptionEntry& entry, std::string_view value, const OptionScope& scope,
           CommandOptions& options) {
  const bool draws_random = scope.draws_random;
  const std::string name = std::string("--") + entry.long_name;
  switch (entry.option) {
    case Option::kSeed: {
      if (!draws_random && !scope.descends_energy) {
        throw OptionError(name + " is refused: this program draws no random numbers");
      }
      const auto seed = whole_number(value, 0, 4294967295ULL);
      if (!seed) {
        throw OptionError(name + " takes a whole number from 0 to 4294967295, not '" +
                          std::string(value) + "'");
      }
      options.seed = static_cast<unsigned>(*seed);
      break;
    }
    case Option::kSearch: {
      if (!draws_random) {
        throw OptionError(name + " is refused: this program draws no generating vector");
      }
      const auto count = whole_number(value, 1, kMaxCandidates);
      if (!count) {
        throw OptionError(name + " takes a whole number from 1 to " +
                          std::to_string(kMaxCandidates) + ", not '" + std::string(value) + "'");
      }
      options.search = static_cast<int>(*count);
      break;
    }
    case Option::kDigits: {
      const auto digits = whole_number(value, kMinDigits, kMaxDigits);
      if (!digits) {
        throw OptionError(name + " takes a whole number from " + std::to_string(kMinDigits) +
                          " to " + std::to_string(kMaxDigits) + ", not '" + std::string(value) +
                          "'");
      }
      options.digits = static_cast<int>(*digits);
      break;
    }
    case Option::kOutput:
      if (value.empty()) throw OptionError(name + " needs a path, not an empty word");
      options.output = std::string(value);
      break;
    case Option::kHeader:
    case Option::kNoHeader:
      options.header = entry.option == Option::kHeader;
      break;
    case Option::kExactSums:
      if (!scope.weight_vectors) {
        throw OptionError(name + " is refused: this program writes unit-cube points, not weights");
      }
      options.exact_sums = true;
      break;
    case Option::kVertices:
      if (!scope.weight_vectors) {
        throw OptionError(name + " is refused: this program writes unit-cube points, not weights");
      }
      options.vertices = true;
      break;
    case Option::kUnique:
      if (!scope.repeats_rows)
        throw OptionError(name + " is refused: this program repeats no rows");
      options.unique = true;
      break;
    case Option::kUnits:
      if (!draws_random) {
        throw OptionError(name + " is refused: this program draws no generating vector");
      }
      options.units = true;
      break;
    case Option::kExact:
      if (!scope.chooses_modulus) {
        throw OptionError(name + " is refused: this program chooses no modulus");
      }
      options.exact = true;
      options.units = true;
      break;
    case Option::kExponent: {
      if (!scope.descends_energy)
        throw OptionError(name + " is refused: this program minimises no energy");
      const auto exponent = positive_number(value, 1000);
      if (!exponent) {
        throw OptionError(name + " takes a number above 0 and at most 1000, not '" +
                          std::string(value) + "'");
      }
      options.exponent = *exponent;
      break;
    }
    case Option::kFrom:
      if (!scope.descends_energy)
        throw OptionError(name + " is refused: this program refines no set");
      if (value.empty()) throw OptionError(name + " needs a path, not an empty word");
      options.from = std::string(value);
      break;
    case Option::kCube:
      options.cube = true;
      break;
    case Option::kTolerance: {
      if (value.empty()) throw OptionError(name + " needs a value, not an empty word");
      // strtod's forms, as the row values are read
      const std::string text(value);
      char* end = nullptr;
      const double tolerance = std::strtod(text.c_str(), &end);
      if (*end != '\0' || !(tolerance >= 0)) {
        throw OptionError("the tolerance " + text + " is not a number >= 0", false);
      }
      options.tolerance = tolerance;
      break;
    }
    case Option::kSvg:
      if (value.empty()) throw OptionError(name + " needs a value, not an empty word");
      options.svg = std::string(value);
      break;
    case Option::kQuiet:
      options.quiet = true;
      break;
    case Option::kHelp:
      options.help = true;
      break;
    case Option::kVersion:
      options.version = true;
      break;
  }
}

// Reads the option word argv[at] and its value (the rest of the word after '=', or the next
// word); returns the index of the word after them.
int read_option(int argc, char** argv, int at, const OptionScope& scope, CommandOptions& options) {
  const std::string_view word = argv[at++];
  // weights_inspect has always named an unknown --name=value by its name alone, and read a
  // flag given a value as a word it does not know.
  std::string_view unknown = word;
  const OptionEntry* entry = nullptr;
  std::optional<std::string_view> inline_value;
  if (word.substr(0, 2) == "--") {
    const std::size_t equals = word.find('=');
    entry =
        find_long(word.substr(2, equals == std::string_view::npos ? word.npos : equals - 2), scope);
    if (equals != std::string_view::npos) {
      inline_value = word.substr(equals + 1);
      if (scope.inspects_files) unknown = word.substr(0, equals);
    }
  } else if (word.size() == 2) {
    entry = find_short(word[1], scope);
  }
  if (entry == nullptr) throw OptionError("unknown option " + std::string(unknown));
  const std::string name = std::string("--") + entry->long_name;
  if (entry->value_name == nullptr) {
    if (inline_value) {
      throw OptionError(scope.inspects_files ? "unknown option " + std::string(unknown)
                                             : name + " takes no value");
    }
    apply(*entry, {}, scope, options);
    return at;
  }
  if (!inline_value) {
    if (at >= argc) throw OptionError(name + " needs a value");
    inline_value = argv[at++];
  }
  apply(*entry, *inline_value, scope, options);
  return at;
}

}  // namespace

int parse_options(int argc, char** argv, const OptionScope& scope, CommandOptions& options) {
  int at = 1;
  while (at < argc && is_option_word(argv[at])) {
    if (std::string_view(argv[at]) == "--") return at + 1;
    at = read_option(argc, argv, at, scope, options);
  }
  return at;
}

std::vector<std::string> parse_inspector_words(int argc, char** argv, CommandOptions& options) {
  const OptionScope scope{.weight_vectors = false, .inspects_files = true};
  std::vector<std::string> files;
  bool options_ended = false;
  for (int at = 1; at < argc;) {
    const std::string_view word = argv[at];
    if (options_ended || word == "-" || word.empty() || word[0] != '-') {
      if (word.empty()) throw OptionError("an empty word is no file name", false);
      files.emplace_back(word);
      ++at;
    } else if (word == "--") {
      options_ended = true;
      ++at;
    } else {
      at = read_option(argc, argv, at, scope, options);
      if (options.help || options.version) break;
    }
  }
  return files;
}

std::string options_help(const OptionScope& scope) {
  // weights_inspect lists its own three in its narrower column, without --help and --version.
  const bool inspector = scope.inspects_files;
  std::string help = inspector ? "" : "Options (before the two integers; -- ends them):\n";
  for (const OptionEntry& entry : kOptionTable) {
    if ((entry.readers & readers_of(scope)) == 0 || !in_scope(entry.option, scope)) continue;
    if (inspector && entry.readers != kInspector) continue;
    std::string form = "  ";
    if (entry.short_name != 0) form += std::string("-") + entry.short_name + ", ";
    form += std::string("--") + entry.long_name;
    if (entry.value_name != nullptr) form += std::string(" ") + entry.value_name;
    form.resize(std::max<std::size_t>(form.size() + 1, inspector ? 17 : 20), ' ');
    help += form + entry.help + "\n";
  }
  return help;
}

}  // namespace simplex_weights::cli
