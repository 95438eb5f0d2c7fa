#include "constructions/energy_set.h"

#include <algorithm>
#include <array>
#include <cmath>
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
// The step: momentum kept from one step to the next, and the step's share of the move that
// the diagonal of the Hessian suggests, grown after a step that lowers the energy.
constexpr double kMomentum = 0.8;
constexpr double kFirstStep = 0.5;
constexpr double kLeastStep = 1e-9;

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

int half_power_of(double s) {
  const double half = s / 2;
  return half == std::floor(half) && half >= 1 && half <= 64 ? static_cast<int>(half) : 0;
}

// The least squared distance between two rows, over all pairs.
double least_squared_distance(const double* x, std::size_t n, std::size_t m) {
  double least = std::numeric_limits<double>::infinity();
  CancelCheck check(64);
  for (std::size_t i = 0; i < n; ++i) {
    check();
    for (std::size_t j = i + 1; j < n; ++j) {
      least = std::min(least, squared_distance(x + i * m, x + j * m, m));
    }
  }
  return least;
}

// The Euclidean projection of a point onto the simplex (components >= 0 summing to 1).
void project_onto_simplex(double* v, std::size_t m, std::vector<double>& sorted) {
  sorted.assign(v, v + m);
  std::sort(sorted.begin(), sorted.end(), std::greater<>());
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
    // The closest pair now is within the old lists' radius: no row has moved by more than
    // half the skin since, so the old closest pair is at most 1.3 times as far apart.
    r2_ = have_lists_ ? least_within(x, list_radius2_) : least_squared_distance(x, n_, m_);
    have_lists_ = true;
    const double cut = std::pow(kNeglectedTerm, -1 / s_);  // (r / cut-off)^s = kNeglectedTerm
    cutoff2_ = r2_ * cut * cut;
    const double skin = 0.3 * std::sqrt(r2_);
    list_radius2_ = std::pow(std::sqrt(cutoff2_) + skin, 2);
    half_skin_ = skin / 2;
    reference_.assign(x, x + n_ * m_);
    all_pairs_ = !list_pairs_within(x, list_radius2_);
    if (all_pairs_) {
      std::vector<unsigned>().swap(neighbours_);
      first_.assign(n_ + 1, 0);
      for (std::size_t i = 0; i < n_; ++i) first_[i + 1] = first_[i] + (n_ - 1 - i);
    }
    split_blocks();
  }

  // Whether some row moved so far from where the lists were made that they may miss a pair.
  bool lists_stale(const double* x) const {
    if (all_pairs_) return false;
    const double limit = half_skin_ * half_skin_;
    for (std::size_t i = 0; i < n_; ++i) {
      if (squared_distance(x + i * m_, reference_.data() + i * m_, m_) > limit) return true;
    }
    return false;
  }

  // log of the mean of d^-s over all pairs, from a sum of evaluate(...).
  double log_mean(double sum) const {
    const double pairs = 0.5 * static_cast<double>(n_) * static_cast<double>(n_ - 1);
    return std::log(sum / pairs) - s_ / 2 * std::log(r2_);
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
  void sort_by_first_component(const double* x) {
    order_.resize(n_);
    for (std::size_t i = 0; i < n_; ++i) order_[i] = static_cast<unsigned>(i);
    std::sort(order_.begin(), order_.end(), [&](unsigned a, unsigned b) {
      return x[a * m_] < x[b * m_] || (x[a * m_] == x[b * m_] && a < b);
    });
  }

  // Visits every pair closer than sqrt(radius2), sweeping the rows in the order of their
  // first component: a pair's distance is at least the difference of its first components.
  template <typename Visit>
  void sweep_pairs(const double* x, double radius2, Visit visit) const {
    const double radius = std::sqrt(radius2);
    CancelCheck check(64);
    for (std::size_t a = 0; a < n_; ++a) {
      check();
      const std::size_t i = order_[a];
      for (std::size_t b = a + 1; b < n_; ++b) {
        const std::size_t j = order_[b];
        if (x[j * m_] - x[i * m_] >= radius) break;
        const double d2 = squared_distance(x + i * m_, x + j * m_, m_);
        if (d2 < radius2 && !visit(std::min(i, j), std::max(i, j), d2)) return;
      }
    }
  }

  double least_within(const double* x, double radius2) const {
    double least = radius2;
    sweep_pairs(x, radius2, [&](std::size_t, std::size_t, double d2) {
      least = std::min(least, d2);
      return true;
    });
    return least;
  }

  // The pairs within the radius, by their first row; false when they would exceed the lists'
  // room.
  bool list_pairs_within(const double* x, double radius2) {
    std::vector<std::pair<unsigned, unsigned>> pairs;
    const std::size_t room = kMostNeighbours * n_;
    bool fits = true;
    sweep_pairs(x, radius2, [&](std::size_t i, std::size_t j, double) {
      pairs.emplace_back(static_cast<unsigned>(i), static_cast<unsigned>(j));
      fits = pairs.size() <= room;
      return fits;
    });
    if (!fits) return false;
    std::sort(pairs.begin(), pairs.end());
    first_.assign(n_ + 1, 0);
    neighbours_.resize(pairs.size());
    for (std::size_t p = 0; p < pairs.size(); ++p) {
      ++first_[pairs[p].first + 1];
      neighbours_[p] = pairs[p].second;
    }
    for (std::size_t i = 0; i < n_; ++i) first_[i + 1] += first_[i];
    return true;
  }

  // The pair loop with the row length known to the compiler where it is small (kColumns > 0),
  // which lets it keep a pair's differences in registers; the same sums in the same order.
  template <std::size_t kColumns>
  double block_energy_of(const double* x, std::size_t begin, std::size_t end, double* g,
                         double* w) const {
    const std::size_t m = kColumns > 0 ? kColumns : m_;
    if (g != nullptr) {
      std::fill(g, g + n_ * m, 0.0);
      std::fill(w, w + n_, 0.0);
    }
    double total = 0;
    std::vector<double> buffer(kColumns > 0 ? 0 : m);
    std::array<double, kColumns + 1> fixed{};
    double* difference = kColumns > 0 ? fixed.data() : buffer.data();
    CancelCheck check(16);
    for (std::size_t i = begin; i < end; ++i) {
      check();
      const double* xi = x + i * m;
      const std::size_t pairs = first_[i + 1] - first_[i];
      for (std::size_t p = 0; p < pairs; ++p) {
        const std::size_t j = all_pairs_ ? i + 1 + p : neighbours_[first_[i] + p];
        const double* xj = x + j * m;
        double d2 = 0;
        for (std::size_t k = 0; k < m; ++k) {
          difference[k] = xi[k] - xj[k];
          d2 += difference[k] * difference[k];
        }
        if (d2 >= cutoff2_) continue;
        const double term = relative_term(d2 / r2_, s_, half_power_);
        total += term;
        if (g == nullptr) continue;
        const double a = s_ * term / d2;
        for (std::size_t k = 0; k < m; ++k) {
          g[i * m + k] -= a * difference[k];
          g[j * m + k] += a * difference[k];
        }
        w[i] += a;
        w[j] += a;
      }
    }
    return total;
  }

  double block_energy(const double* x, std::size_t begin, std::size_t end, double* g,
                      double* w) const {
    switch (m_) {
      case 2:
        return block_energy_of<2>(x, begin, end, g, w);
      case 3:
        return block_energy_of<3>(x, begin, end, g, w);
      case 4:
        return block_energy_of<4>(x, begin, end, g, w);
      case 5:
        return block_energy_of<5>(x, begin, end, g, w);
      case 6:
        return block_energy_of<6>(x, begin, end, g, w);
      case 8:
        return block_energy_of<8>(x, begin, end, g, w);
      case 10:
        return block_energy_of<10>(x, begin, end, g, w);
      default:
        return block_energy_of<0>(x, begin, end, g, w);
    }
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

  // Rows split into blocks of about equal pair counts.
  void split_blocks() {
    const std::size_t pairs = first_[n_];
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
  bool have_lists_ = false;
  std::vector<unsigned> order_;
  std::vector<double> reference_;
  std::vector<std::size_t> first_;
  std::vector<unsigned> neighbours_;
  std::size_t blocks_ = 1;
  std::vector<std::size_t> bounds_;
  std::vector<double> block_gradient_, block_stiffness_;
};

// One step of every free row: along its share of the projected gradient, divided by its
// stiffness, plus the momentum kept, then back onto the simplex.
void take_step(const double* x, const double* gradient, const double* stiffness,
               const std::vector<char>& held, double step, std::vector<double>& velocity, double* y,
               std::size_t n, std::size_t m) {
  std::vector<double> sorted;
  for (std::size_t i = 0; i < n; ++i) {
    const double* xi = x + i * m;
    double* yi = y + i * m;
    double* vi = velocity.data() + i * m;
    if (held[i] != 0 || stiffness[i] <= 0) {
      std::copy(xi, xi + m, yi);
      std::fill(vi, vi + m, 0.0);
      continue;
    }
    const double* gi = gradient + i * m;
    double mean = 0;
    for (std::size_t k = 0; k < m; ++k) mean += gi[k];
    mean /= static_cast<double>(m);
    for (std::size_t k = 0; k < m; ++k) {
      vi[k] = kMomentum * vi[k] - step * (gi[k] - mean) / stiffness[i];
      yi[k] = xi[k] + vi[k];
    }
    project_onto_simplex(yi, m, sorted);
    for (std::size_t k = 0; k < m; ++k) vi[k] = yi[k] - xi[k];
  }
}

}  // namespace

double riesz_energy(const double* values, std::size_t rows, std::size_t m, double s) {
  if (rows < 2) return 0;
  const double r2 = least_squared_distance(values, rows, m);
  if (!(r2 > 0)) return std::numeric_limits<double>::infinity();
  const int half_power = half_power_of(s);
  double sum = 0;
  CancelCheck check(64);
  for (std::size_t i = 0; i < rows; ++i) {
    check();
    for (std::size_t j = i + 1; j < rows; ++j) {
      sum += relative_term(squared_distance(values + i * m, values + j * m, m) / r2, s, half_power);
    }
  }
  const double pairs = 0.5 * static_cast<double>(rows) * static_cast<double>(rows - 1);
  return std::log(sum / pairs) - s / 2 * std::log(r2);
}

DescentOutcome descend(double* values, std::size_t rows, std::size_t m, double s,
                       DescentProgress* progress, int start, int starts) {
  const double start_energy = riesz_energy(values, rows, m, s);
  if (rows < 2 || !std::isfinite(start_energy)) return {start_energy, start_energy, 0};
  const std::size_t size = rows * m;
  const std::vector<double> first(values, values + size);
  std::vector<char> held(rows);
  for (std::size_t i = 0; i < rows; ++i) held[i] = is_vertex(values + i * m, m) ? 1 : 0;

  PairEnergy pair_energy(rows, m, s);
  pair_energy.list_neighbours(values);

  std::vector<double> gradient(size), stiffness(rows), trial(size), trial_gradient(size),
      trial_stiffness(rows), velocity(size, 0.0);
  double energy = pair_energy.evaluate(values, gradient.data(), stiffness.data());
  double step = kFirstStep;
  double mark = pair_energy.log_mean(energy);
  int accepted = 0;
  while (accepted < kMaxDescentSteps && step > kLeastStep) {
    take_step(values, gradient.data(), stiffness.data(), held, step, velocity, trial.data(), rows,
              m);
    const double trial_energy =
        pair_energy.evaluate(trial.data(), trial_gradient.data(), trial_stiffness.data());
    if (!(trial_energy < energy)) {
      std::fill(velocity.begin(), velocity.end(), 0.0);
      step *= 0.7;
      continue;
    }
    std::copy(trial.begin(), trial.end(), values);
    gradient.swap(trial_gradient);
    stiffness.swap(trial_stiffness);
    energy = trial_energy;
    step = std::min(step * 1.1, 1.0);
    ++accepted;
    const double log_energy = pair_energy.log_mean(energy);
    if (progress != nullptr) progress->step(start, starts, accepted, log_energy);
    if (accepted % kStallSteps == 0) {
      if (mark - log_energy < kStall) break;
      mark = log_energy;
    }
    if (pair_energy.lists_stale(values)) {
      pair_energy.list_neighbours(values);
      energy = pair_energy.evaluate(values, gradient.data(), stiffness.data());
    }
  }
  const double final_energy = riesz_energy(values, rows, m, s);
  if (!(final_energy <= start_energy)) {
    std::copy(first.begin(), first.end(), values);
    return {start_energy, start_energy, accepted};
  }
  return {start_energy, final_energy, accepted};
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
  const std::size_t rows = static_cast<std::size_t>(N);
  const std::size_t columns = static_cast<std::size_t>(m);
  EnergySet best;
  const int starts = energy_starts(N);
  for (int start = 0; start < starts; ++start) {
    WeightSet set{.rows = rows, .columns = columns, .values = allocate_values(rows * columns)};
    const VectorChoice choice = choose_generating_vector(
        m - 1, N, tglp_candidate,
        VectorDraw{
            .random = random, .candidates = 1, .test = ComponentTest::kUnit, .on_simplex = true},
        no_observer());
    FillingSink sink(set.values.data());
    lattice_simplex_rows(choice.h, N, sink, no_observer());
    place_vertices(set);
    const DescentOutcome outcome =
        descend(set.values.data(), rows, columns, s, progress, start, starts);
    if (best.set.rows == 0 || outcome.energy < best.outcome.energy) {
      best = {std::move(set), outcome};
    }
  }
  return best;
}

}  // namespace simplex_weights::detail
