#include "render_test_files.h"
#include "sprite/Palette.h"
#include "sprite/SHP.h"

#include <gtest/gtest.h>

#include <map>

using namespace vantrel;
using render_test::TaggedPaletteFile;
using render_test::TAppFolder;

namespace {

std::string Sep(const std::string& a, const std::string& b) { return a + PathSeparator + b; }

// Every palette the default choice can name, each with its own tag.
const std::map<std::string, std::vector<std::string>> GamePalettes = {
    {"TD", {"temperat", "desert", "winter", "unittem"}},
    {"RA1", {"temperat", "snow", "interior", "unittem"}},
    {"TS", {"anim", "unittem", "cameo", "isotem", "isosno"}},
    {"RA2", {"anim", "unittem", "cameo", "isotem", "isosno", "isourb", "isolun", "isodes", "isourn"}},
};

std::map<std::string, uint8_t> WriteAllPalettes(const TAppFolder& app)
{
    std::map<std::string, uint8_t> tags;
    uint8_t tag = 1;
    for (const auto& [game, names] : GamePalettes)
        for (const std::string& name : names) {
            tags[game + "/" + name] = tag;
            app.Write("palette/" + game + "/" + name + ".pal", TaggedPaletteFile(tag++));
        }
    return tags;
}

} // namespace

TEST(Palette, FileEntriesAreScaledFromSixBits)
{
    TAppFolder app;
    std::vector<uint8_t> bytes(800, 0);
    bytes[3 * 9] = 63, bytes[3 * 9 + 2] = 32;           // red 63, green 0, blue 32
    bytes[3 * 10] = 65, bytes[3 * 10 + 1] = 255;        // above 63: kept in 8 bits
    bytes[768] = 1;                                     // beyond the table: ignored
    TPalette pal;
    LoadPaletteFile(app.Write("a.pal", bytes), pal);
    EXPECT_EQ(pal[9], MakeColour(252, 0, 128));
    EXPECT_EQ(pal[10], MakeColour(4, 252, 0));
    EXPECT_EQ(pal[255], MakeColour(0, 0, 0));
}

TEST(Palette, ShortFileLeavesTheRestBlack)
{
    TAppFolder app;
    TPalette pal = GreyPalette();
    LoadPaletteFile(app.Write("short.pal", {10, 20, 30, 1, 2}), pal);
    EXPECT_EQ(pal[0], MakeColour(40, 80, 120));
    EXPECT_EQ(pal[1], MakeColour(4, 8, 0));
    for (int i = 2; i < 256; ++i)
        ASSERT_EQ(pal[size_t(i)], MakeColour(0, 0, 0)) << i;
}

TEST(Palette, MissingFileFailsAndKeepsTheDestination)
{
    TAppFolder app;
    TSHP s;
    s.AddFrames(1, 2, 2);
    s.GetFrameRGB(0);
    const TPalette before = s.Palette;
    EXPECT_THROW(s.LoadPalette(app.Make("none.pal")), FileError);
    EXPECT_EQ(s.Palette, before);
    EXPECT_FALSE(s.Frames[0].Dirty);
}

TEST(Palette, SettersReplaceThePaletteAndInvalidate)
{
    TAppFolder app;
    TSHP s;
    s.AddFrames(1, 2, 2);
    s.PaletteName = "TS/x.pal";
    s.GetFrameRGB(0);
    s.LoadPalette(app.Write("p.pal", TaggedPaletteFile(9)));
    EXPECT_TRUE(s.Frames[0].Dirty);
    EXPECT_EQ(s.Palette[1], MakeColour(36, 36, 36));
    EXPECT_EQ(s.PaletteName, "TS/x.pal");
    EXPECT_FALSE(s.CustomPalette);

    std::array<uint32_t, 256> values{};
    values[5] = 0x00FF8000;
    values[0] = 0x00010203;
    s.GetFrameRGB(0);
    s.SetPaletteFromValues(values);
    EXPECT_EQ(s.Palette[5], MakeColour(255, 128, 0));
    EXPECT_EQ(s.Palette[0], MakeColour(1, 2, 3));
    EXPECT_TRUE(s.CustomPalette);
    EXPECT_TRUE(s.Frames[0].Dirty);
}

TEST(Palette, DefaultChoiceForEveryGameAndTheatre)
{
    TAppFolder app;
    const auto tags = WriteAllPalettes(app);
    // Row per game: the palette of theatres Default .. Winter for a unit.
    const std::map<TSHPGame, std::array<const char*, TheatreCount>> expected = {
        {TSHPGame::TD, {"temperat", "temperat", "temperat", "temperat", "temperat", "desert", "temperat", "temperat", "winter"}},
        {TSHPGame::RA1, {"temperat", "temperat", "snow", "temperat", "temperat", "temperat", "temperat", "interior", "temperat"}},
        {TSHPGame::TS, {"unittem", "isotem", "isosno", "unittem", "unittem", "unittem", "unittem", "unittem", "unittem"}},
        {TSHPGame::RA2, {"unittem", "isotem", "isosno", "isourb", "isolun", "isodes", "isourn", "unittem", "unittem"}},
    };
    for (const auto& [game, row] : expected)
        for (int t = 0; t < TheatreCount; ++t) {
            TSHP s;
            s.Game = game;
            s.SHPType = TSHPType::Unit;
            s.Theatre = TTheatre(t);
            s.LoadDefaultPalette(PaletteFolder());
            const std::string shortName = GameShortNames[size_t(game)];
            EXPECT_EQ(s.PaletteName, Sep(shortName, std::string(row[size_t(t)]) + ".pal")) << shortName << " " << t;
            const uint8_t tag = tags.at(shortName + "/" + row[size_t(t)]);
            EXPECT_EQ(s.Palette[1], MakeColour(tag * 4, tag * 4, tag * 4)) << shortName << " " << t;
        }
}

TEST(Palette, DefaultChoiceForEveryTypeWithoutTheatre)
{
    TAppFolder app;
    WriteAllPalettes(app);
    // Animation, Building, three Iso buildings, Cameo, Unit.
    const std::map<TSHPGame, std::array<const char*, SHPTypeCount>> expected = {
        {TSHPGame::TD, {"temperat", "temperat", "temperat", "temperat", "temperat", "temperat", "temperat"}},
        {TSHPGame::RA1, {"temperat", "temperat", "temperat", "temperat", "temperat", "temperat", "temperat"}},
        {TSHPGame::TS, {"anim", "unittem", "unittem", "unittem", "unittem", "cameo", "unittem"}},
        {TSHPGame::RA2, {"anim", "unittem", "unittem", "unittem", "unittem", "cameo", "unittem"}},
    };
    for (const auto& [game, row] : expected)
        for (int t = 0; t < SHPTypeCount; ++t) {
            TSHP s;
            s.Game = game;
            s.SHPType = TSHPType(t);
            s.LoadDefaultPalette(PaletteFolder());
            EXPECT_EQ(s.PaletteName, Sep(GameShortNames[size_t(game)], std::string(row[size_t(t)]) + ".pal"));
        }
}

TEST(Palette, MissingDefaultFallsBackToUnittemThenToNothing)
{
    TAppFolder app;
    app.Write("palette/TS/unittem.pal", TaggedPaletteFile(5));
    TSHP s;
    s.AddFrames(1, 2, 2);
    s.Game = TSHPGame::TS;
    s.SHPType = TSHPType::Animation;
    s.PaletteName = "old";
    s.LoadDefaultPalette(PaletteFolder());
    EXPECT_EQ(s.PaletteName, "");
    EXPECT_EQ(s.Palette[1], MakeColour(20, 20, 20));

    TSHP fresh;
    fresh.AddFrames(1, 2, 2);
    fresh.Game = TSHPGame::RA1;
    fresh.GetFrameRGB(0);
    const TPalette ramp = fresh.Palette;
    fresh.LoadDefaultPalette(PaletteFolder());
    EXPECT_EQ(fresh.Palette, ramp);
    EXPECT_FALSE(fresh.Frames[0].Dirty);
    EXPECT_EQ(fresh.PaletteName, "");
}

TEST(Palette, DefaultPaletteIsFoundWithoutRegardToCase)
{
    TAppFolder app;
    app.Write("palette/ts/UNITTEM.PAL", TaggedPaletteFile(6));
    app.Write("palette/Ra2/IsoLun.Pal", TaggedPaletteFile(7));
    TSHP s;
    s.Game = TSHPGame::TS;
    s.SHPType = TSHPType::Unit;
    s.LoadDefaultPalette(PaletteFolder());
    EXPECT_EQ(s.PaletteName, Sep("ts", "UNITTEM.PAL"));
    EXPECT_EQ(s.Palette[1], MakeColour(24, 24, 24));

    TSHP lunar;
    lunar.Game = TSHPGame::RA2;
    lunar.Theatre = TTheatre::Lunar;
    lunar.LoadDefaultPalette(PaletteFolder());
    EXPECT_EQ(lunar.PaletteName, Sep("Ra2", "IsoLun.Pal"));

    // Where both spellings exist (on file systems that tell them apart), the exact one wins.
    if (std::filesystem::exists(app.Path / "palette/TS"))
        return;
    app.Write("palette/TS/unittem.pal", TaggedPaletteFile(9));
    s.LoadDefaultPalette(PaletteFolder());
    EXPECT_EQ(s.PaletteName, Sep("TS", "unittem.pal"));
    EXPECT_EQ(s.Palette[1], MakeColour(36, 36, 36));
}

TEST(Palette, OutOfRangeGameOrTypeStaysInBounds)
{
    TAppFolder app;
    WriteAllPalettes(app);
    TSHP s;
    const TPalette ramp = s.Palette;
    s.Game = TSHPGame(77);
    s.LoadDefaultPalette(PaletteFolder());
    EXPECT_EQ(s.PaletteName, "");
    EXPECT_EQ(s.Palette, ramp);
    s.SHPType = TSHPType::BuildingIsoSnow;
    TPalette iso;
    EXPECT_THROW(s.GetIsoPalette(iso), FileError);

    TSHP odd;
    odd.Game = TSHPGame::TS;
    odd.SHPType = TSHPType(200);
    odd.Theatre = TTheatre(99);
    odd.LoadDefaultPalette(PaletteFolder());
    EXPECT_EQ(odd.PaletteName, Sep("TS", "unittem.pal"));
}

TEST(Palette, IsoPaletteIsCachedUntilTheTypeLeavesIsoBuildings)
{
    TAppFolder app;
    const std::string file = app.Write("palette/RA2/isourb.pal", TaggedPaletteFile(3));
    TSHP s;
    s.Game = TSHPGame::RA2;
    s.SHPType = TSHPType::BuildingIsoUrban;
    TPalette iso;
    s.GetIsoPalette(iso);
    EXPECT_EQ(iso[1], MakeColour(12, 12, 12));
    ASSERT_TRUE(s.IsoPalette);

    std::filesystem::remove(file);
    s.Game = TSHPGame::TS; // a change of game keeps the cache
    iso = {};
    s.GetIsoPalette(iso);
    EXPECT_EQ(iso[1], MakeColour(12, 12, 12));

    s.SetSHPType(TSHPType::BuildingIsoSnow); // iso to iso: dropped too, the old type was iso
    EXPECT_FALSE(s.IsoPalette);
    s.SetSHPType(TSHPType::Unit);
    EXPECT_FALSE(s.IsoPalette);
}

TEST(Palette, IsoPaletteIsFoundWithoutRegardToCase)
{
    TAppFolder app;
    app.Write("palette/ts/ISOSNO.PAL", TaggedPaletteFile(8));
    TSHP s;
    s.Game = TSHPGame::TS;
    s.SHPType = TSHPType::BuildingIsoSnow;
    TPalette iso;
    s.GetIsoPalette(iso);
    EXPECT_EQ(iso[1], MakeColour(32, 32, 32));
}

TEST(Palette, CorpusPalettesLoad)
{
    const std::filesystem::path folder = std::filesystem::path(VANTREL_CORPUS_DIR) / "pal";
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no corpus";
    int loaded = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".pal")
            continue;
        TSHP s;
        s.AddFrames(1, 16, 16);
        for (int i = 0; i < 256; ++i)
            s.Frames[0].Data[size_t(i)] = uint8_t(i);
        s.LoadPalette(entry.path().string());
        const std::vector<uint8_t> raw = ReadWholeFile(entry.path().string());
        ASSERT_GE(raw.size(), 768u);
        const TColour24* rgb = s.GetFrameRGB(0);
        for (size_t i = 1; i < 256; ++i)
            ASSERT_EQ(rgb[i], MakeColour(uint8_t(raw[3 * i] * 4), uint8_t(raw[3 * i + 1] * 4), uint8_t(raw[3 * i + 2] * 4)))
                << entry.path() << " " << i;
        ++loaded;
    }
    EXPECT_GT(loaded, 0);
}
