#include "weight_set.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numeric>
#include <sstream>

#include "failure.h"
#include "nanoflann.hpp"

namespace weights {
namespace {

constexpr long long kReferencePoints = 100000;

std::string number(double x, const char* format = "%.6g") {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, x);
  return buffer;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// "# rows columns" and nothing else on the first line.
std::optional<std::pair<long long, long long>> parse_header(std::string_view line) {
  long long rows = 0;
  long long columns = 0;
  char tail = 0;
  const std::string text(line);
  if (std::sscanf(text.c_str(), "# %lld %lld %c", &rows, &columns, &tail) == 2) {
    return std::make_pair(rows, columns);
  }
  return std::nullopt;
}

void parse_row(WeightSet& set, std::string_view line, long long line_number) {
  int count = 0;
  std::size_t at = 0;
  while (true) {
    while (at < line.size() && is_blank(line[at])) ++at;
    if (at == line.size()) break;
    std::size_t end = at;
    while (end < line.size() && !is_blank(line[end])) ++end;
    const char* first = line.data() + at;
    const char* last = line.data() + end;
    if (*first == '+') ++first;  // from_chars takes no plus sign; printf may write one
    double value = 0;
    const auto [ptr, error] = std::from_chars(first, last, value);
    if (error != std::errc() || ptr != last) {
      throw Failure(set.path + ":" + std::to_string(line_number) + ":" + std::to_string(at + 1) +
                    ": not a number: \"" + std::string(line.substr(at, end - at)) + "\"\n");
    }
    set.values.push_back(value);
    ++count;
    at = end;
  }
  if (count == 0) return;  // blank line
  if (set.row_lengths.empty()) set.columns = count;
  if (count != set.columns) set.ragged = true;
  set.row_lengths.push_back(count);
  set.row_lines.push_back(line_number);
}

// The distinct rows, in lexicographic order, and how many rows repeated an earlier one.
std::vector<long long> distinct_rows(const WeightSet& set, long long& duplicates) {
  std::vector<long long> order(static_cast<std::size_t>(set.rows()));
  std::iota(order.begin(), order.end(), 0LL);
  const int m = set.columns;
  auto less = [&](long long a, long long b) {
    return std::lexicographical_compare(set.row(a), set.row(a) + m, set.row(b), set.row(b) + m);
  };
  std::sort(order.begin(), order.end(), less);
  std::vector<long long> distinct;
  for (long long index : order) {
    if (!distinct.empty() &&
        std::equal(set.row(index), set.row(index) + m, set.row(distinct.back()))) {
      continue;
    }
    distinct.push_back(index);
  }
  duplicates = set.rows() - static_cast<long long>(distinct.size());
  return distinct;
}

// Points in the k-d tree: flat rows of m doubles.
struct PointCloud {
  std::vector<double> points;
  int m;
  std::size_t kdtree_get_point_count() const { return points.size() / static_cast<std::size_t>(m); }
  double kdtree_get_pt(std::size_t i, std::size_t j) const {
    return points[i * static_cast<std::size_t>(m) + j];
  }
  template <class Box>
  bool kdtree_get_bbox(Box&) const {
    return false;
  }
};

using Tree = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, PointCloud>,
                                                 PointCloud, -1, std::size_t>;

double binomial(long long n, long long k) {
  double result = 1;
  for (long long i = 1; i <= k; ++i)
    result = result * static_cast<double>(n - k + i) / static_cast<double>(i);
  return result;
}

// Calls visit for every point of the simplex lattice {x : x_j = c_j / H, sum c_j = H}.
template <typename Visit>
void for_each_simplex_point(int m, int H, Visit visit) {
  std::vector<int> c(static_cast<std::size_t>(m), 0);
  std::vector<double> x(static_cast<std::size_t>(m));
  c[0] = H;
  while (true) {
    for (int j = 0; j < m; ++j)
      x[static_cast<std::size_t>(j)] = static_cast<double>(c[static_cast<std::size_t>(j)]) / H;
    visit(x.data());
    // Next composition in reverse lexicographic order: move one unit right of the last
    // non-zero entry before the end.
    int p = m - 2;
    while (p >= 0 && c[static_cast<std::size_t>(p)] == 0) --p;
    if (p < 0) return;
    --c[static_cast<std::size_t>(p)];
    const int rest = c[static_cast<std::size_t>(m - 1)] + 1;
    c[static_cast<std::size_t>(m - 1)] = 0;
    c[static_cast<std::size_t>(p + 1)] = rest;
  }
}

template <typename Visit>
void for_each_grid_point(int m, int G, Visit visit) {
  std::vector<int> index(static_cast<std::size_t>(m), 0);
  std::vector<double> x(static_cast<std::size_t>(m));
  while (true) {
    for (int j = 0; j < m; ++j)
      x[static_cast<std::size_t>(j)] =
          static_cast<double>(index[static_cast<std::size_t>(j)]) / (G - 1);
    visit(x.data());
    int j = 0;
    while (j < m && ++index[static_cast<std::size_t>(j)] == G)
      index[static_cast<std::size_t>(j++)] = 0;
    if (j == m) return;
  }
}

}  // namespace

WeightSet load_weight_set(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw Failure(path + ": cannot be read\n");
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  WeightSet set;
  set.path = path;
  std::size_t start = 0;
  long long line_number = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + start, end - start);
    ++line_number;
    if (!line.empty() && line[0] == '#') {
      if (line_number == 1) set.header = parse_header(line);
    } else {
      parse_row(set, line, line_number);
    }
    start = end + 1;
  }
  return set;
}

std::vector<Check> validate(const WeightSet& set, SetKind kind, double tolerance) {
  std::vector<Check> checks;
  const int m = set.columns;
  checks.push_back({set.rows() > 0, set.rows() > 0
                                        ? "the file holds " + std::to_string(set.rows()) + " rows"
                                        : "the file holds no rows"});
  if (set.ragged) {
    const auto bad =
        std::find_if(set.row_lengths.begin(), set.row_lengths.end(), [&](int n) { return n != m; });
    const std::size_t row = static_cast<std::size_t>(bad - set.row_lengths.begin());
    checks.push_back({false, "rows differ in length: line " + std::to_string(set.row_lines[row]) +
                                 " has " + std::to_string(*bad) + " values, the first row " +
                                 std::to_string(m)});
  } else if (set.rows() > 0) {
    checks.push_back({true, "every row has " + std::to_string(m) + " values"});
  }
  if (set.header) {
    const bool match = set.header->first == set.rows() && set.header->second == m;
    checks.push_back({match, "header \"# " + std::to_string(set.header->first) + " " +
                                 std::to_string(set.header->second) + "\" " +
                                 (match ? "matches the rows and columns"
                                        : "does not match " + std::to_string(set.rows()) +
                                              " rows of " + std::to_string(m))});
  }
  const auto non_finite = std::find_if(set.values.begin(), set.values.end(),
                                       [](double x) { return !std::isfinite(x); });
  checks.push_back({non_finite == set.values.end(), non_finite == set.values.end()
                                                        ? "every value is finite"
                                                        : "a value is NaN or infinite"});
  if (set.ragged || set.rows() == 0 || non_finite != set.values.end()) return checks;

  if (kind == SetKind::kCube) {
    const auto [low, high] = std::minmax_element(set.values.begin(), set.values.end());
    const bool inside = *low >= 0 && *high <= 1;
    checks.push_back({inside, "every value lies in [0, 1] (smallest " + number(*low) +
                                  ", largest " + number(*high) + ")"});
  } else {
    const double smallest = *std::min_element(set.values.begin(), set.values.end());
    checks.push_back(
        {smallest >= 0, "every component is >= 0 (smallest " + number(smallest) + ")"});
    const double allowed = tolerance >= 0 ? tolerance : 5e-7 * m + 1e-12;
    long long worst = 0;
    double worst_deviation = -1;
    for (long long i = 0; i < set.rows(); ++i) {
      double sum = 0;
      for (int j = 0; j < m; ++j) sum += set.row(i)[j];
      if (std::fabs(sum - 1) > worst_deviation) {
        worst_deviation = std::fabs(sum - 1);
        worst = i;
      }
    }
    checks.push_back({worst_deviation <= allowed,
                      "every row sums to 1 within " + number(allowed, "%.2g") + " (worst: line " +
                          std::to_string(set.row_lines[static_cast<std::size_t>(worst)]) +
                          ", deviation " + number(worst_deviation, "%.2g") + ")"});
  }
  long long duplicates = 0;
  distinct_rows(set, duplicates);
  checks.push_back({duplicates == 0,
                    duplicates == 0 ? "no duplicate rows"
                                    : std::to_string(duplicates) + " rows repeat an earlier row"});
  return checks;
}

std::optional<Uniformity> measure_uniformity(const WeightSet& set, SetKind kind) {
  if (set.ragged || set.rows() < 2 ||
      !std::all_of(set.values.begin(), set.values.end(),
                   [](double x) { return std::isfinite(x); })) {
    return std::nullopt;
  }
  const int m = set.columns;
  long long duplicates = 0;
  const std::vector<long long> distinct = distinct_rows(set, duplicates);
  if (distinct.size() < 2) return std::nullopt;
  PointCloud cloud{{}, m};
  cloud.points.reserve(distinct.size() * static_cast<std::size_t>(m));
  for (long long index : distinct)
    cloud.points.insert(cloud.points.end(), set.row(index), set.row(index) + m);
  Tree tree(m, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(16));

  Uniformity result;
  result.distinct = static_cast<long long>(distinct.size());
  result.closest_pair = INFINITY;
  double sum = 0;
  double sum_squares = 0;
  std::size_t indices[2];
  double squared[2];
  for (std::size_t i = 0; i < distinct.size(); ++i) {
    const double* p = cloud.points.data() + i * static_cast<std::size_t>(m);
    tree.knnSearch(p, 2, indices, squared);
    const double nearest = std::sqrt(indices[0] == i ? squared[1] : squared[0]);
    result.closest_pair = std::min(result.closest_pair, nearest);
    sum += nearest;
    sum_squares += nearest * nearest;
  }
  const double n = static_cast<double>(distinct.size());
  result.mean_nearest = sum / n;
  const double variance =
      std::max(0.0, sum_squares / n - result.mean_nearest * result.mean_nearest);
  result.nearest_cv = result.mean_nearest > 0 ? std::sqrt(variance) / result.mean_nearest : 0;

  auto cover = [&](const double* q) {
    std::size_t index = 0;
    double d2 = 0;
    tree.knnSearch(q, 1, &index, &d2);
    result.coverage_radius = std::max(result.coverage_radius, std::sqrt(d2));
  };
  if (kind == SetKind::kWeights) {
    int H = 1;
    while (binomial(H + 1 + m - 1, m - 1) <= kReferencePoints && H < 100000) ++H;
    for_each_simplex_point(m, H, cover);
    result.reference = "simplex lattice H = " + std::to_string(H) + ", " +
                       std::to_string(static_cast<long long>(binomial(H + m - 1, m - 1))) +
                       " points";
  } else {
    int G = 2;
    while (std::pow(G + 1.0, m) <= kReferencePoints) ++G;
    for_each_grid_point(m, G, cover);
    result.reference = "cube grid " + std::to_string(G) + "^" + std::to_string(m) + " points";
  }
  return result;
}

void write_svg(const WeightSet& set, SetKind kind, const std::string& path) {
  std::ostringstream svg;
  const int m = set.columns;
  const double size = 520;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << size << "\" height=\"" << size
      << "\" viewBox=\"0 0 " << size << " " << size << "\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
      << "<style>.mark{fill:#1f5fa8;fill-opacity:0.7}.line{fill:none;stroke:#1f5fa8;stroke-opacity:"
         "0.35}"
         "text{font:14px sans-serif}</style>\n";
  std::string title = set.path;
  for (char& c : title) {
    if (c == '<' || c == '>' || c == '&' || c == '"') c = '_';
  }
  svg << "<text x=\"10\" y=\"20\">" << title << " (" << set.rows() << " rows)</text>\n";
  const double left = 60, right = size - 40, top = 60, bottom = size - 60;
  const double radius = set.rows() > 2000 ? 1.0 : 2.5;
  auto circle = [&](double x, double y) {
    svg << "<circle class=\"mark\" cx=\"" << number(x, "%.2f") << "\" cy=\"" << number(y, "%.2f")
        << "\" r=\"" << radius << "\"/>\n";
  };
  if (kind == SetKind::kCube && m == 2) {
    svg << "<rect x=\"" << left << "\" y=\"" << top << "\" width=\"" << right - left
        << "\" height=\"" << bottom - top << "\" fill=\"none\" stroke=\"black\"/>\n";
    for (long long i = 0; i < set.rows(); ++i) {
      circle(left + set.row(i)[0] * (right - left), bottom - set.row(i)[1] * (bottom - top));
    }
  } else if (kind == SetKind::kWeights && m == 3) {
    const double ax = left, ay = bottom, bx = right, by = bottom, cx = (left + right) / 2;
    const double cy = bottom - (right - left) * std::sqrt(3.0) / 2;
    svg << "<polygon points=\"" << ax << "," << ay << " " << bx << "," << by << " " << cx << ","
        << number(cy, "%.2f") << "\" fill=\"none\" stroke=\"black\"/>\n"
        << "<text x=\"" << ax - 30 << "\" y=\"" << ay + 20 << "\">w1 = 1</text>\n"
        << "<text x=\"" << bx - 30 << "\" y=\"" << by + 20 << "\">w2 = 1</text>\n"
        << "<text x=\"" << cx - 25 << "\" y=\"" << number(cy - 10, "%.2f") << "\">w3 = 1</text>\n";
    for (long long i = 0; i < set.rows(); ++i) {
      const double* w = set.row(i);
      circle(w[0] * ax + w[1] * bx + w[2] * cx, w[0] * ay + w[1] * by + w[2] * cy);
    }
  } else if (m == 1 || (kind == SetKind::kWeights && m == 2)) {
    const double y = (top + bottom) / 2;
    svg << "<line x1=\"" << left << "\" y1=\"" << y << "\" x2=\"" << right << "\" y2=\"" << y
        << "\" stroke=\"black\"/>\n"
        << "<text x=\"" << left - 20 << "\" y=\"" << y + 25 << "\">"
        << (kind == SetKind::kCube ? "0" : "w1 = 1") << "</text>\n"
        << "<text x=\"" << right - 30 << "\" y=\"" << y + 25 << "\">"
        << (kind == SetKind::kCube ? "1" : "w1 = 0") << "</text>\n";
    for (long long i = 0; i < set.rows(); ++i) {
      const double position = kind == SetKind::kCube ? set.row(i)[0] : 1 - set.row(i)[0];
      circle(left + position * (right - left), y);
    }
  } else {
    const double step = (right - left) / (m - 1);
    for (int j = 0; j < m; ++j) {
      svg << "<line x1=\"" << left + j * step << "\" y1=\"" << top << "\" x2=\"" << left + j * step
          << "\" y2=\"" << bottom << "\" stroke=\"black\"/>\n<text x=\"" << left + j * step - 10
          << "\" y=\"" << bottom + 20 << "\">w" << j + 1 << "</text>\n";
    }
    for (long long i = 0; i < set.rows(); ++i) {
      svg << "<polyline class=\"mark line\" points=\"";
      for (int j = 0; j < m; ++j) {
        svg << number(left + j * step, "%.2f") << ","
            << number(bottom - set.row(i)[j] * (bottom - top), "%.2f") << " ";
      }
      svg << "\"/>\n";
    }
  }
  svg << "</svg>\n";
  std::ofstream out(path, std::ios::binary);
  out << svg.str();
  out.close();
  if (!out) throw Failure("Error to write the file " + path + ".\n");
}

}  // namespace weights
