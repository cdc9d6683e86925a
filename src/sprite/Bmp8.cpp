#include "Bmp8.h"

#include "FileUtil.h"
#include "Types.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

constexpr size_t FileHeaderSize = 14;
constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;

enum Compression : uint32_t {
    BiRgb = 0,
    BiRle8 = 1,
    BiRle4 = 2,
    BiBitfields = 3,
    BiJpeg = 4,
    BiPng = 5,
    BiAlphaBitfields = 6,
};

[[noreturn]] void Fail(const std::string& reason) { throw BmpError(reason); }

std::string Num(uint64_t v) { return std::to_string(v); }

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(v >> shift));
}

// The fields of the file and bitmap headers the reader needs.
struct THeader {
    uint32_t DataOffset = 0;
    uint32_t HeaderSize = 0;
    int64_t Width = 0;
    int64_t Height = 0; // rows, always positive
    bool TopDown = false;
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t Compression = BiRgb;
    uint32_t ImageSize = 0;
    uint32_t ColoursUsed = 0;
};

bool IsKnownHeaderSize(uint32_t size)
{
    return size == CoreHeaderSize || size == InfoHeaderSize || size == 52 || size == 56 || size == 108 || size == 124;
}

THeader ReadHeader(std::span<const uint8_t> file)
{
    if (file.size() < FileHeaderSize + 4)
        Fail("the file is too short to be a BMP picture (" + Num(file.size()) + " bytes)");
    const uint8_t* p = file.data();
    if (p[0] != 'B' || p[1] != 'M')
        Fail("the file is not a BMP picture (it does not start with \"BM\")");
    THeader h;
    h.DataOffset = U32(p + 10);
    h.HeaderSize = U32(p + 14);
    if (!IsKnownHeaderSize(h.HeaderSize))
        Fail("the bitmap header of " + Num(h.HeaderSize) + " bytes is not a supported kind");
    if (file.size() < FileHeaderSize + h.HeaderSize)
        Fail("the file ends inside its bitmap header");
    const uint8_t* info = p + FileHeaderSize;
    if (h.HeaderSize == CoreHeaderSize) {
        h.Width = U16(info + 4);
        h.Height = U16(info + 6);
        h.Planes = U16(info + 8);
        h.BitCount = U16(info + 10);
    } else {
        h.Width = int32_t(U32(info + 4));
        const int64_t height = int32_t(U32(info + 8));
        h.TopDown = height < 0;
        h.Height = height < 0 ? -height : height;
        h.Planes = U16(info + 12);
        h.BitCount = U16(info + 14);
        h.Compression = U32(info + 16);
        h.ImageSize = U32(info + 20);
        h.ColoursUsed = U32(info + 32);
    }
    return h;
}

void CheckHeader(const THeader& h, uint64_t fileSize)
{
    if (h.Width <= 0 || h.Height <= 0)
        Fail("the picture size " + std::to_string(h.Width) + " x " + std::to_string(h.Height) + " is not valid");
    if (h.Planes != 1)
        Fail("the bitmap header gives " + Num(h.Planes) + " colour planes instead of 1");
    const uint16_t depth = h.BitCount;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        Fail("a depth of " + Num(depth) + " bits per pixel is not supported");
    switch (h.Compression) {
    case BiRgb:
        break;
    case BiRle8:
        if (depth != 8)
            Fail("RLE8 compression needs 8 bits per pixel, the file has " + Num(depth));
        break;
    case BiRle4:
        if (depth != 4)
            Fail("RLE4 compression needs 4 bits per pixel, the file has " + Num(depth));
        break;
    case BiBitfields:
    case BiAlphaBitfields:
        if (depth != 16 && depth != 32)
            Fail("bit-field pixels need 16 or 32 bits per pixel, the file has " + Num(depth));
        break;
    case BiJpeg:
    case BiPng:
        Fail("BMP files holding a JPEG or PNG picture are not supported");
    default:
        Fail("compression method " + Num(h.Compression) + " is not known");
    }
    if (h.HeaderSize == CoreHeaderSize && depth != 1 && depth != 4 && depth != 8 && depth != 24)
        Fail("a depth of " + Num(depth) + " bits per pixel is not valid in this bitmap header");
    if (h.DataOffset < FileHeaderSize + h.HeaderSize)
        Fail("the pixel data starts inside the headers");
    if (h.DataOffset > fileSize)
        Fail("the pixel data starts past the end of the file");
}

uint64_t RowStride(uint64_t width, uint64_t depth) { return (width * depth + 31) / 32 * 4; }

void CheckUncompressedSize(const THeader& h, uint64_t fileSize)
{
    const uint64_t stride = RowStride(uint64_t(h.Width), h.BitCount);
    const uint64_t need = stride * uint64_t(h.Height);
    const uint64_t have = fileSize - h.DataOffset;
    if (need > have)
        Fail("the file is truncated: its pixels need " + Num(need) + " bytes, " + Num(have) + " are there");
}

void ReadColourTable(const THeader& h, std::span<const uint8_t> file, TBitmap8& bitmap)
{
    const bool core = h.HeaderSize == CoreHeaderSize;
    const uint64_t entrySize = core ? 3 : 4;
    const uint64_t start = FileHeaderSize + h.HeaderSize;
    if (h.ColoursUsed > 256)
        Fail("the colour table claims " + Num(h.ColoursUsed) + " entries; 8-bit pictures have at most 256");
    uint64_t count = h.ColoursUsed == 0 ? 256 : h.ColoursUsed;
    if (start + count * entrySize > h.DataOffset) {
        if (h.ColoursUsed != 0)
            Fail("the colour table of " + Num(count) + " entries runs into the pixel data");
        count = (h.DataOffset - start) / entrySize; // the writer left out the unused entries
    }
    const uint8_t* p = file.data() + start;
    for (uint64_t i = 0; i < count; ++i, p += entrySize)
        bitmap.ColourTable[i] = core ? (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16) : U32(p);
}

// File row k holds picture row k of a top-down file and row Height - 1 - k of a bottom-up one.
uint8_t* PictureRow(TBitmap8& bitmap, bool topDown, int64_t fileRow)
{
    return bitmap.Row(int(topDown ? fileRow : bitmap.Height - 1 - fileRow));
}

void ReadUncompressed(const THeader& h, std::span<const uint8_t> file, TBitmap8& bitmap)
{
    const uint64_t stride = RowStride(uint64_t(h.Width), 8);
    for (int64_t k = 0; k < h.Height; ++k)
        std::memcpy(PictureRow(bitmap, h.TopDown, k), file.data() + h.DataOffset + uint64_t(k) * stride,
                    size_t(h.Width));
}

void DecodeRle8(const THeader& h, std::span<const uint8_t> data, TBitmap8& bitmap)
{
    const int64_t width = h.Width;
    const int64_t height = h.Height;
    size_t p = 0;
    int64_t x = 0;
    int64_t y = 0; // file row
    auto checkSpan = [&](int64_t n) {
        if (y >= height)
            Fail("the RLE8 data runs past the last row");
        if (x + n > width)
            Fail("an RLE8 run passes the end of row " + std::to_string(y));
    };
    for (;;) {
        if (p + 2 > data.size()) {
            if (y >= height)
                return;
            Fail("the file is truncated: the RLE8 data ends before the end of the picture");
        }
        const uint8_t count = data[p];
        const uint8_t value = data[p + 1];
        p += 2;
        if (count > 0) {
            checkSpan(count);
            std::memset(PictureRow(bitmap, h.TopDown, y) + x, value, count);
            x += count;
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            return;
        } else if (value == 2) { // move right and up
            if (p + 2 > data.size())
                Fail("the file is truncated inside an RLE8 position change");
            x += data[p];
            y += data[p + 1];
            p += 2;
            if (x > width || y > height)
                Fail("an RLE8 position change moves outside the picture");
        } else { // a literal run, padded to an even length
            checkSpan(value);
            if (p + value > data.size())
                Fail("the file is truncated inside an RLE8 literal run");
            std::memcpy(PictureRow(bitmap, h.TopDown, y) + x, data.data() + p, value);
            x += value;
            p += value + (value & 1u);
        }
    }
}

void ReadRle8(const THeader& h, std::span<const uint8_t> file, TBitmap8& bitmap)
{
    std::span<const uint8_t> data = file.subspan(h.DataOffset);
    if (h.ImageSize != 0) {
        if (h.ImageSize > data.size())
            Fail("the file is truncated: it holds " + Num(data.size()) + " of " + Num(h.ImageSize) +
                 " bytes of RLE8 data");
        data = data.first(h.ImageSize);
    }
    DecodeRle8(h, data, bitmap);
}

void CheckPixelBudget(const THeader& h, uint64_t fileSize)
{
    const uint64_t pixels = uint64_t(h.Width) * uint64_t(h.Height);
    if (pixels > BmpMaxPixels)
        Fail("a picture of " + std::to_string(h.Width) + " x " + std::to_string(h.Height) + " pixels is too large");
    if (h.Compression == BiRle8 && pixels > std::max(BmpPixelBudgetFloor, fileSize * BmpMaxPixelsPerFileByte))
        Fail("the file asks for " + std::to_string(h.Width) + " x " + std::to_string(h.Height) + " pixels in " +
             Num(fileSize) + " bytes; it is not loaded");
}

} // namespace

TBitmap8 MakeBitmap8(int width, int height)
{
    if (width < 1 || height < 1 || uint64_t(width) * uint64_t(height) > BmpMaxPixels)
        Fail("a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is not possible");
    TBitmap8 bitmap;
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.Pixels.assign(size_t(width) * size_t(height), 0);
    return bitmap;
}

TBitmap8 ReadBmp8(std::span<const uint8_t> file)
{
    const THeader h = ReadHeader(file);
    CheckHeader(h, file.size());
    if (h.BitCount != 8) {
        if (h.Compression == BiRgb || h.Compression == BiBitfields || h.Compression == BiAlphaBitfields)
            CheckUncompressedSize(h, file.size());
        if (uint64_t(h.Width) > uint64_t(INT32_MAX) || uint64_t(h.Height) > uint64_t(INT32_MAX))
            Fail("the picture size is not valid");
        TBitmap8 other;
        other.Width = int(h.Width);
        other.Height = int(h.Height);
        other.BitsPerPixel = h.BitCount;
        return other;
    }
    CheckPixelBudget(h, file.size());
    if (h.Compression == BiRgb)
        CheckUncompressedSize(h, file.size());
    TBitmap8 bitmap = MakeBitmap8(int(h.Width), int(h.Height));
    ReadColourTable(h, file, bitmap);
    if (h.Compression == BiRle8)
        ReadRle8(h, file, bitmap);
    else
        ReadUncompressed(h, file, bitmap);
    return bitmap;
}

TBitmap8 LoadBmp8(const std::string& path)
{
    const std::vector<uint8_t> file = ReadWholeFile(path);
    try {
        return ReadBmp8(file);
    } catch (const BmpError& e) {
        throw BmpError("Cannot read bitmap \"" + path + "\": " + e.what());
    }
}

std::vector<uint8_t> Bmp8Head(int width, int height, const std::array<uint32_t, 256>& colourTable)
{
    if (width < 1 || height < 1)
        Fail("a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels cannot be written");
    const uint64_t stride = Bmp8RowBytes(width);
    const uint64_t dataOffset = FileHeaderSize + InfoHeaderSize + 256 * 4;
    const uint64_t fileSize = dataOffset + stride * uint64_t(height);
    if (fileSize > UINT32_MAX)
        Fail("a picture of " + Num(uint64_t(width)) + " x " + Num(uint64_t(height)) +
             " pixels is too large for a BMP file");
    std::vector<uint8_t> out;
    out.reserve(size_t(dataOffset));
    out.push_back('B');
    out.push_back('M');
    Put32(out, uint32_t(fileSize));
    Put32(out, 0);
    Put32(out, uint32_t(dataOffset));
    Put32(out, InfoHeaderSize);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(height)); // positive: bottom-up rows
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, BiRgb);
    Put32(out, uint32_t(stride * uint64_t(height)));
    Put32(out, 0); // horizontal resolution: not given
    Put32(out, 0); // vertical resolution
    Put32(out, 256);
    Put32(out, 0);
    for (uint32_t entry : colourTable)
        Put32(out, entry);
    return out;
}

size_t Bmp8RowBytes(int width) { return size_t(RowStride(uint64_t(std::max(width, 0)), 8)); }

std::vector<uint8_t> EncodeBmp8(const TBitmap8& bitmap)
{
    if (bitmap.BitsPerPixel != 8)
        Fail("only 8-bit pictures can be written, this one has " + Num(uint64_t(bitmap.BitsPerPixel)) + " bits");
    if (bitmap.Width >= 1 && bitmap.Height >= 1 &&
        bitmap.Pixels.size() != uint64_t(bitmap.Width) * uint64_t(bitmap.Height))
        Fail("the picture holds " + Num(bitmap.Pixels.size()) + " pixels instead of " +
             Num(uint64_t(bitmap.Width) * uint64_t(bitmap.Height)));
    std::vector<uint8_t> out = Bmp8Head(bitmap.Width, bitmap.Height, bitmap.ColourTable);
    const size_t width = size_t(bitmap.Width);
    const size_t padding = Bmp8RowBytes(bitmap.Width) - width;
    out.reserve(out.size() + (width + padding) * size_t(bitmap.Height));
    for (int y = bitmap.Height - 1; y >= 0; --y) {
        const uint8_t* row = bitmap.Row(y);
        out.insert(out.end(), row, row + width);
        out.insert(out.end(), padding, 0);
    }
    return out;
}

void SaveBmp8(const TBitmap8& bitmap, const std::string& path) { WriteFileAtomic(path, EncodeBmp8(bitmap)); }

} // namespace vantrel
