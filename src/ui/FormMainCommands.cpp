// Commands of the main window: opening a sprite and setting the window up for it, the game and
// type, the palette list, luminosity, colour schemes, the test sprites, dropped files and messages.
#include "FormMain.h"
#include "DataFolders.h"
#include "FormColourSwitcher.h"
#include "FormOpen.h"
#include "RecentFiles.h"
#include "UndoCommands.h"
#include "SpriteView.h"
#include "WidenCombos.h"
#include "sprite/CScheme.h"
#include "sprite/FileUtil.h"
#include "sprite/TestSprite.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace vantrel {

namespace {

// The local SHP file a drag carries, or "" when it carries none.
QString DraggedSHPFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return {};
    const QUrl url = data->urls().first();
    if (!url.isLocalFile())
        return {};
    const QString path = QDir::toNativeSeparators(url.toLocalFile());
    return IsSHPExtension(ExtractFileExt(path.toStdString())) ? path : QString();
}

} // namespace

void TFrmMain::Open1Click()
{
    FrmOpen->exec();
    if (!FrmOpen->Accepted)
        return;
    OpenSHPFile(FrmOpen->SelectedFile, TOpenChoice{FrmOpen->PreviewGame(), FrmOpen->PreviewType()});
}

bool TFrmMain::OpenSHPFile(const QString& path, std::optional<TOpenChoice> choice)
{
    auto sprite = std::make_unique<TSHP>();
    QString reason;
    try {
        sprite->LoadFromFile(path.toStdString());
        if (sprite->Format == TSHPFormat::None)
            reason = "It is not an SHP file of the TD/RA1 or TS/RA2 layout.";
        else if (sprite->FrameCount() == 0)
            reason = "The sprite has no frames.";
    } catch (const std::exception& e) {
        reason = QString::fromStdString(e.what());
    }
    if (!reason.isEmpty()) {
        ShowError(QString("Unable to open \"%1\".\n%2").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    if (!MayDiscardCurrentSprite())
        return false;
    SetCurrentSprite(std::move(sprite), choice);
    AddRecentFile(path);
    UpdateRecentMenu();
    return true;
}

bool TFrmMain::IsModified() const { return CurrentSHP && !CurrentSHP->IsSaved; }

void TFrmMain::SetModified(bool modified)
{
    if (!CurrentSHP)
        return;
    CurrentSHP->IsSaved = !modified;
    History->MarkSaved(!modified);
    UpdateCaption();
}

bool TFrmMain::MayDiscardCurrentSprite()
{
    if (!IsModified())
        return true;
    const QString name = QString::fromStdString(ExtractFileName(CurrentSHP->FileName));
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(),
                    QString("Save changes to \"%1\"?").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return CurrentSHP->HasFile ? SaveButtonClick() : SaveAs1Click();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void TFrmMain::SetCurrentSprite(std::unique_ptr<TSHP> sprite, std::optional<TOpenChoice> choice)
{
    CurrentSHP = std::move(sprite);
    ShowLoadedSHP(choice);
}

void TFrmMain::closeEvent(QCloseEvent* event)
{
    if (MayDiscardCurrentSprite())
        event->accept();
    else
        event->ignore();
}

void TFrmMain::OpenCommandLineFile(const QString& argument)
{
    OpenSHPFile(QDir::toNativeSeparators(QFileInfo(argument).absoluteFilePath()), std::nullopt);
}

void TFrmMain::UpdateRecentMenu()
{
    OpenRecent1->clear();
    const QStringList files = RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString number = i < 9 ? QString("&%1 ").arg(i + 1) : QString();
        const QString path = files[i];
        QAction* item = OpenRecent1->addAction(number + QString(path).replace('&', "&&"));
        connect(item, &QAction::triggered, this, [this, path] { OpenRecentClick(path); });
    }
    OpenRecent1->addSeparator();
    QAction* clear = OpenRecent1->addAction("Clear Menu");
    connect(clear, &QAction::triggered, this, [this] {
        ClearRecentFiles();
        UpdateRecentMenu();
    });
    OpenRecent1->menuAction()->setEnabled(!files.isEmpty());
}

void TFrmMain::OpenRecentClick(const QString& path)
{
    if (OpenSHPFile(path, std::nullopt) || QFileInfo::exists(path))
        return;
    RemoveRecentFile(path);
    UpdateRecentMenu();
}

void TFrmMain::ColourSwitchButtonClick()
{
    if (!CurrentSHP) {
        ShowError("No SHP Exists.... try again once you have loaded one...");
        return;
    }
    FrmColourSwitcher->Sprite = CurrentSHP.get();
    FrmColourSwitcher->exec();
    if (!FrmColourSwitcher->Accepted)
        return;
    const TCScheme scheme = FrmColourSwitcher->SelectedScheme;
    EditSprite([&scheme](TSHP& sprite) { return MakeRecolour(sprite, scheme); });
}

void TFrmMain::SetGameButtons(TSHPGame game)
{
    QButtonGroup* group = GameTDButton->group();
    if (IsValidGame(game)) {
        GameButtons[size_t(game)]->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QToolButton* button : GameButtons)
        button->setChecked(false);
    group->setExclusive(true);
}

void TFrmMain::ShowLoadedSHP(std::optional<TOpenChoice> choice)
{
    TSHP& sprite = *CurrentSHP;
    StartEditing();
    Loading = true;
    PlayStartFrame = 0;
    ListOwnPalette();
    SetSideColourState(false, 0xFF0000);
    if (TransparentShadowsButton->isChecked())
        sprite.SetTransparentShadows(true);
    if (!sprite.CustomPalette) {
        if (choice) {
            if (choice->Type >= 0 && choice->Type < SHPTypeCount)
                sprite.SetSHPType(TSHPType(choice->Type));
            if (choice->Game >= 0 && choice->Game < GameCount)
                sprite.Game = TSHPGame(choice->Game);
        }
        SetGameButtons(sprite.Game);
        TypeBox->setCurrentIndex(IsValidSHPType(sprite.SHPType) ? int(sprite.SHPType) : -1);
        try {
            sprite.LoadDefaultPalette(PaletteFolder());
        } catch (const std::exception& e) {
            ShowError(QString::fromStdString(e.what()));
        }
        SelectPaletteByName(sprite.PaletteName);
        sprite.SetLuminosity(int16_t(AmbientBar->value()));
    }
    CurrentFrame = 0;
    DrawPaletteImage();
    ZoomLevel = 0;
    SetZoom(2);
    TrackBar->setMaximum(std::max(0, sprite.FrameCount() - 1));
    DrawCurrentFrame(0);
    EnableSpriteCommands();
    Loading = false;
    SelectedIndices = {32, 0};
    UpdateColourPanels();
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
    UpdateCaption();
}

void TFrmMain::EnableSpriteCommands()
{
    SaveAs1->setEnabled(true);
    Export1->menuAction()->setEnabled(true);
    Import1->menuAction()->setEnabled(true);
    for (QToolButton* button : {SaveAsButton, OriginalSizeButton, FakeLevelBackgroundButton, TransparentShadowsButton,
                                DrawShadowsButton, PaletteOverlayButton, ColourSwitchButton})
        button->setEnabled(true);
    SetEnabledDeep(LeftPanel, true);
    PaletteCombo->setEnabled(!(CurrentFrame == 3 && IsIsoBuilding(CurrentSHP->SHPType)));
}

void TFrmMain::SelectPaletteByName(const std::string& name)
{
    const QString caption = QString::fromStdString(name);
    for (int i = 0; i < PaletteCombo->count(); ++i) {
        if (PaletteCombo->itemText(i) == caption) {
            const QSignalBlocker block(PaletteCombo);
            PaletteCombo->setCurrentIndex(i);
            UserPaletteChosen = false;
            return;
        }
    }
}

void TFrmMain::GameTDButtonClick()
{
    if (Loading || !CurrentSHP)
        return;
    int game = 0;
    for (int g = 0; g < GameCount; ++g)
        if (GameButtons[size_t(g)]->isChecked()) {
            game = g;
            break;
        }
    CurrentSHP->Game = TSHPGame(game);
    GameOrTypeChanged();
}

void TFrmMain::TypeBoxChange(int index)
{
    if (Loading || !CurrentSHP || index < 0)
        return;
    CurrentSHP->SetSHPType(TSHPType(index));
    GameOrTypeChanged();
    TypeBox->clearFocus();
}

void TFrmMain::GameOrTypeChanged()
{
    TSHP& sprite = *CurrentSHP;
    if (!UserPaletteChosen) {
        try {
            sprite.LoadDefaultPalette(PaletteFolder());
        } catch (const std::exception& e) {
            ShowError(QString::fromStdString(e.what()));
        }
        SelectPaletteByName(sprite.PaletteName);
        RefreshPaletteViews();
    }
    if (!AnimationRunning())
        DrawCurrentFrame(CurrentFrame);
    PaletteCombo->setEnabled(!(CurrentFrame == 3 && IsIsoBuilding(sprite.SHPType)));
}

void TFrmMain::PaletteComboChange(int index)
{
    if (Loading || index < 0 || !CurrentSHP)
        return;
    UserPaletteChosen = true;
    if (IsOwnPaletteEntry(index) && OwnPalette) {
        CurrentSHP->SetPalette(*OwnPalette);
    } else {
        const QString caption = PaletteCombo->itemText(index);
        const QString found = PaletteFilePath(caption);
        // A file removed since the list was made: the error names it in the palette folder.
        const std::string path = found.isEmpty() ? PaletteFolder() + caption.toStdString() : found.toStdString();
        try {
            CurrentSHP->LoadPalette(path);
        } catch (const std::exception& e) {
            ShowError(QString::fromStdString(e.what()));
            return;
        }
    }
    RefreshPaletteViews();
    if (!AnimationRunning())
        DrawCurrentFrame(CurrentFrame);
}

void TFrmMain::AmbientBarChange(int position)
{
    if (Loading || !CurrentSHP)
        return;
    CurrentSHP->SetLuminosity(int16_t(position));
    DrawPaletteImage();
    UpdateColourPanels();
    DrawCurrentFrame(CurrentFrame);
}

void TFrmMain::AmbientResetButtonClick()
{
    {
        const QSignalBlocker block(AmbientBar);
        AmbientBar->setValue(0);
    }
    AmbientBarChange(AmbientBar->value());
}

void TFrmMain::MakeTestSHP1Click() { ShowTestSprite(TestSpriteFrames); }

void TFrmMain::MakeHighFrameTest1Click() { ShowTestSprite(HighFrameTestFrames); }

void TFrmMain::ShowTestSprite(int frameCount)
{
    if (!MayDiscardCurrentSprite())
        return;
    std::unique_ptr<TSHP> sprite;
    try {
        sprite = MakeTestSprite(frameCount);
    } catch (const std::bad_alloc&) {
        ShowError(QString("There is not enough memory for a test sprite of %1 frames.").arg(frameCount));
        return;
    }
    SetCurrentSprite(std::move(sprite));
}

void TFrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DraggedSHPFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TFrmMain::dropEvent(QDropEvent* event)
{
    const QString path = DraggedSHPFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop has ended, so that a question about unsaved changes does not hold up
    // the program the file came from.
    QMetaObject::invokeMethod(this, [this, path] { OpenSHPFile(path, std::nullopt); }, Qt::QueuedConnection);
}

void TFrmMain::ShowMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, this);
    box.exec();
}

void TFrmMain::ShowError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok, this);
    box.exec();
}

} // namespace vantrel
