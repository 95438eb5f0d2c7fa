// The public interface against the programs: the same rows, byte for byte once formatted, the
// same random sequence as the C library, and no state shared between calls.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "simplex_weights/simplex_weights.h"

namespace simplex_weights {

// A library built without the k-d tree refuses the figures.
constexpr bool kHasFigures = WEIGHTS_HAS_FIGURES;
namespace {

TEST(GlibcRandom, GivesTheSequenceOfRandAfterSrand) {
  for (unsigned seed : {0u, 1u, 2u, 7u, 12345u, 2147483647u, 2147483648u, 4294967295u}) {
    std::srand(seed);
    GlibcRandom random(seed);
    for (int i = 0; i < 10000; ++i) ASSERT_EQ(random.next(), std::rand()) << seed << " " << i;
  }
  std::srand(20261209);
  GlibcRandom random(20261209);
  for (int i = 0; i < 1000000; ++i) ASSERT_EQ(random.next(), std::rand()) << i;
}

TEST(GlibcRandom, SourcesInThreadsDoNotInterfere) {
  auto draws = [](unsigned seed) {
    GlibcRandom random(seed);
    std::vector<int> values(200000);
    for (int& value : values) value = random.next();
    return values;
  };
  const std::vector<int> alone_a = draws(3);
  const std::vector<int> alone_b = draws(4);
  std::vector<int> a, b;
  std::thread first([&] { a = draws(3); });
  std::thread second([&] { b = draws(4); });
  first.join();
  second.join();
  EXPECT_EQ(a, alone_a);
  EXPECT_EQ(b, alone_b);
}

// Runs a program of the suite in a fresh directory and returns the file it leaves.
class ProgramFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/simplex-weights-api-XXXXXX";
    directory_ = ::mkdtemp(pattern);
    std::filesystem::create_directory(directory_ / "output");
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  std::string run(const std::string& command, const std::string& file) {
    const std::string line =
        "cd '" + directory_.string() + "' && " WEIGHTS_BIN_DIR "/" + command + " > /dev/null 2>&1";
    EXPECT_EQ(std::system(line.c_str()), 0) << command;
    std::ifstream in(directory_ / file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path directory_;
};

// "" when two texts are equal, else their first differing line: a failure stays small however
// large the files.
std::string first_difference(const std::string& expected, const std::string& actual) {
  std::size_t line = 1;
  std::size_t start = 0;
  for (;; ++line) {
    const std::size_t e_end = expected.find('\n', start);
    const std::size_t a_end = actual.find('\n', start);
    const std::string e =
        expected.substr(start, e_end == std::string::npos ? e_end : e_end - start);
    const std::string a = actual.substr(start, a_end == std::string::npos ? a_end : a_end - start);
    if (e != a || e_end != a_end) {
      return "line " + std::to_string(line) + ": expected \"" + e.substr(0, 200) + "\", got \"" +
             a.substr(0, 200) + "\"";
    }
    if (e_end == std::string::npos) return {};
    start = e_end + 1;
  }
}

std::string two_digit(int m) { return (m < 10 ? "0" : "") + std::to_string(m); }

std::string formatted(Construction construction, const WeightSet& set, int digits = 6) {
  const FileLayout layout = program_layout(construction);
  return format_weight_file(set, layout.format, digits, layout.header);
}

TEST_F(ProgramFiles, EveryConstructionGivesTheProgramsRows) {
  struct Case {
    Construction construction;
    const char* program;
    const char* extension;
    int first, second;
  };
  const Case cases[] = {
      {Construction::kUdh, "udh_weights", "udh", 3, 91},
      {Construction::kUdh, "udh_weights", "udh", 12, 40},
      {Construction::kGwud, "gwud_weights", "gwud", 5, 210},
      {Construction::kGwudProduct, "gwud_weights_prod", "gwud", 3, 50},
      {Construction::kMsld, "msld_weights", "msld", 3, 4},
      {Construction::kMsld, "msld_weights", "msld", 2, 7},
      // Large enough to be computed in blocks on several threads.
      {Construction::kUdh, "udh_weights", "udh", 5, 200003},
      {Construction::kGwud, "gwud_weights", "gwud", 4, 150001},
      {Construction::kMsld, "msld_weights", "msld", 10, 100},  // 151511 rows, by vertex
  };
  for (const Case& c : cases) {
    const std::string file = std::string("output/weight_") + two_digit(c.first) + "D_" +
                             std::to_string(c.second) + "." + c.extension;
    for (int digits : {6, 17}) {
      const std::string args = std::string(c.program) + " --digits " + std::to_string(digits) +
                               " " + std::to_string(c.first) + " " + std::to_string(c.second);
      const WeightSet set = generate(c.construction, c.first, c.second);
      EXPECT_EQ(first_difference(formatted(c.construction, set, digits), run(args, file)), "")
          << args;
      EXPECT_EQ(static_cast<long long>(set.rows), planned_rows(c.construction, c.first, c.second));
    }
  }
  // udh_weights_prod writes into the working directory itself.
  const WeightSet product = udh_product(4, 30);
  EXPECT_EQ(first_difference(formatted(Construction::kUdhProduct, product),
                             run("udh_weights_prod 4 30", "weight_04D_30.udh")),
            "");
}

TEST_F(ProgramFiles, SeededLatticesGiveTheProgramsRows) {
  for (unsigned seed : {1u, 42u}) {
    for (int search : {1, 20}) {
      const Options options{.seed = seed, .search = search};
      const std::string flags =
          " --seed " + std::to_string(seed) + " --search " + std::to_string(search) + " ";
      const WeightSet weights = generate(Construction::kTglp, 4, 100, options);
      EXPECT_EQ(planned_rows(Construction::kTglp, 4, 100, options), 101);
      EXPECT_EQ(
          first_difference(formatted(Construction::kTglp, weights),
                           run("tglp_weights" + flags + "4 100", "output/weight_04D_101.tglp")),
          "");
      const WeightSet cube = generate(Construction::kGlpCube, 3, 101, options);
      EXPECT_EQ(first_difference(formatted(Construction::kGlpCube, cube),
                                 run("glp_points" + flags + "3 101", "output/weight_03D_101.glp")),
                "");
      // Units, and exactly N points.
      const Options exact{.seed = seed, .search = search, .exact = true};
      EXPECT_EQ(first_difference(
                    formatted(Construction::kTglp, generate(Construction::kTglp, 5, 91, exact)),
                    run("tglp_weights --exact" + flags + "5 91", "output/weight_05D_91.tglp")),
                "");
      const Options units{.seed = seed, .search = search, .units = true};
      EXPECT_EQ(
          first_difference(
              formatted(Construction::kGlpCube, generate(Construction::kGlpCube, 4, 210, units)),
              run("glp_points --units" + flags + "4 210", "output/weight_04D_210.glp")),
          "");
    }
  }
  // Beyond five components the orderings are drawn from the generator too.
  const Options wide{.seed = 4, .search = 6};
  EXPECT_EQ(
      first_difference(formatted(Construction::kTglp, generate(Construction::kTglp, 8, 60, wide)),
                       run("tglp_weights --seed 4 --search 6 8 60", "output/weight_08D_61.tglp")),
      "");
}

TEST_F(ProgramFiles, VerticesGiveTheProgramsRows) {
  struct Case {
    Construction construction;
    const char* command;
    const char* file;
    int first, second;
  };
  const Case cases[] = {
      {Construction::kUdh, "udh_weights", "output/weight_05D_210.udh", 5, 210},
      {Construction::kUdhProduct, "udh_weights_prod", "weight_04D_30.udh", 4, 30},
      {Construction::kGwud, "gwud_weights", "output/weight_05D_210.gwud", 5, 210},
      {Construction::kGwudProduct, "gwud_weights_prod", "output/weight_03D_50.gwud", 3, 50},
      {Construction::kTglp, "tglp_weights --seed 3 --exact", "output/weight_05D_91.tglp", 5, 91},
      {Construction::kMsld, "msld_weights", "output/weight_03D_4.msld", 3, 4},
  };
  for (const Case& c : cases) {
    std::string args = c.command;
    args.append(" --vertices ").append(std::to_string(c.first));
    args.append(" ").append(std::to_string(c.second));
    const Options options{.seed = 3, .exact = true, .vertices = true};
    const WeightSet set = generate(c.construction, c.first, c.second, options);
    EXPECT_EQ(first_difference(formatted(c.construction, set), run(args, c.file)), "") << args;
  }
}

TEST(Constructions, VerticesTakeThePlacesOfTheirNearestRowsAndRowsStayDistinct) {
  for (Construction c : {Construction::kUdh, Construction::kUdhProduct, Construction::kGwud,
                         Construction::kGwudProduct, Construction::kTglp}) {
    for (const auto& [m, N] : {std::pair{3, 91}, std::pair{5, 210}, std::pair{10, 275}}) {
      const Options plain_options{.seed = 2, .exact = true};
      const Options with{.seed = 2, .exact = true, .vertices = true};
      const WeightSet plain = generate(c, m, N, plain_options);
      const WeightSet set = generate(c, m, N, with);
      ASSERT_EQ(set.rows, plain.rows);
      std::set<std::vector<double>> rows;
      std::size_t changed = 0;
      for (std::size_t i = 0; i < set.rows; ++i) {
        rows.insert(std::vector<double>(set.row(i), set.row(i) + m));
        changed += std::equal(set.row(i), set.row(i) + m, plain.row(i)) ? 0 : 1;
      }
      EXPECT_EQ(rows.size(), set.rows) << m << " " << N;
      EXPECT_LE(changed, static_cast<std::size_t>(m));
      for (int j = 0; j < m; ++j) {
        std::vector<double> vertex(static_cast<std::size_t>(m), 0.0);
        vertex[static_cast<std::size_t>(j)] = 1.0;
        EXPECT_EQ(rows.count(vertex), 1u) << m << " " << N << " vertex " << j;
      }
    }
  }
  // The design holds its vertices already.
  EXPECT_EQ(msld(4, 3, {.vertices = true}).values, msld(4, 3).values);
}

TEST(Constructions, RefuseArgumentsWithTheProgramsWords) {
  try {
    tglp(1, 100);
    FAIL();
  } catch (const InvalidArgument& refusal) {
    EXPECT_STREQ(refusal.what(), "Error... the dimension should lie in 2 .. 1000\n");
    EXPECT_EQ(refusal.code(), ErrorCode::kInvalidArgument);
  }
  EXPECT_THROW(tglp(3, 20001), std::invalid_argument);
  EXPECT_THROW(udh(23, 10), std::invalid_argument);
  EXPECT_THROW(udh(22, 100000000), std::invalid_argument);
  EXPECT_THROW(gwud(11, 10), std::invalid_argument);
  EXPECT_THROW(msld(0, 3), std::invalid_argument);
  EXPECT_THROW(msld(3, 100001), std::invalid_argument);
  EXPECT_THROW(glp_cube(3, 2), std::invalid_argument);
  EXPECT_THROW(tglp(3, 100, {.search = 0}), std::invalid_argument);
  EXPECT_THROW(planned_rows(Construction::kMsld, 2, 0), std::invalid_argument);
}

TEST(Constructions, OutOfMemoryCarriesItsOwnCode) {
  try {
    msld(1000, 1190);  // 2.1e9 rows of 1000 values
    FAIL();
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kOutOfMemory);
  }
  const InvalidArgument refusal("Error... no\n", "why");
  EXPECT_EQ(refusal.detail(), "why");
  static_assert(!std::is_copy_constructible_v<DistinctRows>);
  EXPECT_EQ(planned_columns(Construction::kMsld, 7), 7);
  EXPECT_THROW(planned_columns(static_cast<Construction>(99), 3), std::invalid_argument);
}

TEST(Constructions, PlannedRowsAreTheRowsReturned) {
  EXPECT_EQ(planned_rows(Construction::kTglp, 5, 91), 97);
  EXPECT_EQ(planned_rows(Construction::kTglp, 3, 3), 3);
  EXPECT_EQ(planned_rows(Construction::kTglp, 3, 20000), 20011);
  EXPECT_EQ(planned_rows(Construction::kUdh, 3, -4), 0);
  EXPECT_EQ(udh(3, -4).rows, 0u);
  EXPECT_EQ(planned_rows(Construction::kMsld, 5, 5), 231);
  EXPECT_EQ(msld(5, 5).rows, 231u);
  const WeightSet unique = msld(5, 5, {.unique = true});
  EXPECT_EQ(static_cast<long long>(unique.rows),
            planned_rows(Construction::kMsld, 5, 5, {.unique = true}));
  EXPECT_EQ(unique.rows, 231u - 130u);
}

TEST(Constructions, ExactGivesExactlyTheSamplesAskedFor) {
  for (int N : {3, 4, 91, 100, 128, 210, 243, 1024, 20000}) {
    const Options exact{.seed = 5, .exact = true};
    EXPECT_EQ(planned_rows(Construction::kTglp, 5, N, exact), N);
    const WeightSet set = generate(Construction::kTglp, 5, N, exact);
    EXPECT_EQ(set.rows, static_cast<std::size_t>(N));
    EXPECT_EQ(set.values, generate(Construction::kTglp, 5, N, exact).values)
        << "a seed fixes the set";
    EXPECT_LT(largest_row_sum_error(set), 1e-12);
  }
}

TEST(Constructions, UnitsKeepEveryColumnOfACompositeCubeSetFreeOfRepeats) {
  for (int N : {210, 243, 1000}) {
    const WeightSet cube = glp_cube(4, N, {.seed = 2, .units = true});
    for (std::size_t j = 0; j < cube.columns; ++j) {
      std::set<double> column;
      for (std::size_t i = 0; i < cube.rows; ++i) column.insert(cube.row(i)[j]);
      EXPECT_EQ(column.size(), cube.rows) << N << " column " << j;
    }
  }
}

TEST(Constructions, TheDistinctRowCountIsKnownBeforeGenerating) {
  for (int M = 1; M <= 7; ++M) {
    for (int K = 0; K <= 6; ++K) {
      if (M == 2 && K == 0) continue;
      const Options unique{.unique = true};
      EXPECT_EQ(static_cast<long long>(generate(Construction::kMsld, M, K, unique).rows),
                planned_rows(Construction::kMsld, M, K, unique))
          << M << " " << K;
    }
  }
}

TEST(Constructions, UniqueKeepsTheFirstOfEachRowInOrder) {
  const WeightSet all = msld(3, 4);
  const WeightSet unique = msld(3, 4, {.unique = true});
  std::vector<std::vector<double>> expected;
  for (std::size_t i = 0; i < all.rows; ++i) {
    std::vector<double> row(all.row(i), all.row(i) + all.columns);
    if (std::find(expected.begin(), expected.end(), row) == expected.end()) {
      expected.push_back(row);
    }
  }
  ASSERT_EQ(unique.rows, expected.size());
  for (std::size_t i = 0; i < unique.rows; ++i) {
    EXPECT_EQ(std::vector<double>(unique.row(i), unique.row(i) + 3), expected[i]);
  }
}

TEST(Constructions, ASeedGivesTheSameSetInEveryThread) {
  const WeightSet alone = tglp(5, 211, {.seed = 9, .search = 8});
  WeightSet in_thread[2];
  std::thread a([&] { in_thread[0] = tglp(5, 211, {.seed = 9, .search = 8}); });
  std::thread b([&] { in_thread[1] = tglp(5, 211, {.seed = 10, .search = 8}); });
  a.join();
  b.join();
  EXPECT_EQ(in_thread[0].values, alone.values);
  EXPECT_NE(in_thread[1].values, alone.values);
}

TEST(TextFormat, SavedFilesLoadBackExactlyAtSeventeenDigits) {
  const WeightSet set = gwud(4, 64);
  const std::string path = ::testing::TempDir() + "/simplex-weights-saved.txt";
  save(path, set, RowFormat::kScientific, 17);
  const WeightSet loaded = load(path);
  EXPECT_EQ(loaded.rows, set.rows);
  EXPECT_EQ(loaded.columns, set.columns);
  EXPECT_EQ(loaded.values, set.values);
  std::ofstream(path) << "# 2 2\n0.5 0.5\n0.25\n";
  try {
    load(path);
    FAIL();
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kParse);
  }
  std::filesystem::remove(path);
  EXPECT_THROW(load(path), Error);
}

TEST(Figures, MatchHandComputedValuesOfASmallSet) {
  if (!kHasFigures) GTEST_SKIP() << "built without nanoflann";
  // The three vertices of the triangle: every pair is sqrt(2) apart.
  const WeightSet vertices{.rows = 3, .columns = 3, .values = {1, 0, 0, 0, 1, 0, 0, 0, 1}};
  const Figures f = figures(vertices);
  EXPECT_EQ(f.distinct, 3);
  EXPECT_NEAR(*f.closest_pair, std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(*f.mean_nearest, std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(*f.nearest_cv, 0, 1e-12);
  // The mean of d^-6 over the pairs is 2^-3.
  EXPECT_NEAR(*f.energy, std::log(0.125), 1e-12);
  EXPECT_DOUBLE_EQ(largest_row_sum_error(vertices), 0);
  EXPECT_TRUE(all_non_negative(vertices));
  for (const CheckResult& check : checks(vertices)) EXPECT_TRUE(check.pass) << check.text;
  const WeightSet one{.rows = 1, .columns = 2, .values = {0.5, 0.5}};
  EXPECT_THROW(figures(one), std::invalid_argument);
}

// C(n, k) exactly, for the small arguments below.
long long binomial(long long n, long long k) {
  long long result = 1;
  for (long long i = 1; i <= k; ++i) result = result * (n - k + i) / i;
  return result;
}

TEST(Figures, CoverageIsMeasuredFromTheLargestSimplexLatticeOfAtMost100000Points) {
  if (!kHasFigures) GTEST_SKIP() << "built without nanoflann";
  for (int m : {3, 5}) {
    long long H = 0;
    while (binomial(H + 1 + m - 1, m - 1) <= 100000) ++H;
    const Figures f = figures(udh(m, 60));
    EXPECT_NE(f.coverage_radius_note.find("H = " + std::to_string(H) + ", " +
                                          std::to_string(binomial(H + m - 1, m - 1)) + " points"),
              std::string::npos)
        << m << ": " << f.coverage_radius_note;
  }
}

TEST(Figures, DiscrepancyOfACubeSetIsTheLibrarysOwn) {
  if (!kHasFigures) GTEST_SKIP() << "built without nanoflann";
  const WeightSet cube = glp_cube(2, 13, {.seed = 3});
  const Figures f = figures(cube, PointKind::kCube);
  EXPECT_DOUBLE_EQ(*f.discrepancy, centred_l2_discrepancy(cube.values.data(), 13, 2));
}

TEST(Energy, GivesTheProgramsRowsAndRefinesASetKeepingItsCount) {
  const WeightSet set = energy(3, 20, {.seed = 5});
  EXPECT_EQ(static_cast<long long>(set.rows), planned_rows(Construction::kEnergy, 3, 20));
  EXPECT_EQ(planned_columns(Construction::kEnergy, 3), 3);
  EXPECT_EQ(generate(Construction::kEnergy, 3, 20, {.seed = 5}).values, set.values);
  EXPECT_THROW(planned_rows(Construction::kEnergy, 4, 3), InvalidArgument);
  const WeightSet start = gwud(3, 20);
  const WeightSet refined = refine_energy(start);
  EXPECT_EQ(refined.rows, 20u);
  EXPECT_LT(riesz_energy(refined), riesz_energy(start));
  EXPECT_THROW(refine_energy(WeightSet{.rows = 2, .columns = 2, .values = {0.5, 0.5, 0.5, 0.5}}),
               InvalidArgument);
}

}  // namespace
}  // namespace simplex_weights
