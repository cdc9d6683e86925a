#include "read_helpers.h"

using namespace vantrel;
using namespace readtest;

namespace {

unsigned At16(const Bytes& b, size_t i) { return b.at(i) | b.at(i + 1) << 8; }
unsigned At24(const Bytes& b, size_t i) { return At16(b, i) | b.at(i + 2) << 16; }

// The frames of a well-formed TD/RA1 file, decoded one byte at a time into zeroed canvases.
std::vector<Bytes> PlainTDFrames(const Bytes& file)
{
    const unsigned count = At16(file, 0), size = At16(file, 6) * At16(file, 8);
    std::vector<Bytes> frames;
    for (unsigned f = 0; f < count; ++f) {
        const size_t entry = 14 + 8 * f;
        size_t i = At24(file, entry), o = 0;
        const uint8_t format = file.at(entry + 3);
        int ref = format == 0x20 ? int(f) - 1 : -1;
        for (int k = int(f) - 1; format == 0x40 && k >= 0 && ref < 0; --k)
            ref = At24(file, 14 + 8 * size_t(k)) == At24(file, entry + 4) ? k : -1;
        Bytes out(size, 0);
        auto put = [&](size_t n, auto value) { for (size_t k = 0; k < n && o < size; ++k, ++o) out[o] = uint8_t(value()); };
        while (o < size && i < file.size()) {
            const unsigned c = file.at(i++);
            if (ref >= 0) {
                const Bytes& r = frames[size_t(ref)];
                const unsigned w = c == 0x80 ? At16(file, i) : 0;
                i += c == 0x80 ? 2 : 0;
                if ((c == 0x80 && w == 0))
                    break;
                if (c == 0 || (w & 0xC000) == 0xC000) {
                    const size_t n = c == 0 ? file.at(i++) : w & 0x3FFF;
                    const uint8_t v = file.at(i++);
                    put(n, [&] { return r[o] ^ v; });
                } else if (c < 0x80 || (w & 0xC000) == 0x8000) {
                    put(c < 0x80 ? c : w & 0x3FFF, [&] { return r[o] ^ file.at(i++); });
                } else {
                    put(c > 0x80 ? c & 0x7F : w, [&] { return r[o]; });
                }
            } else if (c == 0x80) {
                break;
            } else if (c > 0x80 && c < 0xC0) {
                put(c & 0x3F, [&] { return file.at(i++); });
            } else if (c == 0xFE) {
                const uint8_t v = file.at(i + 2);
                put(At16(file, (i += 3) - 3), [&] { return v; });
            } else {
                size_t n = c < 0x80 ? (c >> 4) + 3 : c < 0xFF ? (c & 0x3F) + 3 : At16(file, i);
                size_t src = c < 0x80 ? o - ((c & 0x0F) << 8 | file.at(i)) : At16(file, c < 0xFF ? i : i + 2);
                i += c < 0x80 ? 1 : c < 0xFF ? 2 : 4;
                put(n, [&] { return out.at(src++); });
            }
        }
        frames.push_back(out);
    }
    return frames;
}

} // namespace

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
            EXPECT_FALSE(IsSHPFile(CorpusPath(row["file"])));
            EXPECT_EQ(s.FrameCount(), 0);
            continue;
        }
        EXPECT_EQ(s.Format, layout == "td" ? TSHPFormat::TD : TSHPFormat::TS);
        EXPECT_EQ(std::to_string(s.Width), row["width"]);
        EXPECT_EQ(std::to_string(s.Height), row["height"]);
        EXPECT_EQ(std::to_string(s.FrameCount()), row["frames"]);
        EXPECT_TRUE(IsSHPFile(CorpusPath(row["file"])));
        if (layout == "td") {
            const std::vector<Bytes> plain = PlainTDFrames(ReadWholeFile(CorpusPath(row["file"])));
            for (int i = 0; i < s.FrameCount(); ++i)
                ASSERT_EQ(Canvas(s, i), plain[size_t(i)]) << "frame " << i;
        }
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
