#include "inspector/inspect_report.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <optional>

#include "common/exit_status.h"
#include "inspect/checks.h"
#include "inspect/figures.h"
#include "inspect/number_text.h"
#include "inspect/reading.h"
#include "inspector/svg.h"
#include "support/failure.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

struct Summary {
  std::string path;
  long long rows = 0;
  int columns = 0;
  std::optional<Uniformity> figures;
  const char* status = "PASS";
};

// Six significant digits, or "-" for a figure that was not computed.
std::string shown(const Figure& figure) {
  return figure.value ? number_text(*figure.value, "%.6g") : "-";
}

std::string svg_name(const std::string& base, std::size_t index) {
  if (index == 0) return base;
  const std::size_t dot = base.rfind(".svg");
  const std::string stem = dot == std::string::npos ? base : base.substr(0, dot);
  return stem + "-" + std::to_string(index + 1) + ".svg";
}

bool same_file(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// A picture never replaces an input, nor any existing file that is not itself a picture: a
// forgotten picture name takes the first file's name, and that file must survive.
void refuse_unsafe_picture(const std::string& picture, const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    if (same_file(picture, file)) {
      throw Failure("weights_inspect: the picture " + picture +
                    " would replace a file being inspected; nothing was drawn\n");
    }
  }
  struct stat status {};
  // Only a regular file is opened to see whether it is a picture: a FIFO would wait forever
  // for a writer, a device might block or answer anything.
  if (::lstat(picture.c_str(), &status) == 0 &&
      (!S_ISREG(status.st_mode) || !is_svg_picture(picture))) {
    throw Failure("weights_inspect: " + picture +
                  " exists and is not an SVG picture; nothing was drawn over it\n");
  }
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void print_figure(Writer& out, const char* label, const Figure& figure) {
  char line[64];
  std::snprintf(line, sizeof line, "  %-32s ", label);
  out.text(line);
  out.text(shown(figure));
  if (!figure.note.empty()) out.text(" (" + figure.note + ")");
  out.put('\n');
}

void print_figures(Writer& out, const Uniformity& u, PointKind kind) {
  print_figure(out, "closest pair distance", u.closest_pair);
  print_figure(out, "mean nearest-neighbour distance", u.mean_nearest);
  print_figure(out, "coefficient of variation", u.nearest_cv);
  out.text("  (over " + std::to_string(u.distinct) + " distinct rows)\n");
  print_figure(out, "coverage radius", u.coverage_radius);
  print_figure(out, "energy log mean d^-2m", u.energy);
  if (kind == PointKind::kCube) print_figure(out, "centred L2 discrepancy (CD2)", u.discrepancy);
}

void print_table(const std::vector<Summary>& summaries, Writer& out) {
  char line[512];
  std::snprintf(line, sizeof line, "\n%-40s %9s %4s %11s %11s %9s %11s %9s %11s  %s\n", "file",
                "rows", "m", "closest", "mean-nn", "cv", "coverage", "energy", "cd2", "checks");
  out.text(line);
  for (const Summary& s : summaries) {
    const Uniformity none;
    const Uniformity& u = s.figures ? *s.figures : none;
    std::snprintf(line, sizeof line, "%-40s %9lld %4d %11s %11s %9s %11s %9s %11s  %s\n",
                  s.path.c_str(), s.rows, s.columns, shown(u.closest_pair).c_str(),
                  shown(u.mean_nearest).c_str(), shown(u.nearest_cv).c_str(),
                  shown(u.coverage_radius).c_str(), shown(u.energy).c_str(),
                  shown(u.discrepancy).c_str(), s.status);
    out.text(line);
  }
}

// One file's section of the report; returns its status.
int inspect_file(const std::vector<std::string>& files, std::size_t index,
                 const InspectOptions& options, Writer& out, Summary& summary) {
  const std::string& path = files[index];
  const FileRows set = read_weight_set(path);
  const PointKind kind =
      options.all_cube || ends_with(path, ".glp") ? PointKind::kCube : PointKind::kWeights;
  summary.rows = set.rows();
  summary.columns = set.columns;
  out.text(path + ": " + std::to_string(set.rows()) + " rows, " + std::to_string(set.columns) +
           " columns, " + (kind == PointKind::kCube ? "unit-cube points" : "weight vectors") +
           "\n");
  const std::vector<long long> distinct = distinct_rows(set);
  for (const Check& check : validate(set, kind, options.tolerance, distinct)) {
    out.text(check.pass ? "  PASS  " : "  FAIL  ");
    out.text(check.text + "\n");
    if (!check.pass) summary.status = "FAIL";
  }
  if (!set.ragged) summary.figures = measure_uniformity(set.view(), kind, distinct);
  if (summary.figures) print_figures(out, *summary.figures, kind);
  if (!options.svg.empty() && !set.ragged && set.rows() > 0) {
    const std::string picture = svg_name(options.svg, index);
    try {
      refuse_unsafe_picture(picture, files);
      write_svg(set, kind, picture);
    } catch (const Failure& failure) {
      const std::string text = std::string(failure.message()) +
                               (failure.detail().empty() ? "" : failure.detail() + "\n");
      if (::write(STDERR_FILENO, text.data(), text.size()) < 0) {
        // nothing more to do: the status says it
      }
      return kExitUnreadable;
    }
    out.text("  picture " + picture + "\n");
  }
  return summary.status[0] == 'F' ? kExitCheckFailed : kExitSuccess;
}

}  // namespace

int inspect_files(const std::vector<std::string>& files, const InspectOptions& options,
                  Writer& out) {
  int status = kExitSuccess;
  std::vector<Summary> summaries;
  for (std::size_t index = 0; index < files.size(); ++index) {
    Summary summary;
    summary.path = files[index];
    int file_status = kExitSuccess;
    try {
      file_status = inspect_file(files, index, options, out, summary);
    } catch (const Failure& failure) {
      out.text(std::string("  ERROR ") + failure.message());
      summary.status = "ERROR";
      file_status = kExitUnreadable;
    } catch (const std::bad_alloc&) {
      // One file too large for memory: it is named, and the others still follow.
      out.text("  ERROR " + files[index] + ": not enough memory to read and measure it\n");
      summary = Summary{};
      summary.path = files[index];
      summary.status = "ERROR";
      file_status = kExitUnreadable;
    }
    status = std::max(status, file_status);
    summaries.push_back(summary);
  }
  if (files.size() > 1) print_table(summaries, out);
  return status;
}

}  // namespace simplex_weights::cli
