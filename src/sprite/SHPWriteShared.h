// Pieces shared by the TS/RA2 and the TD/RA1 writers (SHPWriteTS.cpp, SHPWriteTD.cpp).
#pragma once

#include "SHP.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vantrel::writer {

inline constexpr int MaxFrames = 65535;
inline constexpr int MaxCanvasSide = 65535;
inline constexpr size_t PaletteTrailerSize = 778;

inline void Put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void Put24(uint8_t* p, uint32_t v)
{
    Put16(p, v);
    p[2] = uint8_t(v >> 16);
}

inline void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// Refuses (SHPError) a sprite whose frame count, canvas or frame rectangles the 16-bit fields of
// the SHP layouts cannot hold: no frames or more than 65535, a canvas side over 65535 or below
// minSide, a non-empty frame rectangle that does not lie inside the canvas.
void CheckStorable(const TSHP& sprite, const char* layoutName, int minSide);

// Where the TS/RA2 writer puts the file, piece by piece in file order.
class TByteSink {
public:
    virtual ~TByteSink() = default;
    virtual void Put(std::span<const uint8_t> bytes) = 0;
};

// What the TS/RA2 writer stores for each frame, decided before anything is written.
struct TTSFramePlan {
    bool Empty = true;
    bool Encoded = false;
    uint64_t Size = 0;
    uint16_t Flags = 0;
    TColour24 Radar;
};
// Refuses (SHPError) a sprite the TS/RA2 layout cannot hold, the file size included; otherwise
// the plan of every frame.
std::vector<TTSFramePlan> PlanTS(const TSHP& sprite);
// Writes the TS/RA2 file of a planned sprite frame by frame: its working memory is one frame's
// data. Offsets count from the sink's first byte.
void WriteTS(const TSHP& sprite, const std::vector<TTSFramePlan>& plans, TByteSink& sink);

// The file images of the two layouts, appended to out; offsets count from where they begin.
// Neither changes the sprite.
void AppendTS(const TSHP& sprite, std::vector<uint8_t>& out);
void AppendTD(const TSHP& sprite, std::vector<uint8_t>& out);
// The 778-byte palette trailer when sprite.SavePalette is set, else nothing.
void AppendPaletteTrailer(const TSHP& sprite, std::vector<uint8_t>& out);

} // namespace vantrel::writer
