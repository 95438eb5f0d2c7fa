// Process set-up that makes every run safe to start in any environment and to stop at any
// moment: the standard descriptors, broken pipes, file-size limits, and the files that a
// terminating signal must not leave behind.
#pragma once

#include <signal.h>

#include <string>

#include "files/file_system.h"

namespace simplex_weights::cli {

/// Reopens standard input, output and error on /dev/null where they are closed, so that no
/// file of the run can take descriptor 0, 1 or 2; ignores SIGPIPE (a trace reader that goes
/// away ends the trace, not the run) and SIGXFSZ (a write past the file-size limit fails with
/// EFBIG and is reported like a full disk); makes every signal that would end the process
/// (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGXCPU, the real-time ones, ...) remove
/// the files registered below before the process ends as the signal would.
void prepare_process();

/// Where memory runs out before an exception can be made (std::terminate with none in flight),
/// the process removes its registered files, calls `report` (which may not allocate) and ends
/// with `status`.
void end_on_exhausted_memory(int status, void (*report)());

/// Whether standard output was closed when prepare_process ran (descriptor 1 now holds
/// /dev/null): whatever the run writes there must fail as a write to a closed descriptor does.
bool standard_output_was_closed();

/// Keeps those signals waiting for the lifetime of the object, so that a file can
/// be created and registered (or renamed and forgotten) as one step.
class SignalsDeferred {
 public:
  SignalsDeferred();
  SignalsDeferred(const SignalsDeferred&) = delete;
  SignalsDeferred& operator=(const SignalsDeferred&) = delete;
  ~SignalsDeferred();

 private:
  sigset_t saved_;
};

/// Registers a file that a terminating signal removes; returns its slot, or -1 when every slot
/// is taken or the path is too long (the file is then not removed by a signal).
int remove_on_signal(const std::string& path);

/// Forgets a registration of remove_on_signal (a slot of -1 is ignored).
void forget_on_signal(int slot);

/// Removes every file registered by remove_on_signal; safe in a signal handler.
void remove_registered_files();

/// The system's file calls with the program's signal handling: a hidden file is removed by
/// any terminating signal while it exists.
detail::FileSystem& system_file_system();

}  // namespace simplex_weights::cli
