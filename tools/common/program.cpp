#include "common/program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "common/exit_status.h"
#include "common/options.h"
#include "common/process.h"
#include "support/arguments.h"
#include "support/failure.h"
#include "support/memory.h"

#ifndef WEIGHTS_VERSION
#define WEIGHTS_VERSION "unknown"
#endif

namespace simplex_weights::cli {

using namespace simplex_weights::detail;
namespace {

constexpr const char* kOutOfRangeMessage =
    "Error... the argument %s is outside the range of a 32-bit integer.\n";

// Straight to the descriptor: it must work when no memory is left for a buffer.
void write_stderr(std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
    if (written <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

// Whether standard output and standard error are one file, so that a message on both would
// be read twice.
bool same_output_and_error() {
  struct stat out {};
  struct stat err {};
  return ::fstat(STDOUT_FILENO, &out) == 0 && ::fstat(STDERR_FILENO, &err) == 0 &&
         out.st_dev == err.st_dev && out.st_ino == err.st_ino;
}

// Failure messages belong on standard output (on standard error with --quiet). Where standard
// output is no terminal, or broken, they go to standard error as well, so that a person sees
// them; the reason behind a message, when there is one, goes to standard error only.
void report(Writer& trace, std::string_view message, std::string_view detail = {}) {
  trace.text(message);
  trace.flush();
  const bool seen_on_stdout = !trace.discards() && trace.error() == 0 && !trace.reader_gone();
  if (!seen_on_stdout || (::isatty(STDOUT_FILENO) == 0 && !same_output_and_error())) {
    write_stderr(message);
  }
  if (!detail.empty()) {
    write_stderr(detail);
    write_stderr("\n");
  }
}

// A failure before the trace has its buffer: the message goes straight to the descriptors.
void report_unbuffered(std::string_view message) {
  std::string_view rest = message;
  bool seen_on_stdout = true;
  while (!rest.empty()) {
    const ssize_t written = ::write(STDOUT_FILENO, rest.data(), rest.size());
    if (written <= 0) {
      seen_on_stdout = false;
      break;
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  if (!seen_on_stdout || (::isatty(STDOUT_FILENO) == 0 && !same_output_and_error())) {
    write_stderr(message);
  }
}

void convert_arguments(char** argv, int& first, int& second) {
  for (int i = 1; i <= 2; ++i) {
    const std::optional<int> value = parse_atoi(argv[i]);
    if (!value) throw Failure(format_message(kOutOfRangeMessage, argv[i]));
    (i == 1 ? first : second) = *value;
  }
}

// Runs the body; every failure, including allocations refused deep inside the C++ library,
// ends as a message and the program's failure status, never as an exception out of main.
int run_body(const ProgramInfo& info, char** argv, ProgramBody body, Run& run) {
  Writer& trace = run.trace;
  try {
    int first = 0;
    int second = 0;
    convert_arguments(argv, first, second);
    body(first, second, run);
    return kExitSuccess;
  } catch (const InvalidArgument& refusal) {
    report(trace, refusal.message());
  } catch (const Failure& failure) {
    report(trace, failure.message(), failure.detail());
  } catch (const std::bad_alloc&) {
    report(trace, kOutOfMemoryMessage);
  } catch (const std::exception& error) {
    report(trace, std::string("Error... ") + error.what() + "\n");
  }
  return info.failure_status;
}

// The run, from the command line to the status; what can fail here outside the body (memory
// for the trace's buffer, say) is caught by run_program.
int run_command_line(const ProgramInfo& info, int argc, char** argv, ProgramBody body) {
  // Seeded before the options are read, as the programs always were: the clock's second.
  GlibcRandom random(info.seeds_random ? static_cast<unsigned>(static_cast<int>(std::time(nullptr)))
                                       : 1u);
  const char* invocation = argc > 0 ? argv[0] : info.name;
  const std::string syntax = format_message(info.syntax, invocation);

  const OptionScope scope{.draws_random = info.seeds_random && !info.descends_energy,
                          .repeats_rows = info.repeats_rows,
                          .chooses_modulus = info.chooses_modulus,
                          .weight_vectors = info.weight_vectors,
                          .descends_energy = info.descends_energy};
  CommandOptions options;
  int first_argument = 1;
  try {
    first_argument = parse_options(argc, argv, scope, options);
  } catch (const OptionError& error) {
    write_stderr(std::string(info.name) + ": " + error.what() + "\n" + syntax);
    return info.failure_status;
  }
  if (options.seed) random = GlibcRandom(*options.seed);
  // Rows on standard output leave no room there for the trace.
  if (options.output == "-") options.quiet = true;
  Writer trace(STDOUT_FILENO, options.quiet ? Writer::Kind::kDiscard : Writer::Kind::kTrace);
  if (standard_output_was_closed()) trace.fail_first_write(EBADF);

  if (options.help || options.version) {
    Writer out(STDOUT_FILENO, Writer::Kind::kTrace);
    if (standard_output_was_closed()) out.fail_first_write(EBADF);
    if (options.help) {
      out.text(info.usage != nullptr ? format_message(info.usage, invocation) : syntax);
      if (info.argument_help != nullptr) out.text(info.argument_help());
      out.text(options_help(scope));
      if (info.notes != nullptr) out.text(info.notes());
    } else {
      out.text(info.name);
      out.text(" (simplex-weights) " WEIGHTS_VERSION "\n");
    }
    return out.flush() ? kExitSuccess : info.failure_status;
  }
  const int arguments = argc - first_argument;
  if (arguments < 2 || (info.exactly_two_arguments && arguments != 2)) {
    report(trace, syntax);
    return info.failure_status;
  }

  Run run{.trace = trace,
          .options = options,
          .random = random,
          .program = info.name,
          .invocation = invocation};
  const int status = run_body(info, argv + first_argument - 1, body, run);
  if (!trace.flush()) {
    write_stderr(std::string(info.name) + ": error writing the trace to standard output: " +
                 std::strerror(trace.error()) + "\n");
    return info.failure_status;
  }
  return status;
}

}  // namespace

int run_program(const ProgramInfo& info, int argc, char** argv, ProgramBody body) {
  prepare_process();
  end_on_exhausted_memory(info.failure_status, [] { report_unbuffered(kOutOfMemoryMessage); });
  try {
    return run_command_line(info, argc, argv, body);
  } catch (const std::bad_alloc&) {
    report_unbuffered(kOutOfMemoryMessage);
  } catch (const std::exception& error) {
    report_unbuffered(error.what());
  }
  return info.failure_status;
}

}  // namespace simplex_weights::cli
