#include "read_helpers.h"

using namespace vantrel;
using namespace readtest;

namespace {

Bytes Lcw(const Bytes& input, size_t capacity, size_t expectWritten)
{
    Bytes out(capacity, 0xEE);
    EXPECT_EQ(TSHP::DecodeFormat80(input, out), expectWritten);
    out.resize(expectWritten);
    return out;
}

const Bytes Key1234 = {0x84, 1, 2, 3, 4, 0x80}; // longer than the 2 x 2 frame it decodes to

} // namespace

TEST(ReadTD, DeltasAgainstThePreviousFrameChain)
{
    TSHP s;
    s.KeepHeaders = true;
    Load(s, MakeTD(2, 2, {{0x80, 0, Key1234}, {0x20, 0, {4, 1, 1, 1, 1, 0x80, 0, 0}}, {0x20, 0, {4, 16, 16, 16, 16}}}));
    ASSERT_EQ(s.Format, TSHPFormat::TD);
    EXPECT_EQ(s.Game, TSHPGame::TD);
    EXPECT_EQ(Canvas(s, 0), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(Canvas(s, 1), (Bytes{0, 3, 2, 5}));
    EXPECT_EQ(Canvas(s, 2), (Bytes{16, 19, 18, 21}));
    EXPECT_EQ(s.Frames[2].CX, 2);
    EXPECT_EQ(s.Frames[2].CY, 2);
    EXPECT_EQ(s.RawFileHeader.size(), 14u);
    EXPECT_EQ(s.RawFrameHeaders.size(), 3u * 8);
    EXPECT_TRUE(s.IsSaved && s.HasFile);
}

TEST(ReadTD, KeyDeltaTakesTheLatestFrameWithThatOffset)
{
    // Frames 0 and 1 share one data offset (frame 0 has no bytes of its own): as LCW the bytes
    // end at once (a copy from before the start), as XOR over frame 0 they give 5, 6.
    const Bytes shared = {0x02, 5, 6, 0x80, 0, 0};
    const unsigned offset0 = 14 + 8 * 6;
    TSHP s;
    Load(s, MakeTD(2, 2, {{0x80, 0, {}}, {0x20, 0, shared}, {0x80, 0, {0x84, 9, 9, 9, 9}}, {0x40, offset0, {4, 1, 1, 1, 1}}}));
    EXPECT_EQ(Canvas(s, 0), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Canvas(s, 1), (Bytes{5, 6, 0, 0}));
    EXPECT_EQ(Canvas(s, 3), (Bytes{4, 7, 1, 1}));
}

TEST(ReadTD, DeltasWithoutReferenceDecodeAsLCW)
{
    TSHP s;
    Load(s, MakeTD(2, 2, {{0x20, 0, Key1234}, {0x40, 999, {0x82, 5, 6, 0x80}}, {0x33, 0, Key1234}, {0x80, 0, Key1234}}));
    EXPECT_EQ(Canvas(s, 0), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(Canvas(s, 1), (Bytes{5, 6, 0, 0}));
    EXPECT_EQ(Canvas(s, 2), (Bytes{0, 0, 0, 0})) << "an unknown format code";
    EXPECT_EQ(s.Frames[2].CX + s.Frames[2].CY, 0);
    EXPECT_EQ(Canvas(s, 3), (Bytes{1, 2, 3, 4}));
}

TEST(ReadTD, LCWCommands)
{
    EXPECT_EQ(Lcw({0x82, 5, 6, 0x80}, 8, 2), (Bytes{5, 6}));
    EXPECT_EQ(Lcw({0x81, 7, 0x00, 0x01, 0x80}, 8, 4), (Bytes{7, 7, 7, 7}));
    EXPECT_EQ(Lcw({0xFE, 0x10, 0x00, 9}, 8, 8), Bytes(8, 9));
    EXPECT_EQ(Lcw({0x83, 1, 2, 3, 0xC1, 0, 0}, 16, 7), (Bytes{1, 2, 3, 1, 2, 3, 1}));
    EXPECT_EQ(Lcw({0x82, 1, 2, 0xFF, 5, 0, 0, 0}, 16, 7), (Bytes{1, 2, 1, 2, 1, 2, 1}));
    EXPECT_EQ(Lcw({0x81, 1, 0xFF, 0xFF, 0xFF, 0, 0}, 8, 8), Bytes(8, 1)) << "stops at the capacity";
    EXPECT_EQ(Lcw({0x83, 1, 2, 3, 0x10, 0x02}, 8, 7), (Bytes{1, 2, 3, 2, 3, 2, 3}));
    // Sources outside what was written, and commands cut off by the end of the input.
    EXPECT_EQ(Lcw({0x81, 1, 0x00, 0x05, 0x81, 2}, 8, 1), (Bytes{1}));
    EXPECT_EQ(Lcw({0x81, 1, 0xC0, 0x01, 0x00}, 8, 1), (Bytes{1}));
    EXPECT_EQ(Lcw({0xFF, 0xFF, 0xFF, 0, 0}, 8, 0), Bytes{});
    EXPECT_EQ(Lcw({0x85, 1, 2}, 8, 2), (Bytes{1, 2}));
    EXPECT_EQ(Lcw({0xFE, 3}, 8, 0), Bytes{});
}

TEST(ReadTD, XORCommands)
{
    TSHP s;
    Load(s, MakeTD(2, 2, {{0x80, 0, Key1234}, {0x20, 0, {0x81, 0x00, 0x02, 0x05, 0x80, 0x00, 0x00}}}));
    EXPECT_EQ(Canvas(s, 1), (Bytes{1, 7, 6, 0}));

    const Bytes ref = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    Bytes out(9, 0xEE);
    const Bytes input = {0x80, 2, 0, 0x80, 2, 0x80, 0xA0, 0xB0, 0x80, 2, 0xC0, 0x0F, 0x82, 0x7F, 1};
    EXPECT_EQ(TSHP::DecodeFormat40(input, ref.data(), out), 9u);
    EXPECT_EQ(out, (Bytes{1, 2, 3 ^ 0xA0, 4 ^ 0xB0, 5 ^ 15, 6 ^ 15, 7, 8, 9 ^ 1}));
    EXPECT_EQ(TSHP::DecodeFormat40(Bytes{0x7F, 1, 1}, ref.data(), out), 2u) << "input ends inside a command";
}

TEST(ReadTD, OneFrameLoadDetectsTypeAndLoadsFrameZero)
{
    TSHP s;
    s.OneFrameLoad = true;
    Load(s, MakeTD(48, 48, {{0x80, 0, {0xFE, 0, 9, 5}}, {0x20, 0, {0x80, 0, 0}}, {0x20, 0, {0x80, 0, 0}}}));
    ASSERT_EQ(s.FrameCount(), 1);
    EXPECT_EQ(s.SHPType, TSHPType::Building);
    EXPECT_EQ(Canvas(s, 0), Bytes(48 * 48, 5));
}

TEST(ReadTD, DeclinesHeadersAndTablesThatCannotBe)
{
    TSHP s;
    Load(s, MakeTD(0, 2, {{0x80, 0, Key1234}}));
    EXPECT_EQ(s.Format, TSHPFormat::None);
    // A table shorter than count + 2 entries; then a short text file named like a sprite.
    Bytes cut = MakeTD(2, 2, {{0x80, 0, {}}});
    cut.resize(14 + 8 * 2 + 7);
    Load(s, cut);
    EXPECT_EQ(s.Format, TSHPFormat::None);
    const std::string text = "Hello, sprites!\r\n";
    const std::string path = WriteTemp("x.shp", Bytes(text.begin(), text.end()));
    s.LoadFromFile(path);
    EXPECT_EQ(s.Format, TSHPFormat::None);
    EXPECT_EQ(s.FrameCount(), 0);
    EXPECT_FALSE(IsSHPFile(path));
}

TEST(ReadTD, OffsetsOutsideTheFileAndTrailer)
{
    Bytes file = MakeTD(2, 2, {{0x80, 0, Key1234}, {0x80, 0, Key1234}});
    file[14 + 8 + 2] = 0x40; // frame 1's data offset beyond the end
    const Bytes trailer = Trailer(uint8_t(TSHPGame::RA1), uint8_t(TSHPType::Cameo));
    file.insert(file.end(), trailer.begin(), trailer.end());
    TSHP s;
    Load(s, file);
    EXPECT_EQ(Canvas(s, 0), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(Canvas(s, 1), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(s.Frames[1].CX, 2);
    EXPECT_TRUE(s.CustomPalette);
    EXPECT_EQ(s.Game, TSHPGame::RA1);
    EXPECT_EQ(s.SHPType, TSHPType::Cameo);
}
