// Throughput of BlockConverter::Convert by mode, stride and block size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "cipher/block_converter.h"
#include "cipher/cipher_params.h"
#include "cipher/xor_kernels.h"

namespace {

// Random contents, so that nothing about the data favours one mode.
std::vector<std::uint8_t> RandomBlock(std::size_t size) {
    std::vector<std::uint8_t> block(size);
    std::mt19937 generator(12345);
    for (auto& byte : block) {
        byte = static_cast<std::uint8_t>(generator());
    }
    return block;
}

// state.range(0) is the block size, state.range(1) the vector unit; the position advances as it
// would through a file, so the randomised path never sees the same seeds twice in a row.
void ConvertBlocks(benchmark::State& state, std::int32_t step, bool randomize) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const auto unit = static_cast<pomuru::VectorUnit>(state.range(1));
    if (!pomuru::IsSupported(unit)) {
        state.SkipWithError("vector unit not supported here");
        return;
    }
    const pomuru::CipherParams params{
        .step = step, .value = 90, .start = 0, .slide = 0, .randomize = randomize};
    const pomuru::BlockConverter converter(params, unit);
    auto block = RandomBlock(size);
    std::int64_t position = 1;
    for (auto _ : state) {
        converter.Convert(block, position);
        position += static_cast<std::int64_t>(size);
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}

void ConstantEveryByte(benchmark::State& state) {
    ConvertBlocks(state, 1, false);
}
void ConstantEvery7th(benchmark::State& state) {
    ConvertBlocks(state, 7, false);
}
void RandomEveryByte(benchmark::State& state) {
    ConvertBlocks(state, 1, true);
}
void RandomEvery7th(benchmark::State& state) {
    ConvertBlocks(state, 7, true);
}

// 16 KiB (well inside L1/L2) to 4 MiB (beyond a core's L2) shows where the cache stops helping.
constexpr std::int64_t kSmallest = 16 * 1024;
constexpr std::int64_t kLargest = 4 * 1024 * 1024;

// Every vector unit for consecutive bytes, where they differ; the fastest for strided ones.
void EveryUnit(benchmark::internal::Benchmark* b) {
    b->ArgNames({"block", "unit"});
    for (const auto unit : {pomuru::VectorUnit::Portable, pomuru::VectorUnit::Sse2,
                            pomuru::VectorUnit::Avx2, pomuru::VectorUnit::Avx512}) {
        for (std::int64_t size = kSmallest; size <= kLargest; size *= 2) {
            b->Args({size, static_cast<std::int64_t>(unit)});
        }
    }
}

void FastestUnit(benchmark::internal::Benchmark* b) {
    b->ArgNames({"block", "unit"});
    for (std::int64_t size = kSmallest; size <= kLargest; size *= 2) {
        b->Args({size, static_cast<std::int64_t>(pomuru::FastestVectorUnit())});
    }
}

}  // namespace

BENCHMARK(ConstantEveryByte)->Apply(EveryUnit);
BENCHMARK(ConstantEvery7th)->Apply(FastestUnit);
BENCHMARK(RandomEveryByte)->Apply(EveryUnit);
BENCHMARK(RandomEvery7th)->Apply(FastestUnit);
