#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "common/prime_table.h"
#include "common/runs.h"
#include "math/good_lattice.h"
#include "support/failure.h"
#include "text/rows.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

void say(const std::string& line) {
  Writer err(STDERR_FILENO, Writer::Kind::kTrace);
  err.text(line);
}

}  // namespace

VectorDraw vector_draw(Run& run, bool on_simplex) {
  VectorDraw how{.random = run.random,
                 .candidates = run.options.search,
                 .test = run.options.units ? ComponentTest::kUnit : ComponentTest::kPrimitiveRoot,
                 .on_simplex = on_simplex};
  const std::string program = run.program;
  how.on_long_search = [program](long long vectors, double seconds) {
    char line[200];
    std::snprintf(line, sizeof line, "%s: searching %lld generating vectors by CD2, about %.0f s\n",
                  program.c_str(), vectors, seconds);
    say(line);
  };
  return how;
}

void warn_composite_modulus(const char* program, const char* symbol, int n, const char* source) {
  std::string line = program;
  line += ": note: ";
  line += symbol;
  line += " = ";
  line += std::to_string(n);
  line += source;
  line += " is not prime, so every column but the first repeats values\n";
  say(line);
}

namespace {

std::string vector_text(const std::vector<int>& h) {
  std::string text = "(";
  for (std::size_t j = 0; j < h.size(); ++j) text += (j > 0 ? ", " : "") + std::to_string(h[j]);
  return text + ")";
}

}  // namespace

std::string search_summary(const char* program, const VectorChoice& choice) {
  char figure[160];
  if (choice.on_simplex) {
    std::snprintf(figure, sizeof figure, ", CD2 = %.2e, coverage/closest = %.2f (%.3g / %.3g)\n",
                  choice.discrepancy, choice.coverage / choice.closest, choice.coverage,
                  choice.closest);
    return std::string(program) + ": best of " + std::to_string(choice.compared) +
           " generating vectors: " + vector_text(choice.h) + figure;
  }
  std::snprintf(figure, sizeof figure, "%g", choice.discrepancy);
  return std::string(program) + ": best of " + std::to_string(choice.compared) +
         " generating vectors by CD2: " + vector_text(choice.h) + ", CD2 = " + figure + "\n";
}

void report_search(const Run& run, const VectorChoice& choice) {
  if (run.options.search > 1) say(search_summary(run.program, choice));
}

void check_row_count(long long written, long long stated) {
  if (written != stated) {
    throw Failure("Error... the run wrote another number of rows than its header states\n");
  }
}

void run_tglp_weights(int m, int samples, Run& run) {
  check_lattice_arguments(m, samples, kMinTglpDimension);
  const int n =
      run.options.exact ? samples : choose_modulus(readPrimes(samples, run.invocation), samples);
  if (!run.options.units && !is_prime(n)) {
    warn_composite_modulus(run.program, "n", n, " from the prime table");
  }
  run.trace.text("value = ");
  run.trace.integer(n);
  run.trace.put('\n');

  Publication publication =
      publish_weight_file(run, staged_file_name("tglp", m, n), m, n, true, kStandardMessages);
  if (writes_header(run, false)) write_header(publication.rows(), n, m);
  TglpTrace trace(run.trace);
  const VectorChoice choice =
      choose_generating_vector(m - 1, n, tglp_candidate, vector_draw(run, true), trace);
  report_search(run, choice);
  RowPrinter printer(publication.rows(), RowFormat::kFixed, run.options.exact_sums);
  RowsWritten rows(printer, m, run.options.vertices, [&](RowSink& places) {
    lattice_simplex_rows(choice.h, n, places, no_observer());
  });
  lattice_simplex_rows(choice.h, n, rows.sink(), trace);
  publication.open_final();
  publication.finish();
}

}  // namespace simplex_weights::cli
