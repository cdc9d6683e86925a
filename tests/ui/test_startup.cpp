// The main window at start: title, counter, enabled commands, the palette list, the background
// menu, the backdrop and the other windows.
#include "UiTestSupport.h"

#include "ui/DataFolders.h"
#include "ui/FormColourSwitcher.h"
#include "ui/FormExport_SpriteMap.h"
#include "ui/FormImport_SpriteMap.h"
#include "ui/FormOpen.h"
#include "ui/FormSaveOptions.h"
#include "ui/Icons.h"
#include "ui/SpriteView.h"
#include "ui/WidenCombos.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QCheckBox>
#include <QDir>
#include <QHelpEvent>
#include <QPointer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace vantrel::test {

namespace {

bool SameIcon(const QIcon& a, const QIcon& b) { return a.cacheKey() == b.cacheKey(); }

QStringList ComboCaptions(const QComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

QString Native(QString path) { return path.replace('/', QChar(PathSeparator)); }

} // namespace

TEST_F(MainWindowTest, StartsWithoutASprite)
{
    TFrmMain& main = Window();
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0");
    EXPECT_EQ(main.FrameLabel->text(), "000/000");
    EXPECT_EQ(main.size(), QSize(1142, 656));
    EXPECT_FALSE(main.CurrentSHP);
    EXPECT_FALSE(main.SHPImage->isVisible());
    EXPECT_FALSE(main.AnimateTimer->isActive());
    EXPECT_EQ(main.AnimateTimer->interval(), 200);

    EXPECT_TRUE(main.OpenButton->isEnabled());
    for (QToolButton* b : {main.NewButton, main.SaveButton, main.SaveAsButton, main.FakeLevelBackgroundButton,
                           main.OriginalSizeButton, main.ZoomOutButton, main.ZoomInButton,
                           main.TransparentShadowsButton, main.DrawShadowsButton, main.PaletteOverlayButton,
                           main.ColourSwitchButton})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    for (QAction* a : {main.Open1, main.SpriteMap2, main.Exit1, main.DebugSHPsFolder1,
                       main.DebugSHPsFolderIgnoreBoringFrames1, main.MakeTestSHP1, main.MakeHighFrameTest1})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    EXPECT_TRUE(main.Import1->menuAction()->isEnabled());
    for (QAction* a : {main.New1, main.Save1, main.SaveAs1})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_FALSE(main.Export1->menuAction()->isEnabled());
    EXPECT_FALSE(main.ZeroTest1->isVisible());

    for (QWidget* w : main.LeftPanel->findChildren<QWidget*>())
        EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
    EXPECT_TRUE(main.StopButton->isChecked());
    EXPECT_FALSE(main.PlayButton->isChecked());
    EXPECT_TRUE(main.GameTDButton->isChecked());
    EXPECT_EQ(main.TypeBox->count(), 7);
    EXPECT_EQ(main.TypeBox->itemText(3), "Building (IsoTemperate)");
    EXPECT_EQ(main.TypeBox->currentIndex(), -1);
    EXPECT_EQ(main.PaletteCombo->currentIndex(), -1);
    EXPECT_EQ(main.AmbientBar->minimum(), -50);
    EXPECT_EQ(main.AmbientBar->maximum(), 50);
    EXPECT_EQ(main.AmbientBar->value(), 0);
}

TEST_F(MainWindowTest, GreyGridAndCheckerBackdropAtStart)
{
    TFrmMain& main = Window();
    const QImage grid = main.PaletteImg->Picture();
    EXPECT_EQ(grid.pixelColor(12 + 3, 12 + 3), Grey(17)); // index 17 at column 1, row 1
    EXPECT_EQ(grid.pixelColor(180, 180), Grey(255));
    EXPECT_EQ(main.BackgroundImage->size(), QSize(256, 256));
    EXPECT_EQ(main.ViewArea->size(), QSize(256, 256));
    EXPECT_EQ(PixelAt(main.BackgroundImage, 0, 0), Grey(200));
    EXPECT_EQ(PixelAt(main.BackgroundImage, 8, 0), Grey(250));
    EXPECT_EQ(PixelAt(main.BackgroundImage, 8, 8), Grey(200));
    EXPECT_EQ(PixelAt(main.BackgroundImage, 255, 255), Grey(200));
    EXPECT_TRUE(main.PrevBGImage->isVisible());
    EXPECT_EQ(main.PrevBGImage->Picture().size(), QSize(128, 128));
}

TEST_F(MainWindowTest, LeftPanelKeepsItsLayout)
{
    TFrmMain& main = Window();
    EXPECT_EQ(main.LeftPanel->width(), 196);
    EXPECT_EQ(main.ToolBar->height(), 29);
    EXPECT_EQ(main.OpenButton->size(), QSize(23, 22));
    EXPECT_EQ(main.FrameLabel->geometry(), QRect(44, 2, 109, 13));
    EXPECT_EQ(main.PreviewPanel->geometry(), QRect(49, 18, 98, 98));
    EXPECT_EQ(main.TrackBar->geometry(), QRect(29, 124, 138, 25));
    EXPECT_EQ(main.PalettePanel->geometry(), QRect(1, 176, 194, 194));
    EXPECT_EQ(main.PaletteOverlay->geometry(), main.PaletteImg->geometry());
    EXPECT_EQ(main.LeftColPanel->geometry(), QRect(1, 370, 97, 12));
    EXPECT_EQ(main.RightColPanel->geometry(), QRect(98, 370, 97, 12));
    EXPECT_EQ(main.AmbientBar->geometry(), QRect(2, 456, 167, 25));
    EXPECT_EQ(main.PaletteCombo->geometry().topLeft(), QPoint(2, 152));
    EXPECT_EQ(main.PaletteCombo->width(), 192);
    EXPECT_FALSE(main.RadarCol->isVisible());

    main.resize(1400, 800);
    QApplication::processEvents();
    EXPECT_EQ(main.LeftPanel->width(), 196);
    EXPECT_EQ(main.ToolBar->height(), 29);
    EXPECT_GT(main.ScrollBox->width(), 1100);
}

TEST_F(MainWindowTest, ToolBarHintsAndMenus)
{
    TFrmMain& main = Window();
    EXPECT_TRUE(main.OpenButton->toolTip().isEmpty());
    EXPECT_EQ(main.FakeLevelBackgroundButton->toolTip(), "Draw Background - Right Click for Settings");
    EXPECT_EQ(main.PaletteOverlayButton->toolTip(), "Palette Overlay - Right Click for Settings");
    EXPECT_EQ(main.ColourSwitchButton->toolTip(), "Colour Switcher");
    EXPECT_TRUE(main.FakeLevelBackgroundButton->isCheckable());
    EXPECT_FALSE(main.OriginalSizeButton->isCheckable());

    QStringList menus;
    for (QAction* a : main.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList({"File", "Edit", "View", "Debug", "Test"}));
    EXPECT_TRUE(main.Test1->actions().isEmpty());
    EXPECT_EQ(main.AnimatePopupMenu->actions().size(), 12);
    EXPECT_EQ(main.AnimatePopupMenu->actions()[8]->text(), "5 FPS (200ms)");
    EXPECT_TRUE(main.AnimatePopupMenu->actions()[8]->isChecked());
    EXPECT_EQ(main.PalOverPopupMenu->actions()[0]->text(), "Used Colours (Single Frame)");
    EXPECT_TRUE(main.PalOverPopupMenu->actions()[0]->isChecked());
}

TEST_F(MainWindowTest, ToolTipsStayFiveSeconds)
{
    TFrmMain& main = Window();
    QHelpEvent hint(QEvent::ToolTip, QPoint(2, 2), main.ZoomInButton->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(main.ZoomInButton, &hint);
    EXPECT_EQ(main.ZoomInButton->toolTipDuration(), 5000);
}

TEST_F(MainWindowTest, PaletteListWalksFoldersDepthFirstWithIcons)
{
    TFrmMain& main = Window();
    const QStringList expected = {"direct.pal",        Native("RA1/temperat.PAL"), Native("RA2/unittem.pal"),
                                  Native("TD/temperat.pal"), Native("TS/unittem.pal"),   Native("User/a.pal"),
                                  Native("User/sub/mine.pal")};
    EXPECT_EQ(ComboCaptions(main.PaletteCombo), expected);
    const int icons[] = {-1, 5, 7, 4, 6, 8, 8};
    for (int i = 0; i < main.PaletteCombo->count(); ++i) {
        if (icons[i] < 0)
            EXPECT_TRUE(main.PaletteCombo->itemIcon(i).isNull()) << i;
        else
            EXPECT_TRUE(SameIcon(main.PaletteCombo->itemIcon(i), MainIcons()[icons[i]])) << i;
    }
}

TEST(PaletteIconRule, ComparesTheUpperCasedStart)
{
    const QString sep(QChar{PathSeparator});
    EXPECT_EQ(PaletteIconIndex("td" + sep + "x.pal"), 4);
    EXPECT_EQ(PaletteIconIndex("ra1" + sep + "x.pal"), 5);
    EXPECT_EQ(PaletteIconIndex("Ts" + sep + "x.pal"), 6);
    EXPECT_EQ(PaletteIconIndex("RA2x" + sep + "x.pal"), 7);
    EXPECT_EQ(PaletteIconIndex("users" + sep + "x.pal"), 8);
    EXPECT_EQ(PaletteIconIndex("TSX" + sep + "x.pal"), -1);
    EXPECT_EQ(PaletteIconIndex("x.pal"), -1);
    EXPECT_EQ(PaletteIconIndex(""), -1);
}

TEST(PaletteList, MissingFolderGivesNoEntriesAndLongPathsAreCut)
{
    QTemporaryDir folder;
    EXPECT_TRUE(ListPaletteFiles(folder.filePath("none")).isEmpty());
    const QString deep = QString("d").repeated(120);
    WriteTestPalette(folder.filePath(deep + "/" + deep + "/" + deep + ".pal"), 1);
    const QStringList list = ListPaletteFiles(folder.path());
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].size(), 255);
}

TEST_F(MainWindowTest, BackgroundMenuListsPicturesWithIcons)
{
    TFrmMain& main = Window();
    QStringList captions;
    QList<int> icons;
    for (QAction* item : main.BGPopupMenu->actions()) {
        captions << item->data().toString();
        for (int k = 0; k < MainIcons().size(); ++k)
            if (SameIcon(item->icon(), MainIcons()[k]))
                icons << k;
    }
    EXPECT_EQ(captions, QStringList({"RA1-Snow", "RA2-Desert", "RAx", "td-lower", "TS-Temperate"}));
    EXPECT_EQ(icons, QList<int>({5, 7, 8, 8, 6}));
    EXPECT_EQ(BackgroundIconIndex("TD-x"), 4);
    EXPECT_EQ(BackgroundIconIndex("RA"), 8);
}

TEST_F(MainWindowTest, MenuCaptionsShowAmpersandsAsTheyStand)
{
    WriteSolidPicture(DataPath("Backgrounds/Sand & Sea.png"), Qt::yellow);
    TFrmMain& main = Window();
    QAction* item = nullptr;
    for (QAction* a : main.BGPopupMenu->actions())
        if (a->data().toString() == "Sand & Sea")
            item = a;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "Sand && Sea");
}

TEST_F(MainWindowTest, MissingDataFoldersLeaveEmptyListsAndStartUpGoesOn)
{
    QDir(DataPath("palette")).removeRecursively();
    QDir(DataPath("Backgrounds")).removeRecursively();
    TFrmMain& main = Window();
    EXPECT_EQ(main.PaletteCombo->count(), 0);
    EXPECT_TRUE(main.BGPopupMenu->actions().isEmpty());
    EXPECT_TRUE(main.BackgroundPicture.isNull());
    EXPECT_EQ(main.FrameLabel->text(), "000/000");
}

TEST_F(MainWindowTest, UnreadableBackgroundGivesAnEmptyPicture)
{
    WriteBytes(DataPath("Backgrounds/TS-Temperate.png"), {'n', 'o', 't', ' ', 'p', 'n', 'g'});
    TFrmMain& main = Window();
    EXPECT_TRUE(main.BackgroundPicture.isNull());
}

TEST_F(MainWindowTest, CreatesTheOtherWindowsOnceAsItsChildren)
{
    TFrmMain& main = Window();
    ASSERT_NE(main.FrmOpen, nullptr);
    ASSERT_NE(main.FrmSaveOptions, nullptr);
    ASSERT_NE(main.FrmExport_SpriteMap, nullptr);
    ASSERT_NE(main.FrmImport_SpriteMap, nullptr);
    ASSERT_NE(main.FrmColourSwitcher, nullptr);
    for (QWidget* w : std::initializer_list<QWidget*>{main.FrmOpen, main.FrmSaveOptions, main.FrmExport_SpriteMap,
                                                      main.FrmImport_SpriteMap, main.FrmColourSwitcher}) {
        EXPECT_EQ(w->parent(), &main);
        EXPECT_FALSE(w->isVisible());
    }
    EXPECT_EQ(main.FrmOpen->windowTitle(), "Open Dialog");
    EXPECT_EQ(main.FrmSaveOptions->windowTitle(), "Save Options");
    EXPECT_EQ(main.FrmSaveOptions->size(), QSize(531, 248));
    EXPECT_EQ(main.FrmExport_SpriteMap->windowTitle(), "Export - Sprite Map");
    EXPECT_EQ(main.FrmExport_SpriteMap->size(), QSize(712, 508));
    EXPECT_EQ(main.FrmImport_SpriteMap->windowTitle(), "Import - Sprite Map");
    EXPECT_EQ(main.FrmImport_SpriteMap->size(), QSize(456, 347));
    EXPECT_EQ(main.FrmImport_SpriteMap->FrameWidth->text(), "0000");
    EXPECT_EQ(main.FrmColourSwitcher->windowTitle(), "Colour Switcher");
    EXPECT_EQ(main.FrmColourSwitcher->size(), QSize(656, 510));
    EXPECT_FALSE(main.FrmColourSwitcher->OkButton->isEnabled());
    EXPECT_EQ(main.FrmColourSwitcher->CategoryCombo->count(), 20);
    EXPECT_EQ(main.FrmColourSwitcher->CategoryCombo->currentText(), "All");
    EXPECT_EQ(main.FrmSaveOptions->ForceFlagsGroup->findChildren<QCheckBox*>().size(), 15);
    EXPECT_FALSE(main.FrmSaveOptions->ForceFlagsGroup->isVisibleTo(main.FrmSaveOptions));

    QPointer<QWidget> open = main.FrmOpen;
    Main.reset();
    EXPECT_TRUE(open.isNull());
}

TEST_F(MainWindowTest, ExitClosesTheWindow)
{
    TFrmMain& main = Window();
    main.Exit1->trigger();
    EXPECT_FALSE(main.isVisible());
}

} // namespace vantrel::test
