#include "SpriteView.h"

#include "imaging/Imaging.h"
#include "sprite/Text.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vantrel {

namespace {

// A picture of the given size enlarged to the largest size of the same proportions that bounds
// holds, centred in bounds.
QRect EnlargedFitRect(const QRect& bounds, QSize picture)
{
    const int64_t W = bounds.width(), H = bounds.height();
    const int64_t w = std::max(picture.width(), 1), h = std::max(picture.height(), 1);
    const bool wide = w * H >= h * W;
    const int64_t width = wide ? W : w * H / h;
    const int64_t height = wide ? h * W / w : H;
    return QRect(int(bounds.left() + (W - width) / 2), int(bounds.top() + (H - height) / 2), int(width), int(height));
}

// The light checkerboard of the view (MakeCheckerTile repeated from the view's top-left corner)
// for the part region.
QImage CheckerRegion(const QRect& region)
{
    const QImage tile = MakeCheckerTile().convertToFormat(QImage::Format_RGB32);
    const int size = tile.width();
    QImage rows(region.width(), size, QImage::Format_RGB32);
    for (int ty = 0; ty < size; ++ty) {
        const auto* src = reinterpret_cast<const QRgb*>(tile.constScanLine(ty));
        auto* dst = reinterpret_cast<QRgb*>(rows.scanLine(ty));
        for (int x = 0; x < region.width(); ++x)
            dst[x] = src[(region.x() + x) % size];
    }
    QImage out(region.size(), QImage::Format_RGB32);
    const size_t rowBytes = size_t(region.width()) * sizeof(QRgb);
    for (int y = 0; y < region.height(); ++y)
        std::memcpy(out.scanLine(y), rows.constScanLine((region.y() + y) % size), rowBytes);
    return out;
}

// Pixel (x, y) of the view shows pixel (x * pw / vw, y * ph / vh) of the picture.
struct TZoomMap {
    std::vector<int> Columns;
    int64_t PictureHeight = 0;
    int64_t ViewHeight = 1;
    int Row(int y) const { return int(y * PictureHeight / ViewHeight); }
};

TZoomMap ZoomMap(QSize picture, QSize view, const QRect& region)
{
    TZoomMap map;
    map.Columns.resize(size_t(region.width()));
    for (int x = 0; x < region.width(); ++x)
        map.Columns[size_t(x)] = int(int64_t(region.x() + x) * picture.width() / view.width());
    map.PictureHeight = picture.height();
    map.ViewHeight = view.height();
    return map;
}

void ZoomRow(const QImage& source, int sy, const TZoomMap& map, QRgb* dst)
{
    const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
    for (size_t x = 0; x < map.Columns.size(); ++x)
        dst[x] = src[map.Columns[x]];
}

// The picture magnified into region; rows that repeat a picture row are copied whole.
QImage ScalePixels(const QImage& source, QSize viewSize, const QRect& region)
{
    const TZoomMap map = ZoomMap(source.size(), viewSize, region);
    QImage out(region.size(), QImage::Format_ARGB32);
    const size_t rowBytes = size_t(region.width()) * sizeof(QRgb);
    int previous = -1;
    for (int y = 0; y < region.height(); ++y) {
        const int sy = map.Row(region.y() + y);
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (sy == previous)
            std::memcpy(dst, out.constScanLine(y - 1), rowBytes);
        else
            ZoomRow(source, sy, map, dst);
        previous = sy;
    }
    return out;
}

// The picture magnified into region and blended row by row over the checkerboard.
QImage BlendPixels(const QImage& source, QSize viewSize, const QRect& region)
{
    const TZoomMap map = ZoomMap(source.size(), viewSize, region);
    QImage view = CheckerRegion(region);
    QImage row(region.width(), 1, QImage::Format_ARGB32);
    int previous = -1;
    for (int y = 0; y < region.height(); ++y) {
        const int sy = map.Row(region.y() + y);
        if (sy != previous)
            ZoomRow(source, sy, map, reinterpret_cast<QRgb*>(row.scanLine(0)));
        previous = sy;
        BlendOver(view, row, QPoint(0, y));
    }
    return view;
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
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    return opaque ? ScalePixels(source, viewSize, area) : BlendPixels(source, viewSize, area);
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
    const bool larger = size.width() >= bounds.width() || size.height() >= bounds.height();
    if (Proportional && Stretch && !larger)
        target = EnlargedFitRect(bounds, size);
    else if (Proportional && larger)
        target = FitRect(bounds, size);
    else if (Center)
        target.moveCenter(bounds.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, larger);
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
