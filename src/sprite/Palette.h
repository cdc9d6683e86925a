// Palette files (768 bytes of 6-bit red, green, blue) and the tables that choose a sprite's
// default palette by game, theatre and type.
#pragma once

#include "Types.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vantrel {

// Reads up to 768 bytes of a .pal file into dest and converts every entry to memory order
// (each 6-bit value times 4, kept in 8 bits). Entries the file does not hold are black.
// Throws FileError when the file cannot be opened; dest is then unchanged.
void LoadPaletteFile(const std::string& path, TPalette& dest);
// The same conversion of the bytes of a .pal file already in memory (the first 768 count).
void PaletteFromFileBytes(std::span<const uint8_t> bytes, TPalette& dest);

// Entry i is grey i: the palette view's palette while no sprite is loaded.
const TPalette& GreyPalette();

// Default palette file names without extension ("" where a cell is empty).
extern const std::array<std::array<const char*, SHPTypeCount>, GameCount> TypePalettes;
extern const std::array<std::array<const char*, TheatreCount>, GameCount> TheatrePalettes;
inline constexpr const char* FallbackPaletteName = "unittem.pal";

// The file name (without extension) that LoadDefaultPalette looks for first.
std::string DefaultPaletteBaseName(TSHPGame game, TTheatre theatre, TSHPType type);
// The palette a sprite of game and type gets from the palette folder (its default palette, else
// the fallback), or nothing when the folder has none for the game.
std::optional<TPalette> DefaultPaletteOf(TSHPGame game, TSHPType type, const std::string& folder);
// A palette named as a path below the palette folder ("TS/unittem.pal", parts separated by "/"
// or the platform's separator, each matched regardless of case): the path of that file, or ""
// when there is none (and for absolute names and names that climb out with "..").
std::string FindPaletteBelow(const std::string& folder, const std::string& name);
// The iso palette name of an Iso building type ("isosno", "isotem", "isourb").
std::string IsoPaletteBaseName(TSHPType type);

} // namespace vantrel
