// export and import: SHP files to and from pictures of every format of the libraries' list.
#include "Batch.h"
#include "CliCore.h"
#include "Commands.h"
#include "SpriteSetup.h"

#include "imaging/ImageFormats.h"
#include "sprite/Bmp8.h"
#include "sprite/FileUtil.h"
#include "sprite/Palette.h"
#include "sprite/SpriteSheet.h"

namespace vantrel::cli {

namespace {

std::string FormatList(bool writing)
{
    std::string list;
    for (const TImageFormat* f : ImageFormats())
        if (writing ? f->CanWrite() : f->CanRead())
            list += (list.empty() ? "" : ", ") + std::string(f->Id());
    return list;
}

// --format, else the format an extension suggests for writing (.bmp, .png).
const TImageFormat& ChooseFormat(const TArgs& args, const std::string& output, bool writing)
{
    std::string id;
    if (const auto value = args.Value("--format"))
        id = *value;
    else if (!writing)
        id = "picture";
    else if (SameTextNoCase(ExtractFileExt(output), ".bmp"))
        id = "bmp-map";
    else if (SameTextNoCase(ExtractFileExt(output), ".png"))
        id = "png-sheet";
    else
        args.Fail("missing option '--format' (" + FormatList(writing) + ")");
    const TImageFormat* format = FindImageFormat(id);
    if (!format || !(writing ? format->CanWrite() : format->CanRead()))
        args.Fail("unknown format '" + id + "' (" + FormatList(writing) + ")");
    return *format;
}

// Returns the paths written, a line each.
std::string ExportFile(const std::string& input, const std::string& output, const TImageFormat& format,
                       const TArgs& args)
{
    const auto sprite = LoadSprite(input);
    if (sprite->Width <= 0 || sprite->Height <= 0)
        ThrowInput("Cannot export " + Quoted(input) + ": its canvas is empty (" + std::to_string(sprite->Width) +
                   " x " + std::to_string(sprite->Height) + ")");
    ChooseLook(*sprite, args);
    // One picture of the sheet's grid, or one picture of the canvas a frame.
    const uint64_t files = format.OutputPaths(*sprite, output).size();
    const TSheetGrid grid = SheetGrid(sprite->FrameCount());
    const uint64_t width = uint64_t(sprite->Width) * (files == 1 ? uint64_t(grid.Columns) : 1);
    const uint64_t height = uint64_t(sprite->Height) * (files == 1 ? uint64_t(grid.Rows) : 1);
    RequireWithinBudget("export", input, FramesText(*sprite), width, height, width * height * files, files);
    std::vector<std::string> written;
    Writing([&] {
        try {
            written = format.Write(*sprite, output);
        } catch (const FormatError& e) {
            ThrowOutput("Cannot export " + Quoted(input) + ": " + e.what());
        } catch (const BmpError& e) {
            ThrowOutput("Cannot export " + Quoted(input) + ": " + e.what());
        }
    }, "export " + Quoted(input) + ", " + FramesText(*sprite));
    std::string lines;
    for (const std::string& path : written)
        lines += path + "\n";
    return lines;
}

struct TImportSettings {
    TSHPFormat Layout = TSHPFormat::TS;
    TSHPType Type = TSHPType::Unit;
    uint8_t Compression = 0;
    bool KeepPalette = false;
};

void ImportFiles(const std::vector<std::string>& inputs, const std::string& output, const TImageFormat& format,
                 const TFrameReadOptions& options, const TImportSettings& settings)
{
    TFramesRead read;
    ReadingPictures([&] {
        try {
            read = ReadFrameFiles(inputs, &format, options);
        } catch (const NoPaletteError& e) {
            ThrowInput(std::string(e.what()) + "; give --palette FILE.pal (no default palette for " +
                       std::string(GameName(options.Game)) + " in " + Quoted(PaletteFolder()) + ")");
        }
    }, "read " + Quoted(inputs[0]) + (inputs.size() > 1 ? " and the other pictures" : ""));
    TSHP& sprite = *read.Sprite;
    sprite.SetSHPType(settings.Type);
    sprite.CompressionMode = settings.Compression;
    sprite.SavePalette = settings.KeepPalette;
    SaveSprite(sprite, output, settings.Layout);
    std::string line = output + ": " + std::to_string(sprite.FrameCount()) + " frame(s) of " +
                       std::to_string(sprite.Width) + " x " + std::to_string(sprite.Height) + ", " +
                       std::to_string(read.Matching.InexactPixels) + " pixel(s) matched inexactly";
    if (read.Matching.InexactPixels > 0) {
        char distance[32];
        std::snprintf(distance, sizeof distance, "%.1f", read.Matching.MaxDistance);
        line += std::string(" (largest colour difference ") + distance + ")";
    }
    WriteStdout(line + "\n");
}

} // namespace

int CmdExport(const TArgList& list)
{
    std::vector<TOptionSpec> specs{{"--format", true}};
    for (TOptionSpec& o : LookOptions())
        specs.push_back(o);
    const TArgs args("export", list, WithBatchOptions(specs));
    const bool batch = RequireFiles(args, "INPUT and OUTPUT");
    // A batch without --format writes PNG sheets.
    const TImageFormat& format = ChooseFormat(args, batch ? std::string(".png") : args.Positionals()[1], true);
    UseDataFolder(args);
    return RunFiles(args, format.Id() == "bmp-map" ? ".bmp" : ".png",
                    [&](const std::string& input, const std::string& output) {
                        return ExportFile(input, output, format, args);
                    });
}

int CmdImport(const TArgList& list)
{
    std::vector<TOptionSpec> specs{{"--format", true},      {"--frame-size", true}, {"--layout", true},
                                   {"--compression", true}, {"--keep-palette"}};
    for (TOptionSpec& o : LookOptions())
        specs.push_back(o);
    const TArgs args("import", list, specs);
    args.RequirePositionals(2, SIZE_MAX, "INPUT... and OUTPUT.shp");
    const std::vector<std::string>& positionals = args.Positionals();
    const std::vector<std::string> inputs(positionals.begin(), positionals.end() - 1);
    const TImageFormat& format = ChooseFormat(args, "", false);

    TFrameReadOptions options;
    if (const auto size = args.Value("--frame-size"))
        if (!ParseFrameSize(*size, options.FrameWidth, options.FrameHeight))
            args.Fail("option '--frame-size' needs WIDTHxHEIGHT from 1x1 to 65535x65535, not '" + *size + "'");
    TImportSettings settings;
    settings.Layout = ParseLayout(args).value_or(TSHPFormat::TS);
    settings.Compression = ParseCompression(args);
    if (settings.Layout == TSHPFormat::TD && args.Has("--compression"))
        args.Fail("option '--compression' applies to the TS/RA2 layout only");
    settings.KeepPalette = args.Has("--keep-palette");
    TSHP look;
    look.Game = settings.Layout == TSHPFormat::TD ? TSHPGame::TD : TSHPGame::TS;
    look.SetSHPType(TSHPType::Unit);
    ApplyGameAndType(look, args);
    options.Game = look.Game;
    settings.Type = look.SHPType;

    UseDataFolder(args);
    if (args.Has("--palette")) {
        ChoosePalette(look, args);
        options.Palette = look.Palette;
    } else {
        options.TrueColourPalette = DefaultPaletteOf(look.Game, look.SHPType, PaletteFolder());
    }
    ImportFiles(inputs, positionals.back(), format, options, settings);
    return ExitOK;
}

} // namespace vantrel::cli
