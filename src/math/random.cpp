#include "simplex_weights/random.h"

namespace simplex_weights {
namespace {

// glibc warms its generator up by this many values before the first one it returns.
constexpr int kWarmUpValues = 310;

}  // namespace

GlibcRandom::GlibcRandom(unsigned seed) {
  // The state starts from the seed by the "minimal standard" congruential generator, computed
  // as glibc computes it (Schrage's method on a signed 32-bit word), seed 0 taken as 1.
  std::int32_t word = static_cast<std::int32_t>(seed == 0 ? 1 : seed);
  state_[0] = static_cast<std::uint32_t>(word);
  for (int i = 1; i < kDegree; ++i) {
    const std::int32_t hi = word / 127773;
    const std::int32_t lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    state_[i] = static_cast<std::uint32_t>(word);
  }
  for (int i = 0; i < kWarmUpValues; ++i) next();
}

int GlibcRandom::next() {
  // Additive feedback: x_i = x_{i-3} + x_{i-31} modulo 2^32, returned without its lowest bit.
  state_[front_] += state_[rear_];
  const auto value = static_cast<int>(state_[front_] >> 1);
  if (++front_ == kDegree) front_ = 0;
  if (++rear_ == kDegree) rear_ = 0;
  return value;
}

}  // namespace simplex_weights
