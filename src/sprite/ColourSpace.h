// The colour-space arithmetic behind the luminosity shift. Named intermediates are stored as
// 32-bit floats; expressions are evaluated in extended precision, which decides the last bit of
// the results.
#pragma once

#include "Types.h"

namespace vantrel {

struct THSL {
    float Hue = 0;
    float Saturation = 0;
    float Lightness = 0;
};

THSL RGBToHSL(TColour24 colour);
TColour24 HSLToRGB(const THSL& hsl);
float HueToRGB(float lo, float hi, float h);

} // namespace vantrel
