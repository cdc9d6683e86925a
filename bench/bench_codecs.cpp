// Decoding, encoding, rendering and the image of a frame, each beside a memcpy of the same
// canvas bytes. Inputs: the sprites of the shared corpus (every frame of every sprite decoded
// into full canvases, one whole load per sprite from memory) and synthetic sprites of 1,000
// frames of 256 x 256.
#include "BenchSupport.h"

#include "imaging/Imaging.h"

#include <chrono>
#include <map>

namespace vantrel::bench {

namespace {

constexpr int LargeFrames = 1000;
constexpr int LargeSide = 256;

const TSHP& LargeSprite()
{
    static const std::unique_ptr<TSHP> sprite = SyntheticSprite(LargeFrames, LargeSide, LargeSide);
    return *sprite;
}

std::vector<uint64_t> FrameBlocks(const TSHP& sprite)
{
    return std::vector<uint64_t>(size_t(sprite.FrameCount()), uint64_t(sprite.Width) * uint64_t(sprite.Height));
}

void DecodeCorpus(benchmark::State& state, const std::string& folder)
{
    const std::vector<TCorpusFile>& files = CorpusSprites(folder);
    if (files.empty()) {
        state.SkipWithError("the shared corpus is missing");
        return;
    }
    std::vector<uint64_t> blocks;
    for (const TCorpusFile& f : files)
        blocks.push_back(f.CanvasBytes);
    RunAgainstMemcpy(state, blocks, [&] {
        for (const TCorpusFile& f : files) {
            TSHP sprite;
            sprite.LoadFromMemory(f.Bytes);
            benchmark::DoNotOptimize(sprite.Frames.data());
        }
    });
}

// The decoders are measured in their steady state: the first passes of a fresh process (cold
// branch predictors and caches, a heap still growing) run up to a third slower. The median of
// several runs is reported, as other work on the machine slows single runs by up to a quarter.
void DecodeSettings(benchmark::internal::Benchmark* b)
{
    b->UseManualTime()->MinWarmUpTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
}
BENCHMARK_CAPTURE(DecodeCorpus, TD, std::string("td"))->Apply(DecodeSettings);
BENCHMARK_CAPTURE(DecodeCorpus, TS, std::string("ts"))->Apply(DecodeSettings);

// The large sprite written one way, decoded whole.
// setting: the TS compression mode, or the TD key-frame interval (1: every frame LCW).
void DecodeLarge(benchmark::State& state, TSHPFormat layout, int setting)
{
    static std::map<std::pair<int, int>, std::vector<uint8_t>> files;
    std::vector<uint8_t>& file = files[{int(layout), setting}];
    if (file.empty()) {
        TSHP& sprite = const_cast<TSHP&>(LargeSprite());
        sprite.CompressionMode = layout == TSHPFormat::TS ? uint8_t(setting) : 0;
        sprite.TDKeyFrameInterval = layout == TSHPFormat::TD ? setting : 16;
        file = sprite.SaveToMemory(layout);
    }
    RunAgainstMemcpy(state, {CanvasBytes(LargeSprite())}, [&] {
        TSHP sprite;
        sprite.LoadFromMemory(file);
        benchmark::DoNotOptimize(sprite.Frames.data());
    });
    state.counters["file_bytes"] = double(file.size());
}
BENCHMARK_CAPTURE(DecodeLarge, TSRaw, TSHPFormat::TS, 3)->Apply(DecodeSettings);
BENCHMARK_CAPTURE(DecodeLarge, TSLineEncoded, TSHPFormat::TS, 2)->Apply(DecodeSettings);
BENCHMARK_CAPTURE(DecodeLarge, TDLCW, TSHPFormat::TD, 1)->Apply(DecodeSettings);
BENCHMARK_CAPTURE(DecodeLarge, TDXOR, TSHPFormat::TD, 1000)->Apply(DecodeSettings);

void EncodeTS(benchmark::State& state)
{
    TSHP& sprite = const_cast<TSHP&>(LargeSprite());
    sprite.CompressionMode = uint8_t(state.range(0));
    RunAgainstMemcpy(state, {CanvasBytes(sprite)}, [&] { benchmark::DoNotOptimize(sprite.SaveToMemory(TSHPFormat::TS)); });
}
BENCHMARK(EncodeTS)->ArgName("mode")->DenseRange(0, 3)->UseManualTime()->Unit(benchmark::kMillisecond);

void EncodeTD(benchmark::State& state)
{
    static const std::unique_ptr<TSHP> sprite = SyntheticSprite(100, LargeSide, LargeSide);
    sprite->TDWriterThreads = 1; // the time is the calling thread's
    RunAgainstMemcpy(state, {CanvasBytes(*sprite)}, [&] { benchmark::DoNotOptimize(sprite->SaveToMemory(TSHPFormat::TD)); });
}
BENCHMARK(EncodeTD)->UseManualTime()->Unit(benchmark::kMillisecond);

// Every sprite of a corpus folder, loaded once.
std::vector<std::unique_ptr<TSHP>>& LoadedCorpus(const std::string& folder)
{
    static std::map<std::string, std::vector<std::unique_ptr<TSHP>>> loaded;
    std::vector<std::unique_ptr<TSHP>>& sprites = loaded[folder];
    if (sprites.empty())
        for (const TCorpusFile& f : CorpusSprites(folder)) {
            sprites.push_back(std::make_unique<TSHP>());
            sprites.back()->LoadFromMemory(f.Bytes);
        }
    return sprites;
}

// Every sprite of a corpus folder written in the TD/RA1 layout on one thread.
void EncodeTDCorpus(benchmark::State& state, const std::string& folder)
{
    std::vector<std::unique_ptr<TSHP>>& sprites = LoadedCorpus(folder);
    if (sprites.empty()) {
        state.SkipWithError("the shared corpus is missing");
        return;
    }
    for (const auto& sprite : sprites)
        sprite->TDWriterThreads = 1; // the time is the calling thread's
    std::vector<uint64_t> blocks;
    for (const auto& sprite : sprites)
        blocks.push_back(CanvasBytes(*sprite));
    size_t written = 0;
    RunAgainstMemcpy(state, blocks, [&] {
        written = 0;
        for (const auto& sprite : sprites)
            written += sprite->SaveToMemory(TSHPFormat::TD).size();
    });
    state.counters["file_bytes"] = double(written);
}
BENCHMARK_CAPTURE(EncodeTDCorpus, TD, std::string("td"))->Apply(DecodeSettings);
BENCHMARK_CAPTURE(EncodeTDCorpus, TS, std::string("ts"))->Apply(DecodeSettings);

// The TS corpus written in the TD/RA1 layout on 1 or 2 threads, by the wall clock (a busy machine
// makes it slower): long sprites are encoded in runs of frames on several threads.
void EncodeTDThreads(benchmark::State& state)
{
    std::vector<std::unique_ptr<TSHP>>& sprites = LoadedCorpus("ts");
    if (sprites.empty()) {
        state.SkipWithError("the shared corpus is missing");
        return;
    }
    uint64_t bytes = 0;
    for (const auto& sprite : sprites) {
        sprite->TDWriterThreads = int(state.range(0));
        bytes += CanvasBytes(*sprite);
    }
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (const auto& sprite : sprites)
            benchmark::DoNotOptimize(sprite->SaveToMemory(TSHPFormat::TD));
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetBytesProcessed(int64_t(bytes) * int64_t(state.iterations()));
}
BENCHMARK(EncodeTDThreads)->ArgName("threads")->Arg(1)->Arg(2)->Apply(DecodeSettings);

enum class TLook { Plain, SideColour, Luminosity };

// 250 unit frames of 256 x 256 with translucent shadows, drawn with the given look.
TSHP& LookSprite(TLook look)
{
    static const std::unique_ptr<TSHP> sprite = SyntheticSprite(LargeFrames / 4, LargeSide, LargeSide);
    sprite->SHPType = TSHPType::Unit;
    sprite->SetTransparentShadows(true);
    sprite->SetUseSideColour(look == TLook::SideColour);
    sprite->SetLuminosity(look == TLook::Luminosity ? 20 : 0);
    return *sprite;
}

// Every frame's render caches (the whole-canvas colours and opacities GetFrameRGB and
// GetFrameAlpha hand out) rendered again after the settings changed; the caches stay allocated.
void RenderFrames(benchmark::State& state, TLook look)
{
    TSHP* sprite = &LookSprite(look);
    RunAgainstMemcpy(state, FrameBlocks(*sprite), [&] {
        sprite->InvalidateFrames();
        for (int i = 0; i < sprite->FrameCount(); ++i)
            sprite->RenderFrame(i);
    });
}
BENCHMARK_CAPTURE(RenderFrames, Plain, TLook::Plain)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderFrames, SideColour, TLook::SideColour)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderFrames, Luminosity, TLook::Luminosity)->UseManualTime()->Unit(benchmark::kMillisecond);

// The display image of every frame (what the view, the thumbnails and the tool's pictures are made
// of) after the settings changed.
void FrameImages(benchmark::State& state, TLook look)
{
    TSHP* sprite = &LookSprite(look);
    RunAgainstMemcpy(state, FrameBlocks(*sprite), [&] {
        sprite->InvalidateFrames();
        for (int i = 0; i < sprite->FrameCount(); ++i)
            benchmark::DoNotOptimize(FrameToPNG(*sprite, i, false));
    });
}
BENCHMARK_CAPTURE(FrameImages, Plain, TLook::Plain)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FrameImages, SideColour, TLook::SideColour)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FrameImages, Luminosity, TLook::Luminosity)->UseManualTime()->Unit(benchmark::kMillisecond);

// The display image of every frame of the first half, laid over its shadow frame.
void FrameToPNGOverShadows(benchmark::State& state)
{
    static const std::unique_ptr<TSHP> sprite = SyntheticSprite(64, LargeSide, LargeSide);
    sprite->SHPType = TSHPType::Unit;
    sprite->SetTransparentShadows(true);
    const int half = sprite->FrameCount() / 2;
    RunAgainstMemcpy(state, std::vector<uint64_t>(size_t(half), uint64_t(LargeSide) * LargeSide), [&] {
        sprite->InvalidateFrames();
        for (int i = 0; i < half; ++i)
            benchmark::DoNotOptimize(FrameToPNG(*sprite, i, true));
    });
}
BENCHMARK(FrameToPNGOverShadows)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

} // namespace vantrel::bench
