// The prime table file of tglp_weights: where it is looked for and how it is read.
#pragma once

#include <vector>

namespace simplex_weights::cli {

/// The prime table file: read from the working directory, else from beside the executable,
/// else from share/simplex-weights/ of the tree the executable is installed in.
inline constexpr const char* kPrimeTableFile = "primes.dat";

/// Where the prime table is looked for, for --help and messages.
inline constexpr const char* kPrimeTablePlaces =
    "primes.dat in the working directory, else beside the program, else\n"
    "../share/simplex-weights/primes.dat from the program's directory";

/// Reads up to `count` integers ("%d" one after another) from the prime table file; stops early
/// at the end of the file or at text that is no integer. Throws Failure
/// "Error to open the file primes.dat.\n" when the file cannot be opened, and refuses a name
/// that is not a regular file without reading from it. The program's directory comes from
/// /proc, else from `invocation` (argv[0]: a path, or a name looked up in PATH).
std::vector<int> readPrimes(int count, const char* invocation = nullptr);

}  // namespace simplex_weights::cli
