#include "Thumbnail.h"

#include "Imaging.h"

#include <QPainter>

#include <algorithm>

namespace vantrel {

namespace {

QImage ScaledTo(const QImage& picture, QSize size, Qt::TransformationMode mode)
{
    QImage scaled = picture;
    if (picture.size() != size)
        scaled = picture.scaled(size, Qt::IgnoreAspectRatio, mode);
    return scaled.format() == QImage::Format_ARGB32 ? scaled : scaled.convertToFormat(QImage::Format_ARGB32);
}

QImage ComposeAt(const QImage& picture, QSize box, const QRect& target, Qt::TransformationMode mode)
{
    QImage result = MakeCheckerBackground(box.width(), box.height());
    if (picture.isNull() || target.isEmpty())
        return result;
    BlendOver(result, ScaledTo(picture, target.size(), mode), target.topLeft());
    return result;
}

// A thumbnail is drawn at most this large before it is shrunk to its box.
constexpr uint64_t MaxThumbnailCanvas = 4096 * 4096;

// Takes every step-th pixel of every step-th row of a canvas of more than MaxThumbnailCanvas
// pixels, so that drawing a frame of a huge canvas (a small file may ask for 16384 x 16384) takes
// a few megabytes instead of gigabytes; the thumbnail is shrunk much further anyway.
void ShrinkCanvas(TSHP& sprite)
{
    const uint64_t width = uint64_t(std::max(sprite.Width, 0));
    const uint64_t height = uint64_t(std::max(sprite.Height, 0));
    uint64_t step = 1;
    while ((width + step - 1) / step * ((height + step - 1) / step) > MaxThumbnailCanvas)
        ++step;
    if (step == 1)
        return;
    const uint64_t newWidth = (width + step - 1) / step;
    const uint64_t newHeight = (height + step - 1) / step;
    auto shrunk = [&](uint64_t v) { return uint16_t((v + step - 1) / step); };
    for (TSHPFrame& f : sprite.Frames) {
        sprite.FreeFrameCache(int(&f - sprite.Frames.data()));
        const uint16_t x = uint16_t(f.X / step), y = uint16_t(f.Y / step);
        f.CX = f.CX ? uint16_t(shrunk(uint64_t(f.X) + f.CX) - x) : 0;
        f.CY = f.CY ? uint16_t(shrunk(uint64_t(f.Y) + f.CY) - y) : 0;
        f.X = x;
        f.Y = y;
        f.Dirty = true;
        if (!f.Data)
            continue;
        TPixelBuffer pixels(new uint8_t[newWidth * newHeight]);
        for (uint64_t r = 0; r < newHeight; ++r)
            for (uint64_t c = 0; c < newWidth; ++c)
                pixels[r * newWidth + c] = f.Data[r * step * width + c * step];
        f.Data = std::move(pixels);
    }
    sprite.Width = int32_t(newWidth);
    sprite.Height = int32_t(newHeight);
}

} // namespace

QImage RenderThumbnail(TSHP& thumbnailSHP, const std::string& path)
{
    thumbnailSHP.OneFrameLoad = true;
    thumbnailSHP.LoadFromFile(path);
    ShrinkCanvas(thumbnailSHP);
    thumbnailSHP.SetTransparentShadows(true);
    if (!thumbnailSHP.CustomPalette)
        thumbnailSHP.LoadDefaultPalette(PaletteFolder());
    if (thumbnailSHP.FrameCount() == 0)
        return {};
    return FrameToPNG(thumbnailSHP, 0, true);
}

QRect ScaleToFit(const QRect& bounds, QSize image)
{
    const qint64 w = image.width(), h = image.height();
    const qint64 W = bounds.width(), H = bounds.height();
    if (w <= 0 || h <= 0 || W <= 0 || H <= 0)
        return {};
    qint64 sw, sh;
    if (W * h <= H * w) {
        sw = W;
        sh = std::max<qint64>(1, W * h / w);
    } else {
        sh = H;
        sw = std::max<qint64>(1, H * w / h);
    }
    return QRect(bounds.left() + int((W - sw) / 2), bounds.top() + int((H - sh) / 2), int(sw), int(sh));
}

QImage ComposeThumbnail(const QImage& picture, QSize box)
{
    const QRect target = picture.isNull() ? QRect() : FitRect(QRect(QPoint(0, 0), box), picture.size());
    return ComposeAt(picture, box, target, Qt::SmoothTransformation);
}

QImage ComposeFileThumbnail(const QImage& picture, int size)
{
    QImage result(size, size, QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    const QRect target = picture.isNull() ? QRect() : FitRect(result.rect(), picture.size());
    if (target.isEmpty())
        return result;
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target.topLeft(), ScaledTo(picture, target.size(), Qt::SmoothTransformation));
    return result;
}

QImage ComposePreview(const QImage& picture, QSize box)
{
    const QRect target = picture.isNull() ? QRect() : ScaleToFit(QRect(QPoint(0, 0), box), picture.size());
    return ComposeAt(picture, box, target, Qt::FastTransformation);
}

} // namespace vantrel
