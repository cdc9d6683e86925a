// info and probe over files a user has: hand-made sprites, hostile names, the corpus.
#include "cli_harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace clitest;

namespace {

// A 64 x 48 TS unit-sized sprite of 2 frames (so "Cameo" by its size), frame 1 empty.
std::vector<uint8_t> SmallTS()
{
    TSFrameSpec a;
    a.X = 1;
    a.Y = 2;
    a.CX = 3;
    a.CY = 2;
    a.Flags = 1;
    a.Radar[0] = 0x30; // blue
    a.Radar[1] = 0x20; // green
    a.Radar[2] = 0x10; // red
    a.Pixels = {5, 0, 6, 7, 0, 8};
    a.Encode = true;
    TSFrameSpec empty;
    return MakeTSFile(64, 48, {a, empty});
}

struct ManifestRow {
    std::string File, Layout;
    int Width = 0, Height = 0, Frames = 0;
};

std::vector<ManifestRow> ReadManifest(const std::string& corpus)
{
    std::ifstream in(corpus + "MANIFEST.tsv");
    std::string line;
    std::getline(in, line);
    std::vector<std::string> header;
    for (std::stringstream ss(line); std::getline(ss, line, '\t');)
        header.push_back(line);
    auto column = [&](const char* name) { return size_t(std::find(header.begin(), header.end(), name) - header.begin()); };
    std::vector<ManifestRow> rows;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        for (std::stringstream ss(line); std::getline(ss, line, '\t');)
            cells.push_back(line);
        if (cells.size() <= column("frames") || cells[0].size() < 4 || cells[0].substr(cells[0].size() - 4) != ".shp")
            continue;
        ManifestRow row;
        row.File = cells[column("file")];
        row.Layout = cells[column("layout")];
        row.Width = std::atoi(cells[column("width")].c_str());
        row.Height = std::atoi(cells[column("height")].c_str());
        row.Frames = std::atoi(cells[column("frames")].c_str());
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(CliInfo, DescribesATSFileInOneLine)
{
    TempDir dir;
    const std::string file = dir.Write("tank.sno", SmallTS());
    const RunResult r = RunCli({"info", file});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Out, file + ": TS/RA2, Tiberian Sun, Cameo, theatre Snow, 64x48, 2 frames, no palette trailer\n"
                            "1 file(s): 1 SHP, 0 not readable as SHP\n");
}

TEST(CliInfo, JsonGivesEveryFrameWithRawFlagsAndRadarColour)
{
    TempDir dir;
    const std::string ts = dir.Write("tank.shp", SmallTS());
    const std::string td = dir.Write("td.shp", MakeTDFile(2, 2, {{1, 2, 3, 4}}));
    const RunResult r = RunCli({"info", "--json", ts, td});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    const auto lines = Lines(r.Out);
    ASSERT_EQ(lines.size(), 2u) << r.Out;
    EXPECT_EQ(lines[0], "{\"file\":" + std::string("\"") + ts +
                            "\",\"layout\":\"ts\",\"width\":64,\"height\":48,\"game\":\"Tiberian Sun\","
                            "\"type\":\"Cameo\",\"theatre\":\"Default\",\"palette_trailer\":false,\"frames\":["
                            "{\"x\":1,\"y\":2,\"cx\":3,\"cy\":2,\"flags\":3,\"radar\":\"#102030\"},"
                            "{\"x\":0,\"y\":0,\"cx\":0,\"cy\":0,\"flags\":0,\"radar\":\"#000000\"}]}");
    const Json tdInfo = ParseJson(lines[1]);
    EXPECT_EQ(tdInfo["layout"].StringValue, "td");
    EXPECT_EQ(tdInfo["game"].StringValue, "Tiberian Dawn");
    ASSERT_EQ(tdInfo["frames"].Items.size(), 1u);
    EXPECT_EQ(tdInfo["frames"][0]["flags"].NumberValue, 128);
    EXPECT_EQ(tdInfo["frames"][0]["cx"].NumberValue, 2);
}

TEST(CliInfo, JsonEscapesHostileFileNames)
{
#ifdef _WIN32
    GTEST_SKIP() << "quotes and backslashes are not allowed in Windows file names";
#else
    TempDir dir;
    const std::string name = "a \"quoted\" back\\slash \xC3\xA9t\xC3\xA9 tab\t.shp";
    const std::string file = dir.Write(name, SmallTS());
    const RunResult r = RunCli({"info", "--json", file});
    EXPECT_EQ(r.Status, 0) << r.Err;
    const Json info = ParseJson(Lines(r.Out).at(0));
    EXPECT_EQ(info["file"].StringValue, file);
    EXPECT_NE(r.Out.find("\\\"quoted\\\" back\\\\slash \xC3\xA9t\xC3\xA9 tab\\t.shp"), std::string::npos) << r.Out;

    // A name that is not UTF-8 (passed through the shell, byte for byte) still gives valid JSON.
    const std::string latin1 = dir.Write("caf\xE9.shp", SmallTS());
    FILE* pipe = popen((std::string("'") + VANTREL_CLI_PATH + "' info --json '" + latin1 + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(ParseJson(Lines(out).at(0))["file"].StringValue, dir / "caf\xEF\xBF\xBD.shp");
#endif
}

TEST(CliInfo, MissingAndForeignFilesAreNamedOnStderr)
{
    TempDir dir;
    const std::string text = dir.WriteText("readme.shp", "This is not a sprite, just some text.\n");
    const std::string good = dir.Write("good.shp", SmallTS());
    const std::string missing = dir / "missing.shp";
    const RunResult r = RunCli({"info", missing, text, good});
    EXPECT_EQ(r.Status, 2);
    const auto errors = Lines(r.Err);
    ASSERT_EQ(errors.size(), 2u) << r.Err;
    EXPECT_NE(errors[0].find("\"" + missing + "\""), std::string::npos);
    EXPECT_NE(errors[0].find("No such file"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("\"" + text + "\""), std::string::npos);
    EXPECT_NE(errors[1].find("not an SHP file"), std::string::npos);
    const auto out = Lines(r.Out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].rfind(good + ": TS/RA2", 0), 0u);
    EXPECT_EQ(out[1], "3 file(s): 1 SHP, 2 not readable as SHP");

    const RunResult json = RunCli({"info", "--json", text});
    EXPECT_EQ(json.Status, 2);
    const Json none = ParseJson(Lines(json.Out).at(0));
    EXPECT_EQ(none["layout"].Type, Json::Null);
    EXPECT_TRUE(none["frames"].Items.empty());
}

TEST(CliInfo, JsonAgreesWithTheCorpusManifest)
{
    const std::string corpus = CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus";
    const auto rows = ReadManifest(corpus);
    ASSERT_GT(rows.size(), 30u); // the sprites; palettes are left out
    std::vector<std::string> args{"info", "--json"};
    for (const ManifestRow& row : rows)
        args.push_back(corpus + row.File);
    const RunResult r = RunCli(args);
    const auto lines = Lines(r.Out);
    ASSERT_EQ(lines.size(), rows.size()) << r.Err;
    int notSHP = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Json info = ParseJson(lines[i]);
        EXPECT_EQ(info["file"].StringValue, corpus + rows[i].File);
        if (rows[i].Layout != "td" && rows[i].Layout != "ts") {
            EXPECT_EQ(info["layout"].Type, Json::Null) << rows[i].File;
            ++notSHP;
            continue;
        }
        EXPECT_EQ(info["layout"].StringValue, rows[i].Layout) << rows[i].File;
        EXPECT_EQ(info["width"].NumberValue, rows[i].Width) << rows[i].File;
        EXPECT_EQ(info["height"].NumberValue, rows[i].Height) << rows[i].File;
        EXPECT_EQ(info["frames"].Items.size(), size_t(rows[i].Frames)) << rows[i].File;
    }
    EXPECT_EQ(r.Status, notSHP ? 2 : 0);
    EXPECT_EQ(Lines(r.Err).size(), size_t(notSHP)) << r.Err;
}

TEST(CliProbe, OneVerdictALineAndASummary)
{
    TempDir dir;
    const std::string ts = dir.Write("a.shp", SmallTS());
    const std::string td = dir.Write("b.shp", MakeTDFile(2, 2, {{1, 2, 3, 4}}));
    const std::string text = dir.WriteText("c.shp", "plain text");
    const RunResult all = RunCli({"probe", ts, td});
    EXPECT_EQ(all.Status, 0);
    EXPECT_EQ(all.Err, "");
    EXPECT_EQ(all.Out, ts + ": TS/RA2 SHP\n" + td + ": TD/RA1 SHP\n2 file(s) probed: 1 TD/RA1, 1 TS/RA2, 0 not SHP, 0 unreadable\n");

    const RunResult mixed = RunCli({"probe", text, dir / "gone.shp"});
    EXPECT_EQ(mixed.Status, 2);
    EXPECT_EQ(mixed.Out, text + ": not an SHP\n2 file(s) probed: 0 TD/RA1, 0 TS/RA2, 1 not SHP, 1 unreadable\n");
    EXPECT_NE(mixed.Err.find("gone.shp"), std::string::npos);
    EXPECT_EQ(Lines(mixed.Err).size(), 1u);
}
