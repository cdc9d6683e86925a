// Loading a sprite for a command and choosing how it is drawn: game and type overrides, the
// palette, the data folder and the drawing settings.
#pragma once

#include "CliCore.h"

#include "sprite/ColourMatch.h"
#include "sprite/SHP.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::cli {

// --game, --type, --palette, --data-dir.
std::vector<TOptionSpec> LookOptions();
// --data-dir alone.
TOptionSpec DataDirOption();

// Data folders (palette/, cscheme/) come from --data-dir, else from the lookup of
// UseStandardDataFolders (beside the program first).
void UseDataFolder(const TArgs& args);

std::string NotSHPMessage(const std::string& path);
// Refuses (input error) work that makes a picture larger than a picture may be, or handles more
// pixels or makes more files than the budget of the input file allows (see WorkBudget.h):
// "Cannot ACTION "FILE", WHAT: reason". A picture of 0 x 0 is none.
void RequireWithinBudget(const std::string& action, const std::string& file, const std::string& what,
                         uint64_t pictureWidth, uint64_t pictureHeight, uint64_t workPixels, uint64_t files = 1,
                         uint64_t weight = 1);
// "N frame(s) of W x H pixels".
std::string FramesText(const TSHP& sprite);
// Loads an SHP file; input error when it cannot be read or holds neither layout.
std::unique_ptr<TSHP> LoadSprite(const std::string& path, bool keepHeaders = false);

std::optional<TSHPGame> ParseGame(std::string_view text);
std::optional<TSHPType> ParseSHPType(std::string_view text);
// A side-colour name of the side-colour menu (any case) or #RRGGBB, as 0x00RRGGBB.
std::optional<uint32_t> ParseSideColour(std::string_view text);

// Applies --game and --type; then the palette: --palette, else the file's own palette, else the
// default palette of game, theatre and type from the data folder (an input error when there is
// none).
void ChooseLook(TSHP& sprite, const TArgs& args);
void ApplyGameAndType(TSHP& sprite, const TArgs& args);
void ChoosePalette(TSHP& sprite, const TArgs& args);

// The palette file names the default-palette search looks for, for messages.
std::string DefaultPaletteDescription(const TSHP& sprite);

// "TS/RA2", "TD/RA1".
const char* LayoutName(TSHPFormat format);

// Saves a sprite in a layout. A sprite the layout cannot hold is an input error naming the
// sprite's file and the reason; a file that cannot be written (or no memory to build it) is an
// output error naming the file.
void SaveSprite(TSHP& sprite, const std::string& path, TSHPFormat layout);
// The threads SaveSprite lets the TD/RA1 writer use on the calling thread (0, the default: one
// a processor core). A batch that converts several files at once sets 1 on each of its threads.
void SetWriterThreads(int threads);

// A compression mode name (auto, half, all, none) as the writer's CompressionMode.
uint8_t ParseCompression(const TArgs& args);
// --layout ts|td; nullopt when not given.
std::optional<TSHPFormat> ParseLayout(const TArgs& args);

// Reading, with the picture readers' errors (FormatError, BmpError) as input errors too.
void ReadingPictures(const std::function<void()>& f, const std::string& task = "read the input");

// "12 pixel(s) matched inexactly (largest colour difference 3.4)"; the difference only when some
// pixel was.
std::string MatchSummary(const TMatchStats& stats);

// "64x48" as width and height, each 1 to 65535; false for anything else.
bool ParseFrameSize(const std::string& text, int& width, int& height);

} // namespace vantrel::cli
