// Speed of the image conversions, the background composition and the sprite-map files.
#include "imaging/Imaging.h"
#include "sprite/SpriteSheet.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace vantrel;

namespace {

// A TS unit of count frames (half of them shadows) whose frames fill about half their canvas.
std::unique_ptr<TSHP> BusyUnit(int count, int width, int height)
{
    auto s = std::make_unique<TSHP>();
    s->AddFrames(count, width, height);
    s->Game = TSHPGame::TS;
    s->SHPType = TSHPType::Unit;
    s->TransparentShadows = true;
    std::mt19937 rng(7);
    for (TSHPFrame& f : s->Frames)
        for (int p = 0; p < width * height; ++p)
            f.Data[size_t(p)] = rng() % 2 ? uint8_t(rng()) : 0;
    return s;
}

void FrameToPNGOverShadow(benchmark::State& state)
{
    const int side = int(state.range(0));
    auto s = BusyUnit(8, side, side);
    for (auto _ : state)
        benchmark::DoNotOptimize(FrameToPNG(*s, 1, true));
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(FrameToPNGOverShadow)->Arg(64)->Arg(256)->Arg(1024);

void MainViewComposition(benchmark::State& state)
{
    const int side = int(state.range(0));
    auto s = BusyUnit(8, side, side);
    const QImage tile = MakeCheckerTile();
    for (auto _ : state) {
        QImage view(side, side, QImage::Format_RGB32);
        TileBackground(view, tile);
        BlendOver(view, FrameToPNG(*s, 1, true));
        benchmark::DoNotOptimize(view);
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(MainViewComposition)->Arg(64)->Arg(256)->Arg(1024);

void SpriteMapExportAndEncode(benchmark::State& state)
{
    auto s = BusyUnit(344, 64, 48);
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeBmp8(ExportSpriteSheet(*s)));
    state.SetBytesProcessed(state.iterations() * 344 * 64 * 48);
}
BENCHMARK(SpriteMapExportAndEncode);

void SpriteMapReadAndImport(benchmark::State& state)
{
    auto s = BusyUnit(344, 64, 48);
    const std::vector<uint8_t> file = EncodeBmp8(ExportSpriteSheet(*s));
    for (auto _ : state) {
        const TBitmap8 map = ReadBmp8(file);
        benchmark::DoNotOptimize(ImportSpriteSheet(map, {64, 48, 344}, "map.bmp"));
    }
    state.SetBytesProcessed(state.iterations() * int64_t(file.size()));
}
BENCHMARK(SpriteMapReadAndImport);

void Rle8Decode(benchmark::State& state)
{
    // 1024 x 1024: every row a run of 200, a literal of 100, and an end of line.
    std::vector<uint8_t> rle;
    for (int y = 0; y < 1024; ++y) {
        rle.insert(rle.end(), {200, 9, 0, 100});
        for (int k = 0; k < 100; ++k)
            rle.push_back(uint8_t(k));
        rle.insert(rle.end(), {0, 0});
    }
    rle.insert(rle.end(), {0, 1});
    TBitmap8 blank = MakeBitmap8(1024, 1024);
    std::vector<uint8_t> file = EncodeBmp8(blank);
    file.resize(14 + 40 + 1024);
    file.insert(file.end(), rle.begin(), rle.end());
    file[30] = 1;                   // RLE8
    file[34] = file[35] = file[36] = file[37] = 0; // no data size given
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadBmp8(file));
    state.SetItemsProcessed(state.iterations() * 1024 * 1024);
}
BENCHMARK(Rle8Decode);

} // namespace
