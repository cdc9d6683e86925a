// The palette view, overlay, selected colours and side colour; the palette list, game and type
// buttons and luminosity.
#include "UiTestSupport.h"

#include "ui/PaletteView.h"
#include "ui/SpriteView.h"
#include "ui/WidenCombos.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>

namespace vantrel::test {

namespace {

QColor GridColour(TFrmMain& main, int index)
{
    return main.PaletteImg->Picture().pixelColor(PaletteCellX(index) + 6, PaletteCellY(index) + 6);
}

QAction* MenuItem(QMenu* menu, const QString& name)
{
    for (QAction* item : menu->actions())
        if (item->objectName() == name)
            return item;
    return nullptr;
}

int ComboIndex(QComboBox* combo, const QString& caption)
{
    return combo->findText(QString(caption).replace('/', QChar(PathSeparator)));
}

// Whether the overlay masks the cell of index (checks a point inside the cell that no marker
// covers).
bool Masked(TFrmMain& main, int index)
{
    const QColor c = main.PaletteOverlay->Picture().pixelColor(PaletteCellX(index) + 2, PaletteCellY(index) + 3);
    return c.alpha() == 255 && c == Grey(25);
}

} // namespace

TEST(PaletteViewPictures, GridIsLaidOutByColumns)
{
    TPalette palette{};
    for (int i = 0; i < 256; ++i)
        palette[size_t(i)] = MakeColour(uint8_t(i), uint8_t(255 - i), uint8_t(i / 2));
    const QImage grid = PaletteGridImage(palette);
    EXPECT_EQ(grid.size(), QSize(192, 192));
    EXPECT_EQ(grid.pixelColor(12, 12), QColor(17, 238, 8));
    EXPECT_EQ(grid.pixelColor(23, 23), QColor(17, 238, 8));
    EXPECT_EQ(grid.pixelColor(180, 180), QColor(255, 0, 127));
    EXPECT_EQ(grid.pixelColor(0, 12), QColor(1, 254, 0));
    EXPECT_EQ(PaletteIndexAt(25, 40), 35);
}

TEST(PaletteViewPictures, MarkerColoursComeFromTheChannelSum)
{
    EXPECT_EQ(MarkerColour(MakeColour(255, 255, 255)), MakeColour(125, 2, 253));
    EXPECT_EQ(MarkerColour(MakeColour(0, 0, 0)), MakeColour(128, 255, 0));

    TPalette palette{};
    palette[17] = MakeColour(255, 255, 255);
    QImage overlay = EmptyPaletteOverlay();
    DrawIndexMarker(overlay, 17, true, palette);
    const QColor marker(125, 2, 253);
    EXPECT_EQ(overlay.pixelColor(12 + 5, 12 + 0), marker);  // vertical bar
    EXPECT_EQ(overlay.pixelColor(12 + 6, 12 + 11), marker);
    EXPECT_EQ(overlay.pixelColor(12 + 0, 12 + 5), marker);  // horizontal bar
    EXPECT_EQ(overlay.pixelColor(12 + 11, 12 + 6), marker);
    EXPECT_EQ(overlay.pixelColor(12 + 4, 12 + 4).alpha(), 0);
    EXPECT_EQ(overlay.pixelColor(12 + 7, 12 + 7).alpha(), 0);

    QImage outline = EmptyPaletteOverlay();
    DrawIndexMarker(outline, 0, false, palette); // black entry
    const QColor black(128, 255, 0);
    EXPECT_EQ(outline.pixelColor(0, 0), black);
    EXPECT_EQ(outline.pixelColor(11, 11), black);
    EXPECT_EQ(outline.pixelColor(1, 1), black);
    EXPECT_EQ(outline.pixelColor(10, 5), black);
    EXPECT_EQ(outline.pixelColor(2, 2).alpha(), 0);
    EXPECT_EQ(outline.pixelColor(12, 0).alpha(), 0);
}

TEST(PaletteViewPictures, ColourInfoTextNamesIndexAndChannels)
{
    TPalette palette{};
    palette[32] = MakeColour(10, 20, 30);
    EXPECT_EQ(ColourInfoText(32, palette), "Index: 32 (0x20)\nRGB: (10,20,30)");
    EXPECT_EQ(ColourInfoText(0, palette), "Index: 0 (0x00)\nRGB: (0,0,0)");
    EXPECT_EQ(ColourInfoText(255, palette), "Index: 255 (0xFF)\nRGB: (0,0,0)");
}

TEST_F(MainWindowTest, ShownSpriteFillsGridPanelsAndMarkers)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    EXPECT_EQ(GridColour(main, 33), ToQColor(TestPaletteColour(SeedTSUnit, 33)));
    EXPECT_EQ(GridColour(main, 0), QColor(1, 2, 255)); // index 0 shows the transparent colour
    EXPECT_EQ(main.LeftColPanel->Colour(), ToQColor(TestPaletteColour(SeedTSUnit, 32)));
    EXPECT_EQ(main.RightColPanel->Colour(), QColor(1, 2, 255));
    EXPECT_TRUE(main.LeftColPanel->toolTip().startsWith("Index: 32 (0x20)"));
    EXPECT_TRUE(main.RightColPanel->toolTip().startsWith("Index: 0 (0x00)"));

    const QImage overlay = main.PaletteOverlay->Picture();
    const TColour24 left = MarkerColour(TestPaletteColour(SeedTSUnit, 32));
    EXPECT_EQ(overlay.pixelColor(PaletteCellX(32) + 5, 0), ToQColor(left));
    EXPECT_EQ(overlay.pixelColor(0, 0), QColor(130, 253, 2)); // outline over (1, 2, 255)
    // The grid shows through the overlay where nothing is drawn.
    EXPECT_EQ(PixelAt(main.PalettePanel, 1 + 4, 1 + 4), QColor(1, 2, 255));
    EXPECT_EQ(PixelAt(main.PalettePanel, 1 + 0, 1 + 0), QColor(130, 253, 2));
}

TEST_F(MainWindowTest, ClicksOnTheGridSelectColours)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    QTest::mouseClick(main.PaletteOverlay, Qt::LeftButton, {}, QPoint(25, 40));
    EXPECT_EQ(main.SelectedIndices[0], 35);
    EXPECT_EQ(main.LeftColPanel->Colour(), ToQColor(TestPaletteColour(SeedTSUnit, 35)));
    QTest::mouseClick(main.PaletteOverlay, Qt::RightButton, {}, QPoint(191, 191));
    EXPECT_EQ(main.SelectedIndices[1], 255);
    EXPECT_TRUE(main.RightColPanel->toolTip().startsWith("Index: 255 (0xFF)"));
    QTest::mouseClick(main.PaletteOverlay, Qt::MiddleButton, {}, QPoint(0, 0));
    EXPECT_EQ(main.SelectedIndices, (std::array<int, 2>{35, 255}));
    // A new sprite starts with 32 and 0 again.
    AnswerQuestion(QMessageBox::Discard, [&] { main.MakeTestSHP1->trigger(); });
    EXPECT_EQ(main.SelectedIndices, (std::array<int, 2>{32, 0}));
}

TEST_F(MainWindowTest, OverlayMasksUsedOrUnusedColours)
{
    auto sprite = BlankSprite(2, 4, 4, TSHPGame::TS, TSHPType::Animation);
    SetPixel(*sprite, 0, 1, 0, 1);
    SetPixel(*sprite, 0, 2, 0, 5);
    SetPixel(*sprite, 1, 0, 0, 9);
    Show(std::move(sprite));
    TFrmMain& main = *Main;
    EXPECT_FALSE(Masked(main, 2)); // button up: markers only
    main.PaletteOverlayButton->click();
    for (int i : {0, 1, 5})
        EXPECT_FALSE(Masked(main, i)) << i;
    for (int i : {2, 9, 100, 255})
        EXPECT_TRUE(Masked(main, i)) << i;

    MenuItem(main.PalOverPopupMenu, "UsedColoursAllFrames1")->trigger();
    EXPECT_EQ(main.OverlayMode, 1);
    EXPECT_FALSE(Masked(main, 9));
    EXPECT_TRUE(Masked(main, 2));

    MenuItem(main.PalOverPopupMenu, "UnUsedColoursSingleFrame1")->trigger();
    for (int i : {0, 1, 5})
        EXPECT_TRUE(Masked(main, i)) << i;
    EXPECT_FALSE(Masked(main, 9));

    MenuItem(main.PalOverPopupMenu, "UnUsedColoursAllFrames1")->trigger();
    EXPECT_TRUE(Masked(main, 9));
    EXPECT_FALSE(Masked(main, 2));

    // The single-frame mask follows the frame.
    MenuItem(main.PalOverPopupMenu, "UsedColoursSingleFrame1")->trigger();
    main.NextFrameButton->click();
    EXPECT_FALSE(Masked(main, 9));
    EXPECT_TRUE(Masked(main, 5));

    main.PaletteOverlayButton->click();
    EXPECT_FALSE(Masked(main, 5));
}

TEST_F(MainWindowTest, SideColoursRecolourTheRemapEntries)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    MenuItem(main.SideColPopup, "Gold1")->trigger();
    EXPECT_TRUE(main.CurrentSHP->UseSideColour);
    EXPECT_EQ(main.SideColPanel->Colour(), QColor(245, 214, 120));
    EXPECT_EQ(GridColour(main, 16), QColor(245, 214, 120));
    EXPECT_EQ(GridColour(main, 17), QColor(245 * 16 / 17, 214 * 16 / 17, 120 * 16 / 17));
    EXPECT_EQ(GridColour(main, 31), QColor(245 * 2 / 17, 214 * 2 / 17, 120 * 2 / 17));
    EXPECT_EQ(GridColour(main, 32), ToQColor(TestPaletteColour(SeedTSUnit, 32)));
    // In the frame: index 16 at sprite (4, 0), index 17 at sprite (4, 4); scale 4.
    const QImage view = Grab(main.SHPImage);
    EXPECT_EQ(view.pixelColor(20, 4), QColor(245, 214, 120));
    EXPECT_EQ(view.pixelColor(20, 20), QColor(230, 201, 112));

    MenuItem(main.SideColPopup, "None1")->trigger();
    EXPECT_FALSE(main.CurrentSHP->UseSideColour);
    EXPECT_EQ(GridColour(main, 16), ToQColor(TestPaletteColour(SeedTSUnit, 16)));
    EXPECT_EQ(PixelAt(main.SHPImage, 20, 4), ToQColor(TestPaletteColour(SeedTSUnit, 16)));
    EXPECT_EQ(main.SideColPanel->Colour(), main.palette().color(QPalette::Button));
}

TEST_F(MainWindowTest, CustomSideColourThroughTheColourChooser)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    // Pure red is already the sprite's side colour: nothing changes, the remap stays off.
    EXPECT_TRUE(AnswerColourDialog(QColor(255, 0, 0), [&] { MenuItem(main.SideColPopup, "Custom1")->trigger(); }));
    EXPECT_FALSE(main.CurrentSHP->UseSideColour);
    EXPECT_TRUE(AnswerColourDialog(QColor(0, 34, 68), [&] { MenuItem(main.SideColPopup, "Custom1")->trigger(); }));
    EXPECT_TRUE(main.CurrentSHP->UseSideColour);
    EXPECT_EQ(GridColour(main, 16), QColor(0, 34, 68));
    EXPECT_TRUE(AnswerColourDialog(QColor(), [&] { MenuItem(main.SideColPopup, "Custom1")->trigger(); }));
    EXPECT_EQ(GridColour(main, 16), QColor(0, 34, 68));
    // A newly shown sprite starts without side colour.
    AnswerQuestion(QMessageBox::Discard, [&] { main.MakeTestSHP1->trigger(); });
    EXPECT_FALSE(main.CurrentSHP->UseSideColour);
}

TEST_F(MainWindowTest, LuminosityRedrawsAndResets)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    const QColor before = GridColour(main, 100);
    const QColor pixelBefore = PixelAt(main.SHPImage, 100, 100);
    main.AmbientBar->setValue(30);
    EXPECT_EQ(main.CurrentSHP->Luminosity, 30);
    EXPECT_GT(GridColour(main, 100).lightness(), before.lightness());
    EXPECT_NE(PixelAt(main.SHPImage, 100, 100), pixelBefore);
    EXPECT_EQ(main.LeftColPanel->Colour(), GridColour(main, 32));

    main.AmbientResetButton->click();
    EXPECT_EQ(main.AmbientBar->value(), 0);
    EXPECT_EQ(main.CurrentSHP->Luminosity, 0);
    EXPECT_EQ(GridColour(main, 100), before);
    EXPECT_EQ(PixelAt(main.SHPImage, 100, 100), pixelBefore);

    // The bar's value is applied to the next sprite shown.
    main.AmbientBar->setValue(-10);
    AnswerQuestion(QMessageBox::Discard, [&] { main.MakeTestSHP1->trigger(); });
    EXPECT_EQ(main.CurrentSHP->Luminosity, -10);
}

TEST_F(MainWindowTest, PaletteChosenByHandStaysThroughGameChanges)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    main.GameRA2Button->click();
    EXPECT_EQ(main.CurrentSHP->Game, TSHPGame::RA2);
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedRA2Unit, 40)));
    EXPECT_EQ(main.PaletteCombo->currentIndex(), ComboIndex(main.PaletteCombo, "RA2/unittem.pal"));

    const std::string nameBefore = main.CurrentSHP->PaletteName;
    main.PaletteCombo->setCurrentIndex(ComboIndex(main.PaletteCombo, "User/a.pal"));
    EXPECT_TRUE(main.UserPaletteChosen);
    EXPECT_EQ(main.CurrentSHP->PaletteName, nameBefore);
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedUser, 40)));
    EXPECT_EQ(PixelAt(main.SHPImage, 20, 4), ToQColor(TestPaletteColour(SeedUser, 16)));

    main.GameTSButton->click();
    EXPECT_EQ(main.CurrentSHP->Game, TSHPGame::TS);
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedUser, 40)));
    main.TypeBox->setCurrentIndex(int(TSHPType::Building));
    EXPECT_EQ(main.CurrentSHP->SHPType, TSHPType::Building);
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedUser, 40)));

    // Showing another sprite whose palette is in the list clears the hand-picked state.
    AnswerQuestion(QMessageBox::Discard, [&] { main.MakeTestSHP1->trigger(); });
    EXPECT_FALSE(main.UserPaletteChosen);
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedTSUnit, 40)));
}

// The two selected colours and their hints follow every change of the palette in use.
TEST_F(MainWindowTest, ColourPanelsFollowThePaletteInUse)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    QTest::mouseClick(main.PaletteOverlay, Qt::LeftButton, {}, QPoint(18, 54)); // index 20
    ASSERT_EQ(main.SelectedIndices[0], 20);
    auto expectPanels = [&main](int seed) {
        const TColour24 left = TestPaletteColour(seed, 20);
        EXPECT_EQ(main.LeftColPanel->Colour(), ToQColor(left));
        EXPECT_TRUE(main.LeftColPanel->toolTip().endsWith(QString("RGB: (%1,%2,%3)").arg(left.R).arg(left.G).arg(left.B)))
            << main.LeftColPanel->toolTip().toStdString();
    };
    main.PaletteCombo->setCurrentIndex(ComboIndex(main.PaletteCombo, "TD/temperat.pal"));
    expectPanels(SeedTD);

    AnswerQuestion(QMessageBox::Discard, [&] { main.MakeTestSHP1->trigger(); });
    QTest::mouseClick(main.PaletteOverlay, Qt::LeftButton, {}, QPoint(18, 54));
    main.GameRA2Button->click(); // reloads the default palette
    expectPanels(SeedRA2Unit);
}

// A palette the file carries is the first entry of the palette box, selected while in use: the
// user can leave it and come back to it, and game changes keep it.
TEST_F(MainWindowTest, TheFilesOwnPaletteIsAnEntryOfThePaletteBox)
{
    TTrailer trailer;
    for (int i = 0; i < 256; ++i)
        trailer.Palette[size_t(i)] = MakeColour(uint8_t(i), 7, uint8_t(255 - i));
    trailer.Type = uint8_t(TSHPType::Unit);
    const QString path = DataPath("own.shp");
    WriteBytes(path, TSFileBytes(2, 2, {std::vector<uint8_t>(4, 40)}, &trailer));
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    EXPECT_EQ(main.PaletteCombo->currentIndex(), 0);
    EXPECT_EQ(main.PaletteCombo->currentText(), "Own palette (own.shp)");
    EXPECT_EQ(GridColour(main, 40), QColor(40, 7, 215));

    main.PaletteCombo->setCurrentIndex(ComboIndex(main.PaletteCombo, "User/a.pal"));
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedUser, 40)));
    main.PaletteCombo->setCurrentIndex(0);
    EXPECT_EQ(GridColour(main, 40), QColor(40, 7, 215));
    EXPECT_EQ(PixelAt(main.SHPImage, 0, 0), QColor(40, 7, 215));
    main.GameRA2Button->click();
    EXPECT_EQ(main.PaletteCombo->currentIndex(), 0);
    EXPECT_EQ(GridColour(main, 40), QColor(40, 7, 215));

    // A sprite without a palette of its own: the entry goes.
    main.MakeTestSHP1->trigger();
    EXPECT_EQ(main.PaletteCombo->findText("Own palette (own.shp)"), -1);
    EXPECT_EQ(main.PaletteCombo->currentIndex(), ComboIndex(main.PaletteCombo, "TS/unittem.pal"));
}

TEST_F(MainWindowTest, MissingDefaultPaletteKeepsTheListSelection)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    const int selected = main.PaletteCombo->currentIndex();
    // TS Animation wants anim.pal, which is missing: unittem.pal is used and no entry matches.
    main.TypeBox->setCurrentIndex(int(TSHPType::Animation));
    EXPECT_TRUE(main.CurrentSHP->PaletteName.empty());
    EXPECT_EQ(main.PaletteCombo->currentIndex(), selected);
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedTSUnit, 40)));
}

TEST_F(MainWindowTest, RemovedPaletteFileIsReportedAndNothingChanges)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    QFile::remove(DataPath("palette/direct.pal"));
    const QString message = CaptureMessage([&] { main.PaletteCombo->setCurrentIndex(0); });
    EXPECT_TRUE(message.contains("direct.pal")) << message.toStdString();
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedTSUnit, 40)));
    EXPECT_TRUE(main.isEnabled());
}

TEST_F(MainWindowTest, IsoFrameThreeSwitchesToTheIsoPalette)
{
    WriteTestPalette(DataPath("palette/TS/isotem.pal"), SeedIso);
    Show(BlankSprite(10, 4, 4, TSHPGame::TS, TSHPType::BuildingIsoTemperate));
    TFrmMain& main = *Main;
    main.TrackBar->setValue(2);
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedTSUnit, 40)));
    EXPECT_TRUE(main.PaletteCombo->isEnabled());
    main.NextFrameButton->click();
    EXPECT_EQ(main.CurrentFrame, 3);
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedIso, 40)));
    EXPECT_FALSE(main.PaletteCombo->isEnabled());
    main.NextFrameButton->click();
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedTSUnit, 40)));
    EXPECT_TRUE(main.PaletteCombo->isEnabled());

    // On other types frame 3 leaves the grid and the list alone.
    main.TypeBox->setCurrentIndex(int(TSHPType::Building));
    main.TrackBar->setValue(3);
    EXPECT_TRUE(main.PaletteCombo->isEnabled());
    EXPECT_EQ(GridColour(main, 40), ToQColor(TestPaletteColour(SeedTSUnit, 40)));
    // Changing the type while on frame 3 applies the rule at once.
    main.TypeBox->setCurrentIndex(int(TSHPType::BuildingIsoTemperate));
    EXPECT_FALSE(main.PaletteCombo->isEnabled());
}

TEST_F(MainWindowTest, MissingIsoPaletteIsReportedAndTheWindowStaysUsable)
{
    auto sprite = BlankSprite(10, 4, 4, TSHPGame::TS, TSHPType::BuildingIsoTemperate);
    SetPixel(*sprite, 3, 0, 0, 7);
    Show(std::move(sprite));
    TFrmMain& main = *Main;
    main.TrackBar->setValue(2);
    const QString message = CaptureMessage([&] { main.NextFrameButton->click(); });
    EXPECT_TRUE(message.contains("isotem")) << message.toStdString();
    EXPECT_EQ(main.FrameLabel->text(), "3/9");
    EXPECT_EQ(main.TrackBar->value(), 3);
    main.NextFrameButton->click();
    EXPECT_EQ(main.FrameLabel->text(), "4/9");

    // Once the file is there, frame 3 draws.
    WriteTestPalette(DataPath("palette/TS/isotem.pal"), SeedIso);
    const QString none = CaptureMessage([&] { main.PrevFrameButton->click(); });
    EXPECT_TRUE(none.isEmpty()) << none.toStdString();
    EXPECT_EQ(PixelAt(main.SHPImage, 0, 0), ToQColor(TestPaletteColour(SeedIso, 7)));
}

TEST_F(MainWindowTest, DrawErrorsStopTheAnimation)
{
    Show(BlankSprite(10, 4, 4, TSHPGame::TS, TSHPType::BuildingIsoTemperate));
    TFrmMain& main = *Main;
    main.TrackBar->setValue(2);
    main.PlayButton->click();
    const QString message = CaptureMessage([&] { main.AnimateTimerTimer(); });
    EXPECT_FALSE(message.isEmpty());
    EXPECT_FALSE(main.AnimateTimer->isActive());
    EXPECT_TRUE(main.StopButton->isChecked());
}

} // namespace vantrel::test
