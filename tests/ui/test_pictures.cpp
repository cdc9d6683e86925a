// File > Export and Import through the picture formats, and frames inserted from a true-colour
// picture: the files written and read, the questions before replacing files and sprites, and
// the count of inexactly matched pixels.
#include "UiTestSupport.h"

#include "imaging/ImageFormats.h"
#include "ui/FormInsertFrames.h"
#include "ui/UndoCommands.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QStatusBar>

namespace vantrel::test {

namespace {

// 8 frames of 4 x 3 with distinct indices and the TS unit test palette.
std::unique_ptr<TSHP> PaintedSprite()
{
    auto sprite = BlankSprite(8, 4, 3, TSHPGame::TS, TSHPType::Unit);
    for (int i = 0; i < 256; ++i)
        sprite->Palette[size_t(i)] = TestPaletteColour(SeedTSUnit, i);
    for (int k = 0; k < 8; ++k) {
        for (int i = 0; i < 12; ++i)
            sprite->GetFrame(k).Data[size_t(i)] = uint8_t(i == k ? 0 : 20 * k + i + 1);
        sprite->UpdateFrameBounds(k);
    }
    return sprite;
}

std::vector<std::vector<uint8_t>> FramePixels(const TSHP& s)
{
    std::vector<std::vector<uint8_t>> frames;
    for (const TSHPFrame& f : s.Frames)
        frames.emplace_back(f.Data.get(), f.Data.get() + size_t(s.Width) * size_t(s.Height));
    return frames;
}

QAction* Item(const std::vector<QAction*>& items, const QString& text)
{
    for (QAction* a : items)
        if (a->text() == text)
            return a;
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
}

void WriteTrueColour(const QString& path, QColor colour)
{
    QImage picture(4, 3, QImage::Format_ARGB32);
    picture.fill(colour);
    picture.setPixelColor(0, 0, Qt::transparent);
    ASSERT_TRUE(picture.save(path, "PNG"));
}

} // namespace

TEST_F(MainWindowTest, PictureFormatsAreListedBesideTheSpriteMap)
{
    TFrmMain& main = Window();
    QStringList exports, imports;
    for (QAction* a : main.ExportPictureItems)
        exports << a->text();
    for (QAction* a : main.ImportPictureItems)
        imports << a->text();
    EXPECT_EQ(exports, QStringList({"Indexed PNG sprite sheet...", "Indexed PNG frame sequence..."}));
    EXPECT_EQ(imports, QStringList({"Indexed PNG sprite sheet...", "Indexed PNG frame sequence...",
                                    "Picture (true colour or indexed)..."}));
    EXPECT_EQ(main.Export1->actions().first()->text(), "Sprite Map");
    EXPECT_EQ(main.Import1->actions().first()->text(), "Sprite Map");
    EXPECT_FALSE(main.Export1->menuAction()->isEnabled());
}

TEST_F(MainWindowTest, PngSequenceImportedThroughTheWindow)
{
    const auto original = PaintedSprite();
    QDir().mkpath(DataPath("seq"));
    FindImageFormat("png-frames")->Write(*original, DataPath("seq/walk.png").toStdString());
    ASSERT_TRUE(QFileInfo::exists(DataPath("seq/walk-0007.png")));
    TFrmMain& main = Window();
    Show(BlankSprite(2, 5, 5, TSHPGame::TS, TSHPType::Animation));
    TDialogScript script;
    script.File(DataPath("seq/walk-0003.png")).Question(QMessageBox::Discard);
    script.Run([&] { Item(main.ImportPictureItems, "Indexed PNG frame sequence...")->trigger(); });
    ASSERT_EQ(main.CurrentSHP->FrameCount(), 8);
    EXPECT_EQ(FramePixels(*main.CurrentSHP), FramePixels(*original));
    EXPECT_EQ(main.CurrentSHP->Palette, original->Palette);
    EXPECT_TRUE(main.windowTitle().contains("[walk.shp*] 4x3")) << main.windowTitle().toStdString();
    EXPECT_FALSE(main.Undo1->isEnabled());
    EXPECT_EQ(main.FrameLabel->text(), "0/7");
}

TEST_F(MainWindowTest, FramesOfSeveralFilesAreInsertedInNumberOrder)
{
    const auto original = PaintedSprite();
    QDir().mkpath(DataPath("many"));
    FindImageFormat("png-frames")->Write(*original, DataPath("many/walk.png").toStdString());
    TFrmMain& main = Window();
    Show(PaintedSprite());
    main.KeepShadowsPaired1->setChecked(false);
    TDialogScript script;
    QString told;
    script.Dialog<QFileDialog>([&](QFileDialog& d) {
        d.setDirectory(DataPath("many"));
        AcceptFile(d, "\"walk-0005.png\" \"walk-0001.png\"");
    });
    script.Dialog<TFrmInsertFrames>([&](TFrmInsertFrames& d) {
        told = d.SourceLabel->text();
        d.OkButton->click();
    });
    script.Run([&] { main.InsertFrames1->trigger(); });
    EXPECT_EQ(told, "2 frame(s) of 4 x 3 from 2 files, \"walk-0001.png\" to \"walk-0005.png\"");
    const auto frames = FramePixels(*original);
    auto expected = frames;
    expected.insert(expected.begin() + 1, {frames[1], frames[5]});
    EXPECT_EQ(FramePixels(*main.CurrentSHP), expected);
    EXPECT_EQ(main.Undo1->text(), "Undo Insert Frames");
    main.Undo1->trigger();
    EXPECT_EQ(FramePixels(*main.CurrentSHP), frames);

    // Files whose frames differ in size are refused together, naming both.
    WriteTrueColour(DataPath("many/other.png"), QColor(0, 0, 0));
    QImage wide(5, 3, QImage::Format_ARGB32);
    wide.fill(Qt::black);
    ASSERT_TRUE(wide.save(DataPath("many/wide.png"), "PNG"));
    TDialogScript mixed;
    mixed.Dialog<QFileDialog>([&](QFileDialog& d) {
        d.setDirectory(DataPath("many"));
        AcceptFile(d, "\"other.png\" \"wide.png\"");
    });
    mixed.Message();
    mixed.Run([&] { main.InsertFrames1->trigger(); });
    EXPECT_TRUE(mixed.Messages.value(0).contains("wide.png\" are 5 x 3 pixels")) << mixed.Messages.value(0).toStdString();
    EXPECT_EQ(main.CurrentSHP->FrameCount(), 8);
}

TEST_F(MainWindowTest, ExportAsksBeforeReplacingAndTellsWhatItWrote)
{
    TFrmMain& main = Window();
    Show(PaintedSprite());
    const QString chosen = QDir::toNativeSeparators(DataPath("out/tank.png"));
    QDir().mkpath(DataPath("out"));
    QAction* sheet = Item(main.ExportPictureItems, "Indexed PNG sprite sheet...");
    const QString written = QDir::toNativeSeparators(DataPath("out/tank0004x0003-000008.png"));
    TDialogScript first;
    first.File(chosen);
    first.Run([&] { sheet->trigger(); });
    EXPECT_TRUE(QFileInfo::exists(written));
    EXPECT_EQ(main.statusBar()->currentMessage(), "Written to \"" + written + "\"");

    TDialogScript refused;
    refused.File(chosen).Message(QMessageBox::No);
    main.statusBar()->clearMessage();
    refused.Run([&] { sheet->trigger(); });
    EXPECT_TRUE(refused.Messages.value(0).startsWith("\"" + written + "\" already exists."));
    EXPECT_TRUE(main.statusBar()->currentMessage().isEmpty());

    QAction* frames = Item(main.ExportPictureItems, "Indexed PNG frame sequence...");
    TDialogScript sequence;
    sequence.File(chosen);
    sequence.Run([&] { frames->trigger(); });
    EXPECT_EQ(main.statusBar()->currentMessage(),
              QString("8 files written, \"%1\" to \"%2\"")
                  .arg(QDir::toNativeSeparators(DataPath("out/tank-0000.png")),
                       QDir::toNativeSeparators(DataPath("out/tank-0007.png"))));
    TDialogScript again;
    again.File(chosen).Message(QMessageBox::Yes);
    again.Run([&] { frames->trigger(); });
    EXPECT_TRUE(again.Messages.value(0).startsWith("8 of the files already exist")) << again.Messages.value(0).toStdString();
}

TEST_F(MainWindowTest, TrueColourPicturesTellHowManyPixelsMatchedInexactly)
{
    // Entries of the test palette are multiples of 4; (1, 2, 3) is none of them.
    WriteTrueColour(DataPath("odd.png"), QColor(1, 2, 3));
    TFrmMain& main = Window();
    TDialogScript import;
    import.File(DataPath("odd.png")).Message();
    import.Run([&] { Item(main.ImportPictureItems, "Picture (true colour or indexed)...")->trigger(); });
    ASSERT_TRUE(main.CurrentSHP);
    EXPECT_TRUE(import.Messages.value(0).startsWith("11 pixel(s) matched inexactly")) << import.Messages.value(0).toStdString();
    EXPECT_EQ(main.CurrentSHP->GetPixelIndex(0, 0, 0), 0);
    EXPECT_NE(main.CurrentSHP->GetPixelIndex(0, 1, 0), 0);

    // Inserted into the sprite shown: exact colours keep their lowest index, others are counted.
    main.KeepShadowsPaired1->setChecked(false);
    const TColour24 exact = main.CurrentSHP->Palette[50];
    WriteTrueColour(DataPath("exact.png"), ToQColor(exact));
    TDialogScript insert;
    insert.File(DataPath("exact.png")).Dialog<TFrmInsertFrames>([](TFrmInsertFrames& d) { d.OkButton->click(); });
    insert.Run([&] { main.InsertFrames1->trigger(); });
    ASSERT_EQ(main.CurrentSHP->FrameCount(), 2);
    EXPECT_EQ(main.CurrentSHP->GetPixelIndex(1, 1, 0), 50);
    TDialogScript inexact;
    inexact.File(DataPath("odd.png")).Dialog<TFrmInsertFrames>([](TFrmInsertFrames& d) { d.OkButton->click(); }).Message();
    inexact.Run([&] { main.InsertFrames1->trigger(); });
    EXPECT_TRUE(inexact.Messages.value(0).startsWith("11 pixel(s) matched inexactly"));
    EXPECT_EQ(main.Undo1->text(), "Undo Insert Frames");

    // A file that is no picture: an error, and the sprite as it was.
    WriteBytes(DataPath("bad.png"), {'n', 'o'});
    TDialogScript bad;
    bad.File(DataPath("bad.png")).Message();
    bad.Run([&] { main.InsertFrames1->trigger(); });
    EXPECT_TRUE(bad.Messages.value(0).startsWith("Unable to insert frames from"));
    EXPECT_EQ(main.CurrentSHP->FrameCount(), 3);
}

} // namespace vantrel::test
