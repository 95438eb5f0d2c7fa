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
#include <string_view>
#include <vector>

#include "common/exit_status.h"
#include "common/options.h"
#include "common/process.h"
#include "inspect/figures.h"
#include "inspector/inspect_report.h"
#include "text/writer.h"

namespace simplex_weights::cli {
namespace {

using namespace simplex_weights::detail;

constexpr const char* kSyntax =
    "Syntax: weights_inspect [--cube] [--tolerance T] [--svg OUT.svg] FILE...\n"
    "  FILE           a weight file (- for standard input): optional \"# rows columns\" header,\n"
    "                 rows of numbers in any form strtod reads\n";
constexpr const char* kFigures =
    "Figures: closest pair, mean nearest-neighbour distance and its variation, coverage radius\n"
    "(from at most 100000 reference points), energy (log of the mean of d^-2m over all pairs)\n"
    "and, for cube files, the centred L2 discrepancy CD2; each is exact, or skipped with the\n"
    "reason when it would need more than 2e9 pair terms.\n"
    "Exit status: 0 every check passes, 1 a check fails, 2 a file cannot be read or parsed, or\n"
    "the report or a picture cannot be written.\n";

std::string usage() {
  return kSyntax + options_help(OptionScope{.weight_vectors = false, .inspects_files = true}) +
         kFigures;
}

void say(const std::string& text) {
  if (::write(STDERR_FILENO, text.data(), text.size()) < 0) {
    // standard error is gone too: the status is all that is left
  }
}

struct Command {
  InspectOptions options;
  std::vector<std::string> files;
  bool done = false;  // --help, --version, or a command line that cannot be read
  int status = kExitSuccess;
};

Command parse(int argc, char** argv, Writer& out) {
  Command command;
  CommandOptions options;
  try {
    command.files = parse_inspector_words(argc, argv, options);
  } catch (const OptionError& error) {
    say(std::string("weights_inspect: ") + error.what() + "\n" +
        (error.with_usage() ? usage() : ""));
    command.done = true;
    command.status = kExitUnreadable;
    return command;
  }
  if (options.help || options.version) {
    out.text(options.help ? usage() : "weights_inspect (simplex-weights) " WEIGHTS_VERSION "\n");
    command.done = true;
    return command;
  }
  if (command.files.empty()) {
    say(usage());
    command.done = true;
    command.status = kExitUnreadable;
  }
  command.options = {
      .all_cube = options.cube, .tolerance = options.tolerance.value_or(-1), .svg = options.svg};
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
  simplex_weights::cli::end_on_exhausted_memory(simplex_weights::cli::kExitUnreadable, [] {
    constexpr std::string_view kMessage = "weights_inspect: not enough memory\n";
    if (::write(STDERR_FILENO, kMessage.data(), kMessage.size()) < 0) {
      // standard error is gone too: the status is all that is left
    }
  });
  try {
    return simplex_weights::cli::run(argc, argv);
  } catch (const std::bad_alloc&) {
    simplex_weights::cli::say("weights_inspect: not enough memory\n");
  } catch (const std::exception& error) {
    simplex_weights::cli::say(std::string("weights_inspect: ") + error.what() + "\n");
  }
  return simplex_weights::cli::kExitUnreadable;
}
