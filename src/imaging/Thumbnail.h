// Pictures of the open dialog: the thumbnail of an SHP file (its first frame over its shadow)
// and the composition of a picture over the light checkerboard, fitted into a cell.
#pragma once

#include "sprite/SHP.h"

#include <QImage>
#include <QRect>
#include <string>

namespace vantrel {

// Loads the first frame (and its shadow frame) of the file into the reused sprite, which gets
// OneFrameLoad set, draws shadows translucent, picks the default palette unless the file brought
// its own, and returns frame 0 over its shadow. A null image when the sprite has no canvas. A
// canvas of more than 4096 x 4096 pixels is first sampled down to fit that, every n-th pixel of
// every n-th row, so that a huge canvas takes no more memory than that.
// Throws FileError, SHPError and render errors; the sprite stays reusable afterwards.
QImage RenderThumbnail(TSHP& thumbnailSHP, const std::string& path);

// Where an image is drawn inside bounds when it is scaled up or down to fill them with its
// proportions kept, centred. Empty for an empty image.
QRect ScaleToFit(const QRect& bounds, QSize image);

// A box-sized picture: the checkerboard tiled from its top-left corner with the picture blended
// over it by its alpha. Thumbnails are fitted with FitRect (never enlarged) and shrunk smoothly;
// the preview is scaled to fill the box with nearest-neighbour pixels. A null picture gives the
// checkerboard alone.
QImage ComposeThumbnail(const QImage& picture, QSize box);
QImage ComposePreview(const QImage& picture, QSize box);
// The thumbnail a file manager shows: picture fitted into size x size as the open dialog fits it
// (FitRect, shrunk smoothly, never enlarged), centred on a transparent size x size picture.
QImage ComposeFileThumbnail(const QImage& picture, int size);

} // namespace vantrel
