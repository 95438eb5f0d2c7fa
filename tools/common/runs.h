// The runs of the programs: each checks its arguments, calls its construction with the
// program's trace, and publishes the rows as the program's weight file.
#pragma once

#include <optional>

#include "common/program.h"
#include "common/traces.h"
#include "constructions/hammersley.h"
#include "constructions/irrational_set.h"
#include "constructions/vertices.h"
#include "files/publication.h"
#include "math/good_lattice.h"
#include "simplex_weights/weight_set.h"
#include "text/rows.h"

namespace simplex_weights::cli {

/// Hands rows to a weight file's stream in one of the row formats, with printed values that
/// sum to exactly 1 when asked.
class RowPrinter final : public RowSink {
 public:
  RowPrinter(detail::Writer& stream, RowFormat format, bool exact_sums = false)
      : stream_(stream), format_(format), exact_sums_(exact_sums) {}
  void row(const double* values, int count) override;

 private:
  detail::Writer& stream_;
  RowFormat format_;
  bool exact_sums_;
};

/// Where a run publishes its weight file: `default_path`, or the --output path with {m} and
/// {n} replaced by the file's columns and rows ("-" for standard output).
std::string weight_file_path(const Run& run, const std::string& default_path, long long columns,
                             long long rows);

/// The default weight file of a staged program: "./output/weight_%.2dD_%d.<extension>".
std::string staged_file_name(const char* extension, int first, int second);

/// The publication of a run's weight file at weight_file_path(...), through the program's own
/// file system (its hidden file removed by any terminating signal). A staged program's default
/// file reports a hidden file it cannot create by the hidden name; a path given with --output
/// is reported as given.
detail::Publication publish_weight_file(const Run& run, const std::string& default_path,
                                        long long columns, long long rows, bool staged,
                                        const detail::FileMessages& messages);

/// Whether the file starts with the "# rows columns" line: the program's own rule unless
/// --header or --no-header says otherwise.
bool writes_header(const Run& run, bool program_default);

/// tglp_weights: chooses the prime n from the prime table, builds the lattice, maps it onto the
/// simplex and publishes ./output/weight_<m>D_<n>.tglp.
void run_tglp_weights(int m, int samples, Run& run);

/// What the two Hammersley programs add to their build of the construction.
struct HammersleyProgram {
  detail::HammersleyBuild build;
  bool traces_and_heads;      // "sum = %f\n" per row and the "# N k" header
  const char* short_pattern;  // file name for k <= 9
  const char* long_pattern;   // file name for k > 9
};
inline constexpr HammersleyProgram kUdhProgram = {
    .build = detail::kUdhWeights,
    .traces_and_heads = true,
    .short_pattern = "./output/weight_0%dD_%d.udh",
    .long_pattern = "./output/weight_%dD_%d.udh",
};
inline constexpr HammersleyProgram kUdhProductProgram = {
    .build = detail::kUdhWeightsProd,
    .traces_and_heads = false,
    .short_pattern = "weight_0%dD_%d.udh",
    .long_pattern = "weight_%dD_%d.udh",
};

/// The --help lines of the Hammersley programs' two arguments, with their ranges.
std::string hammersley_argument_help();

/// The weight file's name for k and N.
std::string hammersley_file_name(const HammersleyProgram& program, int k, int N);

/// udh_weights and udh_weights_prod: the traced build traces every row's sum before it opens
/// the weight file, then computes the rows again to write them.
void run_hammersley(const HammersleyProgram& program, int k, int N, Run& run);

/// What the two irrational-constant programs add to their build of the construction.
struct IrrationalProgram {
  detail::IrrationalBuild build;
  bool full_trace;  // "value", "B" and "sum" lines besides the trans line
};
inline constexpr IrrationalProgram kGwudProgram = {.build = detail::kGwudWeights,
                                                   .full_trace = true};
inline constexpr IrrationalProgram kGwudProductProgram = {.build = detail::kGwudWeightsProd,
                                                          .full_trace = false};

/// The --help lines of the irrational-constant programs' two arguments, with their ranges.
std::string irrational_argument_help();

/// gwud_weights and gwud_weights_prod: ./output/weight_<m>D_<N>.gwud headed by "# count m".
void run_irrational(const IrrationalProgram& program, int m, int N, Run& run);

/// msld_weights: ./output/weight_<M>D_<K>.msld headed by "# count M".
void run_msld_weights(int M, int K, Run& run);

/// glp_points: ./output/weight_<m>D_<N>.glp headed by "# N m", then the self-test lines of the
/// primitive-root test.
void run_glp_points(int m, int N, Run& run);

/// energy_weights: N rows of least Riesz s-energy (--exponent, 2m by default) from the
/// lattice starts drawn with the run's random source, or from --from's rows;
/// ./output/weight_<m>D_<N>.energy, no header by default.
void run_energy_weights(int m, int N, Run& run);

/// The draw of a lattice program's generating vector: its random source, --search and --units,
/// with a line on standard error before a search that will take more than about two seconds;
/// `on_simplex` chooses the search's winner on the simplex (tglp_weights).
detail::VectorDraw vector_draw(Run& run, bool on_simplex);

/// Every candidate sharing a factor with a composite modulus passes the primitive-root test,
/// and then its column runs through the multiples of that factor only: says so on standard
/// error ("<program>: note: <symbol> = <n><source> is not prime, ...").
void warn_composite_modulus(const char* program, const char* symbol, int n, const char* source);

/// After a search, the line on standard error that names the chosen vector.
void report_search(const Run& run, const detail::VectorChoice& choice);

/// That line: "<program>: best of <count> generating vectors...".
std::string search_summary(const char* program, const detail::VectorChoice& choice);

/// Rows handed on and counted, so that a run can check them against its header.
class CountingSink final : public RowSink {
 public:
  explicit CountingSink(RowSink& next) : next_(next) {}
  void row(const double* values, int count) override {
    next_.row(values, count);
    ++rows_;
  }
  long long rows() const { return rows_; }

 private:
  RowSink& next_;
  long long rows_ = 0;
};

/// The rows a run writes, through `printer`: with --vertices, the m unit vectors in place of
/// the rows nearest to them, found by `first_pass` handing the same rows to a VertexPlaces.
class RowsWritten {
 public:
  template <typename FirstPass>
  RowsWritten(RowSink& printer, int m, bool vertices, FirstPass first_pass) : printer_(printer) {
    if (!vertices) return;
    detail::VertexPlaces places(m);
    first_pass(static_cast<RowSink&>(places));
    substitution_.emplace(printer, m, places.places());
  }
  RowSink& sink() { return substitution_ ? static_cast<RowSink&>(*substitution_) : printer_; }

 private:
  RowSink& printer_;
  std::optional<detail::VertexSubstitution> substitution_;
};

/// Throws the failure of a run whose rows disagree with the count its header states.
void check_row_count(long long written, long long stated);

}  // namespace simplex_weights::cli
