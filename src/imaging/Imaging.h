// Frames as Qt images: the 24-bit image of a frame, the image with alpha that every window shows
// (alpha 0 transparent, 127 translucent shadow, 255 opaque), the frame over its shadow frame,
// fitting pictures into cells, the two checker patterns, blending and tiling, picture files and
// the conversion of 8-bit indexed pictures.
#pragma once

#include "sprite/Bmp8.h"
#include "sprite/SHP.h"

#include <QImage>
#include <QRect>

#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

// Width x Height Format_BGR888 image of frame i's render cache (rendering it when stale); its rows
// hold the cache's blue, green, red triples unchanged. A null image for an empty canvas.
QImage FrameToBitmap(TSHP& sprite, int i);
// Copies frame i's palette indices (Width bytes a row, Height rows) into an Indexed8 image at
// (left, top), clipped to the image. Does nothing when the frame has no pixels or the image is
// not Indexed8.
void CopyFrameIndices(const TSHP& sprite, int i, QImage& indexed8, int left, int top);
// Frame i as a non-premultiplied ARGB32 image: the render cache's colours with the render alpha.
// png is left as it was for an empty canvas or a sprite without frames.
void RenderFramePNG(TSHP& sprite, int i, QImage& png);
// Frame i's render alpha into png's alpha channel (png becomes ARGB32; clipped to both sizes).
void CopyAlphaToPNG(QImage& png, TSHP& sprite, int i);
// Copies every pixel of source whose alpha is not 0, colour and alpha, onto target (which becomes
// ARGB32); only the area both images cover.
void OverlayOpaquePixels(const QImage& source, QImage& target);
// The display image of frame i (ARGB32, not premultiplied), laid over its shadow frame when
// mergeShadow is set, the sprite has shadow frames and i lies in the first half; a null image
// for an empty canvas or a sprite without frames. Made straight from the frames' indices: the
// render caches are neither made nor read.
QImage FrameToPNG(TSHP& sprite, int i, bool mergeShadow);
// The part area (clipped to the canvas) of that image, made without the rest; null when nothing
// of it lies inside the canvas.
QImage FrameToPNG(TSHP& sprite, int i, bool mergeShadow, const QRect& area);

// Where an image of the given size is drawn inside bounds: its own size when smaller than bounds,
// otherwise scaled so that its longer side fills the bounds; centred.
QRect FitRect(const QRect& bounds, QSize image);

// The 12 x 12 dark checker cell (greys 25 and 62) that masks palette cells.
const QImage& GetCheckerCell();
// The 16 x 16 light checker tile (greys 200 and 250) behind the sprite views.
QImage MakeCheckerTile();
// An RGB32 image of the given size tiled with MakeCheckerTile from its top-left corner (a null
// image for a size below 1 x 1).
QImage MakeCheckerBackground(int width, int height);

// Blends an image with alpha (not premultiplied) over a background placed at `at`, per channel:
// (a * image + (255 - a) * background + 255) / 256. A background that is not RGB32 or ARGB32 is
// converted to RGB32 first; its alpha is kept.
void BlendOver(QImage& background, const QImage& image, QPoint at = {});
// Covers bitmap with copies of picture, drawn with the picture's transparency, laid from the
// top-left corner of a larger picture of which bitmap is the part at origin (non-negative). A
// picture of width or height 0 leaves bitmap as it is. A bitmap Qt cannot paint on is converted to
// RGB32 first.
void TileBackground(QImage& bitmap, const QImage& picture, QPoint origin = {});

// Reads a picture file of any format Qt reads (PNG, BMP, ...). Throws FileError naming the file
// and the reason when it cannot be read.
QImage LoadPicture(const std::string& path);
// The same for the bytes of a picture file already read (path names it in messages).
QImage LoadPicture(std::span<const uint8_t> file, const std::string& path);
// While a picture is decoded, the process's stderr goes to a temporary file (the decoders' own
// libraries print their complaints there). Pictures decoded on several threads take turns by
// this lock, and a thread that writes to stderr while others may decode holds it meanwhile, so
// that its text is not taken for a decoder's.
std::mutex& StderrLock();

// The size a picture file's header gives, without decoding it; an invalid size when the header
// does not tell (or the file is no picture).
QSize PictureFileSize(std::span<const uint8_t> file, const std::string& path);
// Writes image as a PNG file (with alpha when the image has an alpha channel) through a
// temporary file that replaces path only once complete. Throws FileError naming the file and the
// reason.
void SavePNG(const QImage& image, const std::string& path);
// The bytes of that PNG file (path only names it in messages).
std::vector<uint8_t> EncodePNG(const QImage& image, const std::string& path);

// Writes a PNG file row by row through a temporary file (see TAtomicFile), so that a picture
// never has to be whole in memory. Rows are width values 0xAARRGGBB, alpha not premultiplied
// (ignored in a picture without alpha). Finish replaces the target; without it the target stays
// as it was. Throws FileError naming the file and the reason.
class TPNGWriter {
public:
    TPNGWriter(const std::string& path, int width, int height, bool alpha);
    ~TPNGWriter();
    TPNGWriter(const TPNGWriter&) = delete;
    TPNGWriter& operator=(const TPNGWriter&) = delete;
    void WriteRow(const QRgb* row);
    void Finish();

    struct TState;

private:
    std::unique_ptr<TState> State;
};

// An Indexed8 image of an 8-bit picture; its colour table is the picture's with every entry
// opaque. A null image for a picture of another depth or without pixels.
QImage Bitmap8ToImage(const TBitmap8& bitmap);
// The 8-bit picture of an Indexed8 image (its colour table as 0xAARRGGBB values) or of a
// Grayscale8 image (a grey colour table). Other images give their depth in BitsPerPixel and no
// pixels; a null image gives a 0 x 0 picture of depth 0.
TBitmap8 ImageToBitmap8(const QImage& image);
// Reads a sprite map: a BMP file through the strict BMP reader alone (a damaged one is refused
// with its reason), any other picture through Qt (an indexed PNG serves as well). A picture of
// another depth comes back with its size and depth but no pixels. Throws FileError when the file
// cannot be read and BmpError naming it when it holds no readable picture. Qt's warnings about a
// damaged picture go into the reason instead of stderr.
TBitmap8 LoadSpriteMap(const std::string& path);
// The same for the bytes of a file; path names it in messages and gives its extension.
TBitmap8 DecodeSpriteMap(std::span<const uint8_t> file, const std::string& path);

} // namespace vantrel
