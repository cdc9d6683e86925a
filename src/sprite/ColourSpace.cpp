#include "ColourSpace.h"

#include <algorithm>

// Every step below is written as one expression per stored value so that the last bit of each
// result is fixed: the operands are widened to long double, the expression is evaluated there,
// and the result is rounded to float when stored. Contracting a product and a sum into one
// fused operation would change that rounding, so it is switched off where the compiler offers a
// switch (x87 long double arithmetic has no fused operation to contract into anyway).
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

namespace vantrel {

namespace {

using Ext = long double;

constexpr Ext OneThird = 1.0L / 3.0L;
constexpr Ext TwoThirds = 2.0L / 3.0L;

float Store(Ext value) { return static_cast<float>(value); }

// Truncation toward zero of value x 255 into a byte.
uint8_t ToByte(float value)
{
    const Ext scaled = Ext(255) * value;
    if (!(scaled > 0))
        return 0;
    return scaled >= 255 ? 255 : uint8_t(static_cast<int>(scaled));
}

float HueOffset(float delta, float mx, float channel)
{
    const Ext sixth = (Ext(mx) - channel) / 6;
    const Ext half = Ext(delta) / 2;
    return Store((sixth + half) / delta);
}

} // namespace

THSL RGBToHSL(TColour24 colour)
{
    const float r = Store(Ext(colour.R) / 255);
    const float g = Store(Ext(colour.G) / 255);
    const float b = Store(Ext(colour.B) / 255);
    const float mn = std::min(std::min(g, r), b);
    const float mx = std::max(std::max(g, r), b);
    const float delta = Store(Ext(mx) - mn);

    THSL hsl;
    hsl.Lightness = Store((Ext(mx) + mn) / 2);
    if (delta == 0)
        return hsl;
    if (hsl.Lightness < 0.5f)
        hsl.Saturation = Store(Ext(delta) / (Ext(mx) + mn));
    else
        hsl.Saturation = Store(Ext(delta) / ((2 - Ext(mx)) - mn));

    const float dR = HueOffset(delta, mx, r);
    const float dG = HueOffset(delta, mx, g);
    const float dB = HueOffset(delta, mx, b);
    float hue;
    if (r == mx)
        hue = Store(Ext(dB) - dG);
    else if (g == mx)
        hue = Store((OneThird + dR) - dB);
    else
        hue = Store((TwoThirds + dG) - dR);
    if (hue < 0)
        hue = Store(Ext(hue) + 1);
    if (hue > 1)
        hue = Store(Ext(hue) - 1);
    hsl.Hue = hue;
    return hsl;
}

float HueToRGB(float lo, float hi, float h)
{
    if (h < 0)
        h = Store(Ext(h) + 1);
    if (h > 1)
        h = Store(Ext(h) - 1);
    const Ext span = Ext(hi) - lo;
    if (6 * Ext(h) < 1) {
        const Ext rise = (span * 6) * h;
        return Store(rise + lo);
    }
    if (2 * Ext(h) < 1)
        return hi;
    if (3 * Ext(h) < 2) {
        const Ext fall = (span * (TwoThirds - h)) * 6;
        return Store(fall + lo);
    }
    return lo;
}

TColour24 HSLToRGB(const THSL& hsl)
{
    const float l = hsl.Lightness;
    const float s = hsl.Saturation;
    if (s == 0) {
        const uint8_t grey = ToByte(l);
        return MakeColour(grey, grey, grey);
    }
    float hi;
    if (l < 0.5f) {
        hi = Store((1 + Ext(s)) * l);
    } else {
        const Ext product = Ext(s) * l;
        hi = Store((Ext(l) + s) - product);
    }
    const Ext twice = 2 * Ext(l);
    const float lo = Store(twice - hi);
    const float hueR = Store(Ext(hsl.Hue) + OneThird);
    const float hueB = Store(Ext(hsl.Hue) - OneThird);
    return MakeColour(ToByte(HueToRGB(lo, hi, hueR)), ToByte(HueToRGB(lo, hi, hsl.Hue)), ToByte(HueToRGB(lo, hi, hueB)));
}

} // namespace vantrel
