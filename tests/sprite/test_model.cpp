#include "sprite/SHP.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(Model, NewSpriteHasConstructorValues)
{
    TSHP s;
    EXPECT_EQ(s.FileName, "unknown.shp");
    EXPECT_EQ(s.FrameCount(), 0);
    EXPECT_EQ(s.Palette[0], MakeColour(1, 2, 255));
    EXPECT_EQ(s.Palette[1], MakeColour(0, 0, 0));
    EXPECT_EQ(s.Palette[128], MakeColour(127, 127, 127));
    EXPECT_EQ(s.Palette[255], MakeColour(255, 255, 255));
    EXPECT_EQ(s.SideColour, MakeColour(255, 0, 0));
    EXPECT_EQ(s.Format, TSHPFormat::None);
    EXPECT_EQ(s.Game, TSHPGame::TD);
    EXPECT_EQ(s.SHPType, TSHPType::Animation);
}

TEST(Model, AddFramesMakesZeroedCanvasFrames)
{
    TSHP s;
    s.AddFrames(3, 10, 20);
    ASSERT_EQ(s.FrameCount(), 3);
    EXPECT_EQ(s.Format, TSHPFormat::TS);
    for (const TSHPFrame& f : s.Frames) {
        EXPECT_EQ(f.X, 0);
        EXPECT_EQ(f.Y, 0);
        EXPECT_EQ(f.CX, 10);
        EXPECT_EQ(f.CY, 20);
        EXPECT_TRUE(f.Dirty);
        for (int p = 0; p < 200; ++p)
            ASSERT_EQ(f.Data[p], 0);
    }
    EXPECT_FALSE(s.IsSaved);
    EXPECT_FALSE(s.HasFile);
}

TEST(Model, AddFramesRefusesNonPositiveAmount)
{
    TSHP s;
    try {
        s.AddFrames(0, 4, 4);
        FAIL();
    } catch (const AssertionError& e) {
        EXPECT_STREQ(e.what(), "TSHP.AddFrames - Amount <= 0");
    }
    EXPECT_EQ(s.FrameCount(), 0);
    EXPECT_EQ(s.Format, TSHPFormat::None);
}

TEST(Model, UpdateFrameBounds)
{
    TSHP s;
    s.AddFrames(1, 10, 10);
    s.UpdateFrameBounds(0);
    EXPECT_EQ(s.Frames[0].CX, 0);
    EXPECT_EQ(s.Frames[0].CY, 0);
    s.Frames[0].Data[7 * 10 + 5] = 9;
    s.UpdateFrameBounds(0);
    EXPECT_EQ(s.Frames[0].X, 5);
    EXPECT_EQ(s.Frames[0].Y, 7);
    EXPECT_EQ(s.Frames[0].CX, 1);
    EXPECT_EQ(s.Frames[0].CY, 1);
    s.Frames[0].Data[2 * 10 + 8] = 1;
    s.UpdateFrameBounds(0);
    EXPECT_EQ(s.Frames[0].X, 5);
    EXPECT_EQ(s.Frames[0].Y, 2);
    EXPECT_EQ(s.Frames[0].CX, 4);
    EXPECT_EQ(s.Frames[0].CY, 6);
}

namespace {
struct DetectCase {
    int w, h, count;
    TSHPGame game;
    TSHPType expectType;
    TSHPGame expectGame;
};
} // namespace

TEST(Model, DetectSHPType)
{
    const DetectCase cases[] = {
        {60, 48, 1, TSHPGame::TS, TSHPType::Cameo, TSHPGame::RA2},
        {64, 48, 2, TSHPGame::TD, TSHPType::Cameo, TSHPGame::TD},
        {64, 48, 2, TSHPGame::RA1, TSHPType::Unit, TSHPGame::RA1},
        {48, 48, 5, TSHPGame::TS, TSHPType::Building, TSHPGame::TS},
        {48, 48, 7, TSHPGame::TS, TSHPType::Animation, TSHPGame::TS},
        {48, 48, 7, TSHPGame::TD, TSHPType::Building, TSHPGame::TD},
        {50, 40, 8, TSHPGame::TS, TSHPType::Building, TSHPGame::RA2},
        {50, 40, 64, TSHPGame::TS, TSHPType::Unit, TSHPGame::TS},
        {50, 40, 2, TSHPGame::TS, TSHPType::Unit, TSHPGame::TS},
        {50, 40, 100, TSHPGame::TS, TSHPType::Unit, TSHPGame::TS},
        {50, 40, 16, TSHPGame::TS, TSHPType::Animation, TSHPGame::TS},
    };
    for (const DetectCase& c : cases) {
        TSHP s;
        s.Width = c.w;
        s.Height = c.h;
        s.Game = c.game;
        s.SHPType = TSHPType::Unit;
        s.DetectSHPType(c.count);
        EXPECT_EQ(s.SHPType, c.expectType) << c.w << "x" << c.h << " count " << c.count;
        EXPECT_EQ(s.Game, c.expectGame) << c.w << "x" << c.h << " count " << c.count;
    }
}

TEST(Model, RadarColourRoundTrip)
{
    TSHP s;
    s.AddFrames(1, 1, 1);
    s.Frames[0].RadarColourExtra = 7;
    const uint32_t system = 0 | 128 << 8 | 255 << 16; // red 0, green 128, blue 255
    s.SetRadarColour(0, system);
    EXPECT_EQ(s.Frames[0].RadarColour, MakeColour(0, 128, 255));
    EXPECT_EQ(s.Frames[0].RadarColourExtra, 0);
    EXPECT_EQ(s.GetRadarColour(0), system);
}

TEST(Model, ExtensionsAndPaths)
{
    EXPECT_EQ(TheatreFromExtension(".win"), TTheatre::Winter);
    EXPECT_EQ(TheatreFromExtension(".WIN"), TTheatre::Default);
    EXPECT_TRUE(IsSHPExtension(".WIN"));
    EXPECT_FALSE(IsSHPExtension(".pal"));
    EXPECT_EQ(AddTrailingBackslash(""), "");
    const std::string sep(1, PathSeparator);
    EXPECT_EQ(AddTrailingBackslash("a/b/"), "a" + std::string("/") + "b" + sep);
    EXPECT_EQ(AddTrailingBackslash("a"), "a" + sep);
    EXPECT_EQ(ChangeFileExt("dir" + sep + "tank.bmp", ".shp"), "dir" + sep + "tank.shp");
    EXPECT_EQ(ChangeFileExt("noext", ".shp"), "noext.shp");
    EXPECT_EQ(ExtractFileExt("x.y" + sep + "file"), "");
}

TEST(Model, SetSHPTypeDropsIsoPaletteOnlyWhenLeavingIsoTypes)
{
    TSHP s;
    s.SHPType = TSHPType::BuildingIsoUrban;
    s.IsoPalette = std::make_unique<TPalette>();
    s.SetSHPType(TSHPType::BuildingIsoSnow);
    EXPECT_EQ(s.IsoPalette, nullptr);
    s.IsoPalette = std::make_unique<TPalette>();
    s.SetSHPType(TSHPType::BuildingIsoSnow);
    EXPECT_NE(s.IsoPalette, nullptr);
    s.SHPType = TSHPType::Unit;
    s.SetSHPType(TSHPType::Building);
    EXPECT_NE(s.IsoPalette, nullptr);
}

TEST(Model, AddFramesKeepsOneCanvasSize)
{
    TSHP s;
    s.AddFrames(2, 8, 8);
    EXPECT_THROW(s.AddFrames(1, 16, 8), SHPError);
    EXPECT_EQ(s.FrameCount(), 2);
    EXPECT_EQ(s.Width, 8);
    s.AddFrames(1, 8, 8);
    EXPECT_EQ(s.FrameCount(), 3);
}
