#include "common/traces.h"

namespace simplex_weights::cli {

using detail::Writer;

void Trace::values(const double* w, int count, const char* after) {
  for (int j = 0; j < count; ++j) {
    out_.fixed(w[j]);
    out_.text(after);
  }
}

namespace {

constexpr const char* kPointsRuler = "_______________________\n";
constexpr const char* kRowsRuler = "===========================\n";

void component_line(Writer& out, int h) {
  out.text("hi = ");
  out.integer(h);
  out.put('\n');
}

void sum_line(Writer& out, double sum) {
  out.text("sum = ");
  out.fixed(sum);
  out.put('\n');
}

}  // namespace

void TglpTrace::draw(int value) {
  out_.text("random value from function ");
  out_.integer(value);
  out_.text(" \n ");
}

void TglpTrace::component(int h) { component_line(out_, h); }
void TglpTrace::points_begin() { out_.text(kPointsRuler); }
void TglpTrace::points_end() { out_.text(kPointsRuler); }
void TglpTrace::rows_begin() { out_.text(kRowsRuler); }
void TglpTrace::rows_end() { out_.text(kRowsRuler); }

void TglpTrace::cube_point(const double* u, int s) {
  values(u, s, "\t");
  out_.put('\n');
}

void TglpTrace::row(const double* w, int m) {
  if (!observing()) return;
  values(w, m, " \t");
  out_.put('\n');
}

void CubeTrace::component(int h) { component_line(out_, h); }

void CubeTrace::lattice_indices(const int* q, int s) {
  for (int j = 0; j < s; ++j) {
    out_.text("q = ");
    out_.integer(q[j]);
    out_.put('\t');
  }
  out_.put('\n');
}

void CubeTrace::cube_point(const double* u, int s) {
  if (!observing()) return;
  for (int j = 0; j < s; ++j) {
    out_.text("x = ");
    out_.fixed(u[j]);
    out_.put('\t');
  }
  out_.put('\n');
}

void SumTrace::row_sum(double sum) { sum_line(out_, sum); }

void CoordinateTrace::coordinate(double value) {
  out_.text("value = ");
  out_.fixed(value);
  out_.text(" \nB ");
  out_.fixed(value);
  out_.put('\n');
}

void CoordinateTrace::row_sum(double sum) { sum_line(out_, sum); }

void DesignTrace::design_vertex(int /*i*/, const double* vertex, int M, double centroid) {
  out_.text("B[i][j] = ");
  for (int j = 0; j < M; ++j) {
    out_.put(' ');
    out_.fixed(vertex[j]);
    out_.text(" \t");
  }
  out_.text(" \nC[i] = ");
  out_.fixed(centroid);
  out_.text(" \n");
}

void DesignTrace::design_vertices_end() { out_.text("generation of extreme points Bi \n"); }

void DesignTrace::design_edge(int M, int r, int K, int i, const double* D1, const double* D2) {
  if (!observing()) return;
  out_.text("general info: \n m = ");
  out_.integer(M);
  out_.text(", r=");
  out_.integer(r);
  out_.text(", k = ");
  out_.integer(K);
  out_.text(", i = ");
  out_.integer(i);
  out_.text("\n\nD2: \n");
  values(D2, M, " \t");
  out_.put('\n');
  // Formatted once per edge: every point of the edge repeats it.
  edge_start_.clear();
  Writer line(&edge_start_);
  line.set_digits(out_.digits());
  for (int j = 0; j < M; ++j) {
    line.fixed(D1[j]);
    line.put('\t');
  }
}

void DesignTrace::design_edge_point(int s, int K, double t) {
  if (!observing()) return;
  out_.text("tmp1 = ");
  out_.fixed(static_cast<double>(s) / static_cast<double>(K));
  out_.text("\ntmp2 = ");
  out_.fixed(t);
  out_.put('\n');
  out_.text(edge_start_);
  out_.put('\n');
}

void DesignTrace::design_end() { out_.text("\nCompute all points on the r-th layer by Eq (2)\n"); }

}  // namespace simplex_weights::cli
