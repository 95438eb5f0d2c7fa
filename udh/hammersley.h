// The Hammersley-type weight generator behind udh_weights and udh_weights_prod.
#pragma once

#include <memory>
#include <vector>

#include "program.h"
#include "simplex_mapping.h"
#include "writer.h"

namespace weights {

/// Bases of the radical-inverse coordinates: the first twenty primes.
inline constexpr int P[20] = {2,  3,  5,  7,  11, 13, 17, 19, 23, 29,
                              31, 37, 41, 43, 47, 53, 59, 61, 67, 71};
/// Largest number of objectives: one base per coordinate after the first.
inline constexpr int kMaxObjectives = 22;

/// The two builds of the tool differ only in these respects.
struct HammersleyBuild {
  ProgramBody run;            // run_hammersley with this build
  bool corrected_completion;  // else product completion
  bool traces_and_heads;      // "sum = %f\n" per row and the "# N k" header
  const char* short_pattern;  // file name for k <= 9
  const char* long_pattern;   // file name for k > 9
};

int run_udh_weights(int k, int N, Writer& trace);
int run_udh_weights_prod(int k, int N, Writer& trace);

inline constexpr HammersleyBuild kUdhWeights = {
    run_udh_weights, true, true, "./output/weight_0%dD_%d.udh", "./output/weight_%dD_%d.udh"};
inline constexpr HammersleyBuild kUdhWeightsProd = {run_udh_weights_prod, false, false,
                                                    "weight_0%dD_%d.udh", "weight_%dD_%d.udh"};

/// Radical inverse of n >= 1 in base b: digits from the least significant, each scaled by a
/// factor that is divided by b once per digit.
double radical_inverse(int n, int b);

/// radical_inverse for one base with the digit scales computed once: the same values, without
/// a chain of divisions per point.
class RadicalInverseTable {
 public:
  /// b is one of the bases in P.
  explicit RadicalInverseTable(int b);
  double operator()(int n) const {
    return digits_.sum(static_cast<unsigned>(n), scales_, low_sums_.data());
  }

  /// The digit loop of one base, and how many low digits (and low-digit values) its table
  /// holds.
  struct Digits {
    double (*sum)(unsigned n, const double* scales, const double* low_sums);
    int low_digits;
    unsigned low_count;
  };

  unsigned base() const { return base_; }
  const Digits& digits() const { return digits_; }
  double scale(int t) const { return scales_[t]; }
  double low_sum(unsigned low) const { return low_sums_[low]; }

 private:
  unsigned base_;
  Digits digits_;
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
  double next() {
    if (++low_ == table_->digits().low_count) {
      low_ = 0;
      next_high_digits();
    }
    double value = table_->low_sum(low_);
    for (int t = 0; t < high_terms_count_; ++t) value = value + high_terms_[t];
    return value;
  }

 private:
  void next_high_digits();

  const RadicalInverseTable* table_;
  unsigned low_ = 0;
  unsigned high_ = 0;
  int high_terms_count_ = 0;
  double high_terms_[32] = {};
};

/// The tables of the k - 2 radical-inverse coordinates, bases P[0], P[1], ...
std::vector<RadicalInverseTable> radical_inverse_tables(int k);

/// The first coordinate of cube point i of N: the midpoint (2i + 1) / (2N).
double hammersley_midpoint(int i, int N);

/// Cube point i of N (k - 1 coordinates into U, k >= 2): the midpoint (2i + 1) / (2N), then the
/// radical inverses of i + 1 in the bases of `tables`.
void hammersley_point(int i, int N, const std::vector<RadicalInverseTable>& tables, double* U);

/// The weight vectors of one run, computed one after another.
class HammersleyRows {
 public:
  /// 1 <= k <= 22, 1 <= N.
  HammersleyRows(const HammersleyBuild& build, int k, int N);
  HammersleyRows(const HammersleyRows&) = delete;
  HammersleyRows& operator=(const HammersleyRows&) = delete;
  /// The next weight vector, from i = 0 on (k doubles into w); traces its sum when sum_trace
  /// is given.
  void next(double* w, Writer* sum_trace);

 private:
  int i_ = 0;
  int N_;
  std::vector<RadicalInverseTable> tables_;
  std::vector<RadicalInverseSequence> sequences_;
  SimplexMapping mapping_;
  std::vector<double> U_;
};

/// The N weight vectors W (N rows of k), mapped in left-to-right order with the build's
/// completion; traces the sums for the corrected build. 1 <= k <= 22, k * N < 2^31.
std::unique_ptr<double[]> hammersley_weights(const HammersleyBuild& build, int k, int N,
                                             Writer& trace);

/// One run: checks k and N, then computes and writes the rows; the traced build computes
/// every row before it opens the weight file.
int run_hammersley(const HammersleyBuild& build, int k, int N, Writer& trace);

/// The whole program of one build, from its command line; returns the exit status.
int hammersley_main(const HammersleyBuild& build, const char* name, int argc, char** argv);

}  // namespace weights
