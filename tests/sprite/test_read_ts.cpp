#include "read_helpers.h"

#include <random>

using namespace vantrel;
using namespace readtest;

TEST(ReadTS, SpriteWithoutCanvasHasOneEmptyFrame)
{
    TSHP s;
    Load(s, {0, 0, 0, 0, 0, 0, 1, 0});
    EXPECT_EQ(s.Format, TSHPFormat::TS);
    EXPECT_EQ(s.Width, 0);
    EXPECT_EQ(s.Height, 0);
    ASSERT_EQ(s.FrameCount(), 1);
    EXPECT_FALSE(s.Frames[0].Data);
    EXPECT_TRUE(s.IsSaved && s.HasFile);
}

TEST(ReadTS, ForeignHeaderLoadsNothing)
{
    TSHP s;
    for (const Bytes& file : {Bytes{0, 0, 0, 0, 5, 0, 2, 0}, Bytes{0, 0, 1}, Bytes{}}) {
        Load(s, file);
        EXPECT_EQ(s.Format, TSHPFormat::None);
        EXPECT_EQ(s.FrameCount(), 0);
        EXPECT_FALSE(s.IsSaved || s.HasFile);
    }
}

TEST(ReadTS, DecodesLineEncodedAndRawFramesIntoWholeCanvas)
{
    // Frame 0 at (1, 1) in a 7 x 4 canvas: rows "5, run 3, 7" and an all-transparent row.
    // Frame 1 raw 2 x 2 at (5, 2); frame 2 has no data.
    const Bytes file = MakeTS(7, 4, {{1, 1, 5, 2, 3, {6, 0, 5, 0, 3, 7, 2, 0}, 0x04030201},
                                     {5, 2, 2, 2, 1, {1, 2, 3, 4}},
                                     {0, 0, 7, 4, 0, {}}});
    TSHP s;
    Load(s, file);
    ASSERT_EQ(s.Format, TSHPFormat::TS);
    ASSERT_EQ(s.FrameCount(), 3);
    EXPECT_EQ(s.Game, TSHPGame::TS);
    EXPECT_EQ(Canvas(s, 0), (Bytes{0, 0, 0, 0, 0, 0, 0, /**/ 0, 5, 0, 0, 0, 7, 0, /**/ 0, 0, 0, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s.Frames[0].RadarColour, (TColour24{1, 2, 3}));
    EXPECT_EQ(s.Frames[0].RadarColourExtra, 4);
    EXPECT_EQ(Canvas(s, 1), (Bytes{0, 0, 0, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, 1, 2, /**/ 0, 0, 0, 0, 0, 3, 4}));
    EXPECT_FALSE(s.Frames[2].Data);
    EXPECT_EQ(s.Frames[2].CX + s.Frames[2].CY + s.Frames[2].X + s.Frames[2].Y, 0);
}

TEST(ReadTS, RowsRunningPastTheRectangleAreCutAtItsEnd)
{
    // 3-pixel rows: a run of 4, then pixels 1 2 3 4, then a normal row, then a length of 1.
    const Bytes file = MakeTS(4, 4, {{0, 0, 3, 4, 2, {4, 0, 0, 4, 6, 0, 1, 2, 3, 4, 6, 0, 9, 0, 1, 9, 1, 0, 8}}});
    TSHP s;
    Load(s, file);
    EXPECT_EQ(Canvas(s, 0), (Bytes{0, 0, 0, 0, /**/ 1, 2, 3, 0, /**/ 9, 0, 9, 0, /**/ 0, 0, 0, 0}));
}

TEST(ReadTS, RectanglesAreCutToTheCanvas)
{
    // Raw 3 x 2 at (2, 1) on a 4 x 2 canvas keeps its source stride; one at (9, 9) is outside.
    const Bytes file = MakeTS(4, 2, {{2, 1, 3, 2, 0, {1, 2, 3, 4, 5, 6}}, {9, 9, 2, 2, 0, {1, 1, 1, 1}}});
    TSHP s;
    Load(s, file);
    EXPECT_EQ(Canvas(s, 0), (Bytes{0, 0, 0, 0, 0, 0, 1, 2}));
    const TSHPFrame& f = s.Frames[0];
    EXPECT_EQ(std::vector<int>({f.X, f.Y, f.CX, f.CY}), std::vector<int>({2, 1, 2, 1}));
    const TSHPFrame& g = s.Frames[1];
    EXPECT_EQ(std::vector<int>({g.X, g.Y, g.CX, g.CY}), std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(Canvas(s, 1), Bytes(8, 0));
}

TEST(ReadTS, DataCutShortKeepWhatWasDecoded)
{
    Bytes file = MakeTS(2, 3, {{0, 0, 2, 3, 0, {1, 2, 3, 4, 5, 6}}});
    file.resize(file.size() - 3);
    TSHP s;
    Load(s, file);
    EXPECT_EQ(Canvas(s, 0), (Bytes{1, 2, 3, 0, 0, 0}));
}

TEST(ReadTS, MissingHeadersAndOffsetsOutsideTheFileGiveEmptyFrames)
{
    Bytes file = MakeTS(2, 1, {{0, 0, 2, 1, 0, {7, 8}}, {0, 0, 2, 1, 0, {7, 8}}});
    file[8 + 24 + 20] = 0xF0; // frame 1's offset far outside
    file.resize(file.size() + 1);
    file[6] = 4; // two headers that are not there at all
    TSHP s;
    Load(s, file);
    ASSERT_EQ(s.FrameCount(), 4);
    EXPECT_EQ(Canvas(s, 0), (Bytes{7, 8}));
    for (int i = 1; i < 4; ++i)
        EXPECT_FALSE(s.Frames[size_t(i)].Data);
}

TEST(ReadTS, OneFrameLoadTakesFrameZeroAndItsShadow)
{
    std::vector<TSFrame> frames;
    for (unsigned i = 0; i < 16; ++i)
        frames.push_back({0, 0, 1, 1, 0, {uint8_t(i + 1)}});
    TSHP s;
    s.OneFrameLoad = true;
    s.KeepHeaders = true;
    Load(s, MakeTS(50, 40, frames));
    EXPECT_EQ(s.SHPType, TSHPType::Animation);
    ASSERT_EQ(s.FrameCount(), 2);
    EXPECT_EQ(s.Frames[0].Data[0], 1);
    EXPECT_EQ(s.Frames[1].Data[0], 9);
    EXPECT_EQ(s.RawFrameHeaders.size(), 16u * 24);

    Load(s, MakeTS(64, 48, {{0, 0, 1, 1, 0, {5}}}));
    EXPECT_EQ(s.SHPType, TSHPType::Cameo);
    EXPECT_EQ(s.FrameCount(), 1);
    EXPECT_EQ(s.RawFrameHeaders.size(), 24u);
    EXPECT_EQ(s.RawFileHeader, (Bytes{0, 0, 64, 0, 48, 0, 1, 0}));
}

TEST(ReadTS, HeadersOnlyAllocatesZeroCanvases)
{
    TSHP s;
    s.HeadersOnly = true;
    Load(s, MakeTS(3, 1, {{1, 0, 2, 1, 0, {7, 8}}}));
    EXPECT_EQ(Canvas(s, 0), Bytes(3, 0));
    EXPECT_EQ(s.Frames[0].X, 1);
    EXPECT_EQ(s.Frames[0].CX, 2);
}

TEST(ReadTS, TrailerSetsPaletteGameAndTypeWithoutDetection)
{
    Bytes file = MakeTS(64, 48, {{0, 0, 1, 1, 0, {5}}});
    const Bytes trailer = Trailer(uint8_t(TSHPGame::RA1), uint8_t(TSHPType::Unit));
    file.insert(file.end(), trailer.begin(), trailer.end());
    TSHP s;
    Load(s, file);
    EXPECT_TRUE(s.CustomPalette);
    EXPECT_EQ(s.Game, TSHPGame::RA1);
    EXPECT_EQ(s.SHPType, TSHPType::Unit);
    EXPECT_EQ(s.Palette[200], (TColour24{200, 55, 7}));

    // A file shorter than a trailer whose end looks like the tag keeps the grey palette.
    const Bytes shortFile(trailer.end() - 6, trailer.end());
    Bytes tagged = MakeTS(64, 48, {{0, 0, 1, 1, 0, {5}}});
    tagged.insert(tagged.end(), shortFile.begin(), shortFile.end());
    TSHP t;
    Load(t, tagged);
    EXPECT_FALSE(t.CustomPalette);
    EXPECT_EQ(t.SHPType, TSHPType::Cameo);
    EXPECT_EQ(t.Palette[200], MakeColour(199, 199, 199));
}

TEST(ReadTS, LoadFromFileSetsTheatreAndFileName)
{
    const Bytes file = MakeTS(2, 1, {{0, 0, 2, 1, 0, {7, 8}}});
    TSHP s;
    s.LoadFromFile(WriteTemp("unit.sno", file));
    EXPECT_EQ(s.Theatre, TTheatre::Snow);
    EXPECT_EQ(s.FileName, TempPath("unit.sno"));
    s.LoadFromFile(WriteTemp("unit.SNO", file));
    EXPECT_EQ(s.Theatre, TTheatre::Default);
    EXPECT_EQ(s.Format, TSHPFormat::TS);

    std::istringstream stream(std::string(file.begin(), file.end()));
    TSHP t;
    t.LoadFromStream(stream);
    EXPECT_EQ(Canvas(t, 0), (Bytes{7, 8}));
}

TEST(ReadTS, MissingFileRaisesFileErrorAfterClearing)
{
    TSHP s;
    Load(s, MakeTS(2, 1, {{0, 0, 2, 1, 0, {7, 8}}}));
    const std::string missing = TempPath("no-such-sprite.des");
    try {
        s.LoadFromFile(missing);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
    EXPECT_EQ(s.FrameCount(), 0);
    EXPECT_EQ(s.Theatre, TTheatre::Desert);
    EXPECT_NE(s.FileName, missing);
}

TEST(ReadTS, LongRowsWithRunsAndOvershootsDecodeExactly)
{
    // 60-pixel rows of random pixel spans and transparent runs; every other row ends in a run
    // that reaches past the row, and a few rows end with a lone 0 byte.
    std::mt19937 random(7);
    const int width = 70, height = 12, x0 = 3, y0 = 2, cx = 60, cy = 8;
    Bytes expect(width * height, 0), data;
    for (int r = 0; r < cy; ++r) {
        Bytes row;
        for (int x = 0; x < cx;) {
            const int n = std::min<int>(cx - x, 1 + int(random() % 20));
            if (random() % 2) {
                row.insert(row.end(), {0, uint8_t(n)});
            } else {
                for (int k = 0; k < n; ++k)
                    row.push_back(expect[(y0 + r) * width + x0 + x + k] = uint8_t(1 + random() % 255));
            }
            x += n;
        }
        if (r % 2)
            row.insert(row.end(), {0, uint8_t(1 + random() % 200)});
        if (r % 3 == 2)
            row.push_back(0);
        Put16(data, unsigned(row.size() + 2));
        data.insert(data.end(), row.begin(), row.end());
    }
    TSHP s;
    Load(s, MakeTS(width, height, {{x0, y0, cx, cy, 2, data}}));
    EXPECT_EQ(Canvas(s, 0), expect);
}
