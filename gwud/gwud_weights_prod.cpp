// gwud_weights_prod dimension samples: irrational-constant lattice weight vectors.
#include "lattice_weights.h"

int main(int argc, char** argv) {
  return weights::lattice_weights_main(weights::kGwudWeightsProd, "gwud_weights_prod", argc, argv);
}
