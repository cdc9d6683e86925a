#include "SHP.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vantrel {

namespace {

// Sprites are loaded, drawn and dropped whole: thousands of canvases and caches of one size are
// freed and soon allocated again. By default the C library gives freed memory at the top of its
// heap back to the system, and the next sprite faults every page in afresh, which costs far more
// than decoding (loading the shared corpus of 70 MB of canvases over and over ran 35 times
// slower). Keep up to 256 MiB of freed memory, and take blocks up to 32 MiB from the heap
// rather than from fresh mappings.
void KeepFreedMemoryForCanvases()
{
#if defined(__GLIBC__)
    static const bool done = [] {
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        return true;
    }();
    (void)done;
#endif
}

// The palette of a new sprite after entry 0: 255 greys from black to white.
const TPalette& GreyRamp()
{
    static const TPalette palette = [] {
        TPalette p{};
        for (int i = 0; i <= 254; ++i) {
            const uint8_t g = uint8_t(i * 255 / 254);
            p[size_t(i) + 1] = MakeColour(g, g, g);
        }
        return p;
    }();
    return palette;
}

} // namespace

TSHP::TSHP()
{
    KeepFreedMemoryForCanvases();
    Palette = GreyRamp();
    Palette[0] = TransparentColour;
}

TSHP::~TSHP() { Clear(); }

void TSHP::Clear()
{
    Frames.clear();
    Frames.shrink_to_fit();
    IsoPalette.reset();
    FreeRawHeaders();
}

void TSHP::FreeRawHeaders()
{
    RawFileHeader.clear();
    RawFileHeader.shrink_to_fit();
    RawFrameHeaders.clear();
    RawFrameHeaders.shrink_to_fit();
}

TSHPFrame& TSHP::GetFrame(int i)
{
    if (i < 0 || i >= FrameCount())
        throw std::out_of_range("Frame index " + std::to_string(i) + " out of range");
    return Frames[size_t(i)];
}

const TSHPFrame& TSHP::GetFrame(int i) const { return const_cast<TSHP*>(this)->GetFrame(i); }

uint32_t TSHP::GetRadarColour(int i) const { return ColourToSystem(GetFrame(i).RadarColour); }

void TSHP::SetRadarColour(int i, uint32_t value)
{
    TSHPFrame& f = GetFrame(i);
    f.RadarColour = ColourFromSystem(value);
    f.RadarColourExtra = 0;
}

bool TSHP::FrameUsesColour(uint8_t index, int i) const
{
    if (i < 0 || i >= FrameCount())
        return false;
    const TSHPFrame& f = Frames[size_t(i)];
    if (!f.Data)
        return false;
    for (int r = 0; r < f.CY; ++r) {
        const uint8_t* row = f.Data.get() + size_t(f.Y + r) * size_t(Width) + f.X;
        if (std::memchr(row, index, f.CX))
            return true;
    }
    return false;
}

void TSHP::FreeFrameCache(int i)
{
    if (i < 0 || i >= FrameCount())
        return;
    Frames[size_t(i)].RGBCache.reset();
    Frames[size_t(i)].AlphaCache.reset();
    Frames[size_t(i)].CacheArea = {};
}

void TSHP::AddFrames(int amount, int width, int height)
{
    if (amount <= 0)
        throw AssertionError(MsgAddFramesAmount);
    if (width < 0 || height < 0)
        throw SHPError("A frame size of " + std::to_string(width) + " x " + std::to_string(height) + " is not possible");
    // Every frame owns a buffer of the canvas size, so frames of another size cannot join.
    if (!Frames.empty() && (width != Width || height != Height))
        throw SHPError("Frames of " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels cannot be added to a sprite of " + std::to_string(Width) + " x " +
                       std::to_string(Height) + " pixels");
    if (Format == TSHPFormat::None)
        Format = TSHPFormat::TS;
    Width = width;
    Height = height;
    const size_t bytes = size_t(width) * size_t(height);
    const size_t first = Frames.size();
    Frames.resize(first + size_t(amount));
    for (size_t k = first; k < Frames.size(); ++k) {
        TSHPFrame& f = Frames[k];
        f.Dirty = true;
        f.Data = std::make_unique<uint8_t[]>(bytes);
        f.X = 0;
        f.Y = 0;
        f.CX = uint16_t(width);
        f.CY = uint16_t(height);
    }
}

TFrameRect NonZeroBounds(const uint8_t* data, int width, int height)
{
    int minX = width, maxX = -1, minY = -1, maxY = -1;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = data + size_t(y) * size_t(width);
        int first = 0;
        while (first < width && row[first] == 0)
            ++first;
        if (first == width)
            continue;
        int last = width - 1;
        while (row[last] == 0)
            --last;
        if (minY < 0)
            minY = y;
        maxY = y;
        minX = std::min(minX, first);
        maxX = std::max(maxX, last);
    }
    if (minY < 0)
        return {};
    return {minX, minY, maxX - minX + 1, maxY - minY + 1};
}

void TSHP::UpdateFrameBounds(int i)
{
    TSHPFrame& f = GetFrame(i);
    if (!f.Data)
        return;
    const TFrameRect r = NonZeroBounds(f.Data.get(), Width, Height);
    f.X = uint16_t(r.X);
    f.Y = uint16_t(r.Y);
    f.CX = uint16_t(r.CX);
    f.CY = uint16_t(r.CY);
}

void TSHP::SetSHPType(TSHPType t)
{
    if (t == SHPType)
        return;
    if (IsIsoBuilding(SHPType))
        IsoPalette.reset();
    SHPType = t;
}

void TSHP::InvalidateFrames()
{
    for (TSHPFrame& f : Frames)
        f.Dirty = true;
}

void TSHP::SetPalette(const TPalette& buffer)
{
    Palette = buffer;
    InvalidateFrames();
}

bool TSHP::HasShadowFrames() const
{
    if (Game != TSHPGame::TS && Game != TSHPGame::RA2)
        return false;
    return SHPType == TSHPType::Building || IsIsoBuilding(SHPType) || SHPType == TSHPType::Unit;
}

void TSHP::DetectSHPType(int count)
{
    const bool tsOrRa2 = Game == TSHPGame::TS || Game == TSHPGame::RA2;
    if ((count == 1 || count == 2) && Height == 48) {
        if (Width == 60 && tsOrRa2) {
            SHPType = TSHPType::Cameo;
            Game = TSHPGame::RA2;
            return;
        }
        if (Width == 64 && Game != TSHPGame::RA1) {
            SHPType = TSHPType::Cameo;
            return;
        }
    }
    if (Width % 24 == 0 && Height % 24 == 0) {
        if (Game == TSHPGame::TS) {
            if ((count >= 2 && count <= 6) || count % 2 == 0) {
                SHPType = TSHPType::Building;
                return;
            }
        } else if (Game == TSHPGame::TD || Game == TSHPGame::RA1) {
            SHPType = TSHPType::Building;
            return;
        }
    }
    if (tsOrRa2 && (count == 6 || count == 8)) {
        Game = TSHPGame::RA2;
        SHPType = TSHPType::Building;
        return;
    }
    if ((count >= 4 && count <= 99) || count % 2 != 0)
        SHPType = TSHPType::Animation;
    if (count % 8 == 0 && count > 60)
        SHPType = TSHPType::Unit;
}

void TSHP::RefineSHPType()
{
    if (SHPType == TSHPType::Unit && Game == TSHPGame::TS && FrameUsesColour(12, 0))
        Game = TSHPGame::RA2;
    if (SHPType == TSHPType::Animation && FrameUsesColour(1, FrameCount() / 2))
        SHPType = TSHPType::Building;
    if (Game == TSHPGame::RA2 && SHPType == TSHPType::Building && FrameCount() == 8)
        SHPType = TSHPType::BuildingIsoSnow;
}

void TSHP::CheckCanvasBudget(uint64_t frames, uint64_t fileSize) const
{
    const uint64_t canvas = uint64_t(Width) * uint64_t(Height);
    const uint64_t limit = std::max(CanvasBudgetFloor, fileSize * MaxCanvasBytesPerFileByte);
    if (frames == 0 || canvas == 0 || canvas <= limit / frames)
        return;
    const long double total = (long double)canvas * (long double)frames;
    char text[64];
    std::snprintf(text, sizeof text, "%.0Lf", total);
    throw SHPError("The file asks for " + std::to_string(frames) + " frames of " + std::to_string(Width) + " x " +
                   std::to_string(Height) + " pixels (" + text + " bytes) in " + std::to_string(fileSize) +
                   " bytes of file; it is not loaded");
}

} // namespace vantrel
