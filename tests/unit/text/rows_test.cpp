#include "text/rows.h"

#include <gtest/gtest.h>

#include <string>

namespace simplex_weights::detail {

namespace {

TEST(FileName, PadsTheFirstIntegerToTwoDigits) {
  EXPECT_EQ(file_name("./output/weight_%.2dD_%d.tglp", 3, 101), "./output/weight_03D_101.tglp");
  EXPECT_EQ(file_name("./output/weight_%.2dD_%d.gwud", 12, 7), "./output/weight_12D_7.gwud");
  EXPECT_EQ(file_name("./output/.weight_%.2dD_%d.msld", 123, -4), "./output/.weight_123D_-4.msld");
}

TEST(RowWriter, WritesEachNumberForm) {
  std::string text;
  {
    Writer stream(&text);
    const double row[] = {0.5, -0.0, 1e-7};
    print(stream, row, 3, RowFormat::kFixed);
    print(stream, row, 3, RowFormat::kScientific);
    print(stream, row, 3, RowFormat::kFixedSeparated);
    print(stream, row, 0, RowFormat::kFixed);
    write_header(stream, 20011, -3);
  }
  EXPECT_EQ(text,
            "0.500000 -0.000000 0.000000 \n"
            "5.000000e-01 -0.000000e+00 1.000000e-07 \n"
            "0.500000 -0.000000 0.000000\n\n"
            "# 20011 -3\n");
}

TEST(Writer, KeepsTheOrderOfShortAndLongTextsAcrossChunks) {
  std::string text;
  std::string expected;
  {
    Writer stream(&text);
    for (int i = 0; i < 3000; ++i) {
      // Pieces from one character to well past the buffer's slack, so that some go straight
      // through and others cross a chunk's end.
      const std::string piece(static_cast<std::size_t>(1 + i * 37 % 9000),
                              static_cast<char>('a' + i % 26));
      stream.text(piece);
      stream.fixed(i * 0.25);
      expected += piece + std::to_string(i * 0.25);
    }
  }
  EXPECT_EQ(text, expected);
}

}  // namespace
}  // namespace simplex_weights::detail
