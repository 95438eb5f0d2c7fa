#include "math/discrepancy.h"

#include <cmath>

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

// prod_k (1 + |z_ik|/2 + |z_jk|/2 - |x_ik - x_jk|/2) for the kBlock points j from `block` on;
// `centred` holds the columns of |x - 1/2|.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
__attribute__((target_clones("arch=haswell", "default")))
#endif
void pair_block(const ColumnPoints& points, const std::vector<double>& centred, std::size_t i,
                std::size_t block, double* __restrict products) {
  const std::size_t stride = points.stride();
  for (std::size_t j = 0; j < kBlock; ++j) products[j] = 1.0;
  for (std::size_t k = 0; k < points.dimension(); ++k) {
    const double* __restrict z = centred.data() + k * stride + block;
    const double* __restrict value = points.column(k) + block;
    const double own = 1.0 + 0.5 * centred[k * stride + i];
    const double x = points.column(k)[i];
    for (std::size_t j = 0; j < kBlock; ++j) {
      products[j] *= own + 0.5 * z[j] - 0.5 * std::fabs(x - value[j]);
    }
  }
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
  CompensatedSum singles;
  CompensatedSum pairs;
  double products[kBlock];
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
    double row = 0.5 * self;
    for (std::size_t block = (i + 1) / kBlock * kBlock; block < n; block += kBlock) {
      pair_block(points, centred, i, block, products);
      const std::size_t from = block > i ? 0 : i + 1 - block;
      const std::size_t to = n - block < kBlock ? n - block : kBlock;
      double part = 0;
      for (std::size_t j = from; j < to; ++j) part += products[j];
      row += part;
    }
    pairs.add(row);
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
