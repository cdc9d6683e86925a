#include "ImageUtil.h"
#include "Imaging.h"

#include <QPainter>

#include <algorithm>

namespace vantrel {

namespace {

uint32_t BlendChannel(uint32_t a, uint32_t image, uint32_t background)
{
    return (a * image + (255 - a) * background + 255) >> 8;
}

QRgb BlendPixel(QRgb image, QRgb background)
{
    const uint32_t a = uint32_t(qAlpha(image));
    if (a == 255)
        return (image & 0x00FFFFFFu) | (background & 0xFF000000u);
    if (a == 0)
        return background;
    return (background & 0xFF000000u) | BlendChannel(a, qRed(image), qRed(background)) << 16 |
           BlendChannel(a, qGreen(image), qGreen(background)) << 8 | BlendChannel(a, qBlue(image), qBlue(background));
}

bool IsPaintable(QImage::Format f)
{
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

QRect FitRect(const QRect& bounds, QSize image)
{
    const int64_t W = bounds.width();
    const int64_t H = bounds.height();
    const int64_t w = std::max(image.width(), 0);
    const int64_t h = std::max(image.height(), 0);
    int64_t width = w;
    int64_t height = h;
    if (w < W && h < H) {
        // drawn at its own size
    } else if (w > h) {
        width = W;
        height = H * h / w;
    } else {
        width = h == 0 ? 0 : W * w / h;
        height = H;
    }
    const int64_t left = bounds.left() + (W - width) / 2;
    const int64_t top = bounds.top() + (H - height) / 2;
    return QRect(int(left), int(top), int(width), int(height));
}

void BlendOver(QImage& background, const QImage& image, QPoint at)
{
    if (background.isNull() || image.isNull())
        return;
    if (background.format() != QImage::Format_RGB32 && background.format() != QImage::Format_ARGB32)
        background = background.convertToFormat(QImage::Format_RGB32);
    const QImage src = InFormat(image, QImage::Format_ARGB32);
    const QRect area = QRect(at, src.size()) & background.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb* in = RowOf(src, y - at.y());
        QRgb* out = RowOf(background, y);
        for (int x = area.left(); x <= area.right(); ++x)
            out[x] = BlendPixel(in[x - at.x()], out[x]);
    }
}

void TileBackground(QImage& bitmap, const QImage& picture, QPoint origin)
{
    const int pw = picture.width();
    const int ph = picture.height();
    if (pw <= 0 || ph <= 0 || bitmap.isNull())
        return;
    if (!IsPaintable(bitmap.format()))
        bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&bitmap);
    for (int y = -(std::max(origin.y(), 0) % ph); y < bitmap.height(); y += ph)
        for (int x = -(std::max(origin.x(), 0) % pw); x < bitmap.width(); x += pw)
            painter.drawImage(x, y, picture);
}

} // namespace vantrel
