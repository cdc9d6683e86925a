#include "read_helpers.h"

using namespace vantrel;
using namespace readtest;

TEST(ReaderCorpus, EverySpriteLoadsWithItsManifestSize)
{
    SKIP_WITHOUT_CORPUS();
    for (auto& row : Manifest()) {
        const std::string& layout = row["layout"];
        if (layout == "pal")
            continue;
        SCOPED_TRACE(row["file"]);
        TSHP s;
        s.LoadFromFile(CorpusPath(row["file"]));
        if (layout != "td" && layout != "ts") {
            EXPECT_EQ(s.Format, TSHPFormat::None);
            EXPECT_EQ(s.FrameCount(), 0);
            continue;
        }
        EXPECT_EQ(s.Format, layout == "td" ? TSHPFormat::TD : TSHPFormat::TS);
        EXPECT_EQ(std::to_string(s.Width), row["width"]);
        EXPECT_EQ(std::to_string(s.Height), row["height"]);
        EXPECT_EQ(std::to_string(s.FrameCount()), row["frames"]);
        for (const TSHPFrame& f : s.Frames)
            ASSERT_TRUE(f.X + f.CX <= s.Width && f.Y + f.CY <= s.Height);

        // A thumbnail load gives frame 0 (and its shadow) exactly as the full load does.
        TSHP thumb;
        thumb.OneFrameLoad = true;
        thumb.LoadFromFile(CorpusPath(row["file"]));
        ASSERT_GE(thumb.FrameCount(), 1);
        EXPECT_EQ(Canvas(thumb, 0), Canvas(s, 0));
        if (thumb.FrameCount() == 2) {
            EXPECT_EQ(Canvas(thumb, 1), Canvas(s, s.FrameCount() / 2));
        }
    }
}

TEST(ReaderCorpus, PixelsOfRealFrames)
{
    SKIP_WITHOUT_CORPUS();
    TSHP s;
    // One literal command of 16 bytes: the compressed frame is longer than the frame.
    s.LoadFromFile(CorpusPath("td/ora-cnc_pips.shp"));
    EXPECT_EQ(Canvas(s, 0), (Bytes{0x9a, 0x3a, 0x3a, 0x34, 0x3a, 0, 0, 0x34, 0x3a, 0, 0, 0x34, 0x34, 0x34, 0x34, 0x31}));
    EXPECT_EQ(Canvas(s, 5)[15], 0x31);

    // Raw 4 x 9 frames at (1, 0) of a 6 x 10 canvas.
    s.LoadFromFile(CorpusPath("ts/ora-ts_ammopips.shp"));
    const Bytes ammo = Canvas(s, 0);
    EXPECT_EQ(Bytes(ammo.begin(), ammo.begin() + 18), (Bytes{0, 0, 0x87, 0x0c, 0, 0, 0, 0x87, 0x89, 0x8d, 0x0c, 0, 0, 0x87, 0x8a, 0x8d, 0x0c, 0}));

    // Rows 0 and 1 of frame 0 at (39, 21): "run 16, c c c, run 3" and "run 14, 8 pixels".
    s.LoadFromFile(CorpusPath("ts/ora-ts_gatick.shp"));
    const Bytes tick = Canvas(s, 0);
    auto row = [&](const Bytes& c, int y, int x, int n) {
        return Bytes(c.begin() + y * s.Width + x, c.begin() + y * s.Width + x + n);
    };
    EXPECT_EQ(row(tick, 21, 39, 22), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0c, 0x0c, 0x0c, 0, 0, 0}));
    EXPECT_EQ(row(tick, 22, 53, 8), (Bytes{0x5f, 0x0c, 0x0c, 0x3d, 0x36, 0x31, 0x31, 0x53}));

    // Frame 3 at (4, 8), 39 wide, whose rows decode to 40 pixels (the last run overshoots).
    s.LoadFromFile(CorpusPath("ts/rv_tss_bang48.shp"));
    const Bytes bang = Canvas(s, 3);
    Bytes expect(48, 0);
    expect[23] = 0x39;
    EXPECT_EQ(row(bang, 8, 0, 48), expect);
    EXPECT_EQ(row(bang, 9, 0, 48),
              (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x39, 0x39, 0x39, 0x24, 0x13, 0x12, 0x0c,
                     0x0c, 0x19, 0x2c, 0x2c, 0x2c, 0x2c, 0x2c, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}
