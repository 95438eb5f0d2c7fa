// weights_inspect [--cube] [--tolerance T] [--svg OUT.svg] FILE...: checks weight files, measures
// how evenly they cover the simplex, and draws them.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "common/exit_status.h"
#include "common/process.h"
#include "inspect/figures.h"
#include "inspector/inspect_report.h"
#include "text/writer.h"

namespace simplex_weights::cli {
namespace {

using namespace simplex_weights::detail;

constexpr const char* kUsage =
    "Syntax: weights_inspect [--cube] [--tolerance T] [--svg OUT.svg] FILE...\n"
    "  FILE           a weight file (- for standard input): optional \"# rows columns\" header,\n"
    "                 rows of numbers in any form strtod reads\n"
    "  --cube         treat every file as unit-cube points (files ending in .glp always are)\n"
    "  --tolerance T  allowed deviation of a row sum from 1 (default: columns x half a unit in\n"
    "                 the last printed place, at most 1e-3)\n"
    "  --svg OUT.svg  draw each file (the second file to OUT-2.svg, and so on)\n"
    "Figures: closest pair, mean nearest-neighbour distance and its variation, coverage radius\n"
    "(from at most 100000 reference points), energy (log of the mean of d^-2m over all pairs)\n"
    "and, for cube files, the centred L2 discrepancy CD2; each is exact, or skipped with the\n"
    "reason when it would need more than 2e9 pair terms.\n"
    "Exit status: 0 every check passes, 1 a check fails, 2 a file cannot be read or parsed, or\n"
    "the report or a picture cannot be written.\n";

void say(const std::string& text) {
  if (::write(STDERR_FILENO, text.data(), text.size()) < 0) {
    // standard error is gone too: the status is all that is left
  }
}

struct Command {
  InspectOptions options;
  std::vector<std::string> files;
  bool done = false;  // --help or --version
  int status = kExitSuccess;
};

Command refused(const std::string& line, bool with_usage) {
  say("weights_inspect: " + line + "\n" + (with_usage ? kUsage : ""));
  Command command;
  command.done = true;
  command.status = kExitUnreadable;
  return command;
}

// Options as the generators read them: --name value or --name=value, "--" ends them, an empty
// or missing value is refused.
Command parse(int argc, char** argv, Writer& out) {
  Command command;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (options_ended || arg == "-" || arg.empty() || arg[0] != '-') {
      if (arg.empty()) return refused("an empty word is no file name", false);
      command.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "--help" || arg == "-h" || arg == "--version" || arg == "-V") {
      out.text(arg[1] == 'h' || arg == "--help"
                   ? kUsage
                   : "weights_inspect (simplex-weights) " WEIGHTS_VERSION "\n");
      command.done = true;
      return command;
    }
    if (arg == "--cube") {
      command.options.all_cube = true;
      continue;
    }
    std::optional<std::string> value;
    const std::size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg.resize(equals);
    }
    if (arg != "--tolerance" && arg != "--svg") return refused("unknown option " + arg, true);
    if (!value) {
      if (i + 1 >= argc) return refused(arg + " needs a value", true);
      value = argv[++i];
    }
    if (value->empty()) return refused(arg + " needs a value, not an empty word", true);
    if (arg == "--svg") {
      command.options.svg = *value;
      continue;
    }
    char* end = nullptr;
    command.options.tolerance = std::strtod(value->c_str(), &end);
    if (*end != '\0' || !(command.options.tolerance >= 0)) {
      return refused("the tolerance " + *value + " is not a number >= 0", false);
    }
  }
  if (command.files.empty()) {
    say(kUsage);
    command.done = true;
    command.status = kExitUnreadable;
  }
  return command;
}

int run(int argc, char** argv) {
  Writer out(STDOUT_FILENO, Writer::Kind::kFile);
  if (standard_output_was_closed()) out.fail_first_write(EBADF);
  const Command command = parse(argc, argv, out);
  const int status =
      command.done ? command.status : inspect_files(command.files, command.options, out);
  if (!out.flush()) {
    say(std::string("weights_inspect: the report could not be written: ") +
        std::strerror(out.error()) + "\n");
    return kExitUnreadable;
  }
  return status;
}

}  // namespace
}  // namespace simplex_weights::cli

int main(int argc, char** argv) {
  simplex_weights::cli::prepare_process();
  try {
    return simplex_weights::cli::run(argc, argv);
  } catch (const std::bad_alloc&) {
    simplex_weights::cli::say("weights_inspect: not enough memory\n");
  } catch (const std::exception& error) {
    simplex_weights::cli::say(std::string("weights_inspect: ") + error.what() + "\n");
  }
  return simplex_weights::cli::kExitUnreadable;
}
