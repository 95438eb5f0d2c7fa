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

// Number of low digits of base B that one table entry covers: B^digits <= 1024, so that the
// tables of all bases stay small next to the rows (8 KiB per base at most).
constexpr int low_digit_count(unsigned B) {
  int digits = 0;
  for (unsigned power = B; power <= 1024; power *= B) ++digits;
  return digits;
}

constexpr unsigned power_of(unsigned B, int digits) {
  unsigned power = 1;
  for (int t = 0; t < digits; ++t) power *= B;
  return power;
}

// The digit loop with the base known at compile time, so that % and / become multiplications.
// The low digits come from a table of the same loop's partial sums: adding a zero digit's
// term (+0.0) leaves a non-negative sum unchanged, so every value is bit for bit the loop's.
template <unsigned B>
double digit_sum(unsigned n, const double* scales, const double* low_sums) {
  constexpr int kLowDigits = low_digit_count(B);
  constexpr unsigned kLowCount = power_of(B, kLowDigits);
  double value = low_sums[n % kLowCount];
  n = n / kLowCount;
  for (int t = kLowDigits; n > 0; ++t) {
    value = value + static_cast<double>(n % B) * scales[t];
    n = n / B;
  }
  return value;
}

template <unsigned B>
constexpr RadicalInverseTable::Digits digits_of() {
  return {&digit_sum<B>, low_digit_count(B), power_of(B, low_digit_count(B))};
}

template <std::size_t... I>
constexpr auto digit_sums(std::index_sequence<I...>) {
  return std::array<RadicalInverseTable::Digits, sizeof...(I)>{
      digits_of<static_cast<unsigned>(P[I])>()...};
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

double hammersley_midpoint(int i, int N) {
  const double x = static_cast<double>(i + 1);
  const double y = static_cast<double>(N);
  return ((x + x) - 1.0) / (y + y);
}

void hammersley_point(int i, int N, const std::vector<RadicalInverseTable>& tables, double* U) {
  U[0] = hammersley_midpoint(i, N);
  for (std::size_t j = 0; j < tables.size(); ++j) U[j + 1] = tables[j](i + 1);
}

RadicalInverseTable::RadicalInverseTable(int b)
    : base_(static_cast<unsigned>(b)),
      digits_(kDigitSums[static_cast<std::size_t>(std::find(std::begin(P), std::end(P), b) - P)]) {
  // The scale of digit t is 1/b divided by b t times, exactly as the digit loop forms it.
  double f = 1.0 / b;
  for (double& scale : scales_) {
    scale = f;
    f = f / b;
  }
  low_sums_.resize(digits_.low_count);
  for (unsigned n = 0; n < digits_.low_count; ++n) {
    double value = 0.0;
    for (unsigned rest = n, t = 0; rest > 0; rest /= static_cast<unsigned>(b), ++t) {
      value = value + static_cast<double>(rest % static_cast<unsigned>(b)) * scales_[t];
    }
    low_sums_[n] = value;
  }
}

void RadicalInverseSequence::next_high_digits() {
  ++high_;
  high_terms_count_ = 0;
  const unsigned b = table_->base();
  int t = table_->digits().low_digits;
  for (unsigned rest = high_; rest > 0; rest /= b, ++t) {
    const unsigned digit = rest % b;
    if (digit != 0)
      high_terms_[high_terms_count_++] = static_cast<double>(digit) * table_->scale(t);
  }
}

HammersleyRows::HammersleyRows(const HammersleyBuild& build, int k, int N)
    : N_(N),
      tables_(radical_inverse_tables(k)),
      sequences_(tables_.begin(), tables_.end()),
      mapping_(k, MultiplicationOrder::kLeftToRight,
               build.corrected_completion ? Completion::kCorrected : Completion::kProduct),
      U_(static_cast<std::size_t>(k)) {}

void HammersleyRows::next(double* w, Writer* sum_trace) {
  if (mapping_.dimension() >= 2) {
    U_[0] = hammersley_midpoint(i_, N_);
    for (std::size_t j = 0; j < sequences_.size(); ++j) U_[j + 1] = sequences_[j].next();
  }
  ++i_;
  mapping_.map(U_.data(), w, sum_trace);
}

std::unique_ptr<double[]> hammersley_weights(const HammersleyBuild& build, int k, int N,
                                             Writer& trace) {
  if (N <= 0) return nullptr;
  const std::size_t width = static_cast<std::size_t>(k);
  std::unique_ptr<double[]> W = allocate_for_overwrite<double>(width * static_cast<std::size_t>(N));
  HammersleyRows rows(build, k, N);
  Writer* sum_trace = build.traces_and_heads ? &trace : nullptr;
  for (int i = 0; i < N; ++i) {
    rows.next(W.get() + static_cast<std::size_t>(i) * width, sum_trace);
  }
  return W;
}

namespace {

std::string weight_file_name(const HammersleyBuild& build, int k, int N) {
  return file_name(k <= 9 ? build.short_pattern : build.long_pattern, k, N);
}

// The traced build: every trace line comes before the weight file is opened, so the rows are
// held until the last one is computed.
void write_held_rows(const HammersleyBuild& build, int k, int N, Writer& trace) {
  const std::unique_ptr<double[]> W = hammersley_weights(build, k, N, trace);
  trace.flush();
  DirectPublication file(weight_file_name(build, k, N), kHammersleyMessages);
  Writer& rows = file.rows();
  write_header(rows, N, k);
  for (int i = 0; i < N; ++i) {
    print(rows, W.get() + static_cast<std::size_t>(i) * static_cast<std::size_t>(k), k,
          RowFormat::kFixedSeparated);
  }
  file.finish();
}

// The build without a trace has nothing to order before the file, so each row is written as
// soon as it is computed and no row set is held.
void write_streamed_rows(const HammersleyBuild& build, int k, int N) {
  DirectPublication file(weight_file_name(build, k, N), kHammersleyMessages);
  Writer& rows = file.rows();
  if (N > 0) {
    HammersleyRows points(build, k, N);
    std::vector<double> w(static_cast<std::size_t>(k));
    for (int i = 0; i < N; ++i) {
      points.next(w.data(), nullptr);
      print(rows, w.data(), k, RowFormat::kFixedSeparated);
    }
  }
  file.finish();
}

}  // namespace

int run_hammersley(const HammersleyBuild& build, int k, int N, Writer& trace) {
  check_arguments(k, N);
  if (build.traces_and_heads) {
    write_held_rows(build, k, N, trace);
  } else {
    write_streamed_rows(build, k, N);
  }
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
