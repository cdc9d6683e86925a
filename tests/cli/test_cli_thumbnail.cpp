// thumbnail: the open dialog's picture of a file centred on a transparent square, and nothing
// written for a file that is not an SHP.
#include "cli_harness.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace clitest;

namespace {

uint8_t Red(int i) { return uint8_t(i % 64); }
uint8_t Green(int i) { return uint8_t((i / 4) % 64); }
uint8_t Blue(int i) { return uint8_t(63 - i % 64); }
QRgb Colour(int i) { return qRgb(Red(i) * 4, Green(i) * 4, Blue(i) * 4); }

struct DataDir : TempDir {
    DataDir()
    {
        Write("data/palette/TS/unittem.pal", MakePalFile(Red, Green, Blue));
        Write("data/palette/TD/temperat.pal", MakePalFile(Red, Green, Blue));
    }
    std::string Data() const { return *this / "data"; }
};

QImage Load(const std::string& path) { return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_ARGB32); }

} // namespace

TEST(CliThumbnail, SmallSpriteAtItsOwnSizeWithTranslucentShadowsInTheMiddle)
{
    DataDir dir;
    const std::string shp = dir.Write("td.shp", MakeTDFile(2, 2, {{4, 9, 0, 4}}));
    const std::string png = dir / "t.png";
    const RunResult r = RunCli({"thumbnail", shp, png, "8", "--data-dir", dir.Data()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out + r.Err, "");
    const QImage image = Load(png);
    ASSERT_EQ(image.size(), QSize(8, 8));
    EXPECT_EQ(image.pixel(3, 3), qRgba(0, 0, 0, 127));
    EXPECT_EQ(image.pixel(4, 3), Colour(9));
    EXPECT_EQ(qAlpha(image.pixel(3, 4)), 0);
    EXPECT_EQ(image.pixel(4, 4), qRgba(0, 0, 0, 127));
    for (QPoint corner : {QPoint(0, 0), QPoint(7, 0), QPoint(0, 7), QPoint(7, 7), QPoint(2, 3), QPoint(5, 4)})
        EXPECT_EQ(qAlpha(image.pixel(corner)), 0) << corner.x() << "," << corner.y();
}

TEST(CliThumbnail, LargeSpriteIsShrunkIntoTheSquare)
{
    DataDir dir;
    TSFrameSpec frame;
    frame.CX = 64;
    frame.CY = 32;
    frame.Pixels.assign(64 * 32, 5);
    const std::string shp = dir.Write("wide.shp", MakeTSFile(64, 32, {frame}));
    const std::string png = dir / "wide.png";
    ASSERT_EQ(RunCli({"thumbnail", shp, png, "16", "--data-dir", dir.Data()}).Status, 0);
    const QImage image = Load(png);
    ASSERT_EQ(image.size(), QSize(16, 16));
    EXPECT_EQ(image.pixel(8, 8), Colour(5));
    EXPECT_EQ(image.pixel(0, 4), Colour(5));
    EXPECT_EQ(image.pixel(15, 11), Colour(5));
    EXPECT_EQ(qAlpha(image.pixel(8, 3)), 0);
    EXPECT_EQ(qAlpha(image.pixel(8, 12)), 0);
}

TEST(CliThumbnail, NothingIsWrittenForAFileThatIsNoSHPOrABadSize)
{
    DataDir dir;
    const std::string text = dir.WriteText("notes.shp", "Just some text, no sprite at all.\n");
    const std::string png = dir / "t.png";
    RunResult r = RunCli({"thumbnail", text, png, "64", "--data-dir", dir.Data()});
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("not an SHP file"), std::string::npos) << r.Err;
    EXPECT_FALSE(Exists(png));

    const std::string kept = dir.WriteText("kept.png", "old");
    EXPECT_EQ(RunCli({"thumbnail", text, kept, "64", "--data-dir", dir.Data()}).Status, 2);
    EXPECT_EQ(ReadBytes(kept), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(RunCli({"thumbnail", dir / "missing.shp", png, "64", "--data-dir", dir.Data()}).Status, 2);
    EXPECT_EQ(RunCli({"thumbnail", dir.Path(), png, "64", "--data-dir", dir.Data()}).Status, 2);

    const std::string shp = dir.Write("td.shp", MakeTDFile(2, 2, {{4, 9, 0, 4}}));
    for (const char* size : {"0", "4097", "12px", ""}) {
        r = RunCli({"thumbnail", shp, png, size, "--data-dir", dir.Data()});
        EXPECT_EQ(r.Status, 1) << size;
        EXPECT_NE(r.Err.find("SIZE"), std::string::npos) << r.Err;
    }
    EXPECT_EQ(RunCli({"thumbnail", shp, png}).Status, 1);
    EXPECT_FALSE(Exists(png));
}
