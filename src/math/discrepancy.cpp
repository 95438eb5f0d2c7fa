#include "math/discrepancy.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "simplex_weights/figures.h"
#include "support/cancel.h"
#include "support/memory.h"

namespace simplex_weights::detail {
namespace {

// The pair kernel runs on whole blocks of points so that it vectorises; the padding's terms are
// left out of the sums.
constexpr std::size_t kBlock = 256;

// Kahan's compensated sum, for the n row sums.
struct CompensatedSum {
  double sum = 0;
  double lost = 0;
  void add(double x) {
    const double y = x - lost;
    const double t = sum + y;
    lost = (t - sum) - y;
    sum = t;
  }
};

// The columns the pair terms read, halved (exactly: halving only moves the exponent) so that
// a term takes two fewer multiplications: |x - 1/2| / 2 and x / 2.
struct HalvedColumns {
  std::size_t n, s, stride;
  std::vector<double> centred, values;
};

// The products of pair_block for kDims columns, each point's product kept in a register over
// its columns rather than in memory.
template <std::size_t kDims>
[[gnu::always_inline]] inline void pair_products(const HalvedColumns& halved, std::size_t i,
                                                 std::size_t block, double* __restrict products) {
  const std::size_t stride = halved.stride;
  std::array<double, kDims> own{};
  std::array<double, kDims> x{};
  std::array<const double*, kDims> z{};
  std::array<const double*, kDims> value{};
  for (std::size_t k = 0; k < kDims; ++k) {
    own[k] = 1.0 + halved.centred[k * stride + i];
    x[k] = halved.values[k * stride + i];
    z[k] = halved.centred.data() + k * stride + block;
    value[k] = halved.values.data() + k * stride + block;
  }
  for (std::size_t j = 0; j < kBlock; ++j) {
    double product = 1.0;
    for (std::size_t k = 0; k < kDims; ++k) {
      product *= own[k] + z[k][j] - std::fabs(x[k] - value[k][j]);
    }
    products[j] = product;
  }
}

// prod_k (1 + |z_ik|/2 + |z_jk|/2 - |x_ik - x_jk|/2) for the kBlock points j from `block` on,
// z = x - 1/2.
[[gnu::always_inline]] inline void pair_block(const HalvedColumns& halved, std::size_t i,
                                              std::size_t block, double* __restrict products) {
  switch (halved.s) {
    case 3:
      return pair_products<3>(halved, i, block, products);
    case 4:
      return pair_products<4>(halved, i, block, products);
    case 5:
      return pair_products<5>(halved, i, block, products);
    case 6:
      return pair_products<6>(halved, i, block, products);
    case 7:
      return pair_products<7>(halved, i, block, products);
    case 8:
      return pair_products<8>(halved, i, block, products);
    case 9:
      return pair_products<9>(halved, i, block, products);
    default:
      break;
  }
  const std::size_t stride = halved.stride;
  for (std::size_t j = 0; j < kBlock; ++j) products[j] = 1.0;
  for (std::size_t k = 0; k < halved.s; ++k) {
    const double* __restrict z = halved.centred.data() + k * stride + block;
    const double* __restrict value = halved.values.data() + k * stride + block;
    const double own = 1.0 + halved.centred[k * stride + i];
    const double x = halved.values[k * stride + i];
    for (std::size_t j = 0; j < kBlock; ++j) products[j] *= own + z[j] - std::fabs(x - value[j]);
  }
}

// From this many points on, a search's candidates are costly: sets of the plane take the pair
// sum in O(n log n), other sets sum a block's terms in eight running sums, which need not wait
// on one another (smaller sets keep the one sum in order, and so their every last bit).
constexpr std::size_t kLargeSet = 2000;

// The terms products[from .. to) summed in eight interleaved running sums.
[[gnu::always_inline]] inline double interleaved_sum(const double* products, std::size_t from,
                                                     std::size_t to) {
  std::array<double, 8> lanes{};
  std::size_t j = from;
  for (; j + 8 <= to; j += 8) {
    for (std::size_t lane = 0; lane < 8; ++lane) lanes[lane] += products[j + lane];
  }
  for (; j < to; ++j) lanes[0] += products[j];
  return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) +
         ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}

// `row` plus the pair terms of point i with every later point, block by block. Where the
// processor has AVX2 (chosen by the feature, not by the processor's model, so on every maker's),
// four terms at a time; without fused multiply-adds, so that every processor gives the same
// bits.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
__attribute__((target_clones("avx2", "default")))
#endif
double
row_pair_sum(const HalvedColumns& halved, std::size_t i, double row) {
  const std::size_t n = halved.n;
  double products[kBlock];
  for (std::size_t block = (i + 1) / kBlock * kBlock; block < n; block += kBlock) {
    pair_block(halved, i, block, products);
    const std::size_t from = block > i ? 0 : i + 1 - block;
    const std::size_t to = n - block < kBlock ? n - block : kBlock;
    double part = 0;
    if (n >= kLargeSet) {
      part = interleaved_sum(products, from, to);
    } else {
      for (std::size_t j = from; j < to; ++j) part += products[j];
    }
    row += part;
  }
  return row;
}

// The four sums a point needs of a set of points j: of 1, x_j1, x_j2 and x_j1 x_j2.
struct Moments {
  double one = 0, first = 0, second = 0, both = 0;
  void add(const Moments& other) {
    one += other.one;
    first += other.first;
    second += other.second;
    both += other.both;
  }
};

// For every point i, the moments of the points j at or below it by `key` (key_j <= key_i):
// the points in the key's order, a run of equal keys sharing its sums.
std::vector<Moments> moments_below(const double* key, const double* x1, const double* x2,
                                   std::size_t n) {
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return key[a] < key[b]; });
  std::vector<Moments> below(n);
  Moments sum;
  for (std::size_t a = 0; a < n;) {
    std::size_t b = a;
    for (; b < n && key[order[b]] == key[order[a]]; ++b) {
      const std::size_t j = order[b];
      sum.add({1, x1[j], x2[j], x1[j] * x2[j]});
    }
    for (; a < b; ++a) below[order[a]] = sum;
  }
  return below;
}

// For every point, the moments of the points j with x_j1 <= x_i1 and x_j2 <= x_i2: the points
// taken in the order of their first column, a Fenwick tree over the ranks of the second.
std::vector<Moments> dominated_moments(const double* x1, const double* x2, std::size_t n) {
  std::vector<double> values(x2, x2 + n);
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return x1[a] < x1[b]; });
  std::vector<Moments> tree(values.size() + 1);
  const auto rank = [&](std::size_t i) {  // 1 ..
    return static_cast<std::size_t>(std::lower_bound(values.begin(), values.end(), x2[i]) -
                                    values.begin()) +
           1;
  };
  std::vector<Moments> dominated(n);
  CancelCheck check(1024);
  for (std::size_t a = 0; a < n;) {
    check();
    std::size_t b = a;  // points of equal first column dominate one another
    for (; b < n && x1[order[b]] == x1[order[a]]; ++b) {
      const std::size_t i = order[b];
      const Moments own{1, x1[i], x2[i], x1[i] * x2[i]};
      for (std::size_t r = rank(i); r < tree.size(); r += r & (~r + 1)) tree[r].add(own);
    }
    for (; a < b; ++a) {
      Moments below;
      for (std::size_t r = rank(order[a]); r > 0; r -= r & (~r + 1)) below.add(tree[r]);
      dominated[order[a]] = below;
    }
  }
  return dominated;
}

// The pair sum sum_i sum_j K(x_i, x_j) of two columns in O(n log n): with p = 1/2 + |z|/2 and
// D = |x_i - x_j| / 2, K = (p_i1 + p_j1 - D_1)(p_i2 + p_j2 - D_2) expands into separable sums,
// sums of |x_ik - x_jk| over one column (from its order), and sum_j |x_i1 - x_j1||x_i2 - x_j2|,
// which splits by the signs of the two differences into the four quadrants about x_i, each a
// sum of products of x_i's and x_j's coordinates: all from the moments of the dominated points
// and of the points below in either column.
double plane_pair_sum(const ColumnPoints& points, const std::vector<double>& centred) {
  const std::size_t n = points.size();
  const std::size_t stride = points.stride();
  const double* x1 = points.column(0);
  const double* x2 = points.column(1);
  const std::vector<Moments> below1 = moments_below(x1, x1, x2, n);
  const std::vector<Moments> below2 = moments_below(x2, x1, x2, n);
  const std::vector<Moments> dominated = dominated_moments(x1, x2, n);
  const double count = static_cast<double>(n);
  CompensatedSum total_first, total_second, total_both, total_p1, total_p2, total_pp;
  for (std::size_t i = 0; i < n; ++i) {
    total_first.add(x1[i]);
    total_second.add(x2[i]);
    total_both.add(x1[i] * x2[i]);
    const double p1 = 0.5 + 0.5 * centred[i];
    const double p2 = 0.5 + 0.5 * centred[stride + i];
    total_p1.add(p1);
    total_p2.add(p2);
    total_pp.add(p1 * p2);
  }
  const Moments all{count, total_first.sum, total_second.sum, total_both.sum};
  CompensatedSum sum;
  sum.add(2 * count * total_pp.sum + 2 * total_p1.sum * total_p2.sum);
  for (std::size_t i = 0; i < n; ++i) {
    const double p1 = 0.5 + 0.5 * centred[i];
    const double p2 = 0.5 + 0.5 * centred[stride + i];
    const Moments& low1 = below1[i];
    const Moments& low2 = below2[i];
    // sum_j |x_ik - x_jk|, from the points at or below x_ik and the rest.
    const double apart1 = x1[i] * (2 * low1.one - count) - 2 * low1.first + all.first;
    const double apart2 = x2[i] * (2 * low2.one - count) - 2 * low2.second + all.second;
    // Signed moments: + in the quadrants below-left and above-right of x_i, - in the others:
    // 4 (dominated) + (all) - 2 (below in column 1) - 2 (below in column 2).
    const auto signed_moment = [&](double Moments::*part) {
      return 4 * (dominated[i].*part) + all.*part - 2 * (low1.*part) - 2 * (low2.*part);
    };
    const double products = x1[i] * x2[i] * signed_moment(&Moments::one) -
                            x1[i] * signed_moment(&Moments::second) -
                            x2[i] * signed_moment(&Moments::first) + signed_moment(&Moments::both);
    sum.add(-p1 * apart2 - p2 * apart1 + 0.25 * products);
  }
  return sum.sum;
}

}  // namespace

ColumnPoints::ColumnPoints(std::size_t n, std::size_t s)
    : n_(n),
      s_(s),
      stride_((n + kBlock - 1) / kBlock * kBlock),
      values_(allocate<double>(stride_ * s)) {}

double centred_l2_discrepancy(const ColumnPoints& points) {
  const std::size_t n = points.size();
  const std::size_t s = points.dimension();
  const std::size_t stride = points.stride();
  std::vector<double> centred = allocate<double>(stride * s);
  for (std::size_t k = 0; k < s; ++k) {
    for (std::size_t i = 0; i < n; ++i)
      centred[k * stride + i] = std::fabs(points.column(k)[i] - 0.5);
  }
  if (s == 2 && n >= kLargeSet) {
    CompensatedSum singles;
    for (std::size_t i = 0; i < n; ++i) {
      double single = 1.0;
      for (std::size_t k = 0; k < s; ++k) {
        const double z = centred[k * stride + i];
        single *= 1.0 + 0.5 * z - 0.5 * z * z;
      }
      singles.add(single);
    }
    const double count = static_cast<double>(n);
    return std::pow(13.0 / 12.0, 2.0) - 2.0 / count * singles.sum +
           plane_pair_sum(points, centred) / (count * count);
  }
  HalvedColumns halved{.n = n,
                       .s = s,
                       .stride = stride,
                       .centred = allocate<double>(stride * s),
                       .values = allocate<double>(stride * s)};
  for (std::size_t k = 0; k < s; ++k) {
    for (std::size_t i = 0; i < stride; ++i) {
      halved.centred[k * stride + i] = 0.5 * centred[k * stride + i];
      halved.values[k * stride + i] = 0.5 * points.column(k)[i];
    }
  }
  CompensatedSum singles;
  CompensatedSum pairs;
  CancelCheck check(16);
  for (std::size_t i = 0; i < n; ++i) {
    check();
    double single = 1.0;
    double self = 1.0;  // the pair term of j = i
    for (std::size_t k = 0; k < s; ++k) {
      const double z = centred[k * stride + i];
      single *= 1.0 + 0.5 * z - 0.5 * z * z;
      self *= 1.0 + z;
    }
    singles.add(single);
    pairs.add(row_pair_sum(halved, i, 0.5 * self));
  }
  const double count = static_cast<double>(n);
  return std::pow(13.0 / 12.0, static_cast<double>(s)) - 2.0 / count * singles.sum +
         2.0 / (count * count) * pairs.sum;
}

}  // namespace simplex_weights::detail

namespace simplex_weights {

double centred_l2_discrepancy(const double* points, std::size_t n, std::size_t s) {
  detail::ColumnPoints columns(n, s);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t k = 0; k < s; ++k) columns.column(k)[i] = points[i * s + k];
  }
  return detail::centred_l2_discrepancy(columns);
}

}  // namespace simplex_weights
