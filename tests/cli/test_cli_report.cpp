// report and zero-test over a folder built for the purpose, byte for byte.
#include "cli_harness.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace clitest;

namespace {

#ifdef _WIN32
const std::string LB = "\r\n";
const std::string Sep = "\\";
#else
const std::string LB = "\n";
const std::string Sep = "/";
#endif

// TS file a_ts.shp (2 frames), TD file b_td.shp, text c_text.shp, palette.pal, and in sub/ the TS
// files d_ts.tem (one frame with a radar extra byte) and e_ts.shp (frame 2 with flags 4) and the
// 3-byte f.win.
struct ReportFolder : TempDir {
    ReportFolder()
    {
        TSFrameSpec a;
        a.X = 1;
        a.Y = 2;
        a.CX = 3;
        a.CY = 2;
        a.Flags = 1;
        a.Radar[0] = 48;
        a.Radar[1] = 32;
        a.Radar[2] = 16;
        a.Pixels = {1, 2, 3, 4, 5, 6};
        a.Encode = true;
        Write("SHPs/a_ts.shp", MakeTSFile(10, 10, {a, TSFrameSpec{}}));
        Write("SHPs/b_td.shp", MakeTDFile(2, 2, {{1, 2, 3, 4}}));
        WriteText("SHPs/c_text.shp", "This is not a sprite, just some text.\n");
        Write("SHPs/palette.pal", std::vector<uint8_t>(768, 0));
        TSFrameSpec d;
        d.CX = 4;
        d.CY = 4;
        d.Radar[3] = 5;
        d.Pixels.assign(16, 9);
        Write("SHPs/sub/d_ts.tem", MakeTSFile(4, 4, {d}));
        TSFrameSpec e;
        e.CX = 1;
        e.CY = 1;
        e.Pixels = {7};
        TSFrameSpec odd = e;
        odd.Flags = 4;
        Write("SHPs/sub/e_ts.shp", MakeTSFile(1, 1, {e, e, odd}));
        Write("SHPs/sub/f.win", {0, 0, 1});
    }
    std::string Folder() const { return *this / "SHPs"; }
};

const std::string Summary = "6 SHP(s) Processed. 2 SHP(s) ignored (Not TD/TS SHP)";

std::string FullReport()
{
    return "a_ts.shp 10x10 Count: 2" + LB +
           "Frame 0000:    1,   2    3 x    2 0003 0000 016,032,048,000 00000000 00000038" + LB +
           "Frame 0001:    0,   0    0 x    0 0000 0000 000,000,000,000 00000000 00000000" + LB + LB +
           "sub" + Sep + "d_ts.tem 4x4 Count: 1" + LB +
           "Frame 0000:    0,   0    4 x    4 0000 0000 000,000,000,005 00000000 00000020" + LB + LB +
           "sub" + Sep + "e_ts.shp 1x1 Count: 3" + LB +
           "Frame 0000:    0,   0    1 x    1 0000 0000 000,000,000,000 00000000 00000050" + LB +
           "Frame 0001:    0,   0    1 x    1 0000 0000 000,000,000,000 00000000 00000051" + LB +
           "Frame 0002:    0,   0    1 x    1 0004 0000 000,000,000,000 00000000 00000052" + LB + LB;
}

} // namespace

TEST(CliReport, ReportsEveryTSFileToStdoutWithTheSummaryLast)
{
    ReportFolder dir;
    const RunResult r = RunCli({"report", dir.Folder()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Out, FullReport() + Summary + LB);
}

TEST(CliReport, IgnoreBoringFramesListsOnlyInterestingFrames)
{
    ReportFolder dir;
    const RunResult r = RunCli({"report", dir.Folder() + Sep, "--ignore-boring"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "sub" + Sep + "d_ts.tem 4x4 Count: 1" + LB +
                         "Frame 0000:    0,   0    4 x    4 0000 0000 000,000,000,005 00000000 00000020" + LB + LB +
                         "sub" + Sep + "e_ts.shp 1x1 Count: 3" + LB +
                         "Frame 0002:    0,   0    1 x    1 0004 0000 000,000,000,000 00000000 00000052" + LB + LB +
                         Summary + LB);
}

TEST(CliReport, ReportToAFile)
{
    ReportFolder dir;
    const std::string out = dir / "SHPs_debug.txt";
    const RunResult r = RunCli({"report", dir.Folder(), "-o", out});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, out + " saved. " + Summary + LB);
    const auto bytes = ReadBytes(out);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), FullReport());

    const RunResult unwritable = RunCli({"report", dir.Folder(), "-o", dir / "nowhere/r.txt"});
    EXPECT_EQ(unwritable.Status, 3);
    EXPECT_EQ(unwritable.Out, "");
    EXPECT_NE(unwritable.Err.find("r.txt"), std::string::npos);
}

TEST(CliReport, ZeroTestListsFilesWithoutTheZeroWord)
{
    ReportFolder dir;
    const RunResult r = RunCli({"zero-test", dir.Folder()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    const std::string list = "c_text.shp:" + LB + " Zero:26708 WH:29545x26912 Count:8307" + LB + "sub" + Sep +
                             "f.win:" + LB + " Zero:0 WH:1x0 Count:0 Size:3" + LB;
    EXPECT_EQ(r.Out, list + "6 SHP(s) Processed" + LB);

    const std::string out = dir / "zero.txt";
    const RunResult toFile = RunCli({"zero-test", dir.Folder(), "--output", out});
    ASSERT_EQ(toFile.Status, 0);
    EXPECT_EQ(toFile.Out, out + " saved. 6 SHP(s) Processed" + LB);
    const auto bytes = ReadBytes(out);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), list);
}

TEST(CliReport, EmptyMissingAndUnreadableFolders)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "empty");
    const RunResult empty = RunCli({"report", dir / "empty"});
    EXPECT_EQ(empty.Status, 0);
    EXPECT_EQ(empty.Out, "0 SHP(s) Processed. 0 SHP(s) ignored (Not TD/TS SHP)" + LB);

    for (const char* command : {"report", "zero-test"}) {
        const RunResult missing = RunCli({command, dir / "missing"});
        EXPECT_EQ(missing.Status, 2) << command;
        EXPECT_NE(missing.Err.find("missing"), std::string::npos);
    }
#ifndef _WIN32
    std::error_code ec;
    std::filesystem::create_directories(dir / "broken");
    std::filesystem::create_symlink(dir / "nowhere.shp", dir / "broken/dangling.shp", ec);
    if (ec)
        GTEST_SKIP() << "cannot make a link";
    const std::string out = dir / "report.txt";
    for (const char* command : {"report", "zero-test"}) {
        const RunResult r = RunCli({command, dir / "broken", "-o", out});
        EXPECT_EQ(r.Status, 2) << command;
        EXPECT_NE(r.Err.find("dangling.shp"), std::string::npos) << r.Err;
        EXPECT_EQ(r.Out, "");
        EXPECT_FALSE(Exists(out));
    }
#endif
}

#ifndef _WIN32
// A pipe named like a sprite would block whoever opens it for reading until a writer comes.
TEST(CliReport, PipesAreSkippedInFoldersAndRefusedByName)
{
    ReportFolder dir;
    const std::string fifo = dir / "SHPs/sub/waiting.shp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    constexpr int Watchdog = 60;
    const RunResult report = RunCli({"report", dir.Folder()}, Watchdog);
    ASSERT_EQ(report.Status, 0) << report.Err;
    EXPECT_EQ(report.Out, FullReport() + Summary + LB);
    const RunResult zero = RunCli({"zero-test", dir.Folder()}, Watchdog);
    EXPECT_EQ(zero.Status, 0) << zero.Err;

    const std::vector<std::vector<std::string>> namedDirectly = {
        {"info", fifo}, {"probe", fifo}, {"render", dir / "SHPs/a_ts.shp", "-o", dir / "a.png", "--palette", fifo}};
    for (const std::vector<std::string>& named : namedDirectly) {
        const RunResult r = RunCli(named, Watchdog);
        EXPECT_EQ(r.Status, 2) << named[0] << ": " << r.Err;
        EXPECT_NE(r.Err.find("\"" + fifo + "\": it is a pipe"), std::string::npos) << r.Err;
    }
}
#endif
