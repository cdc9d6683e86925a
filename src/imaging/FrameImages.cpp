#include "ImageUtil.h"
#include "Imaging.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vantrel {

namespace {

QRgb PixelOf(const TColour24& c, uint8_t alpha)
{
    return uint32_t(alpha) << 24 | uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B;
}

// The part area (inside the canvas) of frame i over frame under (or alone when under is
// negative) as a new ARGB32 image, made from the indices.
QImage DisplayImage(TSHP& sprite, int i, int under, const QRect& area)
{
    QImage image = NewImage(area.width(), area.height(), QImage::Format_ARGB32);
    sprite.DrawFramePixels(i, under, {area.left(), area.top(), area.width(), area.height()}, RowOf(image, 0),
                           size_t(image.bytesPerLine()) / sizeof(QRgb));
    return image;
}

} // namespace

QImage FrameToBitmap(TSHP& sprite, int i)
{
    const TColour24* rgb = sprite.GetFrameRGB(i);
    if (!rgb || sprite.Width <= 0 || sprite.Height <= 0)
        return {};
    QImage bitmap = NewImage(sprite.Width, sprite.Height, QImage::Format_BGR888);
    const size_t rowBytes = size_t(sprite.Width) * sizeof(TColour24);
    for (int r = 0; r < sprite.Height; ++r)
        std::memcpy(bitmap.scanLine(r), rgb + size_t(r) * size_t(sprite.Width), rowBytes);
    return bitmap;
}

void CopyFrameIndices(const TSHP& sprite, int i, QImage& indexed8, int left, int top)
{
    const TSHPFrame& frame = sprite.GetFrame(i);
    if (!frame.Data || indexed8.format() != QImage::Format_Indexed8 || left < 0 || top < 0 ||
        left >= indexed8.width())
        return;
    const int width = std::min(sprite.Width, indexed8.width() - left);
    const int rows = int(std::clamp<int64_t>(int64_t(indexed8.height()) - top, 0, sprite.Height));
    for (int r = 0; r < rows; ++r)
        std::memcpy(indexed8.scanLine(top + r) + left, frame.Data.get() + size_t(r) * size_t(sprite.Width),
                    size_t(width));
}

void RenderFramePNG(TSHP& sprite, int i, QImage& png)
{
    if (sprite.FrameCount() == 0)
        return;
    sprite.GetFrame(i); // a frame that does not exist is refused here
    const TColour24* rgb = sprite.GetFrameRGB(i);
    const uint8_t* alpha = sprite.GetFrameAlpha(i);
    if (!rgb || !alpha || sprite.Width <= 0 || sprite.Height <= 0)
        return;
    png = NewImage(sprite.Width, sprite.Height, QImage::Format_ARGB32);
    for (int r = 0; r < sprite.Height; ++r) {
        const size_t at = size_t(r) * size_t(sprite.Width);
        QRgb* out = RowOf(png, r);
        for (int x = 0; x < sprite.Width; ++x)
            out[x] = PixelOf(rgb[at + size_t(x)], alpha[at + size_t(x)]);
    }
}

void CopyAlphaToPNG(QImage& png, TSHP& sprite, int i)
{
    const uint8_t* alpha = sprite.GetFrameAlpha(i);
    if (!alpha || png.isNull())
        return;
    png = InFormat(png, QImage::Format_ARGB32);
    const int width = std::min(sprite.Width, png.width());
    const int rows = std::min(sprite.Height, png.height());
    for (int r = 0; r < rows; ++r) {
        QRgb* out = RowOf(png, r);
        const uint8_t* opacity = alpha + size_t(r) * size_t(sprite.Width);
        for (int x = 0; x < width; ++x)
            out[x] = (out[x] & 0x00FFFFFFu) | uint32_t(opacity[x]) << 24;
    }
}

void OverlayOpaquePixels(const QImage& source, QImage& target)
{
    if (source.isNull() || target.isNull())
        return;
    const QImage src = InFormat(source, QImage::Format_ARGB32);
    target = InFormat(target, QImage::Format_ARGB32);
    const int width = std::min(src.width(), target.width());
    const int rows = std::min(src.height(), target.height());
    for (int r = 0; r < rows; ++r) {
        const QRgb* in = RowOf(src, r);
        QRgb* out = RowOf(target, r);
        for (int x = 0; x < width; ++x)
            if (qAlpha(in[x]) != 0)
                out[x] = in[x];
    }
}

QImage FrameToPNG(TSHP& sprite, int i, bool mergeShadow)
{
    return FrameToPNG(sprite, i, mergeShadow, QRect(0, 0, sprite.Width, sprite.Height));
}

QImage FrameToPNG(TSHP& sprite, int i, bool mergeShadow, const QRect& area)
{
    const QRect part = area & QRect(0, 0, std::max(sprite.Width, 0), std::max(sprite.Height, 0));
    if (part.isEmpty() || sprite.FrameCount() == 0)
        return {};
    sprite.GetFrame(i); // a frame that does not exist is refused here
    const int half = sprite.FrameCount() / 2;
    const bool overShadow = mergeShadow && sprite.HasShadowFrames() && i >= 0 && i < half;
    // The frame's own pixels win; its shadow frame shows where it is transparent.
    return DisplayImage(sprite, i, overShadow ? i + half : -1, part);
}

} // namespace vantrel
