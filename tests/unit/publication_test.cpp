#include "publication.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "failure.h"

namespace simplex_weights {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Each test runs in a fresh directory holding ./output, as a program does.
class PublicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("publication_" + std::to_string(::getpid()));
    fs::create_directories(directory_ / "output");
    previous_ = fs::current_path();
    fs::current_path(directory_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(directory_);
  }
  static void publish(const std::string& rows) {
    Publication publication(staged_file_name("gwud", 3, 2), true, kStandardMessages, 6);
    publication.rows().text(rows);
    publication.open_final();
    publication.finish();
  }
  static std::string failure_of(void (*run)()) {
    try {
      run();
    } catch (const Failure& failure) {
      return std::string(failure.message()) + "|" + failure.detail();
    }
    return "no failure";
  }

  static constexpr const char* kHidden = "output/.weight_03D_2.gwud";
  static constexpr const char* kFinal = "output/weight_03D_2.gwud";
  fs::path directory_;
  fs::path previous_;
};

TEST_F(PublicationTest, LeavesOnlyTheWeightFile) {
  publish("# 1 1\n1.000000 \n");
  EXPECT_EQ(slurp(kFinal), "# 1 1\n1.000000 \n");
  EXPECT_EQ(fs::directory_iterator("output")->path(), fs::path("output/weight_03D_2.gwud"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(kHidden)));
}

TEST_F(PublicationTest, LinksAtEitherNameAreReplacedNotFollowed) {
  std::ofstream("victim") << "keep me";
  fs::create_symlink("../victim", kHidden);
  fs::create_symlink("../victim", kFinal);
  publish("0.5 \n");
  EXPECT_EQ(slurp("victim"), "keep me");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(kFinal)));
  EXPECT_EQ(slurp(kFinal), "0.5 \n");
}

TEST_F(PublicationTest, ALeftoverHiddenFileIsRemovedFirst) {
  std::ofstream(kHidden) << "rows of a run that was killed\n";
  publish("0.25 \n");
  EXPECT_EQ(slurp(kFinal), "0.25 \n");
  EXPECT_FALSE(fs::exists(kHidden));
}

TEST_F(PublicationTest, AFailedWriteKeepsThePreviousFileAndRemovesTheHiddenOne) {
  std::ofstream(kFinal) << "previous\n";
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 100000;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  const std::string message = failure_of([] { publish(std::string(1 << 20, 'x')); });
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous_handler);
  EXPECT_EQ(message, "Error to write the file ./output/weight_03D_2.gwud (File too large).\n|");
  EXPECT_EQ(slurp(kFinal), "previous\n");
  EXPECT_FALSE(fs::exists(kHidden));
}

TEST_F(PublicationTest, AWeightFileNameThatCannotTakeAFileLeavesNothingBehind) {
  fs::create_directory(kFinal);
  EXPECT_EQ(failure_of([] { publish("0.5 \n"); }),
            "Error to open the file ./output/weight_03D_2.gwud.\n"
            "|./output/weight_03D_2.gwud: is a directory, not a file");
  EXPECT_FALSE(fs::exists(kHidden));
  fs::remove(kFinal);
  ASSERT_EQ(::mkfifo(kFinal, 0600), 0);
  EXPECT_EQ(failure_of([] { publish("0.5 \n"); }),
            "Error to open the file ./output/weight_03D_2.gwud.\n"
            "|./output/weight_03D_2.gwud: is a FIFO, not a file");
  EXPECT_FALSE(fs::exists(kHidden));
}

TEST_F(PublicationTest, AnAbandonedPublicationRemovesItsHiddenFile) {
  { Publication publication(staged_file_name("gwud", 3, 2), true, kStandardMessages, 6); }
  EXPECT_TRUE(fs::is_empty("output"));
}

TEST_F(PublicationTest, AMissingDirectoryIsNamedWithAHint) {
  fs::remove("output");
  EXPECT_EQ(failure_of([] { publish(""); }),
            "Error to open the file ./output/.weight_03D_2.gwud.\n"
            "|./output/.weight_03D_2.gwud: No such file or directory (create the directory "
            "./output first)");
  // A direct publication speaks of the weight file itself.
  EXPECT_EQ(
      failure_of([] {
        Publication publication("./output/weight_03D_4.udh", false, {"open %s\n", "write %s\n"}, 6);
      }),
      "open ./output/weight_03D_4.udh\n"
      "|./output/weight_03D_4.udh: No such file or directory (create the directory "
      "./output first)");
}

}  // namespace
}  // namespace simplex_weights
