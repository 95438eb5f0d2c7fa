#include "svg.h"

#include <cmath>
#include <sstream>

#include "number_text.h"
#include "publication.h"

namespace simplex_weights {
namespace {

std::string number(double x) { return number_text(x, "%.2f"); }

// The drawing area of a picture and its marks.
struct Canvas {
  static constexpr double kSize = 520;
  static constexpr double kLeft = 60, kRight = kSize - 40, kTop = 60, kBottom = kSize - 60;
  std::ostringstream svg;
  double radius;

  void circle(double x, double y) {
    svg << "<circle class=\"mark\" cx=\"" << number(x) << "\" cy=\"" << number(y) << "\" r=\""
        << radius << "\"/>\n";
  }
  void label(double x, double y, const std::string& text) {
    svg << "<text x=\"" << number(x) << "\" y=\"" << number(y) << "\">" << text << "</text>\n";
  }
};

void draw_square(const FileRows& set, Canvas& c) {
  c.svg << "<rect x=\"" << c.kLeft << "\" y=\"" << c.kTop << "\" width=\"" << c.kRight - c.kLeft
        << "\" height=\"" << c.kBottom - c.kTop << "\" fill=\"none\" stroke=\"black\"/>\n";
  for (long long i = 0; i < set.rows(); ++i) {
    c.circle(c.kLeft + set.row(i)[0] * (c.kRight - c.kLeft),
             c.kBottom - set.row(i)[1] * (c.kBottom - c.kTop));
  }
}

void draw_ternary(const FileRows& set, Canvas& c) {
  const double ax = c.kLeft, ay = c.kBottom, bx = c.kRight, by = c.kBottom;
  const double cx = (c.kLeft + c.kRight) / 2;
  const double cy = c.kBottom - (c.kRight - c.kLeft) * std::sqrt(3.0) / 2;
  c.svg << "<polygon points=\"" << ax << "," << ay << " " << bx << "," << by << " " << cx << ","
        << number(cy) << "\" fill=\"none\" stroke=\"black\"/>\n";
  c.label(ax - 30, ay + 20, "w1 = 1");
  c.label(bx - 30, by + 20, "w2 = 1");
  c.label(cx - 25, cy - 10, "w3 = 1");
  for (long long i = 0; i < set.rows(); ++i) {
    const double* w = set.row(i);
    c.circle(w[0] * ax + w[1] * bx + w[2] * cx, w[0] * ay + w[1] * by + w[2] * cy);
  }
}

void draw_segment(const FileRows& set, PointKind kind, Canvas& c) {
  const double y = (c.kTop + c.kBottom) / 2;
  c.svg << "<line x1=\"" << c.kLeft << "\" y1=\"" << y << "\" x2=\"" << c.kRight << "\" y2=\"" << y
        << "\" stroke=\"black\"/>\n";
  c.label(c.kLeft - 20, y + 25, kind == PointKind::kCube ? "0" : "w1 = 1");
  c.label(c.kRight - 30, y + 25, kind == PointKind::kCube ? "1" : "w1 = 0");
  for (long long i = 0; i < set.rows(); ++i) {
    const double position = kind == PointKind::kCube ? set.row(i)[0] : 1 - set.row(i)[0];
    c.circle(c.kLeft + position * (c.kRight - c.kLeft), y);
  }
}

void draw_parallel(const FileRows& set, Canvas& c) {
  const int m = set.columns;
  const double step = (c.kRight - c.kLeft) / (m - 1);
  for (int j = 0; j < m; ++j) {
    c.svg << "<line x1=\"" << c.kLeft + j * step << "\" y1=\"" << c.kTop << "\" x2=\""
          << c.kLeft + j * step << "\" y2=\"" << c.kBottom << "\" stroke=\"black\"/>\n";
    std::string axis(1, 'w');
    axis += std::to_string(j + 1);
    c.label(c.kLeft + j * step - 10, c.kBottom + 20, axis);
  }
  for (long long i = 0; i < set.rows(); ++i) {
    c.svg << "<polyline class=\"mark line\" points=\"";
    for (int j = 0; j < m; ++j) {
      c.svg << number(c.kLeft + j * step) << ","
            << number(c.kBottom - set.row(i)[j] * (c.kBottom - c.kTop)) << " ";
    }
    c.svg << "\"/>\n";
  }
}

// The file's name as text: the characters that XML gives a meaning are replaced.
std::string title_of(const FileRows& set) {
  std::string title = set.path;
  for (char& c : title) {
    if (c == '<' || c == '>' || c == '&' || c == '"') c = '_';
  }
  return title + " (" + std::to_string(set.rows()) + " rows)";
}

}  // namespace

void write_svg(const FileRows& set, PointKind kind, const std::string& path) {
  Canvas canvas{{}, set.rows() > 2000 ? 1.0 : 2.5};
  const double size = Canvas::kSize;
  canvas.svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << size << "\" height=\""
             << size << "\" viewBox=\"0 0 " << size << " " << size << "\">\n"
             << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
             << "<style>.mark{fill:#1f5fa8;fill-opacity:0.7}.line{fill:none;stroke:#1f5fa8;"
                "stroke-opacity:0.35}text{font:14px sans-serif}</style>\n";
  canvas.label(10, 20, title_of(set));
  const int m = set.columns;
  if (kind == PointKind::kCube && m == 2) {
    draw_square(set, canvas);
  } else if (kind == PointKind::kWeights && m == 3) {
    draw_ternary(set, canvas);
  } else if (m == 1 || (kind == PointKind::kWeights && m == 2)) {
    draw_segment(set, kind, canvas);
  } else {
    draw_parallel(set, canvas);
  }
  canvas.svg << "</svg>\n";
  Publication picture(path, false, kStandardMessages, kDefaultDigits);
  picture.rows().text(canvas.svg.str());
  picture.open_final();
  picture.finish();
}

}  // namespace simplex_weights
