// Unsaved changes: every command that replaces or closes a changed sprite asks first; Save saves it
// the usual way, Discard drops the changes, Cancel and a save that fails keep everything. A sprite
// without changes is replaced without a question, and viewing never marks a change.
#include "UiTestSupport.h"

#include "sprite/Bmp8.h"
#include "ui/FormImport_SpriteMap.h"
#include "ui/FormOpen.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

namespace vantrel::test {

namespace {

enum class TAnswer { Unchanged, Save, Discard, Cancel, FailingSave };

struct TCommand {
    const char* Name;
    bool Closes;
    // The dialogs the command shows before it asks, answered to use Other.
    std::function<void(TDialogScript&)> Before;
    std::function<void(TFrmMain&)> Run;
};

QString Other;   // an SHP file to open
QString Picture; // a sprite map to import

void DropFile(TFrmMain& main, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &drop);
    QApplication::processEvents();
}

const std::vector<TCommand>& Commands()
{
    static const std::vector<TCommand> commands = {
        {"Open", false,
         [](TDialogScript& s) {
             s.Dialog<TFrmOpen>([](TFrmOpen& d) {
                 d.SelectedFile = Other;
                 d.OkButtonClick();
             });
         },
         [](TFrmMain& m) { m.OpenButton->click(); }},
        {"dropped file", false, nullptr, [](TFrmMain& m) { DropFile(m, Other); }},
        {"sprite-map import", false,
         [](TDialogScript& s) {
             s.File(Picture).Dialog<TFrmImport_SpriteMap>([](TFrmImport_SpriteMap& d) { d.ImportButton->click(); });
         },
         [](TFrmMain& m) { m.SpriteMap2->trigger(); }},
        {"test sprite", false, nullptr, [](TFrmMain& m) { m.MakeTestSHP1->trigger(); }},
        {"Ctrl+Q", true, nullptr, [](TFrmMain& m) { QTest::keyClick(&m, Qt::Key_Q, Qt::ControlModifier); }},
        {"title bar", true, nullptr, [](TFrmMain& m) { m.close(); }},
    };
    return commands;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST_F(MainWindowTest, CommandsThatReplaceOrCloseAChangedSpriteAskFirst)
{
    Other = DataPath("other.shp");
    BlankSprite(2, 5, 5, TSHPGame::TS, TSHPType::Animation)->SaveToFile(Other.toStdString());
    Picture = DataPath("map.bmp");
    SaveBmp8(MakeBitmap8(8, 8), Picture.toStdString());
    TFrmMain& main = Window();
    int scenario = 0;
    for (const TCommand& command : Commands()) {
        for (TAnswer answer : {TAnswer::Unchanged, TAnswer::Save, TAnswer::Discard, TAnswer::Cancel,
                               TAnswer::FailingSave}) {
            SCOPED_TRACE(std::string(command.Name) + " answered " + std::to_string(int(answer)));
            const QString path = QDir::toNativeSeparators(DataPath(QString("shown%1.shp").arg(++scenario)));
            BlankSprite(2, 5, 5, TSHPGame::TS, TSHPType::Animation)->SaveToFile(path.toStdString());
            main.show();
            main.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
            main.SetModified(false);
            ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
            const TSHP* shown = main.CurrentSHP.get();
            if (answer != TAnswer::Unchanged) {
                SetPixel(*main.CurrentSHP, 0, 2, 2, 9);
                main.SetModified(true);
                EXPECT_TRUE(main.windowTitle().contains(QString("shown%1.shp*").arg(scenario)));
            }
            if (answer == TAnswer::FailingSave) {
                QFile::remove(path);
                QDir().mkdir(path);
            }
            const QByteArray before = ReadAll(path);

            TDialogScript script;
            if (command.Before)
                command.Before(script);
            if (answer == TAnswer::Save)
                script.Question(QMessageBox::Save).SaveWith(0);
            else if (answer == TAnswer::FailingSave)
                script.Question(QMessageBox::Save).SaveWith(0).Message();
            else if (answer != TAnswer::Unchanged)
                script.Question(answer == TAnswer::Discard ? QMessageBox::Discard : QMessageBox::Cancel);
            script.Run([&] { command.Run(main); });
            if (answer != TAnswer::Unchanged && answer != TAnswer::FailingSave) {
                ASSERT_FALSE(script.Messages.isEmpty());
                EXPECT_EQ(script.Messages[0], QString("Save changes to \"shown%1.shp\"?").arg(scenario));
            }

            const bool kept = answer == TAnswer::Cancel || answer == TAnswer::FailingSave;
            if (kept) {
                EXPECT_TRUE(main.isVisible());
                EXPECT_EQ(main.CurrentSHP.get(), shown);
                EXPECT_TRUE(main.IsModified());
            } else if (command.Closes) {
                EXPECT_FALSE(main.isVisible());
            } else {
                EXPECT_NE(main.CurrentSHP.get(), shown);
            }
            if (answer == TAnswer::Save) {
                TSHP back;
                back.LoadFromFile(path.toStdString());
                EXPECT_EQ(back.GetPixelIndex(0, 2, 2), 9);
            } else {
                EXPECT_EQ(ReadAll(path), before);
            }
            if (answer == TAnswer::FailingSave)
                QDir().rmdir(path);
        }
    }
}

// Saving a changed sprite that has no file of its own goes through Save As.
TEST_F(MainWindowTest, SavingANewSpriteBeforeClosingGoesThroughSaveAs)
{
    TFrmMain& main = Window();
    main.MakeTestSHP1->trigger();
    const QString path = QDir::toNativeSeparators(DataPath("kept.shp"));

    TDialogScript cancelled;
    cancelled.Question(QMessageBox::Save).File("");
    cancelled.Run([&main] { main.Exit1->trigger(); });
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(main.IsModified());

    TDialogScript saved;
    saved.Question(QMessageBox::Save).File(path).SaveWith(0);
    saved.Run([&main] { main.Exit1->trigger(); });
    EXPECT_FALSE(main.isVisible());
    TSHP back;
    back.LoadFromFile(path.toStdString());
    EXPECT_EQ(back.FrameCount(), 344);
}

// Viewing (frames, zoom, game, type, palette, luminosity, side colour, shadows, background) never
// marks the sprite changed.
TEST_F(MainWindowTest, ViewingDoesNotMarkTheSpriteChanged)
{
    const QString path = DataPath("viewed.shp");
    BlankSprite(4, 6, 6, TSHPGame::TS, TSHPType::Unit)->SaveToFile(path.toStdString());
    TFrmMain& main = Window();
    ASSERT_TRUE(main.OpenSHPFile(path, std::nullopt));
    main.NextFrameButton->click();
    main.ZoomInButton->click();
    main.GameRA2Button->click();
    main.TypeBox->setCurrentIndex(int(TSHPType::Building));
    main.PaletteCombo->setCurrentIndex(0);
    main.AmbientBar->setValue(20);
    main.None1Click(3);
    for (QToolButton* toggle : {main.TransparentShadowsButton, main.DrawShadowsButton, main.FakeLevelBackgroundButton,
                                main.PaletteOverlayButton})
        toggle->click();
    EXPECT_FALSE(main.IsModified());
    EXPECT_EQ(main.windowTitle(), " Vantrel v1.0.0.0 [viewed.shp] 6x6");
    EXPECT_FALSE(main.SaveButton->isEnabled());
    TDialogScript none;
    none.Run([&main] { main.close(); });
    EXPECT_FALSE(main.isVisible());
}

} // namespace vantrel::test
