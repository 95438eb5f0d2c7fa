// Per-value costs of the library's hot parts: number formatting, radical inverses and the
// cube-to-simplex mapping, on weight-like inputs.
//
// The formatting benchmarks hold the comparison that keeps the hand-written double formatter:
// on this project's machines it takes about 6-8 ns a value, std::to_chars with precision 6
// about 28-35 ns and snprintf about 110-120 ns, for the same bytes. Integers go through
// std::to_chars, which is as fast as a hand-written one (about 3.4 against 3.7 ns a value).
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <vector>

#include "constructions/hammersley.h"
#include "math/simplex_mapping.h"
#include "text/number_format.h"

namespace {

// Six varying digits in (0, 1), as the weight files hold.
std::vector<double> weight_like_values() {
  std::vector<double> values(4096);
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = static_cast<double>((i * 7919 + 104729) % 999983) / 999983.0;
  }
  return values;
}

template <char* (*Format)(char*, double)>
void format_values(benchmark::State& state) {
  const std::vector<double> values = weight_like_values();
  char buffer[simplex_weights::detail::kMaxNumberChars];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Format(buffer, values[i++ & 4095]));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(format_values<simplex_weights::detail::format_fixed>)->Name("format_fixed");
BENCHMARK(format_values<simplex_weights::detail::format_scientific>)->Name("format_scientific");

// The two alternatives the formatter is measured against.
template <std::chars_format Form>
char* to_chars_six(char* out, double x) {
  return std::to_chars(out, out + simplex_weights::detail::kMaxNumberChars, x, Form, 6).ptr;
}
char* snprintf_fixed(char* out, double x) {
  return out + std::snprintf(out, simplex_weights::detail::kMaxNumberChars, "%f", x);
}
char* snprintf_scientific(char* out, double x) {
  return out + std::snprintf(out, simplex_weights::detail::kMaxNumberChars, "%e", x);
}
BENCHMARK(format_values<to_chars_six<std::chars_format::fixed>>)->Name("to_chars_fixed");
BENCHMARK(format_values<to_chars_six<std::chars_format::scientific>>)->Name("to_chars_scientific");
BENCHMARK(format_values<snprintf_fixed>)->Name("snprintf_fixed");
BENCHMARK(format_values<snprintf_scientific>)->Name("snprintf_scientific");

// Values one after another into a running buffer, as rows are written.
template <char* (*Format)(char*, double)>
void format_stream(benchmark::State& state) {
  const std::vector<double> values = weight_like_values();
  std::vector<char> buffer(values.size() * 16);
  for (auto _ : state) {
    char* out = buffer.data();
    for (double x : values) {
      out = Format(out, x);
      *out++ = ' ';
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(values.size()));
}
BENCHMARK(format_stream<simplex_weights::detail::format_fixed>)->Name("format_fixed_stream");
BENCHMARK(format_stream<simplex_weights::detail::format_scientific>)
    ->Name("format_scientific_stream");

// Lattice indices as the traces print them: 1 .. 20000.
void format_integers(benchmark::State& state) {
  std::vector<long long> values(4096);
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = static_cast<long long>(i * 7919 % 20000 + 1);
  }
  std::vector<char> buffer(values.size() * 8);
  for (auto _ : state) {
    char* out = buffer.data();
    for (long long v : values) {
      out = simplex_weights::detail::format_integer(out, v);
      *out++ = '\t';
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(values.size()));
}
BENCHMARK(format_integers);

void radical_inverse_sequences_k10(benchmark::State& state) {
  std::vector<simplex_weights::detail::RadicalInverseTable> tables;
  for (int j = 0; j < 8; ++j) tables.emplace_back(simplex_weights::detail::kRadicalInverseBases[j]);
  std::vector<simplex_weights::detail::RadicalInverseSequence> sequences(tables.begin(),
                                                                         tables.end());
  std::vector<double> u(8);
  for (auto _ : state) {
    for (std::size_t j = 0; j < sequences.size(); ++j) u[j] = sequences[j].next();
    benchmark::DoNotOptimize(u.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(radical_inverse_sequences_k10)->Iterations(2000000);

void mapping_k10(benchmark::State& state) {
  simplex_weights::detail::SimplexMapping mapping(
      10, simplex_weights::detail::MultiplicationOrder::kLeftToRight,
      simplex_weights::detail::Completion::kProduct);
  const std::vector<double> values = weight_like_values();
  std::vector<double> w(10);
  std::size_t i = 0;
  for (auto _ : state) {
    mapping.map(values.data() + (i++ & 1023) * 3, w.data());
    benchmark::DoNotOptimize(w.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(mapping_k10);

}  // namespace

BENCHMARK_MAIN();
