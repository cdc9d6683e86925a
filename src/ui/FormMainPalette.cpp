// The palette view of the main window: the grid of the palette the current frame is drawn with,
// the overlay of used or unused colours with the two selection markers, the selected colours and
// the side colour.
#include "FormMain.h"
#include "PaletteView.h"
#include "WidenCombos.h"
#include "SpriteView.h"
#include "sprite/FileUtil.h"
#include "sprite/Palette.h"
#include "sprite/SideColours.h"

#include <QAction>
#include <QComboBox>
#include <QColorDialog>
#include <QCursor>
#include <QMenu>
#include <QToolButton>

namespace vantrel {

namespace {

constexpr int CustomSideColourTag = 9;
// Item data marking the own-palette entry of PaletteCombo.
constexpr int OwnPaletteRole = Qt::UserRole + 1;

QColor ToQColor(TColour24 c) { return QColor(c.R, c.G, c.B); }

uint32_t ToValue(const QColor& c) { return uint32_t(c.red()) << 16 | uint32_t(c.green()) << 8 | uint32_t(c.blue()); }

uint32_t ToValue(TColour24 c) { return uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | uint32_t(c.B); }

} // namespace

TPalette TFrmMain::CurrentFramePalette() const
{
    if (!CurrentSHP)
        return GreyPalette();
    TPalette palette = CurrentSHP->Palette;
    if (CurrentFrame < 0 || CurrentFrame >= CurrentSHP->FrameCount())
        return palette;
    try {
        CurrentSHP->GetFramePalette(CurrentFrame, palette);
    } catch (const std::exception&) {
        // Frame 3 of an Iso building without its iso palette: the failure is reported when the
        // frame is drawn; the grid keeps to the sprite's own palette meanwhile.
        palette = CurrentSHP->Palette;
    }
    return palette;
}

void TFrmMain::DrawPaletteImage() { PaletteImg->SetPicture(PaletteGridImage(CurrentFramePalette())); }

void TFrmMain::RefreshPaletteViews()
{
    DrawPaletteImage();
    UpdateColourPanels();
}

bool TFrmMain::IsOwnPaletteEntry(int index) const
{
    return index >= 0 && PaletteCombo->itemData(index, OwnPaletteRole).toBool();
}

void TFrmMain::ListOwnPalette()
{
    const QSignalBlocker block(PaletteCombo);
    if (IsOwnPaletteEntry(0)) {
        const bool selected = PaletteCombo->currentIndex() == 0;
        PaletteCombo->removeItem(0);
        if (selected) {
            PaletteCombo->setCurrentIndex(-1);
            UserPaletteChosen = false; // that choice was the previous sprite's
        }
    }
    OwnPalette.reset();
    if (!CurrentSHP || !CurrentSHP->CustomPalette)
        return;
    OwnPalette = CurrentSHP->Palette;
    const QString caption =
        QString("Own palette (%1)").arg(QString::fromStdString(ExtractFileName(CurrentSHP->FileName)));
    PaletteCombo->insertItem(0, caption);
    PaletteCombo->setItemData(0, true, OwnPaletteRole);
    PaletteCombo->setItemData(0, "The palette the file carries", Qt::ToolTipRole);
    PaletteCombo->setCurrentIndex(0);
    UserPaletteChosen = true;
}

void TFrmMain::DrawPaletteOverlay()
{
    QImage overlay = EmptyPaletteOverlay();
    const TPalette palette = CurrentFramePalette();
    if (PaletteOverlayButton->isChecked() && CurrentSHP) {
        const bool allFrames = OverlayMode == 1 || OverlayMode == 3;
        const uint8_t keep = OverlayMode <= 1 ? 1 : 0;
        DrawUsageMask(overlay, CurrentSHP->GetUsedColours(allFrames ? -1 : CurrentFrame), keep);
    }
    DrawIndexMarker(overlay, SelectedIndices[0], true, palette);
    DrawIndexMarker(overlay, SelectedIndices[1], false, palette);
    PaletteOverlay->SetPicture(overlay);
}

void TFrmMain::UpdateColourPanels()
{
    const TPalette palette = CurrentFramePalette();
    LeftColPanel->SetColour(ToQColor(palette[size_t(SelectedIndices[0])]));
    RightColPanel->SetColour(ToQColor(palette[size_t(SelectedIndices[1])]));
    LeftColPanel->setToolTip(ColourInfoText(SelectedIndices[0], palette));
    RightColPanel->setToolTip(ColourInfoText(SelectedIndices[1], palette));
    DrawPaletteOverlay();
}

void TFrmMain::SelectPaletteIndex(Qt::MouseButton button, int index)
{
    int side;
    if (button == Qt::LeftButton)
        side = 0;
    else if (button == Qt::RightButton)
        side = 1;
    else
        return;
    if (index < 0 || index > 255 || index == SelectedIndices[size_t(side)])
        return;
    SelectedIndices[size_t(side)] = index;
    UpdateColourPanels();
}

void TFrmMain::PaletteOverlayMouseDown(Qt::MouseButton button, QPoint at)
{
    if (at.x() < 0 || at.y() < 0 || at.x() >= PaletteGridSize || at.y() >= PaletteGridSize)
        return;
    SelectPaletteIndex(button, PaletteIndexAt(at.x(), at.y()));
}

void TFrmMain::PaletteOverlayButtonClick() { DrawPaletteOverlay(); }

void TFrmMain::UsedColoursSingleFrame1Click(QAction* item)
{
    item->setChecked(true);
    OverlayMode = item->data().toInt();
    DrawPaletteOverlay();
}

void TFrmMain::SideColPanelMouseDown(Qt::MouseButton button, QPoint at)
{
    if (button == Qt::LeftButton || button == Qt::RightButton)
        SideColPopup->popup(SideColPanel->mapToGlobal(at));
}

void TFrmMain::None1Click(int tag)
{
    if (!CurrentSHP)
        return;
    if (tag == 0) {
        SetSideColourState(false, ToValue(SideColours[1].Colour));
    } else if (tag >= 1 && tag <= int(SideColours.size())) {
        SetSideColourState(true, ToValue(SideColours[size_t(tag - 1)].Colour));
    } else if (tag == CustomSideColourTag) {
        ColorDialog->setCurrentColor(ToQColor(CurrentSHP->SideColour));
        if (ColorDialog->exec() != QDialog::Accepted)
            return;
        const QColor chosen = ColorDialog->selectedColor();
        if (chosen.isValid() && ToValue(chosen) != ToValue(CurrentSHP->SideColour))
            SetSideColourState(true, ToValue(chosen));
    }
}

void TFrmMain::SetSideColourState(bool on, uint32_t value)
{
    if (!CurrentSHP)
        return;
    CurrentSHP->SetUseSideColour(on);
    if (on) {
        CurrentSHP->SetSideColour(value);
        SideColPanel->SetColour(ToQColor(ColourFromValue(value)));
    } else {
        SideColPanel->SetColour(palette().color(QPalette::Button));
    }
    if (Loading)
        return;
    DrawCurrentFrame(CurrentFrame);
    DrawPaletteImage();
    UpdateColourPanels();
}

} // namespace vantrel
