// The main window's zoomed sprite view: one screenful of a large transparent frame at the
// highest zoom, blended over the checkerboard, and the same with an opaque background picture.
#include "ui/SpriteView.h"

#include <benchmark/benchmark.h>

namespace {

QImage TransparentFrame(int width, int height)
{
    QImage frame(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame.setPixel(x, y, qRgba(x & 0xFF, y & 0xFF, 90, (x + y) % 3 == 0 ? 0 : (x % 2 ? 127 : 255)));
    return frame;
}

void BM_ComposeViewTransparentZoom20(benchmark::State& state)
{
    const QImage frame = TransparentFrame(400, 300);
    const QSize view = frame.size() * 20;
    const QRect screen(1000, 800, 1000, 600);
    for (auto _ : state)
        benchmark::DoNotOptimize(vantrel::ComposeView(frame, false, view, screen));
    state.SetItemsProcessed(state.iterations() * screen.width() * screen.height());
}
BENCHMARK(BM_ComposeViewTransparentZoom20);

void BM_ComposeViewOpaqueZoom4(benchmark::State& state)
{
    const QImage frame = TransparentFrame(400, 300).convertToFormat(QImage::Format_RGB32);
    const QSize view = frame.size() * 4;
    const QRect screen(0, 0, 1000, 600);
    for (auto _ : state)
        benchmark::DoNotOptimize(vantrel::ComposeView(frame, true, view, screen));
    state.SetItemsProcessed(state.iterations() * screen.width() * screen.height());
}
BENCHMARK(BM_ComposeViewOpaqueZoom4);

void BM_ComposeOverBackground(benchmark::State& state)
{
    const QImage frame = TransparentFrame(400, 300);
    QImage tile(60, 48, QImage::Format_ARGB32);
    tile.fill(qRgb(80, 120, 60));
    for (auto _ : state)
        benchmark::DoNotOptimize(vantrel::ComposeOverBackground(400, 300, tile, frame));
}
BENCHMARK(BM_ComposeOverBackground);

} // namespace
