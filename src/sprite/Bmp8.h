// Reading and writing 8-bit indexed BMP pictures (sprite maps). The reader is strict and safe
// on hostile input: it never reads outside the file, never allocates out of proportion to the
// file's size, and reports the bit depth of a valid BMP of another depth instead of its pixels.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantrel {

struct TBitmap8 {
    int Width = 0;
    int Height = 0;
    // 8 for an indexed picture with Pixels; any other depth (1, 4, 16, 24, 32) comes with the
    // picture's size but no Pixels.
    int BitsPerPixel = 8;
    // Width x Height palette indices, top row first, Width bytes a row.
    std::vector<uint8_t> Pixels;
    // Each entry the four file bytes blue, green, red, x as a little-endian value 0xXXRRGGBB;
    // entries the file does not hold are 0 (black).
    std::array<uint32_t, 256> ColourTable{};

    bool IsIndexed() const { return BitsPerPixel == 8; }
    uint8_t* Row(int y) { return Pixels.data() + size_t(y) * size_t(Width); }
    const uint8_t* Row(int y) const { return Pixels.data() + size_t(y) * size_t(Width); }
};

// A BMP file that is malformed, truncated, of an unsupported kind, or too large to hold.
class BmpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A picture never holds more pixels than this (they are counted in a signed 32-bit integer).
inline constexpr uint64_t BmpMaxPixels = 0x7FFFFFFF;
// A run-length encoded picture is refused when it would need more than this many pixels and
// more than BmpMaxPixelsPerFileByte times the file's size.
inline constexpr uint64_t BmpPixelBudgetFloor = 64ull << 20;
inline constexpr uint64_t BmpMaxPixelsPerFileByte = 256;

// A blank indexed picture (every pixel 0, colour table black). Throws BmpError for a size below
// 1 x 1 or above BmpMaxPixels.
TBitmap8 MakeBitmap8(int width, int height);

// Reads a BMP file held in memory. Accepts the 12-, 40-, 52-, 56-, 108- and 124-byte headers,
// bottom-up and top-down rows, uncompressed and RLE8 data. Throws BmpError with the reason.
TBitmap8 ReadBmp8(std::span<const uint8_t> file);
// Reads a BMP file. Throws FileError when the file cannot be read and BmpError, naming the file,
// when its content is not a readable BMP.
TBitmap8 LoadBmp8(const std::string& path);

// The BMP file of an indexed picture: 8 bits per pixel, the 256-entry colour table as given,
// bottom-up rows padded to 4 bytes. Throws BmpError for a picture that cannot be written.
std::vector<uint8_t> EncodeBmp8(const TBitmap8& bitmap);
// The headers and colour table of that file, for writers that make the rows one at a time: the
// rows follow, bottom row first, each Bmp8RowBytes long (padded with zeros).
std::vector<uint8_t> Bmp8Head(int width, int height, const std::array<uint32_t, 256>& colourTable);
size_t Bmp8RowBytes(int width);
// Writes EncodeBmp8 through a temporary file that replaces path only once complete.
void SaveBmp8(const TBitmap8& bitmap, const std::string& path);

} // namespace vantrel
