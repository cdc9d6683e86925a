// The picture formats a sprite is exported to and imported from, behind one interface that the
// window's file dialogs and the command-line tool list and use alike. A format is one source file
// (Format*.cpp) with one line in the list of ImageFormats.cpp:
//   bmp-map     8-bit BMP sprite map: all frames in a grid of cells, the palette as colour table
//   png-sheet   indexed PNG sprite sheet: the same grid, colour type 3, the palette as PLTE and
//               index 0 transparent (tRNS)
//   png-frames  indexed PNG frame sequence: NAME-0000.png, NAME-0001.png, ... one file a frame
//   picture     any picture Qt reads, true colour or indexed, one frame or a sheet (read only)
//
// Reading turns pictures into palette indices. An indexed picture keeps its indices, unless a
// palette is given that differs from the picture's colour table in an entry the picture uses;
// then, as every true-colour pixel, each colour becomes the index of the same colour in that
// palette, or of the nearest allowed one (ColourMatch.h); pixels less than half opaque become
// index 0, and so does index 0 of an indexed picture. A sheet is cut by the frame size and count
// of its name's suffix (WWWWxHHHH-NNNNNN.png), by a frame size given (every whole cell), or
// taken whole as one frame.
#pragma once

#include "sprite/ColourMatch.h"
#include "sprite/FrameEdit.h"
#include "sprite/SHP.h"

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A picture that cannot become frames: an unusable cut, frames of different sizes, a true-colour
// picture without a palette, an 8-bit map that is not 8-bit. The message names the file.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// A true-colour picture read without a palette to match it to.
class NoPaletteError : public FormatError {
public:
    using FormatError::FormatError;
};

struct TFrameReadOptions {
    // The palette the frames are for (see above); none: indexed pictures bring their own colour
    // table as the palette, and true-colour pictures are matched to TrueColourPalette.
    std::optional<TPalette> Palette;
    std::optional<TPalette> TrueColourPalette;
    // The game whose remap entries and shadow index inexact matches avoid; also the new sprite's.
    TSHPGame Game = TSHPGame::TS;
    // Cells of this size (every whole cell of the picture is a frame) instead of the name's
    // suffix; 0: none.
    int FrameWidth = 0;
    int FrameHeight = 0;
};

struct TFramesRead {
    // A TS/RA2 sprite of the given game and type Unit, bounded frames, the palette the indices
    // are for (CustomPalette when it came from the pictures) and the first file's name with
    // ".shp".
    std::unique_ptr<TSHP> Sprite;
    TMatchStats Matching;
};

class TImageFormat {
public:
    virtual ~TImageFormat() = default;
    // The command-line tool's name of the format ("png-sheet").
    virtual std::string_view Id() const = 0;
    // Its name for people ("Indexed PNG sprite sheet").
    virtual std::string_view Name() const = 0;
    // File-name patterns of its files ("*.png").
    virtual std::vector<std::string> Patterns() const = 0;
    virtual bool CanRead() const = 0;
    virtual bool CanWrite() const = 0;
    // The files Write makes for sprite when the user chose chosenPath.
    virtual std::vector<std::string> OutputPaths(const TSHP& sprite, const std::string& chosenPath) const = 0;
    // Writes every frame with the sprite's Palette as stored (no side colour or luminosity), each
    // file through a temporary file; returns the paths written. Throws FormatError for a sprite
    // without frames or canvas, FileError (or BmpError) when writing fails, and FormatError for a
    // format that does not write.
    virtual std::vector<std::string> Write(const TSHP& sprite, const std::string& chosenPath) const = 0;
    // The frames of the file at path (a frame sequence: of every file of its sequence). Throws
    // FileError when a file cannot be read, FormatError (or BmpError) when it holds no usable
    // picture, and FormatError for a format that does not read.
    virtual TFramesRead Read(const std::string& path, const TFrameReadOptions& options) const = 0;
};

// Every format, in the order menus and the help list them.
const std::vector<const TImageFormat*>& ImageFormats();
// The format of an Id, or null.
const TImageFormat* FindImageFormat(std::string_view id);
// "Indexed PNG sprite sheet (*.png)", as a file dialog's filter.
std::string DialogFilter(const TImageFormat& format);
// The filters of every format that reads (or writes), in list order, joined by ";;" as
// QFileDialog::setNameFilter takes them.
std::string DialogFilters(bool writing);

// The frames of several files in the order given, each read by format (null: as a picture, a
// sheet or one frame); every file must give frames of the same size. The matching statistics add
// up; the sprite's name comes from the first file.
TFramesRead ReadFrameFiles(const std::vector<std::string>& paths, const TImageFormat* format,
                           const TFrameReadOptions& options);

// Frames to insert into target from a file of any readable kind: an SHP file (by its extension)
// as its frames are, a source with its shadow half when it has shadow frames; else the pictures
// of format (null: as a picture) matched to target's palette and game, without shadows. stats
// receives how closely they matched.
TFrameSource ReadInsertSource(const std::string& path, const TImageFormat* format, const TSHP& target,
                              TMatchStats& stats);
// The frames of several such files, one after the other in the order given. Their frames must be
// of one size; the result has a shadow half when every file has one (each file's first halves,
// then its second halves), else every frame is a frame of its own.
TFrameSource ReadInsertSources(const std::vector<std::string>& paths, const TImageFormat* format, const TSHP& target,
                               TMatchStats& stats);

// NAME-0000.png ... for frame i of count frames written for chosenPath: its extension replaced by
// "-" and the number padded to 4 digits, or to as many as the last number has.
std::string FrameSequencePath(std::string_view chosenPath, int i, int count);
// The files of the sequence a file belongs to: the files of its folder named like it, PREFIX-N.png
// with any number N, in number order. A name of another shape gives that file alone.
std::vector<std::string> FrameSequenceFiles(const std::string& path);
// The name of the sequence a file belongs to, NAME.png for NAME-0007.png; other names as they are.
std::string FrameSequenceName(const std::string& path);

} // namespace vantrel
