// The canvases a reader shares out of blocks: each frame's pixels live as long as the frame,
// whatever the order frames go in, and the slack after every canvas is really there (the
// sanitizer run reports a write past a block and a block that is never freed).
#include "read_helpers.h"

#include "sprite/PixelBuffer.h"

#include <algorithm>
#include <cstring>
#include <random>

using namespace vantrel;
using namespace readtest;

namespace {

std::vector<TPixelBuffer> Carve(size_t count, size_t bytes)
{
    TCanvasBlocks blocks(count, bytes);
    std::vector<TPixelBuffer> canvases;
    for (size_t k = 0; k < count; ++k)
        canvases.push_back(blocks.Next());
    return canvases;
}

} // namespace

TEST(PixelBuffer, CanvasesFollowEachOtherAndEachHasItsSlack)
{
    const size_t bytes = 1000;
    std::vector<TPixelBuffer> canvases = Carve(3000, bytes);
    size_t blocks = 1;
    for (size_t k = 0; k < canvases.size(); ++k) {
        std::memset(canvases[k].get(), int(k), bytes + TCanvasBlocks::CanvasSlack);
        if (k > 0 && canvases[k].get() != canvases[k - 1].get() + bytes)
            ++blocks;
    }
    // Filled in order, each canvas keeps its own bytes once the next one is written over the slack.
    for (size_t k = 0; k < canvases.size(); ++k)
        ASSERT_EQ(canvases[k][bytes - 1], uint8_t(k)) << k;
    const size_t perBlock = TCanvasBlocks::BlockBytes / bytes;
    EXPECT_EQ(blocks, (3000 + perBlock - 1) / perBlock);
}

TEST(PixelBuffer, CanvasesOutliveTheCarverAndGoInAnyOrder)
{
    std::mt19937 rng(5);
    for (size_t bytes : {size_t(1), size_t(576), TCanvasBlocks::BlockBytes + 3}) {
        std::vector<TPixelBuffer> canvases = Carve(40, bytes);
        std::shuffle(canvases.begin(), canvases.end(), rng);
        while (!canvases.empty()) {
            std::memset(canvases.back().get(), 7, bytes);
            canvases.pop_back();
        }
    }
}

TEST(PixelBuffer, ABlockOnlyPartlyHandedOutIsFreed)
{
    TPixelBuffer kept;
    {
        TCanvasBlocks blocks(100, 64);
        kept = blocks.Next();
        blocks.Next(); // freed at once
    }
    kept[63] = 1;
    { TCanvasBlocks none(100, 64); }
    TCanvasBlocks one(1, 8);
    one.Next();
    EXPECT_THROW(one.Next(), std::logic_error);
}

TEST(PixelBuffer, BuffersOfTheirOwnStillConvertAndFree)
{
    TPixelBuffer own = std::make_unique<uint8_t[]>(16);
    own[15] = 3;
    TCanvasBlocks blocks(1, 16);
    own = blocks.Next(); // the buffer of its own is deleted, the canvas taken
    own.reset();
    own = std::make_unique_for_overwrite<uint8_t[]>(4);
    EXPECT_TRUE(own);
}

TEST(PixelBuffer, FramesOfALoadedSpriteOutliveTheSprite)
{
    std::vector<TSHPFrame> frames;
    {
        TSHP s;
        Load(s, MakeTD(2, 2, {{0x80, 0, {0x84, 1, 2, 3, 4, 0x80}}, {0x20, 0, {4, 1, 1, 1, 1, 0x80, 0, 0}}}));
        ASSERT_EQ(s.FrameCount(), 2);
        frames.push_back(std::move(s.Frames[1]));
    }
    EXPECT_EQ(Bytes(frames[0].Data.get(), frames[0].Data.get() + 4), (Bytes{0, 3, 2, 5}));
}
