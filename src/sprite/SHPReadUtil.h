// Small helpers shared by the SHP readers and the probe: little-endian fields and the zeroing of
// a canvas around a frame's rectangle.
#pragma once

#include "SHP.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

namespace vantrel::shpread {

inline uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t ReadU24(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16; }
inline uint32_t ReadU32(const uint8_t* p) { return ReadU24(p) | uint32_t(p[3]) << 24; }

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

// Writes 0 to every canvas byte outside the rectangle (the whole canvas when it is empty).
inline void ZeroOutsideRect(uint8_t* data, int width, int height, const TVisibleRect& r)
{
    const size_t w = size_t(width);
    if (r.Empty()) {
        std::memset(data, 0, w * size_t(height));
        return;
    }
    std::memset(data, 0, size_t(r.Y) * w);
    const size_t right = w - size_t(r.X) - size_t(r.CX);
    if (r.X != 0 || right != 0) {
        for (int y = r.Y; y < r.Y + r.CY; ++y) {
            uint8_t* row = data + size_t(y) * w;
            std::memset(row, 0, size_t(r.X));
            std::memset(row + r.X + r.CX, 0, right);
        }
    }
    std::memset(data + size_t(r.Y + r.CY) * w, 0, size_t(height - r.Y - r.CY) * w);
}

} // namespace vantrel::shpread
