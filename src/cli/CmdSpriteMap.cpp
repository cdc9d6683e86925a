// export-map and import-map: SHP files to and from 8-bit sprite maps.
#include "Batch.h"
#include "CliCore.h"
#include "Commands.h"
#include "SpriteSetup.h"

#include "imaging/Imaging.h"
#include "sprite/Bmp8.h"
#include "sprite/FileUtil.h"
#include "sprite/SpriteSheet.h"

#include <stdexcept>

namespace vantrel::cli {

namespace {

// An 8-bit BMP file, or any other picture Qt reads (an indexed PNG serves as well).
TBitmap8 LoadMap(const std::string& path)
{
    TBitmap8 bitmap;
    Reading([&] {
        try {
            bitmap = LoadSpriteMap(path);
        } catch (const BmpError& e) {
            ThrowInput(e.what());
        }
    }, "read " + Quoted(path));
    if (!bitmap.IsIndexed())
        ThrowInput("Cannot import " + Quoted(path) + ": " + MsgNot8Bit);
    return bitmap;
}

// Returns the path written.
std::string ExportMapFile(const std::string& file, const std::string& output, const TArgs& args)
{
    const auto sprite = LoadSprite(file);
    if (sprite->Width <= 0 || sprite->Height <= 0)
        ThrowInput("Cannot export " + Quoted(file) + ": its canvas is empty (" + std::to_string(sprite->Width) + " x " +
                   std::to_string(sprite->Height) + ")");
    ChooseLook(*sprite, args);
    const TSheetGrid grid = SheetGrid(sprite->FrameCount());
    const uint64_t width = uint64_t(grid.Columns) * uint64_t(sprite->Width);
    const uint64_t height = uint64_t(grid.Rows) * uint64_t(sprite->Height);
    RequireWithinBudget("export", file, FramesText(*sprite), width, height, width * height);
    std::string written;
    Writing([&] {
        try {
            written = SaveSpriteSheet(*sprite, output);
        } catch (const BmpError& e) {
            ThrowOutput("Cannot export " + Quoted(file) + ": " + e.what());
        }
    }, "export " + Quoted(file) + ", " + FramesText(*sprite));
    return written;
}

} // namespace

int CmdExportMap(const TArgList& list)
{
    const TArgs args("export-map", list, WithBatchOptions(LookOptions()));
    RequireFiles(args, "FILE and OUT.bmp");
    UseDataFolder(args);
    return RunFiles(args, ".bmp", [&](const std::string& input, const std::string& output) {
        return ExportMapFile(input, output, args) + "\n";
    });
}

int CmdImportMap(const TArgList& list)
{
    const TArgs args("import-map", list,
                     {{"--frame-size", true}, {"--count", true}, {"--compression", true}, {"--keep-palette"}});
    args.RequirePositionals(2, 2, "MAP.bmp and OUT.shp");
    int frameWidth = 0, frameHeight = 0;
    if (const auto size = args.Value("--frame-size"))
        if (!ParseFrameSize(*size, frameWidth, frameHeight))
            args.Fail("option '--frame-size' needs WIDTHxHEIGHT from 1x1 to 65535x65535, not '" + *size + "'");
    const int count = args.Has("--count") ? int(args.Integer("--count", 1, 65535)) : 0;
    const uint8_t compression = ParseCompression(args);

    const std::string& path = args.Positionals()[0];
    const TBitmap8 bitmap = LoadMap(path);
    TSheetLayout layout = InitialSheetLayout(bitmap, ExtractFileName(path));
    if (frameWidth) {
        layout.FrameWidth = frameWidth;
        layout.FrameHeight = frameHeight;
    }
    if (count)
        layout.FrameCount = count;
    const std::string problem = SheetLayoutProblem(bitmap.Width, bitmap.Height, layout);
    if (!problem.empty()) {
        const std::string what = std::to_string(layout.FrameCount) + " frame(s) of " + std::to_string(layout.FrameWidth) +
                                 " x " + std::to_string(layout.FrameHeight) + " from the " +
                                 std::to_string(bitmap.Width) + " x " + std::to_string(bitmap.Height) + " picture " +
                                 Quoted(path) + ": " + problem;
        if (frameWidth || count)
            args.Fail("cannot cut " + what);
        ThrowInput("Cannot cut " + what);
    }
    std::unique_ptr<TSHP> sprite;
    Reading([&] {
        try {
            sprite = ImportSpriteSheet(bitmap, layout, path);
        } catch (const std::invalid_argument& e) {
            ThrowInput("Cannot import " + Quoted(path) + ": " + e.what());
        } catch (const BmpError& e) {
            ThrowInput("Cannot import " + Quoted(path) + ": " + e.what());
        }
    }, "import " + Quoted(path) + ", " + std::to_string(layout.FrameCount) + " frame(s) of " +
           std::to_string(layout.FrameWidth) + " x " + std::to_string(layout.FrameHeight) + " pixels");
    sprite->CompressionMode = compression;
    sprite->SavePalette = args.Has("--keep-palette");
    SaveSprite(*sprite, args.Positionals()[1], TSHPFormat::TS);
    return ExitOK;
}

} // namespace vantrel::cli
