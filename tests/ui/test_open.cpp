// Opening files into the window: sprites written by the writer and by hand, files that cannot be
// shown, palettes carried by the file, and dropped files.
#include "UiTestSupport.h"

#include "ui/FormOpen.h"
#include "ui/PaletteView.h"
#include "ui/SpriteView.h"
#include "ui/WidenCombos.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>

namespace vantrel::test {

namespace {

std::vector<uint8_t> Frame(int width, int height, uint8_t fill)
{
    return std::vector<uint8_t>(size_t(width * height), fill);
}

} // namespace

TEST_F(MainWindowTest, OpensASpriteSavedByTheWriter)
{
    auto sprite = BlankSprite(4, 10, 6, TSHPGame::TS, TSHPType::Animation);
    SetPixel(*sprite, 0, 2, 1, 33);
    for (int i = 0; i < 4; ++i)
        sprite->UpdateFrameBounds(i);
    const QString path = DataPath("tank.shp");
    sprite->SaveToFile(path.toStdString());

    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    ASSERT_TRUE(main.CurrentSHP);
    EXPECT_EQ(main.CurrentSHP->FrameCount(), 4);
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [tank.shp] 10x6");
    EXPECT_FALSE(main.SaveButton->isEnabled());
    EXPECT_EQ(main.FrameLabel->text(), "0/3");
    // Sprite pixel (2, 1) at scale 4.
    EXPECT_EQ(PixelAt(main.SHPImage, 9, 5), ToQColor(TestPaletteColour(SeedTSUnit, 33)));
}

TEST_F(MainWindowTest, OpenAppliesTheGameAndTypeChosenInTheDialog)
{
    const QString path = DataPath("unit.shp");
    WriteBytes(path, TSFileBytes(4, 4, {Frame(4, 4, 1), Frame(4, 4, 2)}));
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, TOpenChoice{int(TSHPGame::RA2), int(TSHPType::Cameo)}));
    EXPECT_EQ(main.CurrentSHP->Game, TSHPGame::RA2);
    EXPECT_EQ(main.CurrentSHP->SHPType, TSHPType::Cameo);
    EXPECT_TRUE(main.GameRA2Button->isChecked());
    EXPECT_EQ(main.TypeBox->currentText(), "Cameo");
}

TEST_F(MainWindowTest, OpenCommandShowsTheFileChosenInTheDialog)
{
    const QString path = DataPath("chosen.shp");
    WriteBytes(path, TSFileBytes(4, 4, {Frame(4, 4, 1), Frame(4, 4, 2)}));
    TFrmMain& main = Window();
    // Cancelled: nothing changes.
    QTimer::singleShot(0, main.FrmOpen, [&main] { main.FrmOpen->CloseButtonClick(); });
    main.OpenButton->click();
    EXPECT_FALSE(main.CurrentSHP);

    QTimer::singleShot(0, main.FrmOpen, [&main, path] {
        main.FrmOpen->SelectedFile = path;
        main.FrmOpen->PrevGameRA2->click();
        main.FrmOpen->PreviewTypeBox->setCurrentIndex(int(TSHPType::Cameo));
        main.FrmOpen->OkButtonClick();
    });
    main.Open1->trigger();
    ASSERT_TRUE(main.CurrentSHP);
    EXPECT_EQ(main.CurrentSHP->FileName, path.toStdString());
    EXPECT_EQ(main.CurrentSHP->Game, TSHPGame::RA2);
    EXPECT_EQ(main.CurrentSHP->SHPType, TSHPType::Cameo);
    EXPECT_TRUE(main.GameRA2Button->isChecked());
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [chosen.shp] 4x4");
}

TEST_F(MainWindowTest, FailedOpenTellsWhyAndKeepsTheSpriteShown)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    TSHP* shown = main.CurrentSHP.get();
    main.TrackBar->setValue(9);

    const QString missing = DataPath("missing.shp");
    QString message = CaptureMessage([&] { EXPECT_FALSE(main.OpenSHPFile(missing, std::nullopt)); });
    EXPECT_TRUE(message.contains("missing.shp")) << message.toStdString();

    const QString text = DataPath("notes.shp");
    WriteBytes(text, {'a', 'b', 'c', 'd'});
    message = CaptureMessage([&] { EXPECT_FALSE(main.OpenSHPFile(text, std::nullopt)); });
    EXPECT_TRUE(message.contains("notes.shp")) << message.toStdString();
    EXPECT_TRUE(message.contains("not an SHP")) << message.toStdString();

    EXPECT_EQ(main.CurrentSHP.get(), shown);
    EXPECT_EQ(main.CurrentFrame, 9);
    EXPECT_EQ(main.FrameLabel->text(), "009/343");
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [unknown.shp*] 64x64");
    EXPECT_EQ(PixelAt(main.SHPImage, 20, 4), ToQColor(TestPaletteColour(SeedTSUnit, 16)));
}

TEST_F(MainWindowTest, FailedOpenWithoutASpriteLeavesTheWindowEmpty)
{
    TFrmMain& main = Window();
    const QString message = CaptureMessage([&] { main.OpenSHPFile(DataPath("none.shp"), std::nullopt); });
    EXPECT_FALSE(message.isEmpty());
    EXPECT_FALSE(main.CurrentSHP);
    EXPECT_EQ(main.FrameLabel->text(), "000/000");
    EXPECT_FALSE(main.SaveAsButton->isEnabled());
}

TEST_F(MainWindowTest, PaletteCarriedByTheFileLeavesGameAndTypeAlone)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    main.GameRA2Button->click();

    TTrailer trailer;
    for (int i = 0; i < 256; ++i)
        trailer.Palette[size_t(i)] = MakeColour(uint8_t(i), 7, uint8_t(255 - i));
    trailer.Game = 0;
    trailer.Type = uint8_t(TSHPType::Cameo);
    const QString path = DataPath("own.shp");
    WriteBytes(path, TSFileBytes(2, 2, {Frame(2, 2, 50)}, &trailer));
    AnswerQuestion(QMessageBox::Discard, [&] { ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt)); });
    EXPECT_TRUE(main.CurrentSHP->CustomPalette);
    EXPECT_TRUE(main.GameRA2Button->isChecked());
    EXPECT_EQ(main.TypeBox->currentText(), "Unit");
    EXPECT_EQ(PixelAt(main.SHPImage, 0, 0), QColor(50, 7, 205));
    EXPECT_EQ(main.PaletteImg->Picture().pixelColor(PaletteCellX(50) + 1, PaletteCellY(50) + 1), QColor(50, 7, 205));
}

TEST_F(MainWindowTest, OutOfRangeGameAndTypeSelectNothing)
{
    TTrailer trailer;
    trailer.Game = 9;
    trailer.Type = 42;
    const QString path = DataPath("odd.shp");
    WriteBytes(path, TSFileBytes(2, 2, {Frame(2, 2, 3), Frame(2, 2, 4)}, &trailer));
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    ASSERT_TRUE(main.CurrentSHP->CustomPalette);

    // Drive the window through the same state without the trailer's protection.
    main.CurrentSHP->CustomPalette = false;
    main.ShowLoadedSHP();
    for (QToolButton* button : main.GameButtons)
        EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(main.TypeBox->currentIndex(), -1);
    main.NextFrameButton->click();
    main.AnimateTimerTimer();
    main.DrawShadowsButton->click();
    main.TransparentShadowsButton->click();
    EXPECT_EQ(main.FrameLabel->text(), "0/1");
}

TEST_F(MainWindowTest, DroppedSHPFileIsOpenedWithTheTypeItDetects)
{
    const QString path = DataPath("drop.shp");
    WriteBytes(path, TSFileBytes(3, 3, {Frame(3, 3, 1)}));
    TFrmMain& main = Window();

    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(DataPath("palette/direct.pal"))});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &refused);
    EXPECT_FALSE(refused.isAccepted());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &drop);
    // The file is opened once the drop has ended.
    EXPECT_FALSE(main.CurrentSHP);
    QApplication::processEvents();
    ASSERT_TRUE(main.CurrentSHP);
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [drop.shp] 3x3");
}

TEST_F(MainWindowTest, OpensRealSpritesFromTheCorpus)
{
    const QString corpus = VANTREL_CORPUS_DIR;
    if (!QDir(corpus).exists())
        GTEST_SKIP() << "no corpus";
    TFrmMain& main = Window();
    int opened = 0;
    for (const QString& folder : {QString("ts"), QString("td")}) {
        const QFileInfoList files = QDir(corpus + "/" + folder).entryInfoList({"*.shp"}, QDir::Files, QDir::Name);
        for (int i = 0; i < std::min<qsizetype>(files.size(), 3); ++i) {
            const QString message = CaptureMessage([&] {
                if (main.OpenSHPFile(files[i].filePath(), std::nullopt))
                    ++opened;
            });
            EXPECT_TRUE(message.isEmpty()) << files[i].fileName().toStdString() << ": " << message.toStdString();
            ASSERT_TRUE(main.CurrentSHP);
            EXPECT_EQ(main.SHPImage->size(),
                      QSize(main.CurrentSHP->Width * 4, main.CurrentSHP->Height * 4));
            main.PrevFrameButton->click();
            EXPECT_EQ(main.CurrentFrame, main.CurrentSHP->FrameCount() - 1);
        }
    }
    EXPECT_GT(opened, 0);
}

} // namespace vantrel::test
