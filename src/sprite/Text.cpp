#include "Text.h"

namespace vantrel {

std::string PadNumber(int64_t number, int width, char fill)
{
    std::string text = std::to_string(number);
    if (width > 0 && text.size() < size_t(width))
        text.insert(0, size_t(width) - text.size(), fill);
    return text;
}

} // namespace vantrel
