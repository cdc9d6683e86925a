#include "SpriteView.h"

#include "imaging/Imaging.h"
#include "sprite/SHP.h"
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

// Pixel (x, y) of the view shows canvas pixel (x * cw / vw, y * ch / vh), read from a picture of
// the canvas part at Origin.
struct TZoomMap {
    std::vector<int> Columns; // picture column of each region column
    int64_t CanvasHeight = 0;
    int64_t ViewHeight = 1;
    int OriginY = 0;
    int Row(int y) const { return int(y * CanvasHeight / ViewHeight) - OriginY; }
};

TZoomMap ZoomMap(QSize canvas, QPoint origin, QSize view, const QRect& region)
{
    TZoomMap map;
    map.Columns.resize(size_t(region.width()));
    for (int x = 0; x < region.width(); ++x)
        map.Columns[size_t(x)] = int(int64_t(region.x() + x) * canvas.width() / view.width()) - origin.x();
    map.CanvasHeight = canvas.height();
    map.ViewHeight = view.height();
    map.OriginY = origin.y();
    return map;
}

void ZoomRow(const QImage& source, int sy, const TZoomMap& map, QRgb* dst)
{
    const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
    for (size_t x = 0; x < map.Columns.size(); ++x)
        dst[x] = src[map.Columns[x]];
}

// The picture magnified into region; rows that repeat a picture row are copied whole.
QImage ScalePixels(const QImage& source, const TZoomMap& map, const QRect& region)
{
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
QImage BlendPixels(const QImage& source, const TZoomMap& map, const QRect& region)
{
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

// width x height fitted into maxSide x maxSide keeping proportions (each side at least 1).
QSize FitSize(QSize size, int maxSide)
{
    const int64_t w = size.width(), h = size.height();
    if (w >= h)
        return QSize(maxSide, int(std::max<int64_t>(1, h * maxSide / w)));
    return QSize(int(std::max<int64_t>(1, w * maxSide / h)), maxSide);
}

} // namespace

QImage CheckerRegion(const QRect& region)
{
    if (region.isEmpty())
        return {};
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

QString FrameCounterText(int frame, int frameCount)
{
    const std::string last = std::to_string(frameCount - 1);
    return QString::fromStdString(PadNumber(frame, int(last.size()), '0') + "/" + last);
}

QRect CanvasPartOf(QSize canvasSize, QSize viewSize, const QRect& region)
{
    const QRect area = region & QRect(QPoint(0, 0), viewSize);
    if (area.isEmpty() || canvasSize.isEmpty())
        return {};
    auto canvasX = [&](int x) { return int(int64_t(x) * canvasSize.width() / viewSize.width()); };
    auto canvasY = [&](int y) { return int(int64_t(y) * canvasSize.height() / viewSize.height()); };
    return QRect(QPoint(canvasX(area.left()), canvasY(area.top())), QPoint(canvasX(area.right()), canvasY(area.bottom())));
}

QImage ComposeView(const QImage& picture, QPoint pictureOrigin, QSize canvasSize, bool opaque, QSize viewSize,
                   const QRect& region)
{
    const QRect area = region & QRect(QPoint(0, 0), viewSize);
    if (area.isEmpty())
        return {};
    if (picture.isNull() || canvasSize.isEmpty())
        return CheckerRegion(area);
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    const TZoomMap map = ZoomMap(canvasSize, pictureOrigin, viewSize, area);
    return opaque ? ScalePixels(source, map, area) : BlendPixels(source, map, area);
}

QImage ComposeView(const QImage& picture, bool opaque, QSize viewSize, const QRect& region)
{
    return ComposeView(picture, QPoint(0, 0), picture.size(), opaque, viewSize, region);
}

QImage ComposeOverBackground(const QRect& area, const QImage& background, const QImage& frame)
{
    if (area.isEmpty())
        return {};
    QImage bitmap = CheckerRegion(area);
    TileBackground(bitmap, background, area.topLeft());
    if (!frame.isNull())
        BlendOver(bitmap, frame.convertToFormat(QImage::Format_ARGB32));
    return bitmap;
}

QImage ComposeOverBackground(int width, int height, const QImage& background, const QImage& frame)
{
    return ComposeOverBackground(QRect(0, 0, width, height), background, frame);
}

// --- TViewFrame -------------------------------------------------------------------------------

QSize TViewFrame::CanvasSize() const
{
    const TSHP* sprite = Sprite();
    return sprite ? QSize(std::max(sprite->Width, 0), std::max(sprite->Height, 0)) : QSize();
}

QImage TViewFrame::Area(const QRect& area) const
{
    TSHP* sprite = Sprite();
    if (!sprite || Frame < 0 || Frame >= sprite->FrameCount())
        return {};
    const QRect part = area & QRect(QPoint(0, 0), CanvasSize());
    if (part.isEmpty())
        return {};
    const QImage frame = FrameToPNG(*sprite, Frame, MergeShadow, part);
    return DrawBackground ? ComposeOverBackground(part, Background, frame) : frame;
}

QImage TViewFrame::Picture(int maxSide) const
{
    const QSize canvas = CanvasSize();
    if (canvas.isEmpty())
        return {};
    if (canvas.width() <= maxSide && canvas.height() <= maxSide)
        return Area(QRect(QPoint(0, 0), canvas));
    const QSize size = FitSize(canvas, maxSide);
    QImage picture(size, DrawBackground ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        const int sy = int(int64_t(y) * canvas.height() / size.height());
        const QImage row = Area(QRect(0, sy, canvas.width(), 1)).convertToFormat(picture.format());
        if (row.isNull())
            return {};
        const auto* src = reinterpret_cast<const QRgb*>(row.constScanLine(0));
        auto* dst = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            dst[x] = src[int64_t(x) * canvas.width() / size.width()];
    }
    return picture;
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

void TSpriteView::SetFrame(const TViewFrame& frame)
{
    ViewFrame = frame;
    update();
}

void TSpriteView::ClearFrame()
{
    ViewFrame = {};
    update();
}

void TSpriteView::paintEvent(QPaintEvent* event)
{
    const QRect region = event->rect().intersected(rect());
    if (region.isEmpty())
        return;
    const QSize canvas = ViewFrame.CanvasSize();
    const QRect part = CanvasPartOf(canvas, size(), region);
    QImage picture;
    try {
        picture = ViewFrame.Area(part);
    } catch (const std::exception&) {
        // The window reported the failure when it set the frame; the checkerboard shows meanwhile.
    }
    QPainter painter(this);
    painter.drawImage(region.topLeft(), ComposeView(picture, part.topLeft(), canvas, Opaque(), size(), region));
}

// --- TCheckerView -------------------------------------------------------------------------------

TCheckerView::TCheckerView(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TCheckerView::paintEvent(QPaintEvent* event)
{
    const QRect region = event->rect().intersected(rect());
    if (region.isEmpty())
        return;
    QPainter painter(this);
    painter.drawImage(region.topLeft(), CheckerRegion(region));
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
