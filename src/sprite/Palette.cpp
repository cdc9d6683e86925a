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

// The entry of folder named name without regard to case, when it is a regular file; "" else.
std::string FindFileNoCase(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return {};
    const std::string path = FindNoCase(folder, name);
    return FileExists(path) ? path : std::string();
}

// The game's palette sub-folder of root as it is spelt on disk, with a trailing separator;
// "" when there is none.
std::string FindGameFolder(const std::string& root, TSHPGame game)
{
    if (!IsValidGame(game))
        return {};
    const std::string path = FindNoCase(root, GameShortNames[uint8_t(game)]);
    return DirectoryExists(path) ? AddTrailingBackslash(path) : std::string();
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
    const std::vector<uint8_t> bytes = ReadFileHead(path, PaletteFileBytes);
    uint8_t raw[PaletteFileBytes] = {};
    std::memcpy(raw, bytes.data(), bytes.size());
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
    const std::string gameFolder = FindGameFolder(AddTrailingBackslash(folder), Game);
    if (gameFolder.empty())
        return;
    const std::string wanted = DefaultPaletteBaseName(Game, Theatre, SHPType);
    const std::string path = wanted.empty() ? std::string() : FindFileNoCase(gameFolder, wanted + ".pal");
    if (!path.empty()) {
        LoadPalette(path);
        // The name as spelt on disk, relative to the palette folder, as the palette list shows it.
        std::string gameName = gameFolder.substr(0, gameFolder.size() - 1);
        PaletteName = ExtractFileName(gameName) + PathSeparator + ExtractFileName(path);
        return;
    }
    const std::string fallback = FindFileNoCase(gameFolder, FallbackPaletteName);
    if (!fallback.empty())
        LoadPalette(fallback);
}

void TSHP::GetIsoPalette(TPalette& dest)
{
    if (!IsoPalette) {
        if (!IsValidGame(Game))
            throw FileError("No iso palette for game value " + std::to_string(int(Game)) +
                            ": it names no palette folder");
        const std::string name = IsoPaletteBaseName(SHPType) + ".pal";
        const std::string gameFolder = FindGameFolder(PaletteFolder(), Game);
        std::string path = FindFileNoCase(gameFolder, name);
        if (path.empty())
            path = PaletteFolder() + GameShortNames[uint8_t(Game)] + PathSeparator + name;
        auto loaded = std::make_unique<TPalette>();
        LoadPaletteFile(path, *loaded);
        IsoPalette = std::move(loaded);
    }
    dest = *IsoPalette;
}

} // namespace vantrel
