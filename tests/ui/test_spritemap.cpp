// Sprite maps from the main window: exporting the sprite shown to an 8-bit BMP named after its
// frame size and count, and importing one through the picture dialog and the import dialog.
#include "UiTestSupport.h"

#include "imaging/Imaging.h"
#include "sprite/Bmp8.h"
#include "sprite/SpriteSheet.h"
#include "ui/FormImport_SpriteMap.h"
#include "ui/SpriteView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include <cstring>

namespace vantrel::test {

namespace {

// What the modal windows a command opens are answered with, and what they showed.
struct TAnswers {
    explicit TAnswers(QString file = {}) : File(std::move(file)) {}
    // The file a picture dialog is accepted with; "" cancels it.
    QString File;
    // Works the import dialog (which must close it); none cancels it.
    std::function<void(TFrmImport_SpriteMap&)> Import;
    bool FileDialogShown = false;
    bool ImportDialogShown = false;
    QString Message;
    // The question about the unsaved changes of the sprite shown, answered with Discard.
    QString Question;
    // The question whether a file may be replaced, and its answer.
    QString ReplaceQuestion;
    QMessageBox::StandardButton Replace = QMessageBox::No;
};

// Runs action and answers every modal window it opens as answers says.
void Answer(TAnswers& answers, const std::function<void()>& action)
{
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&answers] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            answers.FileDialogShown = true;
            if (answers.File.isEmpty()) {
                files->reject();
            } else {
                // selectFile leaves a focused name box as it is.
                files->selectFile(answers.File);
                if (auto* name = files->findChild<QLineEdit*>("fileNameEdit"))
                    name->setText(answers.File);
                static_cast<QDialog*>(files)->accept();
            }
        } else if (auto* dialog = qobject_cast<TFrmImport_SpriteMap*>(modal)) {
            answers.ImportDialogShown = true;
            if (answers.Import)
                answers.Import(*dialog);
            else
                dialog->CancelButton->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (QAbstractButton* discard = box->button(QMessageBox::Discard)) {
                answers.Question = box->text();
                discard->click();
            } else if (box->button(QMessageBox::Yes)) {
                answers.ReplaceQuestion = box->text();
                box->button(answers.Replace)->click();
            } else {
                answers.Message = box->text();
                box->button(QMessageBox::Ok)->click();
            }
        }
    });
    timer.start();
    action();
    timer.stop();
}

// A sprite of count frames of width x height whose frame i holds index (i * 7 + x + y * width)
// mod 256 at (x, y), with index 0 kept in its top-left corner.
std::unique_ptr<TSHP> PatternSprite(int count, int width, int height)
{
    auto sprite = BlankSprite(count, width, height, TSHPGame::TS, TSHPType::Unit);
    for (int i = 0; i < count; ++i)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                SetPixel(*sprite, i, x, y, uint8_t(x + y == 0 ? 0 : (i * 7 + x + y * width) % 256));
    return sprite;
}

// Frame i's palette indices.
std::vector<uint8_t> FrameIndices(const TSHP& sprite, int i)
{
    const TSHPFrame& frame = sprite.GetFrame(i);
    const size_t size = size_t(sprite.Width) * size_t(sprite.Height);
    if (!frame.Data)
        return std::vector<uint8_t>(size, 0);
    return std::vector<uint8_t>(frame.Data.get(), frame.Data.get() + size);
}

// Writes an 8-bit picture of width x height whose colour table entry e is (e, 255 - e, e / 2).
void WriteIndexedPicture(const QString& path, int width, int height)
{
    TBitmap8 bitmap = MakeBitmap8(width, height);
    for (uint32_t e = 0; e < 256; ++e)
        bitmap.ColourTable[e] = e << 16 | (255 - e) << 8 | e / 2;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.Row(y)[x] = uint8_t(x * 3 + y * 5);
    SaveBmp8(bitmap, path.toStdString());
}

// Sets an edit box as a user typing would.
void Type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    edit->insert(text);
}

} // namespace

TEST_F(MainWindowTest, ExportWritesTheSpriteMapUnderTheSuffixedName)
{
    TFrmMain& main = Window();
    Show(PatternSprite(5, 6, 4));
    const TSHP* shown = main.CurrentSHP.get();
    const TPalette palette = shown->Palette;

    TAnswers answers{DataPath("tank.bmp")};
    Answer(answers, [&] { main.SpriteMap1->trigger(); });
    EXPECT_TRUE(answers.FileDialogShown);
    EXPECT_TRUE(answers.Message.isEmpty()) << answers.Message.toStdString();
    EXPECT_FALSE(QFile::exists(DataPath("tank.bmp")));
    const QString written = DataPath("tank0006x0004-000005.bmp");
    ASSERT_TRUE(QFile::exists(written));

    // 5 frames lie in 2 columns and 3 rows; the sixth cell stays index 0.
    const TBitmap8 map = LoadBmp8(written.toStdString());
    ASSERT_TRUE(map.IsIndexed());
    ASSERT_EQ(map.Width, 12);
    ASSERT_EQ(map.Height, 12);
    for (int e = 0; e < 256; ++e) {
        const TColour24 c = palette[size_t(e)];
        EXPECT_EQ(map.ColourTable[size_t(e)], 0xFF000000u | uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B) << e;
    }
    for (int i = 0; i < 6; ++i) {
        const int left = (i % 2) * 6;
        const int top = (i / 2) * 4;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                const uint8_t expected = i < 5 ? FrameIndices(*shown, i)[size_t(y * 6 + x)] : 0;
                ASSERT_EQ(map.Row(top + y)[left + x], expected) << "cell " << i << " at " << x << "," << y;
            }
    }
    // The export leaves the sprite and the window as they were, and says where it wrote.
    EXPECT_EQ(main.CurrentSHP.get(), shown);
    EXPECT_EQ(main.CurrentSHP->Palette, palette);
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [unknown.shp*] 6x4");
    EXPECT_EQ(main.statusBar()->currentMessage(),
              QString("Sprite map written to \"%1\"").arg(QDir::toNativeSeparators(written)));
    EXPECT_EQ(main.SavePictureDialog->windowTitle(), "Export Sprite Map");
    EXPECT_TRUE(answers.ReplaceQuestion.isEmpty());

    // Exporting again asks before the map is replaced.
    const uint8_t before = main.CurrentSHP->GetPixelIndex(0, 1, 1);
    SetPixel(*main.CurrentSHP, 0, 1, 1, 250);
    TAnswers keep{DataPath("tank.bmp")};
    Answer(keep, [&] { main.SpriteMap1->trigger(); });
    EXPECT_TRUE(keep.ReplaceQuestion.contains("tank0006x0004-000005.bmp")) << keep.ReplaceQuestion.toStdString();
    EXPECT_EQ(LoadBmp8(written.toStdString()).Row(1)[1], before);
    TAnswers replace{DataPath("tank.bmp")};
    replace.Replace = QMessageBox::Yes;
    Answer(replace, [&] { main.SpriteMap1->trigger(); });
    EXPECT_FALSE(replace.ReplaceQuestion.isEmpty());
    EXPECT_EQ(LoadBmp8(written.toStdString()).Row(1)[1], 250);
}

TEST_F(MainWindowTest, ExportCancelledWritesNothing)
{
    TFrmMain& main = Window();
    Show(PatternSprite(2, 3, 3));
    TAnswers answers;
    Answer(answers, [&] { main.SpriteMap1->trigger(); });
    EXPECT_TRUE(answers.FileDialogShown);
    EXPECT_TRUE(QDir(Folder.path()).entryList({"*.bmp"}, QDir::Files).isEmpty());
}

TEST_F(MainWindowTest, ExportThatCannotBeWrittenTellsWhyAndKeepsTheSprite)
{
    TFrmMain& main = Window();
    Show(PatternSprite(2, 3, 3));
    const TSHP* shown = main.CurrentSHP.get();
    // A folder stands where the sprite map would be written.
    ASSERT_TRUE(QDir(Folder.path()).mkdir("blocked0003x0003-000002.bmp"));
    TAnswers answers{DataPath("blocked.bmp")};
    Answer(answers, [&] { main.SpriteMap1->trigger(); });
    EXPECT_TRUE(answers.Message.contains("blocked0003x0003-000002.bmp")) << answers.Message.toStdString();
    EXPECT_EQ(main.CurrentSHP.get(), shown);
    EXPECT_TRUE(QFileInfo(DataPath("blocked0003x0003-000002.bmp")).isDir());
}

TEST_F(MainWindowTest, ExportedMapImportedAgainGivesTheSameFrames)
{
    TFrmMain& main = Window();
    Show(PatternSprite(16, 9, 7));
    const std::unique_ptr<TSHP> original = PatternSprite(16, 9, 7);
    TAnswers exportAnswers{DataPath("walker.bmp")};
    Answer(exportAnswers, [&] { main.SpriteMap1->trigger(); });
    const TPalette exportedPalette = main.CurrentSHP->Palette;
    const QString map = DataPath("walker0009x0007-000016.bmp");
    ASSERT_TRUE(QFile::exists(map));

    // Another sprite is shown before the import.
    Show(PatternSprite(1, 2, 2));
    TAnswers answers{map};
    answers.Import = [](TFrmImport_SpriteMap& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Import - Sprite Map");
        EXPECT_EQ(dialog.FrameWidth->text(), "9");
        EXPECT_EQ(dialog.FrameHeight->text(), "7");
        EXPECT_EQ(dialog.FrameCount->text(), "16");
        EXPECT_TRUE(dialog.ImportButton->isEnabled());
        EXPECT_TRUE(dialog.AnimateTimer->isActive());
        EXPECT_EQ(dialog.FullImage->Picture().size(), QSize(36, 28));
        dialog.ImportButton->click();
    };
    Answer(answers, [&] { main.SpriteMap2->trigger(); });
    EXPECT_TRUE(answers.ImportDialogShown);
    EXPECT_TRUE(answers.Message.isEmpty()) << answers.Message.toStdString();
    EXPECT_FALSE(main.FrmImport_SpriteMap->AnimateTimer->isActive());

    ASSERT_TRUE(main.CurrentSHP);
    const TSHP& imported = *main.CurrentSHP;
    ASSERT_EQ(imported.FrameCount(), 16);
    EXPECT_EQ(imported.Width, 9);
    EXPECT_EQ(imported.Height, 7);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(FrameIndices(imported, i), FrameIndices(*original, i)) << "frame " << i;
    EXPECT_EQ(imported.Palette, exportedPalette);
    EXPECT_TRUE(imported.CustomPalette);
    EXPECT_EQ(imported.Format, TSHPFormat::TS);
    EXPECT_EQ(imported.Game, TSHPGame::TS);
    EXPECT_EQ(imported.SHPType, TSHPType::Unit);
    EXPECT_EQ(imported.FileName, "walker0009x0007-000016.shp");
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [walker0009x0007-000016.shp*] 9x7");
    EXPECT_FALSE(main.Save1->isEnabled());
    EXPECT_FALSE(main.SaveButton->isEnabled());
    EXPECT_TRUE(main.SaveAs1->isEnabled());
    EXPECT_EQ(main.TrackBar->maximum(), 15);
    EXPECT_EQ(main.FrameLabel->text(), "00/15");
}

TEST_F(MainWindowTest, RealSpriteSurvivesExportAndImport)
{
    const QString file = QString(VANTREL_CORPUS_DIR) + "/ts/ora-cnc_apctur.shp";
    if (!QFile::exists(file))
        GTEST_SKIP() << "no corpus";
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(file, std::nullopt));
    const TSHP& opened = *main.CurrentSHP;
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < opened.FrameCount(); ++i)
        frames.push_back(FrameIndices(opened, i));

    TAnswers exportAnswers{DataPath("apctur.bmp")};
    Answer(exportAnswers, [&] { main.SpriteMap1->trigger(); });
    const QString map = DataPath("apctur0024x0024-000064.bmp");
    ASSERT_TRUE(QFile::exists(map));

    TAnswers answers{map};
    answers.Import = [](TFrmImport_SpriteMap& dialog) { dialog.ImportButton->click(); };
    Answer(answers, [&] { main.SpriteMap2->trigger(); });
    ASSERT_EQ(main.CurrentSHP->FrameCount(), int(frames.size()));
    for (int i = 0; i < main.CurrentSHP->FrameCount(); ++i)
        EXPECT_EQ(FrameIndices(*main.CurrentSHP, i), frames[size_t(i)]) << "frame " << i;
}

TEST_F(MainWindowTest, ImportDialogCutsTheMapAsItsFieldsSay)
{
    TFrmMain& main = Window();
    TFrmImport_SpriteMap& dialog = *main.FrmImport_SpriteMap;

    // Without a suffix the whole picture is one frame.
    const QString plain = DataPath("plain.bmp");
    WriteIndexedPicture(plain, 40, 20);
    ASSERT_TRUE(dialog.LoadSheet(plain.toStdString()));
    EXPECT_EQ(dialog.FrameWidth->text(), "40");
    EXPECT_EQ(dialog.FrameHeight->text(), "20");
    EXPECT_EQ(dialog.FrameCount->text(), "1");
    EXPECT_TRUE(dialog.ImportButton->isEnabled());

    // A suffix gives frame size and count: 4 x 2 cells of 10 x 10.
    const QString named = DataPath("cells0010x0010-000008.bmp");
    WriteIndexedPicture(named, 40, 20);
    ASSERT_TRUE(dialog.LoadSheet(named.toStdString()));
    EXPECT_EQ(dialog.SheetFrameWidth, 10);
    EXPECT_EQ(dialog.SheetFrameHeight, 10);
    EXPECT_EQ(dialog.SheetFrameCount, 8);
    EXPECT_EQ(dialog.FrameWidth->text(), "10");
    EXPECT_EQ(dialog.FrameCount->text(), "8");
    EXPECT_TRUE(dialog.ImportButton->isEnabled());

    // Typed values: 9 frames do not fit, nor do sizes or counts below 1; text that is no number
    // keeps the value it replaces.
    Type(dialog.FrameCount, "9");
    EXPECT_EQ(dialog.SheetFrameCount, 9);
    EXPECT_FALSE(dialog.ImportButton->isEnabled());
    Type(dialog.FrameCount, "8");
    EXPECT_TRUE(dialog.ImportButton->isEnabled());
    Type(dialog.FrameCount, "0");
    EXPECT_FALSE(dialog.ImportButton->isEnabled());
    Type(dialog.FrameCount, "8");
    Type(dialog.FrameWidth, "abc");
    EXPECT_EQ(dialog.SheetFrameWidth, 10);
    EXPECT_TRUE(dialog.ImportButton->isEnabled());
    Type(dialog.FrameWidth, "41");
    EXPECT_FALSE(dialog.ImportButton->isEnabled());
    Type(dialog.FrameWidth, "20");
    Type(dialog.FrameCount, "2");
    EXPECT_TRUE(dialog.ImportButton->isEnabled());

    // The preview steps through the cells with the map's colours and starts again after the last.
    const TBitmap8 bitmap = LoadBmp8(named.toStdString());
    dialog.SheetPreviewFrame = 0;
    for (int step = 0; step < 3; ++step) {
        dialog.AnimateTimerTimer();
        const int cell = step % 2;
        const QImage preview = dialog.PreviewImg->Picture();
        ASSERT_EQ(preview.size(), QSize(20, 10));
        ASSERT_EQ(preview.format(), QImage::Format_Indexed8);
        EXPECT_EQ(preview.pixelIndex(3, 4), bitmap.Row(4)[cell * 20 + 3]);
        EXPECT_EQ(preview.color(7) & 0xFFFFFF, bitmap.ColourTable[7] & 0xFFFFFF);
    }
    EXPECT_EQ(dialog.SheetPreviewFrame, 1);
    // A cell outside the picture shows nothing and the preview waits on it.
    Type(dialog.FrameCount, "5");
    dialog.SheetPreviewFrame = 4;
    dialog.AnimateTimerTimer();
    EXPECT_TRUE(dialog.PreviewImg->Picture().isNull());
    EXPECT_EQ(dialog.SheetPreviewFrame, 4);

    // The main window imports what the fields say.
    const QString path = DataPath("cells0010x0010-000008.bmp");
    TAnswers answers{path};
    answers.Import = [](TFrmImport_SpriteMap& d) {
        Type(d.FrameWidth, "20");
        Type(d.FrameHeight, "5");
        Type(d.FrameCount, "7");
        d.ImportButton->click();
    };
    Answer(answers, [&] { main.SpriteMap2->trigger(); });
    ASSERT_TRUE(main.CurrentSHP);
    ASSERT_EQ(main.CurrentSHP->FrameCount(), 7);
    EXPECT_EQ(main.CurrentSHP->Width, 20);
    EXPECT_EQ(main.CurrentSHP->Height, 5);
    // Frame 6 lies in column 0, row 3.
    EXPECT_EQ(main.CurrentSHP->GetFrame(6).Data[size_t(2 * 20 + 11)], bitmap.Row(3 * 5 + 2)[11]);
    EXPECT_EQ(main.CurrentSHP->Palette[200].R, 200);
    EXPECT_EQ(main.CurrentSHP->Palette[200].G, 55);
    EXPECT_EQ(main.CurrentSHP->Palette[200].B, 100);
}

TEST_F(MainWindowTest, ImportOfAPictureThatIsNot8BitTellsSoAndKeepsTheSprite)
{
    TFrmMain& main = Window();
    Show(PatternSprite(3, 4, 4));
    const TSHP* shown = main.CurrentSHP.get();
    const QString title = main.windowTitle();

    const QString path = DataPath("truecolour0004x0004-000001.bmp");
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(QColor(10, 20, 30));
    ASSERT_TRUE(picture.save(path, "BMP"));
    ASSERT_FALSE(LoadBmp8(path.toStdString()).IsIndexed());

    TAnswers answers{path};
    answers.Import = [](TFrmImport_SpriteMap& dialog) { dialog.ImportButton->click(); };
    Answer(answers, [&] { main.SpriteMap2->trigger(); });
    EXPECT_EQ(answers.Message, "Error Image is not 8-Bit. Unable to Import!");
    EXPECT_FALSE(answers.ImportDialogShown);
    EXPECT_EQ(main.CurrentSHP.get(), shown);
    EXPECT_EQ(main.windowTitle(), title);

    // A file that is no picture at all: the reader's reason, and nothing changes.
    const QString junk = DataPath("junk.bmp");
    WriteBytes(junk, {'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'});
    TAnswers junkAnswers{junk};
    Answer(junkAnswers, [&] { main.SpriteMap2->trigger(); });
    EXPECT_FALSE(junkAnswers.Message.isEmpty());
    EXPECT_FALSE(junkAnswers.ImportDialogShown);
    EXPECT_EQ(main.CurrentSHP.get(), shown);
}

TEST_F(MainWindowTest, ImportCancelledChangesNothing)
{
    TFrmMain& main = Window();
    Show(PatternSprite(3, 4, 4));
    const TSHP* shown = main.CurrentSHP.get();
    const QString path = DataPath("map0004x0004-000002.bmp");
    WriteIndexedPicture(path, 8, 4);

    TAnswers pictureCancelled;
    Answer(pictureCancelled, [&] { main.SpriteMap2->trigger(); });
    EXPECT_TRUE(pictureCancelled.FileDialogShown);
    EXPECT_FALSE(pictureCancelled.ImportDialogShown);
    EXPECT_EQ(main.CurrentSHP.get(), shown);

    TAnswers dialogCancelled{path};
    Answer(dialogCancelled, [&] { main.SpriteMap2->trigger(); });
    EXPECT_TRUE(dialogCancelled.ImportDialogShown);
    EXPECT_FALSE(main.FrmImport_SpriteMap->Accepted);
    EXPECT_EQ(main.CurrentSHP.get(), shown);
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [unknown.shp*] 4x4");

    // Import works from a window that shows no sprite yet.
    Main.reset();
    TFrmMain& fresh = Window();
    TAnswers first{path};
    first.Import = [](TFrmImport_SpriteMap& dialog) { dialog.ImportButton->click(); };
    Answer(first, [&] { fresh.SpriteMap2->trigger(); });
    ASSERT_TRUE(fresh.CurrentSHP);
    EXPECT_EQ(fresh.CurrentSHP->FrameCount(), 2);
    EXPECT_TRUE(fresh.Export1->menuAction()->isEnabled());
}

} // namespace vantrel::test
