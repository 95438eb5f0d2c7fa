#include "constructions/layered_design.h"

#include <cstddef>
#include <string>
#include <vector>

#include "support/cancel.h"
#include "support/failure.h"

namespace simplex_weights::detail {
namespace {

void two_objective_lattice(DesignRows& rows, int M, int K) {
  std::vector<double> x(static_cast<std::size_t>(M), 0.0);
  x[0] = K;
  int p = 0;
  CancelCheck check;
  do {
    check();
    rows.print(x.data(), M);
    x[static_cast<std::size_t>(p)] -= 1;
    double sum = 0.0;
    for (int j = 0; j <= p; ++j) sum += x[static_cast<std::size_t>(j)];
    x[static_cast<std::size_t>(p + 1)] = K - sum;
    for (int j = p + 2; j < M; ++j) x[static_cast<std::size_t>(j)] = 0.0;
    ++p;
    if (p == M - 1) {
      for (int j = M - 2; j >= 0; --j) {
        if (x[static_cast<std::size_t>(j)] > 0) {
          p = j;
          break;
        }
      }
    }
  } while (x[static_cast<std::size_t>(M - 1)] != K);
  rows.print(x.data(), M);
}

}  // namespace

void DesignRows::print(const double* values, int n) {
  if (n == 2) {
    const double scaled[2] = {values[0] / static_cast<double>(K),
                              values[1] / static_cast<double>(K)};
    sink.row(scaled, n);
  } else {
    sink.row(values, n);
  }
  ++count;
}

long long design_row_count(int M, int K) {
  if (M == 2) return K + 1LL > kMaxDesignRows ? -1 : K + 1LL;
  if (K <= 0) return M + 1LL > kMaxDesignRows ? -1 : M + 1LL;
  if (K > 100000) return -1;  // 3 K (K + 1) / 2 alone is past the limit
  const long long per_vertex = 3LL * K * (K + 1) / 2;
  if (per_vertex > kMaxDesignRows / M) return -1;
  const long long rows = M + 1LL + per_vertex * M;
  return rows > kMaxDesignRows ? -1 : rows;
}

long long design_distinct_row_count(int M, int K) {
  if (M == 1) return 1;  // every row is (1)
  if (M == 2) return K + 1LL;
  if (K <= 0) return M + 1LL;
  // The centroid, the M K edge ends of the layers (the last layer's are the vertices), and the
  // r points inside each of the M edges of layer r.
  return 1 + static_cast<long long>(M) * K + static_cast<long long>(M) * K * (K + 1) / 2;
}

void design_head_rows(DesignRows& rows, Observer& observer, int M) {
  const std::size_t width = static_cast<std::size_t>(M);
  const double centroid = 1.0 / static_cast<double>(M);
  std::vector<double> vertex(width, 0.0);
  for (std::size_t i = 0; i < width; ++i) {
    vertex[i] = 1.0;
    observer.design_vertex(static_cast<int>(i), vertex.data(), M, centroid);
    rows.print(vertex.data(), M);
    vertex[i] = 0.0;
  }
  const std::vector<double> C(width, centroid);
  rows.print(C.data(), M);
  observer.design_vertices_end();
}

void design_vertex_rows(DesignRows& rows, Observer& observer, int M, int K, int i) {
  const std::size_t width = static_cast<std::size_t>(M);
  const std::size_t next = static_cast<std::size_t>(i + 1 == M ? 0 : i + 1);
  const double c = 1.0 / static_cast<double>(M);
  std::vector<double> D1(width);
  std::vector<double> D2(width);
  std::vector<double> point(width);
  for (int r = 1; r <= K; ++r) {
    throw_if_cancelled();
    // The layer's points on the segments from the centroid to vertices i and i + 1.
    const double a = static_cast<double>(r) / static_cast<double>(K);
    for (std::size_t j = 0; j < width; ++j) {
      const double to_i = j == static_cast<std::size_t>(i) ? 1.0 : 0.0;
      const double to_next = j == next ? 1.0 : 0.0;
      D1[j] = c + (to_i - c) * a;
      D2[j] = c + (to_next - c) * a;
    }
    observer.design_edge(M, r, K, i, D1.data(), D2.data());
    for (int s = 1; s <= r; ++s) {
      const double t = static_cast<double>(s) / static_cast<double>(r + 1);
      observer.design_edge_point(s, K, t);
      for (std::size_t j = 0; j < width; ++j) point[j] = D1[j] + (D2[j] - D1[j]) * t;
      rows.print(D1.data(), M);
      rows.print(D2.data(), M);
      rows.print(point.data(), M);
    }
  }
}

void layered_design_rows(DesignRows& rows, Observer& observer, int M, int K) {
  if (M == 2) {
    two_objective_lattice(rows, M, K);
    return;
  }
  design_head_rows(rows, observer, M);
  for (int i = 0; i < M; ++i) design_vertex_rows(rows, observer, M, K, i);
  observer.design_end();
}

long long check_msld_arguments(int M, int K) {
  if (M < 1) throw InvalidArgument("Error... M should be at least 1\n");
  if (M == 2 && K < 1) {
    throw InvalidArgument("Error... with M = 2 the number of layers K should be at least 1\n");
  }
  const long long rows = design_row_count(M, K);
  if (rows < 0) {
    throw InvalidArgument("Error... M = " + std::to_string(M) + " and K = " + std::to_string(K) +
                          " give more than " + std::to_string(kMaxDesignRows) + " rows\n");
  }
  return rows;
}

}  // namespace simplex_weights::detail
