// Many files in one command: inputs and folders, outputs named after them under --output-dir,
// several jobs with the output in input order, and one bad file among good ones.
#include "cli_harness.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace clitest;

namespace {

namespace fs = std::filesystem;

// A TS/RA2 sprite of 40 x 30 with `frames` frames, each a rectangle of its own size and colour.
std::vector<uint8_t> Sprite(int frames)
{
    std::vector<TSFrameSpec> specs(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        TSFrameSpec& f = specs[size_t(i)];
        f.X = uint16_t(i % 20);
        f.Y = uint16_t(i % 10);
        f.CX = uint16_t(1 + i % 20);
        f.CY = uint16_t(1 + i % 19);
        f.Pixels.assign(size_t(f.CX) * f.CY, uint8_t(16 + i));
        f.Encode = i % 2 == 0;
    }
    return MakeTSFile(40, 30, specs);
}

std::vector<std::string> Args(std::vector<std::string> head, const std::vector<std::string>& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

} // namespace

TEST(CliBatch, CorpusConvertedWithTwoJobsDecodesToTheSameFrames)
{
    const std::string corpus = CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus";
    std::vector<std::string> inputs;
    for (const auto& e : fs::directory_iterator(corpus + "/td"))
        if (e.path().extension() == ".shp")
            inputs.push_back(e.path().string());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_EQ(inputs.size(), 16u);
    TempDir dir;
    const RunResult r = RunCli(Args({"convert", "--layout", "td", "-j", "2", "--output-dir", dir / "out"}, inputs));
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    size_t written = 0;
    for (const auto& e : fs::directory_iterator(dir / "out"))
        written += e.is_regular_file();
    EXPECT_EQ(written, 16u);
    for (const std::string& input : inputs)
        ExpectSameFrames(input, dir / ("out/" + fs::path(input).filename().string()));
}

TEST(CliBatch, OutputFollowsTheInputsWhateverTheJobs)
{
    TempDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 12; ++i) // large and small files mixed, so that they finish out of order
        files.push_back(dir.Write("f" + std::to_string(i) + ".shp", Sprite(i % 3 == 0 ? 400 : 1 + i)));
    files.insert(files.begin() + 5, dir.WriteText("bad.shp", "not a sprite"));
    const RunResult one = RunCli(Args({"info", "-j1"}, files));
    const RunResult four = RunCli(Args({"info", "--jobs=4"}, files));
    EXPECT_EQ(one.Status, 2);
    EXPECT_EQ(four.Status, 2);
    EXPECT_EQ(four.Out, one.Out);
    EXPECT_EQ(four.Err, one.Err);
    const auto lines = Lines(four.Out);
    ASSERT_EQ(lines.size(), 13u);
    for (size_t i = 0, line = 0; i < files.size(); ++i) {
        if (i != 5) {
            EXPECT_EQ(lines[line].rfind(files[i] + ": TS/RA2", 0), 0u) << lines[line];
            ++line;
        }
    }
    EXPECT_EQ(lines.back(), "13 file(s): 12 SHP, 1 not readable as SHP");

    const RunResult probe = RunCli(Args({"probe", "-j", "3"}, files));
    EXPECT_EQ(probe.Status, 2);
    EXPECT_EQ(Lines(probe.Out).at(5), files[5] + ": not an SHP");
}

TEST(CliBatch, OneBadFileDoesNotStopTheOthersAndTheWorstStatusIsReturned)
{
    TempDir dir;
    const std::string a = dir.Write("in/a.shp", Sprite(3));
    const std::string bad = dir.WriteText("in/bad.shp", "not a sprite");
    const std::string c = dir.Write("in/c.shp", Sprite(4));
    const std::string d = dir.Write("in/d.shp", Sprite(5));
    fs::create_directories(dir / "out/c.shp"); // a folder where c's output goes
    const RunResult r = RunCli({"convert", "-j", "2", "--output-dir", dir / "out", a, bad, c, d});
    EXPECT_EQ(r.Status, 3); // an output error outranks an input error
    const auto errors = Lines(r.Err);
    ASSERT_EQ(errors.size(), 2u) << r.Err;
    EXPECT_EQ(errors[0].rfind("vantrel-cli: " + bad + ": Cannot read file", 0), 0u) << errors[0];
    EXPECT_EQ(errors[1].rfind("vantrel-cli: " + c + ": ", 0), 0u) << errors[1];
    ExpectSameFrames(a, dir / "out/a.shp");
    ExpectSameFrames(d, dir / "out/d.shp");
    EXPECT_FALSE(Exists(dir / "out/bad.shp"));

    const RunResult inputOnly = RunCli({"convert", "--output-dir", dir / "out2", a, bad});
    EXPECT_EQ(inputOnly.Status, 2);
    ExpectSameFrames(a, dir / "out2/a.shp");
}

TEST(CliBatch, RecursiveRunsKeepTheFoldersAndCreateTheOutputFolder)
{
    TempDir dir;
    const std::string x = dir.Write("mod/x.shp", Sprite(2));
    const std::string y = dir.Write("mod/units/y.SHP", Sprite(3));
    const std::string z = dir.Write("mod/units/deep/z.shp", Sprite(4));
    dir.WriteText("mod/readme.txt", "not listed");
    const std::string out = dir / "new/out";
    const RunResult r = RunCli({"convert", "-r", "--layout", "td", "--output-dir", out, dir / "mod"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    ExpectSameFrames(x, out + "/mod/x.shp");
    ExpectSameFrames(y, out + "/mod/units/y.SHP");
    ExpectSameFrames(z, out + "/mod/units/deep/z.shp");
    EXPECT_FALSE(Exists(out + "/mod/readme.txt"));
    // Two folders of one name from different places meet; a trailing separator changes nothing.
    dir.Write("other/mod/x.shp", Sprite(1));
    EXPECT_EQ(RunCli({"convert", "-r", "--output-dir", out, dir / "mod", dir / "other/mod"}).Status, 1);
    const RunResult units = RunCli({"convert", "-r", "--output-dir", dir / "flat", dir / "mod/units/"});
    ASSERT_EQ(units.Status, 0) << units.Err;
    ExpectSameFrames(z, dir / "flat/units/deep/z.shp");

    const RunResult info = RunCli({"info", "--recursive", dir / "mod"});
    EXPECT_EQ(Lines(info.Out).size(), 4u);
    EXPECT_EQ(Lines(info.Out).at(1).rfind(y + ":", 0), 0u);
    dir.WriteText("empty/notes.txt", "");
    const RunResult none = RunCli({"info", "-r", dir / "empty"});
    EXPECT_EQ(none.Status, 2);
    EXPECT_NE(none.Err.find("No SHP files in"), std::string::npos) << none.Err;
}

TEST(CliBatch, OutputsAreNamedAfterTheirInputs)
{
    TempDir dir;
    const std::string a = dir.Write("in/tank.shp", Sprite(4));
    const std::string b = dir.Write("in/jeep.shp", Sprite(1));
    const std::string out = dir / "out";
    const RunResult render = RunCli({"render", "--palette", dir.Write("p.pal", std::vector<uint8_t>(768, 7)),
                                     "--output-dir", out, a, b});
    ASSERT_EQ(render.Status, 0) << render.Err;
    EXPECT_EQ(QImage(QString::fromStdString(out + "/tank.png")).size(), QSize(40, 30));
    EXPECT_TRUE(Exists(out + "/jeep.png"));

    const RunResult map = RunCli({"export-map", "--palette", dir / "p.pal", "--output-dir", out, a, b});
    ASSERT_EQ(map.Status, 0) << map.Err;
    EXPECT_EQ(map.Out, out + "/tank0040x0030-000004.bmp\n" + out + "/jeep0040x0030-000001.bmp\n");
    const RunResult sheet = RunCli({"export", "--palette", dir / "p.pal", "--output-dir", out, a});
    EXPECT_EQ(sheet.Out, out + "/tank0040x0030-000004.png\n") << sheet.Err;

    const RunResult edit = RunCli({"edit", "--delete", "0", "--no-shadow-pairing", "--output-dir", out, a, b});
    EXPECT_EQ(edit.Status, 1) << edit.Err; // jeep would keep no frame: a usage error of that file
    EXPECT_EQ(edit.Out, out + "/tank.shp: 3 frame(s) of 40 x 30\n");
    EXPECT_EQ(Lines(edit.Err).size(), 1u);

    // Converting in place: each output replaces its own input only.
    const RunResult inPlace = RunCli({"convert", "--layout", "td", "--output-dir", dir / "in", a, b});
    EXPECT_EQ(inPlace.Status, 0) << inPlace.Err;
    EXPECT_EQ(ParseJson(Lines(RunCli({"info", "--json", a}).Out).at(0))["layout"].StringValue, "td");
}

TEST(CliBatch, OutputsThatWouldMeetAreRefusedBeforeAnythingIsWritten)
{
    TempDir dir;
    const std::string first = dir.Write("one/tank.shp", Sprite(2));
    const std::string second = dir.Write("two/TANK.shp", Sprite(3));
    const std::string out = dir / "out";
    const RunResult clash = RunCli({"convert", "--output-dir", out, first, second});
    EXPECT_EQ(clash.Status, 1);
    EXPECT_NE(clash.Err.find("would both be written to"), std::string::npos) << clash.Err;
    EXPECT_FALSE(Exists(out));
    EXPECT_EQ(RunCli({"convert", "--output-dir", out, first, first}).Status, 1);
    EXPECT_EQ(RunCli({"convert", "-r", "--output-dir", out, dir / "one", dir / "one"}).Status, 1);

    // The output of one/tank.shp would be the input one/sub/tank.shp.
    const std::string inner = dir.Write("one/sub/tank.shp", Sprite(1));
    const RunResult replace = RunCli({"convert", "--output-dir", dir / "one/sub", first, inner});
    EXPECT_EQ(replace.Status, 1);
    EXPECT_NE(replace.Err.find("would replace the input"), std::string::npos) << replace.Err;
    ExpectSameFrames(second, second); // untouched inputs still read
    EXPECT_EQ(LoadFrames(dir / "one/sub/tank.shp").size(), 1u);
}

TEST(CliBatch, BatchOptionsAreCheckedAsUsage)
{
    TempDir dir;
    const std::string a = dir.Write("a.shp", Sprite(1));
    EXPECT_EQ(RunCli({"convert", "-r", a, dir / "b.shp"}).Status, 1);
    EXPECT_EQ(RunCli({"convert", "-j", "0", "--output-dir", dir / "o", a}).Status, 1);
    EXPECT_EQ(RunCli({"info", "-j", "x", a}).Status, 1);
    EXPECT_EQ(RunCli({"render", "-o", dir / "x.png", "--output-dir", dir / "o", a}).Status, 1);
    EXPECT_EQ(RunCli({"info", "--output-dir", dir / "o", a}).Status, 1);
    // A single conversion still takes exactly IN and OUT, whatever -j says.
    EXPECT_EQ(RunCli({"convert", "-j", "2", a, dir / "b.shp"}).Status, 0);
    EXPECT_EQ(RunCli({"convert", a, dir / "b.shp", dir / "c.shp"}).Status, 1);
}

TEST(CliBatch, PicturesDecodedByManyJobsLoseNoErrorOfOtherFiles)
{
    TempDir dir;
    const std::string picture = dir.Write("square.bmp", MakeBmp24(40, 30, 200, 30, 30));
    const std::string palette = dir.Write("p.pal", std::vector<uint8_t>(768, 20));
    std::vector<std::string> inputs;
    for (int i = 0; i < 32; ++i)
        inputs.push_back(i % 4 == 1 ? dir.WriteText("bad" + std::to_string(i) + ".shp", "no sprite")
                                    : dir.Write("s" + std::to_string(i) + ".shp", Sprite(2 + i)));
    const RunResult r = RunCli(Args({"edit", "--insert", picture + "@0", "--palette", palette, "--no-shadow-pairing",
                                     "-j", "4", "--output-dir", dir / "out"},
                                    inputs));
    EXPECT_EQ(r.Status, 2);
    const auto errors = Lines(r.Err);
    ASSERT_EQ(errors.size(), 8u) << r.Err;
    for (size_t k = 0; k < 8; ++k)
        EXPECT_EQ(errors[k].rfind("vantrel-cli: " + inputs[1 + 4 * k] + ": ", 0), 0u) << errors[k];
    const auto lines = Lines(r.Out);
    ASSERT_EQ(lines.size(), 24u) << r.Out;
    EXPECT_EQ(lines[0], dir / "out/s0.shp: 3 frame(s) of 40 x 30, inserted 1200 pixel(s) matched inexactly (largest colour difference 78.1)");
}
