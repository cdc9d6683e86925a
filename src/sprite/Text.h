// Small text helpers shared by the windows, the reports and the command-line tool.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// The decimal text of number with fill added in front until it is at least width characters
// long; a longer text is kept whole.
std::string PadNumber(int64_t number, int width, char fill = '0');

// The value of a hexadecimal digit, or -1 for any other character.
int HexDigit(char c);

} // namespace vantrel
