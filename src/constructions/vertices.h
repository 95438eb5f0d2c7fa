// The simplex's vertices as rows of a set: each unit vector e_j takes the place of the row
// nearest to it, so that the set keeps its row count and reaches the simplex's corners (what
// NSGA-III's normalisation needs to find the extreme points).
#pragma once

#include <cstddef>
#include <vector>

#include "simplex_weights/weight_set.h"

namespace simplex_weights::detail {

/// Watches the rows of a set go by (a first pass) and keeps, for each of the m vertices, the m
/// rows nearest to it, enough for every vertex to get a row of its own.
class VertexPlaces final : public RowSink {
 public:
  explicit VertexPlaces(int m);
  void row(const double* values, int count) override;
  /// Row index each vertex takes, in vertex order: vertex j takes the nearest row that no
  /// earlier vertex took (a row that is e_j itself counts as nearest); -1 where the set has
  /// fewer rows than vertices.
  std::vector<long long> places() const;

 private:
  struct Near {
    double distance;  // squared
    long long row;
  };
  std::size_t m_;
  long long rows_ = 0;
  std::vector<std::vector<Near>> nearest_;  // per vertex, by distance then row
};

/// Hands rows on with the vertices in their places (a second pass over the same rows).
class VertexSubstitution final : public RowSink {
 public:
  VertexSubstitution(RowSink& next, int m, const std::vector<long long>& places);
  void row(const double* values, int count) override;

 private:
  RowSink& next_;
  std::vector<int> vertex_of_;  // per row of a place: the vertex; sorted lookup below
  std::vector<long long> rows_;
  std::vector<double> vertex_;
  long long row_ = 0;
};

/// The vertices put in their places in a set held in memory.
void place_vertices(WeightSet& set);

}  // namespace simplex_weights::detail
