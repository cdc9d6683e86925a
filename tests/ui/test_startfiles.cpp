// What reaches the window from outside a run: a file named on the command line, the sprites
// opened or saved last (File > Open Recent), the open dialog's last folder and the window icon;
// nothing of the view is kept.
#include "UiTestSupport.h"

#include "ui/FormOpen.h"
#include "ui/FormSaveOptions.h"
#include "ui/Icons.h"
#include "ui/RecentFiles.h"
#include "ui/SpriteView.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>

namespace vantrel::test {

namespace {

std::vector<uint8_t> Frame(int width, int height, uint8_t fill)
{
    return std::vector<uint8_t>(size_t(width * height), fill);
}

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

// The paths the Open Recent items show (without the access-key number of the first nine), in
// menu order, one a line.
std::string RecentItems(TFrmMain& main)
{
    QStringList out;
    for (QAction* item : main.OpenRecent1->actions())
        if (!item->isSeparator() && item->text() != "Clear Menu")
            out << item->text().remove(QRegularExpression("^&[1-9] "));
    return out.join('\n').toStdString();
}

std::string Lines(const QStringList& list) { return list.join('\n').toStdString(); }

class StartFilesTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ClearRecentFiles();
        Previous = QDir::currentPath();
    }
    void TearDown() override
    {
        QDir::setCurrent(Previous);
        ClearRecentFiles();
        MainWindowTest::TearDown();
    }
    QString Sprite(const QString& relative, int size = 4)
    {
        WriteBytes(DataPath(relative), TSFileBytes(size, size, {Frame(size, size, 1)}));
        return Native(DataPath(relative));
    }
    QString Previous;
};

} // namespace

TEST_F(StartFilesTest, FileNamedOnTheCommandLineOpensFromTheCurrentFolder)
{
    const QString path = Sprite("work/cmd.shp");
    QDir::setCurrent(DataPath("work"));
    TFrmMain& main = Window();
    main.OpenCommandLineFile("cmd.shp");
    ASSERT_TRUE(main.CurrentSHP);
    EXPECT_EQ(QString::fromStdString(main.CurrentSHP->FileName), path);
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [cmd.shp] 4x4");
    EXPECT_TRUE(main.SHPImage->isVisible());

    const QString message = CaptureMessage([&main] { main.OpenCommandLineFile("missing.shp"); });
    EXPECT_TRUE(message.startsWith("Unable to open \"" + Native(DataPath("work/missing.shp")) + "\"."))
        << message.toStdString();
    EXPECT_EQ(QString::fromStdString(main.CurrentSHP->FileName), path);
}

TEST_F(StartFilesTest, OpenRecentListsTheLastTenOpenedOrSavedNewestFirst)
{
    TFrmMain& main = Window();
    EXPECT_FALSE(main.OpenRecent1->menuAction()->isEnabled());
    QStringList opened;
    for (int i = 0; i < 12; ++i) {
        opened.prepend(Sprite(QString("s%1.shp").arg(i)));
        ASSERT_TRUE(main.OpenSHPFile(opened.first(), std::nullopt));
    }
    ASSERT_TRUE(main.OpenSHPFile(opened[3], std::nullopt)); // again: moves to the top, once
    QStringList expected = opened.mid(0, 10);
    expected.move(3, 0);
    EXPECT_EQ(RecentItems(main), Lines(expected));
    EXPECT_TRUE(main.OpenRecent1->menuAction()->isEnabled());

    // A new window of the next run finds the list; its entry opens the file as a drop does.
    Main.reset();
    TFrmMain& next = Window();
    EXPECT_EQ(RecentItems(next), Lines(expected));
    next.OpenRecent1->actions()[2]->trigger();
    ASSERT_TRUE(next.CurrentSHP);
    EXPECT_EQ(QString::fromStdString(next.CurrentSHP->FileName), expected[2]);
    EXPECT_EQ(RecentFiles().first(), expected[2]);

    // A file that is gone is reported and leaves the list; Clear Menu empties it.
    QFile::remove(expected[5]);
    const QString message = CaptureMessage([&] { next.OpenRecent1->actions()[5]->trigger(); });
    EXPECT_TRUE(message.startsWith("Unable to open")) << message.toStdString();
    EXPECT_FALSE(RecentFiles().contains(expected[5]));
    EXPECT_EQ(RecentItems(next).find(expected[5].toStdString()), std::string::npos);
    next.OpenRecent1->actions().last()->trigger();
    EXPECT_EQ(RecentItems(next), "");
    EXPECT_FALSE(next.OpenRecent1->menuAction()->isEnabled());
}

TEST_F(StartFilesTest, SavedSpriteJoinsOpenRecent)
{
    Show(BlankSprite(2, 4, 4, TSHPGame::TS, TSHPType::Unit));
    TFrmMain& main = *Main;
    const QString path = Native(DataPath("saved.shp"));
    QTimer::singleShot(0, main.FrmSaveOptions, [&main] { main.FrmSaveOptions->PngBitBtn1->click(); });
    ASSERT_TRUE(main.SaveWithOptions(path));
    EXPECT_EQ(RecentFiles(), QStringList{path});
    EXPECT_EQ(RecentItems(main), path.toStdString());
}

TEST_F(StartFilesTest, OpenDialogOffersTheFolderLastUsedAndStartsInSHPs)
{
    const QString path = Sprite("elsewhere/a.shp");
    QDir(DataPath("")).mkdir("SHPs");
    TFrmMain& main = Window();
    const QString folder = Native(DataPath("elsewhere"));
    QTimer::singleShot(0, main.FrmOpen, [&main, folder, path] {
        main.FrmOpen->GoToFolder(folder);
        main.FrmOpen->SelectedFile = path;
        main.FrmOpen->OkButtonClick();
    });
    main.Open1->trigger();
    ASSERT_TRUE(main.CurrentSHP);
    EXPECT_EQ(LastOpenFolder(), Native(DataPath("elsewhere")));
    EXPECT_EQ(RecentFiles().first(), path);

    TFrmOpen next(&main);
    EXPECT_EQ(next.CurrentFolder, Native(DataPath("SHPs")));
    EXPECT_GE(next.ShellComboBox->findData(Native(DataPath("elsewhere"))), 0);
}

TEST_F(StartFilesTest, ViewChoicesAreNotKeptAndTheWindowHasTheApplicationIcon)
{
    Show(BlankSprite(2, 8, 8, TSHPGame::TS, TSHPType::Unit));
    TFrmMain& main = *Main;
    main.ZoomInButton->click();
    main.TransparentShadowsButton->click();
    main.FakeLevelBackgroundButton->click();
    EXPECT_EQ(main.windowIcon().cacheKey(), AppIcon().cacheKey());
    Main.reset();
    for (const QString& key : QSettings("vantrel", "vantrel").allKeys())
        EXPECT_TRUE(key == "RecentFiles" || key == "OpenDialog/LastFolder") << key.toStdString();
    TFrmMain& next = Window();
    EXPECT_FALSE(next.TransparentShadowsButton->isChecked());
    EXPECT_FALSE(next.FakeLevelBackgroundButton->isChecked());
    EXPECT_EQ(next.ZoomLevel, 0);

    const QImage icon = AppIconImage(48);
    EXPECT_EQ(icon.size(), QSize(48, 48));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(24, 24)), 255);
    for (int size : AppIconSizes)
        EXPECT_TRUE(AppIcon().availableSizes().contains(QSize(size, size))) << size;
}

} // namespace vantrel::test
