#include "Text.h"

namespace vantrel {

std::string PadNumber(int64_t number, int width, char fill)
{
    std::string text = std::to_string(number);
    if (width > 0 && text.size() < size_t(width))
        text.insert(0, size_t(width) - text.size(), fill);
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace vantrel
