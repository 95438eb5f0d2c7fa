// Random sources of the lattice constructions. Every call owns its source, so calls in
// different threads never share a state, and the same seed gives the same set everywhere.
#pragma once

#include <cstdint>

#include "simplex_weights/export.h"

namespace simplex_weights {

/// Where a construction takes its random integers from: each `next()` is uniform over
/// 0 .. kMax, like the C library's rand(). Tests script their own.
class SIMPLEX_WEIGHTS_EXPORT RandomSource {
 public:
  static constexpr int kMax = 2147483647;
  virtual ~RandomSource() = default;
  /// The next value, 0 .. kMax.
  virtual int next() = 0;
};

/// The additive feedback generator of glibc's rand(): after construction with a seed it gives
/// exactly the values rand() gives after srand(seed), on every platform.
class SIMPLEX_WEIGHTS_EXPORT GlibcRandom final : public RandomSource {
 public:
  explicit GlibcRandom(unsigned seed = 1);
  int next() override;

 private:
  static constexpr int kDegree = 31;
  std::uint32_t state_[kDegree];
  int front_ = 3;  // the lag-3 tap
  int rear_ = 0;   // the lag-31 tap
};

}  // namespace simplex_weights
