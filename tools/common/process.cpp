#include "common/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

namespace simplex_weights::cli {
namespace {

// Every signal whose default action ends the process and that arrives from outside it. The
// faults a process raises on itself (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP) are handled only
// where nothing else (a sanitizer, a debugger) has claimed them; SIGPIPE and SIGXFSZ are ignored
// instead, and SIGKILL cannot be caught.
constexpr int kTerminatingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,   SIGALRM,
                                       SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF,
                                       SIGPWR,  SIGSYS,  SIGIO,   SIGSTKFLT, SIGABRT};
constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP};

// The signals above, the real-time ones, and the faults: all that the handler takes.
sigset_t terminating_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : kTerminatingSignals) sigaddset(&set, signal_number);
  for (int signal_number : kFaultSignals) sigaddset(&set, signal_number);
  for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number) {
    sigaddset(&set, signal_number);
  }
  return set;
}

// Read by the signal handler, so only fixed storage and sig_atomic_t flags: a slot is filled
// before it is marked used, and marked unused before it is reused.
struct CleanupSlot {
  char path[4096];
  volatile std::sig_atomic_t used;
};
CleanupSlot cleanup_slots[4];

extern "C" void remove_files_and_end(int signal_number) {
  remove_registered_files();
  // The signal stays blocked until the handler returns; then the default action ends the
  // process, so the parent sees the signal as the cause.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// `only_default`: leave the signal alone unless its disposition is still the default one.
void install_cleanup_handler(int signal_number, bool only_default) {
  struct sigaction previous {};
  if (::sigaction(signal_number, nullptr, &previous) != 0) return;
  if (previous.sa_handler == SIG_IGN) {
    return;  // started with the signal ignored (nohup, background jobs): keep it so
  }
  if (only_default && ((previous.sa_flags & SA_SIGINFO) != 0 || previous.sa_handler != SIG_DFL)) {
    return;
  }
  struct sigaction action {};
  action.sa_handler = remove_files_and_end;
  action.sa_mask = terminating_signals();
  ::sigaction(signal_number, &action, nullptr);
}

// Standard output was closed when the run started: what the run writes there fails.
bool standard_output_closed = false;

// How a run ends where memory ran out before an exception could be made.
int exhausted_status = 1;
void (*exhausted_report)() = nullptr;

// std::terminate with no exception in flight. Here that is where an exception could not even
// be made for want of memory: the runtime's reserve for exceptions is taken as the process
// starts, and is missing when the address space was already nearly full then. When a small
// allocation fails as well, the run ends as any refused allocation does (its files removed,
// the message, the failure status); otherwise it aborts.
[[noreturn]] void end_for_want_of_memory() {
  if (!std::current_exception()) {
    void* probe = std::malloc(256);
    if (probe == nullptr) {
      remove_registered_files();
      if (exhausted_report != nullptr) exhausted_report();
      ::_exit(exhausted_status);
    }
    std::free(probe);
  }
  std::abort();
}

}  // namespace

bool standard_output_was_closed() { return standard_output_closed; }

void end_on_exhausted_memory(int status, void (*report)()) {
  exhausted_status = status;
  exhausted_report = report;
  std::set_terminate(end_for_want_of_memory);
}

void remove_registered_files() {
  for (CleanupSlot& slot : cleanup_slots) {
    if (slot.used != 0) ::unlink(slot.path);
  }
}

void prepare_process() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // open returns the lowest free descriptor, which is this one.
      ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
      if (fd == STDOUT_FILENO) standard_output_closed = true;
    }
  }
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  for (int signal_number : kTerminatingSignals) install_cleanup_handler(signal_number, false);
  for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number) {
    install_cleanup_handler(signal_number, false);
  }
  for (int signal_number : kFaultSignals) install_cleanup_handler(signal_number, true);
}

SignalsDeferred::SignalsDeferred() {
  const sigset_t set = terminating_signals();
  ::sigprocmask(SIG_BLOCK, &set, &saved_);
}

SignalsDeferred::~SignalsDeferred() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }

int remove_on_signal(const std::string& path) {
  for (int i = 0; i < static_cast<int>(std::size(cleanup_slots)); ++i) {
    CleanupSlot& slot = cleanup_slots[i];
    if (slot.used != 0 || path.size() >= sizeof slot.path) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);  // the path is whole before it is used
    slot.used = 1;
    return i;
  }
  return -1;
}

void forget_on_signal(int slot) {
  if (slot < 0) return;
  cleanup_slots[slot].used = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

namespace {

class ProgramFileSystem final : public detail::FileSystem {
 public:
  void defer_signals() override {
    if (depth_++ == 0) deferred_.emplace();
  }
  void resume_signals() override {
    if (--depth_ == 0) deferred_.reset();
  }
  int remove_on_signal(const std::string& path) override { return cli::remove_on_signal(path); }
  void forget_on_signal(int slot) override { cli::forget_on_signal(slot); }

 private:
  int depth_ = 0;
  std::optional<SignalsDeferred> deferred_;
};

}  // namespace

detail::FileSystem& system_file_system() {
  static ProgramFileSystem files;
  return files;
}

}  // namespace simplex_weights::cli
