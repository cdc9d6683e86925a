// The side colours offered by the application's side-colour menu (tags 1 to 8) and by the
// command-line tool's --side-colour option.
#pragma once

#include "Types.h"

#include <array>

namespace vantrel {

struct TSideColourItem {
    const char* Caption;
    TColour24 Colour;
};

inline constexpr std::array<TSideColourItem, 8> SideColours{{
    {"Gold", MakeColour(245, 214, 120)},
    {"Red", MakeColour(255, 0, 0)},
    {"Blue", MakeColour(12, 56, 233)},
    {"Green", MakeColour(0, 200, 0)},
    {"Orange", MakeColour(255, 128, 0)},
    {"Sky Blue", MakeColour(166, 202, 240)},
    {"Pink", MakeColour(255, 0, 255)},
    {"Purple", MakeColour(128, 0, 128)},
}};

} // namespace vantrel
