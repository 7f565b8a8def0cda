#include <benchmark/benchmark.h>

// The one entry point of vorl-bench; every file of this folder adds its benchmarks to it.
BENCHMARK_MAIN();
