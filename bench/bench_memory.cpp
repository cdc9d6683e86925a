// Peak memory of loading: every allocation of the program is counted, and the most held while
// a sprite loads from its file is compared with its canvases plus the file's bytes.
#include "BenchSupport.h"

#include "sprite/FileUtil.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__GLIBC__)
#include <malloc.h>
#define VANTREL_COUNT_ALLOCATIONS 1

namespace {

std::atomic<int64_t> Held{0};
std::atomic<int64_t> Peak{0};

void* Counted(void* p)
{
    if (!p)
        throw std::bad_alloc();
    const int64_t now = Held += int64_t(malloc_usable_size(p));
    int64_t peak = Peak.load();
    while (now > peak && !Peak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void Release(void* p)
{
    if (p) {
        Held -= int64_t(malloc_usable_size(p));
        std::free(p);
    }
}

void* Aligned(size_t size, std::align_val_t align)
{
    void* p = nullptr;
    if (posix_memalign(&p, std::max(sizeof(void*), size_t(align)), size ? size : 1) != 0)
        p = nullptr;
    return Counted(p);
}

} // namespace

void* operator new(size_t size) { return Counted(std::malloc(size ? size : 1)); }
void* operator new[](size_t size) { return Counted(std::malloc(size ? size : 1)); }
void* operator new(size_t size, std::align_val_t align) { return Aligned(size, align); }
void* operator new[](size_t size, std::align_val_t align) { return Aligned(size, align); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { Release(p); }
#endif

namespace vantrel::bench {

namespace {

// Counters: "ratio" is the most held over all sprites' canvases and files together, "worst"
// the highest ratio of one sprite with at least 64 KiB of canvases.
void LoadPeakMemory(benchmark::State& state)
{
#ifndef VANTREL_COUNT_ALLOCATIONS
    state.SkipWithError("allocations are counted with glibc only");
    return;
#else
    std::vector<std::string> paths;
    for (const char* folder : {"td", "ts"})
        for (const TCorpusFile& f : CorpusSprites(folder))
            paths.push_back(AddTrailingBackslash(AddTrailingBackslash(VANTREL_CORPUS_DIR) + folder) + f.Name);
    if (paths.empty()) {
        state.SkipWithError("the shared corpus is missing");
        return;
    }
    double heldSum = 0, needSum = 0, worst = 0;
    for (auto _ : state) {
        heldSum = needSum = worst = 0;
        for (const std::string& path : paths) {
            const int64_t before = Held.load();
            Peak = before;
            TSHP sprite;
            sprite.LoadFromFile(path);
            const double held = double(Peak.load() - before);
            const double need = double(CanvasBytes(sprite)) + double(ReadWholeFile(path).size());
            heldSum += held;
            needSum += need;
            if (CanvasBytes(sprite) >= 65536)
                worst = std::max(worst, held / need);
        }
    }
    state.counters["ratio"] = heldSum / needSum;
    state.counters["worst"] = worst;
    state.counters["canvas_and_file_bytes"] = needSum;
#endif
}
BENCHMARK(LoadPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace vantrel::bench
