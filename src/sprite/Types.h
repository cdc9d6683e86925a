// Basic types shared by the whole sprite core: colours, the classification enumerations and
// their name tables, the SHP file extensions, and the error types.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vantrel {

// A colour held blue, green, red, so that runs of them copy straight into 24-bit bitmap rows.
struct TColour24 {
    uint8_t B = 0;
    uint8_t G = 0;
    uint8_t R = 0;
    friend bool operator==(const TColour24&, const TColour24&) = default;
};
static_assert(sizeof(TColour24) == 3, "palette entries are packed");

using TPalette = std::array<TColour24, 256>;
static_assert(sizeof(TPalette) == 768);

constexpr TColour24 MakeColour(uint8_t red, uint8_t green, uint8_t blue) { return {blue, green, red}; }

// From a 0x00RRGGBB value (blue in the low byte).
constexpr TColour24 ColourFromValue(uint32_t value)
{
    return {uint8_t(value & 0xFF), uint8_t((value >> 8) & 0xFF), uint8_t((value >> 16) & 0xFF)};
}

// To 0xFFRRGGBB.
constexpr uint32_t ColourToARGB(TColour24 c)
{
    return uint32_t(c.B) | uint32_t(c.G) << 8 | uint32_t(c.R) << 16 | 0xFF000000u;
}

// The system colour value of colour choosers and panels has red in the low byte (0x00BBGGRR).
constexpr uint32_t ColourToSystem(TColour24 c) { return uint32_t(c.R) | uint32_t(c.G) << 8 | uint32_t(c.B) << 16; }
constexpr TColour24 ColourFromSystem(uint32_t v)
{
    return {uint8_t((v >> 16) & 0xFF), uint8_t((v >> 8) & 0xFF), uint8_t(v & 0xFF)};
}

enum class TSHPFormat : uint8_t { None, TD, TS };

// Values outside the enumerators can come from a file's palette trailer; they are kept as they
// are, and every lookup below answers them safely.
enum class TSHPGame : uint8_t { TD, RA1, TS, RA2 };

enum class TSHPType : uint8_t {
    Animation,
    Building,
    BuildingIsoSnow,
    BuildingIsoTemperate,
    BuildingIsoUrban,
    Cameo,
    Unit,
};

enum class TTheatre : uint8_t { Default, Temperate, Snow, Urban, Lunar, Desert, NewUrban, Interior, Winter };

constexpr int GameCount = 4;
constexpr int SHPTypeCount = 7;
constexpr int TheatreCount = 9;

extern const std::array<const char*, GameCount> GameNames;
extern const std::array<const char*, GameCount> GameShortNames;
extern const std::array<const char*, SHPTypeCount> SHPTypeNames;
extern const std::array<const char*, TheatreCount> TheatreNames;

// Name lookups that answer "" for a value outside the table.
std::string_view GameName(TSHPGame game);
std::string_view GameShortName(TSHPGame game);
std::string_view SHPTypeName(TSHPType type);
std::string_view TheatreName(TTheatre theatre);

constexpr bool IsValidGame(TSHPGame g) { return uint8_t(g) < GameCount; }
constexpr bool IsValidSHPType(TSHPType t) { return uint8_t(t) < SHPTypeCount; }
constexpr bool IsIsoBuilding(TSHPType t)
{
    return t == TSHPType::BuildingIsoSnow || t == TSHPType::BuildingIsoTemperate || t == TSHPType::BuildingIsoUrban;
}

struct TPalExt {
    const char* Ext;
    TTheatre Theatre;
};
extern const std::array<TPalExt, 9> PalExtensions;

// True when ext (with its leading dot, any case) is one of the nine SHP extensions.
bool IsSHPExtension(std::string_view ext);
// The theatre of ext, compared case-sensitively; Default when none matches.
TTheatre TheatreFromExtension(std::string_view ext);

// The assertion failures of the system: misuse of an operation, with a fixed message.
class AssertionError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// A file-system error: the message names the file and the system's reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A sprite that cannot be read or written safely (a file that would need memory out of all
// proportion to its size, a sprite the 16-bit fields of the file cannot hold).
class SHPError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vantrel
