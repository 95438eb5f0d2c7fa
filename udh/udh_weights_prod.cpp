// udh_weights_prod numObjectives numWeightVectors: Hammersley-type weight vectors.
#include "hammersley.h"

int main(int argc, char** argv) {
  return weights::hammersley_main(weights::kUdhWeightsProd, "udh_weights_prod", argc, argv);
}
