#include "svg.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "publication.h"

namespace weights {
namespace {

std::string number(double x, const char* format) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, x);
  return buffer;
}

}  // namespace

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
  Publication picture(path, kStandardMessages);
  picture.rows().text(svg.str());
  picture.open_final();
  picture.finish();
}

}  // namespace weights
