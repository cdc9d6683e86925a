#include "sprite/Report.h"
#include "sprite/SHP.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

const std::string Sep(1, PathSeparator);

struct ReportTempDir {
    std::string Path;
    ReportTempDir()
    {
        static std::atomic<int> serial{0};
        const std::string name = "vantrel_report_" + std::to_string(std::random_device{}()) + "_" + std::to_string(serial++);
        Path = (fs::temp_directory_path() / name).string() + Sep;
        fs::create_directories(Path);
    }
    ~ReportTempDir()
    {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
    void Write(const std::string& rel, const std::vector<uint8_t>& bytes) const
    {
        fs::create_directories(fs::path(Path + rel).parent_path());
        std::ofstream(Path + rel, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
};

struct RawFrame {
    uint16_t X = 0, Y = 0, CX = 0, CY = 0, Flags = 0, Reserved16 = 0;
    uint8_t B = 0, G = 0, R = 0, Extra = 0;
    uint32_t Reserved32 = 0, Offset = 0;
};

void PutWord(std::vector<uint8_t>& v, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        v[at + size_t(i)] = uint8_t(value >> (8 * i));
}

std::vector<uint8_t> FrameHeader(const RawFrame& f)
{
    std::vector<uint8_t> h(24);
    PutWord(h, 0, f.X, 2);
    PutWord(h, 2, f.Y, 2);
    PutWord(h, 4, f.CX, 2);
    PutWord(h, 6, f.CY, 2);
    PutWord(h, 8, f.Flags, 2);
    PutWord(h, 10, f.Reserved16, 2);
    h[12] = f.B;
    h[13] = f.G;
    h[14] = f.R;
    h[15] = f.Extra;
    PutWord(h, 16, f.Reserved32, 4);
    PutWord(h, 20, f.Offset, 4);
    return h;
}

// A TS sprite as the loader leaves it with KeepHeaders and HeadersOnly.
void SetLoadedTS(TSHP& s, const std::string& file, int w, int h, const std::vector<RawFrame>& frames)
{
    s.FileName = file;
    s.Format = TSHPFormat::TS;
    s.Width = w;
    s.Height = h;
    s.RawFileHeader.assign(8, 0);
    PutWord(s.RawFileHeader, 2, uint32_t(w), 2);
    PutWord(s.RawFileHeader, 4, uint32_t(h), 2);
    PutWord(s.RawFileHeader, 6, uint32_t(frames.size()), 2);
    s.RawFrameHeaders.clear();
    for (const RawFrame& f : frames) {
        const auto bytes = FrameHeader(f);
        s.RawFrameHeaders.insert(s.RawFrameHeaders.end(), bytes.begin(), bytes.end());
    }
}

} // namespace

TEST(Report, FrameLineMatchesTheDocumentedExample)
{
    RawFrame f;
    f.X = 12;
    f.Y = 3;
    f.CX = 40;
    f.CY = 31;
    f.Flags = 3;
    f.R = 16;
    f.G = 32;
    f.B = 48;
    f.Offset = 0x1F4;
    EXPECT_EQ(ReportFrameLine(7, FrameHeader(f).data()),
              "Frame 0007:   12,   3   40 x   31 0003 0000 016,032,048,000 00000000 000001F4");
}

TEST(Report, FrameLineWritesWideNumbersInFullAndHexInCapitals)
{
    RawFrame f;
    f.X = 65535;
    f.Y = 12345;
    f.CX = 1;
    f.CY = 2;
    f.Flags = 0xABCD;
    f.Reserved16 = 0xFFFF;
    f.R = 255;
    f.G = 7;
    f.B = 0;
    f.Extra = 200;
    f.Reserved32 = 0xDEADBEEF;
    f.Offset = 0xFFFFFFFF;
    EXPECT_EQ(ReportFrameLine(12345, FrameHeader(f).data()),
              "Frame 12345: 65535,12345    1 x    2 ABCD FFFF 255,007,000,200 DEADBEEF FFFFFFFF");
}

TEST(Report, IgnoreBoringFramesListsTheInterestingFrameWithItsIndex)
{
    for (int which = 0; which < 4; ++which) {
        TSHPReport report;
        report.IgnoreBoringFrames = true;
        TSHP s;
        RawFrame boring;
        boring.CX = 10;
        boring.CY = 10;
        boring.Flags = 3;
        RawFrame odd = boring;
        if (which == 0)
            odd.Flags = 4;
        if (which == 1)
            odd.Reserved16 = 1;
        if (which == 2)
            odd.Extra = 9;
        if (which == 3)
            odd.Reserved32 = 0x100;
        SetLoadedTS(s, "a.shp", 10, 10, {boring, boring, odd, boring});
        ReportSHP(report, s);
        ASSERT_EQ(report.Lines.size(), 3u) << which;
        EXPECT_EQ(report.Lines[0], "a.shp 10x10 Count: 4");
        EXPECT_EQ(report.Lines[1], ReportFrameLine(2, FrameHeader(odd).data()));
        EXPECT_EQ(report.Lines[1].substr(0, 11), "Frame 0002:");
        EXPECT_EQ(report.Lines[2], "");
    }
}

TEST(Report, UnreadableTDAndEmptySprites)
{
    TSHPReport report;
    TSHP none;
    none.FileName = "text.shp";
    ReportSHP(report, none);
    EXPECT_EQ(report.IgnoredCount, 1);
    EXPECT_TRUE(report.Lines.empty());

    TSHP td;
    td.Format = TSHPFormat::TD;
    td.Width = 24;
    td.Height = 24;
    td.RawFileHeader.assign(14, 1);
    td.RawFrameHeaders.assign(8, 1);
    ReportSHP(report, td);
    EXPECT_TRUE(report.Lines.empty());

    TSHP empty;
    empty.FileName = "empty.shp";
    empty.Format = TSHPFormat::TS;
    ReportSHP(report, empty);
    EXPECT_EQ(report.Lines, (std::vector<std::string>{"empty.shp", "Width or Height is Zero!", ""}));

    report.Lines.clear();
    report.IgnoreBoringFrames = true;
    ReportSHP(report, empty);
    EXPECT_TRUE(report.Lines.empty());
    EXPECT_EQ(report.IgnoredCount, 1);
}

TEST(Report, MissingHeadersAreReportedInBothModes)
{
    for (bool ignoreBoring : {false, true}) {
        TSHPReport report;
        report.IgnoreBoringFrames = ignoreBoring;
        TSHP s;
        s.FileName = "noheaders.shp";
        s.Format = TSHPFormat::TS;
        s.Width = 5;
        s.Height = 5;
        ReportSHP(report, s);
        EXPECT_EQ(report.Lines,
                  (std::vector<std::string>{"noheaders.shp", "Error: Stored Headers are Nil.... Error Loading?", ""}));
    }
}

TEST(Report, OnlyTheHeadersTheFileHoldsAreListed)
{
    TSHPReport report;
    TSHP s;
    SetLoadedTS(s, "cut.shp", 8, 8, {RawFrame{}});
    PutWord(s.RawFileHeader, 6, 500, 2); // the header announces 500 frames, one is there
    ReportSHP(report, s);
    ASSERT_EQ(report.Lines.size(), 3u);
    EXPECT_EQ(report.Lines[0], "cut.shp 8x8 Count: 500");
    EXPECT_EQ(report.Lines[2], "");
}

TEST(ListSHPFiles, MissingFolderGivesNothingAndLinkLoopsEnd)
{
    std::vector<std::string> list;
    ListSHPFiles(list, "/nonexistent/vantrel/folder/");
    EXPECT_TRUE(list.empty());
#ifndef _WIN32
    ReportTempDir dir;
    dir.Write("loop" + Sep + "a.shp", {1});
    std::error_code ec;
    fs::create_directory_symlink(dir.Path, dir.Path + "loop" + Sep + "back", ec);
    if (ec)
        GTEST_SKIP() << "cannot make a folder link";
    ListSHPFiles(list, dir.Path);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], dir.Path + "loop" + Sep + "a.shp");
#endif
}

#ifndef _WIN32
TEST(ListSHPFiles, PipesAndDevicesArePassedOverAndRefusedByTheReaders)
{
    ReportTempDir dir;
    dir.Write("a.shp", {1});
    ASSERT_EQ(mkfifo((dir.Path + "pipe.shp").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", dir.Path + "null.shp");
    fs::create_symlink(dir.Path + "gone", dir.Path + "dangling.shp"); // listed: reading it says why it fails
    std::vector<std::string> list;
    ListSHPFiles(list, dir.Path);
    EXPECT_EQ(list, (std::vector<std::string>{dir.Path + "a.shp", dir.Path + "dangling.shp"}));
    EXPECT_THROW(ReadWholeFile(dir.Path + "null.shp"), FileError);
    EXPECT_THROW(ReadFileHead(dir.Path + "pipe.shp", 8), FileError); // would wait for a writer if opened
}
#endif
