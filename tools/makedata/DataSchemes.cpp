// Colour schemes: a default.bcs with the common remap moves and a greyscale, and .cscheme files
// in nested folders.
#include "MakeData.h"

#include <array>
#include <cmath>
#include <string>

namespace vantrel::makedata {

namespace {

using TMap = std::array<uint8_t, 256>;

struct TScheme {
    std::string Name;
    uint8_t Category; // an index into the Colour Switcher's category names
    TMap Map;
};

TMap Identity()
{
    TMap map;
    for (size_t i = 0; i < map.size(); ++i)
        map[i] = uint8_t(i);
    return map;
}

// Moves the 16 entries of one ramp onto another.
TMap MoveRamp(int from, int to)
{
    TMap map = Identity();
    for (int k = 0; k < 16; ++k)
        map[size_t(from + k)] = uint8_t(to + k);
    return map;
}

double Luminance(TColour24 c) { return 0.299 * c.R + 0.587 * c.G + 0.114 * c.B; }

// Every colour onto the entry of a set whose lightness is nearest; 0 and the shadow entry stay.
TMap ByLightness(const std::vector<int>& targets)
{
    const TPalette pal = MakePalette(TSHPGame::TS, "unittem");
    TMap map = Identity();
    for (int i = 2; i < 256; ++i) {
        int best = targets.front();
        for (int t : targets)
            if (std::abs(Luminance(pal[size_t(t)]) - Luminance(pal[size_t(i)])) <
                std::abs(Luminance(pal[size_t(best)]) - Luminance(pal[size_t(i)])))
                best = t;
        map[size_t(i)] = uint8_t(best);
    }
    return map;
}

std::vector<int> RampEntries(int first, int count = 16)
{
    std::vector<int> entries;
    for (int k = 0; k < count; ++k)
        entries.push_back(first + k);
    return entries;
}

TMap Greyscale()
{
    std::vector<int> greys = RampEntries(ramp::Grey);
    for (int k = 2; k < 16; ++k)
        greys.push_back(ramp::DarkGrey + k);
    greys.push_back(255);
    return ByLightness(greys);
}

TMap LightsOut()
{
    TMap map = Identity();
    for (int i = ramp::Lights; i < 255; ++i)
        map[size_t(i)] = uint8_t(ramp::DarkGrey + 6 + (i - ramp::Lights) % 6);
    return map;
}

std::vector<uint8_t> EncodeBCS(const std::vector<TScheme>& schemes)
{
    std::vector<uint8_t> bytes = {uint8_t(schemes.size()), uint8_t(schemes.size() >> 8)};
    for (const TScheme& s : schemes) {
        bytes.push_back(s.Category);
        bytes.insert(bytes.end(), s.Map.begin(), s.Map.end());
        bytes.push_back(uint8_t(s.Name.size()));
        bytes.push_back(uint8_t(s.Name.size() >> 8));
        bytes.insert(bytes.end(), s.Name.begin(), s.Name.end());
    }
    return bytes;
}

// The text of a .cscheme file: only the entries the scheme changes are listed.
std::string SchemeText(const TScheme& s, bool hexCategory = false)
{
    std::string text = "[Info]\r\nName=" + s.Name + "\r\ngametype=";
    if (hexCategory) {
        static const char digits[] = "0123456789ABCDEF";
        text += std::string("0x") + digits[s.Category >> 4] + digits[s.Category & 15];
    } else {
        text += std::to_string(s.Category);
    }
    text += "\r\n\r\n[Data]\r\n";
    for (size_t i = 0; i < s.Map.size(); ++i)
        if (s.Map[i] != i)
            text += std::to_string(i) + "=" + std::to_string(s.Map[i]) + "\r\n";
    return text;
}

void WriteText(TDataWriter& out, const std::string& relative, const std::string& text)
{
    out.Write(relative, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// Category numbers of the Colour Switcher.
enum : uint8_t {
    CatTS = 1,
    CatAllied = 4,
    CatSoviet = 5,
    CatGrayscale = 8,
    CatRemap = 9,
    CatBrown = 10,
    CatBlue = 12,
    CatGreen = 13,
    CatNoUnlit = 14,
    CatRed = 15,
    CatOthers = 17,
    CatTD = 18,
    CatRA1 = 19,
};

} // namespace

void MakeSchemes(TDataWriter& out)
{
    const int ts = RemapStart(TSHPGame::TS), ra1 = RemapStart(TSHPGame::RA1), td = RemapStart(TSHPGame::TD);
    const std::vector<TScheme> library = {
        {"Blue (TS/RA2 remap)", CatBlue, MoveRamp(ts, ramp::Blue)},
        {"Green (TS/RA2 remap)", CatGreen, MoveRamp(ts, ramp::Green)},
        {"Red (TS/RA2 remap)", CatRed, MoveRamp(ts, ramp::Red)},
        {"Brown (TS/RA2 remap)", CatBrown, MoveRamp(ts, ramp::Earth)},
        {"TS/RA2 remap to RA1 remap", CatRemap, MoveRamp(ts, ra1)},
        {"RA1 remap to TS/RA2 remap", CatRemap, MoveRamp(ra1, ts)},
        {"TD remap to Blue", CatTD, MoveRamp(td, ramp::Blue)},
        {"RA1 remap to Green", CatRA1, MoveRamp(ra1, ramp::Green)},
        {"Greyscale", CatGrayscale, Greyscale()},
    };
    out.Write("cscheme/default.bcs", EncodeBCS(library));

    WriteText(out, "cscheme/Tiberian Sun/Nod Red.cscheme", SchemeText({"Nod Red", CatTS, MoveRamp(ts, ramp::Red)}));
    WriteText(out, "cscheme/Red Alert 2/Allied/Allied Blue.cscheme",
              SchemeText({"Allied Blue", CatAllied, MoveRamp(ts, ramp::Blue)}));
    WriteText(out, "cscheme/Red Alert 2/Soviet/Soviet Orange.cscheme",
              SchemeText({"Soviet Orange", CatSoviet, MoveRamp(ts, ramp::Orange)}));
    WriteText(out, "cscheme/Tiberian Dawn/GDI to Nod.cscheme",
              SchemeText({"GDI to Nod", CatTD, MoveRamp(td, ramp::Red)}, true));
    WriteText(out, "cscheme/Others/Lights Out.cscheme", SchemeText({"Lights Out", CatNoUnlit, LightsOut()}));
    WriteText(out, "cscheme/Others/Sepia.cscheme",
              SchemeText({"Sepia", CatOthers, ByLightness(RampEntries(ramp::Earth))}));
}

} // namespace vantrel::makedata
