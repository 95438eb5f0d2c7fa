#include "weight_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "failure.h"

namespace weights {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class WeightFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("weight_file_" + std::to_string(::getpid()));
    fs::create_directories(directory_);
  }
  void TearDown() override { fs::remove_all(directory_); }
  std::string path(const std::string& name) const { return (directory_ / name).string(); }

  fs::path directory_;
};

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
  }
  EXPECT_EQ(text,
            "0.500000 -0.000000 0.000000 \n"
            "5.000000e-01 -0.000000e+00 1.000000e-07 \n"
            "0.500000 -0.000000 0.000000\n\n");
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

TEST_F(WeightFileTest, CopyFileCopiesEverythingFromTheStart) {
  auto source = open_file(path("source"), "w+");
  auto destination = open_file(path("destination"), "w");
  std::string expected;
  for (int i = 0; i < 200000; ++i) {
    const std::string line =
        "line " + std::to_string(i) + (i % 7 == 0 ? "" : " with more text") + "\n";
    source->writer().text(line);
    expected += line;
  }
  destination->writer().text("# 1 2\n");
  copy_file(*source, *destination);
  source->close();
  destination->close();
  EXPECT_EQ(slurp(path("destination")), "# 1 2\n" + expected);
}

TEST_F(WeightFileTest, OpenFailureNamesThePath) {
  try {
    open_file(path("missing/file"), "w");
    FAIL();
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.message()),
              "Error to open the file " + path("missing/file") + ".\n");
  }
}

TEST_F(WeightFileTest, StagedPublicationLeavesOnlyTheWeightFile) {
  {
    StagedPublication publication(path(".staged"), path("final"));
    publication.rows().text("1.000000 \n");
    publication.open_final();
    publication.final_file().text("# 1 1\n");
    publication.finish();
  }
  EXPECT_EQ(slurp(path("final")), "# 1 1\n1.000000 \n");
  EXPECT_FALSE(fs::exists(path(".staged")));
}

TEST_F(WeightFileTest, WriteFailureRemovesBothFiles) {
  fs::create_symlink("/dev/full", path("final"));
  try {
    StagedPublication publication(path(".staged"), path("final"));
    publication.rows().text("1.000000 \n");
    publication.open_final();
    publication.finish();
    FAIL();
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.message()),
              "Error to write the file " + path("final") + " (No space left on device).\n");
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(path("final"))));
  EXPECT_FALSE(fs::exists(path(".staged")));
}

TEST_F(WeightFileTest, UnopenableWeightFileKeepsTheStagedRows) {
  fs::create_directory(path("final"));
  try {
    StagedPublication publication(path(".staged"), path("final"));
    publication.rows().text("0.500000 \n");
    publication.open_final();
    FAIL();
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.message()), "Error to open the file " + path("final") + ".\n");
  }
  EXPECT_EQ(slurp(path(".staged")), "0.500000 \n");
}

TEST_F(WeightFileTest, AbandonedPublicationRemovesItsStagingFile) {
  { StagedPublication publication(path(".staged"), path("final")); }
  EXPECT_FALSE(fs::exists(path(".staged")));
  EXPECT_FALSE(fs::exists(path("final")));
}

TEST_F(WeightFileTest, DirectPublicationRemovesAPartialFile) {
  fs::create_symlink("/dev/full", path("direct"));
  const FileMessages messages = {"open %s\n", "", "write %s (%s)\n"};
  try {
    DirectPublication file(path("direct"), messages);
    file.rows().text("0.1 0.9\n");
    file.finish();
    FAIL();
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.message()),
              "write " + path("direct") + " (No space left on device)\n");
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(path("direct"))));
}

}  // namespace
}  // namespace weights
