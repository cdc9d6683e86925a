// convert, recolour and make-test: commands that write SHP files.
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

} // namespace

int CmdConvert(const TArgList& list)
{
    std::vector<TOptionSpec> specs{{"--layout", true}, {"--compression", true}, {"--keep-palette"}};
    for (TOptionSpec& o : LookOptions())
        specs.push_back(o);
    const TArgs args("convert", list, specs);
    args.RequirePositionals(2, 2, "IN and OUT");
    const uint8_t compression = ParseCompression(args);
    std::optional<TSHPFormat> layout = ParseLayout(args);
    UseDataFolder(args);
    const auto sprite = LoadSprite(args.Positionals()[0]);
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
        RequireWithinBudget("convert", args.Positionals()[0], FramesText(*sprite) + " to the TD/RA1 layout", 0, 0,
                            uint64_t(sprite->FrameCount()) * uint64_t(sprite->Width) * uint64_t(sprite->Height), 1,
                            TDEncodingWeight);
    SaveSprite(*sprite, args.Positionals()[1], *layout);
    return ExitOK;
}

int CmdRecolour(const TArgList& list)
{
    const TArgs args("recolour", list, {{"--scheme", true}, DataDirOption()});
    args.RequirePositionals(2, 2, "FILE and OUT.shp");
    const std::optional<std::string> schemeName = args.Value("--scheme");
    if (!schemeName)
        args.Fail("missing option '--scheme'");
    UseDataFolder(args);
    const auto sprite = LoadSprite(args.Positionals()[0]);
    const TCScheme scheme = FindScheme(*schemeName);
    ApplyScheme(*sprite, scheme);
    sprite->SavePalette = sprite->CustomPalette;
    SaveSprite(*sprite, args.Positionals()[1], sprite->Format);
    return ExitOK;
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
