// Matching true colours to a palette, for pictures drawn outside the game's palette: a colour the
// palette holds becomes its index; any other the index of the nearest colour by the CIE 1976
// colour difference (Delta E of CIELAB, sRGB with a D65 white), chosen among the entries a
// sprite may use freely.
#pragma once

#include "Types.h"

#include <cstdint>
#include <unordered_map>

namespace vantrel {

// Pixels at or above this opacity are matched; more transparent ones become index 0.
inline constexpr uint8_t MatchAlphaThreshold = 128;

// The entries a game redraws in shades of the side colour (TD 176-191, RA1 80-95, TS and RA2
// 16-31); First > Last for a game value that names no game.
struct TIndexRange {
    int First = 1;
    int Last = 0;
    bool Holds(int index) const { return index >= First && index <= Last; }
};
TIndexRange RemapEntries(TSHPGame game);

// How closely a picture was matched: the pixels that got an index of another colour, and the
// largest colour difference among them (0 when every pixel matched exactly).
struct TMatchStats {
    uint64_t InexactPixels = 0;
    double MaxDistance = 0;
    void Add(const TMatchStats& other);
};

// The CIE 1976 colour difference of two colours.
double ColourDistance(TColour24 a, TColour24 b);

class TColourMatcher {
public:
    // The palette's entries 1 to 255 match exactly; inexact matches avoid index 0, the game's
    // remap entries and its shadow index (ShadowIndices).
    TColourMatcher(const TPalette& palette, TSHPGame game);

    // The index for one pixel: 0 when alpha is below MatchAlphaThreshold, else the lowest index
    // of exactly this colour, else the nearest allowed entry; counted in Stats.
    uint8_t Match(TColour24 colour, uint8_t alpha, uint64_t pixels = 1);
    // The index and the colour difference (0: exact) for a colour, without counting.
    uint8_t Nearest(TColour24 colour, double& distance);

    TMatchStats Stats;

private:
    struct TFound {
        uint8_t Index;
        double Distance;
    };
    std::array<std::array<double, 3>, 256> Lab{}; // CIELAB of each entry
    std::array<bool, 256> Allowed{};
    std::unordered_map<uint32_t, uint8_t> Exact;    // colour (0xRRGGBB) -> lowest entry 1-255
    std::unordered_map<uint32_t, TFound> Inexact;   // colours looked up so far
};

} // namespace vantrel
