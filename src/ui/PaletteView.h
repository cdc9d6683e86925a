// The pictures of the palette view: the 16 x 16 grid of 12 x 12 cells laid out by columns
// (index i at column i / 16, row i % 16), the overlay that masks unused or used colours with the
// dark checker cell and marks the two selected indices, and the texts and colours around it.
#pragma once

#include "sprite/Types.h"

#include <QImage>
#include <QString>

#include <array>

namespace vantrel {

inline constexpr int PaletteCellSize = 12;
inline constexpr int PaletteGridSize = 16 * PaletteCellSize;

// Top-left corner of the cell of index in the grid.
constexpr int PaletteCellX(int index) { return (index / 16) * PaletteCellSize; }
constexpr int PaletteCellY(int index) { return (index % 16) * PaletteCellSize; }
// The index whose cell holds the point (x, y) of the grid.
constexpr int PaletteIndexAt(int x, int y) { return (x / PaletteCellSize) * 16 + y / PaletteCellSize; }

// The 192 x 192 grid of the palette.
QImage PaletteGridImage(const TPalette& palette);

// A transparent 192 x 192 picture for drawing over the grid.
QImage EmptyPaletteOverlay();
// Covers with the dark checker cell every cell whose flag differs from keep.
void DrawUsageMask(QImage& overlay, const std::array<uint8_t, 256>& flags, uint8_t keep);
// The colour that marks a selected index, made from the sum of the entry's channels.
TColour24 MarkerColour(TColour24 entry);
// The left selection is a plus sign across the cell, the right one a double square outline.
void DrawIndexMarker(QImage& overlay, int index, bool isLeft, const TPalette& palette);

// "Index: 32 (0x20)" and "RGB: (10,20,30)" on two lines: the hint of a colour panel.
QString ColourInfoText(int index, const TPalette& palette);

} // namespace vantrel
