#include "ImageUtil.h"
#include "Imaging.h"

#include "sprite/FileUtil.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QImageWriter>

#include <cstring>

namespace vantrel {

namespace {

// Decodes a picture from memory: by its content first, then by the file's extension for the
// formats that cannot be told from their content.
QImage DecodePicture(const QByteArray& bytes, const std::string& path, std::string& reason)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage image;
    if (reader.read(&image))
        return image;
    reason = reader.errorString().toStdString();
    const std::string ext = LowerCase(ExtractFileExt(path));
    if (ext.size() > 1) {
        buffer.seek(0);
        QImageReader byName(&buffer, QByteArray::fromStdString(ext.substr(1)));
        if (byName.read(&image))
            return image;
    }
    return {};
}

} // namespace

QImage LoadPicture(const std::string& path) { return LoadPicture(ReadWholeFile(path), path); }

QImage LoadPicture(std::span<const uint8_t> file, const std::string& path)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
    std::string reason;
    QImage image = DecodePicture(bytes, path, reason);
    if (image.isNull())
        throw FileError("Cannot read picture \"" + path + "\": " + (file.empty() ? "the file is empty" : reason));
    return image;
}

std::vector<uint8_t> EncodePNG(const QImage& image, const std::string& path)
{
    if (image.isNull())
        throw FileError("Cannot write picture \"" + path + "\": the picture is empty");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        throw FileError("Cannot write picture \"" + path + "\": " + writer.errorString().toStdString());
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void SavePNG(const QImage& image, const std::string& path) { WriteFileAtomic(path, EncodePNG(image, path)); }

QImage Bitmap8ToImage(const TBitmap8& bitmap)
{
    if (!bitmap.IsIndexed() || bitmap.Width < 1 || bitmap.Height < 1 ||
        bitmap.Pixels.size() != size_t(bitmap.Width) * size_t(bitmap.Height))
        return {};
    QImage image = NewImage(bitmap.Width, bitmap.Height, QImage::Format_Indexed8);
    QList<QRgb> table(256);
    for (int e = 0; e < 256; ++e)
        table[e] = 0xFF000000u | (bitmap.ColourTable[size_t(e)] & 0x00FFFFFFu);
    image.setColorTable(table);
    for (int y = 0; y < bitmap.Height; ++y)
        std::memcpy(image.scanLine(y), bitmap.Row(y), size_t(bitmap.Width));
    return image;
}

TBitmap8 ImageToBitmap8(const QImage& image)
{
    TBitmap8 bitmap;
    if (image.isNull()) {
        bitmap.BitsPerPixel = 0;
        return bitmap;
    }
    const QImage::Format format = image.format();
    if (format != QImage::Format_Indexed8 && format != QImage::Format_Grayscale8) {
        bitmap.Width = image.width();
        bitmap.Height = image.height();
        bitmap.BitsPerPixel = image.depth() == 8 ? 0 : image.depth();
        return bitmap;
    }
    bitmap = MakeBitmap8(image.width(), image.height());
    if (format == QImage::Format_Indexed8) {
        const QList<QRgb> table = image.colorTable();
        for (qsizetype e = 0; e < std::min<qsizetype>(table.size(), 256); ++e)
            bitmap.ColourTable[size_t(e)] = table[e];
    } else {
        for (uint32_t e = 0; e < 256; ++e)
            bitmap.ColourTable[e] = 0xFF000000u | e << 16 | e << 8 | e;
    }
    for (int y = 0; y < bitmap.Height; ++y)
        std::memcpy(bitmap.Row(y), image.constScanLine(y), size_t(bitmap.Width));
    return bitmap;
}

TBitmap8 LoadSpriteMap(const std::string& path)
{
    try {
        return LoadBmp8(path);
    } catch (const BmpError& bmpError) {
        QImage picture;
        try {
            picture = LoadPicture(path);
        } catch (const FileError&) {
            throw bmpError;
        }
        return ImageToBitmap8(picture);
    }
}

} // namespace vantrel
