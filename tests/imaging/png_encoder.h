// An indexed PNG encoder of the tests' own, independent of the library's writer: any of the five
// row filters, any zlib level, Adam7 interlacing, bit depths 1 to 8, short PLTE and tRNS chunks,
// and the IDAT split into small chunks, as other encoders write them.
#pragma once

#include "sprite/Bmp8.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace pngtest {

struct TPngOptions {
    std::vector<int> Filters{0, 1, 2, 3, 4}; // cycled over the rows of every pass
    int Level = 6;                           // zlib level 0 to 9
    bool Interlace = false;
    int BitDepth = 8;
    int PaletteEntries = 256;
    int TransparentEntries = 1; // tRNS entries: entry 0 alpha 0, the rest 255
    size_t IdatChunk = 100;     // bytes of compressed data a chunk
};

inline uint32_t Crc(const uint8_t* p, size_t n, uint32_t crc = 0xFFFFFFFFu)
{
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc;
}

inline void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(uint8_t(v >> s));
}

inline void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    Put32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, Crc(out.data() + start, out.size() - start) ^ 0xFFFFFFFFu);
}

inline int Paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Packs and filters the rows of a sub-image (pixels given by coordinates) into raw.
inline void FilterRows(const vantrel::TBitmap8& b, int x0, int y0, int dx, int dy, const TPngOptions& o,
                       std::vector<uint8_t>& raw, size_t& rowCounter)
{
    const int w = x0 >= b.Width ? 0 : (b.Width - x0 + dx - 1) / dx;
    if (w == 0 || y0 >= b.Height)
        return;
    const size_t bytes = (size_t(w) * size_t(o.BitDepth) + 7) / 8;
    std::vector<uint8_t> prev(bytes, 0), row(bytes);
    for (int y = y0; y < b.Height; y += dy) {
        std::fill(row.begin(), row.end(), 0);
        for (int i = 0; i < w; ++i) {
            const size_t bit = size_t(i) * size_t(o.BitDepth);
            row[bit / 8] |= uint8_t(b.Row(y)[x0 + i * dx] << (8 - o.BitDepth - int(bit % 8)));
        }
        const int f = o.Filters[rowCounter++ % o.Filters.size()];
        raw.push_back(uint8_t(f));
        for (size_t x = 0; x < bytes; ++x) {
            const int a = x ? row[x - 1] : 0, up = prev[x], c = x ? prev[x - 1] : 0;
            const int predictor = f == 1 ? a : f == 2 ? up : f == 3 ? (a + up) / 2 : f == 4 ? Paeth(a, up, c) : 0;
            raw.push_back(uint8_t(row[x] - predictor));
        }
        prev = row;
    }
}

inline std::vector<uint8_t> EncodeIndexedPng(const vantrel::TBitmap8& b, const TPngOptions& o = {})
{
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    Put32(ihdr, uint32_t(b.Width));
    Put32(ihdr, uint32_t(b.Height));
    ihdr.insert(ihdr.end(), {uint8_t(o.BitDepth), 3, 0, 0, uint8_t(o.Interlace ? 1 : 0)});
    Chunk(out, "IHDR", ihdr);
    Chunk(out, "gAMA", {0, 0, 0xB1, 0x8F});
    std::vector<uint8_t> plte;
    for (int e = 0; e < o.PaletteEntries; ++e) {
        const uint32_t c = b.ColourTable[size_t(e)];
        plte.insert(plte.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
    Chunk(out, "PLTE", plte);
    if (o.TransparentEntries > 0) {
        std::vector<uint8_t> trns(size_t(o.TransparentEntries), 255);
        trns[0] = 0;
        Chunk(out, "tRNS", trns);
    }
    std::vector<uint8_t> raw;
    size_t rows = 0;
    if (o.Interlace) {
        const int pass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
        for (const auto& p : pass)
            FilterRows(b, p[0], p[1], p[2], p[3], o, raw, rows);
    } else {
        FilterRows(b, 0, 0, 1, 1, o, raw, rows);
    }
    const QByteArray z = qCompress(reinterpret_cast<const uchar*>(raw.data()), qsizetype(raw.size()), o.Level);
    const std::vector<uint8_t> zlib(z.begin() + 4, z.end()); // qCompress puts the length first
    for (size_t at = 0; at < zlib.size(); at += o.IdatChunk)
        Chunk(out, "IDAT", std::vector<uint8_t>(zlib.begin() + long(at), zlib.begin() + long(std::min(zlib.size(), at + o.IdatChunk))));
    Chunk(out, "IEND", {});
    return out;
}

} // namespace pngtest
