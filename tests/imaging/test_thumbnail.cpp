// Thumbnail and preview pictures: fitting, scaling and blending over the checkerboard.
#include "imaging/Imaging.h"
#include "imaging/Thumbnail.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QImage Solid(int w, int h, QColor c)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(c);
    return image;
}

QColor Checker(int x, int y)
{
    const int g = ((x % 16) / 8 + (y % 16) / 8) % 2 == 0 ? 200 : 250;
    return QColor(g, g, g);
}

TEST(Thumbnail, ScaleToFitEnlargesAndShrinksKeepingProportions)
{
    const QRect box(0, 0, 158, 158);
    EXPECT_EQ(ScaleToFit(box, QSize(20, 10)), QRect(0, 39, 158, 79));
    EXPECT_EQ(ScaleToFit(box, QSize(10, 20)), QRect(39, 0, 79, 158));
    EXPECT_EQ(ScaleToFit(box, QSize(316, 316)), QRect(0, 0, 158, 158));
    EXPECT_EQ(ScaleToFit(QRect(10, 20, 100, 50), QSize(1000, 1)), QRect(10, 44, 100, 1));
    EXPECT_TRUE(ScaleToFit(box, QSize(0, 5)).isEmpty());
}

TEST(Thumbnail, PreviewIsScaledWithNearestPixelsOverTheCheckerboard)
{
    QImage picture = Solid(2, 1, QColor(10, 20, 30));
    picture.setPixelColor(1, 0, QColor(0, 0, 0, 0));
    const QImage preview = ComposePreview(picture, QSize(158, 158));
    ASSERT_EQ(preview.size(), QSize(158, 158));
    // 2 x 1 fills 158 x 79 from row 39: the left half is the colour, the right half transparent.
    EXPECT_EQ(preview.pixelColor(0, 39), QColor(10, 20, 30));
    EXPECT_EQ(preview.pixelColor(78, 117), QColor(10, 20, 30));
    EXPECT_EQ(preview.pixelColor(79, 39), Checker(79, 39));
    EXPECT_EQ(preview.pixelColor(0, 38), Checker(0, 38));
    EXPECT_EQ(preview.pixelColor(0, 118), Checker(0, 118));
    EXPECT_EQ(ComposePreview(QImage(), QSize(16, 16)).pixelColor(8, 0), QColor(250, 250, 250));
}

} // namespace
