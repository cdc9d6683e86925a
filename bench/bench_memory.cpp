// Peak memory of loading: every allocation of the program is counted, and the most held while
// a sprite loads from its file is compared with its canvases plus the file's bytes. Peak memory
// of the main window showing a large frame at several zooms, read from the process's resident
// set (pictures are allocated outside operator new).
#include "BenchSupport.h"

#include "sprite/FileUtil.h"
#include "ui/FormMain.h"
#include "ui/SpriteView.h"

#include <QApplication>
#include <QScrollArea>

#include <fstream>

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

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"), or -1 where there is none.
int64_t ProcessMemory(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stoll(line.substr(field.size() + 1)) * 1024;
    return -1;
}

// Starts a new peak of the resident set at its present size.
bool ResetPeakMemory() { return bool(std::ofstream("/proc/self/clear_refs") << "5"); }

// A first window shows a small sprite, so that what the toolkit sets up once (fonts, styles,
// icons) is not counted against the first figure.
void WarmUpWindows()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    EnsureApplication();
    TFrmMain main;
    main.show();
    main.SetCurrentSprite(SyntheticSprite(2, 64, 64));
    benchmark::DoNotOptimize(main.grab());
    main.SetModified(false);
}

// The most the process holds above what it held before, while the main window shows a 4,000 x
// 4,000 frame (half covered, over the checkerboard) at the zoom scale of the argument, scrolled to
// the frame's middle and painted. Reported in MB; the figure at scale 20 less the one at scale 1
// is the growth with the zoom.
void MainViewPeakMemory(benchmark::State& state)
{
    WarmUpWindows();
    const int scale = int(state.range(0));
    if (ProcessMemory("VmHWM") < 0 || !ResetPeakMemory()) {
        state.SkipWithError("the resident set's peak cannot be read or reset here");
        return;
    }
    double peak = 0;
    for (auto _ : state) {
        TFrmMain main;
        main.show();
        QApplication::processEvents();
        auto sprite = SyntheticSprite(1, 4000, 4000);
        ResetPeakMemory();
        const int64_t before = ProcessMemory("VmRSS");
        main.SetCurrentSprite(std::move(sprite));
        main.SetZoom(scale == 1 ? 0 : scale / 2);
        main.ScrollBox->ensureVisible(main.SHPImage->width() / 2, main.SHPImage->height() / 2);
        benchmark::DoNotOptimize(main.ScrollBox->viewport()->grab());
        peak = double(ProcessMemory("VmHWM") - before) / 1e6;
        main.SetModified(false);
    }
    state.counters["peak_MB"] = peak;
}
BENCHMARK(MainViewPeakMemory)->Arg(1)->Arg(4)->Arg(20)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace vantrel::bench
