#include "sprite/ColourSpace.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(ColourSpace, PrimaryAndGreyToHSL)
{
    const THSL red = RGBToHSL(MakeColour(255, 0, 0));
    EXPECT_EQ(red.Hue, 0.0f);
    EXPECT_EQ(red.Saturation, 1.0f);
    EXPECT_EQ(red.Lightness, 0.5f);
    const THSL blue = RGBToHSL(MakeColour(0, 0, 255));
    EXPECT_FLOAT_EQ(blue.Hue, 2.0f / 3.0f);
    const THSL grey = RGBToHSL(MakeColour(128, 128, 128));
    EXPECT_EQ(grey.Hue, 0.0f);
    EXPECT_EQ(grey.Saturation, 0.0f);
    EXPECT_EQ(grey.Lightness, float(128.0L / 255));
}

TEST(ColourSpace, RoundTripCanLoseOneInAChannel)
{
    EXPECT_EQ(HSLToRGB(RGBToHSL(MakeColour(12, 56, 233))), MakeColour(11, 55, 233));
    EXPECT_EQ(HSLToRGB(RGBToHSL(MakeColour(255, 0, 0))), MakeColour(255, 0, 0));
}

TEST(ColourSpace, HueToRGBSegments)
{
    EXPECT_FLOAT_EQ(HueToRGB(0.2f, 0.8f, 0.1f), 0.56f); // rising
    EXPECT_EQ(HueToRGB(0.2f, 0.8f, 0.3f), 0.8f);       // top
    EXPECT_FLOAT_EQ(HueToRGB(0.2f, 0.8f, 0.6f), 0.44f); // falling
    EXPECT_EQ(HueToRGB(0.2f, 0.8f, 0.9f), 0.2f);       // bottom
    EXPECT_EQ(HueToRGB(0.2f, 0.8f, -0.25f), 0.2f);     // wraps to 0.75
    EXPECT_EQ(HueToRGB(0.2f, 0.8f, 1.25f), 0.8f);      // wraps to 0.25
}
