// What the picture target does with one input: the two readers of pictures that the command-line
// tool and the window import sprites from. Unlike the targets of FuzzChecks.h it needs the imaging
// library and Qt, which decodes every picture that is not a BMP.
#pragma once

#include "FuzzChecks.h"

#include "imaging/FormatSupport.h"
#include "imaging/Imaging.h"

namespace vantrel::fuzz {

inline void RequireWholePicture(const TBitmap8& b)
{
    Require(b.Width > 0 && b.Height > 0 && b.Pixels.size() == size_t(b.Width) * size_t(b.Height),
            "an 8-bit picture holds all its pixels");
}

// The sprite-map reader of import-map and the window's import dialog: a BMP through the strict
// reader, any other picture through Qt; an 8-bit picture is cut by its whole size.
inline void CheckSpriteMapFile(TBytes data, const std::string& name)
{
    TBitmap8 bitmap;
    try {
        bitmap = DecodeSpriteMap(data, name);
    } catch (const BmpError&) {
        return;
    }
    if (!bitmap.IsIndexed())
        return;
    RequireWholePicture(bitmap);
    const TSheetLayout layout = InitialSheetLayout(bitmap, name);
    if (SheetFits(bitmap.Width, bitmap.Height, layout))
        Require(ImportSpriteSheet(bitmap, layout, name)->FrameCount() == layout.FrameCount, "one frame a cell");
}

// The picture formats' reader of import and edit --insert: indexed pictures keep their indices or
// are matched to a palette, true colour is matched, then the picture is cut into frames.
inline void CheckPictureFormats(TBytes data, const std::string& name, TOptions options)
{
    TFrameReadOptions read;
    TPalette palette{};
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = MakeColour(uint8_t(i), uint8_t(i * 3), uint8_t(255 - i));
    if (options[2])
        read.Palette = palette;
    if (options[3])
        read.TrueColourPalette = palette;
    read.Game = TSHPGame(options.Bits >> 6 & 3);
    if (options[4])
        read.FrameWidth = read.FrameHeight = 1 + (options.Bits >> 5 & 1) * 7;
    try {
        TIndexedPicture picture = ReadIndexedPicture(data, name, read);
        RequireWholePicture(picture.Bitmap);
        const TFramesRead frames = CutIntoFrames(std::move(picture), name, read);
        Require(frames.Sprite && frames.Sprite->FrameCount() >= 1, "a picture gives frames");
    } catch (const FormatError&) {
    } catch (const BmpError&) {
    } catch (const FileError&) {
    }
}

// Option bits: 0 the name's extension (.bmp or .png, which Qt tries when the content does not
// say), 1 the sprite-map reader instead of the formats' reader, 2-7 the formats' read options.
inline void CheckPicture(TBytes data)
{
    const TOptions options = SplitOptions(data);
    const std::string name = options[0] ? "map0004x0004-000002.png" : "map0004x0004-000002.bmp";
    if (options[1])
        CheckSpriteMapFile(data, name);
    else
        CheckPictureFormats(data, name, options);
}

} // namespace vantrel::fuzz
