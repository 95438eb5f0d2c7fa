// The multi-layer simplex-lattice design behind msld_weights.
#pragma once

#include "simplex_weights/weight_set.h"
#include "support/observer.h"

namespace simplex_weights::detail {

/// The design's rows on their way to a sink: two-value rows divided by K, every row counted.
struct DesignRows {
  RowSink& sink;
  int K;
  long long count = 0;
  void print(const double* values, int n);
};

/// Rows of the design for M objectives and K layers, or -1 past kMaxDesignRows.
long long design_row_count(int M, int K);

/// Distinct rows of that design (each vertex, the centroid, and every layer point once), for
/// arguments design_row_count accepts.
long long design_distinct_row_count(int M, int K);

/// The design's first rows: the M vertices, then the centroid (M >= 3).
void design_head_rows(DesignRows& rows, Observer& observer, int M);

/// The rows of vertex i's edges over all K layers (M >= 3): on layer r, the edge between the
/// layer's points toward vertices i and i + 1, and for each of its r inner points the edge's
/// two ends and the point. Rows M + 1 + i P onwards of the whole design, P = 3 K (K + 1) / 2.
void design_vertex_rows(DesignRows& rows, Observer& observer, int M, int K, int i);

/// The whole design: the two-objective lattice for M = 2 (never observed), else the first rows
/// and every vertex's edges.
void layered_design_rows(DesignRows& rows, Observer& observer, int M, int K);

/// Largest number of rows of one design: the row counter is a signed 32-bit integer.
inline constexpr long long kMaxDesignRows = 2147483647;

/// Refuses M below 1, K below 1 with M = 2, and designs of more than kMaxDesignRows rows;
/// returns the design's rows.
long long check_msld_arguments(int M, int K);

}  // namespace simplex_weights::detail
