// convert, recolour and make-test: files written by the tool read back frame for frame.
#include "cli_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

using namespace clitest;

namespace {

uint8_t Red(int i) { return uint8_t(i % 64); }
uint8_t Green(int i) { return uint8_t(63 - i % 64); }
uint8_t Blue(int i) { return uint8_t(i / 4); }

// Four frames on a 40 x 30 canvas: rectangles at the edges, an empty frame, long transparent
// runs, encoded and raw data.
std::vector<uint8_t> VariedTS()
{
    std::vector<TSFrameSpec> frames(4);
    frames[0].X = 0;
    frames[0].Y = 0;
    frames[0].CX = 40;
    frames[0].CY = 2;
    for (int i = 0; i < 80; ++i)
        frames[0].Pixels.push_back(uint8_t(i % 7 == 0 ? 0 : i + 1));
    frames[0].Encode = true;
    frames[2].X = 35;
    frames[2].Y = 25;
    frames[2].CX = 5;
    frames[2].CY = 5;
    for (int i = 0; i < 25; ++i)
        frames[2].Pixels.push_back(uint8_t(200 + i));
    frames[3].X = 10;
    frames[3].Y = 10;
    frames[3].CX = 3;
    frames[3].CY = 1;
    frames[3].Pixels = {0, 9, 0};
    return MakeTSFile(40, 30, frames);
}

std::string Layout(const std::string& path)
{
    const RunResult r = RunCli({"info", "--json", path});
    return r.Status == 0 ? ParseJson(Lines(r.Out).at(0))["layout"].StringValue : "?";
}

Json Info(const std::string& path) { return ParseJson(Lines(RunCli({"info", "--json", path}).Out).at(0)); }


uintmax_t FileSize(const std::string& path) { return std::filesystem::file_size(path); }

} // namespace

TEST(CliConvert, TSToTDAndBackKeepsEveryFrame)
{
    TempDir dir;
    const std::string ts = dir.Write("v.shp", VariedTS());
    const std::string td = dir / "v_td.shp";
    const std::string back = dir / "v_back.shp";
    RunResult r = RunCli({"convert", ts, td, "--layout", "td"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out + r.Err, "");
    EXPECT_EQ(Layout(td), "td");
    r = RunCli({"convert", td, back, "--layout", "TS"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Layout(back), "ts");
    ExpectSameFrames(ts, td);
    ExpectSameFrames(ts, back);

    // Without --layout the input's layout is kept.
    ASSERT_EQ(RunCli({"convert", td, dir / "again.shp"}).Status, 0);
    EXPECT_EQ(Layout(dir / "again.shp"), "td");
    ExpectSameFrames(td, dir / "again.shp");

    // In place.
    ASSERT_EQ(RunCli({"convert", ts, ts, "--layout", "td"}).Status, 0);
    EXPECT_EQ(Layout(ts), "td");
    ExpectSameFrames(ts, back);
}

TEST(CliConvert, CompressionModes)
{
    TempDir dir;
    const std::string ts = dir.Write("v.shp", VariedTS());
    ASSERT_EQ(RunCli({"convert", ts, dir / "none.shp", "--compression", "none"}).Status, 0);
    ASSERT_EQ(RunCli({"convert", ts, dir / "all.shp", "--compression", "all"}).Status, 0);
    ASSERT_EQ(RunCli({"convert", ts, dir / "half.shp", "--compression", "half"}).Status, 0);
    // Raw: header, 4 frame headers and the rectangles' bytes.
    EXPECT_EQ(FileSize(dir / "none.shp"), 8u + 4 * 24 + 80 + 25 + 3);
    const Json all = Info(dir / "all.shp");
    const Json half = Info(dir / "half.shp");
    const Json none = Info(dir / "none.shp");
    for (size_t i : {0u, 2u, 3u}) {
        EXPECT_EQ(int(all["frames"][i]["flags"].NumberValue) & 2, 2) << i;
        EXPECT_EQ(int(none["frames"][i]["flags"].NumberValue) & 2, 0) << i;
        EXPECT_EQ(int(half["frames"][i]["flags"].NumberValue) & 2, i < 2 ? 2 : 0) << i;
    }
    for (const char* name : {"none.shp", "all.shp", "half.shp"})
        ExpectSameFrames(ts, dir / name);

    const RunResult conflict = RunCli({"convert", ts, dir / "x.shp", "--layout", "td", "--compression", "all"});
    EXPECT_EQ(conflict.Status, 1);
    EXPECT_NE(conflict.Err.find("TS/RA2 layout only"), std::string::npos);
    EXPECT_FALSE(Exists(dir / "x.shp"));
}

// A sprite the layout cannot hold is a problem of the input (2); a target that cannot be
// replaced by a file is one of the output (3). Neither leaves anything behind.
TEST(CliConvert, WhatALayoutCannotHoldAndTargetsThatAreNoFiles)
{
    TempDir dir;
    const std::string empty = dir.Write("empty.shp", {0, 0, 0, 0, 0, 0, 1, 0}); // one frame, 0 x 0
    const RunResult td = RunCli({"convert", empty, dir / "td.shp", "--layout", "td"});
    EXPECT_EQ(td.Status, 2);
    EXPECT_NE(td.Err.find("\"" + empty + "\" as \"" + dir / "td.shp" + "\": A canvas of 0 x 0 pixels"),
              std::string::npos)
        << td.Err;
    EXPECT_FALSE(Exists(dir / "td.shp"));
#ifndef _WIN32
    const std::string ts = dir.Write("v.shp", VariedTS());
    const RunResult device = RunCli({"convert", ts, "/dev/null"});
    EXPECT_EQ(device.Status, 3);
    EXPECT_NE(device.Err.find("\"/dev/null\": it is a device"), std::string::npos) << device.Err;
    std::filesystem::permissions(ts, std::filesystem::perms::owner_read);
    const RunResult readOnly = RunCli({"convert", ts, ts, "--layout", "td"});
    EXPECT_EQ(readOnly.Status, 3);
    EXPECT_NE(readOnly.Err.find("read-only"), std::string::npos) << readOnly.Err;
    EXPECT_EQ(Layout(ts), "ts");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2) << "no temporary file is left";
#endif
}

TEST(CliConvert, PaletteTrailers)
{
    TempDir dir;
    dir.Write("data/palette/TS/unittem.pal", MakePalFile(Red, Green, Blue));
    const std::string ts = dir.Write("v.shp", VariedTS());
    const std::string kept = dir / "kept.shp";
    ASSERT_EQ(RunCli({"convert", ts, kept, "--keep-palette", "--data-dir", dir / "data"}).Status, 0);
    EXPECT_TRUE(Info(kept)["palette_trailer"].BoolValue);
    vantrel::TSHP sprite;
    sprite.LoadFromFile(kept);
    EXPECT_TRUE(sprite.CustomPalette);
    EXPECT_EQ(sprite.Palette[5], vantrel::MakeColour(5 * 4, 58 * 4, 1 * 4));

    // A trailer is kept through any conversion, in both layouts.
    for (const char* layout : {"td", "ts"}) {
        const std::string out = dir / (std::string("again_") + layout + ".shp");
        ASSERT_EQ(RunCli({"convert", kept, out, "--layout", layout}).Status, 0);
        vantrel::TSHP again;
        again.LoadFromFile(out);
        EXPECT_TRUE(again.CustomPalette) << layout;
        EXPECT_EQ(again.Palette, sprite.Palette) << layout;
    }
    ASSERT_EQ(RunCli({"convert", ts, dir / "plain.shp"}).Status, 0);
    EXPECT_FALSE(Info(dir / "plain.shp")["palette_trailer"].BoolValue);
    const RunResult paletteAlone = RunCli({"convert", ts, dir / "p.shp", "--palette", dir / "x.pal"});
    EXPECT_EQ(paletteAlone.Status, 1);
}

TEST(CliConvert, CorpusTDFilesReencodeNoLargerAndIdentical)
{
    const std::string corpus = CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus";
    TempDir dir;
    uintmax_t original = 0, written = 0;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus + "td")) {
        const std::string in = entry.path().string();
        const std::string out = dir / entry.path().filename().string();
        const RunResult r = RunCli({"convert", in, out, "--layout", "td"});
        ASSERT_EQ(r.Status, 0) << in << ": " << r.Err;
        original += FileSize(in);
        written += FileSize(out);
        ExpectSameFrames(in, out);
        ++files;
    }
    std::cout << "[ corpus ] " << files << " TD files: " << original << " bytes originally, " << written
              << " bytes re-encoded by the TD writer\n";
    EXPECT_LE(written, original);
}

TEST(CliConvert, CorpusTSFilesSurviveTheTDLayout)
{
    const std::string corpus = CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus";
    TempDir dir;
    for (const auto& entry : std::filesystem::directory_iterator(corpus + "ts")) {
        const std::string in = entry.path().string();
        if (entry.file_size() > 1000000)
            continue; // the 3402-frame sprite alone takes many seconds to encode as TD/RA1

        const std::string td = dir / "td.shp";
        const std::string ts = dir / "ts.shp";
        ASSERT_EQ(RunCli({"convert", in, td, "--layout", "td"}).Status, 0) << in;
        ASSERT_EQ(RunCli({"convert", td, ts, "--layout", "ts"}).Status, 0) << in;
        ExpectSameFrames(in, ts);
    }
}

TEST(CliRecolour, SchemeFromAFileOrTheLibrary)
{
    TempDir dir;
    const std::string td = dir.Write("td.shp", MakeTDFile(2, 2, {{5, 6, 0, 5}}));
    const std::string scheme = dir.WriteText("mine.CSCHEME", "[Info]\nName=Swap\n[Data]\n5=7\n");
    const std::string out = dir / "out.shp";
    RunResult r = RunCli({"recolour", td, out, "--scheme", scheme});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out + r.Err, "");
    EXPECT_EQ(Layout(out), "td");
    EXPECT_EQ(LoadFrames(out).at(0), (std::vector<uint8_t>{7, 6, 0, 7}));

    dir.WriteText("data/cscheme/sub/a.cscheme", "[Info]\nName=Dark Blue\n[Data]\n6=1\n");
    dir.WriteText("data/cscheme/sub/b.cscheme", "[Info]\nName=dark blue\n[Data]\n6=2\n");
    r = RunCli({"recolour", td, out, "--scheme", "DARK BLUE", "--data-dir", dir / "data"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(LoadFrames(out).at(0), (std::vector<uint8_t>{5, 1, 0, 5}));
    r = RunCli({"recolour", td, out, "--scheme", "dark blue", "--data-dir", dir / "data"});
    EXPECT_EQ(LoadFrames(out).at(0), (std::vector<uint8_t>{5, 2, 0, 5}));

    r = RunCli({"recolour", td, dir / "no.shp", "--scheme", "Nope", "--data-dir", dir / "data"});
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("\"Nope\""), std::string::npos) << r.Err;
    r = RunCli({"recolour", td, dir / "no.shp", "--scheme", dir / "missing.cscheme"});
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("missing.cscheme"), std::string::npos) << r.Err;
    EXPECT_FALSE(Exists(dir / "no.shp"));
}

TEST(CliMakeTest, ThePaletteTestSprite)
{
    TempDir dir;
    const std::string out = dir / "test.shp";
    const RunResult r = RunCli({"make-test", out});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const Json info = Info(out);
    EXPECT_EQ(info["layout"].StringValue, "ts");
    EXPECT_EQ(info["width"].NumberValue, 64);
    EXPECT_EQ(info["frames"].Items.size(), 344u);
    const auto frames = LoadFrames(out);
    EXPECT_EQ(frames[0][50 * 64 + 13], 3 * 16 + 12);
    EXPECT_EQ(frames[171][63 * 64 + 63], 255);
    EXPECT_EQ(frames[172], std::vector<uint8_t>(64 * 64, 0));

    ASSERT_EQ(RunCli({"make-test", out, "--frames", "3"}).Status, 0);
    EXPECT_EQ(Info(out)["frames"].Items.size(), 3u);
}
