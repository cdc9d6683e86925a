// convert, recolour and make-test: commands that write SHP files.
#include "Batch.h"
#include "CliCore.h"
#include "Commands.h"
#include "SpriteSetup.h"

#include "sprite/CScheme.h"
#include "sprite/FileUtil.h"
#include "sprite/SHP.h"
#include "sprite/TestSprite.h"
#include "sprite/WorkBudget.h"

namespace vantrel::cli {

namespace {

TCScheme FindScheme(const std::string& value)
{
    if (SameTextNoCase(ExtractFileExt(value), ".cscheme")) {
        TCScheme scheme;
        Reading([&] {
            const std::vector<uint8_t> bytes = ReadWholeFile(value);
            scheme = ParseSchemeText(std::string(bytes.begin(), bytes.end()));
        });
        return scheme;
    }
    Reading([] { LoadSchemeLibrary(); });
    const auto schemes = std::span(Schemes).first(size_t(SchemeCount));
    for (const TCScheme& s : schemes)
        if (s.Name == value)
            return s;
    for (const TCScheme& s : schemes)
        if (SameTextNoCase(s.Name, value))
            return s;
    ThrowInput("No colour scheme named " + Quoted(value) + " in " + Quoted(SchemeFolder()) + " (" +
               std::to_string(schemes.size()) + " schemes there)");
}

void ConvertFile(const std::string& input, const std::string& output, const TArgs& args,
                 std::optional<TSHPFormat> layout, uint8_t compression)
{
    const auto sprite = LoadSprite(input);
    const bool hadTrailer = sprite->CustomPalette;
    const bool keepPalette = args.Has("--keep-palette");
    if (!layout)
        layout = sprite->Format;
    if (*layout == TSHPFormat::TD && args.Has("--compression"))
        args.Fail("option '--compression' applies to the TS/RA2 layout only");
    if (args.Has("--palette") && !keepPalette && !hadTrailer)
        args.Fail("option '--palette' needs '--keep-palette'");
    ApplyGameAndType(*sprite, args);
    if (keepPalette || args.Has("--palette"))
        ChoosePalette(*sprite, args);
    sprite->SavePalette = keepPalette || hadTrailer;
    sprite->CompressionMode = compression;
    if (*layout == TSHPFormat::TD)
        RequireWithinBudget("convert", input, FramesText(*sprite) + " to the TD/RA1 layout", 0, 0,
                            uint64_t(sprite->FrameCount()) * uint64_t(sprite->Width) * uint64_t(sprite->Height), 1,
                            TDEncodingWeight);
    SaveSprite(*sprite, output, *layout);
}

} // namespace

int CmdConvert(const TArgList& list)
{
    std::vector<TOptionSpec> specs{{"--layout", true}, {"--compression", true}, {"--keep-palette"}};
    for (TOptionSpec& o : LookOptions())
        specs.push_back(o);
    const TArgs args("convert", list, WithBatchOptions(specs));
    RequireFiles(args, "IN and OUT");
    const uint8_t compression = ParseCompression(args);
    const std::optional<TSHPFormat> layout = ParseLayout(args);
    UseDataFolder(args);
    return RunFiles(args, "", [&](const std::string& input, const std::string& output) {
        ConvertFile(input, output, args, layout, compression);
        return std::string();
    });
}

int CmdRecolour(const TArgList& list)
{
    const TArgs args("recolour", list, WithBatchOptions({{"--scheme", true}, DataDirOption()}));
    const bool batch = RequireFiles(args, "FILE and OUT.shp");
    const std::optional<std::string> schemeName = args.Value("--scheme");
    if (!schemeName)
        args.Fail("missing option '--scheme'");
    UseDataFolder(args);
    std::optional<TCScheme> scheme;
    if (batch)
        scheme = FindScheme(*schemeName); // once, before the jobs start
    return RunFiles(args, "", [&](const std::string& input, const std::string& output) {
        const auto sprite = LoadSprite(input);
        if (!scheme)
            scheme = FindScheme(*schemeName);
        ApplyScheme(*sprite, *scheme);
        sprite->SavePalette = sprite->CustomPalette;
        SaveSprite(*sprite, output, sprite->Format);
        return std::string();
    });
}

int CmdMakeTest(const TArgList& list)
{
    const TArgs args("make-test", list, {{"--frames", true}});
    args.RequirePositionals(1, 1, "OUT.shp");
    const int frames = args.Has("--frames") ? int(args.Integer("--frames", 1, 65535)) : TestSpriteFrames;
    const auto sprite = MakeTestSprite(frames);
    SaveSprite(*sprite, args.Positionals()[0], TSHPFormat::TS);
    return ExitOK;
}

} // namespace vantrel::cli
