// The Edit and View menus: frame operations and canvas changes on the sprite shown, undone and
// redone through the sprite's history, and the Frames panel.
#include "FormMain.h"
#include "FormResizeCanvas.h"
#include "AnchorGrid.h"
#include "FramesPanel.h"
#include "SpriteView.h"
#include "UndoCommands.h"
#include "WidenCombos.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QSpinBox>
#include <QUndoStack>

#include <algorithm>

namespace vantrel {

void TFrmMain::CreateEditCommands()
{
    History = new TSpriteHistory(this);
    connect(History, &TSpriteHistory::Applied, this, &TFrmMain::SpriteEdited);
    connect(History, &TSpriteHistory::StateChanged, this, &TFrmMain::HistoryChanged);
    connect(History, &TSpriteHistory::Failed, this, [this](const QString& message) {
        ShowError("The change could not be undone or redone; the undo history is cleared.\n" + message);
    });

    FramesPanel = new TFramesPanel(this);
    FramesPanel->SetOwner(&CurrentSHP);
    addDockWidget(Qt::RightDockWidgetArea, FramesPanel);
    FramesPanel->hide();
    connect(FramesPanel, &TFramesPanel::FrameChosen, this, [this](int frame) {
        if (CurrentSHP && frame != CurrentFrame)
            DrawCurrentFrame(frame);
    });
    connect(FramesPanel, &TFramesPanel::FramesDropped, this, &TFrmMain::FramesDropped);
    connect(FramesPanel, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && CurrentSHP)
            FramesPanel->ShowCurrent(CurrentFrame);
        UpdateEditCommands();
    });
    connect(FramesPanel->List->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFrmMain::UpdateEditCommands);

    QMenu* debug = menuBar()->findChild<QMenu*>("Debug1");
    Edit1 = new QMenu("Edit", this);
    Edit1->setObjectName("Edit1");
    menuBar()->insertMenu(debug->menuAction(), Edit1);
    Undo1 = Edit1->addAction("Undo");
    Undo1->setShortcut(QKeySequence::Undo);
    connect(Undo1, &QAction::triggered, History->Stack, &QUndoStack::undo);
    Redo1 = Edit1->addAction("Redo");
    Redo1->setShortcut(QKeySequence::Redo);
    connect(Redo1, &QAction::triggered, History->Stack, &QUndoStack::redo);
    Edit1->addSeparator();
    DeleteFrames1 = Edit1->addAction("Delete Frames", this, &TFrmMain::DeleteFrames1Click);
    DeleteFrames1->setShortcut(QKeySequence::Delete);
    DuplicateFrames1 = Edit1->addAction("Duplicate Frames", this, &TFrmMain::DuplicateFrames1Click);
    DuplicateFrames1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    MoveFramesEarlier1 = Edit1->addAction("Move Frames Earlier", this, [this] { MoveFrames1Click(-1); });
    MoveFramesEarlier1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left));
    MoveFramesLater1 = Edit1->addAction("Move Frames Later", this, [this] { MoveFrames1Click(1); });
    MoveFramesLater1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right));
    ReverseFrames1 = Edit1->addAction("Reverse Frame Order", this, &TFrmMain::ReverseFrames1Click);
    InsertFrames1 = Edit1->addAction("Insert Frames from File...", this, &TFrmMain::InsertFrames1Click);
    InsertFrames1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    Edit1->addSeparator();
    ResizeCanvas1 = Edit1->addAction("Resize Canvas...", this, &TFrmMain::ResizeCanvas1Click);
    CropCanvas1 = Edit1->addAction("Crop Canvas to Content", this, &TFrmMain::CropCanvas1Click);
    Edit1->addSeparator();
    KeepShadowsPaired1 = Edit1->addAction("Keep Frames Paired with Shadows");
    KeepShadowsPaired1->setCheckable(true);
    KeepShadowsPaired1->setChecked(true);
    connect(KeepShadowsPaired1, &QAction::toggled, this, [this] {
        FramesPanel->SetPairing(CurrentSHP && ShadowPairing() && CanPairShadows(*CurrentSHP));
        UpdateEditCommands();
    });

    SavePaletteInFile1 = Edit1->addAction("Save Palette in File");
    SavePaletteInFile1->setCheckable(true);
    SavePaletteInFile1->setToolTip("Saving appends the palette shown, the game and the type to the file");
    connect(SavePaletteInFile1, &QAction::triggered, this, &TFrmMain::SavePaletteInFile1Click);

    View1 = new QMenu("View", this);
    View1->setObjectName("View1");
    menuBar()->insertMenu(debug->menuAction(), View1);
    FramesPanel1 = FramesPanel->toggleViewAction();
    FramesPanel1->setText("Frames Panel");
    FramesPanel1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    View1->addAction(FramesPanel1);

    FrmResizeCanvas = new TFrmResizeCanvas(this);
    CreatePictureCommands();
    UpdateEditCommands();
}

void TFrmMain::StartEditing()
{
    // A file that carries its palette keeps it when saved.
    if (CurrentSHP && CurrentSHP->HasFile && CurrentSHP->CustomPalette)
        CurrentSHP->SavePalette = true;
    History->Reset(CurrentSHP.get());
    FramesPanel->SpriteShown();
    UpdateEditCommands();
}

void TFrmMain::UpdateEditCommands()
{
    const bool shown = CurrentSHP != nullptr;
    for (QAction* item : {DeleteFrames1, DuplicateFrames1, MoveFramesEarlier1, MoveFramesLater1, ReverseFrames1,
                          InsertFrames1, ResizeCanvas1, CropCanvas1})
        item->setEnabled(shown);
    DeleteFrames1->setEnabled(shown && CurrentSHP->FrameCount() > 1);
    const std::vector<int> chosen = ChosenFrames();
    MoveFramesEarlier1->setEnabled(shown && CanShiftFrames(*CurrentSHP, chosen, -1, ShadowPairing()));
    MoveFramesLater1->setEnabled(shown && CanShiftFrames(*CurrentSHP, chosen, 1, ShadowPairing()));
    KeepShadowsPaired1->setEnabled(shown && CanPairShadows(*CurrentSHP));
    SavePaletteInFile1->setEnabled(shown);
    SavePaletteInFile1->setChecked(shown && CurrentSHP->SavePalette);
    const QUndoStack& stack = *History->Stack;
    Undo1->setEnabled(stack.canUndo());
    Undo1->setText(stack.canUndo() ? "Undo " + stack.undoText() : "Undo");
    Redo1->setEnabled(stack.canRedo());
    Redo1->setText(stack.canRedo() ? "Redo " + stack.redoText() : "Redo");
}

void TFrmMain::HistoryChanged()
{
    if (CurrentSHP)
        CurrentSHP->IsSaved = History->IsClean();
    UpdateEditCommands();
    UpdateCaption();
}

void TFrmMain::FrameDrawn()
{
    if (!CurrentSHP || !FramesPanel)
        return;
    FramesPanel->SetPairing(ShadowPairing() && CanPairShadows(*CurrentSHP));
    FramesPanel->ShowCurrent(CurrentFrame);
    FramesPanel->Model->CheckLook();
    UpdateEditCommands();
}

std::vector<int> TFrmMain::ChosenFrames() const
{
    if (!CurrentSHP)
        return {};
    if (FramesPanel->isVisible()) {
        std::vector<int> frames = FramesPanel->SelectedFrames();
        if (!frames.empty())
            return frames;
    }
    return {CurrentFrame};
}

bool TFrmMain::ShadowPairing() const { return KeepShadowsPaired1->isChecked(); }

bool TFrmMain::EditSprite(const std::function<std::unique_ptr<TEditStep>(TSHP&)>& edit)
{
    if (!CurrentSHP)
        return false;
    std::unique_ptr<TEditStep> step;
    try {
        step = edit(*CurrentSHP);
    } catch (const EditError& e) {
        ShowError(QString::fromStdString(e.what()));
        return false;
    } catch (const std::bad_alloc&) {
        ShowError("There is not enough memory for this change.");
        return false;
    }
    if (!step)
        return false;
    History->Push(std::move(step));
    return true;
}

void TFrmMain::SpriteEdited(const TEditOutcome& outcome)
{
    if (!CurrentSHP)
        return;
    TSHP& sprite = *CurrentSHP;
    const int count = sprite.FrameCount();
    const int shown = std::clamp(outcome.Show >= 0 ? outcome.Show : CurrentFrame, 0, std::max(0, count - 1));
    CurrentFrame = shown;
    {
        const QSignalBlocker block(TrackBar);
        TrackBar->setMaximum(std::max(0, count - 1));
    }
    ResizeSpriteView();
    FramesPanel->FramesChanged(outcome.Select, shown);
    DrawCurrentFrame(shown);
    DrawPaletteImage();
    UpdateColourPanels();
    PaletteCombo->setEnabled(!(CurrentFrame == 3 && IsIsoBuilding(sprite.SHPType)));
    UpdateEditCommands();
    UpdateCaption();
}

void TFrmMain::ResizeSpriteView()
{
    const int scale = ZoomScale(ZoomLevel);
    SHPImage->resize(scale * CurrentSHP->Width, scale * CurrentSHP->Height);
    SizeViewBackground(SHPImage->width(), SHPImage->height());
    UpdateViewAreaSize();
}

void TFrmMain::DeleteFrames1Click()
{
    EditSprite([this](TSHP& s) { return MakeDeleteFrames(s, ChosenFrames(), ShadowPairing()); });
}

void TFrmMain::DuplicateFrames1Click()
{
    EditSprite([this](TSHP& s) { return MakeDuplicateFrames(s, ChosenFrames(), ShadowPairing()); });
}

void TFrmMain::MoveFrames1Click(int by)
{
    EditSprite([this, by](TSHP& s) { return MakeShiftFrames(s, ChosenFrames(), by, ShadowPairing()); });
}

void TFrmMain::ReverseFrames1Click()
{
    EditSprite([this](TSHP& s) { return MakeReverseFrames(s, ChosenFrames(), ShadowPairing()); });
}

void TFrmMain::FramesDropped(int before)
{
    const std::vector<int> dragged = FramesPanel->SelectedFrames();
    EditSprite([&](TSHP& s) { return MakeDropFrames(s, dragged, before, ShadowPairing()); });
}

void TFrmMain::ResizeCanvas1Click()
{
    if (!CurrentSHP)
        return;
    FrmResizeCanvas->Setup(CurrentSHP->Width, CurrentSHP->Height);
    if (FrmResizeCanvas->exec() != QDialog::Accepted)
        return;
    const int width = FrmResizeCanvas->WidthBox->value();
    const int height = FrmResizeCanvas->HeightBox->value();
    const TAnchor anchor = FrmResizeCanvas->AnchorGrid->Anchor();
    EditSprite([&](TSHP& s) { return MakeResizeCanvas(s, width, height, anchor); });
}

void TFrmMain::CropCanvas1Click()
{
    EditSprite([](TSHP& s) { return MakeCropCanvas(s); });
}

void TFrmMain::SavePaletteInFile1Click(bool save)
{
    if (!EditSprite([save](TSHP& s) { return MakePaletteTrailer(s, save); }))
        UpdateEditCommands();
}

} // namespace vantrel
