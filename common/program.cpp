#include "program.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "exit_status.h"
#include "failure.h"
#include "process.h"

#ifndef WEIGHTS_VERSION
#define WEIGHTS_VERSION "unknown"
#endif

namespace weights {
namespace {

constexpr const char* kOutOfRangeMessage =
    "Error... the argument %s is outside the range of a 32-bit integer.\n";

void write_stderr(std::string_view text) {
  Writer err(STDERR_FILENO, Writer::Kind::kTrace);
  err.text(text);
}

// Failure messages belong on standard output; when that is broken they still reach the user.
void report(Writer& trace, std::string_view message) {
  trace.text(message);
  trace.flush();
  if (trace.error() != 0 || trace.reader_gone()) write_stderr(message);
}

int convert_arguments(char** argv, int& first, int& second) {
  for (int i = 1; i <= 2; ++i) {
    const std::optional<int> value = parse_atoi(argv[i]);
    if (!value) throw Failure(format_message(kOutOfRangeMessage, argv[i]));
    (i == 1 ? first : second) = *value;
  }
  return 0;
}

}  // namespace

std::optional<int> parse_atoi(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  long long value = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<int>(value);
}

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

  int status = info.failure_status;
  try {
    int first = 0;
    int second = 0;
    convert_arguments(argv, first, second);
    status = body(first, second, trace);
  } catch (const Failure& failure) {
    report(trace, failure.message());
    return info.failure_status;
  }
  if (!trace.flush()) {
    write_stderr(std::string(info.name) + ": error writing the trace to standard output: " +
                 std::strerror(trace.error()) + "\n");
    return info.failure_status;
  }
  return status;
}

}  // namespace weights
