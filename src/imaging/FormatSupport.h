// What the picture formats share: reading a picture into palette indices, cutting it into frames,
// and writing indexed PNG files.
#pragma once

#include "ImageFormats.h"

#include "sprite/Bmp8.h"
#include "sprite/SpriteSheet.h"

#include <QImage>

namespace vantrel {

// The formats of the list, one source file each.
const TImageFormat& BmpMapFormat();
const TImageFormat& PngSheetFormat();
const TImageFormat& PngFramesFormat();
const TImageFormat& PictureFormat();

// A picture as palette indices for the palette Palette (in Bitmap.ColourTable too).
struct TIndexedPicture {
    TBitmap8 Bitmap;
    TPalette Palette{};
    bool PaletteFromPicture = false;
    TMatchStats Matching;
};

// Reads the picture at path and resolves its indices as ImageFormats.h describes.
TIndexedPicture ReadIndexedPicture(const std::string& path, const TFrameReadOptions& options);
// The same for the bytes of a picture file (path names it in messages and gives its extension).
TIndexedPicture ReadIndexedPicture(std::span<const uint8_t> file, const std::string& path,
                                   const TFrameReadOptions& options);
// Resolves the indices of an 8-bit picture (tableAlpha: its colour table's fourth bytes are
// opacities, as in a PNG; a BMP's are not).
TIndexedPicture ResolveIndexed(TBitmap8 bitmap, bool tableAlpha, const TFrameReadOptions& options);
// The frames of a picture: cut by options' frame size, else by the name's suffix, else whole
// (wholeFrame: always whole).
TFramesRead CutIntoFrames(TIndexedPicture picture, const std::string& path, const TFrameReadOptions& options,
                          bool wholeFrame = false);

// Throws FormatError for a sprite that has no frames or an empty canvas.
void CheckExportable(const TSHP& sprite);
// The indexed PNG file of an 8-bit picture: colour type 3, bit depth 8, the 256 colours as PLTE
// and index 0 transparent (tRNS); path names it in messages.
std::vector<uint8_t> IndexedPNG(const TBitmap8& bitmap, const std::string& path);

[[noreturn]] void ThrowCannotWrite(const TImageFormat& format);

} // namespace vantrel
