#include "ColourSpace.h"
#include "SHP.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace vantrel {

const std::array<uint8_t, GameCount> ShadowIndices = {4, 4, 0, 0};

namespace {

// Luminosity leaves index 0 and the entries 240 to 254 alone.
constexpr int FirstFixedEntry = 240;
constexpr int LastFixedEntry = 254;
constexpr uint8_t ShadowAlpha = 127;
constexpr uint8_t OpaqueAlpha = 255;

TColour24 Scaled(TColour24 c, int k, int divisor)
{
    return {uint8_t(c.B * k / divisor), uint8_t(c.G * k / divisor), uint8_t(c.R * k / divisor)};
}

// The remap ramp of a game: shades of the side colour in the game's remap entries.
void WriteRemapRamp(TSHPGame game, TColour24 side, TPalette& pal)
{
    switch (game) {
    case TSHPGame::TD:
        for (int k = 1; k <= 8; ++k)
            pal[size_t(184 - k)] = Scaled(side, k, 9);
        for (int k = 5; k <= 12; ++k)
            pal[size_t(196 - k)] = Scaled(side, k, 17);
        break;
    case TSHPGame::RA1:
    case TSHPGame::TS:
    case TSHPGame::RA2: {
        const int base = game == TSHPGame::RA1 ? 80 : 16;
        for (int k = 2; k <= 17; ++k)
            pal[size_t(base + 17 - k)] = Scaled(side, k, 17);
        break;
    }
    default:
        break; // a game value read from a file that names no game: no remap entries
    }
}

void ShiftLuminosity(int16_t luminosity, TPalette& pal)
{
    const long double offset = static_cast<long double>(luminosity) / 255;
    for (int e = 1; e <= 255; ++e) {
        if (e >= FirstFixedEntry && e <= LastFixedEntry)
            continue;
        THSL hsl = RGBToHSL(pal[size_t(e)]);
        const long double lightness = hsl.Lightness + offset;
        hsl.Lightness = static_cast<float>(std::clamp(lightness, 0.0L, 1.0L));
        pal[size_t(e)] = HSLToRGB(hsl);
    }
}

constexpr uint32_t Packed(TColour24 c, uint8_t alpha)
{
    return uint32_t(c.B) | uint32_t(c.G) << 8 | uint32_t(c.R) << 16 | uint32_t(alpha) << 24;
}

TPixelTable MakePixelTable(const TPalette& pal, bool shadowFrame, bool transparentShadows, uint8_t shadowIndex)
{
    TPixelTable t;
    const bool allShadow = shadowFrame && transparentShadows;
    for (size_t p = 0; p < 256; ++p)
        t[p] = allShadow ? Packed(ShadowColour, ShadowAlpha) : Packed(pal[p], OpaqueAlpha);
    if (shadowIndex != 0 && !allShadow)
        t[shadowIndex] = Packed(ShadowColour, ShadowAlpha);
    t[0] = Packed(pal[0], 0);
    return t;
}

// Writes n pixels of colour and opacity, each colour(k) packed as in the table.
template <class Colour>
void WritePixels(Colour colour, size_t n, uint8_t* rgb, uint8_t* alpha)
{
    size_t k = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Four pixels make three words of colour and one of opacity, each stored whole.
        for (; k + 4 <= n; k += 4) {
            const uint32_t c0 = colour(k), c1 = colour(k + 1), c2 = colour(k + 2), c3 = colour(k + 3);
            const uint32_t w0 = (c0 & 0xFFFFFFu) | c1 << 24;
            const uint32_t w1 = (c1 >> 8 & 0xFFFFu) | c2 << 16;
            const uint32_t w2 = (c2 >> 16 & 0xFFu) | c3 << 8;
            const uint32_t opacity = c0 >> 24 | (c1 >> 24) << 8 | (c2 >> 24) << 16 | (c3 & 0xFF000000u);
            std::memcpy(rgb + 3 * k, &w0, 4);
            std::memcpy(rgb + 3 * k + 4, &w1, 4);
            std::memcpy(rgb + 3 * k + 8, &w2, 4);
            std::memcpy(alpha + k, &opacity, 4);
        }
    }
    for (; k < n; ++k) {
        const uint32_t c = colour(k);
        rgb[3 * k] = uint8_t(c);
        rgb[3 * k + 1] = uint8_t(c >> 8);
        rgb[3 * k + 2] = uint8_t(c >> 16);
        alpha[k] = uint8_t(c >> 24);
    }
}

void FillPixels(uint32_t packed, size_t n, uint8_t* rgb, uint8_t* alpha)
{
    WritePixels([packed](size_t) { return packed; }, n, rgb, alpha);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VANTREL_RENDER_AVX2 1
// Eight pixels at a time on processors with AVX2: the table entries gathered in one instruction,
// their colours and opacities shuffled into place. Leaves the last pixels (at least two) to the
// caller, as each step stores four bytes past its colours.
__attribute__((target("avx2"))) size_t MapPixelsAVX2(const uint8_t* src, const TPixelTable& table, size_t n,
                                                     uint8_t* rgb, uint8_t* alpha)
{
    // Per 128-bit lane of four packed pixels: their twelve colour bytes, then their four opacities.
    const __m256i colours = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, //
                                             0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i opacities = _mm256_setr_epi8(3, 7, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, //
                                               3, 7, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const int* entries = reinterpret_cast<const int*>(table.data());
    size_t k = 0;
    for (; k + 10 <= n; k += 8) {
        const __m256i indices = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + k)));
        const __m256i pixels = _mm256_i32gather_epi32(entries, indices, 4);
        const __m256i c = _mm256_shuffle_epi8(pixels, colours);
        const __m256i a = _mm256_shuffle_epi8(pixels, opacities);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + 3 * k), _mm256_castsi256_si128(c));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + 3 * k + 12), _mm256_extracti128_si256(c, 1));
        const uint32_t low = uint32_t(_mm256_cvtsi256_si32(a));
        const uint32_t high = uint32_t(_mm_cvtsi128_si32(_mm256_extracti128_si256(a, 1)));
        const uint64_t both = uint64_t(low) | uint64_t(high) << 32;
        std::memcpy(alpha + k, &both, 8);
    }
    return k;
}
#endif

#if VANTREL_RENDER_AVX2
// Whole packed pixels, eight at a time: table[src[k]], or where under is given and that pixel is
// transparent, underTable[under[k]]. Leaves the last pixels (fewer than eight) to the caller.
__attribute__((target("avx2"))) size_t MapWholePixelsAVX2(const uint8_t* src, const TPixelTable& table,
                                                          const uint8_t* under, const TPixelTable* underTable,
                                                          size_t n, uint32_t* out)
{
    const int* entries = reinterpret_cast<const int*>(table.data());
    size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        const __m256i indices = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + k)));
        __m256i pixels = _mm256_i32gather_epi32(entries, indices, 4);
        if (under) {
            const __m256i clear = _mm256_cmpeq_epi32(_mm256_srli_epi32(pixels, 24), _mm256_setzero_si256());
            if (!_mm256_testz_si256(clear, clear)) {
                const __m256i below = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(under + k)));
                const __m256i shown = _mm256_i32gather_epi32(reinterpret_cast<const int*>(underTable->data()), below, 4);
                pixels = _mm256_blendv_epi8(pixels, shown, clear);
            }
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), pixels);
    }
    return k;
}
#endif

// VANTREL_PORTABLE_PIXELS set in the environment keeps to the portable loops (they are tested so).
bool HasAVX2()
{
#if VANTREL_RENDER_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2") && !std::getenv("VANTREL_PORTABLE_PIXELS");
    return avx2;
#else
    return false;
#endif
}

// out[k] := table[src[k]] for n pixels; eight indices are read as one word, pixels stored in pairs.
size_t MapWholePixelsPortable(const uint8_t* src, const TPixelTable& table, size_t n, uint32_t* out)
{
    size_t k = 0;
    if constexpr (std::endian::native == std::endian::little)
        for (; k + 8 <= n; k += 8) {
            uint64_t w;
            std::memcpy(&w, src + k, 8);
            const uint64_t pairs[4] = {table[w & 0xFF] | uint64_t(table[w >> 8 & 0xFF]) << 32,
                                       table[w >> 16 & 0xFF] | uint64_t(table[w >> 24 & 0xFF]) << 32,
                                       table[w >> 32 & 0xFF] | uint64_t(table[w >> 40 & 0xFF]) << 32,
                                       table[w >> 48 & 0xFF] | uint64_t(table[w >> 56]) << 32};
            std::memcpy(out + k, pairs, sizeof pairs);
        }
    return k;
}

// out[k] := table[src[k]], or where under is given and that pixel is transparent,
// underTable[under[k]].
void MapWholePixels(const uint8_t* src, const TPixelTable& table, const uint8_t* under,
                    const TPixelTable* underTable, size_t n, uint32_t* out)
{
    size_t k = 0;
#if VANTREL_RENDER_AVX2
    if (HasAVX2())
        k = MapWholePixelsAVX2(src, table, under, underTable, n, out);
#endif
    if (!under)
        k += MapWholePixelsPortable(src + k, table, n - k, out + k);
    for (; k < n; ++k) {
        const uint32_t p = table[src[k]];
        out[k] = p >> 24 || !under ? p : (*underTable)[under[k]];
    }
}

// The part of one row a frame's content covers, and where its indices are read.
struct TRowSource {
    const uint8_t* Indices = nullptr; // the row's index 0 of the canvas; null outside the content
    size_t Begin = 0, End = 0;         // columns of the content
    bool Covers(size_t from, size_t to) const { return Indices && from >= Begin && to <= End; }
};

void MapPixels(const uint8_t* src, const TPixelTable& table, size_t n, uint8_t* rgb, uint8_t* alpha)
{
#if VANTREL_RENDER_AVX2
    if (HasAVX2()) {
        const size_t done = MapPixelsAVX2(src, table, n, rgb, alpha);
        src += done, rgb += 3 * done, alpha += done, n -= done;
    }
#endif
    WritePixels([src, &table](size_t k) { return table[src[k]]; }, n, rgb, alpha);
}

} // namespace

// Both answer null for an empty canvas, even when caches of an earlier canvas size remain.
const TColour24* TSHP::GetFrameRGB(int i)
{
    RenderFrame(i);
    return Width > 0 && Height > 0 ? Frames[size_t(i)].RGBCache.get() : nullptr;
}

const uint8_t* TSHP::GetFrameAlpha(int i)
{
    RenderFrame(i);
    return Width > 0 && Height > 0 ? Frames[size_t(i)].AlphaCache.get() : nullptr;
}

void TSHP::RenderFrame(int i)
{
    TSHPFrame& f = GetFrame(i);
    if (!f.Dirty && f.RGBCache)
        return;
    if (Width <= 0 || Height <= 0)
        return;

    // The table comes first: when its palette cannot be had (a missing iso palette) the frame
    // keeps its state and the next render tries again.
    const TPixelTable table = FramePixelTable(i);

    const size_t width = size_t(Width), height = size_t(Height);
    const size_t pixels = width * height;
    const bool fresh = !f.RGBCache || !f.AlphaCache;
    if (!f.RGBCache)
        f.RGBCache = std::make_unique_for_overwrite<TColour24[]>(pixels);
    if (!f.AlphaCache)
        f.AlphaCache = std::make_unique_for_overwrite<uint8_t[]>(pixels);
    f.Dirty = false;
    uint8_t* rgb = reinterpret_cast<uint8_t*>(f.RGBCache.get());
    uint8_t* alpha = f.AlphaCache.get();
    // The rectangle lies inside the canvas; clipping keeps a damaged one from reaching outside.
    const size_t x0 = std::min<size_t>(f.X, width), y0 = std::min<size_t>(f.Y, height);
    const size_t cx = std::min<size_t>(f.CX, width - x0), cy = std::min<size_t>(f.CY, height - y0);
    // Outside the rectangle every pixel is transparent; the caches often hold that already.
    const TCacheArea& last = f.CacheArea;
    const bool outsideDone = !fresh && last.Known &&
                             (last.CX == 0 || last.CY == 0 ||
                              (last.X >= x0 && last.X + last.CX <= x0 + cx && last.Y >= y0 && last.Y + last.CY <= y0 + cy));
    const uint32_t transparent = Packed(TransparentColour, 0);
    for (size_t r = 0; r < height; ++r) {
        const size_t start = r * width;
        if (r < y0 || r >= y0 + cy || cx == 0) {
            if (!outsideDone)
                FillPixels(transparent, width, rgb + 3 * start, alpha + start);
            continue;
        }
        const size_t in = start + x0, after = in + cx;
        if (!outsideDone) {
            FillPixels(transparent, x0, rgb + 3 * start, alpha + start);
            FillPixels(transparent, width - x0 - cx, rgb + 3 * after, alpha + after);
        }
        if (f.Data)
            MapPixels(f.Data.get() + in, table, cx, rgb + 3 * in, alpha + in);
        else // a frame without pixels (loaded headers only) counts as all index 0
            FillPixels(table[0], cx, rgb + 3 * in, alpha + in);
    }
    f.CacheArea = {true, uint16_t(x0), uint16_t(y0), uint16_t(cx), uint16_t(cy)};
}

TPixelTable TSHP::FramePixelTable(int i)
{
    TPalette pal;
    GetFramePalette(i, pal);
    const bool shadowFrame = HasShadowFrames() && i > 0 && i >= FrameCount() / 2;
    uint8_t shadowIndex = 0;
    if (TransparentShadows && IsValidGame(Game) &&
        (Game == TSHPGame::TD || Game == TSHPGame::RA1 || shadowFrame))
        shadowIndex = ShadowIndices[uint8_t(Game)];
    return MakePixelTable(pal, shadowFrame, TransparentShadows, shadowIndex);
}

void TSHP::DrawFramePixels(int i, int under, const TFrameRect& area, uint32_t* out, size_t stride)
{
    const TSHPFrame& top = GetFrame(i);
    const TSHPFrame* below = under >= 0 ? &GetFrame(under) : nullptr;
    const auto clip = [](int from, int length, int limit) {
        const int64_t begin = std::clamp<int64_t>(from, 0, std::max(limit, 0));
        const int64_t end = std::clamp<int64_t>(int64_t(from) + std::max(length, 0), begin, std::max(limit, 0));
        return std::pair<size_t, size_t>(size_t(begin), size_t(end));
    };
    const auto [left, right] = clip(area.X, area.CX, Width);
    const auto [firstRow, endRow] = clip(area.Y, area.CY, Height);
    if (left == right || firstRow == endRow)
        return;

    const uint32_t transparent = Packed(TransparentColour, 0);
    const TPixelTable topTable = FramePixelTable(i);
    const TPixelTable underTable = below ? FramePixelTable(under) : TPixelTable{};
    // Where only the top frame has content, its transparent pixels show the canvas's.
    TPixelTable topAlone = topTable;
    if (below)
        for (uint32_t& p : topAlone)
            p = p >> 24 ? p : transparent;

    const size_t width = size_t(Width);
    const std::vector<uint8_t> zeros(!top.Data || (below && !below->Data) ? width : 0, 0);
    const auto rowOf = [&](const TSHPFrame& f, size_t y) {
        const size_t x0 = std::min<size_t>(f.X, width), y0 = f.Y;
        const size_t cx = std::min<size_t>(f.CX, width - x0);
        TRowSource row;
        if (cx > 0 && y >= y0 && y < y0 + f.CY) // frames without pixels count as all index 0
            row = {f.Data ? f.Data.get() + y * width : zeros.data(), x0, x0 + cx};
        return row;
    };
    for (size_t y = firstRow; y < endRow; ++y) {
        uint32_t* line = out + (y - firstRow) * stride;
        const TRowSource t = rowOf(top, y), b = below ? rowOf(*below, y) : TRowSource{};
        std::array<size_t, 6> cuts = {left, right, t.Begin, t.End, b.Begin, b.End};
        for (size_t& c : cuts)
            c = std::clamp(c, left, right);
        std::sort(cuts.begin(), cuts.end());
        for (size_t c = 0; c + 1 < cuts.size(); ++c) {
            const size_t from = cuts[c], to = cuts[c + 1], n = to - from;
            if (n == 0)
                continue;
            uint32_t* dst = line + (from - left);
            const bool inTop = t.Covers(from, to), inUnder = b.Covers(from, to);
            if (inTop && inUnder)
                MapWholePixels(t.Indices + from, topTable, b.Indices + from, &underTable, n, dst);
            else if (inTop)
                MapWholePixels(t.Indices + from, topAlone, nullptr, nullptr, n, dst);
            else if (inUnder)
                MapWholePixels(b.Indices + from, underTable, nullptr, nullptr, n, dst);
            else
                std::fill_n(dst, n, transparent);
        }
    }
}

void TSHP::ResetFrameCache(int i)
{
    TSHPFrame& f = GetFrame(i);
    const size_t width = size_t(std::max(Width, 0));
    const size_t pixels = width * size_t(std::max(Height, 0));
    if (!f.RGBCache)
        f.RGBCache = std::make_unique_for_overwrite<TColour24[]>(pixels);
    if (!f.AlphaCache)
        f.AlphaCache = std::make_unique_for_overwrite<uint8_t[]>(pixels);
    std::memset(f.AlphaCache.get(), 0, pixels);
    f.Dirty = false;
    f.CacheArea = {true, 0, 0, 0, 0};
    if (pixels == 0)
        return;
    TColour24* rows = f.RGBCache.get();
    std::fill_n(rows, width, TransparentColour);
    for (size_t offset = width; offset < pixels; offset += width)
        std::memcpy(rows + offset, rows, width * sizeof(TColour24));
}

void TSHP::GetFramePalette(int i, TPalette& dest)
{
    if (IsIsoBuilding(SHPType) && i == 3 && IsValidGame(Game)) {
        GetIsoPalette(dest);
        return;
    }
    TFramePaletteMemo& memo = FramePaletteMemo;
    if (!memo.Valid || memo.Palette != Palette || memo.Game != Game || memo.UseSideColour != UseSideColour ||
        memo.SideColour != SideColour || memo.Luminosity != Luminosity) {
        memo = {true, Palette, Game, UseSideColour, SideColour, Luminosity, Palette};
        memo.Result[0] = TransparentColour;
        if (UseSideColour)
            WriteRemapRamp(Game, SideColour, memo.Result);
        if (Luminosity != 0)
            ShiftLuminosity(Luminosity, memo.Result);
    }
    dest = memo.Result;
}

void TSHP::SetUseSideColour(bool on)
{
    if (on == UseSideColour)
        return;
    UseSideColour = on;
    InvalidateFrames();
}

void TSHP::SetSideColour(uint32_t value)
{
    SideColour = ColourFromValue(value);
    if (UseSideColour)
        InvalidateFrames();
}

void TSHP::SetTransparentShadows(bool on)
{
    if (on == TransparentShadows)
        return;
    TransparentShadows = on;
    InvalidateFrames();
}

void TSHP::SetLuminosity(int16_t value)
{
    if (value == Luminosity)
        return;
    Luminosity = value;
    InvalidateFrames();
}

uint8_t TSHP::GetPixelIndex(int i, int x, int y) const
{
    if (i < 0 || i >= FrameCount() || x < 0 || y < 0 || x >= Width || y >= Height)
        return 0;
    const TSHPFrame& f = Frames[size_t(i)];
    return f.Data ? f.Data[size_t(y) * size_t(Width) + size_t(x)] : 0;
}

void TSHP::MarkUsedColours(int i, std::array<uint8_t, 256>& flags) const
{
    if (i < 0 || i >= FrameCount() || !Frames[size_t(i)].Data || Width <= 0 || Height <= 0)
        return;
    const uint8_t* p = Frames[size_t(i)].Data.get();
    const size_t n = size_t(Width) * size_t(Height);
    for (size_t k = 0; k < n; ++k)
        flags[p[k]] = 1;
}

std::array<uint8_t, 256> TSHP::GetUsedColours(int i) const
{
    std::array<uint8_t, 256> flags{};
    if (i >= 0) {
        MarkUsedColours(i, flags);
        return flags;
    }
    for (int k = 0; k < FrameCount(); ++k)
        MarkUsedColours(k, flags);
    return flags;
}

} // namespace vantrel
