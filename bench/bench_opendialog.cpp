// The open dialog on a folder of 5,000 SHP files: listing it, painting the first screen of
// thumbnails, and the pieces of that work alone.
#include "BenchSupport.h"

#include "imaging/Thumbnail.h"
#include "sprite/FolderListing.h"
#include "sprite/SHP.h"
#include "ui/FormOpen.h"
#include "ui/SHPListModel.h"

#include <QApplication>
#include <QListView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>

using namespace vantrel;
using vantrel::bench::EnsureApplication;

namespace {

constexpr int FileCount = 5000;

// A TS building of 48 x 48 with 4 frames (2 pictures, 2 shadows), written 5,000 times.
const QTemporaryDir& LargeFolder()
{
    static QTemporaryDir dir;
    static bool made = false;
    if (!made) {
        TSHP s;
        s.AddFrames(4, 48, 48);
        for (int f = 0; f < 4; ++f)
            for (int p = 0; p < 48 * 48; ++p)
                s.Frames[size_t(f)].Data[size_t(p)] = f < 2 ? uint8_t(p % 7 ? 20 + p % 200 : 0) : uint8_t(p % 3 ? 1 : 0);
        const std::vector<uint8_t> bytes = s.SaveToMemory();
        for (int i = 0; i < FileCount; ++i) {
            const std::string name = dir.path().toStdString() + "/unit" + std::to_string(10000 + i) + ".shp";
            std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                        std::streamsize(bytes.size()));
        }
        made = true;
    }
    return dir;
}

void BM_CollectEntries5000(benchmark::State& state)
{
    const std::string folder = LargeFolder().path().toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(CollectEntries(folder));
}
BENCHMARK(BM_CollectEntries5000)->Unit(benchmark::kMillisecond);

// What the user waits for: the folder listed afresh and the first screen of cells drawn, with
// the thumbnails of the visible files made.
void BM_ListAndPaintFirstScreen5000(benchmark::State& state)
{
    EnsureApplication();
    const QString folder = LargeFolder().path();
    TFrmOpen dialog;
    dialog.show();
    int thumbnails = 0;
    for (auto _ : state) {
        dialog.CurrentFolder.clear();
        dialog.GoToFolder(folder);
        benchmark::DoNotOptimize(dialog.SHPList->viewport()->grab());
        thumbnails = dialog.SHPListModel->MadeThumbnailCount();
    }
    state.counters["items"] = dialog.SHPListModel->ItemCount();
    state.counters["thumbnails"] = thumbnails;
}
BENCHMARK(BM_ListAndPaintFirstScreen5000)->Unit(benchmark::kMillisecond);

void BM_ThumbnailOfOneFile(benchmark::State& state)
{
    const std::string path = LargeFolder().path().toStdString() + "/unit10000.shp";
    TSHP sprite;
    for (auto _ : state) {
        const bool ok = ProbeListedFile(path);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(ComposeThumbnail(RenderThumbnail(sprite, path), TFrmOpen::ThumbnailSize()));
    }
}
BENCHMARK(BM_ThumbnailOfOneFile)->Unit(benchmark::kMicrosecond);

} // namespace
