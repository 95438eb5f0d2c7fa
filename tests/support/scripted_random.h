// A random source that gives the values it is handed, in order: draws made to measure.
#pragma once

#include <cstddef>
#include <deque>
#include <utility>

#include "simplex_weights/random.h"

namespace simplex_weights::test_support {

class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::deque<int> values) : values_(std::move(values)) {}
  int next() override {
    const int value = values_.front();
    values_.pop_front();
    return value;
  }
  std::size_t left() const { return values_.size(); }

 private:
  std::deque<int> values_;
};

}  // namespace simplex_weights::test_support
