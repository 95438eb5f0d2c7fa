#include "program.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "arguments.h"
#include "exit_status.h"
#include "failure.h"
#include "memory.h"
#include "process.h"

#ifndef WEIGHTS_VERSION
#define WEIGHTS_VERSION "unknown"
#endif

namespace weights {
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

// Failure messages belong on standard output; when that is broken they still reach the user.
// The reason behind a message, when there is one, goes to standard error.
void report(Writer& trace, std::string_view message, std::string_view detail = {}) {
  trace.text(message);
  trace.flush();
  if (trace.error() != 0 || trace.reader_gone()) write_stderr(message);
  if (!detail.empty()) {
    write_stderr(detail);
    write_stderr("\n");
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
int run_body(const ProgramInfo& info, char** argv, ProgramBody body, Writer& trace) {
  try {
    int first = 0;
    int second = 0;
    convert_arguments(argv, first, second);
    body(first, second, trace);
    return kExitSuccess;
  } catch (const Failure& failure) {
    report(trace, failure.message(), failure.detail());
  } catch (const std::bad_alloc&) {
    report(trace, kOutOfMemoryMessage);
  } catch (const std::exception& error) {
    report(trace, std::string("Error... ") + error.what() + "\n");
  }
  return info.failure_status;
}

}  // namespace

int run_program(const ProgramInfo& info, int argc, char** argv, ProgramBody body) {
  prepare_process();
  if (info.seeds_random) std::srand(static_cast<unsigned>(static_cast<int>(std::time(nullptr))));
  Writer trace(STDOUT_FILENO, Writer::Kind::kTrace);
  const char* invocation = argc > 0 ? argv[0] : info.name;
  const std::string syntax = format_message(info.syntax, invocation);

  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    trace.text(syntax);
    trace.text(info.argument_help);
    return trace.flush() ? kExitSuccess : info.failure_status;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    trace.text(info.name);
    trace.text(" (simplex-weights) " WEIGHTS_VERSION "\n");
    return trace.flush() ? kExitSuccess : info.failure_status;
  }
  if (argc < 3 || (info.exactly_two_arguments && argc != 3)) {
    report(trace, syntax);
    return info.failure_status;
  }

  const int status = run_body(info, argv, body, trace);
  if (!trace.flush()) {
    write_stderr(std::string(info.name) + ": error writing the trace to standard output: " +
                 std::strerror(trace.error()) + "\n");
    return info.failure_status;
  }
  return status;
}

}  // namespace weights
