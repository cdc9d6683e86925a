// Test sprites: a 64 x 64 TS unit whose first half of frames shows all 256 palette indices as
// 4 x 4 squares (index 16 x column + row, the column-major order of the palette view) and whose
// second half, the shadow frames, is empty.
#pragma once

#include "SHP.h"

#include <memory>

namespace vantrel {

inline constexpr int TestSpriteSize = 64;
inline constexpr int TestSpriteFrames = 344;
inline constexpr int HighFrameTestFrames = 65534;

// Index of the test pattern at column x, row y.
constexpr uint8_t TestPatternIndex(int x, int y) { return uint8_t((x / 4) * 16 + y / 4); }

// A new sprite of frameCount frames (at least 1), Game TS, type Unit, FileName "unknown.shp",
// not saved and bound to no file.
std::unique_ptr<TSHP> MakeTestSprite(int frameCount);

} // namespace vantrel
