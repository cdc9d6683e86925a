#include "write_support.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vantrel;
using namespace writetest;

namespace {

using Bytes = std::vector<uint8_t>;

// Sets the pixels of frame i from rows of the whole canvas and shrinks its rectangle to them.
void Paint(TSHP& s, int i, const Bytes& pixels)
{
    std::memcpy(s.Frames[size_t(i)].Data.get(), pixels.data(), pixels.size());
    s.UpdateFrameBounds(i);
}

uint16_t FrameFlags(const Bytes& file, int i) { return uint16_t(Get16(&file[8 + 24 * size_t(i) + 8])); }
uint32_t FrameOffset(const Bytes& file, int i) { return Get32(&file[8 + 24 * size_t(i) + 20]); }

// Two frames on a 4 x 2 canvas: (1, 0, 2 x 2) holding 5 5 / 0 9, and an all-transparent one.
void MakeSmallSprite(TSHP& s)
{
    s.AddFrames(2, 4, 2);
    Paint(s, 0, {0, 5, 5, 0, 0, 0, 9, 0});
    s.UpdateFrameBounds(1);
}

} // namespace

TEST(WriteTS, SmallFileExactBytes)
{
    TSHP s;
    MakeSmallSprite(s);
    s.ForcedFlags = 4 | 2;
    const Bytes expected = {
        0, 0, 4, 0, 2, 0, 2, 0,                                                // file header
        1, 0, 0, 0, 2, 0, 2, 0, 5, 0, 0, 0, 5, 5, 5, 0, 0, 0, 0, 0, 56, 0, 0, 0, // frame 0, raw
        0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // frame 1, empty
        5, 5, 0, 9};
    EXPECT_EQ(s.SaveToMemory(), expected);

    s.CompressionMode = 2;
    Bytes encoded = expected;
    encoded[16] = 7; // flags: forced 4, index 0 inside, line-encoded
    encoded.resize(56);
    encoded.insert(encoded.end(), {4, 0, 5, 5, 5, 0, 0, 1, 9});
    EXPECT_EQ(s.SaveToMemory(), encoded);
}

TEST(WriteTS, PaletteTrailerEndsTheFile)
{
    TSHP s;
    MakeSmallSprite(s);
    s.SavePalette = true;
    s.Game = TSHPGame::RA2;
    s.SHPType = TSHPType::Cameo;
    s.Palette[3] = MakeColour(10, 20, 30);
    const Bytes file = s.SaveToMemory();
    ASSERT_EQ(file.size(), 60u + 778u);
    EXPECT_EQ(file[60 + 9], 30);  // entry 3 blue
    EXPECT_EQ(file[60 + 10], 20); // green
    EXPECT_EQ(file[60 + 11], 10); // red
    const Bytes tail(file.end() - 10, file.end());
    EXPECT_EQ(tail, (Bytes{3, 5, 0, 0, 0, 'E', 'X', 'T', 'R', 'A'}));
    EXPECT_FALSE(s.CustomPalette) << "building the bytes changes nothing";

    Bytes out;
    s.WriteTS(out);
    EXPECT_EQ(out, file);
    EXPECT_TRUE(s.CustomPalette);
}

TEST(WriteTS, LineEncodingOfRows)
{
    EXPECT_EQ(TSHP::EncodeTSCompressed(Bytes{0, 0, 5, 0}.data(), 4, 1), (Bytes{7, 0, 0, 2, 5, 0, 1}));
    EXPECT_EQ(TSHP::EncodeTSCompressed(Bytes(300, 0).data(), 300, 1), (Bytes{6, 0, 0, 255, 0, 45}));
    EXPECT_EQ(TSHP::EncodeTSCompressed(Bytes(255, 0).data(), 255, 1), (Bytes{4, 0, 0, 255}));
    EXPECT_EQ(TSHP::EncodeTSCompressed(Bytes{1, 2, 0, 0}.data(), 2, 2), (Bytes{4, 0, 1, 2, 4, 0, 0, 2}));
    Bytes runs(256 + 3, 0);
    runs[256] = 8;
    EXPECT_EQ(TSHP::EncodeTSCompressed(runs.data(), int(runs.size()), 1), (Bytes{9, 0, 0, 255, 0, 1, 8, 0, 2}));
}

TEST(WriteTS, AutoModeKeepsTheSmallerForm)
{
    TSHP s;
    s.AddFrames(2, 4, 1);
    Paint(s, 0, {0, 0, 5, 0});
    s.Frames[0].X = 0;
    s.Frames[0].CX = 4; // the rectangle of the example: 0 0 5 0
    Paint(s, 1, {6, 6, 6, 6});
    const Bytes autoFile = s.SaveToMemory();
    EXPECT_EQ(FrameFlags(autoFile, 0), 1);
    EXPECT_EQ(FrameFlags(autoFile, 1), 0);
    EXPECT_EQ(autoFile.size(), 8u + 48u + 4u + 4u);

    s.CompressionMode = 2;
    const Bytes all = s.SaveToMemory();
    EXPECT_EQ(FrameFlags(all, 0), 3);
    EXPECT_EQ(FrameFlags(all, 1), 2);
    EXPECT_EQ(Bytes(all.begin() + 56, all.begin() + 63), (Bytes{7, 0, 0, 2, 5, 0, 1}));

    s.CompressionMode = 3;
    EXPECT_EQ(FrameFlags(s.SaveToMemory(), 0), 1);
}

TEST(WriteTS, HalfModeEncodesTheFirstHalf)
{
    TSHP s;
    s.AddFrames(10, 6, 1);
    for (int i = 0; i < 10; ++i)
        Paint(s, i, i % 2 ? Bytes{0, 3, 0, 3, 0, 3} : Bytes{0, 0, 0, 0, 0, 3});
    s.CompressionMode = 1;
    const Bytes file = s.SaveToMemory();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ((FrameFlags(file, i) & 2) != 0, i < 5) << "frame " << i;
}

TEST(WriteTS, EmptyFrameHasNoData)
{
    TSHP s;
    s.AddFrames(4, 3, 3);
    for (int i = 0; i < 4; ++i)
        Paint(s, i, i == 2 ? Bytes(9, 0) : Bytes{0, 0, 0, 0, uint8_t(i + 1), 0, 0, 0, 0});
    const Bytes file = s.SaveToMemory();
    EXPECT_EQ(FrameOffset(file, 0), 8u + 96u);
    EXPECT_EQ(FrameOffset(file, 1), 8u + 96u + 1u);
    EXPECT_EQ(FrameOffset(file, 2), 0u);
    EXPECT_EQ(FrameOffset(file, 3), 8u + 96u + 2u);
    EXPECT_EQ(file.size(), 8u + 96u + 3u);
    EXPECT_EQ(file.back(), 4);
}

TEST(WriteTS, TransparentFrameGetsFlagAndBlackRadar)
{
    TSHP s;
    s.AddFrames(1, 3, 2); // rectangle (0, 0, 3, 2), only index 0
    s.SetRadarColour(0, 0xFFFFFF);
    const Bytes file = s.SaveToMemory();
    EXPECT_EQ(FrameFlags(file, 0), 1);
    EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 24), (Bytes{0, 0, 0, 0}));
}

TEST(WriteTS, RadarColourAveragesInBatchesOf2550)
{
    for (const auto& [pixels, expected] : {std::pair{2550, 100}, std::pair{2551, 200}, std::pair{5100, 100}}) {
        TSHP s;
        s.AddFrames(1, pixels, 1);
        std::memset(s.Frames[0].Data.get(), 1, size_t(pixels));
        s.Palette[1] = MakeColour(100, 100, 100);
        EXPECT_EQ(s.AverageColour(0), MakeColour(uint8_t(expected), uint8_t(expected), uint8_t(expected)))
            << pixels << " pixels";
    }
    TSHP s;
    s.AddFrames(1, 3, 1);
    Paint(s, 0, {1, 2, 0});
    s.Palette[1] = MakeColour(10, 0, 255);
    s.Palette[2] = MakeColour(21, 100, 0);
    EXPECT_EQ(s.AverageColour(0), MakeColour(15, 50, 127));
    const Bytes file = s.SaveToMemory();
    EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 24), (Bytes{127, 50, 15, 0}));
}

TEST(WriteTS, ForcedFlagsNeverMarkRawDataEncoded)
{
    TSHP s;
    s.AddFrames(1, 2, 1);
    Paint(s, 0, {4, 4});
    s.ForcedFlags = 0xFFFF;
    s.CompressionMode = 3;
    const Bytes file = s.SaveToMemory();
    EXPECT_EQ(FrameFlags(file, 0), 0xFFFD);
    EXPECT_EQ(Bytes(file.end() - 2, file.end()), (Bytes{4, 4}));
}

TEST(WriteTS, FrameWithoutDataIsWrittenAsIndexZero)
{
    TSHP s;
    s.AddFrames(1, 3, 2);
    s.Frames[0].Data.reset(); // as after a HeadersOnly load
    s.CompressionMode = 3;
    Bytes file = s.SaveToMemory();
    EXPECT_EQ(FrameFlags(file, 0), 1);
    EXPECT_EQ(Bytes(file.begin() + 32, file.end()), Bytes(6, 0));
    s.CompressionMode = 2;
    file = s.SaveToMemory();
    EXPECT_EQ(FrameFlags(file, 0), 3);
    EXPECT_EQ(Bytes(file.begin() + 32, file.end()), (Bytes{4, 0, 0, 3, 4, 0, 0, 3}));
}

TEST(WriteTS, RowTooLongForItsLengthIsStoredRaw)
{
    TSHP s;
    s.AddFrames(1, 65535, 1);
    for (int x = 1; x < 65535; x += 2)
        s.Frames[0].Data[size_t(x)] = 7; // 0 7 0 7 ...: three bytes for every two pixels encoded
    EXPECT_THROW(TSHP::EncodeTSCompressed(s.Frames[0].Data.get(), 65535, 1), SHPError);
    for (uint8_t mode : {0, 1, 2}) {
        s.CompressionMode = mode;
        const Bytes file = s.SaveToMemory();
        EXPECT_EQ(FrameFlags(file, 0), 1) << "mode " << int(mode);
        EXPECT_EQ(file.size(), 32u + 65535u);
        EXPECT_EQ(file[32 + 1], 7);
    }
}

TEST(WriteTS, CanvasWithoutFramesOrSize)
{
    TSHP s;
    s.Format = TSHPFormat::TS;
    EXPECT_THROW(s.SaveToMemory(), SHPError);
    s.Frames.resize(1); // a sprite without canvas, as the reader makes of 00 00 00 00 00 00 01 00
    EXPECT_EQ(s.SaveToMemory(), (Bytes{0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                       0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    s.Frames.resize(2);
    EXPECT_THROW(s.SaveToMemory(), SHPError);
}

TEST(WriteTS, RefusesWhatTheFieldsCannotHold)
{
    TSHP wide;
    wide.AddFrames(1, 65536, 1);
    EXPECT_THROW(wide.SaveToMemory(), SHPError);
    EXPECT_THROW(wide.SaveToMemory(TSHPFormat::TD), SHPError);

    TSHP outside;
    outside.AddFrames(1, 4, 4);
    outside.Frames[0].X = 3;
    outside.Frames[0].CX = 2;
    try {
        outside.SaveToMemory();
        FAIL();
    } catch (const SHPError& e) {
        EXPECT_NE(std::string(e.what()).find("does not lie inside the 4 x 4 canvas"), std::string::npos) << e.what();
    }

    TSHP huge; // 2 x 65535 x 65535 raw bytes pass 4 GiB; refused before anything is allocated
    huge.Format = TSHPFormat::TS;
    huge.Width = huge.Height = 65535;
    huge.Frames.resize(2);
    for (TSHPFrame& f : huge.Frames)
        f.CX = f.CY = 65535;
    huge.CompressionMode = 3;
    EXPECT_THROW(huge.SaveToMemory(), SHPError);
}

TEST(WriteTS, SpriteOfTheOtherLayoutIsSavedAsTS)
{
    TSHP s;
    MakeSmallSprite(s);
    const Bytes ts = s.SaveToMemory();
    s.Format = TSHPFormat::TD;
    EXPECT_EQ(s.SaveToMemory(), ts);
    EXPECT_THROW(s.SaveToMemory(TSHPFormat::None), SHPError);
}

TEST(WriteTS, StreamOffsetsCountFromTheSpriteStart)
{
    TSHP s;
    MakeSmallSprite(s);
    std::ostringstream out;
    out << "prefix";
    s.SaveToStream(out);
    const std::string text = out.str();
    const Bytes file = s.SaveToMemory();
    EXPECT_EQ(Bytes(text.begin() + 6, text.end()), file);
    EXPECT_TRUE(s.IsSaved);
    EXPECT_TRUE(s.HasFile);
    EXPECT_EQ(s.FileName, "unknown.shp");

    TSHP t;
    MakeSmallSprite(t);
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_THROW(t.SaveToStream(broken), FileError);
    EXPECT_FALSE(t.IsSaved);
    EXPECT_FALSE(t.HasFile);
}

TEST(SaveToFile, SuccessMarksTheSprite)
{
    TTempDir dir;
    TSHP s;
    MakeSmallSprite(s);
    s.SavePalette = true;
    const std::string name = dir.File("out.shp");
    WriteBytes(name, Bytes(5000, 0xAB));
    s.SaveToFile(name);
    EXPECT_EQ(ReadBytes(name), s.SaveToMemory());
    EXPECT_EQ(s.FileName, name);
    EXPECT_TRUE(s.IsSaved);
    EXPECT_TRUE(s.HasFile);
    EXPECT_TRUE(s.CustomPalette);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path), {}), 1) << "no temporary file is left";
}

TEST(SaveToFile, RefusalsLeaveTheTargetIntact)
{
    TTempDir dir;
    const std::string name = dir.File("keep.shp");
    const Bytes original = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    auto expectRefused = [&](TSHP& s, TSHPFormat layout, const char* what) {
        WriteBytes(name, original);
        s.FileName = "before.shp";
        s.IsSaved = s.HasFile = false;
        EXPECT_ANY_THROW(s.SaveToFile(name, layout)) << what;
        EXPECT_EQ(ReadBytes(name), original) << what;
        EXPECT_EQ(s.FileName, "before.shp") << what;
        EXPECT_FALSE(s.IsSaved || s.HasFile) << what;
    };

    TSHP oneFrame;
    MakeSmallSprite(oneFrame);
    oneFrame.OneFrameLoad = true;
    try {
        oneFrame.SaveToFile(name);
        FAIL();
    } catch (const AssertionError& e) {
        EXPECT_STREQ(e.what(), "Can not save a SHP with OneFrameLoad enabled....");
    }
    expectRefused(oneFrame, TSHPFormat::TS, "OneFrameLoad");

    TSHP none;
    none.Width = none.Height = 2;
    none.Frames.resize(1);
    EXPECT_THROW(none.SaveToMemory(), SHPError);
    expectRefused(none, TSHPFormat::TS, "Format None");

    TSHP many;
    many.AddFrames(65536, 1, 1);
    for (TSHPFormat layout : {TSHPFormat::TS, TSHPFormat::TD})
        expectRefused(many, layout, "65536 frames");

    TSHP fine;
    MakeSmallSprite(fine);
    const std::string missing = dir.File("no-such-folder") + "/x.shp";
    try {
        fine.SaveToFile(missing);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("x.shp"), std::string::npos) << e.what();
    }
    EXPECT_EQ(fine.FileName, "unknown.shp");
    EXPECT_FALSE(fine.IsSaved || fine.HasFile);
}

#ifndef _WIN32
#include <unistd.h>

TEST(SaveToFile, UnwritableFolderKeepsTheOldFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TTempDir dir;
    const std::string name = dir.File("old.shp");
    WriteBytes(name, {9, 9, 9});
    std::filesystem::permissions(dir.Path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    TSHP s;
    MakeSmallSprite(s);
    EXPECT_THROW(s.SaveToFile(name), FileError);
    std::filesystem::permissions(dir.Path, std::filesystem::perms::owner_all);
    EXPECT_EQ(ReadBytes(name), (Bytes{9, 9, 9}));
    EXPECT_FALSE(s.IsSaved);
}
#endif
