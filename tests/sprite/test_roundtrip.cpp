// Sprites saved by the writers and loaded back by the readers.
#include "write_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vantrel;
using namespace writetest;

namespace {

// Only the frame's rectangle is stored; the model keeps everything else 0.
Bytes RectangleCanvas(const TSHP& s, int i)
{
    const TSHPFrame& f = s.Frames[size_t(i)];
    Bytes all = Canvas(s, i), cut(all.size(), 0);
    for (int r = 0; r < f.CY; ++r)
        for (int x = 0; x < f.CX; ++x) {
            const size_t at = size_t(f.Y + r) * size_t(s.Width) + f.X + size_t(x);
            cut[at] = all[at];
        }
    return cut;
}

void ExpectLoadedAsSaved(const TSHP& saved, const TSHP& loaded, TSHPFormat layout, const std::string& what)
{
    ASSERT_EQ(loaded.Format, layout) << what;
    ASSERT_EQ(loaded.Width, saved.Width) << what;
    ASSERT_EQ(loaded.Height, saved.Height) << what;
    ASSERT_EQ(loaded.FrameCount(), saved.FrameCount()) << what;
    for (int i = 0; i < saved.FrameCount(); ++i) {
        const TSHPFrame& a = saved.Frames[size_t(i)];
        const TSHPFrame& b = loaded.Frames[size_t(i)];
        ASSERT_EQ(Canvas(loaded, i), RectangleCanvas(saved, i)) << what << ", frame " << i;
        if (layout == TSHPFormat::TD) {
            EXPECT_TRUE(b.X == 0 && b.Y == 0 && b.CX == saved.Width && b.CY == saved.Height) << what << ", " << i;
        } else if (a.CX == 0 || a.CY == 0) {
            EXPECT_TRUE(b.CX == 0 || b.CY == 0) << what << ", frame " << i;
        } else {
            EXPECT_TRUE(a.X == b.X && a.Y == b.Y && a.CX == b.CX && a.CY == b.CY) << what << ", frame " << i;
            EXPECT_EQ(b.RadarColour, saved.AverageColour(i)) << what << ", frame " << i;
        }
    }
}

void ExpectRoundTrip(TSHP& s, TSHPFormat layout, const std::string& what)
{
    TSHP loaded;
    loaded.LoadFromMemory(s.SaveToMemory(layout));
    ExpectLoadedAsSaved(s, loaded, layout, what);
}

std::vector<std::string> CorpusSprites(const char* folder)
{
    std::vector<std::string> names;
    const std::filesystem::path dir = std::filesystem::path(VANTREL_CORPUS_DIR) / folder;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        if (entry.path().extension() == ".shp")
            names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(RoundTrip, RandomSpritesInEveryModeAndLayout)
{
    std::mt19937 rng(20240611);
    const int sizes[][3] = {{1, 1, 3}, {7, 3, 9}, {300, 2, 5}, {64, 48, 12}, {333, 41, 6}, {19, 260, 4}};
    for (const auto& [w, h, frames] : sizes) {
        TSHP s;
        MakeRandomSprite(s, rng, w, h, frames);
        const std::string what = std::to_string(w) + " x " + std::to_string(h);
        for (uint8_t mode = 0; mode < 4; ++mode) {
            s.CompressionMode = mode;
            ExpectRoundTrip(s, TSHPFormat::TS, what + ", mode " + std::to_string(mode));
        }
        ExpectRoundTrip(s, TSHPFormat::TD, what + ", TD");
    }
}

TEST(RoundTrip, PaletteTrailerInBothLayouts)
{
    std::mt19937 rng(4);
    TTempDir dir;
    for (TSHPFormat layout : {TSHPFormat::TS, TSHPFormat::TD}) {
        TSHP s;
        MakeRandomSprite(s, rng, 24, 24, 6);
        s.SavePalette = true;
        s.Game = TSHPGame::RA1;
        s.SHPType = TSHPType::Cameo;
        for (int k = 0; k < 256; ++k)
            s.Palette[size_t(k)] = MakeColour(uint8_t(k), uint8_t(255 - k), uint8_t(k * 3));
        const std::string name = dir.File(layout == TSHPFormat::TD ? "pal-td.shp" : "pal-ts.shp");
        s.SaveToFile(name, layout);
        EXPECT_TRUE(s.CustomPalette);
        EXPECT_TRUE(IsSHPFile(name));
        TSHP loaded;
        loaded.LoadFromFile(name);
        ExpectLoadedAsSaved(s, loaded, layout, "trailer");
        EXPECT_TRUE(loaded.CustomPalette);
        EXPECT_EQ(loaded.Palette, s.Palette);
        EXPECT_EQ(loaded.Game, TSHPGame::RA1);
        EXPECT_EQ(loaded.SHPType, TSHPType::Cameo);
    }
}

TEST(RoundTrip, SpriteLoadedFromTDSavesAsTSByDefault)
{
    std::mt19937 rng(6);
    TSHP s;
    MakeRandomSprite(s, rng, 20, 10, 4);
    TSHP td;
    td.LoadFromMemory(s.SaveToMemory(TSHPFormat::TD));
    ASSERT_EQ(td.Format, TSHPFormat::TD);
    TTempDir dir;
    td.SaveToFile(dir.File("as-ts.shp"));
    TSHP back;
    back.LoadFromFile(dir.File("as-ts.shp"));
    EXPECT_EQ(back.Format, TSHPFormat::TS);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Canvas(back, i), Canvas(s, i)) << i;
}

// Every real sprite saved in both layouts loads back with the same pixels, and the TD writer's
// files of the TD sprites are together not larger than the originals.
TEST(RoundTrip, CorpusInBothLayouts)
{
    const std::vector<std::string> td = CorpusSprites("td"), ts = CorpusSprites("ts");
    if (td.empty() || ts.empty())
        GTEST_SKIP() << "no corpus at " << VANTREL_CORPUS_DIR;
    TTempDir dir;
    uint64_t originalTD = 0, rewrittenTD = 0;
    for (const std::vector<std::string>* list : {&td, &ts})
        for (const std::string& path : *list) {
            TSHP s;
            s.LoadFromFile(path);
            ASSERT_NE(s.Format, TSHPFormat::None) << path;
            for (uint8_t mode : {0, 2}) {
                s.CompressionMode = mode;
                ExpectRoundTrip(s, TSHPFormat::TS, path + ", mode " + std::to_string(mode));
            }
            if (Sanitized && uint64_t(s.Width) * uint64_t(s.Height) * uint64_t(s.FrameCount()) > 2000000)
                continue;
            const std::string name = dir.File("td.shp");
            s.SaveToFile(name, TSHPFormat::TD);
            const Bytes file = ReadBytes(name);
            const std::vector<TDEntry> table = TDTable(file);
            EXPECT_EQ(table[size_t(s.FrameCount())].Offset, file.size()) << path;
            EXPECT_EQ(table.back().Offset, 0u) << path;
            EXPECT_TRUE(IsSHPFile(name)) << path;
            TSHP loaded;
            loaded.LoadFromFile(name);
            ExpectLoadedAsSaved(s, loaded, TSHPFormat::TD, path + ", TD");
            if (list == &td) {
                originalTD += std::filesystem::file_size(path);
                rewrittenTD += file.size();
            }
        }
    RecordProperty("OriginalTDBytes", std::to_string(originalTD));
    RecordProperty("RewrittenTDBytes", std::to_string(rewrittenTD));
    EXPECT_LE(rewrittenTD, originalTD);
}
