// The bundled default data set: palettes, background pictures, sample sprites and colour
// schemes, drawn in code so that a fresh build has something real to show. Everything is
// deterministic: the same bytes on every run.
#pragma once

#include "sprite/Types.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantrel::makedata {

// Writes the files of the data set below one root folder. A file is written only when its
// content differs from what is on disk, and nothing else in the folders is touched.
class TDataWriter {
public:
    explicit TDataWriter(std::string root) : Root(std::move(root)) {}
    // relative uses '/' between folders.
    void Write(const std::string& relative, std::span<const uint8_t> bytes);
    std::string FullPath(const std::string& relative) const;
    int FilesWritten() const { return Written; }
    int FilesUnchanged() const { return Unchanged; }

private:
    std::string Root;
    int Written = 0;
    int Unchanged = 0;
};

// A deterministic pseudo-random sequence (splitmix64), the same on every platform.
class TRandom {
public:
    explicit TRandom(uint64_t seed) : State(seed) {}
    uint64_t Next();
    // An integer in [0, n).
    int Below(int n) { return int(Next() % uint64_t(n)); }

private:
    uint64_t State;
};

// The palette file names every game folder holds, and the .pal bytes of one.
extern const std::vector<std::string> PaletteNames;
std::vector<uint8_t> MakePaletteFile(TSHPGame game, const std::string& name);
// The same palette in memory order (8 bits a channel).
TPalette MakePalette(TSHPGame game, const std::string& name);

// Layout of the palettes: sixteen ramps of sixteen entries each, bright to dark.
namespace ramp {
inline constexpr int DarkGrey = 0;   // 1..15 (1 is the shadow entry of TS/RA2 shadow frames)
inline constexpr int Teal = 16;      // the TS/RA2 remap range in those games
inline constexpr int Grey = 32;
inline constexpr int Skin = 48;
inline constexpr int Earth = 64;
inline constexpr int Purple = 80;    // the RA1 remap range in RA1
inline constexpr int Green = 96;
inline constexpr int Blue = 112;
inline constexpr int Red = 128;
inline constexpr int Metal = 144;
inline constexpr int Sand = 160;
inline constexpr int Olive = 176;    // the TD remap range in TD
inline constexpr int Foliage = 192;
inline constexpr int Orange = 208;
inline constexpr int Concrete = 224;
inline constexpr int Lights = 240;   // 240..254 bright lights, 255 white
} // namespace ramp

// First entry of the remap range of a game.
int RemapStart(TSHPGame game);

void MakePalettes(TDataWriter& out);
void MakeBackgrounds(TDataWriter& out);
void MakeSprites(TDataWriter& out);
void MakeSchemes(TDataWriter& out);

} // namespace vantrel::makedata
