#include "Types.h"

#include "FileUtil.h"

namespace vantrel {

const std::array<const char*, GameCount> GameNames = {"Tiberian Dawn", "Red Alert", "Tiberian Sun", "Red Alert 2"};
const std::array<const char*, GameCount> GameShortNames = {"TD", "RA1", "TS", "RA2"};
const std::array<const char*, SHPTypeCount> SHPTypeNames = {
    "Animation", "Building", "Building (IsoSnow)", "Building (IsoTemperate)", "Building (IsoUrban)", "Cameo", "Unit"};
const std::array<const char*, TheatreCount> TheatreNames = {
    "Default", "Temperate", "Snow", "Urban", "Lunar", "Desert", "New Urban", "Interior", "Winter"};

const std::array<TPalExt, 9> PalExtensions = {{
    {".shp", TTheatre::Default},
    {".tem", TTheatre::Temperate},
    {".sno", TTheatre::Snow},
    {".urb", TTheatre::Urban},
    {".lun", TTheatre::Lunar},
    {".des", TTheatre::Desert},
    {".ubn", TTheatre::NewUrban},
    {".int", TTheatre::Interior},
    {".win", TTheatre::Winter},
}};

namespace {
template <size_t N>
std::string_view NameOf(const std::array<const char*, N>& table, uint8_t value)
{
    return value < N ? table[value] : "";
}
} // namespace

std::string_view GameName(TSHPGame game) { return NameOf(GameNames, uint8_t(game)); }
std::string_view GameShortName(TSHPGame game) { return NameOf(GameShortNames, uint8_t(game)); }
std::string_view SHPTypeName(TSHPType type) { return NameOf(SHPTypeNames, uint8_t(type)); }
std::string_view TheatreName(TTheatre theatre) { return NameOf(TheatreNames, uint8_t(theatre)); }

bool IsSHPExtension(std::string_view ext)
{
    const std::string lower = LowerCase(ext);
    for (const TPalExt& p : PalExtensions)
        if (lower == p.Ext)
            return true;
    return false;
}

TTheatre TheatreFromExtension(std::string_view ext)
{
    for (const TPalExt& p : PalExtensions)
        if (ext == p.Ext)
            return p.Theatre;
    return TTheatre::Default;
}

} // namespace vantrel
