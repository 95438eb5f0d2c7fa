#include "hammersley.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

#include "exit_status.h"
#include "failure.h"
#include "memory.h"
#include "simplex_mapping.h"
#include "weight_file.h"

namespace weights {
namespace {

constexpr FileMessages kHammersleyMessages = {"Error! File %s could not be opened!\n", "",
                                              "Error! File %s could not be written (%s)!\n"};

void check_arguments(int k, int N) {
  if (k < 1 || k > kMaxObjectives) {
    throw Failure("Error... numObjectives should lie in 1 .. 22\n");
  }
  if (static_cast<long long>(k) * N > std::numeric_limits<int>::max()) {
    throw Failure("Error... numObjectives times numWeightVectors should not exceed 2147483647\n");
  }
}

// The digit loop with the base known at compile time, so that % and / become multiplications.
template <unsigned B>
double digit_sum(unsigned n, const double* scales) {
  double value = 0.0;
  for (int t = 0; n > 0; ++t) {
    value = value + static_cast<double>(n % B) * scales[t];
    n = n / B;
  }
  return value;
}

template <std::size_t... I>
constexpr auto digit_sums(std::index_sequence<I...>) {
  return std::array<double (*)(unsigned, const double*), sizeof...(I)>{
      &digit_sum<static_cast<unsigned>(P[I])>...};
}

constexpr auto kDigitSums = digit_sums(std::make_index_sequence<std::size(P)>());

}  // namespace

double radical_inverse(int n, int b) {
  double value = 0.0;
  double f = 1.0 / b;
  while (n > 0) {
    value = value + static_cast<double>(n % b) * f;
    n = n / b;
    f = f / b;
  }
  return value;
}

std::vector<RadicalInverseTable> radical_inverse_tables(int k) {
  std::vector<RadicalInverseTable> tables;
  for (int j = 1; j <= k - 2; ++j) tables.emplace_back(P[j - 1]);
  return tables;
}

void hammersley_point(int i, int N, const std::vector<RadicalInverseTable>& tables, double* U) {
  const double x = static_cast<double>(i + 1);
  const double y = static_cast<double>(N);
  U[0] = ((x + x) - 1.0) / (y + y);
  for (std::size_t j = 0; j < tables.size(); ++j) U[j + 1] = tables[j](i + 1);
}

RadicalInverseTable::RadicalInverseTable(int b)
    : digits_(kDigitSums[static_cast<std::size_t>(std::find(std::begin(P), std::end(P), b) - P)]) {
  // The scale of digit t is 1/b divided by b t times, exactly as the digit loop forms it.
  double f = 1.0 / b;
  for (double& scale : scales_) {
    scale = f;
    f = f / b;
  }
}

std::vector<double> hammersley_weights(const HammersleyBuild& build, int k, int N, Writer& trace) {
  if (N <= 0) return {};
  const std::size_t width = static_cast<std::size_t>(k);
  std::vector<double> W = allocate<double>(width * static_cast<std::size_t>(N));
  std::vector<double> U(width);
  const std::vector<RadicalInverseTable> tables = radical_inverse_tables(k);
  SimplexMapping mapping(
      k, MultiplicationOrder::kLeftToRight,
      build.corrected_completion ? Completion::kCorrected : Completion::kProduct);
  Writer* sum_trace = build.traces_and_heads ? &trace : nullptr;
  for (int i = 0; i < N; ++i) {
    if (k >= 2) hammersley_point(i, N, tables, U.data());
    mapping.map(U.data(), W.data() + static_cast<std::size_t>(i) * width, sum_trace);
  }
  return W;
}

int run_hammersley(const HammersleyBuild& build, int k, int N, Writer& trace) {
  check_arguments(k, N);
  const std::vector<double> W = hammersley_weights(build, k, N, trace);
  // Every trace line comes before the weight file is opened.
  trace.flush();
  const std::string name = file_name(k <= 9 ? build.short_pattern : build.long_pattern, k, N);
  DirectPublication file(name, kHammersleyMessages);
  Writer& rows = file.rows();
  if (build.traces_and_heads) {
    write_header(rows, N, k);
  }
  for (int i = 0; i < N; ++i) {
    print(rows, W.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(k), k,
          RowFormat::kFixedSeparated);
  }
  file.finish();
  return kExitSuccess;
}

int run_udh_weights(int k, int N, Writer& trace) {
  return run_hammersley(kUdhWeights, k, N, trace);
}

int run_udh_weights_prod(int k, int N, Writer& trace) {
  return run_hammersley(kUdhWeightsProd, k, N, trace);
}

int hammersley_main(const HammersleyBuild& build, const char* name, int argc, char** argv) {
  const ProgramInfo program = {
      name,
      "Syntax error! %s numObjectives numWeightVectors\n",
      true,
      kExitHammersleyFailure,
      false,
      "  numObjectives     number of objectives k, 1 .. 22\n"
      "  numWeightVectors  number of weight vectors N (k * N at most 2147483647; N <= 0 writes no "
      "rows)\n",
  };
  return run_program(program, argc, argv, build.run);
}

}  // namespace weights
