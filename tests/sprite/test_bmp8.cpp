#include "sprite/Bmp8.h"
#include "sprite/FileUtil.h"
#include "sprite/Types.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

using namespace vantrel;

namespace {

TBitmap8 Pattern(int width, int height, unsigned seed = 1)
{
    TBitmap8 b = MakeBitmap8(width, height);
    std::mt19937 rng(seed);
    for (uint8_t& p : b.Pixels)
        p = uint8_t(rng());
    for (uint32_t& e : b.ColourTable)
        e = uint32_t(rng());
    return b;
}

void Put32(std::vector<uint8_t>& f, size_t at, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        f[at + size_t(k)] = uint8_t(v >> (8 * k));
}

// A BMP file of the given header size, depth and compression with the given colour table and
// pixel data, assembled by hand.
std::vector<uint8_t> Assemble(int width, int height, int depth, uint32_t compression, uint32_t headerSize,
                              const std::vector<uint32_t>& table, const std::vector<uint8_t>& data,
                              uint32_t coloursUsed = 0, uint32_t imageSize = 0)
{
    std::vector<uint8_t> f(14 + headerSize);
    f[0] = 'B';
    f[1] = 'M';
    Put32(f, 14, headerSize);
    Put32(f, 18, uint32_t(width));
    Put32(f, 22, uint32_t(height));
    f[26] = 1;
    f[28] = uint8_t(depth);
    Put32(f, 30, compression);
    Put32(f, 34, imageSize);
    Put32(f, 46, coloursUsed);
    for (uint32_t e : table)
        for (int k = 0; k < 4; ++k)
            f.push_back(uint8_t(e >> (8 * k)));
    Put32(f, 10, uint32_t(f.size()));
    f.insert(f.end(), data.begin(), data.end());
    Put32(f, 2, uint32_t(f.size()));
    return f;
}

std::vector<uint32_t> GreyTable(int n)
{
    std::vector<uint32_t> t;
    for (int i = 0; i < n; ++i)
        t.push_back(uint32_t(i) * 0x010101u);
    return t;
}

std::vector<uint8_t> Rows(std::initializer_list<std::vector<uint8_t>> rows)
{
    std::vector<uint8_t> out;
    for (const auto& r : rows)
        out.insert(out.end(), r.begin(), r.end());
    return out;
}

void ExpectRefused(const std::vector<uint8_t>& file, const char* what)
{
    EXPECT_THROW(ReadBmp8(file), BmpError) << what;
}

} // namespace

TEST(Bmp8, RoundTripOfOddWidthsPadsRows)
{
    for (int width : {1, 2, 3, 4, 5, 7, 13}) {
        const TBitmap8 b = Pattern(width, 3, unsigned(width));
        const std::vector<uint8_t> file = EncodeBmp8(b);
        const size_t stride = size_t((width + 3) / 4 * 4);
        ASSERT_EQ(file.size(), 14 + 40 + 1024 + stride * 3);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[28], 8);
        for (size_t pad = size_t(width); pad < stride; ++pad)
            EXPECT_EQ(file[14 + 40 + 1024 + pad], 0) << "padding byte of the bottom row";
        // Bottom-up: the first stored row is the picture's last.
        EXPECT_EQ(0, std::memcmp(file.data() + 14 + 40 + 1024, b.Row(2), size_t(width)));
        const TBitmap8 back = ReadBmp8(file);
        EXPECT_EQ(back.Width, width);
        EXPECT_EQ(back.Height, 3);
        EXPECT_EQ(back.BitsPerPixel, 8);
        EXPECT_EQ(back.Pixels, b.Pixels);
        EXPECT_EQ(back.ColourTable, b.ColourTable);
    }
}

TEST(Bmp8, TopDownRowsAreReadInOrder)
{
    const std::vector<uint8_t> data = Rows({{1, 2, 3, 0}, {4, 5, 6, 0}});
    const TBitmap8 down = ReadBmp8(Assemble(3, -2, 8, 0, 40, GreyTable(256), data));
    EXPECT_EQ(down.Pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    const TBitmap8 up = ReadBmp8(Assemble(3, 2, 8, 0, 40, GreyTable(256), data));
    EXPECT_EQ(up.Pixels, (std::vector<uint8_t>{4, 5, 6, 1, 2, 3}));
}

TEST(Bmp8, V4V5AndCoreHeadersAreRead)
{
    const std::vector<uint8_t> data = Rows({{7, 8, 0, 0}});
    for (uint32_t size : {52u, 56u, 108u, 124u}) {
        const TBitmap8 b = ReadBmp8(Assemble(2, 1, 8, 0, size, GreyTable(256), data));
        EXPECT_EQ(b.Pixels, (std::vector<uint8_t>{7, 8})) << size;
        EXPECT_EQ(b.ColourTable[255], 0xFFFFFFu);
    }
    // 12-byte header: 16-bit sizes and three-byte colour entries.
    std::vector<uint8_t> core = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 8, 0};
    for (int e = 0; e < 256; ++e)
        core.insert(core.end(), {uint8_t(e), 0x40, 0x80}); // blue e, green 0x40, red 0x80
    Put32(core, 10, uint32_t(core.size()));
    core.insert(core.end(), {9, 10, 0, 0});
    const TBitmap8 b = ReadBmp8(core);
    EXPECT_EQ(b.Pixels, (std::vector<uint8_t>{9, 10}));
    EXPECT_EQ(b.ColourTable[3], 0x00804003u);
}

TEST(Bmp8, ShortColourTablesLeaveTheRestBlack)
{
    const std::vector<uint8_t> data = Rows({{1, 0, 0, 0}});
    const TBitmap8 two = ReadBmp8(Assemble(1, 1, 8, 0, 40, {0x00FF0000u, 0x0000FF00u}, data, 2));
    EXPECT_EQ(two.ColourTable[0], 0x00FF0000u);
    EXPECT_EQ(two.ColourTable[1], 0x0000FF00u);
    for (size_t e = 2; e < 256; ++e)
        ASSERT_EQ(two.ColourTable[e], 0u);
    // No count given, but the pixel data starts after 16 entries.
    const TBitmap8 sixteen = ReadBmp8(Assemble(1, 1, 8, 0, 40, GreyTable(16), data));
    EXPECT_EQ(sixteen.ColourTable[15], 0x0F0F0Fu);
    EXPECT_EQ(sixteen.ColourTable[16], 0u);
}

TEST(Bmp8, Rle8RunsLiteralsLineEndsAndDeltas)
{
    // 5 x 3, bottom-up. Bottom row: runs; middle row: an odd literal with its padding byte, then
    // end of line; top row: a move right by 2, then a run.
    const std::vector<uint8_t> rle = {
        3, 9, 1, 1, 1, 2,       // row 0 (bottom): 9 9 9 1 2
        0, 0,                   // end of line
        0, 3, 4, 5, 6, 0,       // row 1: literal 4 5 6, padded
        0, 0,                   // end of line (pixels 3, 4 stay 0)
        0, 2, 2, 0,             // move right by 2 on row 2
        3, 7,                   // 7 7 7
        0, 1,                   // end of picture
    };
    const TBitmap8 b = ReadBmp8(Assemble(5, 3, 8, 1, 40, GreyTable(256), rle, 0, uint32_t(rle.size())));
    EXPECT_EQ(b.Pixels, (std::vector<uint8_t>{0, 0, 7, 7, 7, //
                                              4, 5, 6, 0, 0, //
                                              9, 9, 9, 1, 2}));
    // The same data read as a top-down picture fills the rows from the top.
    const TBitmap8 t = ReadBmp8(Assemble(5, -3, 8, 1, 40, GreyTable(256), rle, 0, uint32_t(rle.size())));
    EXPECT_EQ(t.Pixels, (std::vector<uint8_t>{9, 9, 9, 1, 2, 4, 5, 6, 0, 0, 0, 0, 7, 7, 7}));
    // A delta that moves up several rows, and an end of picture that leaves the rest 0.
    const std::vector<uint8_t> jump = {1, 3, 0, 2, 1, 2, 1, 4, 0, 1};
    const TBitmap8 j = ReadBmp8(Assemble(3, 3, 8, 1, 40, GreyTable(256), jump));
    EXPECT_EQ(j.Pixels, (std::vector<uint8_t>{0, 0, 4, 0, 0, 0, 3, 0, 0}));
}

TEST(Bmp8, Rle8DataThatBreaksThePictureIsRefused)
{
    auto rle = [](std::vector<uint8_t> data) { return Assemble(4, 2, 8, 1, 40, GreyTable(256), data); };
    ExpectRefused(rle({5, 1, 0, 1}), "run past the end of a row");
    ExpectRefused(rle({0, 5, 1, 2, 3, 4, 5, 0, 0, 1}), "literal past the end of a row");
    ExpectRefused(rle({0, 2, 5, 0, 0, 1}), "delta past the right edge");
    ExpectRefused(rle({0, 2, 0, 3, 0, 1}), "delta past the top");
    ExpectRefused(rle({0, 0, 0, 0, 1, 1}), "run after the last row");
    ExpectRefused(rle({4, 1, 0, 0, 2}), "data ends before the picture");
    ExpectRefused(rle({0, 4, 1, 2}), "literal cut short");
    ExpectRefused(rle({0, 2, 1}), "delta cut short");
    // All rows ended without an explicit end of picture is a complete picture.
    EXPECT_NO_THROW(ReadBmp8(rle({4, 1, 0, 0, 4, 2, 0, 0})));
}

TEST(Bmp8, OtherDepthsReportTheirDepth)
{
    const TBitmap8 four = ReadBmp8(Assemble(3, 2, 4, 0, 40, GreyTable(16), Rows({{0x12, 0x30, 0, 0}, {0, 0, 0, 0}})));
    EXPECT_EQ(four.BitsPerPixel, 4);
    EXPECT_EQ(four.Width, 3);
    EXPECT_EQ(four.Height, 2);
    EXPECT_TRUE(four.Pixels.empty());
    const TBitmap8 rgb = ReadBmp8(Assemble(2, 2, 24, 0, 40, {}, std::vector<uint8_t>(16, 0x80)));
    EXPECT_EQ(rgb.BitsPerPixel, 24);
    EXPECT_TRUE(rgb.Pixels.empty());
    EXPECT_EQ(ReadBmp8(Assemble(1, 1, 32, 3, 40, {0xF800, 0x07E0, 0x001F}, std::vector<uint8_t>(4, 0))).BitsPerPixel,
              32);
    // A truncated picture of another depth is still refused as malformed.
    ExpectRefused(Assemble(2, 2, 24, 0, 40, {}, std::vector<uint8_t>(9, 0)), "truncated 24-bit");
}

TEST(Bmp8, MalformedHeadersAreRefused)
{
    const std::vector<uint8_t> good = Assemble(2, 2, 8, 0, 40, GreyTable(256), std::vector<uint8_t>(8, 1));
    ASSERT_NO_THROW(ReadBmp8(good));
    auto with = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> f = good;
        Put32(f, at, value);
        return f;
    };
    ExpectRefused({}, "empty file");
    ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 10), "shorter than a file header");
    std::vector<uint8_t> png = good;
    png[0] = 0x89;
    ExpectRefused(png, "no BM signature");
    ExpectRefused(with(14, 20), "unknown header size");
    ExpectRefused(with(14, 0xFFFFFFF0u), "header larger than the file");
    ExpectRefused(with(18, 0), "width 0");
    ExpectRefused(with(18, 0x80000000u), "negative width");
    ExpectRefused(with(22, 0), "height 0");
    ExpectRefused(with(22, 0x80000000u), "height that cannot be negated");
    ExpectRefused(with(26, 2), "two planes");
    ExpectRefused(with(28, 7), "seven bits per pixel");
    ExpectRefused(with(30, 2), "RLE4 on an 8-bit picture");
    ExpectRefused(with(30, 4), "embedded JPEG");
    ExpectRefused(with(30, 99), "unknown compression");
    ExpectRefused(with(46, 257), "colour table too large");
    ExpectRefused(with(10, 20), "pixel data inside the header");
    ExpectRefused(with(10, uint32_t(good.size() + 1)), "pixel data past the end");
    std::vector<uint8_t> overlap = with(46, 200);
    Put32(overlap, 10, 14 + 40 + 100);
    ExpectRefused(overlap, "table running into the pixels");
    ExpectRefused(with(18, 0x7FFFFFFF), "a width the pixel data cannot hold");
}

TEST(Bmp8, HugeRle8PicturesInTinyFilesAreRefused)
{
    const std::vector<uint8_t> data = {0, 1};
    ExpectRefused(Assemble(30000, 30000, 8, 1, 40, GreyTable(256), data), "900 M pixels in 1 KB");
    ExpectRefused(Assemble(0x7FFFFFFF, 2, 8, 1, 40, GreyTable(256), data), "more than 2^31 pixels");
    // A sparse picture within the budget is fine: every pixel 0.
    const TBitmap8 b = ReadBmp8(Assemble(1000, 1000, 8, 1, 40, GreyTable(256), data));
    EXPECT_EQ(b.Pixels.size(), 1000000u);
    EXPECT_EQ(b.Pixels[123456], 0);
}

TEST(Bmp8, EveryTruncationIsRefused)
{
    const std::vector<uint8_t> plain = EncodeBmp8(Pattern(5, 3));
    for (size_t n = 0; n < plain.size(); ++n)
        ASSERT_THROW(ReadBmp8(std::span(plain).first(n)), BmpError) << n << " bytes";
    const std::vector<uint8_t> rleData = {3, 9, 0, 0, 0, 3, 4, 5, 6, 0, 0, 0, 0, 2, 2, 0, 1, 7, 0, 1};
    const std::vector<uint8_t> rle = Assemble(5, 3, 8, 1, 40, GreyTable(256), rleData, 0, uint32_t(rleData.size()));
    ASSERT_NO_THROW(ReadBmp8(rle));
    for (size_t n = 0; n < rle.size(); ++n)
        ASSERT_THROW(ReadBmp8(std::span(rle).first(n)), BmpError) << n << " bytes";
}

TEST(Bmp8, CorruptedFilesNeverReadOutOfBounds)
{
    const std::vector<uint8_t> rleData = {3, 9, 0, 0, 0, 3, 4, 5, 6, 0, 0, 0, 0, 2, 2, 0, 1, 7, 0, 1};
    const std::vector<std::vector<uint8_t>> seeds = {
        EncodeBmp8(Pattern(6, 4)),
        Assemble(5, 3, 8, 1, 40, GreyTable(256), rleData, 0, uint32_t(rleData.size())),
        Assemble(5, -3, 8, 1, 124, GreyTable(20), rleData, 20),
    };
    std::mt19937 rng(42);
    int read = 0, refused = 0;
    for (const auto& seed : seeds) {
        for (int round = 0; round < 600; ++round) {
            std::vector<uint8_t> f = seed;
            const int flips = 1 + int(rng() % 4);
            for (int k = 0; k < flips; ++k)
                f[rng() % f.size()] = uint8_t(rng());
            try {
                const TBitmap8 b = ReadBmp8(f);
                if (b.IsIndexed()) {
                    ASSERT_EQ(b.Pixels.size(), size_t(b.Width) * size_t(b.Height));
                }
                ++read;
            } catch (const BmpError&) {
                ++refused;
            }
        }
    }
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

TEST(Bmp8, PicturesThatCannotBeWrittenAreRefused)
{
    TBitmap8 b = MakeBitmap8(3, 3);
    b.Pixels.pop_back();
    EXPECT_THROW(EncodeBmp8(b), BmpError);
    EXPECT_THROW(EncodeBmp8(TBitmap8{}), BmpError);
    EXPECT_THROW(MakeBitmap8(70000, 70000), BmpError);
}

TEST(Bmp8, LoadErrorsNameTheFile)
{
    const std::string missing = (std::filesystem::temp_directory_path() / "vantrel_no_such_map.bmp").string();
    try {
        LoadBmp8(missing);
        FAIL() << "a missing file was read";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos);
    }
    const std::string junk = (std::filesystem::temp_directory_path() / "vantrel_junk_map.bmp").string();
    WriteFileAtomic(junk, std::vector<uint8_t>(30, 'x'));
    try {
        LoadBmp8(junk);
        FAIL() << "text was read as a picture";
    } catch (const BmpError& e) {
        EXPECT_NE(std::string(e.what()).find(junk), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("not a BMP"), std::string::npos);
    }
    std::filesystem::remove(junk);
}
