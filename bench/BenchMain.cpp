#include <benchmark/benchmark.h>

// The one main of vorl-bench; every other file of this folder only registers benchmarks.
BENCHMARK_MAIN();
