#include "render_test_files.h"
#include "sprite/Palette.h"
#include "sprite/SHP.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

using namespace vantrel;
using render_test::TaggedPaletteFile;
using render_test::TAppFolder;

namespace {

constexpr TColour24 Transparent = MakeColour(1, 2, 255);
constexpr TColour24 Black = MakeColour(0, 0, 0);

// A sprite of count frames of 4 x 2 pixels whose palette entry i is (i, 255 - i, i / 2) and
// whose frames hold the given indices in row 0 (row 1 stays 0).
std::unique_ptr<TSHP> MakeSprite(TSHPGame game, TSHPType type, int count, std::initializer_list<uint8_t> row0)
{
    auto s = std::make_unique<TSHP>();
    s->Game = game;
    s->SHPType = type;
    for (int i = 0; i < 256; ++i)
        s->Palette[size_t(i)] = MakeColour(uint8_t(i), uint8_t(255 - i), uint8_t(i / 2));
    s->AddFrames(count, 4, 2);
    for (TSHPFrame& f : s->Frames)
        std::copy(row0.begin(), row0.end(), f.Data.get());
    return s;
}

TColour24 Entry(int i) { return MakeColour(uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)); }

TPalette FramePalette(TSHP& s, int i = 0)
{
    TPalette pal;
    s.GetFramePalette(i, pal);
    return pal;
}

} // namespace

TEST(Render, IndexZeroAndPixelsOutsideTheRectangleAreTransparent)
{
    auto s = MakeSprite(TSHPGame::TS, TSHPType::Animation, 1, {0, 9, 200, 7});
    s->Frames[0].Data[4] = 5; // row 1, outside the rectangle below
    s->Frames[0].CY = 1;
    const TColour24* rgb = s->GetFrameRGB(0);
    const uint8_t* alpha = s->GetFrameAlpha(0);
    EXPECT_EQ(rgb[0], Transparent);
    EXPECT_EQ(alpha[0], 0);
    EXPECT_EQ(rgb[1], Entry(9));
    EXPECT_EQ(alpha[1], 255);
    EXPECT_EQ(rgb[2], Entry(200));
    EXPECT_EQ(rgb[4], Transparent);
    EXPECT_EQ(alpha[4], 0);
}

TEST(Render, ShadowIndexOfTDAndRA1)
{
    for (TSHPGame game : {TSHPGame::TD, TSHPGame::RA1}) {
        auto s = MakeSprite(game, TSHPType::Unit, 2, {4, 5, 0, 4});
        s->SetTransparentShadows(true);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(s->GetFrameRGB(i)[0], Black);
            EXPECT_EQ(s->GetFrameAlpha(i)[0], 127);
            EXPECT_EQ(s->GetFrameRGB(i)[1], Entry(5));
            EXPECT_EQ(s->GetFrameAlpha(i)[1], 255);
        }
        s->SetTransparentShadows(false);
        EXPECT_EQ(s->GetFrameRGB(1)[3], Entry(4));
        EXPECT_EQ(s->GetFrameAlpha(1)[3], 255);
    }
}

TEST(Render, ShadowFramesOfTSAndRA2)
{
    for (TSHPGame game : {TSHPGame::TS, TSHPGame::RA2}) {
        auto s = MakeSprite(game, TSHPType::Unit, 8, {0, 1, 4, 77});
        s->SetTransparentShadows(true);
        for (int i = 0; i < 8; ++i) {
            const bool shadow = i >= 4;
            const TColour24* rgb = s->GetFrameRGB(i);
            const uint8_t* alpha = s->GetFrameAlpha(i);
            EXPECT_EQ(alpha[0], 0);
            EXPECT_EQ(rgb[0], Transparent);
            for (int x = 1; x < 4; ++x) {
                const int index = s->Frames[size_t(i)].Data[size_t(x)];
                EXPECT_EQ(rgb[x], shadow ? Black : Entry(index)) << i << " " << x;
                EXPECT_EQ(alpha[x], shadow ? 127 : 255) << i << " " << x;
            }
        }
        s->SetTransparentShadows(false);
        EXPECT_EQ(s->GetFrameRGB(5)[3], Entry(77));
        EXPECT_EQ(s->GetFrameAlpha(5)[3], 255);
    }
}

TEST(Render, FramesWithoutShadowRole)
{
    // Frame 0 of a one-frame unit and the second half of an animation render as plain frames.
    auto unit = MakeSprite(TSHPGame::TS, TSHPType::Unit, 1, {3, 0, 0, 0});
    unit->SetTransparentShadows(true);
    EXPECT_EQ(unit->GetFrameAlpha(0)[0], 255);
    auto anim = MakeSprite(TSHPGame::TS, TSHPType::Animation, 4, {3, 0, 0, 0});
    anim->SetTransparentShadows(true);
    EXPECT_EQ(anim->GetFrameRGB(3)[0], Entry(3));
    EXPECT_EQ(anim->GetFrameAlpha(3)[0], 255);
}

TEST(Render, RemapRampsOfTheThreeRanges)
{
    auto ts = MakeSprite(TSHPGame::TS, TSHPType::Unit, 1, {});
    ts->SetUseSideColour(true);
    TPalette pal = FramePalette(*ts);
    EXPECT_EQ(pal[16], MakeColour(255, 0, 0));
    EXPECT_EQ(pal[17], MakeColour(240, 0, 0));
    EXPECT_EQ(pal[31], MakeColour(30, 0, 0));
    EXPECT_EQ(pal[15], Entry(15));
    EXPECT_EQ(pal[32], Entry(32));

    auto td = MakeSprite(TSHPGame::TD, TSHPType::Unit, 1, {});
    td->SetUseSideColour(true);
    pal = FramePalette(*td);
    EXPECT_EQ(pal[176], MakeColour(226, 0, 0));
    EXPECT_EQ(pal[183], MakeColour(28, 0, 0));
    EXPECT_EQ(pal[184], MakeColour(180, 0, 0));
    EXPECT_EQ(pal[191], MakeColour(75, 0, 0));
    EXPECT_EQ(pal[175], Entry(175));
    EXPECT_EQ(pal[192], Entry(192));

    auto ra1 = MakeSprite(TSHPGame::RA1, TSHPType::Unit, 1, {});
    ra1->SetUseSideColour(true);
    ra1->SetSideColour(0x00C86432); // red 200, green 100, blue 50: each channel on its own
    pal = FramePalette(*ra1);
    EXPECT_EQ(pal[80], MakeColour(200, 100, 50));
    EXPECT_EQ(pal[81], MakeColour(188, 94, 47));
    EXPECT_EQ(pal[95], MakeColour(23, 11, 5));
    EXPECT_EQ(pal[79], Entry(79));
    EXPECT_EQ(pal[96], Entry(96));
    EXPECT_EQ(pal[16], Entry(16));

    // The frame is drawn with the ramp.
    auto drawn = MakeSprite(TSHPGame::TS, TSHPType::Unit, 1, {16, 31, 32});
    drawn->SetUseSideColour(true);
    EXPECT_EQ(drawn->GetFrameRGB(0)[0], MakeColour(255, 0, 0));
    EXPECT_EQ(drawn->GetFrameRGB(0)[1], MakeColour(30, 0, 0));
    EXPECT_EQ(drawn->GetFrameRGB(0)[2], Entry(32));
}

TEST(Render, OutOfRangeGameGetsNoRemapAndNoShadow)
{
    auto s = MakeSprite(TSHPGame(9), TSHPType(42), 4, {4, 16, 0, 0});
    s->SetUseSideColour(true);
    s->SetTransparentShadows(true);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s->GetFrameRGB(i)[0], Entry(4));
        EXPECT_EQ(s->GetFrameRGB(i)[1], Entry(16));
        EXPECT_EQ(s->GetFrameAlpha(i)[0], 255);
    }
}

TEST(Render, LuminosityShiftsAllButTheFixedEntries)
{
    TSHP s;
    s.AddFrames(1, 1, 1);
    s.Palette[5] = MakeColour(255, 0, 0);
    s.Palette[6] = MakeColour(128, 128, 128);
    s.Palette[240] = s.Palette[254] = MakeColour(10, 10, 10);
    s.SetLuminosity(1);
    TPalette pal = FramePalette(s);
    EXPECT_EQ(pal[0], Transparent);
    EXPECT_EQ(pal[5], MakeColour(255, 1, 2));
    EXPECT_EQ(pal[6], MakeColour(129, 129, 129));
    EXPECT_EQ(pal[240], MakeColour(10, 10, 10));
    EXPECT_EQ(pal[254], MakeColour(10, 10, 10));
    s.SetLuminosity(-1);
    EXPECT_EQ(FramePalette(s)[5], MakeColour(253, 0, 0));

    s.SetLuminosity(50);
    pal = FramePalette(s);
    EXPECT_EQ(pal[1], MakeColour(50, 50, 50)); // black of the grey ramp
    EXPECT_EQ(pal[255], MakeColour(255, 255, 255));
    EXPECT_EQ(pal[239], MakeColour(255, 255, 255)); // grey 238 clamps at lightness 1
    EXPECT_EQ(pal[240], MakeColour(10, 10, 10));
    s.SetLuminosity(-50);
    EXPECT_EQ(FramePalette(s)[1], MakeColour(0, 0, 0));
    EXPECT_EQ(FramePalette(s)[255], MakeColour(205, 205, 205));
}

TEST(Render, LuminosityAlsoShiftsTheRemapRamp)
{
    auto s = MakeSprite(TSHPGame::TS, TSHPType::Unit, 1, {});
    s->SetUseSideColour(true);
    s->SetLuminosity(1);
    EXPECT_EQ(FramePalette(*s)[16], MakeColour(255, 1, 2));
}

TEST(Render, IsoFrameThreeUsesTheIsoPaletteAlone)
{
    TAppFolder app;
    std::vector<uint8_t> iso = TaggedPaletteFile(11);
    iso[0] = 5, iso[1] = 6, iso[2] = 7;
    iso[3 * 16] = 40;
    app.Write("palette/TS/isotem.pal", iso);
    auto s = MakeSprite(TSHPGame::TS, TSHPType::BuildingIsoTemperate, 6, {0, 1, 16, 7});
    s->SetUseSideColour(true);
    s->SetLuminosity(20);
    const TColour24* rgb = s->GetFrameRGB(3);
    EXPECT_EQ(rgb[0], MakeColour(20, 24, 28));
    EXPECT_EQ(s->GetFrameAlpha(3)[0], 0);
    EXPECT_EQ(rgb[1], MakeColour(44, 44, 44));
    EXPECT_EQ(rgb[2], MakeColour(160, 0, 0));
    EXPECT_EQ(rgb[3], MakeColour(44, 0, 208));
    EXPECT_EQ(s->GetFrameRGB(2)[0], Transparent);
    EXPECT_NE(s->GetFrameRGB(2)[1], MakeColour(44, 44, 44));
}

TEST(Render, MissingIsoPaletteFailsAndALaterRenderRetries)
{
    TAppFolder app;
    auto s = MakeSprite(TSHPGame::RA2, TSHPType::BuildingIsoSnow, 8, {7, 0, 0, 0});
    EXPECT_THROW(s->GetFrameRGB(3), FileError);
    EXPECT_FALSE(s->IsoPalette);
    EXPECT_TRUE(s->Frames[3].Dirty);
    app.Write("palette/RA2/isosno.pal", TaggedPaletteFile(2));
    EXPECT_EQ(s->GetFrameRGB(3)[0], MakeColour(8, 0, 244));
    EXPECT_EQ(s->GetFrameAlpha(3)[0], 255);
}

TEST(Render, SettersInvalidateOnlyOnChange)
{
    auto s = MakeSprite(TSHPGame::TS, TSHPType::Unit, 2, {1});
    auto clean = [&] {
        s->GetFrameRGB(0);
        s->GetFrameRGB(1);
    };
    auto dirty = [&] { return s->Frames[0].Dirty && s->Frames[1].Dirty; };
    clean();
    s->SetUseSideColour(false);
    s->SetTransparentShadows(false);
    s->SetLuminosity(0);
    s->SetSideColour(0x0000FF00); // remap off: stored, frames stay valid
    EXPECT_FALSE(s->Frames[0].Dirty);
    EXPECT_EQ(s->SideColour, MakeColour(0, 255, 0));
    s->SetSHPType(TSHPType::Building);
    s->Game = TSHPGame::RA2;
    s->SetRadarColour(0, 0x123456);
    EXPECT_FALSE(s->Frames[0].Dirty);

    s->SetUseSideColour(true);
    EXPECT_TRUE(dirty());
    clean();
    s->SetSideColour(0x0000FF00); // same colour, remap on: invalidates all the same
    EXPECT_TRUE(dirty());
    clean();
    s->SetTransparentShadows(true);
    EXPECT_TRUE(dirty());
    clean();
    s->SetLuminosity(-3);
    EXPECT_TRUE(dirty());
    clean();
    s->SetPalette(s->Palette);
    EXPECT_TRUE(dirty());
}

TEST(Render, RenderingIsLazyAndReusesTheCaches)
{
    auto s = MakeSprite(TSHPGame::TS, TSHPType::Animation, 3, {1, 2});
    const TColour24* first = s->GetFrameRGB(1);
    s->Frames[1].Data[0] = 3; // not seen until something marks the frame stale
    EXPECT_EQ(s->GetFrameRGB(1)[0], Entry(1));
    s->InvalidateFrames();
    EXPECT_EQ(s->GetFrameRGB(1), first);
    EXPECT_EQ(first[0], Entry(3));
    EXPECT_TRUE(s->Frames[0].Dirty);
    EXPECT_TRUE(s->Frames[2].Dirty);
    EXPECT_FALSE(s->Frames[0].RGBCache);

    s->FreeFrameCache(1);
    EXPECT_FALSE(s->Frames[1].RGBCache);
    EXPECT_EQ(s->GetFrameRGB(1)[0], Entry(3));
}

TEST(Render, EmptyCanvasAndFramesWithoutPixels)
{
    TSHP empty;
    empty.AddFrames(1, 0, 5);
    EXPECT_EQ(empty.GetFrameRGB(0), nullptr);
    EXPECT_EQ(empty.GetFrameAlpha(0), nullptr);

    auto s = MakeSprite(TSHPGame::TS, TSHPType::Animation, 1, {5, 5, 5, 5});
    s->Frames[0].Data.reset();
    EXPECT_EQ(s->GetFrameRGB(0)[0], Transparent);
    EXPECT_EQ(s->GetFrameAlpha(0)[3], 0);
    EXPECT_THROW(s->GetFrameRGB(1), std::out_of_range);
}

TEST(Render, DamagedRectangleIsClippedToTheCanvas)
{
    auto s = MakeSprite(TSHPGame::TS, TSHPType::Animation, 1, {6, 6, 6, 6});
    TSHPFrame& f = s->Frames[0];
    f.X = 2, f.Y = 1, f.CX = 500, f.CY = 500;
    const uint8_t* alpha = s->GetFrameAlpha(0);
    EXPECT_EQ(alpha[3], 0);
    EXPECT_EQ(alpha[6], 0); // Data of row 1 is 0
    f.X = 900;
    s->InvalidateFrames();
    EXPECT_EQ(s->GetFrameAlpha(0)[0], 0);
}

TEST(Render, PixelQueries)
{
    auto s = MakeSprite(TSHPGame::TS, TSHPType::Animation, 2, {7, 8, 9, 10});
    s->Frames[1].Data[7] = 200;
    EXPECT_EQ(s->GetPixelIndex(0, 1, 0), 8);
    EXPECT_EQ(s->GetPixelIndex(1, 3, 1), 200);
    EXPECT_EQ(s->GetPixelIndex(0, 4, 0), 0);
    EXPECT_EQ(s->GetPixelIndex(0, -1, 0), 0);
    EXPECT_EQ(s->GetPixelIndex(0, 0, 2), 0);
    EXPECT_EQ(s->GetPixelIndex(5, 0, 0), 0);

    std::array<uint8_t, 256> used = s->GetUsedColours(0);
    EXPECT_EQ(used[0], 1); // row 1 is 0, though the sprite fills its rectangle
    EXPECT_EQ(used[7] + used[8] + used[9] + used[10], 4);
    EXPECT_EQ(used[200], 0);
    used = s->GetUsedColours(-1);
    EXPECT_EQ(used[200], 1);
    int count = 0;
    for (uint8_t u : used)
        count += u;
    EXPECT_EQ(count, 6);
    s->Frames[1].Data.reset();
    EXPECT_EQ(s->GetUsedColours(1), (std::array<uint8_t, 256>{}));
}

// Every pixel of a render equals the rules applied one pixel at a time, whatever the caches held
// before: rectangles that move, shrink and grow, settings that change, rows of any length.
TEST(Render, RerendersEqualTheRulesPixelByPixel)
{
    std::mt19937 rng(5);
    auto s = std::make_unique<TSHP>();
    s->Game = TSHPGame::TS;
    s->SHPType = TSHPType::Animation;
    s->AddFrames(2, 13, 7);
    for (TSHPFrame& f : s->Frames)
        for (int p = 0; p < 13 * 7; ++p)
            f.Data[size_t(p)] = rng() % 3 ? uint8_t(rng()) : 0;
    auto expectRules = [&](int i, const char* what) {
        const TSHPFrame& f = s->Frames[size_t(i)];
        const TPalette pal = FramePalette(*s, i);
        const TColour24* rgb = s->GetFrameRGB(i);
        const uint8_t* alpha = s->GetFrameAlpha(i);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) {
                const bool inside = x >= f.X && x < f.X + f.CX && y >= f.Y && y < f.Y + f.CY;
                const uint8_t p = inside ? f.Data[size_t(y * 13 + x)] : 0;
                ASSERT_EQ(rgb[y * 13 + x], inside ? pal[p] : Transparent) << what << " at " << x << "," << y;
                ASSERT_EQ(alpha[y * 13 + x], p ? 255 : 0) << what << " at " << x << "," << y;
            }
    };
    struct TStep {
        uint16_t X, Y, CX, CY;
        int16_t Luminosity;
    };
    for (const TStep& step : {TStep{0, 0, 13, 7, 0}, TStep{2, 1, 9, 5, 0}, TStep{2, 1, 9, 5, 30}, TStep{1, 0, 11, 7, 30},
                              TStep{5, 3, 3, 2, -20}, TStep{0, 0, 0, 0, -20}, TStep{6, 2, 7, 5, 0}})
        for (int i = 0; i < 2; ++i) {
            TSHPFrame& f = s->Frames[size_t(i)];
            std::tie(f.X, f.Y, f.CX, f.CY) = std::tie(step.X, step.Y, step.CX, step.CY);
            f.Dirty = true;
            s->SetLuminosity(step.Luminosity);
            expectRules(i, "after a change");
        }
}

// The pixels drawn straight from the indices are those of the caches, the frame's own where it
// is not transparent and its partner's elsewhere: damaged and empty rectangles, frames without
// pixels, parts of rows that do not start on a multiple of eight, an iso palette whose index 0
// is not the transparent colour.
TEST(Render, DrawnPixelsEqualTheCachesOverTheFrameBelow)
{
    TAppFolder app;
    std::vector<uint8_t> iso = TaggedPaletteFile(11);
    iso[0] = 5, iso[1] = 6, iso[2] = 7;
    app.Write("palette/TS/isotem.pal", iso);
    std::mt19937 rng(9);
    const int width = 37, height = 11;
    auto s = std::make_unique<TSHP>();
    s->Game = TSHPGame::TS;
    s->SHPType = TSHPType::BuildingIsoTemperate;
    s->AddFrames(8, width, height);
    for (TSHPFrame& f : s->Frames)
        for (int p = 0; p < width * height; ++p)
            f.Data[size_t(p)] = rng() % 3 ? uint8_t(rng()) : 0;
    s->Frames[1].X = 30, s->Frames[1].CX = 20; // reaches past the right edge
    s->Frames[2].Y = 4, s->Frames[2].CY = 3;
    s->Frames[5].Data.reset();
    s->Frames[6].CX = 0;
    s->SetUseSideColour(true);
    s->SetLuminosity(12);
    s->SetTransparentShadows(true);
    const auto cachePixel = [&](int i, int at) {
        const TColour24 c = s->GetFrameRGB(i)[at];
        return uint32_t(c.B) | uint32_t(c.G) << 8 | uint32_t(c.R) << 16 | uint32_t(s->GetFrameAlpha(i)[at]) << 24;
    };
    for (int i = 0; i < 4; ++i)
        for (const int under : {-1, i + 4, 6, 1})
            for (const TFrameRect area : {TFrameRect{0, 0, width, height}, TFrameRect{3, 2, 29, 5},
                                          TFrameRect{int(rng() % 30), int(rng() % 9), 1 + int(rng() % 7), 2}}) {
                std::vector<uint32_t> out(size_t(area.CX * area.CY) + 1, 0xDEADBEEFu);
                s->DrawFramePixels(i, under, area, out.data(), size_t(area.CX));
                for (int y = 0; y < area.CY; ++y)
                    for (int x = 0; x < area.CX; ++x) {
                        const int at = (area.Y + y) * width + area.X + x;
                        const uint32_t own = cachePixel(i, at);
                        const uint32_t expected = own >> 24 || under < 0 ? own : cachePixel(under, at);
                        ASSERT_EQ(out[size_t(y * area.CX + x)], expected)
                            << "frame " << i << " over " << under << " at " << area.X + x << "," << area.Y + y;
                    }
                EXPECT_EQ(out.back(), 0xDEADBEEFu) << "nothing written past the part";
            }
    // A part reaching outside the canvas is cut to it.
    std::vector<uint32_t> corner(4, 0xDEADBEEFu);
    s->DrawFramePixels(0, -1, {width - 1, height - 1, 5, 5}, corner.data(), 1);
    EXPECT_EQ(corner[0], cachePixel(0, width * height - 1));
    EXPECT_EQ(corner[1], 0xDEADBEEFu);
}
