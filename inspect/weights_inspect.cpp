// weights_inspect [--cube] [--tolerance T] [--svg OUT.svg] FILE...: checks weight files, measures
// how evenly they cover the simplex, and draws them.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "failure.h"
#include "inspect_report.h"
#include "process.h"
#include "writer.h"

namespace {

constexpr const char* kUsage =
    "Syntax: weights_inspect [--cube] [--tolerance T] [--svg OUT.svg] FILE...\n"
    "  FILE           a weight file: optional \"# rows columns\" header, rows of numbers\n"
    "  --cube         treat every file as unit-cube points (files ending in .glp always are)\n"
    "  --tolerance T  allowed deviation of a row sum from 1 (default: columns x 5e-7)\n"
    "  --svg OUT.svg  draw each file (the second file to OUT-2.svg, and so on)\n"
    "Exit status: 0 every check passes, 1 a check fails, 2 a file cannot be read or parsed.\n";

}  // namespace

int main(int argc, char** argv) {
  weights::prepare_process();
  weights::Writer out(STDOUT_FILENO, weights::Writer::Kind::kTrace);
  weights::InspectOptions options;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      out.text(kUsage);
      return 0;
    }
    if (arg == "--version") {
      out.text("weights_inspect (simplex-weights) " WEIGHTS_VERSION "\n");
      return 0;
    }
    if (arg == "--cube") {
      options.all_cube = true;
    } else if ((arg == "--tolerance" || arg == "--svg") && i + 1 < argc) {
      if (arg == "--svg") {
        options.svg = argv[++i];
      } else {
        char* end = nullptr;
        options.tolerance = std::strtod(argv[++i], &end);
        if (*end != '\0' || !(options.tolerance >= 0)) {
          out.text(std::string("Error... the tolerance ") + argv[i] + " is not a number >= 0\n");
          return 2;
        }
      }
    } else if (arg.rfind("--", 0) == 0 || arg.empty()) {
      out.text(kUsage);
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    out.text(kUsage);
    return 2;
  }
  return weights::inspect_files(files, options, out);
}
