#include "ImageUtil.h"
#include "Imaging.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace vantrel {

namespace {

QRgb PixelOf(const TColour24& c, uint8_t alpha)
{
    return uint32_t(alpha) << 24 | uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B;
}

// Pixel j (0 to 3) of four cache pixels read as three words of colour w0..w2 and one of opacity.
template <int j>
uint32_t PixelOfFour(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t a)
{
    if constexpr (j == 0)
        return (w0 & 0xFFFFFFu) | a << 24;
    else if constexpr (j == 1)
        return w0 >> 24 | (w1 & 0xFFFFu) << 8 | (a >> 8) << 24;
    else if constexpr (j == 2)
        return w1 >> 16 | (w2 & 0xFFu) << 16 | (a >> 16) << 24;
    else
        return w2 >> 8 | (a & 0xFF000000u);
}

uint32_t Word(const void* p)
{
    uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

// One row of the display image: the frame's pixels, or where they are transparent, those of its
// shadow frame (when shadowRGB is not null). Four pixels at a time are read and written as words.
void WriteRow(const TColour24* rgb, const uint8_t* alpha, const TColour24* shadowRGB, const uint8_t* shadowAlpha,
              size_t width, QRgb* out)
{
    size_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        const auto* c = reinterpret_cast<const uint8_t*>(rgb);
        const auto* s = reinterpret_cast<const uint8_t*>(shadowRGB);
        for (; x + 4 <= width; x += 4) {
            const uint32_t w0 = Word(c + 3 * x), w1 = Word(c + 3 * x + 4), w2 = Word(c + 3 * x + 8);
            const uint32_t a = Word(alpha + x);
            uint32_t p0 = PixelOfFour<0>(w0, w1, w2, a), p1 = PixelOfFour<1>(w0, w1, w2, a);
            uint32_t p2 = PixelOfFour<2>(w0, w1, w2, a), p3 = PixelOfFour<3>(w0, w1, w2, a);
            if (s && (p0 >> 24 == 0 || p1 >> 24 == 0 || p2 >> 24 == 0 || p3 >> 24 == 0)) {
                const uint32_t v0 = Word(s + 3 * x), v1 = Word(s + 3 * x + 4), v2 = Word(s + 3 * x + 8);
                const uint32_t b = Word(shadowAlpha + x);
                p0 = p0 >> 24 ? p0 : PixelOfFour<0>(v0, v1, v2, b);
                p1 = p1 >> 24 ? p1 : PixelOfFour<1>(v0, v1, v2, b);
                p2 = p2 >> 24 ? p2 : PixelOfFour<2>(v0, v1, v2, b);
                p3 = p3 >> 24 ? p3 : PixelOfFour<3>(v0, v1, v2, b);
            }
            std::memcpy(out + x, &p0, 4);
            std::memcpy(out + x + 1, &p1, 4);
            std::memcpy(out + x + 2, &p2, 4);
            std::memcpy(out + x + 3, &p3, 4);
        }
    }
    for (; x < width; ++x)
        out[x] = alpha[x] != 0 || !shadowRGB ? PixelOf(rgb[x], alpha[x]) : PixelOf(shadowRGB[x], shadowAlpha[x]);
}

// The part area (inside the canvas) of frame i over frame under (or alone when under is
// negative) as a new ARGB32 image; frames that exist and a canvas that is not empty.
QImage DisplayImage(TSHP& sprite, int i, int under, const QRect& area)
{
    const TColour24* shadowRGB = under >= 0 ? sprite.GetFrameRGB(under) : nullptr;
    const uint8_t* shadowAlpha = under >= 0 ? sprite.GetFrameAlpha(under) : nullptr;
    const TColour24* rgb = sprite.GetFrameRGB(i);
    const uint8_t* alpha = sprite.GetFrameAlpha(i);
    const size_t width = size_t(sprite.Width);
    const size_t columns = size_t(area.width());
    const std::vector<uint8_t> opaque(alpha && (shadowAlpha || !shadowRGB) ? 0 : columns, 255); // caches without alpha
    auto row = [&](const uint8_t* a, size_t at) { return a ? a + at : opaque.data(); };
    QImage image = NewImage(area.width(), area.height(), QImage::Format_ARGB32);
    for (int r = 0; r < area.height(); ++r) {
        const size_t at = size_t(area.top() + r) * width + size_t(area.left());
        WriteRow(rgb + at, row(alpha, at), shadowRGB ? shadowRGB + at : nullptr, row(shadowAlpha, at), columns,
                 RowOf(image, r));
    }
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
    if (!sprite.GetFrameRGB(i) || sprite.Width <= 0 || sprite.Height <= 0)
        return;
    png = DisplayImage(sprite, i, -1, QRect(0, 0, sprite.Width, sprite.Height));
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
    if (!sprite.GetFrameRGB(i))
        return {};
    // The frame's own pixels win; its shadow frame shows where it is transparent.
    return DisplayImage(sprite, i, overShadow ? i + half : -1, part);
}

} // namespace vantrel
