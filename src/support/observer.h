// What a construction reports while it works. The programs trace their work at these points,
// each in its own words; the library's own calls pass no_observer(), whose `observing()` is
// false, so that work done only to be observed is skipped and nothing is allocated for it.
#pragma once

namespace simplex_weights::detail {

class Observer {
 public:
  Observer() = default;
  Observer(const Observer&) = delete;
  Observer& operator=(const Observer&) = delete;
  virtual ~Observer() = default;

  /// False: nobody looks, and a construction may skip the passes made only for an observer.
  virtual bool observing() const { return true; }

  // The good lattice's generating vector: each candidate drawn for a component (where the
  // construction reports its draws), and each component taken.
  virtual void draw(int /*value*/) {}
  virtual void component(int /*h*/) {}

  // The points of the unit cube, in order, before any of them is carried onto the simplex:
  // a good lattice point's indices and coordinates, or one coordinate as it is formed.
  virtual void points_begin() {}
  virtual void lattice_indices(const int* /*q*/, int /*s*/) {}
  virtual void cube_point(const double* /*u*/, int /*s*/) {}
  virtual void coordinate(double /*value*/) {}
  virtual void points_end() {}

  // The rows on the simplex, in order: with corrected completion the sum of all components but
  // the last, before the correction, then the row.
  virtual void rows_begin() {}
  virtual void row_sum(double /*sum*/) {}
  virtual void row(const double* /*w*/, int /*m*/) {}
  virtual void rows_end() {}

  // The layered design: vertex i with the centroid's component; then, per vertex and layer r,
  // the edge between the layer's points D1 and D2, and each of its r inner points s.
  virtual void design_vertex(int /*i*/, const double* /*vertex*/, int /*M*/, double /*centroid*/) {}
  virtual void design_vertices_end() {}
  virtual void design_edge(int /*M*/, int /*r*/, int /*K*/, int /*i*/, const double* /*D1*/,
                           const double* /*D2*/) {}
  virtual void design_edge_point(int /*s*/, int /*K*/, double /*t*/) {}
  virtual void design_end() {}
};

/// The observer that looks at nothing.
Observer& no_observer();

}  // namespace simplex_weights::detail
