// Drawing a frame into the view, zoom, background pictures, frame stepping, animation, shadows
// and the picks on the sprite view.
#include "DataFolders.h"
#include "FormMain.h"
#include "SpriteView.h"
#include "UndoCommands.h"
#include "WidenCombos.h"
#include "imaging/Imaging.h"
#include "sprite/FileUtil.h"

#include <QAction>
#include <QColorDialog>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace vantrel {

namespace {

// The preview is made from the whole frame up to this size a side, sampled from larger ones.
constexpr int PreviewPictureSize = 512;

} // namespace

void TFrmMain::DrawCurrentFrame(int index)
{
    if (!CurrentSHP || CurrentSHP->FrameCount() == 0) {
        FrameLabel->setText("000/000");
        SHPImage->ClearFrame();
        SHPImage->hide();
        RadarCol->SetColour(palette().color(QPalette::Button));
        RadarCol->setEnabled(false);
        return;
    }
    TSHP& sprite = *CurrentSHP;
    RadarCol->setEnabled(true);
    const int count = sprite.FrameCount();
    if (index < 0)
        index = count - 1;
    else if (index >= count)
        index = 0;

    bool paletteSwitch = false;
    if (index != CurrentFrame) {
        sprite.FreeFrameCache(CurrentFrame);
        paletteSwitch = IsIsoBuilding(sprite.SHPType) && (index == 3 || CurrentFrame == 3);
    }
    CurrentFrame = index;
    const uint32_t radar = sprite.GetRadarColour(CurrentFrame);
    RadarCol->SetColour(QColor(int(radar & 0xFF), int((radar >> 8) & 0xFF), int((radar >> 16) & 0xFF)));
    FrameLabel->setText(FrameCounterText(CurrentFrame, count));
    TrackBar->setValue(CurrentFrame);

    QString error;
    TViewFrame frame{&CurrentSHP, CurrentFrame, DrawShadowsButton->isChecked(),
                     FakeLevelBackgroundButton->isChecked() && !BackgroundPicture.isNull(), BackgroundPicture};
    try {
        // Making the preview renders the frame, so that a failure is reported here once; the view
        // paints its visible part from the render caches.
        PreviewImage->SetPicture(frame.Picture(PreviewPictureSize));
        SHPImage->SetFrame(frame);
    } catch (const std::exception& e) {
        error = QString::fromStdString(e.what());
        PreviewImage->SetPicture({});
        SHPImage->ClearFrame();
    }
    SHPImage->show();
    SHPImage->update();
    SizeViewBackground(SHPImage->width(), SHPImage->height());
    FrameDrawn();

    if (paletteSwitch) {
        DrawPaletteImage();
        UpdateColourPanels();
        PaletteCombo->setEnabled(CurrentFrame != 3);
    } else if (PaletteOverlayButton->isChecked()) {
        DrawPaletteOverlay();
    }
    if (!error.isEmpty())
        ReportDrawError(error);
}

// A frame that cannot be drawn stops the animation before the user is told, so that the next
// tick does not raise the same message again.
void TFrmMain::ReportDrawError(const QString& text)
{
    if (AnimationRunning()) {
        AnimateTimer->stop();
        StopButton->setChecked(true);
    }
    ShowError(text);
}

bool TFrmMain::AnimationRunning() const { return AnimateTimer->isActive(); }

void TFrmMain::SetZoom(int level)
{
    if (level == ZoomLevel || level < 0 || level > MaxZoomLevel)
        return;
    ZoomLevel = uint8_t(level);
    ZoomOutButton->setEnabled(level >= 1);
    ZoomInButton->setEnabled(level < MaxZoomLevel);
    const int scale = ZoomScale(level);
    const int width = CurrentSHP ? CurrentSHP->Width : 0;
    const int height = CurrentSHP ? CurrentSHP->Height : 0;
    SHPImage->resize(scale * width, scale * height);
    SizeViewBackground(SHPImage->width(), SHPImage->height());
    UpdateViewAreaSize();
}

void TFrmMain::OriginalSizeButtonClick() { SetZoom(0); }

void TFrmMain::ZoomOutButtonClick() { SetZoom(ZoomLevel - 1); }

void TFrmMain::ZoomInButtonClick() { SetZoom(ZoomLevel + 1); }

void TFrmMain::FakeLevelBackgroundButtonClick() { DrawCurrentFrame(CurrentFrame); }

void TFrmMain::BGMenuItemClick(const QString& caption)
{
    const QString path = BackgroundPath(caption);
    if (path.isEmpty())
        return;
    try {
        BackgroundPicture = LoadPicture(path.toStdString()).convertToFormat(QImage::Format_ARGB32);
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    DrawCurrentFrame(CurrentFrame);
}

void TFrmMain::TransparentShadowsButtonClick()
{
    if (CurrentSHP)
        CurrentSHP->SetTransparentShadows(TransparentShadowsButton->isChecked());
    if (!AnimationRunning())
        DrawCurrentFrame(CurrentFrame);
}

void TFrmMain::DrawShadowsButtonClick()
{
    if (!AnimationRunning())
        DrawCurrentFrame(CurrentFrame);
}

void TFrmMain::PrevFrameButtonClick() { DrawCurrentFrame(CurrentFrame - 1); }

void TFrmMain::NextFrameButtonClick() { DrawCurrentFrame(CurrentFrame + 1); }

void TFrmMain::TrackBarChange(int position)
{
    if (Loading)
        return;
    if (position != CurrentFrame)
        DrawCurrentFrame(position);
}

void TFrmMain::PlayButtonClick()
{
    AnimateTimer->start();
    PlayStartFrame = CurrentFrame;
}

void TFrmMain::StopButtonClick()
{
    AnimateTimer->stop();
    DrawCurrentFrame(PlayStartFrame);
}

void TFrmMain::AnimateTimerTimer()
{
    if (!CurrentSHP)
        return;
    const int next = CurrentFrame + 1;
    if (DrawShadowsButton->isChecked() && CurrentSHP->HasShadowFrames()) {
        const int half = CurrentSHP->FrameCount() / 2;
        DrawCurrentFrame(next >= half ? 0 : next);
    } else {
        DrawCurrentFrame(next);
    }
}

void TFrmMain::N1FPS1000ms1Click(QAction* item)
{
    item->setChecked(true);
    AnimateTimer->setInterval(item->data().toInt());
}

void TFrmMain::SHPImageMouseDown(Qt::MouseButton button, QPoint at)
{
    if (!CurrentSHP || CurrentSHP->FrameCount() == 0)
        return;
    const double scale = ZoomScale(ZoomLevel);
    const int px = int(at.x() / scale);
    const int py = int(at.y() / scale);
    if (px < 0 || py < 0 || px >= CurrentSHP->Width || py >= CurrentSHP->Height)
        return;
    const int index = CurrentSHP->GetPixelIndex(CurrentFrame, px, py);
    PaletteOverlayMouseDown(button, QPoint((index / 16) * 12, (index % 16) * 12));
}

void TFrmMain::RadarColClick()
{
    if (!CurrentSHP || CurrentSHP->FrameCount() == 0)
        return;
    ColorDialog->setCurrentColor(RadarCol->Colour());
    if (ColorDialog->exec() != QDialog::Accepted)
        return;
    const QColor chosen = ColorDialog->selectedColor();
    if (!chosen.isValid() || chosen == RadarCol->Colour())
        return;
    RadarCol->SetColour(chosen);
    const uint32_t value = ColourToSystem(MakeColour(uint8_t(chosen.red()), uint8_t(chosen.green()), uint8_t(chosen.blue())));
    EditSprite([this, value](TSHP& sprite) { return MakeRadarColour(sprite, CurrentFrame, value); });
}

} // namespace vantrel
