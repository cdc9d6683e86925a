// Thumbnail and preview pictures: fitting, scaling and blending over the checkerboard.
#include "imaging/Imaging.h"
#include "imaging/Thumbnail.h"

#include "sprite/FileUtil.h"

#include <gtest/gtest.h>

#include <filesystem>

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

// A small file may ask for a huge canvas: its thumbnail is drawn from every n-th pixel.
TEST(Thumbnail, HugeCanvasesAreSampledDown)
{
    std::vector<uint8_t> file = {0, 0, 0x88, 0x13, 0x88, 0x13, 1, 0}; // one frame of 5000 x 5000
    file.resize(8 + 24);
    const uint8_t header[] = {0xA0, 0x0F, 0xA0, 0x0F, 3, 0, 3, 0}; // at (4000, 4000), 3 x 3, raw
    std::copy(std::begin(header), std::end(header), file.begin() + 8);
    file[8 + 20] = uint8_t(file.size());
    file.insert(file.end(), {9, 0, 0, 0, 0, 0, 0, 0, 9});
    const std::string path = (std::filesystem::temp_directory_path() / "vantrel_huge_thumbnail.shp").string();
    WriteFileAtomic(path, file);
    TSHP sprite;
    const QImage image = RenderThumbnail(sprite, path);
    std::filesystem::remove(path);
    ASSERT_EQ(image.size(), QSize(2500, 2500));
    EXPECT_EQ(qAlpha(image.pixel(2000, 2000)), 255);
    EXPECT_EQ(qAlpha(image.pixel(2001, 2001)), 255);
    EXPECT_EQ(image.pixel(2000, 2000), image.pixel(2001, 2001));
    EXPECT_EQ(qAlpha(image.pixel(2000, 2001)), 0);
    EXPECT_EQ(qAlpha(image.pixel(2001, 2000)), 0);
    EXPECT_EQ(qAlpha(image.pixel(1999, 1999)), 0);
}

} // namespace
