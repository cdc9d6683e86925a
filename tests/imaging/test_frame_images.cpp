#include "imaging/Imaging.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace vantrel;

namespace {

constexpr QRgb Transparent = 0x000102FFu; // the transparent colour (red 1, green 2, blue 255), alpha 0
constexpr QRgb Shadow = 0x7F000000u;      // translucent black

QRgb Grey(int g, int alpha = 255) { return qRgba(g, g, g, alpha); }

// A TS unit of 8 frames of 4 x 2 with the grey palette (index k is grey k - 1). Frame 1 has
// index 10 at (0, 0) and 200 at (1, 1); its shadow frame 5 has index 50 at (0..2, 0).
std::unique_ptr<TSHP> TsUnit(TSHPType type = TSHPType::Unit)
{
    auto s = std::make_unique<TSHP>();
    s->AddFrames(8, 4, 2);
    s->Game = TSHPGame::TS;
    s->SHPType = type;
    s->TransparentShadows = true;
    uint8_t* f1 = s->GetFrame(1).Data.get();
    f1[0] = 10;
    f1[5] = 200;
    uint8_t* f5 = s->GetFrame(5).Data.get();
    f5[0] = f5[1] = f5[2] = 50;
    return s;
}

std::vector<QRgb> Pixels(const QImage& image)
{
    std::vector<QRgb> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.push_back(image.pixel(x, y));
    return out;
}

// Fills frame i's caches by hand: colour (x * 40, y * 60, 7) and the given alphas, valid.
void FillCaches(TSHP& s, int i, const std::vector<uint8_t>& alpha)
{
    TSHPFrame& f = s.GetFrame(i);
    const size_t n = size_t(s.Width) * size_t(s.Height);
    f.RGBCache = std::make_unique<TColour24[]>(n);
    f.AlphaCache = std::make_unique<uint8_t[]>(n);
    for (int y = 0; y < s.Height; ++y)
        for (int x = 0; x < s.Width; ++x)
            f.RGBCache[size_t(y * s.Width + x)] = MakeColour(uint8_t(x * 40), uint8_t(y * 60), 7);
    std::memcpy(f.AlphaCache.get(), alpha.data(), n);
    f.Dirty = false;
}

} // namespace

TEST(FrameImages, FrameOverItsShadowFrame)
{
    auto s = TsUnit();
    const QImage image = FrameToPNG(*s, 1, true);
    ASSERT_EQ(image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(Pixels(image), (std::vector<QRgb>{Grey(9), Shadow, Shadow, Transparent, //
                                                Transparent, Grey(199), Transparent, Transparent}));
    EXPECT_FALSE(s->GetFrame(1).RGBCache || s->GetFrame(5).RGBCache) << "made without render caches";
    // Without merging, and for the shadow frame itself, each frame comes alone.
    EXPECT_EQ(Pixels(FrameToPNG(*s, 1, false)), (std::vector<QRgb>{Grey(9), Transparent, Transparent, Transparent,
                                                                   Transparent, Grey(199), Transparent, Transparent}));
    EXPECT_EQ(Pixels(FrameToPNG(*s, 5, true)), (std::vector<QRgb>{Shadow, Shadow, Shadow, Transparent, //
                                                                  Transparent, Transparent, Transparent, Transparent}));
}

TEST(FrameImages, OpaqueShadowsShowTheirPaletteColour)
{
    auto s = TsUnit();
    s->TransparentShadows = false;
    EXPECT_EQ(Pixels(FrameToPNG(*s, 1, true)), (std::vector<QRgb>{Grey(9), Grey(49), Grey(49), Transparent, //
                                                                  Transparent, Grey(199), Transparent, Transparent}));
}

TEST(FrameImages, AnimationsHaveNoShadowFrames)
{
    auto s = TsUnit(TSHPType::Animation);
    EXPECT_EQ(Pixels(FrameToPNG(*s, 1, true)), (std::vector<QRgb>{Grey(9), Transparent, Transparent, Transparent,
                                                                  Transparent, Grey(199), Transparent, Transparent}));
    EXPECT_EQ(Pixels(FrameToPNG(*s, 5, true)), (std::vector<QRgb>{Grey(49), Grey(49), Grey(49), Transparent, //
                                                                  Transparent, Transparent, Transparent, Transparent}));
}

TEST(FrameImages, ImagesCarryTheCachesExactly)
{
    TSHP s;
    s.AddFrames(2, 3, 2);
    FillCaches(s, 0, {0, 127, 255, 255, 0, 127});
    const QImage bitmap = FrameToBitmap(s, 0);
    ASSERT_EQ(bitmap.size(), QSize(3, 2));
    ASSERT_EQ(bitmap.format(), QImage::Format_BGR888);
    EXPECT_EQ(0, std::memcmp(bitmap.constScanLine(1), s.GetFrame(0).RGBCache.get() + 3, 9));
    EXPECT_EQ(bitmap.pixel(2, 1), qRgb(80, 60, 7));

    QImage png;
    RenderFramePNG(s, 0, png);
    ASSERT_EQ(png.format(), QImage::Format_ARGB32);
    EXPECT_EQ(Pixels(png), (std::vector<QRgb>{qRgba(0, 0, 7, 0), qRgba(40, 0, 7, 127), qRgba(80, 0, 7, 255),
                                              qRgba(0, 60, 7, 255), qRgba(40, 60, 7, 0), qRgba(80, 60, 7, 127)}));

    QImage opaque(3, 2, QImage::Format_RGB32);
    opaque.fill(qRgb(9, 9, 9));
    CopyAlphaToPNG(opaque, s, 0);
    EXPECT_EQ(opaque.format(), QImage::Format_ARGB32);
    EXPECT_EQ(opaque.pixel(1, 0), qRgba(9, 9, 9, 127));
    EXPECT_EQ(opaque.pixel(0, 1), qRgba(9, 9, 9, 255));
    EXPECT_EQ(opaque.pixel(1, 1), qRgba(9, 9, 9, 0));
}

TEST(FrameImages, EmptyCanvasesAndSpritesWithoutFramesGiveNoImage)
{
    TSHP none;
    EXPECT_TRUE(FrameToPNG(none, 0, true).isNull());
    TSHP noFrames;
    noFrames.Width = 5;
    noFrames.Height = 5;
    EXPECT_TRUE(FrameToPNG(noFrames, 0, true).isNull());
    QImage kept(2, 2, QImage::Format_ARGB32);
    kept.fill(0xFF123456u);
    RenderFramePNG(noFrames, 0, kept);
    EXPECT_EQ(kept.size(), QSize(2, 2));
    EXPECT_EQ(kept.pixel(1, 1), 0xFF123456u);
}

TEST(FrameImages, CopyFrameIndicesPlacesFramesInTheirCells)
{
    TSHP s;
    s.AddFrames(6, 30, 20);
    for (int p = 0; p < 600; ++p)
        s.GetFrame(5).Data[size_t(p)] = uint8_t(1 + p % 250);
    QImage map(120, 60, QImage::Format_Indexed8);
    map.setColorCount(256);
    map.fill(0);
    CopyFrameIndices(s, 5, map, (5 % 4) * 30, (5 / 4) * 20);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool inside = y >= 20 && y <= 39 && x >= 30 && x <= 59;
            const int expected = inside ? 1 + ((y - 20) * 30 + x - 30) % 250 : 0;
            ASSERT_EQ(map.pixelIndex(x, y), expected) << x << "," << y;
        }
    // Clipped at the picture's edge, and nothing for a frame without pixels.
    CopyFrameIndices(s, 5, map, 100, 50);
    EXPECT_EQ(map.pixelIndex(119, 59), 1 + (9 * 30 + 19) % 250);
    s.GetFrame(5).Data.reset();
    map.fill(0);
    CopyFrameIndices(s, 5, map, 0, 0);
    EXPECT_EQ(map.pixelIndex(0, 0), 0);
}

// Rows whose length is not a multiple of four, shadows and frame pixels mixed at random: each
// pixel of the image is the frame's where it is not transparent, else its shadow frame's.
TEST(FrameImages, EveryPixelOverItsShadowMatchesTheCaches)
{
    std::mt19937 rng(3);
    for (int width : {1, 4, 7, 13}) {
        auto s = TsUnit();
        s->Frames.clear();
        s->AddFrames(4, width, 3);
        for (TSHPFrame& f : s->Frames)
            for (int p = 0; p < width * 3; ++p)
                f.Data[size_t(p)] = rng() % 2 ? uint8_t(rng()) : 0;
        const QImage image = FrameToPNG(*s, 1, true);
        const TColour24 *rgb = s->GetFrameRGB(1), *shadowRGB = s->GetFrameRGB(3);
        const uint8_t *alpha = s->GetFrameAlpha(1), *shadowAlpha = s->GetFrameAlpha(3);
        for (int p = 0; p < width * 3; ++p) {
            const bool own = alpha[p] != 0;
            const TColour24 c = own ? rgb[p] : shadowRGB[p];
            const QRgb expected = qRgba(c.R, c.G, c.B, own ? alpha[p] : shadowAlpha[p]);
            ASSERT_EQ(image.pixel(p % width, p / width), expected) << "width " << width << ", pixel " << p;
        }
    }
}

// A part of the display image is that part of the whole one, clipped to the canvas.
TEST(FrameImages, PartsOfTheImageMatchTheWholeImage)
{
    std::mt19937 rng(5);
    auto s = TsUnit();
    s->Frames.clear();
    s->AddFrames(4, 9, 6);
    for (TSHPFrame& f : s->Frames)
        for (int p = 0; p < 9 * 6; ++p)
            f.Data[size_t(p)] = rng() % 2 ? uint8_t(rng()) : 0;
    const QImage whole = FrameToPNG(*s, 1, true);
    for (QRect area : {QRect(0, 0, 9, 6), QRect(3, 2, 5, 3), QRect(8, 5, 1, 1), QRect(-2, 4, 6, 9)}) {
        const QRect part = area & whole.rect();
        EXPECT_EQ(Pixels(FrameToPNG(*s, 1, true, area)), Pixels(whole.copy(part))) << area.x() << "," << area.y();
    }
    EXPECT_TRUE(FrameToPNG(*s, 1, true, QRect(9, 0, 3, 3)).isNull());
    EXPECT_EQ(Pixels(FrameToPNG(*s, 3, false, QRect(1, 1, 2, 2))), Pixels(FrameToPNG(*s, 3, false).copy(1, 1, 2, 2)));
}
