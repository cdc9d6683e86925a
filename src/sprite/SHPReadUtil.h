// Small helpers shared by the SHP readers and the probe: little-endian fields and the zeroing of
// a canvas around a frame's rectangle.
#pragma once

#include "SHP.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace vantrel::shpread {

inline uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t ReadU24(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16; }
inline uint32_t ReadU32(const uint8_t* p) { return ReadU24(p) | uint32_t(p[3]) << 24; }

// Refuses (SHPError) a canvas whose bytes do not fit the signed 32-bit count of the model.
inline void CheckCanvasSize(int width, int height)
{
    if (uint64_t(width) * uint64_t(height) > uint64_t(INT32_MAX))
        throw SHPError("A canvas of " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels is too large; the file is not loaded");
}

// Copies count bytes of file from offset into dst; the bytes the file does not have are zero.
inline void CopyPadded(std::span<const uint8_t> file, uint64_t offset, uint8_t* dst, size_t count)
{
    const size_t have = offset < file.size() ? size_t(std::min<uint64_t>(count, file.size() - offset)) : 0;
    if (have)
        std::memcpy(dst, file.data() + offset, have);
    std::memset(dst + have, 0, count - have);
}

// The part of a rectangle that lies on a width x height canvas.
struct TVisibleRect {
    int X = 0, Y = 0, CX = 0, CY = 0;
    bool Empty() const { return CX == 0 || CY == 0; }
};

inline TVisibleRect VisiblePart(const TSHPFrame& frame, int width, int height)
{
    TVisibleRect r;
    r.X = std::min<int>(frame.X, width);
    r.Y = std::min<int>(frame.Y, height);
    r.CX = std::min<int>(frame.X + frame.CX, width) - r.X;
    r.CY = std::min<int>(frame.Y + frame.CY, height) - r.Y;
    if (r.Empty())
        r = {};
    return r;
}

// Cuts the frame's rectangle to the canvas; one wholly outside becomes (0, 0, 0, 0).
inline void ClipFrameRect(TSHPFrame& frame, int width, int height)
{
    const TVisibleRect r = VisiblePart(frame, width, height);
    frame.X = uint16_t(r.X);
    frame.Y = uint16_t(r.Y);
    frame.CX = uint16_t(r.CX);
    frame.CY = uint16_t(r.CY);
}

// Writes a frame's whole canvas once, top to bottom. decodeRow(row, out) decodes row `row` of
// the rectangle to out and returns the end of what it wrote (at most r.CX bytes); every byte
// between that end and the start of the next row's rectangle, above the first and below the
// last row, is set to 0 by one memset per row.
template <class RowDecoder>
void FillCanvas(uint8_t* data, int width, int height, const TVisibleRect& r, RowDecoder&& decodeRow)
{
    const size_t w = size_t(width);
    uint8_t* zeroFrom = data;
    for (int row = 0; row < r.CY; ++row) {
        uint8_t* const out = data + size_t(r.Y + row) * w + size_t(r.X);
        std::memset(zeroFrom, 0, size_t(out - zeroFrom));
        zeroFrom = decodeRow(row, out);
    }
    std::memset(zeroFrom, 0, size_t(data + w * size_t(height) - zeroFrom));
}

} // namespace vantrel::shpread
