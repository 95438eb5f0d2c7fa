// The vertices in the places of their nearest rows.
#include "constructions/vertices.h"

#include <gtest/gtest.h>

#include <vector>

namespace simplex_weights::detail {
namespace {

std::vector<long long> places_of(const std::vector<std::vector<double>>& rows, int m) {
  VertexPlaces places(m);
  for (const std::vector<double>& row : rows) places.row(row.data(), m);
  return places.places();
}

TEST(VertexPlaces, EveryVertexGetsARowOfItsOwn) {
  // The centroid is nearest to vertices 0 and 1: the first takes it, the second its next
  // nearest row.
  EXPECT_EQ(places_of({{1.0 / 3, 1.0 / 3, 1.0 / 3}, {0.2, 0.2, 0.6}, {0.3, 0.3, 0.4}}, 3),
            (std::vector<long long>{0, 2, 1}));
  // A vertex already in the set keeps its own row, and no other vertex takes it.
  EXPECT_EQ(places_of({{0.0, 1.0}, {0.5, 0.5}, {0.9, 0.1}}, 2), (std::vector<long long>{2, 0}));
  // Ties go to the earlier row.
  EXPECT_EQ(places_of({{0.5, 0.5}, {0.5, 0.5}}, 2), (std::vector<long long>{0, 1}));
  // Fewer rows than vertices: the last vertices get none.
  EXPECT_EQ(places_of({{0.2, 0.3, 0.5}}, 3), (std::vector<long long>{0, -1, -1}));
}

TEST(VertexSubstitution, PutsEachVertexInItsPlaceAndLeavesTheOtherRows) {
  CollectingSink collected(3, 2);
  {
    VertexSubstitution rows(collected, 2, {2, 0});
    const double rows_in[3][2] = {{0.5, 0.5}, {0.3, 0.7}, {0.9, 0.1}};
    for (const auto& row : rows_in) rows.row(row, 2);
  }
  const WeightSet set = collected.take();
  EXPECT_EQ(std::vector<double>(set.values.begin(), set.values.end()),
            (std::vector<double>{0.0, 1.0, 0.3, 0.7, 1.0, 0.0}));
}

}  // namespace
}  // namespace simplex_weights::detail
