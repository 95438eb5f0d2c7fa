// udh_weights numObjectives numWeightVectors: Hammersley-type weight vectors.
#include "hammersley.h"

int main(int argc, char** argv) {
  return weights::hammersley_main(weights::kUdhWeights, "udh_weights", argc, argv);
}
