#include "sprite/TestSprite.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(TestSprite, PaletteUnitOf344Frames)
{
    auto s = MakeTestSprite(TestSpriteFrames);
    ASSERT_EQ(s->FrameCount(), 344);
    EXPECT_EQ(s->Game, TSHPGame::TS);
    EXPECT_EQ(s->SHPType, TSHPType::Unit);
    EXPECT_EQ(s->Width, 64);
    EXPECT_EQ(s->Height, 64);
    EXPECT_EQ(s->FileName, "unknown.shp");
    EXPECT_FALSE(s->IsSaved);
    EXPECT_FALSE(s->HasFile);
    EXPECT_EQ(s->Frames[0].Data[50 * 64 + 13], 3 * 16 + 12);
    const TSHPFrame& f0 = s->Frames[0];
    EXPECT_EQ(f0.X, 0);
    EXPECT_EQ(f0.Y, 0);
    EXPECT_EQ(f0.CX, 64);
    EXPECT_EQ(f0.CY, 64);
    // The shadow half stays all index 0 (its rectangle is left as AddFrames made it).
    const TSHPFrame& f172 = s->Frames[172];
    for (int p = 0; p < 64 * 64; ++p)
        ASSERT_EQ(f172.Data[p], 0);
}
