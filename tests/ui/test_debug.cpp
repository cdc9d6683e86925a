// The Debug menu's reports over the SHPs folder beside the program.
#include "UiTestSupport.h"

#include "sprite/FileUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace vantrel::test {

namespace {

std::vector<uint8_t> Frame(int width, int height, uint8_t fill)
{
    return std::vector<uint8_t>(size_t(width * height), fill);
}

QStringList ReportLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {"(missing)"};
    QStringList lines = QString::fromLatin1(file.readAll()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

const QString Sep{QChar(PathSeparator)};

// SHPs/ with a TS file, a TD file, a file neither reader takes, a palette and a TS file in a
// sub-folder whose second frame is worth listing in the Ignore Boring Frames mode.
class DebugReportTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        WriteBytes(DataPath("SHPs/a_ts.shp"), TSFileBytes(4, 4, {Frame(4, 4, 1), Frame(4, 4, 2)}));
        auto td = BlankSprite(2, 3, 3, TSHPGame::TD, TSHPType::Animation);
        SetPixel(*td, 0, 1, 1, 9);
        td->SaveToFile(DataPath("SHPs/b_td.shp").toStdString(), TSHPFormat::TD);
        const std::string junk = "hello, this is no sprite\n";
        WriteBytes(DataPath("SHPs/c_junk.shp"), std::vector<uint8_t>(junk.begin(), junk.end()));
        WriteTestPalette(DataPath("SHPs/notes.pal"), 1);
        std::vector<uint8_t> sub = TSFileBytes(2, 3, {Frame(2, 3, 5), Frame(2, 3, 6)});
        sub[8 + 24 + 8] = 4; // flags of frame 1
        WriteBytes(DataPath("SHPs/sub/d.shp"), sub);
    }
};

} // namespace

TEST_F(DebugReportTest, FolderReportListsTheRawHeadersOfTheTSFiles)
{
    TFrmMain& main = Window();
    const QString message = CaptureMessage([&main] { main.DebugSHPsFolder1->trigger(); });
    EXPECT_EQ(message, "SHPs_debug.txt saved. 4 SHP(s) Processed. 1 SHP(s) ignored (Not TD/TS SHP)");
    EXPECT_EQ(ReportLines(DataPath("SHPs_debug.txt")),
              QStringList({
                  "a_ts.shp 4x4 Count: 2",
                  "Frame 0000:    0,   0    4 x    4 0000 0000 000,000,000,000 00000000 00000038",
                  "Frame 0001:    0,   0    4 x    4 0000 0000 000,000,000,000 00000000 00000048",
                  "",
                  "sub" + Sep + "d.shp 2x3 Count: 2",
                  "Frame 0000:    0,   0    2 x    3 0000 0000 000,000,000,000 00000000 00000038",
                  "Frame 0001:    0,   0    2 x    3 0004 0000 000,000,000,000 00000000 0000003E",
                  "",
              }));
    EXPECT_FALSE(QFile::exists(DataPath("SHPs_debug_notboring.txt")));
}

TEST_F(DebugReportTest, IgnoringBoringFramesListsOnlyTheInterestingOnes)
{
    TFrmMain& main = Window();
    const QString message = CaptureMessage([&main] { main.DebugSHPsFolderIgnoreBoringFrames1->trigger(); });
    EXPECT_EQ(message, "SHPs_debug_notboring.txt saved. 4 SHP(s) Processed. 1 SHP(s) ignored (Not TD/TS SHP)");
    EXPECT_EQ(ReportLines(DataPath("SHPs_debug_notboring.txt")),
              QStringList({
                  "sub" + Sep + "d.shp 2x3 Count: 2",
                  "Frame 0001:    0,   0    2 x    3 0004 0000 000,000,000,000 00000000 0000003E",
                  "",
              }));
    EXPECT_FALSE(QFile::exists(DataPath("SHPs_debug.txt")));
}

TEST_F(DebugReportTest, ZeroTestListsFilesWithoutTheZeroWord)
{
    TFrmMain& main = Window();
    EXPECT_FALSE(main.ZeroTest1->isVisible());
    const QString message = CaptureMessage([&main] { main.ZeroTest1->trigger(); });
    EXPECT_EQ(message, "SHPs_debug-Zero.txt saved. 4 SHP(s) Processed");
    // "he", "ll", "o,", " t" as little-endian words.
    EXPECT_EQ(ReportLines(DataPath("SHPs_debug-Zero.txt")),
              QStringList({"c_junk.shp:", " Zero:25960 WH:27756x11375 Count:29728"}));
}

TEST_F(DebugReportTest, ReportsReplaceOldOnesAndAnUnreadableFileEndsTheRun)
{
    WriteBytes(DataPath("SHPs_debug.txt"), std::vector<uint8_t>(5000, 'x'));
    TFrmMain& main = Window();
    CaptureMessage([&main] { main.DebugSHPsFolder1->trigger(); });
    EXPECT_EQ(ReportLines(DataPath("SHPs_debug.txt")).first(), "a_ts.shp 4x4 Count: 2");
    const QByteArray written = [this] {
        QFile file(DataPath("SHPs_debug.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    // A link to nowhere cannot be read: the user is told and the old report stays.
    std::filesystem::create_symlink(DataPath("nowhere.shp").toStdString(), DataPath("SHPs/e_gone.shp").toStdString());
    const QString message = CaptureMessage([&main] { main.DebugSHPsFolder1->trigger(); });
    EXPECT_TRUE(message.contains("e_gone.shp")) << message.toStdString();
    QFile file(DataPath("SHPs_debug.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), written);
}

TEST_F(MainWindowTest, DebugReportWithoutAnSHPsFolderIsEmpty)
{
    TFrmMain& main = Window();
    const QString message = CaptureMessage([&main] { main.DebugSHPsFolder1->trigger(); });
    EXPECT_EQ(message, "SHPs_debug.txt saved. 0 SHP(s) Processed. 0 SHP(s) ignored (Not TD/TS SHP)");
    ASSERT_TRUE(QFile::exists(DataPath("SHPs_debug.txt")));
    EXPECT_EQ(QFileInfo(DataPath("SHPs_debug.txt")).size(), 0);
}

} // namespace vantrel::test
