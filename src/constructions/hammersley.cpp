#include "constructions/hammersley.h"

#include <cstddef>
#include <string>

#include "constructions/row_loop.h"
#include "support/arguments.h"
#include "support/cancel.h"
#include "support/failure.h"

namespace simplex_weights::detail {
namespace {

// The tables of the k - 2 radical-inverse coordinates, bases kRadicalInverseBases[0], [1], ...
std::vector<RadicalInverseTable> radical_inverse_tables(int k) {
  std::vector<RadicalInverseTable> tables;
  for (int j = 1; j <= k - 2; ++j) tables.emplace_back(kRadicalInverseBases[j - 1]);
  return tables;
}

}  // namespace

void check_hammersley_arguments(int k, int N) {
  if (k < kMinObjectives || k > kMaxObjectives) {
    throw InvalidArgument(range_message("numObjectives", kMinObjectives, kMaxObjectives));
  }
  if (static_cast<long long>(k) * N > kMaxValues) {
    throw InvalidArgument("Error... numObjectives times numWeightVectors should not exceed " +
                          std::to_string(kMaxValues) + "\n");
  }
}

namespace {

// Number of low digits of base b that one table entry covers: b^digits <= 1024, so that the
// tables of all bases stay small next to the rows (8 KiB per base at most).
int low_digit_count(unsigned b) {
  int digits = 0;
  for (unsigned power = b; power <= 1024; power *= b) ++digits;
  return digits;
}

unsigned power_of(unsigned b, int digits) {
  unsigned power = 1;
  for (int t = 0; t < digits; ++t) power *= b;
  return power;
}

}  // namespace

void hammersley_rows(const HammersleyBuild& build, int k, int N, int first, int last, RowSink& rows,
                     Observer& observer) {
  if (first >= last) return;
  HammersleyRows generator(build, k, N, first);
  deliver_rows(first, last, k, build.corrected_completion, rows, observer,
               [&](int /*i*/, double* w, double* partial_sum) { generator.next(w, partial_sum); });
}

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

double hammersley_midpoint(int i, int N) {
  const double x = static_cast<double>(i + 1);
  const double y = static_cast<double>(N);
  return ((x + x) - 1.0) / (y + y);
}

RadicalInverseTable::RadicalInverseTable(int b)
    : base_(static_cast<unsigned>(b)),
      low_digits_(low_digit_count(base_)),
      low_count_(power_of(base_, low_digits_)) {
  // The scale of digit t is 1/b divided by b t times, exactly as the digit loop forms it.
  double f = 1.0 / b;
  for (double& scale : scales_) {
    scale = f;
    f = f / b;
  }
  low_sums_.resize(low_count_);
  for (unsigned n = 0; n < low_count_; ++n) {
    double value = 0.0;
    for (unsigned rest = n, t = 0; rest > 0; rest /= base_, ++t) {
      value = value + static_cast<double>(rest % base_) * scales_[t];
    }
    low_sums_[n] = value;
  }
}

void RadicalInverseSequence::start_after(unsigned start) {
  low_ = start % table_->low_count();
  high_ = start / table_->low_count();
  compute_high_terms();
}

void RadicalInverseSequence::next_high_digits() {
  ++high_;
  compute_high_terms();
}

void RadicalInverseSequence::compute_high_terms() {
  high_terms_count_ = 0;
  const unsigned b = table_->base();
  int t = table_->low_digits();
  for (unsigned rest = high_; rest > 0; rest /= b, ++t) {
    const unsigned digit = rest % b;
    if (digit != 0) {
      high_terms_[high_terms_count_++] = static_cast<double>(digit) * table_->scale(t);
    }
  }
}

HammersleyRows::HammersleyRows(const HammersleyBuild& build, int k, int N, int first)
    : i_(first),
      N_(N),
      tables_(radical_inverse_tables(k)),
      sequences_(tables_.begin(), tables_.end()),
      mapping_(k, MultiplicationOrder::kLeftToRight,
               build.corrected_completion ? Completion::kCorrected : Completion::kProduct),
      U_(static_cast<std::size_t>(k)) {
  for (RadicalInverseSequence& sequence : sequences_)
    sequence.start_after(static_cast<unsigned>(first));
}

void HammersleyRows::next(double* w, double* partial_sum) {
  if (mapping_.dimension() >= 2) {
    U_[0] = hammersley_midpoint(i_, N_);
    for (std::size_t j = 0; j < sequences_.size(); ++j) U_[j + 1] = sequences_[j].next();
  }
  ++i_;
  mapping_.map(U_.data(), w, partial_sum);
}

}  // namespace simplex_weights::detail
