// Helpers of the benchmarks: inputs (the shared corpus, large synthetic sprites) and the timing
// of an operation beside a memcpy of the same canvas bytes in the same run, so that the result
// reads as a ratio that survives a noisy machine.
#pragma once

#include "sprite/SHP.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::bench {

struct TCorpusFile {
    std::string Name;
    std::vector<uint8_t> Bytes;
    uint64_t CanvasBytes = 0; // frames x width x height, as loaded
};

// The sprites of one folder of the shared corpus ("td" or "ts") that load in the layout of that
// folder, read into memory once. Empty when the corpus is missing.
const std::vector<TCorpusFile>& CorpusSprites(const std::string& folder);

// A sprite of count frames of width x height: shapes on a transparent background, about half
// of each frame covered, neighbouring frames alike (as animation frames are).
std::unique_ptr<TSHP> SyntheticSprite(int count, int width, int height);

uint64_t CanvasBytes(const TSHP& sprite);

// The windows need a QApplication; the benchmark programs have none of their own. Offscreen
// unless QT_QPA_PLATFORM says otherwise.
void EnsureApplication();

// Copies blocks of up to Size bytes between two buffers touched beforehand.
class TMemcpyReference {
public:
    explicit TMemcpyReference(size_t size);
    void Copy(size_t bytes);

private:
    std::vector<uint8_t> Source, Target;
};

// Seconds of processor time of the calling thread (time spent waiting for a processor on a
// busy machine is not counted; page faults are), or of the wall clock where there is none.
double ThreadSeconds();

// Runs op once an iteration and, untimed by the benchmark, a memcpy of the same bytes, given as
// a list of block sizes (one per canvas or per sprite). Both are timed by ThreadSeconds. Reports
// bytes/s of op, memcpy bytes/s and their ratio. Register with ->UseManualTime().
template <class Op>
void RunAgainstMemcpy(benchmark::State& state, const std::vector<uint64_t>& blocks, Op op)
{
    uint64_t bytes = 0, largest = 0;
    for (uint64_t b : blocks) {
        bytes += b;
        largest = std::max(largest, b);
    }
    TMemcpyReference reference{size_t(largest)};
    double opSeconds = 0, copySeconds = 0;
    op(); // once untimed, as the memcpy buffers are touched before timing
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        op();
        const double t1 = ThreadSeconds();
        for (uint64_t b : blocks)
            reference.Copy(size_t(b));
        const double t2 = ThreadSeconds();
        state.SetIterationTime(t1 - t0);
        opSeconds += t1 - t0;
        copySeconds += t2 - t1;
    }
    const double total = double(bytes) * double(state.iterations());
    state.SetBytesProcessed(int64_t(total));
    state.counters["memcpy_Bps"] = benchmark::Counter(total / copySeconds);
    state.counters["ratio"] = benchmark::Counter(copySeconds / opSeconds);
}

} // namespace vantrel::bench
