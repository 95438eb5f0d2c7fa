// The multi-layer simplex-lattice design behind msld_weights.
#pragma once

#include <string>
#include <string_view>

#include "writer.h"

namespace weights {

/// This program's row writer: "%f " rows, two-value rows divided by K, every row counted.
struct LayerRowWriter {
  Writer& stream;
  int K;
  int count = 0;
  void print(const double* values, int n);
  /// The text print would write for these values, to be written many times with repeat.
  std::string text_of(const double* values, int n) const;
  /// Writes a row's text from text_of, and counts it.
  void repeat(std::string_view row);
};

/// Rows of the design for M objectives and K layers, or -1 past kMaxDesignRows.
long long design_row_count(int M, int K);

/// Writes the edge of vertex i on layer r: r layer points, each after the edge's two ends.
void pointLayer(LayerRowWriter& rows, Writer& trace, int M, int r, int i, int K, const double* C,
                const double* B, double* out);

/// The whole design: the two-objective lattice for M = 2, else vertices, centroid and layers.
void simplex_lattice_design(LayerRowWriter& rows, Writer& trace, int M, int K);

/// Largest number of rows of one design: the row counter is a signed 32-bit integer.
inline constexpr long long kMaxDesignRows = 2147483647;

/// One run: checks M and K, publishes ./output/weight_<M>D_<K>.msld headed by "# count M".
void run_msld_weights(int M, int K, Writer& trace);

}  // namespace weights
