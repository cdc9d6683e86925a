// What the open dialog does per file: the content probe, the one-frame load, the default
// palette and the thumbnail image; and listing a folder of 5,000 sprite files.
#include "BenchSupport.h"

#include "imaging/Imaging.h"
#include "sprite/FileUtil.h"

#include <filesystem>

namespace vantrel::bench {

namespace {

std::vector<std::string> CorpusPaths()
{
    std::vector<std::string> paths;
    for (const char* folder : {"td", "ts"})
        for (const TCorpusFile& f : CorpusSprites(folder))
            paths.push_back(AddTrailingBackslash(AddTrailingBackslash(VANTREL_CORPUS_DIR) + folder) + f.Name);
    return paths;
}

// The thumbnail of every corpus sprite, from its file, with the palettes of the bundled data set
// beside this program; bytes are those of the canvases loaded (a frame and its shadow).
void ThumbnailPath(benchmark::State& state)
{
    SetAppFolder(ExecutableFolder());
    const std::vector<std::string> paths = CorpusPaths();
    if (paths.empty()) {
        state.SkipWithError("the shared corpus is missing");
        return;
    }
    std::vector<uint64_t> blocks;
    for (const std::string& path : paths) {
        TSHP sprite;
        sprite.OneFrameLoad = true;
        sprite.LoadFromFile(path);
        blocks.push_back(CanvasBytes(sprite));
    }
    TSHP sprite;
    sprite.OneFrameLoad = true;
    RunAgainstMemcpy(state, blocks, [&] {
        for (const std::string& path : paths) {
            if (!IsSHPFile(path))
                continue;
            sprite.LoadFromFile(path);
            sprite.SetTransparentShadows(true);
            if (!sprite.CustomPalette)
                sprite.LoadDefaultPalette(PaletteFolder());
            benchmark::DoNotOptimize(FrameToPNG(sprite, 0, true));
        }
    });
    state.counters["files"] = benchmark::Counter(double(paths.size()) * double(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(ThumbnailPath)->UseManualTime()->Unit(benchmark::kMillisecond);

// 5,000 small TS sprites in a fresh folder.
const std::string& FolderOf5000()
{
    static const std::string folder = [] {
        const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vantrel-bench-5000";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        const std::vector<uint8_t> bytes = SyntheticSprite(4, 48, 48)->SaveToMemory();
        for (int i = 0; i < 5000; ++i)
            WriteFileAtomic((dir / ("unit" + std::to_string(10000 + i) + ".shp")).string(), bytes);
        return dir.string();
    }();
    return folder;
}

// Listing: the folder's entries sorted, the sprite files picked by extension.
void ListFolder5000(benchmark::State& state)
{
    const std::string folder = FolderOf5000();
    size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (const TDirEntry& e : ListDirectory(folder))
            found += !e.IsFolder && IsSHPExtension(ExtractFileExt(e.Name));
    }
    state.counters["files"] = double(found);
    state.SetItemsProcessed(int64_t(found) * state.iterations());
}
BENCHMARK(ListFolder5000)->Unit(benchmark::kMillisecond);

// Listing and probing every file, as the open dialog does before it shows a thumbnail.
void ListAndProbeFolder5000(benchmark::State& state)
{
    const std::string folder = AddTrailingBackslash(FolderOf5000());
    size_t passed = 0;
    for (auto _ : state) {
        passed = 0;
        for (const TDirEntry& e : ListDirectory(folder))
            passed += !e.IsFolder && IsSHPExtension(ExtractFileExt(e.Name)) && IsSHPFile(folder + e.Name);
    }
    state.counters["files"] = double(passed);
    state.SetItemsProcessed(int64_t(passed) * state.iterations());
}
BENCHMARK(ListAndProbeFolder5000)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace vantrel::bench
