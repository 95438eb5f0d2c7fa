#include "inspect_report.h"

#include <cstdio>
#include <optional>

#include "failure.h"
#include "weight_set.h"

namespace weights {
namespace {

struct Summary {
  std::string path;
  long long rows = 0;
  int columns = 0;
  std::optional<Uniformity> figures;
  const char* status = "PASS";
};

std::string figure(double x) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6f", x);
  return buffer;
}

std::string svg_name(const std::string& base, std::size_t index) {
  if (index == 0) return base;
  const std::size_t dot = base.rfind(".svg");
  const std::string stem = dot == std::string::npos ? base : base.substr(0, dot);
  return stem + "-" + std::to_string(index + 1) + ".svg";
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void print_table(const std::vector<Summary>& summaries, Writer& out) {
  char line[512];
  std::snprintf(line, sizeof line, "\n%-40s %9s %4s %10s %10s %8s %10s  %s\n", "file", "rows", "m",
                "closest", "mean-nn", "cv", "coverage", "checks");
  out.text(line);
  for (const Summary& s : summaries) {
    if (s.figures) {
      std::snprintf(line, sizeof line, "%-40s %9lld %4d %10.6f %10.6f %8.4f %10.6f  %s\n",
                    s.path.c_str(), s.rows, s.columns, s.figures->closest_pair,
                    s.figures->mean_nearest, s.figures->nearest_cv, s.figures->coverage_radius,
                    s.status);
    } else {
      std::snprintf(line, sizeof line, "%-40s %9lld %4d %10s %10s %8s %10s  %s\n", s.path.c_str(),
                    s.rows, s.columns, "-", "-", "-", "-", s.status);
    }
    out.text(line);
  }
}

}  // namespace

int inspect_files(const std::vector<std::string>& files, const InspectOptions& options,
                  Writer& out) {
  int status = 0;
  std::vector<Summary> summaries;
  for (std::size_t index = 0; index < files.size(); ++index) {
    const std::string& path = files[index];
    Summary summary;
    summary.path = path;
    try {
      const WeightSet set = load_weight_set(path);
      const SetKind kind =
          options.all_cube || ends_with(path, ".glp") ? SetKind::kCube : SetKind::kWeights;
      summary.rows = set.rows();
      summary.columns = set.columns;
      out.text(path + ": " + std::to_string(set.rows()) + " rows, " + std::to_string(set.columns) +
               " columns, " + (kind == SetKind::kCube ? "unit-cube points" : "weight vectors") +
               "\n");
      for (const Check& check : validate(set, kind, options.tolerance)) {
        out.text(check.pass ? "  PASS  " : "  FAIL  ");
        out.text(check.text + "\n");
        if (!check.pass) summary.status = "FAIL";
      }
      summary.figures = measure_uniformity(set, kind);
      if (summary.figures) {
        const Uniformity& u = *summary.figures;
        out.text("  closest pair distance          " + figure(u.closest_pair) + "\n");
        out.text("  mean nearest-neighbour distance " + figure(u.mean_nearest) +
                 " (coefficient of variation " + figure(u.nearest_cv) + ", over " +
                 std::to_string(u.distinct) + " distinct rows)\n");
        out.text("  coverage radius                " + figure(u.coverage_radius) + " (from a " +
                 u.reference + ")\n");
      }
      if (!options.svg.empty() && !set.ragged && set.rows() > 0) {
        const std::string picture = svg_name(options.svg, index);
        write_svg(set, kind, picture);
        out.text("  picture " + picture + "\n");
      }
      if (summary.status[0] == 'F' && status == 0) status = 1;
    } catch (const Failure& failure) {
      out.text(std::string("  ERROR ") + failure.message());
      summary.status = "ERROR";
      status = 2;
    }
    summaries.push_back(summary);
  }
  if (files.size() > 1) print_table(summaries, out);
  return status;
}

}  // namespace weights
