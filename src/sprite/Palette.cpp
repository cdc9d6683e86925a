#include "Palette.h"

#include "FileUtil.h"
#include "SHP.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

constexpr size_t PaletteFileBytes = 768;

// The per-game name of a table cell; "" for an empty cell or a value outside the table.
template <size_t N>
const char* Cell(const std::array<std::array<const char*, N>, GameCount>& table, TSHPGame game, uint8_t column)
{
    if (!IsValidGame(game) || column >= N)
        return "";
    return table[uint8_t(game)][column];
}

// The name of folder's entry that is name spelt exactly, or else one that differs from it only in
// case (game folders copied from elsewhere are often upper-case); "" when there is none. The
// listing gives the spelling on disk even where the file system ignores case, and that spelling
// is what the palette list shows.
std::string FindEntry(const std::string& folder, const std::string& name, bool wantFolder)
{
    std::string caseMatch;
    for (const TDirEntry& e : ListDirectory(folder)) {
        if (e.IsFolder != wantFolder || !SameTextNoCase(e.Name, name))
            continue;
        if (!wantFolder && !FileExists(AddTrailingBackslash(folder) + e.Name))
            continue; // a device or pipe is no palette
        if (e.Name == name)
            return e.Name;
        if (caseMatch.empty())
            caseMatch = e.Name;
    }
    return caseMatch;
}

// The game's palette sub-folder of root as spelt on disk (without separators); "" when none.
std::string FindGameFolder(const std::string& root, TSHPGame game)
{
    return IsValidGame(game) ? FindEntry(root, GameShortNames[uint8_t(game)], true) : std::string();
}

} // namespace

const std::array<std::array<const char*, SHPTypeCount>, GameCount> TypePalettes = {{
    // Animation, Building, IsoSnow, IsoTemperate, IsoUrban, Cameo, Unit
    {"", "", "", "", "", "", "temperat"},
    {"temperat", "temperat", "", "", "", "temperat", "temperat"},
    {"anim", "unittem", "", "", "", "cameo", "unittem"},
    {"anim", "unittem", "", "", "", "cameo", "unittem"},
}};

const std::array<std::array<const char*, TheatreCount>, GameCount> TheatrePalettes = {{
    // Default, Temperate, Snow, Urban, Lunar, Desert, NewUrban, Interior, Winter
    {"", "temperat", "", "", "", "desert", "", "", "winter"},
    {"", "temperat", "snow", "", "", "", "", "interior", ""},
    {"", "isotem", "isosno", "", "", "", "", "", ""},
    {"", "isotem", "isosno", "isourb", "isolun", "isodes", "isourn", "", ""},
}};

void LoadPaletteFile(const std::string& path, TPalette& dest)
{
    PaletteFromFileBytes(ReadFileHead(path, PaletteFileBytes), dest);
}

void PaletteFromFileBytes(std::span<const uint8_t> bytes, TPalette& dest)
{
    uint8_t raw[PaletteFileBytes] = {};
    std::memcpy(raw, bytes.data(), std::min(bytes.size(), PaletteFileBytes));
    for (size_t i = 0; i < dest.size(); ++i)
        dest[i] = MakeColour(uint8_t(raw[3 * i] * 4), uint8_t(raw[3 * i + 1] * 4), uint8_t(raw[3 * i + 2] * 4));
}

const TPalette& GreyPalette()
{
    static const TPalette grey = [] {
        TPalette p;
        for (size_t i = 0; i < p.size(); ++i)
            p[i] = MakeColour(uint8_t(i), uint8_t(i), uint8_t(i));
        return p;
    }();
    return grey;
}

std::string DefaultPaletteBaseName(TSHPGame game, TTheatre theatre, TSHPType type)
{
    const char* name = Cell(TheatrePalettes, game, uint8_t(theatre));
    if (!*name)
        name = Cell(TypePalettes, game, uint8_t(type));
    if (!*name)
        name = Cell(TypePalettes, game, uint8_t(TSHPType::Unit));
    return name;
}

std::string IsoPaletteBaseName(TSHPType type)
{
    if (type == TSHPType::BuildingIsoSnow)
        return "isosno";
    if (type == TSHPType::BuildingIsoTemperate)
        return "isotem";
    return "isourb";
}

void TSHP::LoadPalette(const std::string& path)
{
    LoadPaletteFile(path, Palette);
    InvalidateFrames();
}

void TSHP::SetPaletteFromValues(std::span<const uint32_t, 256> values)
{
    for (size_t i = 0; i < Palette.size(); ++i)
        Palette[i] = ColourFromValue(values[i]);
    CustomPalette = true;
    InvalidateFrames();
}

void TSHP::LoadDefaultPalette(const std::string& folder)
{
    PaletteName.clear();
    const std::string root = AddTrailingBackslash(folder);
    const std::string gameName = FindGameFolder(root, Game);
    if (gameName.empty())
        return;
    const std::string gameFolder = root + gameName + PathSeparator;
    const std::string wanted = DefaultPaletteBaseName(Game, Theatre, SHPType);
    const std::string fileName = wanted.empty() ? std::string() : FindEntry(gameFolder, wanted + ".pal", false);
    if (!fileName.empty()) {
        LoadPalette(gameFolder + fileName);
        PaletteName = gameName + PathSeparator + fileName;
        return;
    }
    const std::string fallback = FindEntry(gameFolder, FallbackPaletteName, false);
    if (!fallback.empty())
        LoadPalette(gameFolder + fallback);
}

std::optional<TPalette> DefaultPaletteOf(TSHPGame game, TSHPType type, const std::string& folder)
{
    TSHP probe;
    probe.Game = game;
    probe.SetSHPType(type);
    const TPalette before = probe.Palette;
    try {
        probe.LoadDefaultPalette(folder);
    } catch (const FileError&) {
        return std::nullopt;
    }
    if (probe.PaletteName.empty() && probe.Palette == before)
        return std::nullopt;
    return probe.Palette;
}

std::string FindPaletteBelow(const std::string& folder, const std::string& name)
{
    std::vector<std::string> parts(1);
    for (const char c : name) {
        if (c == '/' || c == PathSeparator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    std::string path = folder;
    for (size_t k = 0; k < parts.size(); ++k) {
        const bool last = k + 1 == parts.size();
        if (parts[k].empty() || parts[k] == "." || parts[k] == ".." || parts[k].find(':') != std::string::npos)
            return {};
        const std::string found = FindEntry(path, parts[k], !last);
        if (found.empty())
            return {};
        path = AddTrailingBackslash(path) + found;
    }
    return path;
}

void TSHP::GetIsoPalette(TPalette& dest)
{
    if (!IsoPalette) {
        if (!IsValidGame(Game))
            throw FileError("No iso palette for game value " + std::to_string(int(Game)) +
                            ": it names no palette folder");
        const std::string name = IsoPaletteBaseName(SHPType) + ".pal";
        std::string gameName = FindGameFolder(PaletteFolder(), Game);
        if (gameName.empty())
            gameName = GameShortNames[uint8_t(Game)];
        const std::string gameFolder = PaletteFolder() + gameName + PathSeparator;
        std::string fileName = FindEntry(gameFolder, name, false);
        if (fileName.empty())
            fileName = name; // the error then names the file that was looked for
        const std::string path = gameFolder + fileName;
        auto loaded = std::make_unique<TPalette>();
        LoadPaletteFile(path, *loaded);
        IsoPalette = std::move(loaded);
    }
    dest = *IsoPalette;
}

} // namespace vantrel
