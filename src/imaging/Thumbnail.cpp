#include "Thumbnail.h"

#include "Imaging.h"

#include <QPainter>

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

} // namespace

QImage RenderThumbnail(TSHP& thumbnailSHP, const std::string& path)
{
    thumbnailSHP.OneFrameLoad = true;
    thumbnailSHP.LoadFromFile(path);
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
