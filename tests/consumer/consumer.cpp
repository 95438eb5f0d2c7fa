// Uses the installed library as a C++ user would: a population sized first, then filled.
#include <simplex_weights/simplex_weights.h>

#include <cstdio>

int main() {
  namespace sw = simplex_weights;
  const long long size = sw::planned_rows(sw::Construction::kTglp, 5, 91);
  const sw::WeightSet weights = sw::tglp(5, 91, {.seed = 1, .search = 4});
  const sw::WeightSet hammersley = sw::udh(3, 91);
  try {
    sw::udh(30, 10);
    return 1;
  } catch (const std::invalid_argument& refusal) {
    std::printf("refused: %s", refusal.what());
  }
  std::printf("%lld %zu %zu %.6f\n", size, weights.rows, hammersley.rows,
              sw::largest_row_sum_error(hammersley));
  return static_cast<long long>(weights.rows) == size ? 0 : 1;
}
