#include "ImageUtil.h"
#include "Imaging.h"

#include "sprite/FileUtil.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QImageWriter>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#ifdef _WIN32
#include <io.h>
#define VANTREL_DUP _dup
#define VANTREL_DUP2 _dup2
#define VANTREL_CLOSE _close
#define VANTREL_FILENO _fileno
#else
#include <unistd.h>
#define VANTREL_DUP dup
#define VANTREL_DUP2 dup2
#define VANTREL_CLOSE close
#define VANTREL_FILENO fileno
#endif

namespace vantrel {

namespace {

// Qt's picture decoders report damaged files with warnings on stderr ("libpng warning: ...",
// "Rejecting image as it exceeds the current allocation limit"). While a picture is decoded on a
// thread, its debug, info and warning messages are kept back instead (the caller adds them to its
// reason when the picture cannot be read); messages of other threads, and critical and fatal
// ones, go on as before.
thread_local std::string* KeptMessages = nullptr;
QtMessageHandler PreviousHandler = nullptr;

void KeepDecoderMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (KeptMessages && (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)) {
        if (!KeptMessages->empty())
            *KeptMessages += "; ";
        *KeptMessages += message.toStdString();
        return;
    }
    if (PreviousHandler) {
        PreviousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    std::fflush(stderr);
}

// The libraries under Qt's decoders (libpng) also print their errors to stderr themselves: while
// a picture is decoded, stderr goes to a temporary file, whose text joins the kept messages.
class TStderrToFile {
public:
    TStderrToFile()
    {
        std::fflush(stderr);
        File = std::tmpfile();
        if (!File)
            return;
        Saved = VANTREL_DUP(VANTREL_FILENO(stderr));
        if (Saved < 0 || VANTREL_DUP2(VANTREL_FILENO(File), VANTREL_FILENO(stderr)) < 0) {
            Restore();
            return;
        }
    }
    ~TStderrToFile() { Restore(); }
    TStderrToFile(const TStderrToFile&) = delete;
    TStderrToFile& operator=(const TStderrToFile&) = delete;

    // Puts stderr back and returns what was written to it meanwhile (its lines joined by "; ").
    std::string Restore()
    {
        std::string text;
        if (Saved >= 0) {
            std::fflush(stderr);
            VANTREL_DUP2(Saved, VANTREL_FILENO(stderr));
            VANTREL_CLOSE(Saved);
            Saved = -1;
            std::rewind(File);
            char buffer[512];
            size_t n;
            while (text.size() < 4096 && (n = std::fread(buffer, 1, sizeof buffer, File)) > 0)
                text.append(buffer, n);
        }
        if (File)
            std::fclose(File);
        File = nullptr;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        for (size_t i; (i = text.find('\n')) != std::string::npos;)
            text.replace(i, 1, "; ");
        return text;
    }

private:
    std::FILE* File = nullptr;
    int Saved = -1;
};

class TQuietDecoding {
public:
    TQuietDecoding()
    {
        static std::mutex lock;
        const std::lock_guard guard(lock);
        static const bool installed = [] {
            PreviousHandler = qInstallMessageHandler(KeepDecoderMessages);
            return true;
        }();
        (void)installed;
        Outer = KeptMessages;
        KeptMessages = &Messages;
        if (!Outer) {
            Turn = std::unique_lock(StderrLock());
            Stderr = std::make_unique<TStderrToFile>();
        }
    }
    ~TQuietDecoding() { KeptMessages = Outer; }
    TQuietDecoding(const TQuietDecoding&) = delete;
    TQuietDecoding& operator=(const TQuietDecoding&) = delete;

    // Everything the decoders said; ends the quiet time of stderr.
    std::string Text()
    {
        std::string printed = Stderr ? Stderr->Restore() : std::string();
        if (!Messages.empty() && !printed.empty())
            printed = "; " + printed;
        return Messages + printed;
    }

private:
    std::string Messages;
    std::string* Outer = nullptr;
    std::unique_lock<std::mutex> Turn; // declared before Stderr: held until stderr is back
    std::unique_ptr<TStderrToFile> Stderr;
};

// The bytes of a picture file as a device Qt's readers read, without a copy.
class TPictureBytes {
public:
    explicit TPictureBytes(std::span<const uint8_t> file)
    {
        Buffer.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()), qsizetype(file.size())));
        Buffer.open(QIODevice::ReadOnly);
    }
    // The device from its start.
    QIODevice* Device()
    {
        Buffer.seek(0);
        return &Buffer;
    }

private:
    QBuffer Buffer;
};

// The format a file's extension names ("png"), for the formats that cannot be told from their
// content; empty when the name has no extension.
QByteArray FormatOfExtension(const std::string& path)
{
    const std::string ext = LowerCase(ExtractFileExt(path));
    return ext.size() > 1 ? QByteArray::fromStdString(ext.substr(1)) : QByteArray();
}

// Decodes a picture from memory: by its content first, then by the file's extension. On failure,
// reason says why.
QImage DecodePicture(std::span<const uint8_t> file, const std::string& path, std::string& reason)
{
    TPictureBytes bytes(file);
    TQuietDecoding quiet;
    QImageReader reader(bytes.Device());
    QImage image;
    if (reader.read(&image))
        return image;
    reason = file.empty() ? "the file is empty" : reader.errorString().toStdString();
    if (const QByteArray format = FormatOfExtension(path); !format.isEmpty()) {
        QImageReader byName(bytes.Device(), format);
        if (byName.read(&image))
            return image;
    }
    if (const std::string said = quiet.Text(); !said.empty())
        reason += " (" + said + ")";
    return {};
}

// A BMP file by its signature.
bool LooksLikeBmp(std::span<const uint8_t> file) { return file.size() >= 2 && file[0] == 'B' && file[1] == 'M'; }

} // namespace

std::mutex& StderrLock()
{
    static std::mutex lock;
    return lock;
}

QImage LoadPicture(const std::string& path) { return LoadPicture(ReadWholeFile(path), path); }

QSize PictureFileSize(std::span<const uint8_t> file, const std::string& path)
{
    TPictureBytes bytes(file);
    TQuietDecoding quiet;
    QImageReader reader(bytes.Device());
    if (reader.canRead())
        return reader.size();
    const QByteArray format = FormatOfExtension(path);
    if (format.isEmpty())
        return {};
    QImageReader byName(bytes.Device(), format);
    return byName.size();
}

QImage LoadPicture(std::span<const uint8_t> file, const std::string& path)
{
    std::string reason;
    QImage image = DecodePicture(file, path, reason);
    if (image.isNull())
        throw FileError("Cannot read picture \"" + path + "\": " + reason);
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

void SavePNG(const QImage& image, const std::string& path)
{
    if (image.isNull())
        throw FileError("Cannot write picture \"" + path + "\": the picture is empty");
    const bool alpha = image.hasAlphaChannel();
    const QImage rows = InFormat(image, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    TPNGWriter writer(path, rows.width(), rows.height(), alpha);
    for (int y = 0; y < rows.height(); ++y)
        writer.WriteRow(RowOf(rows, y));
    writer.Finish();
}

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

TBitmap8 LoadSpriteMap(const std::string& path) { return DecodeSpriteMap(ReadWholeFile(path), path); }

TBitmap8 DecodeSpriteMap(std::span<const uint8_t> file, const std::string& path)
{
    if (LooksLikeBmp(file)) {
        try {
            return ReadBmp8(file);
        } catch (const BmpError& e) {
            throw BmpError("Cannot read bitmap \"" + path + "\": " + e.what());
        }
    }
    std::string reason;
    const QImage picture = DecodePicture(file, path, reason);
    if (picture.isNull())
        throw BmpError("Cannot read picture \"" + path +
                       "\": it is neither a BMP file nor a picture of another kind that can be read (" + reason + ")");
    return ImageToBitmap8(picture);
}

} // namespace vantrel
