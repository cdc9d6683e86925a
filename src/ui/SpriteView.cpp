#include "SpriteView.h"

#include "imaging/Imaging.h"
#include "sprite/Text.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cstdint>
#include <vector>

namespace vantrel {

namespace {

constexpr int CheckerTileSize = 16;

// Pixel (x, y) of the view shows pixel (x * pw / vw, y * ph / vh) of the picture.
QImage ScalePixels(const QImage& picture, QSize viewSize, const QRect& region)
{
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    QImage out(region.size(), QImage::Format_ARGB32);
    const int64_t pw = source.width();
    const int64_t ph = source.height();
    std::vector<int> columns(size_t(region.width()));
    for (int x = 0; x < region.width(); ++x)
        columns[size_t(x)] = int(int64_t(region.x() + x) * pw / viewSize.width());
    for (int y = 0; y < region.height(); ++y) {
        const int sy = int(int64_t(region.y() + y) * ph / viewSize.height());
        const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < region.width(); ++x)
            dst[x] = src[columns[size_t(x)]];
    }
    return out;
}

// The light checkerboard of the view, for the part region.
QImage CheckerRegion(const QRect& region)
{
    const int ox = region.x() % CheckerTileSize;
    const int oy = region.y() % CheckerTileSize;
    return MakeCheckerBackground(region.width() + ox, region.height() + oy)
        .copy(ox, oy, region.width(), region.height())
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace

QString FrameCounterText(int frame, int frameCount)
{
    const std::string last = std::to_string(frameCount - 1);
    return QString::fromStdString(PadNumber(frame, int(last.size()), '0') + "/" + last);
}

QImage ComposeView(const QImage& picture, bool opaque, QSize viewSize, const QRect& region)
{
    const QRect area = region.intersected(QRect(QPoint(0, 0), viewSize));
    if (area.isEmpty())
        return {};
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return CheckerRegion(area);
    QImage zoomed = ScalePixels(picture, viewSize, area);
    if (opaque)
        return zoomed.convertToFormat(QImage::Format_RGB32);
    QImage view = CheckerRegion(area);
    BlendOver(view, zoomed);
    return view;
}

QImage ComposeOverBackground(int width, int height, const QImage& background, const QImage& frame)
{
    if (width <= 0 || height <= 0)
        return {};
    QImage bitmap = MakeCheckerBackground(width, height).convertToFormat(QImage::Format_RGB32);
    TileBackground(bitmap, background);
    if (!frame.isNull())
        BlendOver(bitmap, frame.convertToFormat(QImage::Format_ARGB32));
    return bitmap;
}

// --- TImage -----------------------------------------------------------------------------------

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetPicture(const QImage& picture)
{
    PictureImage = picture;
    update();
}

void TImage::paintEvent(QPaintEvent*)
{
    if (PictureImage.isNull())
        return;
    QPainter painter(this);
    if (!Center && !Proportional) {
        painter.drawImage(0, 0, PictureImage);
        return;
    }
    QSize size = PictureImage.size();
    const QRect bounds = rect();
    QRect target(QPoint(0, 0), size);
    if (Proportional && (size.width() >= bounds.width() || size.height() >= bounds.height()))
        target = FitRect(bounds, size);
    else if (Center)
        target.moveCenter(bounds.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, PictureImage);
}

void TImage::mousePressEvent(QMouseEvent* event)
{
    emit MouseDown(event->button(), event->position().toPoint());
    QWidget::mousePressEvent(event);
}

// --- TSpriteView --------------------------------------------------------------------------------

TSpriteView::TSpriteView(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TSpriteView::SetPicture(const QImage& picture, bool opaque)
{
    PictureImage = picture.convertToFormat(QImage::Format_ARGB32);
    IsOpaque = opaque;
    update();
}

void TSpriteView::paintEvent(QPaintEvent* event)
{
    const QRect region = event->rect().intersected(rect());
    if (region.isEmpty())
        return;
    QPainter painter(this);
    painter.drawImage(region.topLeft(), ComposeView(PictureImage, IsOpaque, size(), region));
}

void TSpriteView::mousePressEvent(QMouseEvent* event)
{
    emit MouseDown(event->button(), event->position().toPoint());
    QWidget::mousePressEvent(event);
}

// --- TColourPanel -------------------------------------------------------------------------------

TColourPanel::TColourPanel(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    CurrentColour = palette().color(QPalette::Button);
}

void TColourPanel::SetColour(const QColor& colour)
{
    CurrentColour = colour;
    update();
}

void TColourPanel::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.fillRect(contentsRect(), CurrentColour);
    }
    QFrame::paintEvent(event);
}

void TColourPanel::mousePressEvent(QMouseEvent* event)
{
    emit MouseDown(event->button(), event->position().toPoint());
    QFrame::mousePressEvent(event);
}

} // namespace vantrel
