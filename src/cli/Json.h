// Writing JSON text.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::cli {

// text as a JSON string with its quotes: quotes, backslashes and control characters escaped,
// valid UTF-8 kept as it is, and each byte that is not part of valid UTF-8 replaced by U+FFFD so
// that the output is always valid JSON.
std::string JsonString(std::string_view text);

} // namespace vantrel::cli
