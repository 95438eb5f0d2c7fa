#include "files/publication.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/process.h"
#include "common/runs.h"
#include "support/failure.h"
#include "tests/support/recording_file_system.h"

namespace simplex_weights::cli {

using namespace simplex_weights::detail;

namespace {

using test_support::RecordingFileSystem;

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
    Publication publication(staged_file_name("gwud", 3, 2), true, kStandardMessages, 6,
                            system_file_system(), true);
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

  // The hidden files of the weight file below: its family's name, the marker and a suffix.
  static bool hidden_left() {
    for (const auto& entry : fs::directory_iterator("output")) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(".weight_03D_2.gwud.sw-partial.", 0) == 0 && name.size() == 36) return true;
    }
    return false;
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

TEST_F(PublicationTest, ALeftoverHiddenFileIsRemovedFirstWhateverItsSuffix) {
  for (const char* suffix : {"k3Vq9Z", "000000", "zzzzzz", "AB12cd"}) {
    const std::string leftover = std::string(kHidden) + ".sw-partial." + suffix;
    std::ofstream(leftover) << "rows of a run that was killed\n";
    publish("0.25 \n");
    EXPECT_EQ(slurp(kFinal), "0.25 \n");
    EXPECT_FALSE(hidden_left()) << suffix;
  }
}

TEST_F(PublicationTest, NothingButARunsOwnHiddenFileIsEverRemoved) {
  // A user's own files whose names only look like a hidden file: the bare hidden name, the
  // old suffix form, a suffix of another length, a link or a FIFO with the marker.
  std::ofstream("victim") << "keep me";
  const std::string base = kHidden;
  const std::vector<std::string> theirs = {base, base + ".backup", base + ".k3Vq9Z",
                                           base + ".sw-partial.abc", base + ".sw-partial.abcdefg"};
  for (const std::string& name : theirs) std::ofstream(name) << "theirs\n";
  fs::create_symlink("../victim", base + ".sw-partial.LINK00");
  ASSERT_EQ(::mkfifo((base + ".sw-partial.FIFO00").c_str(), 0600), 0);
  publish("0.5 \n");
  EXPECT_EQ(slurp(kFinal), "0.5 \n");
  for (const std::string& name : theirs) EXPECT_EQ(slurp(name), "theirs\n") << name;
  EXPECT_TRUE(fs::is_symlink(base + ".sw-partial.LINK00"));
  EXPECT_TRUE(fs::is_fifo(base + ".sw-partial.FIFO00"));
  EXPECT_EQ(slurp("victim"), "keep me");
}

TEST_F(PublicationTest, NamesUpToNameMaxArePublishedAndReportedAsGiven) {
  const std::string longest = "output/" + std::string(255, 'w');
  Publication publication(longest, false, kStandardMessages, 6, system_file_system(), true);
  publication.rows().text("1 \n");
  publication.open_final();
  publication.finish();
  EXPECT_EQ(slurp(longest), "1 \n");
  // A "%s" in a name is the name's own: the message names it once, verbatim.
  fs::remove("output/" + std::string(255, 'w'));
  EXPECT_EQ(failure_of([] {
              Publication odd("missing/w%s.txt", false, kStandardMessages, 6, system_file_system(),
                              true);
            }).substr(0, 41),
            "Error to open the file missing/w%s.txt.\n|");
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
  EXPECT_FALSE(hidden_left());
}

TEST_F(PublicationTest, AWeightFileNameThatCannotTakeAFileLeavesNothingBehind) {
  fs::create_directory(kFinal);
  EXPECT_EQ(failure_of([] { publish("0.5 \n"); }),
            "Error to open the file ./output/weight_03D_2.gwud.\n"
            "|./output/weight_03D_2.gwud: is a directory, not a file");
  EXPECT_FALSE(hidden_left());
  fs::remove(kFinal);
  ASSERT_EQ(::mkfifo(kFinal, 0600), 0);
  EXPECT_EQ(failure_of([] { publish("0.5 \n"); }),
            "Error to open the file ./output/weight_03D_2.gwud.\n"
            "|./output/weight_03D_2.gwud: is a FIFO, not a file");
  EXPECT_FALSE(hidden_left());
}

TEST_F(PublicationTest, AnAbandonedPublicationRemovesItsHiddenFile) {
  {
    Publication publication(staged_file_name("gwud", 3, 2), true, kStandardMessages, 6,
                            system_file_system(), true);
  }
  EXPECT_TRUE(fs::is_empty("output"));
}

TEST_F(PublicationTest, AMissingDirectoryIsNamedWithAHint) {
  fs::remove("output");
  EXPECT_EQ(failure_of([] { publish(""); }),
            "Error to open the file ./output/.weight_03D_2.gwud.\n"
            "|./output/.weight_03D_2.gwud: No such file or directory (create the directory "
            "./output first)");
  // A direct publication speaks of the weight file itself.
  EXPECT_EQ(failure_of([] {
              Publication publication("./output/weight_03D_4.udh", false,
                                      {"open %s\n", "write %s\n"}, 6, system_file_system(), true);
            }),
            "open ./output/weight_03D_4.udh\n"
            "|./output/weight_03D_4.udh: No such file or directory (create the directory "
            "./output first)");
}

std::string publish_with(RecordingFileSystem& files, const std::string& rows) {
  try {
    Publication publication(staged_file_name("gwud", 3, 2), true, kStandardMessages, 6, files,
                            true);
    publication.rows().text(rows);
    publication.open_final();
    publication.finish();
  } catch (const Failure& failure) {
    return std::string(failure.message()) + "|" + failure.detail();
  }
  return "published";
}

TEST_F(PublicationTest, RowsAreSyncedBeforeTheRenameThatPublishesThem) {
  RecordingFileSystem files;
  files.power_cut = true;
  EXPECT_EQ(publish_with(files, "0.5 \n"), "published");
  EXPECT_EQ(files.calls, "create lock sync close rename close");
  // The power cut after the rename found the rows on the disk.
  EXPECT_EQ(slurp(kFinal), "0.5 \n");
  EXPECT_FALSE(hidden_left());
}

TEST_F(PublicationTest, EveryFailedCallKeepsThePreviousFileAndLeavesNoHiddenOne) {
  struct Case {
    const char* call;
    int error;
    const char* outcome;
  };
  const Case cases[] = {
      {"create", EACCES,
       "Error to open the file ./output/.weight_03D_2.gwud.\n|./output/.weight_03D_2.gwud: "
       "Permission denied"},
      {"sync", EIO, "Error to write the file ./output/weight_03D_2.gwud (Input/output error).\n|"},
      {"close", ENOSPC,
       "Error to write the file ./output/weight_03D_2.gwud (No space left on device).\n|"},
      {"rename", EPERM,
       "Error to open the file ./output/weight_03D_2.gwud.\n|./output/weight_03D_2.gwud: "
       "Operation not permitted"},
      // Without locks (NFS without a lock manager) the run goes on unlocked.
      {"lock", ENOLCK, "published"},
  };
  for (const Case& c : cases) {
    std::ofstream(kFinal) << "previous\n";
    RecordingFileSystem files;
    files.failing = c.call;
    files.failure_errno = c.error;
    EXPECT_EQ(publish_with(files, "0.25 \n"), c.outcome) << c.call;
    EXPECT_EQ(slurp(kFinal), std::string(c.outcome) == "published" ? "0.25 \n" : "previous\n")
        << c.call;
    EXPECT_FALSE(hidden_left()) << c.call;
  }
}

TEST_F(PublicationTest, AFileLockedByAnotherProcessIsLeftAndAnotherNameTaken) {
  RecordingFileSystem files;
  files.failing = "lock";
  files.failure_errno = EWOULDBLOCK;
  // Every name drawn is locked by someone else: the run gives up after a bounded number.
  EXPECT_EQ(publish_with(files, "0.5 \n").substr(0, 30), "Error to open the file ./outpu");
  std::istringstream calls(files.calls);
  int locks = 0;
  for (std::string call; calls >> call;) locks += call == "lock" ? 1 : 0;
  EXPECT_EQ(locks, 64);
  EXPECT_FALSE(hidden_left());
}

}  // namespace
}  // namespace simplex_weights::cli
