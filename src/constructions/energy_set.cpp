#include "constructions/energy_set.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "constructions/vertices.h"
#include "math/geometry.h"
#include "math/good_lattice.h"
#include "simplex_weights/errors.h"
#include "simplex_weights/random.h"
#include "support/arguments.h"
#include "support/cancel.h"
#include "support/fan_out.h"
#include "support/filling_sink.h"
#include "support/memory.h"
#include "support/observer.h"

namespace simplex_weights::detail {
namespace {

// A pair beyond this share of the closest pair's term is left out of the descent.
constexpr double kNeglectedTerm = 1e-4;
// The neighbour lists hold at most this many pairs a row; beyond, every pair is visited.
constexpr std::size_t kMostNeighbours = 1024;
// Blocks of the pair loop: fixed, so that the sums are the same on any machine.
constexpr std::size_t kPairBlocks = 4;
// Pairs from which the pair loop is worth its threads.
constexpr std::size_t kPairsForThreads = 1000000;
// The inertial descent (FIRE: Bitzek et al., Phys. Rev. Lett. 97, 170201, 2006): its time step
// at first and at most, in units of the move the diagonal of the Hessian suggests; the steps of
// a run along the force after which the step grows, by how much, and by how much it shrinks
// when the rows run uphill; the share of the force mixed into the velocity at first, and how
// that share decays over a run.
constexpr double kFirstTimeStep = 0.5;
constexpr double kLongestTimeStep = 1.0;
constexpr int kStepsBeforeGrowth = 5;
constexpr double kTimeStepGrowth = 1.1;
constexpr double kTimeStepCut = 0.5;
constexpr double kFirstMixing = 0.1;
constexpr double kMixingDecay = 0.99;
// The start: candidates for the rows beyond the simplex lattice come from a lattice of this
// many times its level, with at most this many points a row (and kFewestCandidates at least).
constexpr int kCandidateLevels = 3;
constexpr double kCandidatesPerRow = 20;
constexpr double kFewestCandidates = 20000;

// d^-s relative to r^-s, from d^2 / r^2: an integer power where s is even, as s = 2m is.
double relative_term(double d2_over_r2, double s, int half_power) {
  if (half_power > 0) {
    const double q = 1 / d2_over_r2;
    double result = 1;
    for (int k = 0; k < half_power; ++k) result *= q;
    return result;
  }
  return std::pow(d2_over_r2, -s / 2);
}

// q^P by repeated squaring.
template <int P>
[[gnu::always_inline]] inline double power_of(double q) {
  static_assert(P >= 1);
  if constexpr (P == 1) {
    return q;
  } else {
    const double half = power_of<P / 2>(q);
    return P % 2 == 0 ? half * half : half * half * q;
  }
}

int half_power_of(double s) {
  const double half = s / 2;
  return half == std::floor(half) && half >= 1 && half <= 64 ? static_cast<int>(half) : 0;
}

// The squared distance of two rows in four sums taken in turn, so that the additions need not
// wait on one another: for the descent, where the last bit does not matter. The row length is
// kColumns where that is not 0; from four columns on, the four sums are taken as one vector.
template <std::size_t kColumns = 0>
[[gnu::always_inline]] inline double split_squared_distance(const double* a, const double* b,
                                                            std::size_t columns) {
  const std::size_t m = kColumns > 0 ? kColumns : columns;
  std::array<double, 4> partial{};
  std::size_t k = 0;
  if constexpr (kColumns >= 4) {
    using DoubleQuad = double __attribute__((vector_size(32)));
    DoubleQuad sums{};
    for (; k + 4 <= m; k += 4) {
      DoubleQuad from;
      DoubleQuad to;
      std::memcpy(&from, a + k, sizeof from);
      std::memcpy(&to, b + k, sizeof to);
      const DoubleQuad d = from - to;
      sums += d * d;
    }
    partial = {sums[0], sums[1], sums[2], sums[3]};
  }
  for (; k < m; ++k) {
    const double d = a[k] - b[k];
    partial[k % 4] += d * d;
  }
  return (partial[0] + partial[1]) + (partial[2] + partial[3]);
}

// Calls `function` with the row length as a constant where the descent's loops are built for
// it, which lets them keep a row in registers, and with 0 (the length then read at run time)
// elsewhere.
template <typename Function>
[[gnu::always_inline]] inline decltype(auto) with_row_length(std::size_t m, Function&& function) {
  switch (m) {
    case 2:
      return function(std::integral_constant<std::size_t, 2>{});
    case 3:
      return function(std::integral_constant<std::size_t, 3>{});
    case 4:
      return function(std::integral_constant<std::size_t, 4>{});
    case 5:
      return function(std::integral_constant<std::size_t, 5>{});
    case 6:
      return function(std::integral_constant<std::size_t, 6>{});
    case 8:
      return function(std::integral_constant<std::size_t, 8>{});
    case 10:
      return function(std::integral_constant<std::size_t, 10>{});
    default:
      return function(std::integral_constant<std::size_t, 0>{});
  }
}

// The Euclidean projection of a point onto the simplex (components >= 0 summing to 1), the row
// length kColumns where that is not 0; `sorted` has room for a row.
template <std::size_t kColumns>
void project_onto_simplex(double* v, std::size_t columns, double* sorted) {
  const std::size_t m = kColumns > 0 ? kColumns : columns;
  if constexpr (kColumns > 0) {
    // Rows this short are sorted fastest by insertion.
    for (std::size_t k = 0; k < m; ++k) {
      std::size_t place = k;
      for (; place > 0 && sorted[place - 1] < v[k]; --place) sorted[place] = sorted[place - 1];
      sorted[place] = v[k];
    }
  } else {
    std::copy(v, v + m, sorted);
    std::sort(sorted, sorted + m, std::greater<>());
  }
  double sum = 0;
  double shift = 0;
  for (std::size_t k = 0; k < m; ++k) {
    sum += sorted[k];
    const double candidate = (sum - 1) / static_cast<double>(k + 1);
    if (sorted[k] > candidate) shift = candidate;
  }
  for (std::size_t k = 0; k < m; ++k) v[k] = std::max(v[k] - shift, 0.0);
}

bool is_vertex(const double* row, std::size_t m) {
  return std::count(row, row + m, 1.0) == 1 &&
         static_cast<std::size_t>(std::count(row, row + m, 0.0)) == m - 1;
}

// The energy of the pairs within the cut-off, with its gradient: the pairs of row i are the
// neighbours listed for it, or every j > i when the lists would not pay.
class PairEnergy {
 public:
  PairEnergy(std::size_t n, std::size_t m, double s)
      : n_(n), m_(m), s_(s), half_power_(half_power_of(s)) {}

  // Lists the neighbours of every row within the cut-off and a skin, or falls back on every
  // pair; the rows may then move by half the skin before the lists must be made again. The
  // closest pair is the unit of the terms and of the cut-off from here on.
  void list_neighbours(const double* x) {
    sort_by_first_component(x);
    r2_ = closest_pair(x);
    const double cut = std::pow(kNeglectedTerm, -1 / s_);  // (r / cut-off)^s = kNeglectedTerm
    cutoff2_ = r2_ * cut * cut;
    const double skin = 0.3 * std::sqrt(r2_);
    list_radius2_ = std::pow(std::sqrt(cutoff2_) + skin, 2);
    half_skin_ = skin / 2;
    reference_.assign(x, x + n_ * m_);
    // Lists that hold most pairs save little. Every pair is then visited, and the closest pair
    // and the cut-off are still found again once the rows have moved by half the skin.
    all_pairs_ = !list_pairs_within(x, list_radius2_) || 2 * neighbours_.size() > pair_count();
    if (all_pairs_) {
      std::vector<unsigned>().swap(neighbours_);
      first_.assign(n_ + 1, 0);
      for (std::size_t i = 0; i < n_; ++i) first_[i + 1] = first_[i] + (n_ - 1 - i);
    }
    split_blocks();
  }

  // Whether some row moved so far from where the lists were made that they may miss a pair,
  // or that the closest pair, the unit of the terms and the cut-off, may have changed.
  bool lists_stale(const double* x) const {
    const double limit = half_skin_ * half_skin_;
    for (std::size_t i = 0; i < n_; ++i) {
      if (split_squared_distance(x + i * m_, reference_.data() + i * m_, m_) > limit) return true;
    }
    return false;
  }

  // log of the mean of d^-s over all pairs, from a sum of evaluate(...).
  double log_mean(double sum) const {
    return std::log(sum / static_cast<double>(pair_count())) - s_ / 2 * std::log(r2_);
  }

  // The sum of (r / d)^s over the pairs within the cut-off; with `gradient`, its gradient in
  // gradient[i * m + k] and each row's stiffness (the sum of its pairs' term / d^2).
  double evaluate(const double* x, double* gradient, double* stiffness) {
    std::vector<double> sums(kPairBlocks, 0.0);
    if (gradient != nullptr) {
      block_gradient_.resize(blocks_ * n_ * m_);
      block_stiffness_.resize(blocks_ * n_);
    }
    fan_out(blocks_, blocks_, [&](std::size_t begin, std::size_t end, std::size_t /*part*/) {
      for (std::size_t block = begin; block < end; ++block) {
        double* g = gradient != nullptr ? block_gradient_.data() + block * n_ * m_ : nullptr;
        double* w = gradient != nullptr ? block_stiffness_.data() + block * n_ : nullptr;
        sums[block] = block_energy(x, bounds_[block], bounds_[block + 1], g, w);
      }
    });
    double total = 0;
    for (std::size_t block = 0; block < blocks_; ++block) total += sums[block];
    if (gradient != nullptr) gather(gradient, stiffness);
    return total;
  }

 private:
  std::size_t pair_count() const { return n_ * (n_ - 1) / 2; }

  // The closest pair's squared distance now. A pair left out of the lists was at least the
  // lists' radius apart when they were made, and no row has moved by more than half the skin
  // since: when a listed pair is closer than that radius less the skin, it is the closest.
  double closest_pair(const double* x) const {
    if (all_pairs_ || neighbours_.empty()) return closest_squared_distance(x, n_, m_);
    const double least = with_row_length(m_, [&](auto columns) {
      constexpr std::size_t kColumns = columns();
      const std::size_t m = kColumns > 0 ? kColumns : m_;
      double closest = std::numeric_limits<double>::infinity();
      for (std::size_t i = 0; i < n_; ++i) {
        for (std::size_t p = first_[i]; p < first_[i + 1]; ++p) {
          closest = std::min(
              closest, split_squared_distance<kColumns>(x + i * m, x + neighbours_[p] * m, m));
        }
      }
      return closest;
    });
    const double unlisted = std::sqrt(list_radius2_) - 2 * half_skin_;
    return least <= unlisted * unlisted ? least : closest_squared_distance(x, n_, m_);
  }

  void sort_by_first_component(const double* x) {
    order_.resize(n_);
    for (std::size_t i = 0; i < n_; ++i) order_[i] = static_cast<unsigned>(i);
    std::sort(order_.begin(), order_.end(), [&](unsigned a, unsigned b) {
      return x[a * m_] < x[b * m_] || (x[a * m_] == x[b * m_] && a < b);
    });
  }

  // Visits every pair closer than sqrt(radius2), sweeping the rows in the order of their
  // first component: a pair's distance is at least the difference of its first components.
  template <std::size_t kColumns, typename Visit>
  void sweep_pairs(const double* x, double radius2, Visit visit) const {
    const std::size_t m = kColumns > 0 ? kColumns : m_;
    const double radius = std::sqrt(radius2);
    CancelCheck check(64);
    for (std::size_t a = 0; a < n_; ++a) {
      check();
      const std::size_t i = order_[a];
      const double* xi = x + i * m;
      for (std::size_t b = a + 1; b < n_; ++b) {
        const std::size_t j = order_[b];
        const double* xj = x + j * m;
        if (xj[0] - xi[0] >= radius) break;
        const double d2 = split_squared_distance<kColumns>(xi, xj, m);
        if (d2 < radius2 && !visit(std::min(i, j), std::max(i, j))) return;
      }
    }
  }

  // The pairs within the radius, by their first row; false when they would exceed the lists'
  // room. Where the first components keep most pairs apart, only the pairs they do not are
  // measured; elsewhere (many objectives, few rows) every pair is, row by row.
  bool list_pairs_within(const double* x, double radius2) {
    return with_row_length(m_, [&](auto columns) {
      return 2 * swept_pairs(x, radius2) <= pair_count() ? list_by_sweep<columns()>(x, radius2)
                                                         : list_by_rows<columns()>(x, radius2);
    });
  }

  // The pairs sweep_pairs measures: those whose first components differ by less than the
  // radius.
  std::size_t swept_pairs(const double* x, double radius2) const {
    const double radius = std::sqrt(radius2);
    std::size_t swept = 0;
    std::size_t end = 0;
    for (std::size_t a = 0; a < n_; ++a) {
      end = std::max(end, a + 1);
      while (end < n_ && x[order_[end] * m_] - x[order_[a] * m_] < radius) ++end;
      swept += end - a - 1;
    }
    return swept;
  }

  template <std::size_t kColumns>
  bool list_by_sweep(const double* x, double radius2) {
    std::vector<std::pair<unsigned, unsigned>> pairs;
    const std::size_t room = kMostNeighbours * n_;
    bool fits = true;
    sweep_pairs<kColumns>(x, radius2, [&](std::size_t i, std::size_t j) {
      pairs.emplace_back(static_cast<unsigned>(i), static_cast<unsigned>(j));
      fits = pairs.size() <= room;
      return fits;
    });
    if (!fits) return false;
    // By first row (counted, then placed), each row's neighbours in order.
    first_.assign(n_ + 1, 0);
    for (const auto& pair : pairs) ++first_[pair.first + 1];
    for (std::size_t i = 0; i < n_; ++i) first_[i + 1] += first_[i];
    neighbours_.resize(pairs.size());
    std::vector<std::size_t> next(first_.begin(), first_.end() - 1);
    for (const auto& pair : pairs) neighbours_[next[pair.first]++] = pair.second;
    for (std::size_t i = 0; i < n_; ++i) {
      std::sort(neighbours_.begin() + static_cast<long>(first_[i]),
                neighbours_.begin() + static_cast<long>(first_[i + 1]));
    }
    return true;
  }

  // Every pair measured, each row's later rows in order: they are then listed in order, and
  // kept without a branch (whether a pair is within the radius is one the processor cannot
  // foresee).
  template <std::size_t kColumns>
  bool list_by_rows(const double* x, double radius2) {
    const std::size_t m = kColumns > 0 ? kColumns : m_;
    const std::size_t room = kMostNeighbours * n_;
    first_.assign(n_ + 1, 0);
    neighbours_.clear();
    std::size_t listed = 0;
    CancelCheck check(64);
    for (std::size_t i = 0; i < n_; ++i) {
      check();
      first_[i] = listed;
      neighbours_.resize(listed + (n_ - 1 - i));
      const double* xi = x + i * m;
      for (std::size_t j = i + 1; j < n_; ++j) {
        neighbours_[listed] = static_cast<unsigned>(j);
        listed += split_squared_distance<kColumns>(xi, x + j * m, m) < radius2 ? 1 : 0;
      }
      if (listed > room) return false;
    }
    first_[n_] = listed;
    neighbours_.resize(listed);
    return true;
  }

  // The pair loop with the row length known to the compiler where it is small (kColumns > 0),
  // which lets it keep a pair's differences in registers, and with the half exponent known
  // where it is s = 2m (kHalfPower > 0), the power then taken by squaring. Each row's pairs are
  // measured first and those within the cut-off kept, without a branch: whether a listed pair
  // is within is a coin toss the processor cannot learn, and the terms then run unbroken.
  template <std::size_t kColumns, int kHalfPower>
  [[gnu::always_inline]] inline double block_energy_of(const double* x, std::size_t begin,
                                                       std::size_t end, double* g,
                                                       double* w) const {
    const std::size_t m = kColumns > 0 ? kColumns : m_;
    if (g != nullptr) {
      std::fill(g, g + n_ * m, 0.0);
      std::fill(w, w + n_, 0.0);
    }
    double total = 0;
    // Row i's share of the gradient summed over its pairs.
    std::vector<double> buffer(kColumns > 0 ? 0 : m);
    std::array<double, kColumns + 1> fixed{};
    double* row_gradient = kColumns > 0 ? fixed.data() : buffer.data();
    // Row i's pairs within the cut-off: the other row and the squared distance.
    std::vector<unsigned> near_rows(most_pairs_ + 1);
    std::vector<double> near_d2(near_rows.size());
    const double s_over_r2 = s_ / r2_;
    CancelCheck check(16);
    for (std::size_t i = begin; i < end; ++i) {
      check();
      const double* xi = x + i * m;
      const std::size_t pairs = first_[i + 1] - first_[i];
      const unsigned* listed = all_pairs_ ? nullptr : neighbours_.data() + first_[i];
      std::size_t near = 0;
      for (std::size_t p = 0; p < pairs; ++p) {
        const std::size_t j = listed != nullptr ? listed[p] : i + 1 + p;
        const double* xj = x + j * m;
        const double d2 = split_squared_distance<kColumns>(xi, xj, m);
        near_rows[near] = static_cast<unsigned>(j);
        near_d2[near] = d2;
        near += d2 >= cutoff2_ ? 0 : 1;
      }
      std::fill(row_gradient, row_gradient + m, 0.0);
      double row_stiffness = 0;
      for (std::size_t p = 0; p < near; ++p) {
        const std::size_t j = near_rows[p];
        const double d2 = near_d2[p];
        const double q = r2_ / d2;  // (r / d)^2
        double term = 0;
        if constexpr (kHalfPower > 0) {
          term = power_of<kHalfPower>(q);
        } else {
          term = relative_term(d2 / r2_, s_, half_power_);
        }
        total += term;
        if (g == nullptr) continue;
        const double a = s_over_r2 * term * q;  // s term / d^2
        const double* xj = x + j * m;
        double* gj = g + j * m;
        for (std::size_t k = 0; k < m; ++k) {
          const double push = a * (xi[k] - xj[k]);
          row_gradient[k] -= push;
          gj[k] += push;
        }
        row_stiffness += a;
        w[j] += a;
      }
      if (g == nullptr) continue;
      for (std::size_t k = 0; k < m; ++k) g[i * m + k] += row_gradient[k];
      w[i] += row_stiffness;
    }
    return total;
  }

  // The kernel for m columns: the exponent s = 2m by default, any other through the general
  // power.
  template <std::size_t kColumns>
  [[gnu::always_inline]] inline double block_energy_for(const double* x, std::size_t begin,
                                                        std::size_t end, double* g,
                                                        double* w) const {
    if (half_power_ == static_cast<int>(kColumns)) {
      return block_energy_of<kColumns, static_cast<int>(kColumns)>(x, begin, end, g, w);
    }
    return block_energy_of<kColumns, 0>(x, begin, end, g, w);
  }

  double block_energy(const double* x, std::size_t begin, std::size_t end, double* g,
                      double* w) const {
    return pair_loop(*this, x, begin, end, g, w);
  }

  // The pair loop for the row length at hand, the kernels inlined into it. Where the processor
  // has AVX2 (chosen by the feature, so on every maker's), four columns at a time; without
  // fused multiply-adds, so that every processor gives the same rows.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
  __attribute__((target_clones("avx2", "default")))
#endif
  friend double
  pair_loop(const PairEnergy& energy, const double* x, std::size_t begin, std::size_t end,
            double* g, double* w) {
    return with_row_length(
        energy.m_, [&](auto columns) __attribute__((always_inline)) {
          return energy.block_energy_for<columns()>(x, begin, end, g, w);
        });
  }

  void gather(double* gradient, double* stiffness) const {
    std::copy(block_gradient_.begin(), block_gradient_.begin() + static_cast<long>(n_ * m_),
              gradient);
    std::copy(block_stiffness_.begin(), block_stiffness_.begin() + static_cast<long>(n_),
              stiffness);
    for (std::size_t block = 1; block < blocks_; ++block) {
      const double* g = block_gradient_.data() + block * n_ * m_;
      const double* w = block_stiffness_.data() + block * n_;
      for (std::size_t v = 0; v < n_ * m_; ++v) gradient[v] += g[v];
      for (std::size_t i = 0; i < n_; ++i) stiffness[i] += w[i];
    }
  }

  // Rows split into blocks of about equal pair counts; the most pairs of a row.
  void split_blocks() {
    const std::size_t pairs = first_[n_];
    most_pairs_ = 0;
    for (std::size_t i = 0; i < n_; ++i)
      most_pairs_ = std::max(most_pairs_, first_[i + 1] - first_[i]);
    blocks_ = pairs >= kPairsForThreads ? kPairBlocks : 1;
    bounds_.assign(blocks_ + 1, n_);
    bounds_[0] = 0;
    for (std::size_t block = 1; block < blocks_; ++block) {
      const std::size_t wanted = pairs * block / blocks_;
      bounds_[block] = static_cast<std::size_t>(
          std::lower_bound(first_.begin(), first_.end(), wanted) - first_.begin());
      bounds_[block] = std::min(bounds_[block], n_);
    }
  }

  std::size_t n_, m_;
  double s_;
  int half_power_;
  double r2_ = 1, cutoff2_ = 1, list_radius2_ = 1, half_skin_ = 0;
  bool all_pairs_ = true;
  std::vector<unsigned> order_;
  std::vector<double> reference_;
  std::vector<std::size_t> first_;
  std::vector<unsigned> neighbours_;
  std::size_t blocks_ = 1;
  std::size_t most_pairs_ = 0;  // of a row
  std::vector<std::size_t> bounds_;
  std::vector<double> block_gradient_, block_stiffness_;
};

// Every free row's force: minus its gradient within the simplex's plane, divided by its
// stiffness (the diagonal of the Hessian, so that every row moves at the pace of its own
// neighbourhood); none for held rows. Returns the force's products with itself and with the
// velocity.
std::pair<double, double> row_forces(const double* gradient, const double* stiffness,
                                     const std::vector<char>& held, const double* velocity,
                                     double* force, std::size_t n, std::size_t m) {
  double force_force = 0;
  double force_velocity = 0;
  for (std::size_t i = 0; i < n; ++i) {
    double* fi = force + i * m;
    if (held[i] != 0 || !(stiffness[i] > 0)) {
      std::fill(fi, fi + m, 0.0);
      continue;
    }
    const double* gi = gradient + i * m;
    double mean = 0;
    for (std::size_t k = 0; k < m; ++k) mean += gi[k];
    mean /= static_cast<double>(m);
    for (std::size_t k = 0; k < m; ++k) {
      fi[k] = -(gi[k] - mean) / stiffness[i];
      force_force += fi[k] * fi[k];
      force_velocity += fi[k] * velocity[i * m + k];
    }
  }
  return {force_force, force_velocity};
}

// One step of the inertial descent: the velocity turned toward the force while the rows run
// downhill, stopped when they run uphill; then every free row moved and put back onto the
// simplex, its velocity what the move was.
class InertialStep {
 public:
  explicit InertialStep(std::size_t size) : velocity_(size, 0.0), force_(size) {}

  void move(double* x, const double* gradient, const double* stiffness,
            const std::vector<char>& held, std::size_t n, std::size_t m) {
    const auto [force_force, force_velocity] =
        row_forces(gradient, stiffness, held, velocity_.data(), force_.data(), n, m);
    if (force_velocity > 0) {
      double velocity_velocity = 0;
      for (double v : velocity_) velocity_velocity += v * v;
      const double turn =
          force_force > 0 ? mixing_ * std::sqrt(velocity_velocity / force_force) : 0;
      for (std::size_t k = 0; k < velocity_.size(); ++k) {
        velocity_[k] = (1 - mixing_) * velocity_[k] + turn * force_[k];
      }
      if (++downhill_ > kStepsBeforeGrowth) {
        dt_ = std::min(dt_ * kTimeStepGrowth, kLongestTimeStep);
        mixing_ *= kMixingDecay;
      }
    } else {
      std::fill(velocity_.begin(), velocity_.end(), 0.0);
      dt_ *= kTimeStepCut;
      mixing_ = kFirstMixing;
      downhill_ = 0;
    }
    with_row_length(m, [&](auto columns) { move_rows<columns()>(x, held, n, m); });
  }

 private:
  // Every free row moved along its velocity and put back onto the simplex.
  template <std::size_t kColumns>
  void move_rows(double* x, const std::vector<char>& held, std::size_t n, std::size_t columns) {
    const std::size_t m = kColumns > 0 ? kColumns : columns;
    std::array<double, 2 * kColumns> fixed{};
    if constexpr (kColumns == 0) buffer_.resize(2 * m);
    double* row = kColumns > 0 ? fixed.data() : buffer_.data();
    double* sorted = row + m;
    for (std::size_t i = 0; i < n; ++i) {
      if (held[i] != 0) continue;
      double* xi = x + i * m;
      double* vi = velocity_.data() + i * m;
      const double* fi = force_.data() + i * m;
      for (std::size_t k = 0; k < m; ++k) {
        vi[k] += dt_ * fi[k];
        row[k] = xi[k] + dt_ * vi[k];
      }
      project_onto_simplex<kColumns>(row, m, sorted);
      for (std::size_t k = 0; k < m; ++k) {
        vi[k] = (row[k] - xi[k]) / dt_;
        xi[k] = row[k];
      }
    }
  }

  std::vector<double> velocity_, force_, buffer_;
  double dt_ = kFirstTimeStep;
  double mixing_ = kFirstMixing;
  int downhill_ = 0;
};

// Candidates for the rows beyond the simplex lattice of level H: the points of a finer lattice,
// or none where even the next level would hold too many.
std::vector<double> finer_lattice(std::size_t m, int N, int H) {
  const double most = std::max(kCandidatesPerRow * N, kFewestCandidates);
  int level = kCandidateLevels * H;
  while (level > H + 1 && simplex_lattice_size(m, level) > most) --level;
  if (simplex_lattice_size(m, level) > most) return {};
  return simplex_lattice_points(m, level);
}

// N rows of the lattice carried onto the simplex, the vertices in their places: tglp's rows
// for n = N, the generating vector drawn from `random` among the units.
std::vector<double> lattice_rows_with_vertices(int m, int N, RandomSource& random) {
  WeightSet set{
      .rows = static_cast<std::size_t>(N),
      .columns = static_cast<std::size_t>(m),
      .values = allocate_values(static_cast<std::size_t>(N) * static_cast<std::size_t>(m))};
  const VectorChoice choice = choose_generating_vector(
      m - 1, N, tglp_candidate,
      VectorDraw{
          .random = random, .candidates = 1, .test = ComponentTest::kUnit, .on_simplex = true},
      no_observer());
  FillingSink sink(set.values.data());
  lattice_simplex_rows(choice.h, N, sink, no_observer());
  place_vertices(set);
  return {set.values.begin(), set.values.end()};
}

// Rows added to a set, each time the candidate farthest from every row so far; among candidates
// equally far (a lattice's symmetry makes many), the first in an order drawn from `random`.
// A row reaches the candidates whose first component lies within the largest distance to a row
// at the time it is taken: nothing farther can come closer. A candidate learns of the rows
// taken since it was last looked at only when it may be among the farthest: its distance then
// is at most what it was, so that the candidates wait in a heap by the distance they last had,
// and those that may be the farthest are the top of the heap.
class FarthestInsertion {
 public:
  // Candidates beside the simplex lattice of level H, every point of which is a row.
  FarthestInsertion(const std::vector<double>& candidates, std::size_t m, int H,
                    RandomSource& random)
      : m_(m), count_(candidates.size() / m), nearest_(count_), seen_(count_, 0), rank_(count_) {
    // By first component: the keys beside their candidates, so that the sort reads them in
    // order (the same order as sorting the candidates by key).
    std::vector<std::pair<double, std::size_t>> order(count_);
    for (std::size_t c = 0; c < count_; ++c) order[c] = {candidates[c * m], c};
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    points_.resize(candidates.size());
    first_.resize(count_);
    heap_.resize(count_);
    for (std::size_t c = 0; c < count_; ++c) {
      std::copy_n(candidates.begin() + static_cast<long>(order[c].second * m), m,
                  points_.begin() + static_cast<long>(c * m));
      first_[c] = points_[c * m];
      nearest_[c] = squared_distance_to_simplex_lattice(points_.data() + c * m, m, H);
      rank_[c] = c;
      heap_[c] = c;
    }
    for (std::size_t place = count_ / 2; place > 0; --place) sift_down(place - 1);
    for (std::size_t c = count_; c > 1; --c) {
      std::swap(rank_[c - 1], rank_[static_cast<std::size_t>(random.next()) % c]);
    }
  }

  // The farthest candidate, which becomes a row of the set.
  const double* take() {
    // The farthest distance: the top brought up to date until it stays on top.
    while (seen_[heap_[0]] != taken_.size()) {
      const double last = nearest_[heap_[0]];
      if (bring_up_to_date(heap_[0]) < last) sift_down(0);
    }
    const double farthest = nearest_[heap_[0]];
    // Every candidate as far, within the tolerance, lasts as far in the heap: the top of it,
    // walked from the root. Those that came nearer go down in turn, the deepest first, so that
    // each goes down among a heap in order.
    const double least = farthest * (1 - 1e-9);
    std::size_t chosen = count_;
    std::vector<std::size_t> walk{0};
    std::vector<std::size_t> came_nearer;
    while (!walk.empty()) {
      const std::size_t place = walk.back();
      walk.pop_back();
      const std::size_t c = heap_[place];
      if (!(nearest_[c] >= least)) continue;
      const double last = nearest_[c];
      if (bring_up_to_date(c) < last) came_nearer.push_back(place);
      if (nearest_[c] >= least && (chosen == count_ || rank_[c] < rank_[chosen])) chosen = c;
      for (std::size_t child = 2 * place + 1; child <= 2 * place + 2 && child < count_; ++child) {
        walk.push_back(child);
      }
    }
    std::sort(came_nearer.begin(), came_nearer.end(), std::greater<>());
    for (std::size_t place : came_nearer) sift_down(place);
    const double* row = points_.data() + chosen * m_;
    const double reach = std::sqrt(farthest);
    taken_.push_back({row, row[0] - reach, row[0] + reach});
    return row;
  }

 private:
  struct Taken {
    const double* row;
    double low, high;  // the first components it reaches
  };

  // Candidate c's squared distance to the nearest row, the rows taken since it was last looked
  // at included.
  double bring_up_to_date(std::size_t c) {
    const double* point = points_.data() + c * m_;
    for (std::size_t t = seen_[c]; t < taken_.size(); ++t) {
      if (first_[c] >= taken_[t].low && first_[c] <= taken_[t].high) {
        nearest_[c] = std::min(nearest_[c], squared_distance(taken_[t].row, point, m_));
      }
    }
    seen_[c] = taken_.size();
    return nearest_[c];
  }

  // The candidate at `place` moved down the heap (children 2 place + 1 and 2 place + 2) until
  // neither child's last distance is larger.
  void sift_down(std::size_t place) {
    while (true) {
      std::size_t largest = place;
      for (std::size_t child = 2 * place + 1; child <= 2 * place + 2 && child < count_; ++child) {
        if (nearest_[heap_[child]] > nearest_[heap_[largest]]) largest = child;
      }
      if (largest == place) return;
      std::swap(heap_[place], heap_[largest]);
      place = largest;
    }
  }

  std::size_t m_, count_;
  std::vector<double> nearest_, points_, first_;
  std::vector<std::size_t> seen_;  // rows taken that nearest_ knows of
  std::vector<std::size_t> rank_;
  std::vector<std::size_t> heap_;  // candidates, by the distance they last had
  std::vector<Taken> taken_;
};

}  // namespace

WeightSet energy_start(int m, int N, RandomSource& random) {
  const std::size_t rows = static_cast<std::size_t>(N);
  const std::size_t columns = static_cast<std::size_t>(m);
  WeightSet set{.rows = rows, .columns = columns, .values = allocate_values(rows * columns)};
  const int H = largest_simplex_level(columns, static_cast<double>(N));
  const std::vector<double> lattice = simplex_lattice_points(columns, H);
  std::copy(lattice.begin(), lattice.end(), set.values.data());
  std::size_t chosen = lattice.size() / columns;
  if (chosen == rows) return set;
  std::vector<double> candidates = finer_lattice(columns, N, H);
  if (candidates.empty()) candidates = lattice_rows_with_vertices(m, N, random);
  FarthestInsertion insertion(candidates, columns, H, random);
  for (; chosen < rows; ++chosen) {
    std::copy_n(insertion.take(), columns, set.values.data() + chosen * columns);
  }
  return set;
}

namespace {

// The sum of (r / d)^s over all pairs, r^2 = r2, with the row length and the half exponent known
// to the compiler where they are small and s = 2m.
template <std::size_t kColumns, int kHalfPower>
double sum_of_terms(const double* values, std::size_t rows, std::size_t columns, double r2,
                    double s) {
  const std::size_t m = kColumns > 0 ? kColumns : columns;
  const int half_power = half_power_of(s);
  double sum = 0;
  CancelCheck check(64);
  for (std::size_t i = 0; i < rows; ++i) {
    check();
    const double* xi = values + i * m;
    for (std::size_t j = i + 1; j < rows; ++j) {
      const double d2 = squared_distance(xi, values + j * m, m);
      if constexpr (kHalfPower > 0) {
        sum += power_of<kHalfPower>(r2 / d2);
      } else {
        sum += relative_term(d2 / r2, s, half_power);
      }
    }
  }
  return sum;
}

template <std::size_t kColumns>
double sum_of_terms_for(const double* values, std::size_t rows, double r2, double s) {
  if (half_power_of(s) == static_cast<int>(kColumns)) {
    return sum_of_terms<kColumns, static_cast<int>(kColumns)>(values, rows, kColumns, r2, s);
  }
  return sum_of_terms<kColumns, 0>(values, rows, kColumns, r2, s);
}

double sum_of_all_terms(const double* values, std::size_t rows, std::size_t m, double r2,
                        double s) {
  switch (m) {
    case 2:
      return sum_of_terms_for<2>(values, rows, r2, s);
    case 3:
      return sum_of_terms_for<3>(values, rows, r2, s);
    case 5:
      return sum_of_terms_for<5>(values, rows, r2, s);
    case 8:
      return sum_of_terms_for<8>(values, rows, r2, s);
    case 10:
      return sum_of_terms_for<10>(values, rows, r2, s);
    default:
      return sum_of_terms<0, 0>(values, rows, m, r2, s);
  }
}

}  // namespace

double riesz_energy(const double* values, std::size_t rows, std::size_t m, double s) {
  if (rows < 2) return 0;
  const double r2 = closest_squared_distance(values, rows, m);
  if (!(r2 > 0)) return std::numeric_limits<double>::infinity();
  const double sum = sum_of_all_terms(values, rows, m, r2, s);
  const double pairs = 0.5 * static_cast<double>(rows) * static_cast<double>(rows - 1);
  return std::log(sum / pairs) - s / 2 * std::log(r2);
}

DescentOutcome descend(double* values, std::size_t rows, std::size_t m, double s,
                       DescentProgress* progress) {
  const double start_energy = riesz_energy(values, rows, m, s);
  if (rows < 2 || !std::isfinite(start_energy)) return {start_energy, start_energy, 0};
  const std::size_t size = rows * m;
  const std::vector<double> first(values, values + size);
  std::vector<char> held(rows);
  for (std::size_t i = 0; i < rows; ++i) held[i] = is_vertex(values + i * m, m) ? 1 : 0;

  PairEnergy pair_energy(rows, m, s);
  pair_energy.list_neighbours(values);
  std::vector<double> gradient(size), stiffness(rows), least(first);
  double least_energy =
      pair_energy.log_mean(pair_energy.evaluate(values, gradient.data(), stiffness.data()));
  // The least energy kStallSteps steps ago, and since, as a ring.
  std::vector<double> window(kStallSteps, std::numeric_limits<double>::infinity());
  InertialStep inertial(size);
  int steps = 0;
  while (steps < kMaxDescentSteps) {
    inertial.move(values, gradient.data(), stiffness.data(), held, rows, m);
    if (pair_energy.lists_stale(values)) pair_energy.list_neighbours(values);
    const double energy =
        pair_energy.log_mean(pair_energy.evaluate(values, gradient.data(), stiffness.data()));
    if (energy < least_energy) {
      least_energy = energy;
      std::copy(values, values + size, least.begin());
    }
    double& then = window[static_cast<std::size_t>(steps) % kStallSteps];
    ++steps;
    if (progress != nullptr) progress->step(steps, least_energy);
    if (then - least_energy < kStall) break;
    then = least_energy;
  }
  std::copy(least.begin(), least.end(), values);
  const double final_energy = riesz_energy(values, rows, m, s);
  if (!(final_energy <= start_energy)) {
    std::copy(first.begin(), first.end(), values);
    return {start_energy, start_energy, steps};
  }
  return {start_energy, final_energy, steps};
}

void check_energy_arguments(int m, int N, double s) {
  if (m < 2 || m > kMaxLatticeDimension) {
    throw InvalidArgument(range_message("the number of objectives", 2, kMaxLatticeDimension));
  }
  if (N < std::max(m, kMinSamples) || N > kMaxSamples) {
    throw InvalidArgument(
        range_message("the number of weight vectors", std::max(m, kMinSamples), kMaxSamples));
  }
  if (!(s > 0) || !std::isfinite(s)) {
    throw InvalidArgument("Error... the exponent should be a positive number\n");
  }
}

EnergySet energy_set(int m, int N, RandomSource& random, double s, DescentProgress* progress) {
  check_energy_arguments(m, N, s);
  WeightSet set = energy_start(m, N, random);
  const DescentOutcome outcome = descend(set.values.data(), set.rows, set.columns, s, progress);
  return {std::move(set), outcome};
}

}  // namespace simplex_weights::detail
