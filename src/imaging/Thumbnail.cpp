#include "Thumbnail.h"

#include "Imaging.h"

namespace vantrel {

namespace {

QImage ComposeAt(const QImage& picture, QSize box, const QRect& target, Qt::TransformationMode mode)
{
    QImage result = MakeCheckerBackground(box.width(), box.height());
    if (picture.isNull() || target.isEmpty())
        return result;
    QImage scaled = picture;
    if (picture.size() != target.size())
        scaled = picture.scaled(target.size(), Qt::IgnoreAspectRatio, mode);
    if (scaled.format() != QImage::Format_ARGB32)
        scaled = scaled.convertToFormat(QImage::Format_ARGB32);
    BlendOver(result, scaled, target.topLeft());
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

QImage ComposePreview(const QImage& picture, QSize box)
{
    const QRect target = picture.isNull() ? QRect() : ScaleToFit(QRect(QPoint(0, 0), box), picture.size());
    return ComposeAt(picture, box, target, Qt::FastTransformation);
}

} // namespace vantrel
