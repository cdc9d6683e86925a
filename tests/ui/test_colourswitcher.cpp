// The Colour Switcher: the scheme list read from a scheme folder and filtered by category and by
// the colours the sprite uses, the palette grids and previews of the selected scheme, frame
// stepping and speeds, and the main window's command that applies the scheme on Ok.
#include "UiTestSupport.h"

#include "imaging/Imaging.h"
#include "sprite/CScheme.h"
#include "ui/FormColourSwitcher.h"
#include "ui/SpriteView.h"
#include "ui/WidenCombos.h"

#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace vantrel::test {

namespace {

constexpr int CategoryAll = 0;
constexpr int CategoryAllied = 4;
constexpr int CategoryRed = 15;
constexpr int CategoryYellow = 16;

struct TBCSRecord {
    uint8_t GameType;
    std::vector<std::pair<int, int>> Moves;
    std::string Name;
};

std::vector<uint8_t> BCSBytes(const std::vector<TBCSRecord>& records)
{
    std::vector<uint8_t> bytes{uint8_t(records.size()), uint8_t(records.size() >> 8)};
    for (const TBCSRecord& record : records) {
        bytes.push_back(record.GameType);
        std::array<uint8_t, 256> map{};
        for (int i = 0; i < 256; ++i)
            map[size_t(i)] = uint8_t(i);
        for (auto [from, to] : record.Moves)
            map[size_t(from)] = uint8_t(to);
        bytes.insert(bytes.end(), map.begin(), map.end());
        bytes.push_back(uint8_t(record.Name.size()));
        bytes.push_back(uint8_t(record.Name.size() >> 8));
        bytes.insert(bytes.end(), record.Name.begin(), record.Name.end());
    }
    return bytes;
}

void WriteText(const QString& path, const std::string& text) { WriteBytes(path, {text.begin(), text.end()}); }

QAction* MenuItem(QMenu* menu, const QString& caption)
{
    for (QAction* item : menu->actions())
        if (item->text() == caption)
            return item;
    return nullptr;
}

// The frames of a sprite, byte for byte.
std::vector<std::vector<uint8_t>> FramePixels(const TSHP& sprite)
{
    std::vector<std::vector<uint8_t>> frames;
    const size_t size = size_t(sprite.Width * sprite.Height);
    for (const TSHPFrame& frame : sprite.Frames)
        frames.emplace_back(frame.Data.get(), frame.Data.get() + size);
    return frames;
}

class ColourSwitcherTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Schemes.clear();
        SchemeCount = 0;
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        Schemes.clear();
        SchemeCount = 0;
    }

    // default.bcs with two schemes of the category "Red", the second moving only an index the
    // test sprite never uses; a sub-folder with an "Allied" scheme; a scheme of no category that
    // moves the transparent index; a file of another extension.
    void WriteSchemeFolder()
    {
        WriteBytes(DataPath("cscheme/default.bcs"),
                   BCSBytes({{CategoryRed, {{16, 40}}, "Red Team"}, {CategoryRed, {{200, 201}}, "Unused Move"}}));
        WriteText(DataPath("cscheme/Allied/blue.CScheme"),
                  "[Info]\nName=Blue Team\ngametype=4\n[Data]\n16=50\n17=51\n");
        WriteText(DataPath("cscheme/zero.cscheme"), "[Info]\nName=Opaque\n[Data]\n0=5\n");
        WriteText(DataPath("cscheme/zero.cscheme.bak"), "[Info]\nName=Backup\n[Data]\n16=1\n");
    }

    // A TS unit of 16 frames (8 with their shadows), 8 x 6: index 16 at (2, 2) of frame 0, index
    // 17 at (3, 3) of frame 1, index 18 at (4, 4) of frame 7; everything else transparent.
    TFrmMain& ShowUnit()
    {
        auto sprite = BlankSprite(16, 8, 6, TSHPGame::TS, TSHPType::Unit);
        SetPixel(*sprite, 0, 2, 2, 16);
        SetPixel(*sprite, 1, 3, 3, 17);
        SetPixel(*sprite, 7, 4, 4, 18);
        Show(std::move(sprite));
        return Window();
    }

    // Clicks the Colour Switcher button and runs inside while the dialog is shown; the dialog is
    // cancelled afterwards unless inside closed it.
    void RunSwitcher(const std::function<void(TFrmColourSwitcher&)>& inside)
    {
        TFrmMain& main = Window();
        TFrmColourSwitcher& dialog = *main.FrmColourSwitcher;
        bool ran = false;
        QTimer::singleShot(0, &dialog, [&] {
            ran = true;
            inside(dialog);
            if (dialog.isVisible())
                dialog.CancelButtonClick();
        });
        main.ColourSwitchButton->click();
        EXPECT_TRUE(ran);
    }

    QColor Colour(int index) const { return ToQColor(Main->CurrentSHP->Palette[size_t(index)]); }
};

QStringList Captions(const QListWidget* list, bool shownOnly)
{
    QStringList captions;
    for (int row = 0; row < list->count(); ++row)
        if (!shownOnly || !list->isRowHidden(row))
            captions << list->item(row)->text();
    return captions;
}

QString SelectedCaption(const QListWidget* list)
{
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

QColor CellColour(const TImage* grid, int index)
{
    return grid->Picture().pixelColor((index / 16) * 12 + 6, (index % 16) * 12 + 6);
}

bool IsCheckerCell(const TImage* grid, int index)
{
    const QImage cell = grid->Picture().copy((index / 16) * 12, (index % 16) * 12, 12, 12);
    return cell.convertToFormat(QImage::Format_RGB32) == GetCheckerCell().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST_F(ColourSwitcherTest, TheCommandIsOfferedOnlyWithASprite)
{
    TFrmMain& main = Window();
    EXPECT_FALSE(main.ColourSwitchButton->isEnabled());
    EXPECT_EQ(main.ColourSwitchButton->toolTip(), "Colour Switcher");
    ShowUnit();
    EXPECT_TRUE(main.ColourSwitchButton->isEnabled());
    main.CurrentSHP.reset();
    EXPECT_EQ(CaptureMessage([&] { main.ColourSwitchButtonClick(); }),
              "No SHP Exists.... try again once you have loaded one...");
}

TEST_F(ColourSwitcherTest, ListsTheSchemesThatChangeTheSpriteByCategory)
{
    WriteSchemeFolder();
    ShowUnit();
    RunSwitcher([](TFrmColourSwitcher& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Colour Switcher");
        EXPECT_EQ(dialog.CategoryCombo->count(), 20);
        EXPECT_EQ(dialog.CategoryCombo->currentText(), "All");
        EXPECT_EQ(dialog.CategoryCombo->itemText(19), "Red Alert 1");
        // The library order: default.bcs, then the folder depth first, names without regard to case.
        EXPECT_EQ(Captions(dialog.SchemeSHPList, false),
                  QStringList({"Red Team", "Unused Move", "Blue Team", "Opaque"}));
        EXPECT_EQ(Captions(dialog.SchemeSHPList, true), QStringList({"Red Team", "Blue Team", "Opaque"}));
        EXPECT_EQ(SelectedCaption(dialog.SchemeSHPList), "Red Team");
        EXPECT_TRUE(dialog.OkButton->isEnabled());

        // A selected scheme that the filter hides is no longer selected, and Ok cannot apply it.
        dialog.CategoryCombo->setCurrentIndex(CategoryAllied);
        EXPECT_EQ(Captions(dialog.SchemeSHPList, true), QStringList({"Blue Team"}));
        EXPECT_TRUE(SelectedCaption(dialog.SchemeSHPList).isEmpty());
        EXPECT_FALSE(dialog.OkButton->isEnabled());
        dialog.SchemeSHPList->setCurrentRow(2);
        EXPECT_TRUE(dialog.OkButton->isEnabled());
        dialog.CategoryCombo->setCurrentIndex(CategoryYellow);
        EXPECT_TRUE(Captions(dialog.SchemeSHPList, true).isEmpty());
        dialog.CategoryCombo->setCurrentIndex(CategoryRed);
        EXPECT_EQ(Captions(dialog.SchemeSHPList, true), QStringList({"Red Team"}));

        dialog.SchemeSHPList->clearSelection();
        EXPECT_FALSE(dialog.OkButton->isEnabled());
    });

    // The chosen category stays for the next showing; the library is not read again.
    QFile::remove(DataPath("cscheme/zero.cscheme"));
    RunSwitcher([](TFrmColourSwitcher& dialog) {
        EXPECT_EQ(dialog.CategoryCombo->currentIndex(), CategoryRed);
        EXPECT_EQ(Captions(dialog.SchemeSHPList, true), QStringList({"Red Team"}));
        EXPECT_EQ(dialog.SchemeSHPList->count(), 4);
        dialog.CategoryCombo->setCurrentIndex(CategoryAll);
    });
}

TEST_F(ColourSwitcherTest, TypingSelectsAShownSchemeByItsCaption)
{
    WriteSchemeFolder();
    ShowUnit();
    RunSwitcher([](TFrmColourSwitcher& dialog) {
        dialog.SchemeSHPList->setFocus();
        QTest::keyClicks(dialog.SchemeSHPList, "o");
        EXPECT_EQ(SelectedCaption(dialog.SchemeSHPList), "Opaque");
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        dialog.CategoryCombo->setCurrentIndex(CategoryRed);
        EXPECT_TRUE(SelectedCaption(dialog.SchemeSHPList).isEmpty()); // "Opaque" is not shown
        QTest::keyClicks(dialog.SchemeSHPList, "u");
        // "Unused Move" is not shown either: nothing else starts with "u".
        EXPECT_TRUE(SelectedCaption(dialog.SchemeSHPList).isEmpty());
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(dialog.SchemeSHPList, "re");
        EXPECT_EQ(SelectedCaption(dialog.SchemeSHPList), "Red Team");
    });
}

TEST_F(ColourSwitcherTest, NoSchemesLeaveOnlyCancel)
{
    ShowUnit();
    RunSwitcher([this](TFrmColourSwitcher& dialog) {
        EXPECT_EQ(dialog.SchemeSHPList->count(), 0);
        EXPECT_FALSE(dialog.OkButton->isEnabled());
        // The previews show the sprite shown, unchanged.
        EXPECT_EQ(dialog.PreviewImage->Picture().pixelColor(2, 2), Colour(16));
        EXPECT_EQ(dialog.PreviewImageNew->Picture().pixelColor(2, 2), Colour(16));
        dialog.OkButton->click();
        EXPECT_TRUE(dialog.isVisible());
    });
    EXPECT_EQ(SchemeCount, 0);

    // A library still empty is read again at the next showing.
    WriteSchemeFolder();
    RunSwitcher([](TFrmColourSwitcher& dialog) { EXPECT_EQ(dialog.SchemeSHPList->count(), 4); });
}

// With no scheme shown, the previews draw the sprite shown now with its own palette, not with the
// palettes of the sprite shown the time before.
TEST_F(ColourSwitcherTest, PreviewsWithoutASchemeDrawTheCurrentSprite)
{
    WriteSchemeFolder();
    ShowUnit();
    RunSwitcher([](TFrmColourSwitcher& dialog) { dialog.CategoryCombo->setCurrentIndex(CategoryYellow); });
    auto other = BlankSprite(2, 8, 6, TSHPGame::RA2, TSHPType::Unit);
    SetPixel(*other, 0, 2, 2, 16);
    Show(std::move(other));
    ASSERT_NE(Colour(16), ToQColor(TestPaletteColour(SeedTSUnit, 16)));
    RunSwitcher([this](TFrmColourSwitcher& dialog) {
        EXPECT_TRUE(Captions(dialog.SchemeSHPList, true).isEmpty());
        EXPECT_FALSE(dialog.OkButton->isEnabled());
        EXPECT_EQ(dialog.PreviewImage->Picture().pixelColor(2, 2), Colour(16));
        EXPECT_EQ(dialog.PreviewImageNew->Picture().pixelColor(2, 2), Colour(16));
    });
}

TEST_F(ColourSwitcherTest, GridsAndPreviewsShowTheSelectedScheme)
{
    WriteSchemeFolder();
    ShowUnit();
    ASSERT_NE(Colour(16), Colour(40));
    ASSERT_NE(Colour(17), Colour(51));
    ASSERT_NE(Colour(0), Colour(5));
    RunSwitcher([this](TFrmColourSwitcher& dialog) {
        // "Red Team" moves 16 to 40.
        EXPECT_EQ(CellColour(dialog.PaletteImg, 16), Colour(16));
        EXPECT_EQ(CellColour(dialog.PaletteImgNew, 16), Colour(40));
        EXPECT_EQ(dialog.PaletteImg->Picture().size(), QSize(192, 192));
        for (int index : {0, 17, 40, 200})
            EXPECT_TRUE(IsCheckerCell(dialog.PaletteImg, index)) << index;
        EXPECT_EQ(dialog.PreviewImage->Picture().pixelColor(2, 2), Colour(16));
        EXPECT_EQ(dialog.PreviewImageNew->Picture().pixelColor(2, 2), Colour(40));
        EXPECT_EQ(dialog.PreviewImageNew->Picture().pixelColor(0, 0).alpha(), 0);
        // The 8 x 6 frame enlarged to 190 x 142 in the middle of its picture: sprite pixel (2, 2)
        // covers screen (47..71, 24 + 47..71).
        EXPECT_EQ(PixelAt(dialog.PreviewImageNew, 59, 83), Colour(40));
        EXPECT_EQ(PixelAt(dialog.PreviewImage, 59, 83), Colour(16));
        EXPECT_EQ(dialog.SelectedScheme.Name, "Red Team");

        // "Blue Team" moves 16 and 17; "Opaque" moves the transparent index, drawn transparent
        // all the same in the preview.
        dialog.SchemeSHPList->setCurrentRow(2);
        EXPECT_EQ(CellColour(dialog.PaletteImgNew, 17), Colour(51));
        EXPECT_EQ(dialog.PreviewImageNew->Picture().pixelColor(2, 2), Colour(50));
        dialog.SchemeSHPList->setCurrentRow(3);
        EXPECT_EQ(CellColour(dialog.PaletteImg, 0), Colour(0));
        EXPECT_EQ(CellColour(dialog.PaletteImgNew, 0), Colour(5));
        EXPECT_EQ(dialog.PreviewImageNew->Picture().pixelColor(0, 0).alpha(), 0);

        // Without a selection the grids show no change and both previews the sprite as it is.
        dialog.SchemeSHPList->clearSelection();
        EXPECT_FALSE(dialog.OkButton->isEnabled());
        EXPECT_TRUE(IsCheckerCell(dialog.PaletteImgNew, 0));
        EXPECT_EQ(dialog.PreviewImageNew->Picture().pixelColor(2, 2), Colour(16));
    });
}

TEST_F(ColourSwitcherTest, ThumbnailsShowTheFirstFrameRecoloured)
{
    WriteSchemeFolder();
    ShowUnit();
    RunSwitcher([this](TFrmColourSwitcher& dialog) {
        dialog.SchemeSHPList->grab();
        ASSERT_EQ(dialog.SchemeThumbnails.size(), 4u);
        ASSERT_TRUE(dialog.SchemeThumbnails[0].has_value());
        EXPECT_EQ(dialog.SchemeThumbnails[0]->size(), QSize(8, 6));
        EXPECT_EQ(dialog.SchemeThumbnails[0]->pixelColor(2, 2), Colour(40));
        ASSERT_TRUE(dialog.SchemeThumbnails[2].has_value());
        EXPECT_EQ(dialog.SchemeThumbnails[2]->pixelColor(2, 2), Colour(50));
        // A hidden scheme's cell is never drawn.
        EXPECT_FALSE(dialog.SchemeThumbnails[1].has_value());
    });
}

TEST_F(ColourSwitcherTest, PreviewsShowTheSchemeColoursOfRemapEntriesNotTheSideColour)
{
    WriteSchemeFolder();
    TFrmMain& main = ShowUnit();
    MenuItem(main.SideColPopup, "Gold")->trigger();
    ASSERT_TRUE(main.CurrentSHP->UseSideColour);
    const QColor shown = PixelAt(main.SHPImage, 2 * 4 + 1, 2 * 4 + 1);
    RunSwitcher([this](TFrmColourSwitcher& dialog) {
        EXPECT_EQ(dialog.PreviewImage->Picture().pixelColor(2, 2), Colour(16));
        EXPECT_EQ(dialog.PreviewImageNew->Picture().pixelColor(2, 2), Colour(40));
        dialog.SchemeSHPList->grab();
        EXPECT_EQ(dialog.SchemeThumbnails[0]->pixelColor(2, 2), Colour(40));
    });
    EXPECT_TRUE(main.CurrentSHP->UseSideColour);
    main.DrawCurrentFrame(main.CurrentFrame);
    EXPECT_EQ(PixelAt(main.SHPImage, 2 * 4 + 1, 2 * 4 + 1), shown);
}

TEST_F(ColourSwitcherTest, StepsThroughTheFramesWithoutTheirShadows)
{
    WriteSchemeFolder();
    ShowUnit();
    RunSwitcher([this](TFrmColourSwitcher& dialog) {
        dialog.StopButton->click();
        EXPECT_FALSE(dialog.AnimateTimer->isActive());
        EXPECT_EQ(dialog.TrackBar->maximum(), 7);
        EXPECT_EQ(dialog.TrackBar->value(), 0);
        dialog.PrevFrameButton->click();
        EXPECT_EQ(dialog.TrackBar->value(), 7);
        EXPECT_EQ(dialog.FrameLabel->text(), "007/007");
        EXPECT_EQ(dialog.PreviewImage->Picture().pixelColor(4, 4), Colour(18));
        dialog.NextFrameButton->click();
        EXPECT_EQ(dialog.TrackBar->value(), 0);
        dialog.NextFrameButton->click();
        EXPECT_EQ(dialog.FrameLabel->text(), "001/007");
        EXPECT_EQ(dialog.PreviewImage->Picture().pixelColor(3, 3), Colour(17));
        // "Red Team" leaves 17 alone.
        EXPECT_EQ(dialog.PreviewImageNew->Picture().pixelColor(3, 3), Colour(17));
        dialog.TrackBar->setValue(5);
        EXPECT_EQ(dialog.FrameLabel->text(), "005/007");
        EXPECT_EQ(dialog.PreviewImage->Picture().pixelColor(3, 3).alpha(), 0);
        EXPECT_EQ(dialog.TrackBar->focusPolicy(), Qt::NoFocus);
    });
}

TEST_F(ColourSwitcherTest, AnimatesAtTheChosenSpeed)
{
    WriteSchemeFolder();
    ShowUnit();
    RunSwitcher([](TFrmColourSwitcher& dialog) {
        EXPECT_EQ(dialog.AnimatePopupMenu->actions().size(), 12);
        dialog.PlayButton->click();
        EXPECT_TRUE(dialog.AnimateTimer->isActive());
        EXPECT_EQ(dialog.AnimateTimer->interval(), 200);
        QAction* fast = MenuItem(dialog.AnimatePopupMenu, "40 FPS (25ms)");
        ASSERT_NE(fast, nullptr);
        fast->trigger();
        EXPECT_EQ(dialog.AnimateTimer->interval(), 25);
        const int start = dialog.TrackBar->value();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.TrackBar->value() != start, 2000);
    });
    TFrmColourSwitcher& dialog = *Window().FrmColourSwitcher;
    EXPECT_FALSE(dialog.AnimateTimer->isActive());
    RunSwitcher([](TFrmColourSwitcher& dialog) {
        EXPECT_TRUE(MenuItem(dialog.AnimatePopupMenu, "40 FPS (25ms)")->isChecked());
        EXPECT_EQ(dialog.AnimateTimer->interval(), 25);
        EXPECT_TRUE(dialog.AnimateTimer->isActive());
        dialog.StopButton->click();
        EXPECT_FALSE(dialog.AnimateTimer->isActive());
    });
    // Stop carries over to the next showing too.
    RunSwitcher([](TFrmColourSwitcher& dialog) { EXPECT_FALSE(dialog.AnimateTimer->isActive()); });
}

TEST_F(ColourSwitcherTest, CancelOrClosingLeavesTheSpriteAsItWas)
{
    WriteSchemeFolder();
    TFrmMain& main = ShowUnit();
    main.CurrentSHP->IsSaved = true;
    main.UpdateCaption();
    const auto pixels = FramePixels(*main.CurrentSHP);
    const TPalette palette = main.CurrentSHP->Palette;
    const QString title = main.windowTitle();
    const QColor shown = PixelAt(main.SHPImage, 9, 9);

    RunSwitcher([](TFrmColourSwitcher& dialog) { dialog.CancelButton->click(); });
    RunSwitcher([](TFrmColourSwitcher& dialog) { dialog.close(); });
    EXPECT_FALSE(main.FrmColourSwitcher->Accepted);
    EXPECT_EQ(FramePixels(*main.CurrentSHP), pixels);
    EXPECT_EQ(main.CurrentSHP->Palette, palette);
    EXPECT_TRUE(main.CurrentSHP->IsSaved);
    EXPECT_EQ(main.windowTitle(), title);
    EXPECT_FALSE(main.SaveButton->isEnabled());
    main.DrawCurrentFrame(main.CurrentFrame);
    EXPECT_EQ(PixelAt(main.SHPImage, 9, 9), shown);
}

TEST_F(ColourSwitcherTest, OkRemapsTheSpriteAndMarksItUnsaved)
{
    WriteSchemeFolder();
    auto sprite = BlankSprite(16, 8, 6, TSHPGame::TS, TSHPType::Unit);
    SetPixel(*sprite, 0, 2, 2, 16);
    SetPixel(*sprite, 9, 5, 1, 16);
    for (int i = 0; i < 16; ++i)
        sprite->UpdateFrameBounds(i);
    const QString path = DataPath("unit.shp");
    sprite->SaveToFile(path.toStdString());
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    ASSERT_TRUE(main.CurrentSHP->HasFile && main.CurrentSHP->IsSaved);
    EXPECT_FALSE(main.SaveButton->isEnabled());
    const TPalette palette = main.CurrentSHP->Palette;

    RunSwitcher([](TFrmColourSwitcher& dialog) {
        EXPECT_EQ(SelectedCaption(dialog.SchemeSHPList), "Red Team");
        dialog.OkButton->click();
    });
    TSHP& shown = *main.CurrentSHP;
    EXPECT_TRUE(main.FrmColourSwitcher->Accepted);
    EXPECT_EQ(shown.GetPixelIndex(0, 2, 2), 40);
    EXPECT_EQ(shown.GetPixelIndex(9, 5, 1), 40);
    EXPECT_EQ(shown.GetPixelIndex(0, 0, 0), 0);
    EXPECT_EQ(shown.Palette, palette);
    EXPECT_FALSE(shown.IsSaved);
    EXPECT_TRUE(main.windowTitle().contains("unit.shp*"));
    EXPECT_TRUE(main.SaveButton->isEnabled());
    // Scale 4: sprite pixel (2, 2) covers view pixels 8..11.
    EXPECT_EQ(PixelAt(main.SHPImage, 9, 9), Colour(40));
}

TEST_F(ColourSwitcherTest, ASchemeMovingTheTransparentIndexMakesTheBackgroundOpaque)
{
    WriteSchemeFolder();
    TFrmMain& main = ShowUnit();
    RunSwitcher([](TFrmColourSwitcher& dialog) {
        dialog.SchemeSHPList->setCurrentRow(3);
        dialog.OkButton->click();
    });
    EXPECT_EQ(main.CurrentSHP->GetPixelIndex(0, 0, 0), 5);
    EXPECT_EQ(main.CurrentSHP->GetPixelIndex(0, 2, 2), 16);
    const QImage frame = FrameToPNG(*main.CurrentSHP, 0, false);
    EXPECT_EQ(frame.pixelColor(0, 0).alpha(), 255);
    EXPECT_EQ(PixelAt(main.SHPImage, 1, 1), Colour(5));
}

} // namespace vantrel::test
