#include "inspector/svg.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "common/process.h"
#include "files/publication.h"
#include "inspect/number_text.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
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

// The length of the well-formed UTF-8 sequence at text[at], or 0.
std::size_t utf8_length(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  // No overlong or surrogate forms, nothing past U+10FFFF.
  if ((lead == 0xE0 && byte(at + 1) < 0xA0) || (lead == 0xED && byte(at + 1) > 0x9F) ||
      (lead == 0xF0 && byte(at + 1) < 0x90) || (lead == 0xF4 && byte(at + 1) > 0x8F)) {
    return 0;
  }
  return length;
}

// The file's name as XML text: control bytes, invalid UTF-8 and the characters that XML gives
// a meaning become '_', so that the picture stays well-formed whatever the name.
std::string title_of(const FileRows& set, long long left_out) {
  std::string title;
  for (std::size_t at = 0; at < set.path.size();) {
    const std::size_t length = utf8_length(set.path, at);
    const char c = set.path[at];
    const bool plain = length > 1 || (length == 1 && static_cast<unsigned char>(c) >= 0x20 &&
                                      c != 0x7F && c != '<' && c != '>' && c != '&' && c != '"');
    title += plain ? set.path.substr(at, length) : "_";
    at += length == 0 ? 1 : length;
  }
  title += " (" + std::to_string(set.rows()) + " rows";
  if (left_out > 0) title += "; " + std::to_string(left_out) + " with values not finite left out";
  return title + ")";
}

bool finite_row(const FileRows& set, long long i) {
  for (int j = 0; j < set.columns; ++j) {
    if (!std::isfinite(set.row(i)[j])) return false;
  }
  return true;
}

// The rows a picture can show: those whose values are all finite.
FileRows finite_rows(const FileRows& set) {
  FileRows kept;
  kept.path = set.path;
  kept.columns = set.columns;
  for (long long i = 0; i < set.rows(); ++i) {
    if (!finite_row(set, i)) continue;
    kept.values.insert(kept.values.end(), set.row(i), set.row(i) + set.columns);
    kept.row_lengths.push_back(set.columns);
    kept.row_lines.push_back(set.row_lines[static_cast<std::size_t>(i)]);
  }
  return kept;
}

}  // namespace

void write_svg(const FileRows& all_rows, PointKind kind, const std::string& path) {
  const FileRows set = finite_rows(all_rows);
  Canvas canvas{{}, set.rows() > 2000 ? 1.0 : 2.5};
  const double size = Canvas::kSize;
  canvas.svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << size << "\" height=\""
             << size << "\" viewBox=\"0 0 " << size << " " << size << "\">\n"
             << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
             << "<style>.mark{fill:#1f5fa8;fill-opacity:0.7}.line{fill:none;stroke:#1f5fa8;"
                "stroke-opacity:0.35}text{font:14px sans-serif}</style>\n";
  canvas.label(10, 20, title_of(all_rows, all_rows.rows() - set.rows()));
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
  Publication picture(path, false, kStandardMessages, kDefaultDigits, system_file_system(), true);
  picture.rows().text(canvas.svg.str());
  picture.open_final();
  picture.finish();
}

bool is_svg_picture(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char start[512] = {};
  in.read(start, sizeof start);
  std::string text(start, static_cast<std::size_t>(in.gcount()));
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return false;
  return text.compare(first, 5, "<?xml") == 0 || text.compare(first, 4, "<svg") == 0;
}

}  // namespace simplex_weights::cli
