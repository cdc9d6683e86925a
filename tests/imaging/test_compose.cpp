#include "imaging/Imaging.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QRgb Grey(int g) { return qRgb(g, g, g); }

// (left, top, right, bottom) of a fitted rectangle, right and bottom exclusive.
std::array<int, 4> Edges(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

} // namespace

TEST(Compose, FitRectKeepsSmallImagesAndScalesLargeOnes)
{
    const QRect cell(0, 0, 100, 100);
    EXPECT_EQ(Edges(FitRect(cell, {50, 30})), (std::array<int, 4>{25, 35, 75, 65}));
    EXPECT_EQ(Edges(FitRect(cell, {200, 100})), (std::array<int, 4>{0, 25, 100, 75}));
    EXPECT_EQ(Edges(FitRect(cell, {100, 200})), (std::array<int, 4>{25, 0, 75, 100}));
    EXPECT_EQ(Edges(FitRect(cell, {100, 100})), (std::array<int, 4>{0, 0, 100, 100}));
    // The ratio is applied to the bounds' other side.
    EXPECT_EQ(Edges(FitRect(QRect(0, 0, 200, 100), {200, 100})), (std::array<int, 4>{0, 25, 200, 75}));
    // Offset bounds, truncation, and odd leftovers rounded toward zero.
    EXPECT_EQ(Edges(FitRect(QRect(10, 20, 98, 98), {300, 200})), (std::array<int, 4>{10, 36, 108, 101}));
    EXPECT_EQ(Edges(FitRect(QRect(0, 0, 98, 98), {7, 3})), (std::array<int, 4>{45, 47, 52, 50}));
    // Degenerate sizes do not divide by zero.
    EXPECT_EQ(Edges(FitRect(QRect(0, 0, 0, 0), {0, 0})), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(Edges(FitRect(cell, {300, 0})), (std::array<int, 4>{0, 50, 100, 50}));
}

TEST(Compose, CheckerCellAndTile)
{
    const QImage& cell = GetCheckerCell();
    ASSERT_EQ(cell.size(), QSize(12, 12));
    EXPECT_EQ(cell.pixel(0, 0), Grey(25));
    EXPECT_EQ(cell.pixel(5, 5), Grey(25));
    EXPECT_EQ(cell.pixel(6, 0), Grey(62));
    EXPECT_EQ(cell.pixel(0, 6), Grey(62));
    EXPECT_EQ(cell.pixel(11, 11), Grey(25));

    const QImage tile = MakeCheckerTile();
    ASSERT_EQ(tile.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(tile.pixel(x, y), Grey((x < 8) == (y < 8) ? 200 : 250)) << x << "," << y;

    const QImage background = MakeCheckerBackground(40, 20);
    ASSERT_EQ(background.size(), QSize(40, 20));
    EXPECT_EQ(background.pixel(16, 0), Grey(200));
    EXPECT_EQ(background.pixel(24, 0), Grey(250));
    EXPECT_EQ(background.pixel(39, 19), Grey(200));
    EXPECT_EQ(background.pixel(33, 17), Grey(200));
    EXPECT_TRUE(MakeCheckerBackground(0, 5).isNull());
}

TEST(Compose, BlendOverUsesTheIntegerRule)
{
    QImage background(5, 1, QImage::Format_RGB32);
    background.fill(Grey(200));
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 127));    // translucent shadow
    image.setPixel(1, 0, qRgba(9, 99, 250, 255)); // opaque
    image.setPixel(2, 0, qRgba(9, 99, 250, 0));   // transparent
    image.setPixel(3, 0, qRgba(250, 0, 10, 100));
    BlendOver(background, image);
    EXPECT_EQ(background.pixel(0, 0), Grey(100));
    EXPECT_EQ(background.pixel(1, 0), qRgb(9, 99, 250));
    EXPECT_EQ(background.pixel(2, 0), Grey(200));
    // (100 * 250 + 155 * 200 + 255) div 256 = 219; (155 * 200 + 255) div 256 = 122;
    // (100 * 10 + 155 * 200 + 255) div 256 = 125.
    EXPECT_EQ(background.pixel(3, 0), qRgb(219, 122, 125));
    EXPECT_EQ(background.pixel(4, 0), Grey(200)) << "outside the image";
}

TEST(Compose, BlendOverIsClippedAtEveryEdge)
{
    QImage image(3, 3, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 255));
    image.setPixel(2, 2, qRgba(255, 255, 255, 255));
    QImage background(4, 4, QImage::Format_RGB32);
    background.fill(Grey(50));
    BlendOver(background, image, QPoint(2, 2));
    EXPECT_EQ(background.pixel(1, 1), Grey(50));
    EXPECT_EQ(background.pixel(2, 2), Grey(0));
    EXPECT_EQ(background.pixel(3, 3), Grey(0));
    BlendOver(background, image, QPoint(-2, -2));
    EXPECT_EQ(background.pixel(0, 0), Grey(255));
    EXPECT_EQ(background.pixel(1, 0), Grey(50));
    QImage indexed(2, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30)});
    indexed.fill(0);
    BlendOver(indexed, image);
    EXPECT_EQ(indexed.format(), QImage::Format_RGB32);
    EXPECT_EQ(indexed.pixel(1, 1), Grey(0));
}

TEST(Compose, TileBackgroundRepeatsThePictureFromTheCorner)
{
    QImage picture(3, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            picture.setPixel(x, y, qRgba(x * 50, y * 100, 7, 255));
    picture.setPixel(2, 1, qRgba(0, 0, 0, 0)); // shows what was there
    QImage bitmap(7, 5, QImage::Format_RGB32);
    bitmap.fill(Grey(33));
    TileBackground(bitmap, picture);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const bool hole = x % 3 == 2 && y % 2 == 1;
            ASSERT_EQ(bitmap.pixel(x, y), hole ? Grey(33) : qRgb(x % 3 * 50, y % 2 * 100, 7)) << x << "," << y;
        }
}

TEST(Compose, TileBackgroundOfAPartMatchesThatPartOfTheWhole)
{
    QImage picture(3, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            picture.setPixel(x, y, qRgba(x * 50, y * 100, 7, x == 1 ? 128 : 255));
    QImage whole(11, 9, QImage::Format_RGB32);
    whole.fill(Grey(33));
    TileBackground(whole, picture);
    QImage part(5, 4, QImage::Format_RGB32);
    part.fill(Grey(33));
    TileBackground(part, picture, QPoint(4, 3));
    EXPECT_EQ(part, whole.copy(4, 3, 5, 4));
}

TEST(Compose, TileBackgroundSkipsAnEmptyPicture)
{
    QImage bitmap(4, 4, QImage::Format_RGB32);
    bitmap.fill(Grey(77));
    TileBackground(bitmap, QImage());
    TileBackground(bitmap, QImage(0, 5, QImage::Format_RGB32));
    EXPECT_EQ(bitmap.pixel(3, 3), Grey(77));
    QImage none;
    TileBackground(none, MakeCheckerTile());
    EXPECT_TRUE(none.isNull());
}
