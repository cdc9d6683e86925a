#include "ColourSpace.h"
#include "SHP.h"

#include <algorithm>
#include <cstring>

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

// The colour and opacity each index is drawn with in one frame, so that the pixel loop is a
// pair of table lookups.
struct TPixelTables {
    std::array<TColour24, 256> Colour;
    std::array<uint8_t, 256> Alpha;
};

TPixelTables MakePixelTables(const TPalette& pal, bool shadowFrame, bool transparentShadows, uint8_t shadowIndex)
{
    TPixelTables t;
    t.Colour = pal;
    t.Alpha.fill(OpaqueAlpha);
    if (shadowFrame && transparentShadows) {
        t.Colour.fill(ShadowColour);
        t.Alpha.fill(ShadowAlpha);
    } else if (shadowIndex != 0) {
        t.Colour[shadowIndex] = ShadowColour;
        t.Alpha[shadowIndex] = ShadowAlpha;
    }
    t.Colour[0] = pal[0];
    t.Alpha[0] = 0;
    return t;
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

    // The palette comes first: when it cannot be had (a missing iso palette) the frame keeps
    // its state and the next render tries again.
    TPalette pal;
    GetFramePalette(i, pal);

    const bool shadowFrame = HasShadowFrames() && i > 0 && i >= FrameCount() / 2;
    uint8_t shadowIndex = 0;
    if (TransparentShadows && IsValidGame(Game) &&
        (Game == TSHPGame::TD || Game == TSHPGame::RA1 || shadowFrame))
        shadowIndex = ShadowIndices[uint8_t(Game)];
    const TPixelTables tables = MakePixelTables(pal, shadowFrame, TransparentShadows, shadowIndex);

    ResetFrameCache(i);

    // The rectangle lies inside the canvas; clipping keeps a damaged one from reaching outside.
    const int x0 = std::min<int>(f.X, Width), y0 = std::min<int>(f.Y, Height);
    const int cx = std::min<int>(f.CX, Width - x0), cy = std::min<int>(f.CY, Height - y0);
    for (int r = 0; r < cy; ++r) {
        const size_t start = size_t(y0 + r) * size_t(Width) + size_t(x0);
        TColour24* rgb = f.RGBCache.get() + start;
        uint8_t* alpha = f.AlphaCache.get() + start;
        if (!f.Data) {
            // A frame without pixels (loaded headers only) counts as all index 0.
            std::fill_n(rgb, cx, tables.Colour[0]);
            continue;
        }
        const uint8_t* src = f.Data.get() + start;
        for (int c = 0; c < cx; ++c) {
            rgb[c] = tables.Colour[src[c]];
            alpha[c] = tables.Alpha[src[c]];
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
    dest = Palette;
    dest[0] = TransparentColour;
    if (UseSideColour)
        WriteRemapRamp(Game, SideColour, dest);
    if (Luminosity != 0)
        ShiftLuminosity(Luminosity, dest);
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
