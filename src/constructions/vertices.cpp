#include "constructions/vertices.h"

#include <algorithm>
#include <numeric>

namespace simplex_weights::detail {

VertexPlaces::VertexPlaces(int m)
    : m_(static_cast<std::size_t>(m)), nearest_(static_cast<std::size_t>(m)) {}

void VertexPlaces::row(const double* values, int /*count*/) {
  // |w - e_j|^2 = |w|^2 - 2 w_j + 1.
  double norm = 0;
  for (std::size_t k = 0; k < m_; ++k) norm += values[k] * values[k];
  for (std::size_t j = 0; j < m_; ++j) {
    const Near candidate{norm - 2 * values[j] + 1, rows_};
    std::vector<Near>& kept = nearest_[j];
    const auto closer = [](const Near& a, const Near& b) {
      return a.distance < b.distance || (a.distance == b.distance && a.row < b.row);
    };
    if (kept.size() == m_ && !closer(candidate, kept.back())) continue;
    kept.insert(std::upper_bound(kept.begin(), kept.end(), candidate, closer), candidate);
    if (kept.size() > m_) kept.pop_back();
  }
  ++rows_;
}

std::vector<long long> VertexPlaces::places() const {
  std::vector<long long> places(m_, -1);
  std::vector<long long> taken;
  for (std::size_t j = 0; j < m_; ++j) {
    for (const Near& near : nearest_[j]) {
      if (std::find(taken.begin(), taken.end(), near.row) != taken.end()) continue;
      places[j] = near.row;
      taken.push_back(near.row);
      break;
    }
  }
  return places;
}

VertexSubstitution::VertexSubstitution(RowSink& next, int m, const std::vector<long long>& places)
    : next_(next), vertex_(static_cast<std::size_t>(m), 0.0) {
  std::vector<std::size_t> order(places.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return places[a] < places[b]; });
  for (std::size_t j : order) {
    if (places[j] < 0) continue;
    rows_.push_back(places[j]);
    vertex_of_.push_back(static_cast<int>(j));
  }
}

void VertexSubstitution::row(const double* values, int count) {
  const auto at = std::lower_bound(rows_.begin(), rows_.end(), row_);
  ++row_;
  if (at == rows_.end() || *at != row_ - 1) {
    next_.row(values, count);
    return;
  }
  const std::size_t j =
      static_cast<std::size_t>(vertex_of_[static_cast<std::size_t>(at - rows_.begin())]);
  std::fill(vertex_.begin(), vertex_.end(), 0.0);
  vertex_[j] = 1.0;
  next_.row(vertex_.data(), count);
}

void place_vertices(WeightSet& set) {
  if (set.columns == 0) return;
  const int m = static_cast<int>(set.columns);
  VertexPlaces places(m);
  for (std::size_t i = 0; i < set.rows; ++i) places.row(set.row(i), m);
  const std::vector<long long> where = places.places();
  for (std::size_t j = 0; j < where.size(); ++j) {
    if (where[j] < 0) continue;
    double* row = set.values.data() + static_cast<std::size_t>(where[j]) * set.columns;
    std::fill(row, row + set.columns, 0.0);
    row[j] = 1.0;
  }
}

}  // namespace simplex_weights::detail
