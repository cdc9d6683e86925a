#include "BenchSupport.h"

#include "sprite/FileUtil.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <map>

#if !defined(_WIN32)
#include <time.h>
#endif

namespace vantrel::bench {

const std::vector<TCorpusFile>& CorpusSprites(const std::string& folder)
{
    static std::map<std::string, std::vector<TCorpusFile>> cache;
    auto [it, fresh] = cache.try_emplace(folder);
    if (!fresh)
        return it->second;
    const std::string dir = AddTrailingBackslash(AddTrailingBackslash(VANTREL_CORPUS_DIR) + folder);
    const TSHPFormat layout = folder == "td" ? TSHPFormat::TD : TSHPFormat::TS;
    for (const TDirEntry& entry : ListDirectory(dir)) {
        if (entry.IsFolder)
            continue;
        TCorpusFile file{entry.Name, ReadWholeFile(dir + entry.Name)};
        TSHP sprite;
        sprite.LoadFromMemory(file.Bytes);
        if (sprite.Format != layout)
            continue;
        file.CanvasBytes = CanvasBytes(sprite);
        it->second.push_back(std::move(file));
    }
    return it->second;
}

std::unique_ptr<TSHP> SyntheticSprite(int count, int width, int height)
{
    auto sprite = std::make_unique<TSHP>();
    sprite->Game = TSHPGame::TS;
    sprite->AddFrames(count, width, height);
    for (int i = 0; i < count; ++i) {
        uint8_t* data = sprite->GetFrame(i).Data.get();
        // A blob that moves a little from frame to frame, with shading and a few holes.
        const double cx = width * (0.5 + 0.1 * ((i % 16) - 8) / 8.0), cy = height * 0.5;
        const double rx = width * 0.4, ry = height * 0.35;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double dx = (x - cx) / rx, dy = (y - cy) / ry;
                const double d = dx * dx + dy * dy;
                const bool hole = ((x / 7 + y / 5 + i) % 11) == 0;
                if (d <= 1.0 && !hole)
                    data[size_t(y) * size_t(width) + size_t(x)] = uint8_t(16 + int(d * 15) + ((x + y) % 3) * 16);
            }
        sprite->UpdateFrameBounds(i);
    }
    return sprite;
}

void EnsureApplication()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vantrel_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

uint64_t CanvasBytes(const TSHP& sprite)
{
    return uint64_t(sprite.FrameCount()) * uint64_t(std::max(sprite.Width, 0)) * uint64_t(std::max(sprite.Height, 0));
}

double ThreadSeconds()
{
#if defined(CLOCK_THREAD_CPUTIME_ID)
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
#else
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
#endif
}

TMemcpyReference::TMemcpyReference(size_t size) : Source(size, 7), Target(size, 0) {}

void TMemcpyReference::Copy(size_t bytes)
{
    std::memcpy(Target.data(), Source.data(), bytes);
    benchmark::DoNotOptimize(Target.data());
    benchmark::ClobberMemory();
}

} // namespace vantrel::bench
