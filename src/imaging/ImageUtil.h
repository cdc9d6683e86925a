// Helpers shared by the imaging sources.
#pragma once

#include <QImage>

#include <new>

namespace vantrel {

// A new image; throws std::bad_alloc when Qt cannot allocate it.
inline QImage NewImage(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    if (image.isNull())
        throw std::bad_alloc();
    return image;
}

// image itself when it has the format, else a converted copy.
inline QImage InFormat(const QImage& image, QImage::Format format)
{
    return image.format() == format ? image : image.convertToFormat(format);
}

inline QRgb* RowOf(QImage& image, int y) { return reinterpret_cast<QRgb*>(image.scanLine(y)); }
inline const QRgb* RowOf(const QImage& image, int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y)); }

} // namespace vantrel
