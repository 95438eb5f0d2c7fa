// Exit statuses of the suite, in one place.
#pragma once

namespace weights {

inline constexpr int kExitSuccess = 0;
/// Every detected failure of the staged tools (and the sample limit).
inline constexpr int kExitFailure = 1;
/// Every detected failure of the Hammersley tools: -1 as the shell sees it.
inline constexpr int kExitHammersleyFailure = 255;

}  // namespace weights
