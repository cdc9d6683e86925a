// A small reader of INI-style text: "[section]" lines open sections (the name runs to the last
// "]"; a line without one opens nothing), "key=value" lines fill them. Section and key names match without regard to case; blanks around names and values are
// trimmed; lines starting with ";" are comments; a value wrapped in matching single or double
// quotes loses them and is cut to MaxIniValueLength characters. When a section or a key appears
// more than once, the first one wins.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr size_t MaxIniValueLength = 2047;

class TIniFile {
public:
    explicit TIniFile(std::string_view text);

    // The value of key in section, or nothing when either is missing.
    std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;
    // The value as an integer (see ParseIniInteger), or nothing when it is missing or malformed.
    std::optional<int64_t> ReadInteger(std::string_view section, std::string_view key) const;

private:
    using TKeys = std::map<std::string, std::string>; // lower-case key -> value
    std::map<std::string, TKeys> Sections;            // lower-case name -> its first occurrence
};

// A decimal integer with an optional sign, or a hexadecimal one after "0x", "0X" or "$".
// Nothing for anything else (an empty text, stray characters). Values beyond 64 bits keep
// their low 64 bits.
std::optional<int64_t> ParseIniInteger(std::string_view text);

} // namespace vantrel
