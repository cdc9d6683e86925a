// export-map and import-map: sprite maps written and read back.
#include "cli_harness.h"

#include <gtest/gtest.h>

using namespace clitest;

namespace {

uint8_t Red(int i) { return uint8_t(i % 64); }
uint8_t Green(int i) { return uint8_t(i / 4); }
uint8_t Blue(int i) { return uint8_t(63 - i % 64); }

uint32_t Dword(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 | uint32_t(b.at(at + 3)) << 24;
}

struct MapDir : TempDir {
    // The test sprite reads back as a TS or RA2 sprite, depending on its frame count.
    MapDir()
    {
        Write("data/palette/TS/unittem.pal", MakePalFile(Red, Green, Blue));
        Write("data/palette/RA2/unittem.pal", MakePalFile(Red, Green, Blue));
    }
    std::string Data() const { return *this / "data"; }
};

} // namespace

TEST(CliMaps, ExportThenImportGivesTheSameFrames)
{
    MapDir dir;
    const std::string shp = dir / "test.shp";
    ASSERT_EQ(RunCli({"make-test", shp, "--frames", "16"}).Status, 0);
    const RunResult exported = RunCli({"export-map", shp, dir / "tank.bmp", "--data-dir", dir.Data()});
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_EQ(exported.Err, "");
    const std::string map = dir / "tank0064x0064-000016.bmp";
    EXPECT_EQ(exported.Out, map + "\n");
    EXPECT_FALSE(Exists(dir / "tank.bmp"));

    // 8 bits a pixel, 4 x 4 cells of 64 x 64, the palette with 255 in every fourth byte.
    const auto bmp = ReadBytes(map);
    ASSERT_GE(bmp.size(), 54u + 1024);
    EXPECT_EQ(Dword(bmp, 18), 256u);
    EXPECT_EQ(Dword(bmp, 22), 256u);
    EXPECT_EQ(bmp[28], 8);
    const size_t table = 14 + Dword(bmp, 14);
    for (int i = 0; i < 256; ++i) {
        const uint8_t* e = bmp.data() + table + 4 * size_t(i);
        if (i > 0) { // entry 0 is the palette's own entry 0
            ASSERT_EQ(e[0], Blue(i) * 4) << i;
            ASSERT_EQ(e[1], Green(i) * 4) << i;
            ASSERT_EQ(e[2], Red(i) * 4) << i;
        }
        ASSERT_EQ(e[3], 255) << i;
    }

    const std::string back = dir / "back.shp";
    const RunResult imported = RunCli({"import-map", map, back});
    ASSERT_EQ(imported.Status, 0) << imported.Err;
    EXPECT_EQ(imported.Out + imported.Err, "");
    const auto original = LoadFrames(shp);
    const auto again = LoadFrames(back);
    ASSERT_EQ(again.size(), 16u);
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(again[i], original[i]) << i;
    EXPECT_FALSE(ParseJson(Lines(RunCli({"info", "--json", back}).Out).at(0))["palette_trailer"].BoolValue);

    ASSERT_EQ(RunCli({"import-map", map, back, "--keep-palette", "--compression", "none"}).Status, 0);
    vantrel::TSHP sprite;
    sprite.LoadFromFile(back);
    EXPECT_TRUE(sprite.CustomPalette);
    EXPECT_EQ(sprite.Palette[9], vantrel::MakeColour(Red(9) * 4, Green(9) * 4, Blue(9) * 4));
}

TEST(CliMaps, CuttingByNameOrOptions)
{
    MapDir dir;
    const std::string shp = dir / "test.shp";
    ASSERT_EQ(RunCli({"make-test", shp, "--frames", "6"}).Status, 0);
    ASSERT_EQ(RunCli({"export-map", shp, dir / "m.bmp", "--data-dir", dir.Data()}).Status, 0);
    const std::string map = dir / "m0064x0064-000006.bmp"; // 2 columns, 3 rows
    const std::string plain = dir.Write("plain.bmp", ReadBytes(map));

    ASSERT_EQ(RunCli({"import-map", plain, dir / "one.shp"}).Status, 0);
    int w = 0, h = 0;
    EXPECT_EQ(LoadFrames(dir / "one.shp", &w, &h).size(), 1u);
    EXPECT_EQ(w, 128);
    EXPECT_EQ(h, 192);

    ASSERT_EQ(RunCli({"import-map", plain, dir / "four.shp", "--frame-size", "64x64", "--count", "4"}).Status, 0);
    const auto four = LoadFrames(dir / "four.shp", &w, &h);
    EXPECT_EQ(four.size(), 4u);
    EXPECT_EQ(four[2], LoadFrames(shp)[2]);

    const RunResult tooMany = RunCli({"import-map", plain, dir / "x.shp", "--frame-size", "64x64", "--count", "7"});
    EXPECT_EQ(tooMany.Status, 1);
    EXPECT_NE(tooMany.Err.find("cannot cut 7 frame(s) of 64 x 64"), std::string::npos) << tooMany.Err;

    const std::string lying = dir.Write("m0064x0064-000009.bmp", ReadBytes(map));
    const RunResult byName = RunCli({"import-map", lying, dir / "x.shp"});
    EXPECT_EQ(byName.Status, 2);
    EXPECT_NE(byName.Err.find("Cannot cut 9 frame(s)"), std::string::npos) << byName.Err;
    EXPECT_FALSE(Exists(dir / "x.shp"));
}

TEST(CliMaps, PicturesThatCannotBeImported)
{
    MapDir dir;
    const std::string rgb = dir.Write("rgb.bmp", MakeBmp24(8, 8, 10, 20, 30));
    const RunResult notIndexed = RunCli({"import-map", rgb, dir / "x.shp"});
    EXPECT_EQ(notIndexed.Status, 2);
    EXPECT_EQ(Lines(notIndexed.Err).size(), 1u);
    EXPECT_NE(notIndexed.Err.find("Error Image is not 8-Bit. Unable to Import!"), std::string::npos) << notIndexed.Err;
    EXPECT_NE(notIndexed.Err.find(rgb), std::string::npos);

    const std::string text = dir.WriteText("text.bmp", "no picture here");
    const RunResult garbage = RunCli({"import-map", text, dir / "x.shp"});
    EXPECT_EQ(garbage.Status, 2);
    EXPECT_NE(garbage.Err.find("text.bmp"), std::string::npos) << garbage.Err;
    EXPECT_EQ(RunCli({"import-map", dir / "missing.bmp", dir / "x.shp"}).Status, 2);
    EXPECT_FALSE(Exists(dir / "x.shp"));

    const std::string shp = dir / "test.shp";
    ASSERT_EQ(RunCli({"make-test", shp, "--frames", "2"}).Status, 0);
    ASSERT_EQ(RunCli({"export-map", shp, dir / "whole.bmp", "--data-dir", dir.Data()}).Status, 0);
    std::vector<uint8_t> cut = ReadBytes(dir / "whole0064x0064-000002.bmp");
    cut.resize(cut.size() - 64 * 25); // 25 of the 64 rows are missing
    const std::string cutShort = dir.Write("cut0064x0064-000002.bmp", cut);
    const RunResult truncated = RunCli({"import-map", cutShort, dir / "x.shp"});
    EXPECT_EQ(truncated.Status, 2);
    EXPECT_EQ(Lines(truncated.Err).size(), 1u) << truncated.Err;
    EXPECT_NE(truncated.Err.find(cutShort + "\": the file is truncated"), std::string::npos) << truncated.Err;
    EXPECT_FALSE(Exists(dir / "x.shp"));

    const RunResult unwritable = RunCli({"export-map", shp, dir / "none/m.bmp", "--data-dir", dir.Data()});
    EXPECT_EQ(unwritable.Status, 3);
    EXPECT_EQ(unwritable.Out, "");
}
