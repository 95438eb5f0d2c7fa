#include "constructions/simplex_lattice.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "support/failure.h"
#include "support/memory.h"

namespace simplex_weights::detail {
namespace {

void trace_values(Writer& trace, const double* values, int n, std::string_view after) {
  for (int j = 0; j < n; ++j) {
    trace.fixed(values[j]);
    trace.text(after);
  }
}

void two_objective_lattice(LayerRowWriter& rows, int M, int K) {
  std::vector<double> x(static_cast<std::size_t>(M), 0.0);
  x[0] = K;
  int p = 0;
  do {
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

void layered_design(LayerRowWriter& rows, Writer& trace, int M, int K) {
  const std::size_t width = static_cast<std::size_t>(M);
  std::vector<double> C = allocate<double>(width);
  std::vector<double> B = allocate<double>(width * width);
  std::vector<double> out = allocate<double>(width);
  for (int i = 0; i < M; ++i) {
    double* B_i = B.data() + static_cast<std::size_t>(i) * width;
    C[static_cast<std::size_t>(i)] = 1.0 / static_cast<double>(M);
    trace.text("B[i][j] = ");
    for (int j = 0; j < M; ++j) {
      B_i[j] = j == i ? 1.0 : 0.0;
      trace.put(' ');
      trace.fixed(B_i[j]);
      trace.text(" \t");
    }
    rows.print(B_i, M);
    trace.text(" \n");
    trace.text("C[i] = ");
    trace.fixed(C[static_cast<std::size_t>(i)]);
    trace.text(" \n");
  }
  rows.print(C.data(), M);
  trace.text("generation of extreme points Bi \n");
  for (int i = 0; i < M; ++i) {
    for (int r = 1; r <= K; ++r) {
      pointLayer(rows, trace, M, r, i, K, C.data(), B.data(), out.data());
    }
  }
  trace.text("\nCompute all points on the r-th layer by Eq (2)\n");
}

}  // namespace

void design_vertex_rows(int M, int K, int i, RowSink& sink) {
  const std::size_t width = static_cast<std::size_t>(M);
  // The centroid and the vertices exactly as the whole design forms them.
  std::vector<double> C(width, 1.0 / static_cast<double>(M));
  std::vector<double> B(width * width, 0.0);
  for (std::size_t v = 0; v < width; ++v) B[v * width + v] = 1.0;
  std::vector<double> out(width);
  Writer nobody(-1, Writer::Kind::kDiscard);
  LayerRowWriter rows{sink, K};
  for (int r = 1; r <= K; ++r) pointLayer(rows, nobody, M, r, i, K, C.data(), B.data(), out.data());
}

void LayerRowWriter::print(const double* values, int n) {
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

void pointLayer(LayerRowWriter& rows, Writer& trace, int M, int r, int i, int K, const double* C,
                const double* B, double* out) {
  const std::size_t width = static_cast<std::size_t>(M);
  const int next = i + 1 == M ? 0 : i + 1;
  const double a = static_cast<double>(r) / static_cast<double>(K);
  std::vector<double> D1(width);
  std::vector<double> D2(width);
  const double* B_i = B + static_cast<std::size_t>(i) * width;
  const double* B_n = B + static_cast<std::size_t>(next) * width;
  for (std::size_t j = 0; j < width; ++j) {
    D1[j] = C[j] + (B_i[j] - C[j]) * a;
    D2[j] = C[j] + (B_n[j] - C[j]) * a;
  }
  // Work done only for the trace is skipped when nobody reads it.
  const bool tracing = !trace.discards();
  std::string D1_trace;
  if (tracing) {
    trace.text("general info: \n m = ");
    trace.integer(M);
    trace.text(", r=");
    trace.integer(r);
    trace.text(", k = ");
    trace.integer(K);
    trace.text(", i = ");
    trace.integer(i);
    trace.text("\n\nD2: \n");
    trace_values(trace, D2.data(), M, " \t");
    trace.put('\n');
    // The end points' trace is the same for every point of the edge: formatted once.
    Writer capture(&D1_trace);
    capture.set_digits(trace.digits());
    trace_values(capture, D1.data(), M, "\t");
  }
  for (int s = 1; s <= r; ++s) {
    const double t = static_cast<double>(s) / static_cast<double>(r + 1);
    if (tracing) {
      trace.text("tmp1 = ");
      trace.fixed(static_cast<double>(s) / static_cast<double>(K));
      trace.text("\ntmp2 = ");
      trace.fixed(t);
      trace.put('\n');
      trace.text(D1_trace);
      trace.put('\n');
    }
    for (std::size_t j = 0; j < width; ++j) out[j] = D1[j] + (D2[j] - D1[j]) * t;
    rows.print(D1.data(), M);
    rows.print(D2.data(), M);
    rows.print(out, M);
  }
}

void simplex_lattice_design(LayerRowWriter& rows, Writer& trace, int M, int K) {
  if (M == 2) {
    two_objective_lattice(rows, M, K);
  } else {
    layered_design(rows, trace, M, K);
  }
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
