// The picture of weights_inspect: an SVG drawing of a file's rows.
#pragma once

#include <string>

#include "inspect/checks.h"
#include "inspect/reading.h"

namespace simplex_weights::cli {

/// Writes an SVG picture: m = 2 a segment, m = 3 a ternary diagram, m >= 4 parallel coordinates,
/// two-column cube files a square scatter; one mark (class "mark") per row. The file is
/// published as the suite publishes a weight file, whole or not at all; throws Failure.
/// Rows with a value that is not finite are left out of the picture, and its title says how
/// many; the file's name is written as well-formed XML whatever bytes it holds.
void write_svg(const detail::FileRows& set, PointKind kind, const std::string& path);

/// Whether the file at `path` starts as an SVG picture does ("<?xml" or "<svg", after an
/// optional byte-order mark and white space).
bool is_svg_picture(const std::string& path);

}  // namespace simplex_weights::cli
