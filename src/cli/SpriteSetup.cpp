#include "SpriteSetup.h"

#include "imaging/ImageFormats.h"
#include "imaging/StandardFolders.h"
#include "sprite/Bmp8.h"
#include "sprite/FileUtil.h"
#include "sprite/Palette.h"
#include "sprite/SideColours.h"
#include "sprite/Text.h"
#include "sprite/WorkBudget.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <new>

namespace vantrel::cli {

namespace {

std::string WithoutBlanks(std::string_view s)
{
    std::string r;
    for (char c : s)
        if (c != ' ' && c != '-' && c != '_')
            r += c;
    return LowerCase(r);
}

} // namespace

std::vector<TOptionSpec> LookOptions()
{
    return {{"--game", true}, {"--type", true}, {"--palette", true}, DataDirOption()};
}

TOptionSpec DataDirOption() { return {"--data-dir", true}; }

void UseDataFolder(const TArgs& args)
{
    const std::optional<std::string> dir = args.Value("--data-dir");
    if (!dir) {
        SetAppFolder("");
        UseStandardDataFolders();
        return;
    }
    if (!DirectoryExists(*dir))
        ThrowInput("Cannot use data folder " + Quoted(*dir) + ": no such folder");
    SetAppFolder(*dir);
}

std::unique_ptr<TSHP> LoadSprite(const std::string& path, bool keepHeaders)
{
    auto sprite = std::make_unique<TSHP>();
    sprite->KeepHeaders = keepHeaders;
    Reading([&] { sprite->LoadFromFile(path); }, "read " + Quoted(path));
    if (sprite->Format == TSHPFormat::None)
        ThrowInput(NotSHPMessage(path));
    return sprite;
}

void RequireWithinBudget(const std::string& action, const std::string& file, const std::string& what,
                         uint64_t pictureWidth, uint64_t pictureHeight, uint64_t workPixels, uint64_t files,
                         uint64_t weight)
{
    std::string problem = PictureSizeProblem(pictureWidth, pictureHeight);
    if (problem.empty()) {
        std::error_code ec;
        const uintmax_t fileBytes = std::filesystem::file_size(std::u8string(file.begin(), file.end()), ec);
        problem = WorkProblem(workPixels, files, ec ? 0 : uint64_t(fileBytes), weight);
    }
    if (!problem.empty())
        ThrowInput("Cannot " + action + " " + Quoted(file) + ", " + what + ": " + problem);
}

std::string FramesText(const TSHP& sprite)
{
    return std::to_string(sprite.FrameCount()) + " frame(s) of " + std::to_string(sprite.Width) + " x " +
           std::to_string(sprite.Height) + " pixels";
}

std::string NotSHPMessage(const std::string& path)
{
    return "Cannot read file " + Quoted(path) + ": not an SHP file (neither the TD/RA1 nor the TS/RA2 layout)";
}

std::optional<TSHPGame> ParseGame(std::string_view text)
{
    for (int g = 0; g < GameCount; ++g)
        if (SameTextNoCase(text, GameShortNames[size_t(g)]) || SameTextNoCase(text, GameNames[size_t(g)]))
            return TSHPGame(g);
    return std::nullopt;
}

std::optional<TSHPType> ParseSHPType(std::string_view text)
{
    for (int t = 0; t < SHPTypeCount; ++t)
        if (SameTextNoCase(text, SHPTypeNames[size_t(t)]))
            return TSHPType(t);
    return std::nullopt;
}

std::optional<uint32_t> ParseSideColour(std::string_view text)
{
    if (text.size() == 7 && text[0] == '#') {
        uint32_t value = 0;
        for (size_t i = 1; i < 7; ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0)
                return std::nullopt;
            value = value << 4 | uint32_t(d);
        }
        return value;
    }
    for (const TSideColourItem& c : SideColours)
        if (WithoutBlanks(text) == WithoutBlanks(c.Caption))
            return ColourToARGB(c.Colour) & 0xFFFFFF;
    return std::nullopt;
}

std::string DefaultPaletteDescription(const TSHP& sprite)
{
    const std::string game(GameShortName(sprite.Game));
    const std::string sep(1, PathSeparator);
    const std::string wanted = DefaultPaletteBaseName(sprite.Game, sprite.Theatre, sprite.SHPType) + ".pal";
    const std::string fallback = game + sep + FallbackPaletteName;
    return wanted == FallbackPaletteName ? fallback : game + sep + wanted + " or " + fallback;
}

void ApplyGameAndType(TSHP& sprite, const TArgs& args)
{
    if (const auto text = args.Value("--game")) {
        const auto game = ParseGame(*text);
        if (!game)
            args.Fail("unknown game '" + *text + "' (td, ra1, ts or ra2)");
        sprite.Game = *game;
    }
    if (const auto text = args.Value("--type")) {
        const auto type = ParseSHPType(*text);
        if (!type)
            args.Fail("unknown sprite type '" + *text + "'");
        sprite.SetSHPType(*type);
    }
}

void ChoosePalette(TSHP& sprite, const TArgs& args)
{
    if (const auto palette = args.Value("--palette")) {
        // A name that is no file here may name one below the palette folder ("TS/unittem.pal").
        const std::string below = FileExists(*palette) ? std::string() : FindPaletteBelow(PaletteFolder(), *palette);
        Reading([&] { sprite.LoadPalette(below.empty() ? *palette : below); });
        return;
    }
    if (sprite.CustomPalette)
        return;
    const TPalette before = sprite.Palette;
    Reading([&] { sprite.LoadDefaultPalette(PaletteFolder()); });
    if (sprite.PaletteName.empty() && sprite.Palette == before)
        ThrowInput("No palette for " + Quoted(sprite.FileName) + " in " + Quoted(PaletteFolder()) + " (looked for " +
                   DefaultPaletteDescription(sprite) + "); give --palette FILE.pal or --data-dir DIR");
}

void ChooseLook(TSHP& sprite, const TArgs& args)
{
    ApplyGameAndType(sprite, args);
    ChoosePalette(sprite, args);
}

const char* LayoutName(TSHPFormat format)
{
    switch (format) {
    case TSHPFormat::TD:
        return "TD/RA1";
    case TSHPFormat::TS:
        return "TS/RA2";
    default:
        return "none";
    }
}

namespace {
thread_local int WriterThreads = 0;
}

void SetWriterThreads(int threads)
{
    WriterThreads = threads;
}

void SaveSprite(TSHP& sprite, const std::string& path, TSHPFormat layout)
{
    sprite.TDWriterThreads = WriterThreads;
    try {
        sprite.SaveToFile(path, layout);
    } catch (const SHPError& e) {
        ThrowInput("Cannot save " + Quoted(sprite.FileName) + " as " + Quoted(path) + ": " + e.what());
    } catch (const FileError& e) {
        ThrowOutput(e.what());
    } catch (const std::bad_alloc&) {
        ThrowOutput("Not enough memory to write " + Quoted(path) + ": " + std::to_string(sprite.FrameCount()) +
                    " frame(s) of " + std::to_string(sprite.Width) + " x " + std::to_string(sprite.Height) +
                    " pixels in the " + LayoutName(layout) + " layout");
    }
}

uint8_t ParseCompression(const TArgs& args)
{
    const std::optional<std::string> text = args.Value("--compression");
    if (!text)
        return 0;
    static const std::array<const char*, 4> names{"auto", "half", "all", "none"};
    for (size_t i = 0; i < names.size(); ++i)
        if (SameTextNoCase(*text, names[i]))
            return uint8_t(i);
    args.Fail("unknown compression '" + *text + "' (auto, half, all or none)");
}

std::optional<TSHPFormat> ParseLayout(const TArgs& args)
{
    const std::optional<std::string> text = args.Value("--layout");
    if (!text)
        return std::nullopt;
    if (SameTextNoCase(*text, "ts"))
        return TSHPFormat::TS;
    if (SameTextNoCase(*text, "td"))
        return TSHPFormat::TD;
    args.Fail("unknown layout '" + *text + "' (ts or td)");
}

void ReadingPictures(const std::function<void()>& f, const std::string& task)
{
    Reading([&] {
        try {
            f();
        } catch (const FormatError& e) {
            ThrowInput(e.what());
        } catch (const BmpError& e) {
            ThrowInput(e.what());
        }
    }, task);
}

std::string MatchSummary(const TMatchStats& stats)
{
    std::string text = std::to_string(stats.InexactPixels) + " pixel(s) matched inexactly";
    if (stats.InexactPixels > 0) {
        char distance[32];
        std::snprintf(distance, sizeof distance, "%.1f", stats.MaxDistance);
        text += std::string(" (largest colour difference ") + distance + ")";
    }
    return text;
}

bool ParseFrameSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    const auto w = ParseInteger(text.substr(0, x));
    const auto h = ParseInteger(text.substr(x + 1));
    if (!w || !h || *w < 1 || *h < 1 || *w > 65535 || *h > 65535 || text[0] == '+' || text[x + 1] == '+')
        return false;
    width = int(*w);
    height = int(*h);
    return true;
}

} // namespace vantrel::cli
