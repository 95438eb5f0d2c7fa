// Exit statuses of the suite, in one place.
#pragma once

namespace simplex_weights::cli {

inline constexpr int kExitSuccess = 0;
/// Every detected failure of a program that reports failures with status 1.
inline constexpr int kExitFailure = 1;
/// Every detected failure of a program that reports failures with status -1, which the shell
/// sees as 255.
inline constexpr int kExitMinusOne = 255;

/// A check of an inspected file failed.
inline constexpr int kExitCheckFailed = 1;
/// An inspected file could not be read or parsed, or a report or picture not be written.
inline constexpr int kExitUnreadable = 2;

}  // namespace simplex_weights::cli
