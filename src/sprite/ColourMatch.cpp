#include "ColourMatch.h"

#include "SHP.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantrel {

namespace {

uint32_t Key(TColour24 c) { return uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B; }

double Linear(uint8_t channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double LabF(double t)
{
    constexpr double delta = 6.0 / 29.0;
    return t > delta * delta * delta ? std::cbrt(t) : t / (3 * delta * delta) + 4.0 / 29.0;
}

struct TLab {
    double L, A, B;
};

TLab ToLab(TColour24 c)
{
    const double r = Linear(c.R), g = Linear(c.G), b = Linear(c.B);
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const double fx = LabF(x), fy = LabF(y), fz = LabF(z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double SquaredDistance(const TLab& p, const TLab& q)
{
    const double dl = p.L - q.L, da = p.A - q.A, db = p.B - q.B;
    return dl * dl + da * da + db * db;
}

// Colours looked up inexactly are remembered up to this many; then the memory starts afresh.
constexpr size_t MaxRemembered = size_t(1) << 20;

} // namespace

TIndexRange RemapEntries(TSHPGame game)
{
    switch (game) {
    case TSHPGame::TD:
        return {176, 191};
    case TSHPGame::RA1:
        return {80, 95};
    case TSHPGame::TS:
    case TSHPGame::RA2:
        return {16, 31};
    default:
        return {};
    }
}

void TMatchStats::Add(const TMatchStats& other)
{
    InexactPixels += other.InexactPixels;
    MaxDistance = std::max(MaxDistance, other.MaxDistance);
}

double ColourDistance(TColour24 a, TColour24 b) { return std::sqrt(SquaredDistance(ToLab(a), ToLab(b))); }

TColourMatcher::TColourMatcher(const TPalette& palette, TSHPGame game)
{
    const TIndexRange remap = RemapEntries(game);
    const uint8_t shadow = IsValidGame(game) ? ShadowIndices[size_t(game)] : 0;
    for (int e = 1; e < 256; ++e) {
        const TLab lab = ToLab(palette[size_t(e)]);
        Lab[size_t(e)] = {lab.L, lab.A, lab.B};
        Allowed[size_t(e)] = !remap.Holds(e) && e != shadow;
        Exact.try_emplace(Key(palette[size_t(e)]), uint8_t(e));
    }
}

uint8_t TColourMatcher::Nearest(TColour24 colour, double& distance)
{
    distance = 0;
    const uint32_t key = Key(colour);
    if (const auto exact = Exact.find(key); exact != Exact.end())
        return exact->second;
    if (const auto known = Inexact.find(key); known != Inexact.end()) {
        distance = known->second.Distance;
        return known->second.Index;
    }
    const TLab lab = ToLab(colour);
    TFound best{0, std::numeric_limits<double>::infinity()};
    for (int e = 1; e < 256; ++e) {
        const TLab entry{Lab[size_t(e)][0], Lab[size_t(e)][1], Lab[size_t(e)][2]};
        if (Allowed[size_t(e)])
            if (const double d = SquaredDistance(lab, entry); d < best.Distance)
                best = {uint8_t(e), d};
    }
    best.Distance = std::sqrt(best.Distance);
    if (Inexact.size() >= MaxRemembered)
        Inexact.clear();
    Inexact.emplace(key, best);
    distance = best.Distance;
    return best.Index;
}

uint8_t TColourMatcher::Match(TColour24 colour, uint8_t alpha, uint64_t pixels)
{
    if (alpha < MatchAlphaThreshold)
        return 0;
    double distance = 0;
    const uint8_t index = Nearest(colour, distance);
    if (distance > 0) {
        Stats.InexactPixels += pixels;
        Stats.MaxDistance = std::max(Stats.MaxDistance, distance);
    }
    return index;
}

} // namespace vantrel
