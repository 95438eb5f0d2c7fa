// The Hammersley-type weight generator behind udh_weights and udh_weights_prod.
#pragma once

#include <vector>

#include "math/simplex_mapping.h"
#include "support/observer.h"

namespace simplex_weights::detail {

/// Bases of the radical-inverse coordinates: the first twenty primes.
inline constexpr int kRadicalInverseBases[20] = {2,  3,  5,  7,  11, 13, 17, 19, 23, 29,
                                                 31, 37, 41, 43, 47, 53, 59, 61, 67, 71};
/// Smallest and largest number of objectives: one base per coordinate after the first.
inline constexpr int kMinObjectives = 1;
inline constexpr int kMaxObjectives = 22;
/// Largest number of values (numObjectives times numWeightVectors) of one run.
inline constexpr long long kMaxValues = 2147483647;

/// The two builds of the construction differ only in how the last component is completed.
struct HammersleyBuild {
  bool corrected_completion;  // else product completion
};

inline constexpr HammersleyBuild kUdhWeights = {.corrected_completion = true};
inline constexpr HammersleyBuild kUdhWeightsProd = {.corrected_completion = false};

/// Radical inverse of n >= 1 in base b: digits from the least significant, each scaled by a
/// factor that is divided by b once per digit.
double radical_inverse(int n, int b);

/// The digit scales of one base and the digit loop's value for every number of a few low
/// digits, computed once, the same doubles as the digit loop forms them.
class RadicalInverseTable {
 public:
  /// b >= 2.
  explicit RadicalInverseTable(int b);

  unsigned base() const { return base_; }
  /// How many low digits the table covers, and how many low-digit values it holds.
  int low_digits() const { return low_digits_; }
  unsigned low_count() const { return low_count_; }
  double scale(int t) const { return scales_[t]; }
  double low_sum(unsigned low) const { return low_sums_[low]; }

 private:
  unsigned base_;
  int low_digits_;
  unsigned low_count_;
  double scales_[32];             // 2^31 has 31 binary digits
  std::vector<double> low_sums_;  // the loop's value for every n below low_count
};

/// The radical inverses of n = 1, 2, 3, ... in one base, in turn: each is a low-digit value
/// of the table plus the terms of the high digits, which change only once every low_count
/// steps. A zero digit's term (+0.0) changes no sum, so only the others are added; the values
/// are those of the digit loop, bit for bit.
class RadicalInverseSequence {
 public:
  /// `table` must outlive the sequence.
  explicit RadicalInverseSequence(const RadicalInverseTable& table) : table_(&table) {}
  /// Positioned so that the next value is that of start + 1.
  void start_after(unsigned start);
  double next() {
    if (++low_ == table_->low_count()) {
      low_ = 0;
      next_high_digits();
    }
    double value = table_->low_sum(low_);
    for (int t = 0; t < high_terms_count_; ++t) value = value + high_terms_[t];
    return value;
  }

 private:
  void next_high_digits();
  void compute_high_terms();

  const RadicalInverseTable* table_;
  unsigned low_ = 0;
  unsigned high_ = 0;
  int high_terms_count_ = 0;
  double high_terms_[32] = {};
};

/// The first coordinate of cube point i of N: the midpoint (2i + 1) / (2N).
double hammersley_midpoint(int i, int N);

/// The weight vectors of one run, computed one after another.
class HammersleyRows {
 public:
  /// 1 <= k <= 22, 1 <= N; the first row given is row `first` (0 .. N - 1).
  HammersleyRows(const HammersleyBuild& build, int k, int N, int first = 0);
  HammersleyRows(const HammersleyRows&) = delete;
  HammersleyRows& operator=(const HammersleyRows&) = delete;
  /// The next weight vector, from i = 0 on (k doubles into w); with corrected completion the
  /// sum of all components but the last, before the correction, goes to *partial_sum when given.
  void next(double* w, double* partial_sum = nullptr);

 private:
  int i_ = 0;
  int N_;
  std::vector<RadicalInverseTable> tables_;
  std::vector<RadicalInverseSequence> sequences_;
  SimplexMapping mapping_;
  std::vector<double> U_;
};

/// Refuses k outside kMinObjectives .. kMaxObjectives and k * N above kMaxValues.
void check_hammersley_arguments(int k, int N);

/// Rows first .. last - 1 of the N rows of k components, in order, into `rows`; an observer
/// sees each row's partial sum (corrected completion) and the row.
void hammersley_rows(const HammersleyBuild& build, int k, int N, int first, int last, RowSink& rows,
                     Observer& observer = no_observer());

}  // namespace simplex_weights::detail
