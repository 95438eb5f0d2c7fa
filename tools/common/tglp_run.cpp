#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "common/prime_table.h"
#include "common/runs.h"
#include "math/good_lattice.h"
#include "math/simplex_mapping.h"
#include "support/memory.h"
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

void report_search(const Run& run, const VectorChoice& choice) {
  if (run.options.search > 1) say(search_summary(run.program, choice));
}

void run_tglp_weights(int m, int samples, Run& run) {
  Writer& trace = run.trace;
  check_lattice_arguments(m, samples, kMinTglpDimension);
  const int n =
      run.options.exact ? samples : choose_modulus(readPrimes(samples, run.invocation), samples);
  if (!run.options.units && !is_prime(n)) {
    warn_composite_modulus(run.program, "n", n, " from the prime table");
  }
  trace.text("value = ");
  trace.integer(n);
  trace.put('\n');

  Publication publication(weight_file_path(run, staged_file_name("tglp", m, n), m, n), true,
                          kStandardMessages, run.options.digits);
  if (writes_header(run, false)) write_header(publication.rows(), n, m);
  const std::size_t points = static_cast<std::size_t>(n);
  const auto cube = allocate_for_overwrite<double>(static_cast<std::size_t>(m - 1) * points);
  report_search(run, glp(trace, m - 1, n, cube.get(), vector_draw(run, true)));
  const auto weight_vectors = allocate_for_overwrite<double>(static_cast<std::size_t>(m) * points);
  RowPrinter rows(publication.rows(), RowFormat::kFixed, run.options.exact_sums);
  transformation(rows, trace, m, n, cube.get(), weight_vectors.get());
  publication.open_final();
  publication.finish();
}

}  // namespace simplex_weights::cli
