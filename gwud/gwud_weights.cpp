// gwud_weights dimension samples: irrational-constant lattice weight vectors.
#include "lattice_weights.h"

int main(int argc, char** argv) {
  return weights::lattice_weights_main(weights::kGwudWeights, "gwud_weights", argc, argv);
}
