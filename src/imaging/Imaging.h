// Frames as Qt images: the 24-bit image of a frame, the image with alpha that every window shows
// (alpha 0 transparent, 127 translucent shadow, 255 opaque), the frame over its shadow frame,
// fitting pictures into cells, and the two checker patterns.
#pragma once

#include "sprite/SHP.h"

#include <QImage>
#include <QRect>

namespace vantrel {

// Width x Height RGB888 image of frame i's render cache (rendering it when stale); a null image
// for an empty canvas.
QImage FrameToBitmap(TSHP& sprite, int i);
// Copies frame i's palette indices (Width bytes a row, Height rows) into an Indexed8 image at
// (left, top). Does nothing when the frame has no pixels.
void CopyFrameIndices(const TSHP& sprite, int i, QImage& indexed8, int left, int top);
// Frame i as a non-premultiplied ARGB32 image with the render alpha; png is left as it was for an
// empty canvas. A sprite without frames gives an opaque image of nothing.
void RenderFramePNG(TSHP& sprite, int i, QImage& png);
void CopyAlphaToPNG(QImage& png, TSHP& sprite, int i);
// Copies every pixel of source whose alpha is not 0 onto target (same size).
void OverlayOpaquePixels(const QImage& source, QImage& target);
// The display image of frame i, laid over its shadow frame when mergeShadow is set and the sprite
// has shadow frames; a null image for an empty canvas.
QImage FrameToPNG(TSHP& sprite, int i, bool mergeShadow);

// Where an image of the given size is drawn inside bounds, proportions kept.
QRect FitRect(const QRect& bounds, QSize image);

// The 12 x 12 dark checker cell (greys 25 and 62) that masks palette cells.
const QImage& GetCheckerCell();
// The 16 x 16 light checker tile (greys 200 and 250) behind the sprite views.
QImage MakeCheckerTile();
// An image of the given size tiled with MakeCheckerTile from its top-left corner.
QImage MakeCheckerBackground(int width, int height);

// Blends an image with alpha over a background, per channel:
// (a * image + (255 - a) * background + 255) / 256.
void BlendOver(QImage& background, const QImage& image, QPoint at = {});

} // namespace vantrel
