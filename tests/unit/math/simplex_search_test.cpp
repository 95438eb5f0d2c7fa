#include "math/simplex_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "math/good_lattice.h"
#include "math/simplex_mapping.h"

namespace simplex_weights::detail {

namespace {

std::vector<double> mapped(const std::vector<int>& h, int n) {
  const std::size_t m = h.size() + 1;
  SimplexMapping mapping(static_cast<int>(m), MultiplicationOrder::kProductFirst,
                         Completion::kCorrected);
  std::vector<double> points(static_cast<std::size_t>(n) * m);
  std::vector<double> u(h.size());
  for (int k = 1; k <= n; ++k) {
    for (std::size_t j = 0; j < h.size(); ++j)
      u[j] = lattice_coordinate(lattice_index(k, h[j], n), n);
    mapping.map(u.data(), points.data() + static_cast<std::size_t>(k - 1) * m);
  }
  return points;
}

double distance(const double* a, const double* b, std::size_t m) {
  double sum = 0;
  for (std::size_t j = 0; j < m; ++j) sum += (a[j] - b[j]) * (a[j] - b[j]);
  return std::sqrt(sum);
}

// Every pair, every reference point: the figures without any shortcut.
double brute_ratio(const std::vector<int>& h, int n) {
  const std::size_t m = h.size() + 1;
  const std::vector<double> points = mapped(h, n);
  double closest = std::numeric_limits<double>::infinity();
  for (int i = 0; i < n; ++i) {
    for (int k = i + 1; k < n; ++k) {
      closest = std::min(closest, distance(&points[static_cast<std::size_t>(i) * m],
                                           &points[static_cast<std::size_t>(k) * m], m));
    }
  }
  const std::vector<double> reference = coarse_simplex_lattice(static_cast<int>(m));
  double coverage = 0;
  for (std::size_t r = 0; r < reference.size(); r += m) {
    double nearest = std::numeric_limits<double>::infinity();
    for (int i = 0; i < n; ++i) {
      nearest =
          std::min(nearest, distance(&reference[r], &points[static_cast<std::size_t>(i) * m], m));
    }
    coverage = std::max(coverage, nearest);
  }
  return coverage / closest;
}

std::vector<int> tglp_draw(int s, int n, ComponentTest test, RandomSource& random,
                           Observer& observer) {
  return tglp_candidate(s, n, test, random, observer);
}

TEST(SimplexSearch, TheChosenOrderingIsTheArgminOfTheRatio) {
  for (unsigned seed : {1u, 5u}) {
    GlibcRandom random(seed);
    long long compared = 0;
    const VectorDraw how{.random = random, .candidates = 30};
    const std::vector<Candidate> candidates =
        least_discrepancy_candidates(3, 61, tglp_draw, how, 8, compared);
    ASSERT_EQ(candidates.size(), 8u);
    GlibcRandom replay(99);
    const OrderingChoice chosen = best_ordering_on_simplex(candidates, 61, replay);
    double best = std::numeric_limits<double>::infinity();
    std::vector<int> expected;
    for (const Candidate& candidate : candidates) {
      std::vector<int> order{0, 1, 2};
      do {
        const std::vector<int> h{candidate.h[static_cast<std::size_t>(order[0])],
                                 candidate.h[static_cast<std::size_t>(order[1])],
                                 candidate.h[static_cast<std::size_t>(order[2])]};
        const double ratio = brute_ratio(h, 61);
        if (ratio < best) {
          best = ratio;
          expected = h;
        }
      } while (std::next_permutation(order.begin(), order.end()));
    }
    EXPECT_EQ(chosen.h, expected) << seed;
    EXPECT_NEAR(chosen.coverage / chosen.closest, best, 1e-12);
  }
}

TEST(SimplexSearch, ClosestPairAndCoverageAgreeWithEveryPair) {
  const std::vector<int> h{1, 17, 40};
  const std::vector<double> points = mapped(h, 89);
  double closest = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < 89; ++i) {
    for (std::size_t k = i + 1; k < 89; ++k) {
      closest = std::min(closest, distance(&points[i * 4], &points[k * 4], 4));
    }
  }
  EXPECT_DOUBLE_EQ(closest_pair_distance(points.data(), 89, 4), closest);
  const std::vector<double> reference = coarse_simplex_lattice(4);
  EXPECT_LE(reference.size() / 4, static_cast<std::size_t>(kCoarseLatticePoints));
  // The vertices belong to the coarse lattice.
  EXPECT_EQ(std::vector<double>(reference.begin(), reference.begin() + 4),
            (std::vector<double>{1, 0, 0, 0}));
  const double full =
      coverage_radius(points.data(), 89, reference, 4, std::numeric_limits<double>::infinity());
  EXPECT_NEAR(full * full / closest, brute_ratio(h, 89) * full, 1e-9);
  // Giving up early reports at least the bound it gave up at.
  EXPECT_GE(coverage_radius(points.data(), 89, reference, 4, full / 2), full / 2);
}

TEST(SimplexSearch, OrderingsAreAllPermutationsOrTheDrawnOrderAndDrawnShuffles) {
  GlibcRandom random(3);
  const std::vector<std::vector<int>> three = component_orderings(3, random);
  ASSERT_EQ(three.size(), 6u);
  EXPECT_EQ(three.front(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(component_orderings(5, random).size(), 120u);
  const std::vector<std::vector<int>> nine = component_orderings(9, random);
  ASSERT_EQ(nine.size(), static_cast<std::size_t>(kMaxOrderings));
  EXPECT_EQ(nine.front(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  for (std::vector<int> order : nine) {
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, nine.front());
  }
}

TEST(SimplexSearch, DrawnOrderingsReachEveryPlacementIncludingFixedOnes) {
  // Beyond five components the shuffles are uniform: every component reaches every place,
  // staying where it is among them (a shuffle that never leaves one in place is not uniform).
  for (int s : {6, 9}) {
    GlibcRandom random(11);
    const std::size_t width = static_cast<std::size_t>(s);
    std::vector<int> seen(width * width, 0);
    int with_a_fixed_component = 0;
    for (int round = 0; round < 20; ++round) {
      const std::vector<std::vector<int>> drawn = component_orderings(s, random);
      for (std::size_t o = 1; o < drawn.size(); ++o) {
        bool fixed = false;
        for (std::size_t j = 0; j < width; ++j) {
          ++seen[j * width + static_cast<std::size_t>(drawn[o][j])];
          fixed = fixed || drawn[o][j] == static_cast<int>(j);
        }
        with_a_fixed_component += fixed ? 1 : 0;
      }
    }
    for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_GT(seen[i], 0) << s << " " << i;
    // About 1 - 1/e of uniform shuffles keep a component in place: 63 % of 2380.
    EXPECT_GT(with_a_fixed_component, 1300) << s;
    EXPECT_LT(with_a_fixed_component, 1700) << s;
  }
}

TEST(SimplexSearch, VectorsOfEqualDiscrepancyKeepTheOrderTheyWereDrawnIn) {
  // h and its inverse modulo n give the same CD2 to the bit: at n = 13, (1, 6) and (1, 11).
  EXPECT_EQ(lattice_discrepancy({1, 6}, 13), lattice_discrepancy({1, 11}, 13));
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    GlibcRandom random(seed);
    long long compared = 0;
    const VectorDraw how{.random = random, .candidates = 100};
    const std::vector<Candidate> best =
        least_discrepancy_candidates(2, 13, tglp_draw, how, 2, compared);
    // Which of the two came first in the draws decides.
    GlibcRandom replay(seed);
    std::vector<int> first;
    while (first != std::vector<int>{1, 6} && first != std::vector<int>{1, 11}) {
      first = tglp_draw(2, 13, ComponentTest::kPrimitiveRoot, replay, no_observer());
    }
    ASSERT_EQ(best.size(), 2u);
    EXPECT_EQ(best[0].h, first) << seed;
    EXPECT_EQ(best[0].discrepancy, best[1].discrepancy);
  }
}

int draws_made = 0;
std::vector<int> counted_draw(int s, int n, ComponentTest test, RandomSource& random,
                              Observer& observer) {
  ++draws_made;
  return tglp_draw(s, n, test, random, observer);
}

TEST(SimplexSearch, DrawingStopsOnceEveryDistinctVectorWasSeen) {
  GlibcRandom random(9);
  long long compared = 0;
  draws_made = 0;
  least_discrepancy_candidates(2, 101, counted_draw, {.random = random, .candidates = 1000}, 8,
                               compared);
  EXPECT_EQ(compared, 40);  // the primitive roots of 101
  // The coupon collector's 40 H(40), about 171, not the bound of a million.
  EXPECT_LT(draws_made, 1000);
  EXPECT_GE(draws_made, 40);
}

}  // namespace
}  // namespace simplex_weights::detail
