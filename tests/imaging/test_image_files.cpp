#include "imaging/Imaging.h"
#include "sprite/FileUtil.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>

#include <filesystem>

using namespace vantrel;

namespace {

std::string TempPath(const std::string& name) { return (std::filesystem::temp_directory_path() / name).string(); }

TBitmap8 Numbered(int width, int height)
{
    TBitmap8 b = MakeBitmap8(width, height);
    for (size_t p = 0; p < b.Pixels.size(); ++p)
        b.Pixels[p] = uint8_t(p * 37);
    for (uint32_t e = 0; e < 256; ++e)
        b.ColourTable[e] = 0xFF000000u | (e * 0x010203u & 0xFFFFFFu);
    return b;
}

} // namespace

TEST(ImageFiles, PngRoundTripKeepsColoursAndAlpha)
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(1, 2, 255, 0));
    image.setPixel(1, 0, qRgba(0, 0, 0, 127));
    image.setPixel(2, 0, qRgba(200, 100, 50, 255));
    image.setPixel(0, 1, qRgba(9, 8, 7, 255));
    image.setPixel(1, 1, qRgba(255, 255, 255, 127));
    image.setPixel(2, 1, qRgba(0, 0, 0, 0));
    const std::string path = TempPath("vantrel_roundtrip.png");
    SavePNG(image, path);
    const QImage back = LoadPicture(path).convertToFormat(QImage::Format_ARGB32);
    std::filesystem::remove(path);
    ASSERT_EQ(back.size(), image.size());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(back.pixel(x, y), image.pixel(x, y)) << x << "," << y;
}

TEST(ImageFiles, UnreadablePicturesNameTheFile)
{
    const std::string missing = TempPath("vantrel_missing_picture.png");
    try {
        LoadPicture(missing);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos);
    }
    const std::string junk = TempPath("vantrel_junk_picture.png");
    const std::vector<uint8_t> text(100, 'x');
    WriteFileAtomic(junk, text);
    try {
        LoadPicture(junk);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot read picture \"" + junk + "\": "), std::string::npos);
    }
    WriteFileAtomic(junk, {});
    EXPECT_THROW(LoadPicture(junk), FileError);
    std::filesystem::remove(junk);
}

TEST(ImageFiles, SavePngRefusesWhatItCannotWrite)
{
    EXPECT_THROW(SavePNG(QImage(), TempPath("vantrel_empty.png")), FileError);
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(0);
    const std::string nowhere = TempPath("vantrel_no_such_folder") + PathSeparator + "x.png";
    EXPECT_THROW(SavePNG(image, nowhere), FileError);
    EXPECT_FALSE(FileExists(nowhere));
}

TEST(ImageFiles, Indexed8ConversionKeepsIndicesAndColours)
{
    const TBitmap8 b = Numbered(5, 3);
    const QImage image = Bitmap8ToImage(b);
    ASSERT_EQ(image.format(), QImage::Format_Indexed8);
    ASSERT_EQ(image.size(), QSize(5, 3));
    EXPECT_EQ(image.pixelIndex(4, 2), uint8_t(14 * 37));
    EXPECT_EQ(image.color(3), 0xFF030609u);
    const TBitmap8 back = ImageToBitmap8(image);
    EXPECT_EQ(back.BitsPerPixel, 8);
    EXPECT_EQ(back.Pixels, b.Pixels);
    EXPECT_EQ(back.ColourTable, b.ColourTable);

    // Entries whose fourth byte is 0 (as most BMP files store them) are shown opaque.
    TBitmap8 zeroX = b;
    zeroX.ColourTable[3] = 0x00030609u;
    EXPECT_EQ(Bitmap8ToImage(zeroX).color(3), 0xFF030609u);

    TBitmap8 deep;
    deep.BitsPerPixel = 24;
    EXPECT_TRUE(Bitmap8ToImage(deep).isNull());
    QImage rgb(4, 2, QImage::Format_RGB888);
    const TBitmap8 rgbInfo = ImageToBitmap8(rgb);
    EXPECT_EQ(rgbInfo.BitsPerPixel, 24);
    EXPECT_EQ(rgbInfo.Width, 4);
    EXPECT_TRUE(rgbInfo.Pixels.empty());
}

TEST(ImageFiles, OurBitmapsAndQtsAgree)
{
    // A file we write reads back in Qt as the same indexed picture...
    const TBitmap8 b = Numbered(7, 4);
    const std::string path = TempPath("vantrel_cross.bmp");
    SaveBmp8(b, path);
    const QImage loaded = LoadPicture(path);
    std::filesystem::remove(path);
    ASSERT_EQ(loaded.format(), QImage::Format_Indexed8);
    EXPECT_EQ(ImageToBitmap8(loaded).Pixels, b.Pixels);
    EXPECT_EQ(loaded.color(200), 0xFF000000u | b.ColourTable[200]);
    // ...and an 8-bit BMP that Qt writes reads back with our reader.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "bmp").write(Bitmap8ToImage(b)));
    const TBitmap8 read = ReadBmp8(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
    EXPECT_EQ(read.BitsPerPixel, 8);
    EXPECT_EQ(read.Pixels, b.Pixels);
    EXPECT_EQ(read.ColourTable[200] & 0xFFFFFFu, b.ColourTable[200] & 0xFFFFFFu);
}

TEST(ImageFiles, SpriteMapsAreRead8BitBmpFirstThenAsAnyPicture)
{
    const TBitmap8 b = Numbered(6, 3);
    const std::string bmp = TempPath("vantrel_map.bmp");
    SaveBmp8(b, bmp);
    const TBitmap8 fromBmp = LoadSpriteMap(bmp);
    EXPECT_EQ(fromBmp.Pixels, b.Pixels);
    EXPECT_EQ(fromBmp.ColourTable, b.ColourTable);

    // An indexed PNG serves as well; a true-colour picture comes back with its depth only.
    const std::string png = TempPath("vantrel_map.png");
    ASSERT_TRUE(Bitmap8ToImage(b).save(QString::fromStdString(png), "PNG"));
    EXPECT_EQ(LoadSpriteMap(png).Pixels, b.Pixels);
    QImage rgb(4, 2, QImage::Format_RGB32);
    rgb.fill(0);
    ASSERT_TRUE(rgb.save(QString::fromStdString(bmp), "BMP"));
    const TBitmap8 deep = LoadSpriteMap(bmp);
    EXPECT_FALSE(deep.IsIndexed());
    EXPECT_EQ(deep.Width, 4);

    // No picture at all: both readers' reasons; a missing file: the file error.
    WriteFileAtomic(png, std::vector<uint8_t>(50, 'x'));
    EXPECT_THROW(LoadSpriteMap(png), BmpError);
    std::filesystem::remove(png);
    std::filesystem::remove(bmp);
    EXPECT_THROW(LoadSpriteMap(bmp), FileError);
}

// A BMP file is read by the strict reader alone: a damaged one is refused with its reason rather
// than half read by Qt; a damaged picture of another kind says why without Qt's warnings.
TEST(ImageFiles, DamagedSpriteMapsAreRefusedWithTheirReason)
{
    const std::vector<uint8_t> bmp = EncodeBmp8(Numbered(48, 48));
    const std::vector<uint8_t> cut(bmp.begin(), bmp.begin() + std::ptrdiff_t(bmp.size() / 2));
    try {
        DecodeSpriteMap(cut, "cut.bmp");
        FAIL() << "a map cut short was read";
    } catch (const BmpError& e) {
        EXPECT_NE(std::string(e.what()).find("\"cut.bmp\": the file is truncated"), std::string::npos) << e.what();
    }

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "png").write(Bitmap8ToImage(Numbered(48, 48))));
    const std::vector<uint8_t> png(bytes.begin(), bytes.begin() + bytes.size() / 2);
    testing::internal::CaptureStderr();
    try {
        DecodeSpriteMap(png, "cut.png");
        ADD_FAILURE() << "a picture cut short was read";
    } catch (const BmpError& e) {
        EXPECT_NE(std::string(e.what()).find("\"cut.png\": it is neither a BMP file nor"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
