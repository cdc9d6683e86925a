// Showing a sprite: the test sprites, the frame counter, stepping, the track bar, animation,
// zoom, picking colours on the view and the pixels the view shows.
#include "UiTestSupport.h"

#include "sprite/TestSprite.h"
#include "ui/SpriteView.h"
#include "ui/WidenCombos.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace vantrel::test {

namespace {

// The colour of view pixel (x, y) of the test sprite's frame 0 at scale 4 with the TS unit
// palette: sprite pixel (x / 4, y / 4) holds index (x / 16) * 16 + y / 16.
QColor TestSpriteViewColour(int x, int y) { return ToQColor(TestPaletteColour(SeedTSUnit, (x / 16) * 16 + y / 16)); }

// Light checker grey at view pixel (x, y).
int CheckerGrey(int x, int y) { return ((x / 8) + (y / 8)) % 2 ? 250 : 200; }

} // namespace

TEST_F(MainWindowTest, TestSpriteIsShownAsATSUnitAtScaleFour)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    ASSERT_TRUE(main.CurrentSHP);
    EXPECT_EQ(main.CurrentSHP->FrameCount(), 344);
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [unknown.shp*] 64x64");
    EXPECT_EQ(main.FrameLabel->text(), "000/343");
    EXPECT_TRUE(main.GameTSButton->isChecked());
    EXPECT_EQ(main.TypeBox->currentText(), "Unit");
    EXPECT_EQ(main.PaletteCombo->currentText(), QString("TS%1unittem.pal").arg(QChar(PathSeparator)));
    EXPECT_FALSE(main.UserPaletteChosen);
    EXPECT_EQ(main.ZoomLevel, 2);
    EXPECT_EQ(main.SHPImage->size(), QSize(256, 256));
    EXPECT_TRUE(main.SHPImage->isVisible());
    EXPECT_EQ(main.TrackBar->maximum(), 343);
    EXPECT_EQ(main.SelectedIndices, (std::array<int, 2>{32, 0}));

    EXPECT_TRUE(main.SaveAsButton->isEnabled());
    EXPECT_TRUE(main.SaveAs1->isEnabled());
    EXPECT_FALSE(main.SaveButton->isEnabled());
    EXPECT_FALSE(main.Save1->isEnabled());
    EXPECT_FALSE(main.NewButton->isEnabled());
    EXPECT_TRUE(main.Export1->menuAction()->isEnabled());
    for (QToolButton* b : {main.OriginalSizeButton, main.ZoomOutButton, main.ZoomInButton,
                           main.FakeLevelBackgroundButton, main.TransparentShadowsButton, main.DrawShadowsButton,
                           main.PaletteOverlayButton, main.ColourSwitchButton})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    for (QWidget* w : main.LeftPanel->findChildren<QWidget*>())
        EXPECT_TRUE(w->isEnabled()) << w->metaObject()->className();
}

TEST_F(MainWindowTest, ViewShowsTheFrameOverTheCheckerboardPixelForPixel)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    const QImage view = Grab(main.SHPImage);
    ASSERT_EQ(view.size(), QSize(256, 256));
    for (QPoint p : {QPoint(16, 0), QPoint(19, 3), QPoint(20, 4), QPoint(100, 37), QPoint(255, 255), QPoint(0, 16)})
        EXPECT_EQ(view.pixelColor(p), TestSpriteViewColour(p.x(), p.y())) << p.x() << "," << p.y();
    // Index 0 (the top-left 4 x 4 sprite pixels) is transparent: the checkerboard shows.
    for (QPoint p : {QPoint(0, 0), QPoint(8, 0), QPoint(9, 9), QPoint(15, 7)})
        EXPECT_EQ(view.pixelColor(p), Grey(CheckerGrey(p.x(), p.y()))) << p.x() << "," << p.y();
    // The preview shows the same picture.
    EXPECT_EQ(main.PreviewImage->Picture().size(), QSize(64, 64));
    EXPECT_EQ(main.PreviewImage->Picture().pixelColor(8, 8), TestSpriteViewColour(32, 32));
}

TEST_F(MainWindowTest, FrameCounterPadsToTheDigitsOfTheLastIndex)
{
    Show(MakeTestSprite(120));
    TFrmMain& main = *Main;
    main.TrackBar->setValue(7);
    EXPECT_EQ(main.CurrentFrame, 7);
    EXPECT_EQ(main.FrameLabel->text(), "007/119");

    Show(MakeTestSprite(5));
    main.TrackBar->setValue(2);
    EXPECT_EQ(main.FrameLabel->text(), "2/4");

    Show(MakeTestSprite(1));
    EXPECT_EQ(main.FrameLabel->text(), "0/0");
    main.NextFrameButton->click();
    EXPECT_EQ(main.CurrentFrame, 0);
    main.PrevFrameButton->click();
    EXPECT_EQ(main.FrameLabel->text(), "0/0");

    EXPECT_EQ(FrameCounterText(42, 1000), "042/999");
    EXPECT_EQ(FrameCounterText(42, 1001), "0042/1000");
}

TEST_F(MainWindowTest, SteppingWrapsAroundAndMovesTheTrackBar)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    main.PrevFrameButton->click();
    EXPECT_EQ(main.CurrentFrame, 343);
    EXPECT_EQ(main.TrackBar->value(), 343);
    EXPECT_EQ(main.FrameLabel->text(), "343/343");
    main.NextFrameButton->click();
    EXPECT_EQ(main.CurrentFrame, 0);
    EXPECT_EQ(main.TrackBar->value(), 0);
    main.NextFrameButton->click();
    EXPECT_EQ(main.FrameLabel->text(), "001/343");
    // The view draws from the indices: no frame holds render caches.
    EXPECT_FALSE(main.CurrentSHP->GetFrame(0).RGBCache);
    EXPECT_FALSE(main.CurrentSHP->GetFrame(1).RGBCache);
}

TEST_F(MainWindowTest, ArrowKeysStepFramesOnlyWithASprite)
{
    TFrmMain& main = Window();
    QTest::keyClick(&main, Qt::Key_Right);
    EXPECT_EQ(main.FrameLabel->text(), "000/000");
    main.MakeTestSHP1->trigger();
    QTest::keyClick(&main, Qt::Key_Right);
    EXPECT_EQ(main.CurrentFrame, 1);
    QTest::keyClick(&main, Qt::Key_Left);
    QTest::keyClick(&main, Qt::Key_Left);
    EXPECT_EQ(main.CurrentFrame, 343);
}

TEST_F(MainWindowTest, AnimationLoopsOverTheFirstHalfWhileShadowsAreDrawn)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    main.TrackBar->setValue(171);
    main.DrawShadowsButton->click();
    ASSERT_TRUE(main.DrawShadowsButton->isChecked());
    main.AnimateTimerTimer();
    EXPECT_EQ(main.CurrentFrame, 0);

    main.DrawShadowsButton->click();
    main.TrackBar->setValue(171);
    main.AnimateTimerTimer();
    EXPECT_EQ(main.CurrentFrame, 172);
    main.TrackBar->setValue(343);
    main.AnimateTimerTimer();
    EXPECT_EQ(main.CurrentFrame, 0);
}

TEST_F(MainWindowTest, AnimationOfASpriteWithoutShadowFramesRunsOverAllFrames)
{
    Show(BlankSprite(16, 4, 4, TSHPGame::TS, TSHPType::Animation));
    TFrmMain& main = *Main;
    main.DrawShadowsButton->click();
    main.TrackBar->setValue(7);
    main.AnimateTimerTimer();
    EXPECT_EQ(main.CurrentFrame, 8);
}

TEST_F(MainWindowTest, StopReturnsToTheFrameShownWhenPlayWasPressed)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    main.TrackBar->setValue(5);
    main.PlayButton->click();
    EXPECT_TRUE(main.AnimateTimer->isActive());
    EXPECT_TRUE(main.PlayButton->isChecked());
    EXPECT_FALSE(main.StopButton->isChecked());
    for (int i = 0; i < 3; ++i)
        main.AnimateTimerTimer();
    EXPECT_EQ(main.CurrentFrame, 8);
    main.StopButton->click();
    EXPECT_FALSE(main.AnimateTimer->isActive());
    EXPECT_EQ(main.CurrentFrame, 5);
    EXPECT_TRUE(main.StopButton->isChecked());
}

TEST_F(MainWindowTest, SpaceStartsAndStopsTheAnimation)
{
    TFrmMain& main = Window();
    QTest::keyClick(&main, Qt::Key_Space);
    EXPECT_FALSE(main.AnimateTimer->isActive());
    main.MakeTestSHP1->trigger();
    QTest::keyClick(&main, Qt::Key_Space);
    EXPECT_TRUE(main.AnimateTimer->isActive());
    QTest::keyClick(&main, Qt::Key_Space);
    EXPECT_FALSE(main.AnimateTimer->isActive());
}

TEST_F(MainWindowTest, SpeedMenuSetsTheTimerInterval)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    QAction* fastest = main.AnimatePopupMenu->actions().last();
    EXPECT_EQ(fastest->text(), "40 FPS (25ms)");
    fastest->trigger();
    EXPECT_EQ(main.AnimateTimer->interval(), 25);
    EXPECT_TRUE(fastest->isChecked());
    EXPECT_FALSE(main.AnimatePopupMenu->actions()[8]->isChecked());
    main.AnimatePopupMenu->actions().first()->trigger();
    EXPECT_EQ(main.AnimateTimer->interval(), 1000);
}

TEST_F(MainWindowTest, ZoomStaysWithinItsLevels)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    EXPECT_TRUE(main.ZoomInButton->isEnabled());
    EXPECT_TRUE(main.ZoomOutButton->isEnabled());
    for (int i = 0; i < 8; ++i)
        main.ZoomInButton->click();
    EXPECT_EQ(main.ZoomLevel, 10);
    EXPECT_EQ(main.SHPImage->size(), QSize(64 * 20, 64 * 20));
    EXPECT_EQ(main.BackgroundImage->size(), QSize(64 * 20, 64 * 20));
    EXPECT_FALSE(main.ZoomInButton->isEnabled());
    QTest::keyClick(&main, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(main.ZoomLevel, 10);
    main.OriginalSizeButton->click();
    EXPECT_EQ(main.ZoomLevel, 0);
    EXPECT_EQ(main.SHPImage->size(), QSize(64, 64));
    EXPECT_FALSE(main.ZoomOutButton->isEnabled());
    EXPECT_TRUE(main.ZoomInButton->isEnabled());
    QTest::keyClick(&main, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(main.ZoomLevel, 1);
    QTest::keyClick(&main, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(main.ZoomLevel, 0);
    main.ZoomInButton->click();
    main.ZoomInButton->click();
    QTest::keyClick(&main, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(main.ZoomLevel, 0);
    // A new sprite starts at scale 4 again.
    AnswerQuestion(QMessageBox::Discard, [&] { main.MakeTestSHP1->trigger(); });
    EXPECT_EQ(main.ZoomLevel, 2);
    EXPECT_TRUE(main.ZoomOutButton->isEnabled());
}

TEST_F(MainWindowTest, ZoomedViewReplicatesPixels)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    main.ZoomInButton->click(); // scale 6
    const QImage view = Grab(main.SHPImage);
    // Sprite pixel (4, 0), index 16, covers view pixels 24..29 x 0..5.
    const QColor c16 = ToQColor(TestPaletteColour(SeedTSUnit, 16));
    EXPECT_EQ(view.pixelColor(24, 0), c16);
    EXPECT_EQ(view.pixelColor(29, 5), c16);
    // Sprite pixel (3, 3) is index 0: checker at the zoomed size.
    EXPECT_EQ(view.pixelColor(23, 23), Grey(CheckerGrey(23, 23)));
    EXPECT_EQ(view.pixelColor(16, 8), Grey(CheckerGrey(16, 8)));
}

TEST_F(MainWindowTest, ClickOnTheViewPicksThePixelUnderTheMouse)
{
    auto sprite = BlankSprite(2, 8, 8, TSHPGame::TS, TSHPType::Animation);
    SetPixel(*sprite, 0, 1, 2, 77);
    SetPixel(*sprite, 0, 5, 6, 99);
    Show(std::move(sprite));
    TFrmMain& main = *Main;
    ASSERT_EQ(ZoomScale(main.ZoomLevel), 4);
    QTest::mouseClick(main.SHPImage, Qt::LeftButton, {}, QPoint(7, 9));
    EXPECT_EQ(main.SelectedIndices[0], 77);
    QTest::mouseClick(main.SHPImage, Qt::RightButton, {}, QPoint(23, 27));
    EXPECT_EQ(main.SelectedIndices[1], 99);
    QTest::mouseClick(main.SHPImage, Qt::MiddleButton, {}, QPoint(0, 0));
    EXPECT_EQ(main.SelectedIndices, (std::array<int, 2>{77, 99}));
    EXPECT_TRUE(main.LeftColPanel->toolTip().startsWith("Index: 77 (0x4D)"));
}

TEST_F(MainWindowTest, TranslucentShadowsBlendOverTheCheckerboard)
{
    auto sprite = BlankSprite(2, 8, 8, TSHPGame::TS, TSHPType::Unit);
    SetPixel(*sprite, 0, 0, 0, 5);
    SetPixel(*sprite, 1, 1, 0, 9); // shadow of frame 0
    SetPixel(*sprite, 1, 0, 2, 9);
    Show(std::move(sprite));
    TFrmMain& main = *Main;
    main.TransparentShadowsButton->click();
    main.DrawShadowsButton->click();
    const QImage view = Grab(main.SHPImage);
    EXPECT_EQ(view.pixelColor(0, 0), ToQColor(TestPaletteColour(SeedTSUnit, 5)));
    // Sprite pixel (1, 0) at view x 4..7 over grey 200; (0, 2) at view y 8..11 over grey 250.
    EXPECT_EQ(view.pixelColor(4, 0), Grey((128 * 200 + 255) / 256));
    EXPECT_EQ(view.pixelColor(4, 0), Grey(100));
    EXPECT_EQ(view.pixelColor(0, 8), Grey((128 * 250 + 255) / 256));
    EXPECT_EQ(view.pixelColor(20, 20), Grey(CheckerGrey(20, 20)));

    // Without Draw Shadows frame 0 is shown alone.
    main.DrawShadowsButton->click();
    EXPECT_EQ(PixelAt(main.SHPImage, 4, 0), Grey(200));
    // Opaque shadows: the palette colour of the shadow pixel.
    main.DrawShadowsButton->click();
    main.TransparentShadowsButton->click();
    EXPECT_EQ(PixelAt(main.SHPImage, 4, 0), ToQColor(TestPaletteColour(SeedTSUnit, 9)));
}

TEST_F(MainWindowTest, BackgroundPictureIsTiledUnderTheSprite)
{
    auto sprite = BlankSprite(2, 8, 8, TSHPGame::TS, TSHPType::Unit);
    SetPixel(*sprite, 0, 0, 0, 5);
    SetPixel(*sprite, 1, 1, 0, 9);
    Show(std::move(sprite));
    TFrmMain& main = *Main;
    main.TransparentShadowsButton->click();
    main.DrawShadowsButton->click();
    main.FakeLevelBackgroundButton->click();
    ASSERT_TRUE(main.FakeLevelBackgroundButton->isChecked());
    EXPECT_TRUE(main.SHPImage->Opaque());
    const QImage view = Grab(main.SHPImage);
    EXPECT_EQ(view.pixelColor(0, 0), ToQColor(TestPaletteColour(SeedTSUnit, 5)));
    EXPECT_EQ(view.pixelColor(4, 0), Grey(100)); // shadow over background 200
    EXPECT_EQ(view.pixelColor(31, 31), BackgroundColour);
    EXPECT_EQ(view.pixelColor(8, 8), BackgroundColour);

    // Another picture from the menu; it does not press the button by itself.
    QAction* desert = nullptr;
    for (QAction* item : main.BGPopupMenu->actions())
        if (item->data().toString() == "RA2-Desert")
            desert = item;
    ASSERT_NE(desert, nullptr);
    desert->trigger();
    EXPECT_EQ(PixelAt(main.SHPImage, 31, 31), QColor(10, 20, 30));
    main.FakeLevelBackgroundButton->click();
    EXPECT_EQ(PixelAt(main.SHPImage, 31, 31), Grey(CheckerGrey(31, 31)));
    desert->trigger();
    EXPECT_FALSE(main.FakeLevelBackgroundButton->isChecked());
}

TEST_F(MainWindowTest, BackgroundTilesStartAtTheCanvasCorner)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::black);
    picture.setPixelColor(0, 0, QColor(255, 0, 0));
    ASSERT_TRUE(picture.save(DataPath("Backgrounds/TS-Temperate.png")));
    Show(BlankSprite(1, 8, 5, TSHPGame::TS, TSHPType::Animation));
    TFrmMain& main = *Main;
    main.OriginalSizeButton->click();
    main.FakeLevelBackgroundButton->click();
    const QImage view = Grab(main.SHPImage);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(view.pixelColor(x, y), (x % 3 == 0 && y % 2 == 0) ? QColor(255, 0, 0) : QColor(Qt::black))
                << x << "," << y;
}

TEST_F(MainWindowTest, WithoutABackgroundPictureDrawBackgroundShowsTheCheckerboard)
{
    QFile::remove(DataPath("Backgrounds/TS-Temperate.png"));
    auto sprite = BlankSprite(1, 8, 8, TSHPGame::TS, TSHPType::Animation);
    SetPixel(*sprite, 0, 0, 0, 5);
    Show(std::move(sprite));
    TFrmMain& main = *Main;
    main.FakeLevelBackgroundButton->click();
    const QImage view = Grab(main.SHPImage);
    EXPECT_EQ(view.pixelColor(0, 0), ToQColor(TestPaletteColour(SeedTSUnit, 5)));
    EXPECT_EQ(view.pixelColor(8, 0), Grey(250));
    EXPECT_EQ(view.pixelColor(16, 0), Grey(200));
}

TEST_F(MainWindowTest, EmptyCanvasShowsNothingButTheCounterMoves)
{
    Show(BlankSprite(3, 0, 0, TSHPGame::TS, TSHPType::Animation));
    TFrmMain& main = *Main;
    EXPECT_EQ(main.SHPImage->size(), QSize(0, 0));
    main.NextFrameButton->click();
    EXPECT_EQ(main.FrameLabel->text(), "1/2");
    main.FakeLevelBackgroundButton->click();
    EXPECT_EQ(main.FrameLabel->text(), "1/2");
}

TEST_F(MainWindowTest, TrackBarsNeverKeepTheFocus)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::mouseClick(main.TrackBar, Qt::LeftButton, {}, QPoint(100, 12));
    EXPECT_FALSE(main.TrackBar->hasFocus());
    QTest::mouseClick(main.AmbientBar, Qt::LeftButton, {}, QPoint(150, 12));
    EXPECT_FALSE(main.AmbientBar->hasFocus());
    main.TrackBar->setFocus();
    EXPECT_FALSE(main.TrackBar->hasFocus());
    EXPECT_EQ(main.TrackBar->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(main.AmbientBar->focusPolicy(), Qt::NoFocus);

    main.TypeBox->setFocus();
    ASSERT_TRUE(main.TypeBox->hasFocus());
    main.TypeBox->setCurrentIndex(0);
    EXPECT_FALSE(main.TypeBox->hasFocus());
}

} // namespace vantrel::test
