// pagmo's decompose meta-problem as a consumer of weight files: it refuses any weight whose
// components do not sum to 1 within 1e-8. Reads each file named on the command line (a
// "# rows columns" line is skipped) and builds a decompose of DTLZ1 for every row.
// Prints "FILE: N rows accepted" or names the first row refused, and fails then.
#include <fstream>
#include <iostream>
#include <pagmo/problem.hpp>
#include <pagmo/problems/decompose.hpp>
#include <pagmo/problems/dtlz.hpp>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i]);
    std::string line;
    long long accepted = 0;
    long long number = 0;
    while (std::getline(in, line)) {
      ++number;
      if (line.empty() || line[0] == '#') continue;
      std::istringstream values(line);
      std::vector<double> weight;
      for (double x; values >> x;) weight.push_back(x);
      const auto m = static_cast<unsigned>(weight.size());
      try {
        pagmo::problem dtlz{pagmo::dtlz(1u, m + 4u, m)};
        pagmo::decompose decomposed(dtlz, weight, std::vector<double>(m, 0.0), "tchebycheff");
        ++accepted;
      } catch (const std::exception& refusal) {
        std::cout << argv[i] << ": line " << number << " refused: " << refusal.what() << "\n";
        status = 1;
        break;
      }
    }
    if (status == 0) std::cout << argv[i] << ": " << accepted << " rows accepted\n";
  }
  return status;
}
