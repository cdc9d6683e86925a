#include "TestSprite.h"

#include <cstring>

namespace vantrel {

std::unique_ptr<TSHP> MakeTestSprite(int frameCount)
{
    auto sprite = std::make_unique<TSHP>();
    sprite->SetSHPType(TSHPType::Unit);
    sprite->Game = TSHPGame::TS;
    sprite->AddFrames(frameCount, TestSpriteSize, TestSpriteSize);

    uint8_t pattern[TestSpriteSize * TestSpriteSize];
    for (int y = 0; y < TestSpriteSize; ++y)
        for (int x = 0; x < TestSpriteSize; ++x)
            pattern[y * TestSpriteSize + x] = TestPatternIndex(x, y);
    for (int i = 0; i < sprite->FrameCount() / 2; ++i) {
        TSHPFrame& frame = sprite->Frames[size_t(i)];
        std::memcpy(frame.Data.get(), pattern, sizeof pattern);
        frame.Dirty = true;
        sprite->UpdateFrameBounds(i);
    }
    return sprite;
}

} // namespace vantrel
