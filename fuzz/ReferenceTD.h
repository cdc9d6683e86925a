// Plain byte-at-a-time decoders of the TD/RA1 frame codecs, written straight from the format
// descriptions: the reader's fast decoders must give the same bytes and stop at the same place.
// They decode into o (the capacity) and return the number of bytes decoded; the XOR delta
// applies to ref, as large as o.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrel::fuzz {

inline size_t ReferenceLCW(std::span<const uint8_t> in, std::span<uint8_t> o)
{
    size_t pos = 0, out = 0;
    const size_t cap = o.size(), size = in.size();
    auto copyFrom = [&](size_t from, size_t n) {
        for (size_t k = 0; k < n && out < cap; ++k, ++out)
            o[out] = o[from + k];
    };
    while (out < cap && pos < size) {
        const uint8_t c = in[pos++];
        if (c < 0x80) {
            if (pos >= size)
                break;
            const size_t distance = size_t(c & 0x0F) << 8 | in[pos++];
            if (distance == 0 || distance > out)
                break;
            copyFrom(out - distance, (c >> 4) + 3u);
        } else if (c == 0x80) {
            break;
        } else if (c < 0xC0) {
            bool ended = false;
            for (size_t k = 0; k < size_t(c & 0x3F); ++k) {
                if (pos >= size || out >= cap) {
                    ended = true;
                    break;
                }
                o[out++] = in[pos++];
            }
            if (ended)
                break;
        } else if (c < 0xFE) {
            if (size - pos < 2)
                break;
            const size_t p = in[pos] | in[pos + 1] << 8;
            pos += 2;
            if (p >= out)
                break;
            copyFrom(p, (c & 0x3Fu) + 3u);
        } else if (c == 0xFE) {
            if (size - pos < 3)
                break;
            const size_t n = in[pos] | in[pos + 1] << 8;
            for (size_t k = 0; k < n && out < cap; ++k)
                o[out++] = in[pos + 2];
            pos += 3;
        } else {
            if (size - pos < 4)
                break;
            const size_t n = in[pos] | in[pos + 1] << 8, p = in[pos + 2] | in[pos + 3] << 8;
            pos += 4;
            if (n == 0 || out == cap)
                continue;
            if (p >= out)
                break;
            copyFrom(p, n);
        }
    }
    return out;
}

inline size_t ReferenceXOR(std::span<const uint8_t> in, std::span<const uint8_t> ref, std::span<uint8_t> o)
{
    size_t pos = 0, out = 0;
    const size_t cap = o.size(), size = in.size();
    auto copyRef = [&](size_t n) {
        for (size_t k = 0; k < n && out < cap; ++k, ++out)
            o[out] = ref[out];
    };
    auto fill = [&](uint8_t v, size_t n) {
        for (size_t k = 0; k < n && out < cap; ++k, ++out)
            o[out] = uint8_t(ref[out] ^ v);
    };
    auto xorInput = [&](size_t n) { // false when the input ran out first
        for (size_t k = 0; k < n && out < cap; ++k, ++out) {
            if (pos >= size)
                return false;
            o[out] = uint8_t(ref[out] ^ in[pos++]);
        }
        return true;
    };
    while (out < cap && pos < size) {
        const uint8_t c = in[pos++];
        if (c == 0) {
            if (size - pos < 2)
                break;
            const uint8_t n = in[pos], v = in[pos + 1];
            pos += 2;
            fill(v, n);
        } else if (c < 0x80) {
            if (!xorInput(c))
                break;
        } else if (c > 0x80) {
            copyRef(c & 0x7F);
        } else {
            if (size - pos < 2)
                break;
            const size_t w = in[pos] | in[pos + 1] << 8;
            pos += 2;
            if (w == 0)
                break;
            if (w < 0x8000) {
                copyRef(w);
            } else if ((w & 0x4000) == 0) {
                if (!xorInput(w & 0x3FFF))
                    break;
            } else {
                if (pos >= size)
                    break;
                fill(in[pos++], w & 0x3FFF);
            }
        }
    }
    return out;
}

} // namespace vantrel::fuzz
