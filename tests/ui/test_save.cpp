// Saving from the main window: Save and Save As through the file dialog and the Save Options
// dialog, round trips through files, cancelling, failing writes, the title and the enabled
// commands.
#include "UiTestSupport.h"

#include "sprite/FileUtil.h"
#include "ui/FormSaveOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <unistd.h>

namespace vantrel::test {

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

uint16_t FrameFlags(const QByteArray& file, int frame)
{
    const int at = 8 + 24 * frame + 8;
    return uint16_t(uint8_t(file[at]) | (uint8_t(file[at + 1]) << 8));
}

// A TS unit of four 6 x 5 frames (two pictures and their shadows) with a few pixels set.
std::unique_ptr<TSHP> PaintedSprite()
{
    auto sprite = BlankSprite(4, 6, 5, TSHPGame::TS, TSHPType::Unit);
    SetPixel(*sprite, 0, 1, 1, 17);
    SetPixel(*sprite, 0, 4, 3, 200);
    for (int x = 0; x < 6; ++x)
        SetPixel(*sprite, 1, x, 2, uint8_t(40 + x));
    SetPixel(*sprite, 2, 2, 2, 1);
    for (int i = 0; i < sprite->FrameCount(); ++i)
        sprite->UpdateFrameBounds(i);
    return sprite;
}

void ExpectSameFrames(const TSHP& expected, const TSHP& actual)
{
    ASSERT_EQ(actual.Width, expected.Width);
    ASSERT_EQ(actual.Height, expected.Height);
    ASSERT_EQ(actual.FrameCount(), expected.FrameCount());
    const size_t size = size_t(expected.Width * expected.Height);
    for (int i = 0; i < expected.FrameCount(); ++i) {
        const TSHPFrame& a = expected.GetFrame(i);
        const TSHPFrame& b = actual.GetFrame(i);
        for (size_t p = 0; p < size; ++p) {
            const uint8_t va = a.Data ? a.Data[p] : 0;
            const uint8_t vb = b.Data ? b.Data[p] : 0;
            ASSERT_EQ(va, vb) << "frame " << i << " pixel " << p;
        }
    }
}

std::unique_ptr<TSHP> LoadBack(const QString& path)
{
    auto sprite = std::make_unique<TSHP>();
    sprite->LoadFromFile(path.toStdString());
    return sprite;
}

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

// Marks the sprite shown as changed, as an edit does.
void ChangeShownSprite(TFrmMain& main, int x, int y, uint8_t index)
{
    SetPixel(*main.CurrentSHP, 0, x, y, index);
    main.CurrentSHP->UpdateFrameBounds(0);
    main.CurrentSHP->IsSaved = false;
    main.UpdateCaption();
}

} // namespace

TEST_F(MainWindowTest, SaveAsWritesANewSpriteWithTheChosenCompression)
{
    Show(PaintedSprite());
    TFrmMain& main = Window();
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [unknown.shp*] 6x5");
    EXPECT_FALSE(main.SaveButton->isEnabled());
    EXPECT_FALSE(main.Save1->isEnabled());
    EXPECT_TRUE(main.SaveAsButton->isEnabled());
    EXPECT_TRUE(main.SaveAs1->isEnabled());

    const QString path = Native(DataPath("out/tank.shp"));
    QDir().mkpath(DataPath("out"));
    QString presetName = "not shown";
    QString optionsName;
    TDialogScript script;
    script.File(path, &presetName).Options([&optionsName](TFrmSaveOptions& d) {
        optionsName = d.FilenameEdit->text();
        d.CompressionItems[3]->click();
        d.PngBitBtn1->click();
    });
    script.Run([&main] { main.SaveAsButton->click(); });

    // The dialog proposes the sprite's own name, "unknown.shp", in the folder last used.
    EXPECT_TRUE(presetName.endsWith("/unknown.shp")) << presetName.toStdString();
    EXPECT_EQ(optionsName, path);
    ASSERT_TRUE(QFile::exists(path));
    const TSHP& shown = *main.CurrentSHP;
    EXPECT_EQ(shown.FileName, path.toStdString());
    EXPECT_TRUE(shown.IsSaved);
    EXPECT_TRUE(shown.HasFile);
    EXPECT_EQ(shown.CompressionMode, 3);
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [tank.shp] 6x5");
    EXPECT_FALSE(main.SaveButton->isEnabled());
    EXPECT_FALSE(main.Save1->isEnabled());
    EXPECT_TRUE(main.SaveAsButton->isEnabled());

    const QByteArray bytes = ReadAll(path);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(FrameFlags(bytes, i) & 2, 0) << "frame " << i << " stored compressed";
    auto back = LoadBack(path);
    EXPECT_EQ(back->Format, TSHPFormat::TS);
    ExpectSameFrames(*PaintedSprite(), *back);
}

TEST_F(MainWindowTest, SaveAsPresetsTheFileAndKeepsTheCompressionForTheNextSave)
{
    Show(PaintedSprite());
    TFrmMain& main = Window();
    const QString first = Native(DataPath("first.shp"));
    TDialogScript script;
    script.File(first).SaveWith(2);
    script.Run([&main] { main.SaveAs1->trigger(); });
    ASSERT_TRUE(QFile::exists(first));
    const QByteArray firstBytes = ReadAll(first);
    for (int i = 0; i < 3; ++i) // frame 3 is empty and has no data
        EXPECT_EQ(FrameFlags(firstBytes, i) & 2, 2) << "frame " << i << " not compressed";

    // The next Save As starts at the file and with "All Compressed"; "Change" picks another
    // file, and that is the one written.
    const QString dialogPath = Native(DataPath("dialog.shp"));
    const QString changed = Native(DataPath("changed.shp"));
    QString presetName;
    int preselected = -1;
    TDialogScript again;
    again.File(dialogPath, &presetName)
        .Options([&preselected](TFrmSaveOptions& d) {
            preselected = d.SelectedCompression();
            QMetaObject::invokeMethod(d.Button1, &QPushButton::click, Qt::QueuedConnection);
        })
        .File(changed)
        .Options([&](TFrmSaveOptions& d) {
            EXPECT_EQ(d.FilenameEdit->text(), changed);
            d.PngBitBtn1->click();
        });
    again.Run([&main] { main.SaveAs1Click(); });

    EXPECT_EQ(Native(presetName), first);
    EXPECT_EQ(preselected, 2);
    EXPECT_FALSE(QFile::exists(dialogPath));
    ASSERT_TRUE(QFile::exists(changed));
    EXPECT_EQ(ReadAll(changed), firstBytes);
    EXPECT_EQ(main.CurrentSHP->FileName, changed.toStdString());
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [changed.shp] 6x5");
}

TEST_F(MainWindowTest, CancellingASaveChangesNothing)
{
    Show(PaintedSprite());
    TFrmMain& main = Window();
    main.CurrentSHP->CompressionMode = 1;
    const QString path = Native(DataPath("never.shp"));
    const QString title = main.windowTitle();

    TDialogScript cancelFile;
    cancelFile.File("");
    cancelFile.Run([&main] { main.SaveAsButton->click(); });

    TDialogScript cancelOptions;
    cancelOptions.File(path).Options([](TFrmSaveOptions& d) {
        d.CompressionItems[3]->click();
        d.PngBitBtn2->click();
    });
    cancelOptions.Run([&main] { main.SaveAsButton->click(); });

    // Closing the options window by its title bar is a Cancel too.
    TDialogScript closeOptions;
    closeOptions.File(path).Options([](TFrmSaveOptions& d) { d.close(); });
    closeOptions.Run([&main] { main.SaveAsButton->click(); });

    EXPECT_FALSE(main.FrmSaveOptions->Accepted);
    EXPECT_FALSE(QFile::exists(path));
    const TSHP& shown = *main.CurrentSHP;
    EXPECT_EQ(shown.FileName, "unknown.shp");
    EXPECT_FALSE(shown.IsSaved);
    EXPECT_FALSE(shown.HasFile);
    EXPECT_EQ(shown.CompressionMode, 1);
    EXPECT_EQ(main.windowTitle(), title);
    EXPECT_TRUE(main.SaveAsButton->isEnabled());
    EXPECT_FALSE(main.SaveButton->isEnabled());
}

TEST_F(MainWindowTest, SaveRewritesTheOpenedFileOnceItChanged)
{
    const QString path = Native(DataPath("opened.shp"));
    PaintedSprite()->SaveToFile(path.toStdString());
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [opened.shp] 6x5");
    EXPECT_FALSE(main.SaveButton->isEnabled());
    EXPECT_FALSE(main.Save1->isEnabled());

    ChangeShownSprite(main, 5, 4, 99);
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [opened.shp*] 6x5");
    EXPECT_TRUE(main.SaveButton->isEnabled());
    EXPECT_TRUE(main.Save1->isEnabled());

    QString optionsName;
    TDialogScript script;
    script.Options([&optionsName](TFrmSaveOptions& d) {
        optionsName = d.FilenameEdit->text();
        d.CompressionItems[0]->click();
        d.PngBitBtn1->click();
    });
    script.Run([&main] { main.SaveButton->click(); });

    EXPECT_EQ(optionsName, path);
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [opened.shp] 6x5");
    EXPECT_FALSE(main.SaveButton->isEnabled());
    EXPECT_FALSE(main.Save1->isEnabled());
    auto back = LoadBack(path);
    ExpectSameFrames(*main.CurrentSHP, *back);
    EXPECT_EQ(back->GetFrame(0).Data[size_t(4 * 6 + 5)], 99);

    // The menu item (and its Ctrl+S) saves the same way.
    ChangeShownSprite(main, 0, 0, 7);
    TDialogScript menu;
    menu.SaveWith(0);
    menu.Run([&main] { main.Save1->trigger(); });
    EXPECT_EQ(LoadBack(path)->GetFrame(0).Data[0], 7);
    EXPECT_FALSE(main.Save1->isEnabled());
}

// The compression captions fit their items at the desktop's font, the layout text beside them.
TEST_F(MainWindowTest, SaveOptionsCaptionsFit)
{
    TFrmSaveOptions& options = *Window().FrmSaveOptions;
    for (QRadioButton* item : options.CompressionItems) {
        EXPECT_GE(item->width(), item->sizeHint().width()) << item->text().toStdString();
        EXPECT_LE(item->geometry().right(), options.CompressionMode->contentsRect().right());
    }
    EXPECT_GT(options.LayoutLabel->x(), options.CompressionMode->geometry().right());
    EXPECT_LE(options.LayoutLabel->geometry().right(), options.width());
}

TEST_F(MainWindowTest, ForcedFlagsReachTheFileAndTheLabelShowsThem)
{
    Show(PaintedSprite());
    TFrmMain& main = Window();
    TFrmSaveOptions& options = *main.FrmSaveOptions;
    ASSERT_EQ(options.FlagBoxes.size(), 15u);
    EXPECT_EQ(options.ForceFlagLabel->text(), "HEX:");

    const QString path = Native(DataPath("flags.shp"));
    QStringList labels;
    TDialogScript script;
    script.File(path).Options([&labels](TFrmSaveOptions& d) {
        for (int item : {1, 2, 3, 0}) {
            d.CompressionItems[size_t(item)]->click();
            labels << d.ForceFlagLabel->text();
        }
        d.ForceFlagsGroup->findChild<QCheckBox*>("CheckBox2")->click();
        d.ForceFlagsGroup->findChild<QCheckBox*>("CheckBox10")->click();
        labels << d.ForceFlagLabel->text();
        d.PngBitBtn1->click();
    });
    script.Run([&main] { main.SaveAsButton->click(); });

    EXPECT_EQ(labels, QStringList({"HEX: 0000 / 0002", "HEX: 0002", "HEX: 0000", "HEX: 0000 or 0002",
                                   "HEX: 8004 or 8006"}));
    EXPECT_EQ(options.GetForcedFlags(), 0x8004);
    EXPECT_EQ(main.CurrentSHP->ForcedFlags, 0x8004);
    const QByteArray bytes = ReadAll(path);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(FrameFlags(bytes, i) & 0x8004, 0x8004) << "frame " << i;
    ExpectSameFrames(*PaintedSprite(), *LoadBack(path));

    EXPECT_EQ(ForceFlagText(0, 0xFFFF), "HEX: FFFF or 10001");
    EXPECT_EQ(ForceFlagText(3, 0x10), "HEX: 0010");
}

TEST_F(MainWindowTest, AFailedSaveIsShownAndLosesNothing)
{
    const QString path = Native(DataPath("kept/kept.shp"));
    QDir().mkpath(DataPath("kept"));
    PaintedSprite()->SaveToFile(path.toStdString());
    const QByteArray original = ReadAll(path);
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    ChangeShownSprite(main, 3, 3, 77);
    const QString title = main.windowTitle();

    // Save As into a folder that does not exist.
    const QString missing = Native(DataPath("missing/new.shp"));
    TDialogScript script;
    script.File(missing).SaveWith(0).Message();
    script.Run([&main] { main.SaveAsButton->click(); });
    ASSERT_EQ(script.Messages.size(), 1);
    EXPECT_TRUE(script.Messages[0].contains(missing)) << script.Messages[0].toStdString();
    EXPECT_TRUE(script.Messages[0].contains("No such file or directory")) << script.Messages[0].toStdString();

    // A target that cannot be replaced (a folder of that name) leaves it as it was.
    const QString folder = Native(DataPath("kept/folder.shp"));
    QDir().mkpath(folder);
    TDialogScript blocked;
    blocked.SaveWith(0).Message();
    blocked.Run([&main, &folder] { EXPECT_FALSE(main.SaveWithOptions(folder)); });
    ASSERT_EQ(blocked.Messages.size(), 1);
    EXPECT_TRUE(blocked.Messages[0].contains(folder)) << blocked.Messages[0].toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());

    const TSHP& shown = *main.CurrentSHP;
    EXPECT_EQ(shown.FileName, path.toStdString());
    EXPECT_FALSE(shown.IsSaved);
    EXPECT_EQ(main.windowTitle(), title);
    EXPECT_TRUE(main.SaveButton->isEnabled());
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_EQ(QDir(DataPath("kept")).entryList(QDir::Files | QDir::Hidden), QStringList({"kept.shp"}));
}

TEST_F(MainWindowTest, SaveIntoAReadOnlyFolderKeepsTheOldFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    const QString path = Native(DataPath("locked/sprite.shp"));
    QDir().mkpath(DataPath("locked"));
    PaintedSprite()->SaveToFile(path.toStdString());
    const QByteArray original = ReadAll(path);
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    ChangeShownSprite(main, 1, 1, 5);
    QFile::setPermissions(DataPath("locked"), QFile::ReadOwner | QFile::ExeOwner);

    TDialogScript script;
    script.SaveWith(0).Message();
    script.Run([&main] { main.SaveButton->click(); });
    QFile::setPermissions(DataPath("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    ASSERT_EQ(script.Messages.size(), 1);
    EXPECT_TRUE(script.Messages[0].contains(path)) << script.Messages[0].toStdString();
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_FALSE(main.CurrentSHP->IsSaved);
    EXPECT_TRUE(main.windowTitle().contains("[sprite.shp*]"));
    EXPECT_TRUE(main.SaveButton->isEnabled());
}

// Save keeps the layout a sprite was read in: a TD/RA1 file stays one, with the same frames, and
// the Save Options dialog says so and leaves the compression choice out. Save As preselects that
// layout and writes the one chosen.
TEST_F(MainWindowTest, SaveKeepsTheTDLayoutAndSaveAsWritesTheLayoutChosen)
{
    const QByteArray corpusFile = ReadAll(QString(VANTREL_CORPUS_DIR) + "/td/ora-cnc_pips.shp");
    if (corpusFile.isEmpty())
        GTEST_SKIP() << "no corpus";
    const QString path = Native(DataPath("pips.shp"));
    WriteBytes(path, std::vector<uint8_t>(corpusFile.begin(), corpusFile.end()));
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    ASSERT_EQ(main.CurrentSHP->Format, TSHPFormat::TD);
    ChangeShownSprite(main, 0, 0, 12);

    bool compressionEnabled = true;
    QString layoutText;
    TDialogScript save;
    save.Options([&](TFrmSaveOptions& d) {
        compressionEnabled = d.CompressionMode->isEnabled();
        layoutText = d.LayoutLabel->text();
        d.PngBitBtn1->click();
    });
    save.Run([&main] { main.SaveButton->click(); });
    EXPECT_FALSE(compressionEnabled);
    EXPECT_TRUE(layoutText.contains("TD/RA1")) << layoutText.toStdString();
    auto inPlace = LoadBack(path);
    EXPECT_EQ(inPlace->Format, TSHPFormat::TD);
    ExpectSameFrames(*main.CurrentSHP, *inPlace);
    EXPECT_EQ(inPlace->GetFrame(0).Data[0], 12);
    EXPECT_FALSE(main.IsModified());

    // Save As starts with the sprite's own name and layout; TS/RA2 chosen writes that.
    const QString tsPath = Native(DataPath("pips-ts.shp"));
    QString filter;
    TDialogScript saveAs;
    saveAs.Dialog<QFileDialog>([&](QFileDialog& d) {
        filter = d.selectedNameFilter();
        d.selectNameFilter("TS/RA2 SHP (*.shp)");
        AcceptFile(d, tsPath);
    });
    saveAs.Options([&](TFrmSaveOptions& d) {
        compressionEnabled = d.CompressionMode->isEnabled();
        d.PngBitBtn1->click();
    });
    saveAs.Run([&main] { main.SaveAsButton->click(); });
    EXPECT_EQ(filter, "TD/RA1 SHP (*.shp)");
    EXPECT_TRUE(compressionEnabled);
    auto ts = LoadBack(tsPath);
    EXPECT_EQ(ts->Format, TSHPFormat::TS);
    ExpectSameFrames(*main.CurrentSHP, *ts);
    EXPECT_EQ(main.OwnLayout(), TSHPFormat::TS);
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [pips-ts.shp] 4x4");
}

// Save As proposes the shown sprite's own name in its own folder, never the file of the sprite
// saved before; replacing an existing file asks first.
TEST_F(MainWindowTest, SaveAsProposesTheSpritesOwnNameAndAsksBeforeReplacing)
{
    QDir().mkpath(DataPath("first"));
    QDir().mkpath(DataPath("second"));
    const QString first = Native(DataPath("first/a.shp"));
    const QString second = Native(DataPath("second/b.shp"));
    PaintedSprite()->SaveToFile(first.toStdString());
    PaintedSprite()->SaveToFile(second.toStdString());
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(first, std::nullopt));
    TDialogScript one;
    one.File(Native(DataPath("first/copy.shp"))).SaveWith(0);
    one.Run([&main] { main.SaveAsButton->click(); });

    ASSERT_TRUE(main.OpenSHPFile(second, std::nullopt));
    const QByteArray original = ReadAll(second);
    QString proposed;
    TDialogScript keep;
    keep.Dialog<QFileDialog>([&](QFileDialog& d) {
            proposed = Native(d.selectedFiles().value(0));
            AcceptFile(d, first);
        })
        .Message(QMessageBox::No)
        .File("");
    keep.Run([&main] { main.SaveAsButton->click(); });
    EXPECT_EQ(proposed, second);
    ASSERT_EQ(keep.Messages.size(), 1);
    EXPECT_TRUE(keep.Messages[0].contains("already exists")) << keep.Messages[0].toStdString();

    // Replacing confirmed: the Save Options dialog follows and the file is written.
    ChangeShownSprite(main, 0, 0, 3);
    TDialogScript replace;
    replace.File(first).Message(QMessageBox::Yes).SaveWith(0);
    replace.Run([&main] { main.SaveAsButton->click(); });
    EXPECT_EQ(LoadBack(first)->GetFrame(0).Data[0], 3);
    EXPECT_EQ(ReadAll(second), original);

    // A sprite without a folder of its own is proposed by name in the folder last used.
    Show(PaintedSprite());
    TDialogScript fresh;
    fresh.File("", &proposed);
    fresh.Run([&main] { main.SaveAsButton->click(); });
    EXPECT_EQ(proposed, Native(DataPath("first/unknown.shp")));
}

// "Change" in the Save Options dialog starts at the file named there and asks before it picks an
// existing file.
TEST_F(MainWindowTest, ChangeAsksBeforeReplacingAnExistingFile)
{
    const QString existing = Native(DataPath("taken.shp"));
    PaintedSprite()->SaveToFile(existing.toStdString());
    const QByteArray original = ReadAll(existing);
    Show(PaintedSprite());
    TFrmMain& main = Window();
    QString startedAt;
    QString title;
    TDialogScript script;
    script.File(Native(DataPath("new.shp")))
        .Options([](TFrmSaveOptions& d) { QMetaObject::invokeMethod(d.Button1, &QPushButton::click, Qt::QueuedConnection); })
        .Dialog<QFileDialog>([&](QFileDialog& d) {
            startedAt = Native(d.selectedFiles().value(0));
            title = d.windowTitle();
            AcceptFile(d, existing);
        })
        .Message(QMessageBox::No)
        .Dialog<QFileDialog>([](QFileDialog& d) { d.reject(); })
        .Options([](TFrmSaveOptions& d) { d.PngBitBtn2->click(); });
    script.Run([&main] { main.SaveAsButton->click(); });
    EXPECT_EQ(startedAt, Native(DataPath("new.shp")));
    EXPECT_EQ(title, "Save Sprite To");
    EXPECT_EQ(main.SaveDialog->windowTitle(), "Save Sprite As");
    EXPECT_EQ(ReadAll(existing), original);
}

// A real TS/RA2 sprite with line-encoded frames comes back with the same pixels.
TEST_F(MainWindowTest, SaveAsRoundTripsARealTSSprite)
{
    const QString source = QString(VANTREL_CORPUS_DIR) + "/ts/ora-ts_gatick.shp";
    if (!QFile::exists(source))
        GTEST_SKIP() << "no corpus";
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(source, std::nullopt));
    for (int mode : {0, 1, 2, 3}) {
        const QString path = Native(DataPath(QString("gatick-%1.shp").arg(mode)));
        TDialogScript script;
        script.File(path).SaveWith(mode);
        script.Run([&main] { main.SaveAsButton->click(); });
        auto back = LoadBack(path);
        ExpectSameFrames(*main.CurrentSHP, *back);
        EXPECT_EQ(main.CurrentSHP->CompressionMode, mode);
    }
}

TEST_F(MainWindowTest, ASpriteLoadedWithOneFrameIsRefusedWithItsMessage)
{
    Show(PaintedSprite());
    TFrmMain& main = Window();
    main.CurrentSHP->OneFrameLoad = true;
    const QString path = QDir::toNativeSeparators(DataPath("one.shp"));
    TDialogScript script;
    script.File(path).SaveWith(0).Message();
    script.Run([&main] { main.SaveAsButton->click(); });
    EXPECT_EQ(script.Messages, QStringList({"Can not save a SHP with OneFrameLoad enabled...."}));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(main.CurrentSHP->IsSaved);
    EXPECT_EQ(main.CurrentSHP->FileName, "unknown.shp");
}

} // namespace vantrel::test
