// The Edit menu: every frame operation and canvas change on a small sprite, with shadow pairing on
// and off, checked pixel for pixel, undone and redone to the exact bytes; the title's "*"
// following the undo history; the bound on the history's memory; the Frames panel.
#include "UiTestSupport.h"

#include "sprite/FrameEdit.h"
#include "ui/AnchorGrid.h"
#include "ui/FormInsertFrames.h"
#include "ui/FormResizeCanvas.h"
#include "ui/FramesPanel.h"
#include "ui/SpriteView.h"
#include "ui/WidenCombos.h"
#include "ui/UndoCommands.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QUndoStack>

namespace vantrel::test {

namespace {

// A sprite's canvas, frame pixels and rectangles.
struct TSnapshot {
    int Width = 0;
    int Height = 0;
    std::vector<std::vector<uint8_t>> Pixels;
    std::vector<std::array<int, 4>> Rects;
    friend bool operator==(const TSnapshot&, const TSnapshot&) = default;
};

TSnapshot Snap(const TSHP& s)
{
    TSnapshot shot{s.Width, s.Height, {}, {}};
    const size_t size = size_t(s.Width) * size_t(s.Height);
    for (const TSHPFrame& f : s.Frames) {
        shot.Pixels.emplace_back(f.Data ? std::vector<uint8_t>(f.Data.get(), f.Data.get() + size) : std::vector<uint8_t>());
        shot.Rects.push_back({f.X, f.Y, f.CX, f.CY});
    }
    return shot;
}

// The frames of shot in the given order (-1: an empty frame of the canvas).
TSnapshot Pick(const TSnapshot& shot, const std::vector<int>& order)
{
    TSnapshot result{shot.Width, shot.Height, {}, {}};
    for (int k : order) {
        result.Pixels.push_back(k >= 0 ? shot.Pixels[size_t(k)] : std::vector<uint8_t>(size_t(shot.Width * shot.Height)));
        result.Rects.push_back(k >= 0 ? shot.Rects[size_t(k)] : std::array<int, 4>{0, 0, 0, 0});
    }
    return result;
}

// A TS unit of 8 frames of 4 x 3 (frames 4 to 7 the shadows of 0 to 3), every pixel of frame k
// holding 10 k + its place + 1, rectangles bounding the whole canvas.
std::unique_ptr<TSHP> UnitSprite()
{
    auto sprite = BlankSprite(8, 4, 3, TSHPGame::TS, TSHPType::Unit);
    for (int k = 0; k < 8; ++k) {
        for (int i = 0; i < 12; ++i)
            sprite->GetFrame(k).Data[size_t(i)] = uint8_t(10 * k + i + 1);
        sprite->UpdateFrameBounds(k);
    }
    return sprite;
}

// A drag of data entering the list and dropped at the point of its viewport.
void DropOnList(TFramesList& list, QMimeData& data, QPoint at)
{
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &drop);
    QApplication::processEvents();
}

class EditTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {
protected:
    TFrmMain& ShowUnit()
    {
        TFrmMain& main = Window();
        Show(UnitSprite());
        main.KeepShadowsPaired1->setChecked(GetParam());
        main.FramesPanel->show();
        return main;
    }
    // Frames chosen in the panel, as clicks choose them: the first is shown.
    void Choose(TFrmMain& main, const std::vector<int>& frames)
    {
        main.FramesPanel->SelectFrames(frames, frames.front());
        main.DrawCurrentFrame(frames.front());
    }

    // Runs the command, expects the result, then undo (the sprite as before) and redo.
    void ExpectUndoable(TFrmMain& main, const std::function<void()>& command, const TSnapshot& expected,
                        const QString& undoText)
    {
        const TSnapshot before = Snap(*main.CurrentSHP);
        command();
        EXPECT_EQ(Snap(*main.CurrentSHP), expected);
        EXPECT_EQ(main.Undo1->text(), undoText);
        EXPECT_EQ(main.FrameLabel->text().section('/', 1).toInt(), main.CurrentSHP->FrameCount() - 1);
        EXPECT_EQ(main.TrackBar->maximum(), main.CurrentSHP->FrameCount() - 1);
        EXPECT_LT(main.CurrentFrame, main.CurrentSHP->FrameCount());
        main.Undo1->trigger();
        EXPECT_EQ(Snap(*main.CurrentSHP), before);
        EXPECT_EQ(main.FramesPanel->Model->rowCount(), main.CurrentSHP->FrameCount());
        main.Redo1->trigger();
        EXPECT_EQ(Snap(*main.CurrentSHP), expected);
    }
};

} // namespace

TEST_P(EditTest, FrameOperationsThroughTheMenu)
{
    const bool paired = GetParam();
    TFrmMain& main = ShowUnit();
    const TSnapshot start = Snap(*main.CurrentSHP);
    auto expect = [&](const std::vector<int>& on, const std::vector<int>& off) { return Pick(start, paired ? on : off); };

    Choose(main, {1});
    ExpectUndoable(main, [&] { main.DeleteFrames1->trigger(); }, expect({0, 2, 3, 4, 6, 7}, {0, 2, 3, 4, 5, 6, 7}),
                   "Undo Delete Frames");
    main.Undo1->trigger();

    Choose(main, {1});
    ExpectUndoable(main, [&] { main.DuplicateFrames1->trigger(); },
                   expect({0, 1, 1, 2, 3, 4, 5, 5, 6, 7}, {0, 1, 1, 2, 3, 4, 5, 6, 7}), "Undo Duplicate Frames");
    EXPECT_EQ(main.FramesPanel->SelectedFrames(), std::vector<int>{2});
    main.Undo1->trigger();

    Choose(main, {1});
    ExpectUndoable(main, [&] { main.MoveFramesLater1->trigger(); },
                   expect({0, 2, 1, 3, 4, 6, 5, 7}, {0, 2, 1, 3, 4, 5, 6, 7}), "Undo Move Frames");
    EXPECT_EQ(main.FramesPanel->SelectedFrames(), std::vector<int>{2});
    main.MoveFramesEarlier1->trigger();
    EXPECT_EQ(Snap(*main.CurrentSHP), start);
    main.Undo1->trigger();
    main.Undo1->trigger();

    Choose(main, {0, 2});
    ExpectUndoable(main, [&] { main.ReverseFrames1->trigger(); },
                   expect({2, 1, 0, 3, 6, 5, 4, 7}, {2, 1, 0, 3, 4, 5, 6, 7}), "Undo Reverse Frame Order");
    main.Undo1->trigger();
    EXPECT_EQ(Snap(*main.CurrentSHP), start);

    // Frames that cannot go further do not offer to.
    Choose(main, {0});
    EXPECT_FALSE(main.MoveFramesEarlier1->isEnabled());
    EXPECT_TRUE(main.MoveFramesLater1->isEnabled());
    Choose(main, {7});
    EXPECT_TRUE(main.MoveFramesEarlier1->isEnabled());
    EXPECT_FALSE(main.MoveFramesLater1->isEnabled());
    Choose(main, {0, 2});
    EXPECT_TRUE(main.MoveFramesEarlier1->isEnabled());
}

TEST_P(EditTest, DragAndDropInThePanelMovesTheChosenFrames)
{
    const bool paired = GetParam();
    TFrmMain& main = ShowUnit();
    const TSnapshot start = Snap(*main.CurrentSHP);
    TFramesList& list = *main.FramesPanel->List;
    Choose(main, {0});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QRect third = list.visualRect(main.FramesPanel->Model->index(2));
    const QPoint below = third.center() + QPoint(0, 2);
    EXPECT_EQ(list.DropPosition(below), 3);
    std::unique_ptr<QMimeData> data(main.FramesPanel->Model->mimeData({}));
    ExpectUndoable(
        main,
        [&] { DropOnList(list, *data, below); },
        Pick(start, paired ? std::vector<int>{1, 2, 0, 3, 5, 6, 4, 7} : std::vector<int>{1, 2, 0, 3, 4, 5, 6, 7}),
        "Undo Move Frames");

    // A drag of another list (another program's) is refused.
    QMimeData foreign;
    foreign.setData(TFramesModel::MimeType, "1:2");
    DropOnList(list, foreign, below);
    EXPECT_EQ(main.Undo1->text(), "Undo Move Frames");
    EXPECT_EQ(main.History->Stack->count(), 1);
}

TEST_P(EditTest, InsertFramesFromAnSHPFile)
{
    const bool paired = GetParam();
    // Three frames (no shadow half of their own) with one pixel each at (k, k).
    const QString path = DataPath("three.shp");
    auto three = BlankSprite(3, 4, 3, TSHPGame::TS, TSHPType::Animation);
    TSnapshot expected;
    {
        TFrmMain& main = ShowUnit();
        expected = Snap(*main.CurrentSHP);
    }
    for (int k = 0; k < 3; ++k) {
        SetPixel(*three, k, k, k, uint8_t(200 + k));
        three->UpdateFrameBounds(k);
        std::vector<uint8_t> pixels(12, 0);
        pixels[size_t(k * 4 + k)] = uint8_t(200 + k);
        expected.Pixels.insert(expected.Pixels.begin() + 1 + k, pixels);
        expected.Rects.insert(expected.Rects.begin() + 1 + k, {k, k, 1, 1});
    }
    three->SaveToFile(path.toStdString());
    if (paired) {
        expected.Pixels.insert(expected.Pixels.begin() + 8, 3, std::vector<uint8_t>(12, 0));
        expected.Rects.insert(expected.Rects.begin() + 8, 3, {0, 0, 0, 0});
    }
    TFrmMain& main = *Main;
    Choose(main, {0});
    ExpectUndoable(
        main,
        [&] {
            TDialogScript script;
            script.File(path).Dialog<TFrmInsertFrames>([](TFrmInsertFrames& d) {
                EXPECT_EQ(d.PositionBox->value(), 1);
                EXPECT_FALSE(d.AnchorGrid->isEnabled());
                d.OkButton->click();
            });
            script.Run([&] { main.InsertFrames1->trigger(); });
        },
        expected, "Undo Insert Frames");
    EXPECT_EQ(main.FramesPanel->SelectedFrames(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(main.CurrentFrame, 1);
}

TEST_P(EditTest, ResizeAndCropTheCanvas)
{
    TFrmMain& main = ShowUnit();
    const TSnapshot start = Snap(*main.CurrentSHP);
    // 6 x 5 with the old canvas at the bottom right: two columns and rows of 0 before it.
    TSnapshot wider{6, 5, {}, {}};
    for (const auto& old : start.Pixels) {
        std::vector<uint8_t> pixels(30, 0);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                pixels[size_t((y + 2) * 6 + x + 2)] = old[size_t(y * 4 + x)];
        wider.Pixels.push_back(pixels);
        wider.Rects.push_back({2, 2, 4, 3});
    }
    ExpectUndoable(
        main,
        [&] {
            TDialogScript script;
            script.Dialog<TFrmResizeCanvas>([](TFrmResizeCanvas& d) {
                EXPECT_EQ(d.SizeLabel->text(), "4 x 3");
                d.WidthBox->setValue(6);
                d.HeightBox->setValue(5);
                d.AnchorGrid->Buttons[size_t(TAnchor::BottomRight)]->click();
                d.OkButton->click();
            });
            script.Run([&] { main.ResizeCanvas1->trigger(); });
        },
        wider, "Undo Resize Canvas");
    EXPECT_TRUE(main.windowTitle().endsWith("] 6x5"));
    EXPECT_EQ(main.SHPImage->size(), QSize(24, 20));

    ExpectUndoable(main, [&] { main.CropCanvas1->trigger(); }, start, "Undo Crop Canvas");
    EXPECT_TRUE(main.windowTitle().endsWith("] 4x3"));
    // Cropping a canvas that has no border of empty pixels changes nothing.
    main.CropCanvas1->trigger();
    EXPECT_EQ(main.Undo1->text(), "Undo Crop Canvas");
    EXPECT_EQ(main.History->Stack->count(), 2);
}

INSTANTIATE_TEST_SUITE_P(ShadowPairing, EditTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "On" : "Off"; });

TEST_F(MainWindowTest, RefusedOperationsAreShownAndChangeNothing)
{
    TFrmMain& main = Window();
    Show(UnitSprite());
    main.FramesPanel->show();
    const TSnapshot start = Snap(*main.CurrentSHP);
    // With pairing, frames 1 to 3 stand for all but two frames; frame 0 with its shadow goes too.
    main.FramesPanel->SelectFrames({0, 1, 2, 3}, 0);
    main.DrawCurrentFrame(0);
    const QString message = CaptureMessage([&] { main.DeleteFrames1->trigger(); });
    EXPECT_TRUE(message.startsWith("Deleting 8 frames would leave the sprite without frames")) << message.toStdString();
    EXPECT_EQ(Snap(*main.CurrentSHP), start);
    EXPECT_FALSE(main.Undo1->isEnabled());
    EXPECT_EQ(main.Undo1->text(), "Undo");
    EXPECT_EQ(main.History->Stack->count(), 0);
}

TEST_F(MainWindowTest, TheTitlesStarFollowsTheUndoHistory)
{
    const QString path = DataPath("unit.shp");
    UnitSprite()->SaveToFile(path.toStdString());
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    const QString saved = main.windowTitle();
    EXPECT_TRUE(saved.contains("[unit.shp]"));
    main.DeleteFrames1->trigger();
    EXPECT_TRUE(main.windowTitle().contains("[unit.shp*]"));
    EXPECT_TRUE(main.SaveButton->isEnabled());
    main.Undo1->trigger();
    EXPECT_EQ(main.windowTitle(), saved);
    EXPECT_FALSE(main.SaveButton->isEnabled());
    main.Redo1->trigger();
    EXPECT_TRUE(main.windowTitle().contains("[unit.shp*]"));

    // Saved after the deletion: that is the state without "*" now.
    TDialogScript script;
    script.SaveWith(0);
    script.Run([&] { main.SaveButton->click(); });
    EXPECT_TRUE(main.windowTitle().contains("[unit.shp]"));
    main.Undo1->trigger();
    EXPECT_TRUE(main.windowTitle().contains("[unit.shp*]"));
    main.Redo1->trigger();
    EXPECT_TRUE(main.windowTitle().contains("[unit.shp]"));

    // Another sprite starts a history of its own; a new sprite is never saved.
    AnswerQuestion(QMessageBox::Discard, [&] { main.MakeTestSHP1->trigger(); });
    EXPECT_FALSE(main.Undo1->isEnabled());
    main.DeleteFrames1->trigger();
    main.Undo1->trigger();
    EXPECT_TRUE(main.windowTitle().contains("*]"));
}

TEST_F(MainWindowTest, RecolouringAndRadarColourAreUndoable)
{
    TFrmMain& main = Window();
    Show(UnitSprite());
    const TSnapshot start = Snap(*main.CurrentSHP);
    TCScheme scheme;
    for (int i = 0; i < 256; ++i)
        scheme.Map[size_t(i)] = uint8_t(255 - i);
    main.EditSprite([&](TSHP& s) { return MakeRecolour(s, scheme); });
    EXPECT_EQ(main.CurrentSHP->GetFrame(0).Data[0], 254);
    EXPECT_EQ(main.Undo1->text(), "Undo Recolour");
    main.Undo1->trigger();
    EXPECT_EQ(Snap(*main.CurrentSHP), start);
    main.Redo1->trigger();
    EXPECT_EQ(main.CurrentSHP->GetFrame(7).Data[11], 255 - 82);

    main.DrawCurrentFrame(2);
    const uint32_t before = main.CurrentSHP->GetRadarColour(2);
    EXPECT_TRUE(AnswerColourDialog(QColor(10, 20, 30), [&] { main.RadarColClick(); }));
    EXPECT_EQ(main.CurrentSHP->GetRadarColour(2), 0x1E140Au);
    main.DrawCurrentFrame(0);
    main.Undo1->trigger();
    EXPECT_EQ(main.CurrentSHP->GetRadarColour(2), before);
    EXPECT_EQ(main.CurrentFrame, 2);
}

TEST_F(MainWindowTest, UndoMemoryIsBoundedDroppingTheOldestSteps)
{
    const QString path = DataPath("unit.shp");
    UnitSprite()->SaveToFile(path.toStdString());
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    // Canvases of 8 x 12 bytes: a bound of 4 x 96 bytes, each recolouring keeps one canvas.
    main.History->MinimumLimit = 0;
    EXPECT_EQ(main.History->Limit(), 384u);
    TCScheme plusOne;
    for (int i = 0; i < 256; ++i)
        plusOne.Map[size_t(i)] = uint8_t(i + 1);
    std::vector<TSnapshot> states{Snap(*main.CurrentSHP)};
    auto recolour = [&] {
        main.EditSprite([&](TSHP& s) { return MakeRecolour(s, plusOne); });
        states.push_back(Snap(*main.CurrentSHP));
    };
    for (int k = 0; k < 4; ++k)
        recolour();
    EXPECT_EQ(main.History->Stack->count(), 4);
    EXPECT_EQ(main.History->HeldBytes(), 384u);
    main.SetModified(false); // saved after step 4
    recolour();
    recolour();
    EXPECT_EQ(main.History->Stack->count(), 4);
    EXPECT_EQ(main.History->HeldBytes(), 384u);
    main.Undo1->trigger();
    main.Undo1->trigger();
    EXPECT_EQ(Snap(*main.CurrentSHP), states[4]);
    EXPECT_FALSE(main.windowTitle().contains("*]"));
    main.Undo1->trigger();
    main.Undo1->trigger();
    EXPECT_EQ(Snap(*main.CurrentSHP), states[2]);
    EXPECT_FALSE(main.Undo1->isEnabled());
    EXPECT_TRUE(main.windowTitle().contains("*]"));
    // A step larger than the bound is kept alone.
    main.EditSprite([](TSHP& s) { return MakeResizeCanvas(s, 40, 40, TAnchor::Centre); });
    main.EditSprite([](TSHP& s) { return MakeResizeCanvas(s, 4, 3, TAnchor::Centre); });
    EXPECT_EQ(main.History->Stack->count(), 1);
    EXPECT_EQ(main.Undo1->text(), "Undo Resize Canvas");
}

TEST_F(MainWindowTest, FramesPanelStartsHiddenLeavesTheLayoutAndHighlightsPartners)
{
    TFrmMain& main = Window();
    EXPECT_TRUE(main.FramesPanel->isHidden());
    EXPECT_FALSE(main.FramesPanel1->isChecked());
    Show(UnitSprite());
    const QRect view = main.centralWidget()->geometry();
    main.FramesPanel1->trigger();
    EXPECT_TRUE(main.FramesPanel->isVisible());
    EXPECT_LT(main.centralWidget()->width(), view.width());
    main.FramesPanel1->trigger();
    QApplication::processEvents();
    EXPECT_EQ(main.centralWidget()->geometry(), view);

    main.FramesPanel->show();
    TFramesModel& model = *main.FramesPanel->Model;
    EXPECT_EQ(model.rowCount(), 8);
    EXPECT_EQ(model.data(model.index(5), Qt::DisplayRole).toString(), "5\nshadow of 1");
    main.FramesPanel->SelectFrames({1}, 1);
    main.DrawCurrentFrame(1);
    EXPECT_TRUE(model.data(model.index(5), TFramesModel::PartnerRole).toBool());
    EXPECT_FALSE(model.data(model.index(4), TFramesModel::PartnerRole).toBool());
    main.KeepShadowsPaired1->setChecked(false);
    EXPECT_FALSE(model.data(model.index(5), TFramesModel::PartnerRole).toBool());
    main.KeepShadowsPaired1->setChecked(true);
    EXPECT_TRUE(model.data(model.index(5), TFramesModel::PartnerRole).toBool());
    // A click shows the frame; stepping makes the frame shown the one chosen.
    main.FramesPanel->List->setCurrentIndex(model.index(3));
    EXPECT_EQ(main.CurrentFrame, 3);
    main.NextFrameButton->click();
    EXPECT_EQ(main.FramesPanel->SelectedFrames(), std::vector<int>{4});
    // A sprite without shadow frames cannot pair them.
    main.TypeBox->setCurrentIndex(int(TSHPType::Animation));
    EXPECT_FALSE(main.KeepShadowsPaired1->isEnabled());
    EXPECT_EQ(model.data(model.index(5), Qt::DisplayRole).toString(), "5");
}

TEST_F(MainWindowTest, PaletteCarriedByTheFileIsKeptRemovedAndBroughtBack)
{
    TTrailer trailer;
    for (int i = 0; i < 256; ++i)
        trailer.Palette[size_t(i)] = MakeColour(uint8_t(i), 9, uint8_t(255 - i));
    trailer.Game = uint8_t(TSHPGame::TS);
    trailer.Type = uint8_t(TSHPType::Unit);
    const QString path = DataPath("carried.shp");
    const std::vector<uint8_t> original = TSFileBytes(2, 2, {std::vector<uint8_t>(4, 50)}, &trailer);
    WriteBytes(path, original);
    const std::vector<uint8_t> tail(original.end() - 778, original.end());
    TFrmMain& main = Window();
    auto saved = [&] {
        TDialogScript script;
        script.SaveWith(0);
        script.Run([&] { main.SaveButtonClick(); });
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    };
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    EXPECT_TRUE(main.SavePaletteInFile1->isChecked());

    main.SavePaletteInFile1->trigger();
    EXPECT_FALSE(main.SavePaletteInFile1->isChecked());
    EXPECT_EQ(main.Undo1->text(), "Undo Remove Palette from File");
    EXPECT_TRUE(main.windowTitle().contains("[carried.shp*]"));
    const std::vector<uint8_t> without = saved();
    EXPECT_FALSE(main.windowTitle().contains('*'));
    EXPECT_NE(std::vector<uint8_t>(without.end() - 5, without.end()), std::vector<uint8_t>({'E', 'X', 'T', 'R', 'A'}));

    main.Undo1->trigger();
    EXPECT_TRUE(main.SavePaletteInFile1->isChecked());
    EXPECT_TRUE(main.windowTitle().contains("[carried.shp*]"));
    const std::vector<uint8_t> with = saved();
    EXPECT_EQ(with.size(), without.size() + 778);
    EXPECT_EQ(std::vector<uint8_t>(with.end() - 778, with.end()), tail);
    main.Redo1->trigger();
    EXPECT_EQ(main.Redo1->text(), "Redo");
    EXPECT_TRUE(main.windowTitle().contains('*'));
    main.Undo1->trigger();
    EXPECT_FALSE(main.windowTitle().contains('*'));
}

} // namespace vantrel::test
