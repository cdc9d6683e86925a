// The user's own data folder: its palettes and background pictures are listed beside the ones
// found, and the Debug reports go there when the program's folder cannot be written.
#include "UiTestSupport.h"

#include "sprite/FileUtil.h"
#include "ui/SpriteView.h"
#include "ui/WidenCombos.h"

#include <QDir>
#include <QFile>

namespace vantrel::test {

namespace {

constexpr int SeedOwn = 9;
constexpr int SeedOwnTS = 10;

class UserDataTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(User.isValid());
        SetUserDataFolder(UserPath("vantrel").toStdString());
    }
    void TearDown() override
    {
        SetUserDataFolder("");
        MainWindowTest::TearDown();
    }
    QString UserPath(const QString& relative) const { return QDir::toNativeSeparators(User.filePath(relative)); }

    QTemporaryDir User;
};

QStringList Captions(const QComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << QString(combo->itemText(i)).replace(QChar(PathSeparator), '/');
    return out;
}

} // namespace

TEST_F(UserDataTest, UsersPalettesJoinTheListAndTheInstalledOneWinsASharedName)
{
    WriteTestPalette(UserPath("vantrel/palette/User/own.pal"), SeedOwn);
    WriteTestPalette(UserPath("vantrel/palette/TS/unittem.pal"), SeedOwnTS);
    WriteTestPalette(UserPath("vantrel/palette/TS/aaa.pal"), SeedOwnTS);
    TFrmMain& main = Window();
    EXPECT_EQ(Captions(main.PaletteCombo),
              QStringList({"direct.pal", "RA1/temperat.PAL", "RA2/unittem.pal", "TD/temperat.pal", "TS/aaa.pal",
                           "TS/unittem.pal", "User/a.pal", "User/own.pal", "User/sub/mine.pal"}));

    main.MakeTestSHP1->trigger();
    EXPECT_EQ(main.CurrentSHP->Palette[40], TestPaletteColour(SeedTSUnit, 40));
    main.PaletteCombo->setCurrentIndex(Captions(main.PaletteCombo).indexOf("User/own.pal"));
    EXPECT_EQ(main.CurrentSHP->Palette[40], TestPaletteColour(SeedOwn, 40));
    main.PaletteCombo->setCurrentIndex(Captions(main.PaletteCombo).indexOf("TS/unittem.pal"));
    EXPECT_EQ(main.CurrentSHP->Palette[40], TestPaletteColour(SeedTSUnit, 40));
}

TEST_F(UserDataTest, UsersBackgroundsJoinTheMenu)
{
    WriteSolidPicture(UserPath("vantrel/Backgrounds/TS-Mine.png"), QColor(1, 2, 3));
    WriteSolidPicture(UserPath("vantrel/Backgrounds/RAx.png"), QColor(4, 5, 6));
    Show(BlankSprite(1, 8, 8, TSHPGame::TS, TSHPType::Unit));
    TFrmMain& main = *Main;
    QStringList captions;
    QAction* mine = nullptr;
    for (QAction* item : main.BGPopupMenu->actions()) {
        captions << item->data().toString();
        if (item->data().toString() == "TS-Mine")
            mine = item;
    }
    EXPECT_EQ(captions, QStringList({"RA1-Snow", "RA2-Desert", "RAx", "td-lower", "TS-Mine", "TS-Temperate"}));
    ASSERT_NE(mine, nullptr);
    main.FakeLevelBackgroundButton->click();
    mine->trigger();
    EXPECT_EQ(PixelAt(main.SHPImage, 31, 31), QColor(1, 2, 3));
}

TEST_F(UserDataTest, ReportsGoToTheUsersFolderWhenTheProgramsFolderCannotBeWritten)
{
    SetAppFolder(DataPath("gone").toStdString());
    TFrmMain& main = Window();
    const QString message = CaptureMessage([&main] { main.DebugSHPsFolder1->trigger(); });
    const QString written = UserPath("vantrel/SHPs_debug.txt");
    EXPECT_EQ(message, written + " saved. 0 SHP(s) Processed. 0 SHP(s) ignored (Not TD/TS SHP)");
    EXPECT_TRUE(QFile::exists(written));
    EXPECT_EQ(CaptureMessage([&main] { main.ZeroTest1->trigger(); }),
              UserPath("vantrel/SHPs_debug-Zero.txt") + " saved. 0 SHP(s) Processed");
}

} // namespace vantrel::test
