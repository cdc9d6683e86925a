// Sprite maps: every frame of a sprite side by side in one 8-bit picture, cells of the frame
// size laid out left to right, then top to bottom, with the sprite's palette as colour table.
// The file name carries the frame size and count ("tank0064x0048-000032.bmp"), so that an
// exported map is cut correctly again on import.
#pragma once

#include "Bmp8.h"

#include <memory>
#include <string>
#include <string_view>

namespace vantrel {

class TSHP;

inline constexpr const char* MsgNot8Bit = "Error Image is not 8-Bit. Unable to Import!";

// Columns and rows of the export grid for a number of frames: the smallest of s x s,
// s x (s + 1) and (s + 1) x (s + 1) (columns x rows, s the integer square root) that holds them.
struct TSheetGrid {
    int Columns = 0;
    int Rows = 0;
};
TSheetGrid SheetGrid(int frameCount);

// The cell size and frame count a sprite map is cut into.
struct TSheetLayout {
    int FrameWidth = 0;
    int FrameHeight = 0;
    int FrameCount = 0;
    friend bool operator==(const TSheetLayout&, const TSheetLayout&) = default;
};

// The file-name suffix "WWWWxHHHH-NNNNNN.bmp" (20 characters with a 4-character extension; a
// number wider than its field is written in full, and the name is then not recognised on import).
// Other pictures of the same layout take their own extension (".png").
inline constexpr size_t SheetSuffixLength = 20;
std::string SheetSuffix(const TSheetLayout& layout, std::string_view extension = ".bmp");
// The path a sprite map is exported to: chosenPath with its extension replaced by the suffix.
std::string SheetExportPath(std::string_view chosenPath, const TSheetLayout& layout,
                            std::string_view extension = ".bmp");
// Reads frame size and count from the last 20 characters of fileName when they have the
// suffix's shape; a field that is not a number keeps its value in layout. False, with layout
// unchanged, when the name has no suffix.
bool ParseSheetName(std::string_view fileName, TSheetLayout& layout);
// The layout an import dialog starts with: the whole picture as one frame, then the name's suffix.
TSheetLayout InitialSheetLayout(const TBitmap8& bitmap, std::string_view fileName);

// Why a bitmap of the given size cannot be cut into layout ("" when it can): a frame width from 1
// to the bitmap's width, a frame height and count of at least 1, frames and counts a sprite can
// store, and the last cell inside the bitmap.
std::string SheetLayoutProblem(int bitmapWidth, int bitmapHeight, const TSheetLayout& layout);
bool SheetFits(int bitmapWidth, int bitmapHeight, const TSheetLayout& layout);
// Whether cell i of layout lies inside the bitmap (false for an unusable layout).
bool SheetCellInside(int bitmapWidth, int bitmapHeight, const TSheetLayout& layout, int cell);
// Cell i as a frame-sized picture with the bitmap's colour table; throws BmpError when the cell
// is not inside the bitmap.
TBitmap8 SheetCell(const TBitmap8& bitmap, const TSheetLayout& layout, int cell);

// Copies frame i's palette indices (Width bytes a row, Height rows) into bitmap at (left, top),
// clipped to the bitmap. Does nothing when the frame has no pixels.
void CopyFrameIndices(const TSHP& sprite, int i, TBitmap8& bitmap, int left, int top);

// The sprite map of a sprite: the colour table is the sprite's Palette with 255 in every fourth
// byte; frames are copied unchanged, cells of frames without pixels and after the last frame are
// index 0. Throws BmpError for a sprite without frames or canvas, or one whose map would be
// larger than MaxPicturePixels.
TBitmap8 ExportSpriteSheet(const TSHP& sprite);
// The path the sprite map of sprite is exported to for chosenPath.
std::string SheetExportPath(const TSHP& sprite, std::string_view chosenPath);
// Writes that map, row by row without holding it, to SheetExportPath(chosenPath) through a
// temporary file; returns the path written. Throws BmpError as ExportSpriteSheet and FileError.
std::string SaveSpriteSheet(const TSHP& sprite, const std::string& chosenPath);

// A new TS unit sprite cut from bitmap by layout, its palette set from the colour table and its
// FileName the bitmap's file name with ".shp". Throws BmpError with MsgNot8Bit for a picture of
// another depth and std::invalid_argument with SheetLayoutProblem's text for an unusable layout.
std::unique_ptr<TSHP> ImportSpriteSheet(const TBitmap8& bitmap, const TSheetLayout& layout,
                                        std::string_view bitmapPath);

} // namespace vantrel
