#include "math/good_lattice.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <numeric>
#include <set>
#include <string>

#include "math/discrepancy.h"
#include "math/simplex_search.h"
#include "support/arguments.h"
#include "support/failure.h"

namespace simplex_weights::detail {
namespace {

constexpr const char* kRuler = "_______________________\n";
constexpr unsigned kRandMax = RandomSource::kMax;

int euler_phi(int n) {
  int result = n;
  for (int p = 2; p * p <= n; ++p) {
    if (n % p != 0) continue;
    while (n % p == 0) n /= p;
    result -= result / p;
  }
  if (n > 1) result -= result / n;
  return result;
}

// Remembers each candidate's test result: for a composite n the test costs up to n steps.
class CandidateCache {
 public:
  CandidateCache(int n, ComponentTest test)
      : n_(n), test_(test), known_(static_cast<std::size_t>(n), -1) {}
  bool passes(int b);

 private:
  int n_;
  ComponentTest test_;
  std::vector<signed char> known_;
};

}  // namespace

bool is_prime(int n) {
  if (n < 2) return false;
  for (int d = 2; d * d <= n; ++d) {
    if (n % d == 0) return false;
  }
  return true;
}

namespace {

// About how long a search takes: per candidate a nanosecond per pair and coordinate of its
// CD2, and a tenth of a millisecond to draw it and lay out its points.
double search_seconds(long long candidates, int s, int n) {
  return static_cast<double>(candidates) * (0.5 * n * static_cast<double>(n) * s * 1e-9 + 1e-4);
}

std::string vector_text(const std::vector<int>& h) {
  std::string text = "(";
  for (std::size_t j = 0; j < h.size(); ++j) text += (j > 0 ? ", " : "") + std::to_string(h[j]);
  return text + ")";
}

}  // namespace

long long distinct_vector_count(int s, int n, ComponentTest test) {
  constexpr long long kLimit = 1LL << 62;
  const long long passing = passing_candidate_count(n, test);
  long long count = 1;
  // Distinct components while unused passing values remain, then any passing value.
  for (int j = 0; j < s - 1 && count < kLimit; ++j) {
    const long long choices = j < passing ? passing - j : passing;
    count = choices > 0 && count > kLimit / choices ? kLimit : count * choices;
  }
  return count;
}

double lattice_discrepancy(const std::vector<int>& h, int n) {
  ColumnPoints points(static_cast<std::size_t>(n), h.size());
  LatticeIndices q(h, n);
  for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
    q.advance();
    for (std::size_t j = 0; j < h.size(); ++j) points.column(j)[k] = lattice_coordinate(q[j], n);
  }
  return centred_l2_discrepancy(points);
}

std::vector<Candidate> least_discrepancy_candidates(int s, int n, CandidateDraw draw,
                                                    const VectorDraw& how, std::size_t keep,
                                                    long long& compared) {
  const long long wanted =
      std::min<long long>(how.candidates, distinct_vector_count(s, n, how.test));
  const double seconds = search_seconds(wanted, s, n);
  if (seconds > 2 && how.on_long_search) how.on_long_search(wanted, seconds);
  std::set<std::vector<int>> seen;
  std::vector<Candidate> best;  // by CD2, the earlier drawn first among equals
  // Every distinct vector turns up in time; the bound only guards against a miscount.
  const long long most_draws = std::max<long long>(100 * wanted, 1000000);
  for (long long drawn = 0; static_cast<long long>(seen.size()) < wanted && drawn < most_draws;
       ++drawn) {
    Candidate candidate{{}, {}, 0};
    {
      Writer capture(&candidate.draws);
      candidate.h = draw(s, n, how.test, how.random, capture);
    }
    if (!seen.insert(candidate.h).second) continue;
    candidate.discrepancy = lattice_discrepancy(candidate.h, n);
    if (best.size() == keep && !(candidate.discrepancy < best.back().discrepancy)) continue;
    const auto place =
        std::upper_bound(best.begin(), best.end(), candidate.discrepancy,
                         [](double d, const Candidate& other) { return d < other.discrepancy; });
    best.insert(place, std::move(candidate));
    if (best.size() > keep) best.pop_back();
  }
  compared = static_cast<long long>(seen.size());
  return best;
}

VectorChoice choose_generating_vector(int s, int n, CandidateDraw draw, const VectorDraw& how,
                                      Writer& trace) {
  if (how.candidates <= 1) return {draw(s, n, how.test, how.random, trace)};
  VectorChoice choice;
  std::vector<Candidate> best =
      least_discrepancy_candidates(s, n, draw, how, how.on_simplex ? 8 : 1, choice.compared);
  if (how.on_simplex && s >= 1) {
    const OrderingChoice ordering = best_ordering_on_simplex(best, n, how.random);
    Candidate& winner = best[ordering.candidate];
    trace.text(winner.draws);
    choice.h = ordering.h;
    choice.discrepancy = winner.discrepancy;
    choice.on_simplex = true;
    choice.coverage = ordering.coverage;
    choice.closest = ordering.closest;
    return choice;
  }
  trace.text(best.front().draws);
  choice.h = best.front().h;
  choice.discrepancy = best.front().discrepancy;
  return choice;
}

std::string search_summary(const char* program, const VectorChoice& choice) {
  char figure[160];
  if (choice.on_simplex) {
    std::snprintf(figure, sizeof figure, ", CD2 = %.2e, coverage/closest = %.2f (%.3g / %.3g)\n",
                  choice.discrepancy, choice.coverage / choice.closest, choice.coverage,
                  choice.closest);
    return std::string(program) + ": best of " + std::to_string(choice.compared) +
           " generating vectors: " + vector_text(choice.h) + figure;
  }
  std::snprintf(figure, sizeof figure, "%g", choice.discrepancy);
  return std::string(program) + ": best of " + std::to_string(choice.compared) +
         " generating vectors by CD2: " + vector_text(choice.h) + ", CD2 = " + figure + "\n";
}

void check_lattice_arguments(int dimension, int samples, int lowest_dimension) {
  if (samples > kMaxSamples) {
    throw InvalidArgument("Error... the number of samples should be lower than " +
                          std::to_string(kMaxSamples) + "\n");
  }
  if (samples < kMinSamples) {
    throw InvalidArgument("Error... the number of samples should be at least " +
                          std::to_string(kMinSamples) + "\n");
  }
  if (dimension < lowest_dimension || dimension > kMaxLatticeDimension) {
    throw InvalidArgument(range_message("the dimension", lowest_dimension, kMaxLatticeDimension));
  }
}

int choose_modulus(const std::vector<int>& table, int samples, const char* table_name) {
  int chosen = 0;
  bool found = false;
  for (int entry : table) {
    if (entry >= samples) {
      chosen = entry;
      found = true;
      break;
    }
  }
  if (!found) {
    if (static_cast<int>(table.size()) < samples) {
      throw Failure("Error... the prime table " + std::string(table_name) +
                    " holds too few numbers for " + std::to_string(samples) + " samples.\n");
    }
    chosen = table.back();
  }
  if (chosen < 3 || chosen > kMaxModulus) {
    throw Failure("Error... the prime table " + std::string(table_name) + " gives " +
                  std::to_string(chosen) + " points; the number of points must lie in 3 .. " +
                  std::to_string(kMaxModulus) + ".\n");
  }
  return chosen;
}

int rand_interval(int lo, int hi, RandomSource& random, Writer* trace) {
  const unsigned range = static_cast<unsigned>(hi) - static_cast<unsigned>(lo) + 1u;
  const unsigned bucket = kRandMax / range;
  const unsigned limit = bucket * range;
  unsigned r = 0;
  do {
    r = static_cast<unsigned>(random.next());
  } while (r >= limit);
  const int result = lo + static_cast<int>(r / bucket);
  if (trace != nullptr) {
    trace->text("random value from function ");
    trace->integer(result);
    trace->text(" \n ");
  }
  return result;
}

namespace {

// b^e modulo n by repeated squaring.
long long power_modulo(long long b, int e, int n) {
  long long result = 1;
  for (b %= n; e > 0; e >>= 1) {
    if ((e & 1) != 0) result = result * b % n;
    b = b * b % n;
  }
  return result;
}

// For a prime n >= 5 and b not a multiple of n, the order of b divides n - 1; every proper
// divisor is at most (n - 1) / 2 <= n - 3, so b passes exactly when its order is n - 1, that
// is when b^((n - 1) / q) is not 1 for any prime factor q of n - 1.
bool has_full_order(int n, int b) {
  int rest = n - 1;
  for (int q = 2; q <= rest; ++q) {
    if (rest % q != 0) continue;
    while (rest % q == 0) rest /= q;
    if (power_modulo(b, (n - 1) / q, n) == 1) return false;
  }
  return true;
}

}  // namespace

int primitive_root(int n, int b) {
  // A common factor of b and n divides every power's residue, so none is 1.
  if (std::gcd(b, n) > 1) return 1;
  if (n >= 5 && is_prime(n)) return has_full_order(n, b) ? 1 : 0;
  // Otherwise the powers come one by one, up to the order of b, which is small.
  long long residue = 1;
  for (int p = 1; p <= n - 3; ++p) {
    residue = residue * b % n;
    if (residue == 1) return 0;
  }
  return 1;
}

bool passes(ComponentTest test, int n, int b) {
  return test == ComponentTest::kUnit ? std::gcd(b, n) == 1 : primitive_root(n, b) == 1;
}

bool CandidateCache::passes(int b) {
  signed char& entry = known_[static_cast<std::size_t>(b)];
  if (entry < 0) entry = static_cast<signed char>(detail::passes(test_, n_, b) ? 1 : 0);
  return entry == 1;
}

int passing_candidate_count(int n, ComponentTest test) {
  // Units: every residue prime to n but 1.
  if (test == ComponentTest::kUnit) return euler_phi(n) - 1;
  // Prime n: the primitive roots. Composite n: no power of a candidate sharing a factor with n
  // is 1, and a candidate prime to n has order at most phi(n) <= n - 3, except 3 modulo 4.
  if (is_prime(n)) return euler_phi(n - 1);
  return n - 1 - euler_phi(n) + (n == 4 ? 1 : 0);
}

std::vector<int> generating_vector(int s, int n, RandomSource& random, Writer& trace,
                                   Writer* draw_trace, ComponentTest test) {
  std::vector<int> h{1};
  std::vector<char> chosen(static_cast<std::size_t>(n), 0);
  CandidateCache checked(n, test);
  int distinct = 0;
  int passing = -1;  // counted when first needed
  while (static_cast<int>(h.size()) < s) {
    const int g = rand_interval(2, n - 1, random, draw_trace);
    char& used = chosen[static_cast<std::size_t>(g)];
    if (used != 0) {
      if (passing < 0) passing = passing_candidate_count(n, test);
      if (distinct < passing) continue;  // drawn again: another passing value is still free
    } else if (!checked.passes(g)) {
      continue;
    }
    if (used == 0) ++distinct;
    used = 1;
    h.push_back(g);
    trace.text("hi = ");
    trace.integer(g);
    trace.put('\n');
  }
  return h;
}

std::vector<int> tglp_candidate(int s, int n, ComponentTest test, RandomSource& random,
                                Writer& draws) {
  // One draw is made and discarded first, as the construction has always done.
  rand_interval(2, n - 1, random, &draws);
  return generating_vector(s, n, random, draws, &draws, test);
}

VectorChoice glp(Writer& trace, int s, int n, double* cube, const VectorDraw& how) {
  VectorChoice choice = choose_generating_vector(s, n, tglp_candidate, how, trace);
  const std::vector<int>& h = choice.h;
  trace.text(kRuler);
  const std::size_t width = static_cast<std::size_t>(s);
  const bool tracing = !trace.discards();  // trace-only work is skipped when nobody reads it
  LatticeIndices q(h, n);
  for (int k = 1; k <= n; ++k) {
    q.advance();
    double* point = cube + static_cast<std::size_t>(k - 1) * width;
    for (int j = 0; j < s; ++j) {
      point[j] = lattice_coordinate(q[static_cast<std::size_t>(j)], n);
      if (!tracing) continue;
      trace.fixed(point[j]);
      trace.put('\t');
    }
    if (tracing) trace.put('\n');
  }
  trace.text(kRuler);
  return choice;
}

}  // namespace simplex_weights::detail
