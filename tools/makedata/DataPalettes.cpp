// The project's own palettes: ramps of sixteen shades, the game's remap range as a ramp of one
// hue, bright lights at 240..254, and a tint per theatre.
#include "MakeData.h"

#include <array>
#include <stdexcept>

namespace vantrel::makedata {

const std::vector<std::string> PaletteNames = {"temperat", "desert",  "winter", "snow",   "interior",
                                               "anim",     "unittem", "cameo",  "isotem", "isosno",
                                               "isourb",   "isolun",  "isodes", "isourn"};

namespace {

// A colour of the .pal file: 6 bits a channel.
struct TRGB6 {
    int R = 0, G = 0, B = 0;
};

struct TRamp {
    int Start;
    TRGB6 Bright;
    TRGB6 Dark;
};

// The ramps every palette holds. The three remap positions hold these ramps in the games whose
// remap range lies elsewhere.
constexpr std::array<TRamp, 14> BaseRamps = {{
    {ramp::Teal, {30, 60, 56}, {2, 12, 12}},
    {ramp::Grey, {60, 60, 60}, {14, 14, 14}},
    {ramp::Skin, {63, 50, 40}, {22, 12, 7}},
    {ramp::Earth, {50, 38, 24}, {10, 6, 2}},
    {ramp::Purple, {52, 36, 63}, {10, 4, 16}},
    {ramp::Green, {38, 60, 26}, {4, 14, 2}},
    {ramp::Blue, {32, 46, 63}, {2, 6, 20}},
    {ramp::Red, {63, 26, 20}, {16, 2, 2}},
    {ramp::Metal, {54, 58, 62}, {10, 12, 16}},
    {ramp::Sand, {63, 58, 42}, {26, 20, 9}},
    {ramp::Olive, {46, 48, 22}, {10, 11, 3}},
    {ramp::Foliage, {30, 44, 16}, {3, 9, 2}},
    {ramp::Orange, {63, 46, 12}, {22, 7, 0}},
    {ramp::Concrete, {52, 50, 46}, {12, 11, 10}},
}};

// The remap ramp of each game: one hue, bright to dark.
constexpr std::array<TRamp, GameCount> RemapRamps = {{
    {176, {63, 56, 22}, {14, 9, 0}},  // TD: gold
    {80, {63, 22, 18}, {14, 0, 0}},   // RA1: red
    {16, {63, 52, 14}, {16, 9, 0}},   // TS: gold
    {16, {63, 18, 16}, {15, 0, 0}},   // RA2: red
}};

// Bright lights: yellow, orange, red, green, cyan, blue, white and warm white, in a few steps.
constexpr std::array<TRGB6, 15> Lights = {{
    {63, 63, 20}, {63, 56, 0}, {63, 44, 0}, {63, 30, 0}, {63, 12, 6},
    {63, 0, 0},   {30, 63, 20}, {0, 63, 0}, {20, 63, 63}, {0, 48, 63},
    {24, 32, 63}, {63, 40, 63}, {63, 63, 44}, {56, 63, 63}, {63, 63, 63},
}};

constexpr TRGB6 TransparentEntry = {63, 0, 63}; // loud magenta: never drawn
constexpr TRGB6 ShadowEntry = {6, 6, 8};

struct TTint {
    const char* Name;
    TRGB6 Colour;
    int Percent;
};

// How each palette is tinted: the theatre's light on everything but the transparent entry, the
// remap range and the lights.
constexpr std::array<TTint, 14> Tints = {{
    {"temperat", {34, 46, 26}, 10},
    {"desert", {60, 48, 28}, 28},
    {"winter", {56, 58, 60}, 24},
    {"snow", {52, 58, 63}, 34},
    {"interior", {40, 27, 16}, 28},
    {"anim", {63, 50, 30}, 12},
    {"unittem", {0, 0, 0}, 0},
    {"cameo", {40, 44, 48}, 6},
    {"isotem", {30, 46, 24}, 16},
    {"isosno", {54, 58, 63}, 34},
    {"isourb", {40, 40, 42}, 26},
    {"isolun", {28, 34, 50}, 32},
    {"isodes", {62, 50, 30}, 32},
    {"isourn", {46, 41, 38}, 24},
}};

void FillRamp(std::array<TRGB6, 256>& pal, const TRamp& r, int first, int count)
{
    for (int k = 0; k < count; ++k) {
        const int d = count - 1;
        auto mix = [&](int bright, int dark) { return (bright * (d - k) + dark * k + d / 2) / d; };
        pal[size_t(first + k)] = {mix(r.Bright.R, r.Dark.R), mix(r.Bright.G, r.Dark.G), mix(r.Bright.B, r.Dark.B)};
    }
}

const TTint& TintOf(const std::string& name)
{
    for (const TTint& t : Tints)
        if (name == t.Name)
            return t;
    throw std::invalid_argument("No palette named " + name);
}

TRGB6 Tinted(TRGB6 c, const TTint& t)
{
    auto mix = [&](int v, int w) { return (v * (100 - t.Percent) + w * t.Percent + 50) / 100; };
    return {mix(c.R, t.Colour.R), mix(c.G, t.Colour.G), mix(c.B, t.Colour.B)};
}

std::array<TRGB6, 256> Palette6(TSHPGame game, const std::string& name)
{
    std::array<TRGB6, 256> pal{};
    FillRamp(pal, {0, {30, 30, 32}, {3, 3, 4}}, 2, 14);
    pal[1] = ShadowEntry;
    for (const TRamp& r : BaseRamps)
        FillRamp(pal, r, r.Start, 16);
    const TRamp& remap = RemapRamps[uint8_t(game)];
    FillRamp(pal, remap, remap.Start, 16);

    const TTint& tint = TintOf(name);
    for (int i = 1; i < ramp::Lights; ++i)
        if (i < remap.Start || i >= remap.Start + 16)
            pal[size_t(i)] = Tinted(pal[size_t(i)], tint);
    for (size_t k = 0; k < Lights.size(); ++k)
        pal[ramp::Lights + k] = Lights[k];
    pal[255] = {63, 63, 63};
    pal[0] = TransparentEntry;
    return pal;
}

} // namespace

int RemapStart(TSHPGame game) { return RemapRamps[uint8_t(game)].Start; }

std::vector<uint8_t> MakePaletteFile(TSHPGame game, const std::string& name)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(768);
    for (const TRGB6& c : Palette6(game, name)) {
        bytes.push_back(uint8_t(c.R));
        bytes.push_back(uint8_t(c.G));
        bytes.push_back(uint8_t(c.B));
    }
    return bytes;
}

TPalette MakePalette(TSHPGame game, const std::string& name)
{
    TPalette pal;
    const std::array<TRGB6, 256> p6 = Palette6(game, name);
    for (size_t i = 0; i < pal.size(); ++i)
        pal[i] = MakeColour(uint8_t(p6[i].R * 4), uint8_t(p6[i].G * 4), uint8_t(p6[i].B * 4));
    return pal;
}

void MakePalettes(TDataWriter& out)
{
    for (int g = 0; g < GameCount; ++g)
        for (const std::string& name : PaletteNames)
            out.Write(std::string("palette/") + GameShortNames[size_t(g)] + "/" + name + ".pal",
                      MakePaletteFile(TSHPGame(g), name));
}

} // namespace vantrel::makedata
