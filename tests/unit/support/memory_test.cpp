#include "support/memory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace simplex_weights::detail {

namespace {

TEST(Allocation, RefusesMoreThanTheMachineHolds) {
  const std::size_t too_many = physical_memory_bytes() / sizeof(double) + 1;
  for (auto allocate_set : {+[](std::size_t n) { (void)allocate<double>(n); },
                            +[](std::size_t n) { (void)allocate_for_overwrite<double>(n); }}) {
    try {
      allocate_set(too_many);
      FAIL() << "allocated " << too_many;
    } catch (const Failure& failure) {
      EXPECT_EQ(std::string(failure.what()), "Error... not enough memory for " +
                                                 std::to_string(too_many) + " values (" +
                                                 std::to_string(too_many * 8) + " bytes).\n");
    }
  }
  EXPECT_EQ(allocate<double>(3), std::vector<double>(3, 0.0));
}

}  // namespace
}  // namespace simplex_weights::detail
