#include "math/simplex_search.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <numeric>

#include "math/geometry.h"
#include "math/simplex_mapping.h"
#include "support/cancel.h"
#include "support/fan_out.h"
#include "support/filling_sink.h"
#include "support/observer.h"

namespace simplex_weights::detail {
namespace {

// The n points of the lattice of generating vector h mapped onto the simplex as tglp maps them.
// The candidate's rows exactly as tglp forms them.
std::vector<double> simplex_points(const std::vector<int>& h, int n) {
  std::vector<double> points(static_cast<std::size_t>(n) * (h.size() + 1));
  FillingSink rows(points.data());
  lattice_simplex_rows(h, n, rows, no_observer());
  return points;
}

}  // namespace

std::size_t ordering_count(int s) {
  long long all = 1;
  for (int i = 2; i <= s && all <= kMaxOrderings; ++i) all *= i;
  return static_cast<std::size_t>(std::min<long long>(all, kMaxOrderings));
}

double ordering_seconds(const std::vector<int>& h, int n) {
  const auto start = std::chrono::steady_clock::now();
  const std::size_t m = h.size() + 1;
  const std::vector<double> points = simplex_points(h, n);
  const std::size_t count = static_cast<std::size_t>(n);
  const double closest = closest_pair_distance(points.data(), count, m);
  static_cast<void>(coverage_radius(points.data(), count,
                                    coarse_simplex_lattice(static_cast<int>(m)), m,
                                    std::numeric_limits<double>::infinity()));
  static_cast<void>(closest);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<std::vector<int>> component_orderings(int s, RandomSource& random) {
  std::vector<int> order(static_cast<std::size_t>(s));
  std::iota(order.begin(), order.end(), 0);
  std::vector<std::vector<int>> orderings{order};
  long long all = 1;
  for (int i = 2; i <= s && all <= kMaxOrderings; ++i) all *= i;
  if (all <= kMaxOrderings) {
    while (std::next_permutation(order.begin(), order.end())) orderings.push_back(order);
    return orderings;
  }
  while (static_cast<int>(orderings.size()) < kMaxOrderings) {
    std::vector<int> shuffled = orderings.front();
    for (int i = s - 1; i >= 1; --i) {
      std::swap(shuffled[static_cast<std::size_t>(i)],
                shuffled[static_cast<std::size_t>(rand_interval(0, i, random))]);
    }
    orderings.push_back(shuffled);
  }
  return orderings;
}

std::vector<double> coarse_simplex_lattice(int m) {
  const std::size_t dimension = static_cast<std::size_t>(m);
  // Level 1 at least: the vertices are always among the reference points.
  const int H = std::max(1, largest_simplex_level(dimension, kCoarseLatticePoints));
  return simplex_lattice_points(dimension, H);
}

double closest_pair_distance(const double* points, std::size_t n, std::size_t m) {
  return std::sqrt(closest_squared_distance(points, n, m));
}

double coverage_radius(const double* points, std::size_t n, const std::vector<double>& reference,
                       std::size_t m, double give_up) {
  const double give_up_squared = give_up * give_up;
  double radius = 0;  // squared
  std::size_t hint = 0;
  CancelCheck check(16);
  for (std::size_t r = 0; r < reference.size(); r += m) {
    check();
    const double* p = reference.data() + r;
    // Neighbouring reference points have neighbouring nearest points: the last one first.
    double nearest = squared_distance(p, points + hint * m, m);
    for (std::size_t i = 0; i < n && nearest > radius; ++i) {
      const double d = squared_distance(p, points + i * m, m);
      if (d < nearest) {
        nearest = d;
        hint = i;
      }
    }
    radius = std::max(radius, nearest);
    if (radius >= give_up_squared) break;
  }
  return std::sqrt(radius);
}

OrderingChoice best_ordering_on_simplex(const std::vector<Candidate>& candidates, int n,
                                        RandomSource& random) {
  const int s = static_cast<int>(candidates.front().h.size());
  const std::size_t m = static_cast<std::size_t>(s) + 1;
  const std::vector<double> reference = coarse_simplex_lattice(static_cast<int>(m));
  // Every ordering of every candidate, in the order they are weighed.
  std::vector<std::vector<int>> vectors;
  std::vector<std::size_t> owner;
  for (std::size_t c = 0; c < candidates.size(); ++c) {
    for (const std::vector<int>& order : component_orderings(s, random)) {
      std::vector<int> h(static_cast<std::size_t>(s));
      for (int j = 0; j < s; ++j) {
        h[static_cast<std::size_t>(j)] =
            candidates[c].h[static_cast<std::size_t>(order[static_cast<std::size_t>(j)])];
      }
      vectors.push_back(std::move(h));
      owner.push_back(c);
    }
  }
  // Their closest pairs over the threads (each the same whichever thread takes it), then the
  // coverage radii in turn, each given up once it cannot beat the best ratio so far.
  std::vector<double> closest(vectors.size());
  const std::size_t threads =
      n >= kPointsForSearchThreads ? block_count(vectors.size(), 1) : std::size_t{1};
  fan_out(vectors.size(), threads, [&](std::size_t begin, std::size_t end, std::size_t) {
    for (std::size_t v = begin; v < end; ++v) {
      const std::vector<double> points = simplex_points(vectors[v], n);
      closest[v] = closest_pair_distance(points.data(), static_cast<std::size_t>(n), m);
    }
  });
  OrderingChoice best;
  double best_ratio = std::numeric_limits<double>::infinity();
  for (std::size_t v = 0; v < vectors.size(); ++v) {
    throw_if_cancelled();
    if (!(closest[v] > 0)) continue;  // coinciding points: no ratio to speak of
    const std::vector<double> points = simplex_points(vectors[v], n);
    const double give_up = best_ratio * closest[v];
    const double coverage =
        coverage_radius(points.data(), static_cast<std::size_t>(n), reference, m, give_up);
    if (!(coverage < give_up) && best_ratio != std::numeric_limits<double>::infinity()) continue;
    const double ratio = coverage / closest[v];
    if (ratio < best_ratio || best.h.empty()) {
      best_ratio = ratio;
      best = {owner[v], vectors[v], coverage, closest[v]};
    }
  }
  if (best.h.empty()) best = {0, candidates.front().h, 0, 0};
  return best;
}

}  // namespace simplex_weights::detail
