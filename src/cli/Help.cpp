#include "Commands.h"

namespace vantrel::cli {

namespace {

const char* const InfoHelp = R"HELP(Usage: vantrel-cli info FILE... [--json] [-r] [-j N]

Describes SHP files: layout (TD/RA1 or TS/RA2), game, sprite type and theatre
as the application detects them, canvas size, frame count, and whether the
file carries its own palette (a palette trailer). One line a file, e.g.

  tank.shp: TS/RA2, Tiberian Sun, Unit, theatre Default, 64x48, 32 frames, no palette trailer

followed by a summary line.

Options:
  --json   one JSON object a line per file, and no summary line:
           {"file":..., "layout":"td"|"ts"|null, "width":N, "height":N,
            "game":..., "type":..., "theatre":..., "palette_trailer":true|false,
            "frames":[{"x":N,"y":N,"cx":N,"cy":N,"flags":N,"radar":"#RRGGBB"},...]}
           game, type and theatre use the application's names ("Tiberian Sun",
           "Building (IsoSnow)", "New Urban"). flags holds the raw frame-header
           flags of a TS/RA2 file and the format code of a TD/RA1 file (128, 64,
           32); radar is the frame header's radar colour. A file of neither layout
           is listed with layout null, null values and no frames.

Files that cannot be read or are not SHP files are named on stderr; the others
are still described. Exit status 2 when there was such a file.

  --recursive, -r  a FOLDER stands for the SHP files below it
  -j N, --jobs N   read N files at a time (see 'vantrel-cli help')
)HELP";

const char* const ProbeHelp = R"HELP(Usage: vantrel-cli probe FILE... [-r] [-j N]

Tests the first bytes and the size of each file for SHP content without loading
it (the test the open dialog applies; stricter than loading). Prints one line a
file:

  FILE: TD/RA1 SHP
  FILE: TS/RA2 SHP
  FILE: not an SHP

then a summary line. Exit status 0 when every file is an SHP file, 2 when one
is not or cannot be read (those that cannot be read are named on stderr).

  --recursive, -r  a FOLDER stands for the SHP files below it
  -j N, --jobs N   test N files at a time (see 'vantrel-cli help')
)HELP";

const char* const RenderHelp = R"HELP(Usage: vantrel-cli render FILE -o OUT.png [options]
       vantrel-cli render FILE... --output-dir DIR [-r] [-j N] [options]

Draws frames of an SHP file as PNG pictures with transparency (alpha 0 where
the sprite is transparent, 127 on translucent shadows, 255 elsewhere), exactly
as the application draws them.

Which frames (at most one of these):
  --frame N              frame N (counted from 0); the default is frame 0
  --all                  every frame, one file each: the frame number is put
                         before the extension of OUT, zero-padded to the width
                         of the last frame number (out.png -> out000.png ...
                         out119.png for 120 frames)
  --sheet                every frame in one picture, in the sprite-map grid
                         (left to right, then top to bottom)

How they are drawn:
  --game td|ra1|ts|ra2   treat the sprite as one of this game
  --type NAME            treat it as this sprite type: Animation, Building,
                         "Building (IsoSnow)", "Building (IsoTemperate)",
                         "Building (IsoUrban)", Cameo, Unit (any case)
                         Game and type decide the remap colours, the shadow
                         rules and the default palette.
  --palette FILE.pal     draw with this palette: a file, or one below the palette
                         folder such as TS/unittem.pal
  --data-dir DIR         folder holding palette/ and cscheme/ (default: the
                         data folders, see 'vantrel-cli help')
  --side-colour COLOUR   draw the remap colours in shades of COLOUR: Gold, Red,
                         Blue, Green, Orange, "Sky Blue", Pink, Purple (any case)
                         or #RRGGBB
  --transparent-shadows  draw shadows as translucent black
  --draw-shadows         lay each frame of the first half over its shadow frame
                         (TS/RA2 buildings and units)
  --luminosity N         lighten (up to 50) or darken (down to -50)
  --background FILE.png  tile this picture behind the canvas from its top-left
                         corner and blend the sprite over it; the result is opaque
  --zoom N               enlarge N times (1 to 32) by repeating pixels

Without --game and --type, game and type are detected from the file as the
application does; without --palette, a file that carries its own palette is
drawn with it, and any other file with the default palette of its game,
theatre and type from the palette folder (DIR/palette/ with --data-dir). It is
an error when no palette is found.

With --output-dir each FILE is drawn to DIR/NAME.png (with --all DIR/NAME000.png
and so on), NAME being FILE's name without its extension (see 'Many files' in
'vantrel-cli help').
)HELP";

const char* const ExportMapHelp = R"HELP(Usage: vantrel-cli export-map FILE OUT.bmp [options]
       vantrel-cli export-map FILE... --output-dir DIR [-r] [-j N] [options]

Writes every frame of an SHP file into one 8-bit BMP sprite map: frames side by
side in a grid of equal cells (left to right, then top to bottom), palette
indices unchanged, the sprite's palette as the colour table. The file name gets
the frame size and count in place of its extension, so that import-map cuts it
again without options:

  tank.bmp for 32 frames of 64 x 48 -> tank0064x0048-000032.bmp

The path written is printed on stdout. With --output-dir each FILE is written
to DIR/NAME.bmp with that suffix, NAME being FILE's name without its extension
(see 'Many files' in 'vantrel-cli help').

Options (choose the palette written into the colour table, as for render):
  --game td|ra1|ts|ra2, --type NAME, --palette FILE.pal, --data-dir DIR
)HELP";

const char* const ImportMapHelp = R"HELP(Usage: vantrel-cli import-map MAP.bmp OUT.shp [options]

Builds a TS/RA2 SHP file (game Tiberian Sun, type Unit) from an 8-bit BMP sprite
map. The frame size and count come from the map's file name when it ends in the
export suffix (tank0064x0048-000032.bmp: 32 frames of 64 x 48); otherwise the
whole picture is one frame. Empty borders of each frame are trimmed.

Options:
  --frame-size WxH       cut frames of W x H pixels
  --count N              cut N frames
  --compression MODE     auto (smallest, the default), half (first half of the
                         frames encoded), all (every frame encoded), none
  --keep-palette         store the map's colour table in the file (a palette
                         trailer), so that it is drawn with those colours

A map that is not 8-bit is refused with "Error Image is not 8-Bit. Unable to
Import!" (exit status 2); so is a cut whose last frame does not lie inside the
picture (exit status 1 when the cut came from --frame-size or --count).
)HELP";

const char* const ExportHelp = R"HELP(Usage: vantrel-cli export INPUT OUTPUT [--format FORMAT] [options]
       vantrel-cli export INPUT... --output-dir DIR [-r] [-j N] [options]

Writes every frame of the SHP file INPUT into pictures, palette indices
unchanged, with the sprite's palette (as chosen below) as their colours:

  bmp-map     one 8-bit BMP sprite map: frames side by side in a grid of equal
              cells (left to right, then top to bottom); the frame size and
              count replace OUTPUT's extension (tank.bmp for 32 frames of
              64 x 48 -> tank0064x0048-000032.bmp), as export-map does
  png-sheet   the same grid and name in one indexed PNG (colour type 3, the
              palette as PLTE, index 0 transparent):
              tank.png -> tank0064x0048-000032.png
  png-frames  one indexed PNG a frame: tank.png -> tank-0000.png,
              tank-0001.png, ... (more digits past 10000 frames)

Without --format, an OUTPUT ending in .bmp gives bmp-map and one ending in .png
gives png-sheet. import reads all of them back with the same indices. The paths
written are printed on stdout, one a line.

With --output-dir each INPUT is written as DIR/NAME.bmp (bmp-map) or
DIR/NAME.png with the suffix of its format, NAME being INPUT's name without its
extension; without --format the format is png-sheet (see 'Many files' in
'vantrel-cli help').

Options (choose the palette written, as for render):
  --game td|ra1|ts|ra2, --type NAME, --palette FILE.pal, --data-dir DIR
)HELP";

const char* const ImportHelp = R"HELP(Usage: vantrel-cli import INPUT... OUTPUT.shp [options]

Builds an SHP file (type Unit unless --type says otherwise) from pictures: the
frames of every INPUT, in the order given. A picture whose name ends in the
export suffix (tank0064x0048-000032.png or .bmp) is cut into that many frames
of that size; with --frame-size every whole cell of that size is a frame;
otherwise the picture is one frame. All frames must have one size. Empty
borders of each frame are trimmed.

Colours: an indexed picture (8-bit BMP, PNG of colour type 3) keeps its palette
indices, and its colour table becomes the sprite's palette. With --palette, an
indexed picture whose colours differ from that palette in an index it uses, and
every true-colour picture (any picture Qt reads), are matched instead: each
pixel becomes the index of its exact colour in the palette, else of the nearest
colour (CIE 1976 colour difference), never index 0 and never the game's remap
(side colour) or shadow entries unless they match exactly. Pixels less than
half opaque become index 0. Without --palette, true-colour pictures are matched
to the default palette of the game and type from the palette folder. A line on
stdout names OUTPUT.shp, its frames and how many pixels were matched
inexactly, with the largest colour difference:

  tank.shp: 32 frame(s) of 64 x 48, 0 pixel(s) matched inexactly

Options:
  --format png-frames    each INPUT stands for its whole frame sequence
                         (NAME-0000.png, NAME-0001.png, ... in number order)
  --frame-size WxH       cut pictures into frames of W x H pixels
  --palette FILE.pal     match colours to this palette
  --game td|ra1|ts|ra2   the sprite's game (default: ts, or td with --layout td);
                         it decides which entries inexact matches avoid
  --type NAME            the sprite's type (default Unit)
  --data-dir DIR         folder holding palette/ (default: the data folders,
                         see 'vantrel-cli help')
  --layout ts|td         the file layout (default ts)
  --compression MODE     TS/RA2 layout only: auto (the default), half, all, none
  --keep-palette         store the palette in the file (a palette trailer)
)HELP";

const char* const EditHelp = R"HELP(Usage: vantrel-cli edit INPUT OUTPUT OPERATION... [options]
       vantrel-cli edit INPUT... --output-dir DIR OPERATION... [-r] [-j N]

Changes the frames or the canvas of the SHP file INPUT and writes the result to
OUTPUT (in INPUT's layout unless --layout says otherwise), then prints a line
with OUTPUT's frame count and size. The operations run in the order given, each
on the result of the one before; frames are counted from 0. A LIST is frame
numbers and ranges, like 3,5-7.

Operations:
  --delete LIST          delete the frames
  --duplicate LIST       insert copies of the frames after the last of them
  --move LIST:TO         move the frames, in their order, so that the first
                         becomes frame TO (TO counts the frames not moved:
                         0 to their number)
  --reverse              reverse the order of all frames
  --insert FILE@POS[:ANCHOR]
                         insert the frames of FILE before frame POS (POS = the
                         frame count: at the end). FILE is an SHP file or a
                         picture import reads (one frame, or a sheet by its
                         name's suffix), matched to the sprite's palette.
                         Frames of another size are placed by ANCHOR (default
                         centre).
  --resize WxH[:ANCHOR]  give every frame a canvas of W x H pixels, the old one
                         placed by ANCHOR (default centre), cut where smaller
  --crop                 cut the canvas down to the smallest rectangle holding
                         every non-transparent pixel of every frame
ANCHOR is top-left, top, top-right, left, centre, right, bottom-left, bottom or
bottom-right. After a resize or crop each frame's rectangle is its pixels' own.

Shadow pairing: a TS/RA2 unit or building with an even frame count keeps the
shadow of frame k at frame k + count/2. Every operation keeps those pairs:
deleting frame 3 of 16 deletes frame 11 too, a frame of either half stands for
its pair, TO and POS count within a half (a number in the second half counts
from its start), reverse turns both halves, and inserted frames get an empty
shadow frame each (an SHP file with shadow frames brings its own).

Options:
  --no-shadow-pairing    treat every frame alone, wherever it is given
  --game td|ra1|ts|ra2, --type NAME
                         treat the sprite as one of this game and type (which
                         decides shadow pairing and the default palette)
  --palette FILE.pal     the palette inserted pictures are matched to (default:
                         the file's own or the default palette, as for render)
  --data-dir DIR         folder holding palette/ (default: the data folders,
                         see 'vantrel-cli help')
  --layout ts|td         the layout of OUTPUT (default INPUT's)
  --compression MODE     TS/RA2 layout only: auto (the default), half, all, none
  --keep-palette         store the palette in OUTPUT (a palette trailer); one of
                         INPUT is always kept

A position or size that is not possible is a usage error naming the value (exit
status 1); OUTPUT is then not written.

With --output-dir the operations are applied to each INPUT, written to DIR under
INPUT's own name (see 'Many files' in 'vantrel-cli help').
)HELP";

const char* const ConvertHelp = R"HELP(Usage: vantrel-cli convert IN OUT [options]
       vantrel-cli convert IN... --output-dir DIR [-r] [-j N] [options]

Writes the sprite of the SHP file IN to OUT, re-encoded.

Options:
  --layout ts|td         the file layout: ts (Tiberian Sun / Red Alert 2) or td
                         (Tiberian Dawn / Red Alert); the default is IN's layout
  --compression MODE     TS/RA2 layout only: auto (smallest, the default), half,
                         all or none
  --keep-palette         store the palette the sprite is drawn with in OUT (a
                         palette trailer), chosen as for render
  --game td|ra1|ts|ra2, --type NAME
                         the game and type the sprite is drawn as (stored in a
                         palette trailer)
  --palette FILE.pal     the palette to store (needs --keep-palette, or IN with
                         a palette trailer)
  --data-dir DIR         folder holding palette/ (default: the data folders,
                         see 'vantrel-cli help')

A palette trailer of IN is always kept. With --output-dir each IN is written to
DIR under its own name (see 'Many files' in 'vantrel-cli help').
)HELP";

const char* const RecolourHelp = R"HELP(Usage: vantrel-cli recolour FILE OUT.shp --scheme NAME|FILE.cscheme [--data-dir DIR]
       vantrel-cli recolour FILE... --output-dir DIR --scheme ... [-r] [-j N]

Moves the pixels of every frame to other palette indices by a colour scheme and
writes the result to OUT.shp in FILE's layout (a palette trailer is kept).

  --scheme NAME          a scheme of the library in DIR/cscheme/ (default.bcs and
                         every .cscheme file below it): the first whose name is
                         NAME exactly, else the first that matches without
                         regard to case
  --scheme FILE.cscheme  the scheme of this file (any value ending in .cscheme)
  --data-dir DIR         folder holding cscheme/ (default: the data folders,
                         see 'vantrel-cli help')

With --output-dir each FILE is written to DIR under its own name (see 'Many
files' in 'vantrel-cli help').
)HELP";

const char* const ReportHelp = R"HELP(Usage: vantrel-cli report FOLDER [--ignore-boring] [-o FILE]

Reports the raw frame headers of every TS/RA2 SHP file below FOLDER (sub-folders
depth first, names sorted without regard to case, names relative to FOLDER):

  units/tank.shp 64x48 Count: 32
  Frame 0000:   12,   3   40 x   31 0003 0000 016,032,048,000 00000000 000001F4
  ...

Frame lines: X,Y CX x CY, flags and the 16-bit reserved field (hexadecimal),
radar red, green, blue and extra byte, the 32-bit reserved field and the data
offset (hexadecimal). TD/RA1 files are counted but not listed; files of
neither layout are counted as ignored.

Options:
  --ignore-boring  list only frames with an area and with flags of 4 or more,
                   or a non-zero reserved field or radar extra byte; a file
                   without such frames writes nothing
  -o FILE          write the report to FILE instead of stdout

The summary line always goes to stdout, as its last line: after the report
when the report goes to stdout, alone when it goes to FILE:

  FILE saved. 3 SHP(s) Processed. 1 SHP(s) ignored (Not TD/TS SHP)

A file that cannot be read ends the run (exit status 2) and no report is written.
)HELP";

const char* const ZeroTestHelp = R"HELP(Usage: vantrel-cli zero-test FOLDER [-o FILE]

Lists the SHP files below FOLDER that are neither TD/RA1 files (whose offset
table ends with the file size) nor start with the zero word of a TS/RA2 file,
two lines each:

  odd/readme.shp:
   Zero:25928 WH:27756x8303 Count:28535

A file shorter than the 8 bytes of a TS/RA2 header is always listed; the values
it lacks read as 0 and its second line ends with " Size:" and its size.

Options:
  -o FILE   write the list to FILE instead of stdout

The summary line always goes to stdout, as its last line: after the list when
the list goes to stdout, alone when it goes to FILE:

  FILE saved. 12 SHP(s) Processed
)HELP";

const char* const MakeTestHelp = R"HELP(Usage: vantrel-cli make-test OUT.shp [--frames N]

Writes the palette test sprite: a Tiberian Sun unit of 64 x 64 pixels whose
frames of the first half show all 256 palette indices as 4 x 4 squares (index
16 x column + row) and whose second half (the shadow frames) is empty.

  --frames N   number of frames, 1 to 65535 (default 344)
)HELP";

const char* const ThumbnailHelp = R"HELP(Usage: vantrel-cli thumbnail INPUT OUTPUT.png SIZE [--data-dir DIR]

Draws the thumbnail that the open dialog shows for an SHP file: frame 0 over its
shadow frame with translucent shadows, in the file's own palette or else the
default palette of the game, theatre and type detected from the file, shrunk to
fit SIZE x SIZE pixels (never enlarged) and centred on a transparent picture of
SIZE x SIZE pixels. SIZE is 1 to 4096. File managers run it through the
installed thumbnailer entry.

A file that is not an SHP file (by the open dialog's content test or because
neither reader accepts it) writes nothing and ends with exit status 2.

Options:
  --data-dir DIR   folder holding palette/ (default: the data folders, see
                   'vantrel-cli help')
)HELP";

} // namespace

const char* const ToolSummary = "Inspects, draws and converts SHP sprite files of Tiberian Dawn, Red Alert,\n"
                                "Tiberian Sun and Red Alert 2 without a display.\n";

const char* const DataFoldersText =
    "Data folders: palette/ and cscheme/ are looked for beside this program, then\n"
    "in share/vantrel/ beside its folder (../share/vantrel), then in vantrel/ of\n"
    "each data folder of the system ($XDG_DATA_HOME, then $XDG_DATA_DIRS; on Linux\n"
    "~/.local/share, /usr/local/share, /usr/share). The colour schemes of the\n"
    "user's own ~/.local/share/vantrel/cscheme/ come after those of the folder\n"
    "found. --data-dir DIR looks in DIR alone.\n";

const char* const BatchText =
    "Many files: info, probe, render, export-map, export, edit, convert and recolour\n"
    "take several inputs. With --output-dir DIR every argument is an input and each\n"
    "output is named after its input in DIR, which is created when missing.\n"
    "--recursive (-r) makes a folder stand for the SHP files below it (the open\n"
    "dialog's nine extensions, sub-folders included, sorted by name); their outputs\n"
    "keep the folder and those below it: \"vantrel-cli convert -r --output-dir out\n"
    "mods/red\" writes mods/red/units/tank.shp to out/red/units/tank.shp (\".\" puts\n"
    "them in DIR itself). Two inputs whose outputs would be one file (the same name\n"
    "from two folders, names compared without regard to case) or an output that\n"
    "would replace another input are refused before anything is written (exit status\n"
    "1). -j N (--jobs N, 1 to 256) works on N files at a time; the default is one a\n"
    "processor core. N is also the most threads the command works on: -j 1 keeps to\n"
    "one core, and files fewer than N share the rest (the TD/RA1 writer encodes a\n"
    "long sprite on them). Each file's lines still come in the order of the inputs,\n"
    "a file that fails does not stop the others, its error on stderr begins with its\n"
    "name, and the exit status is the highest of the files'. A file that fails\n"
    "leaves no output; the outputs of the files done meanwhile are flushed to disk\n"
    "together before they replace their targets. While stderr is a terminal a\n"
    "progress bar over all files is shown there. The limits below hold for each\n"
    "file.\n";

const char* const ExitStatusText =
    "Exit status: 0 success, 1 usage error, 2 an input cannot be read or is not what\n"
    "the command needs (not an SHP file, not an 8-bit map, a pipe or a device, a\n"
    "sprite the output layout cannot hold, more work than the input's size\n"
    "warrants), 3 an output cannot be written (a pipe, a device or a read-only file\n"
    "is not replaced). Errors go to stderr, one line each, naming the file and the\n"
    "reason; nothing else goes there except a progress line while stderr is a\n"
    "terminal. Outputs are written to a temporary file first (removed again on\n"
    "Ctrl+C) and replace an existing file, or the file a link points to, only once\n"
    "complete.\n\n"
    "Limits: a picture has at most 16384 x 16384 pixels; a command draws or encodes\n"
    "at most 134,217,728 pixels, or 256 for each byte of its input, and writes at\n"
    "most 1024 files, or one for each 8 bytes of its input.\n";

const std::vector<TCommand>& CommandTable()
{
    static const std::vector<TCommand> table{
        {"info", CmdInfo, "describe SHP files (--json for one JSON object a line)", InfoHelp},
        {"render", CmdRender, "draw frames to PNG pictures", RenderHelp},
        {"export-map", CmdExportMap, "write all frames into one 8-bit BMP sprite map", ExportMapHelp},
        {"import-map", CmdImportMap, "build an SHP file from an 8-bit BMP sprite map", ImportMapHelp},
        {"export", CmdExport, "write all frames to a BMP map, a PNG sheet or PNG frames", ExportHelp},
        {"import", CmdImport, "build an SHP file from pictures (indexed or true colour)", ImportHelp},
        {"edit", CmdEdit, "delete, move, insert... frames; resize or crop the canvas", EditHelp},
        {"convert", CmdConvert, "re-encode an SHP file in the TS/RA2 or TD/RA1 layout", ConvertHelp},
        {"recolour", CmdRecolour, "move pixels to other palette indices by a colour scheme", RecolourHelp},
        {"report", CmdReport, "report the raw frame headers of every SHP file below a folder", ReportHelp},
        {"zero-test", CmdZeroTest, "list SHP files that are neither TD/RA1 nor start with a zero word", ZeroTestHelp},
        {"probe", CmdProbe, "test files for SHP content, one line a file", ProbeHelp},
        {"make-test", CmdMakeTest, "write the palette test sprite", MakeTestHelp},
        {"thumbnail", CmdThumbnail, "draw the open dialog's thumbnail of an SHP file to a PNG", ThumbnailHelp},
    };
    return table;
}

const TCommand* FindCommand(std::string_view name)
{
    for (const TCommand& c : CommandTable())
        if (name == c.Name)
            return &c;
    return nullptr;
}

std::string ToolHelp()
{
    std::string text = "Usage: vantrel-cli COMMAND [ARGUMENTS] [OPTIONS]\n\n" + std::string(ToolSummary) +
                       "\nCommands:\n";
    for (const TCommand& c : CommandTable()) {
        std::string name = "  " + std::string(c.Name);
        name.resize(18, ' ');
        text += name + c.Summary + "\n";
    }
    text += "  help [COMMAND]  show this help, or the help of a command\n"
            "\nRun 'vantrel-cli help COMMAND' or 'vantrel-cli COMMAND --help' for a command's\n"
            "arguments and options; 'vantrel-cli --version' prints the version.\n\n";
    return text + BatchText + "\n" + DataFoldersText + "\n" + ExitStatusText;
}

bool WantsHelp(const TArgList& args)
{
    for (const std::string& a : args) {
        if (a == "--")
            return false;
        if (a == "--help" || a == "-h")
            return true;
    }
    return false;
}

} // namespace vantrel::cli
