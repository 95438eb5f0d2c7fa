// The programs' traces on standard output: each construction's observer, in its program's own
// words. A trace that discards its output observes nothing, so the construction skips the
// passes made only for it.
#pragma once

#include <string>

#include "support/observer.h"
#include "text/writer.h"

namespace simplex_weights::cli {

class Trace : public detail::Observer {
 public:
  explicit Trace(detail::Writer& out) : out_(out) {}
  bool observing() const override { return !out_.discards(); }

 protected:
  /// Each value in "%f" followed by `after`.
  void values(const double* w, int count, const char* after);
  detail::Writer& out_;
};

/// tglp_weights: the draws, the components, the cube points between two rulers of '_', then
/// the rows between two rulers of '='.
class TglpTrace final : public Trace {
 public:
  using Trace::Trace;
  void draw(int value) override;
  void component(int h) override;
  void points_begin() override;
  void cube_point(const double* u, int s) override;
  void points_end() override;
  void rows_begin() override;
  void row(const double* w, int m) override;
  void rows_end() override;
};

/// glp_points: the components, every point's indices, then every point's coordinates.
class CubeTrace final : public Trace {
 public:
  using Trace::Trace;
  void component(int h) override;
  void lattice_indices(const int* q, int s) override;
  void cube_point(const double* u, int s) override;
};

/// udh_weights: every row's partial sum.
class SumTrace final : public Trace {
 public:
  using Trace::Trace;
  void row_sum(double sum) override;
};

/// gwud_weights: every coordinate as formed and as stored, then every row's partial sum.
class CoordinateTrace final : public Trace {
 public:
  using Trace::Trace;
  void coordinate(double value) override;
  void row_sum(double sum) override;
};

/// msld_weights: the vertices and the centroid, then every edge of every layer with its points.
class DesignTrace final : public Trace {
 public:
  using Trace::Trace;
  void design_vertex(int i, const double* vertex, int M, double centroid) override;
  void design_vertices_end() override;
  void design_edge(int M, int r, int K, int i, const double* D1, const double* D2) override;
  void design_edge_point(int s, int K, double t) override;
  void design_end() override;

 private:
  std::string edge_start_;  // the edge's first end, the same line for each of its points
};

}  // namespace simplex_weights::cli
