// Matching true colours to a palette: exact colours, the nearest allowed entry, transparency and
// the statistics of inexact matches.
#include "sprite/ColourMatch.h"
#include "sprite/SHP.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vantrel;

namespace {

// Entry i is (i, 255 - i, i / 2); the remap entries of TS are pure reds.
TPalette TestPalette()
{
    TPalette p{};
    for (int i = 0; i < 256; ++i)
        p[size_t(i)] = MakeColour(uint8_t(i), uint8_t(255 - i), uint8_t(i / 2));
    for (int i = 16; i <= 31; ++i)
        p[size_t(i)] = MakeColour(uint8_t(100 + i * 4), 0, 0);
    return p;
}

} // namespace

TEST(ColourMatch, ExactColoursKeepTheirIndexEvenInTheRemapRange)
{
    const TPalette pal = TestPalette();
    TColourMatcher m(pal, TSHPGame::TS);
    for (int i = 1; i < 256; ++i)
        EXPECT_EQ(m.Match(pal[size_t(i)], 255), i) << i;
    EXPECT_EQ(m.Stats.InexactPixels, 0u);
    EXPECT_EQ(m.Stats.MaxDistance, 0.0);

    TPalette twice = pal;
    twice[200] = twice[100];
    TColourMatcher first(twice, TSHPGame::TS);
    EXPECT_EQ(first.Match(pal[100], 200), 100); // the lowest of repeated entries
}

TEST(ColourMatch, TransparencyAndInexactColours)
{
    const TPalette pal = TestPalette();
    TColourMatcher m(pal, TSHPGame::TS);
    EXPECT_EQ(m.Match(pal[50], 127), 0);
    EXPECT_EQ(m.Match(pal[50], 128), 50);
    // Entry 0's own colour is never index 0 while opaque.
    EXPECT_NE(m.Match(pal[0], 255), 0);

    // A red close to the remap entries goes elsewhere and is counted.
    const TColour24 red = MakeColour(170, 1, 0);
    double d = 0;
    const uint8_t index = m.Nearest(red, d);
    EXPECT_FALSE(index >= 16 && index <= 31);
    EXPECT_GT(d, 0);
    EXPECT_EQ(m.Match(red, 255, 10), index);
    EXPECT_EQ(m.Stats.InexactPixels, 11u); // entry 0's colour was inexact too
    EXPECT_GE(m.Stats.MaxDistance, d);

    // TD's shadow index 4 and remap entries 176-191 are avoided; a near colour takes a neighbour.
    TColourMatcher td(pal, TSHPGame::TD);
    TColour24 near4 = pal[4];
    near4.G -= 1;
    EXPECT_NE(td.Match(near4, 255), 4);
    TColour24 near180 = pal[180];
    near180.B += 1;
    const uint8_t got = td.Match(near180, 255);
    EXPECT_TRUE(got < 176 || got > 191) << int(got);
}

TEST(ColourMatch, DistanceIsTheCie1976Difference)
{
    EXPECT_NEAR(ColourDistance(MakeColour(0, 0, 0), MakeColour(255, 255, 255)), 100.0, 1e-3);
    EXPECT_EQ(ColourDistance(MakeColour(12, 34, 56), MakeColour(12, 34, 56)), 0.0);
    // sRGB red is L 53.24, a 80.09, b 67.20.
    EXPECT_NEAR(ColourDistance(MakeColour(255, 0, 0), MakeColour(0, 0, 0)),
                std::sqrt(53.24 * 53.24 + 80.09 * 80.09 + 67.20 * 67.20), 0.05);
}
