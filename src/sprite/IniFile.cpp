#include "IniFile.h"

#include "FileUtil.h"
#include "Text.h"

namespace vantrel {

namespace {

std::string_view Trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::optional<uint64_t> ParseDigits(std::string_view digits, unsigned base)
{
    if (digits.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0 || unsigned(d) >= base)
            return std::nullopt;
        value = value * base + unsigned(d);
    }
    return value;
}

} // namespace

std::optional<int64_t> ParseIniInteger(std::string_view text)
{
    text = Trim(text);
    bool negative = false;
    std::optional<uint64_t> value;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        value = ParseDigits(text.substr(2), 16);
    } else if (text.starts_with("$")) {
        value = ParseDigits(text.substr(1), 16);
    } else {
        negative = text.starts_with("-");
        if (negative || text.starts_with("+"))
            text.remove_prefix(1);
        value = ParseDigits(text, 10);
    }
    if (!value)
        return std::nullopt;
    return static_cast<int64_t>(negative ? 0 - *value : *value);
}

TIniFile::TIniFile(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    TKeys* current = nullptr; // null outside a section, or in a repeated one
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';')
            continue;
        const size_t close = line.rfind(']');
        if (line.front() == '[' && close != std::string_view::npos) {
            const std::string name = LowerCase(Trim(line.substr(1, close - 1)));
            const auto [section, added] = Sections.try_emplace(name);
            current = added ? &section->second : nullptr;
            continue;
        }
        const size_t equals = line.find('=');
        if (!current || equals == std::string_view::npos)
            continue;
        std::string_view value = Unquote(Trim(line.substr(equals + 1)));
        value = value.substr(0, MaxIniValueLength);
        current->try_emplace(LowerCase(Trim(line.substr(0, equals))), std::string(value));
    }
}

std::optional<std::string> TIniFile::ReadString(std::string_view section, std::string_view key) const
{
    const auto keys = Sections.find(LowerCase(Trim(section)));
    if (keys == Sections.end())
        return std::nullopt;
    const auto value = keys->second.find(LowerCase(Trim(key)));
    if (value == keys->second.end())
        return std::nullopt;
    return value->second;
}

std::optional<int64_t> TIniFile::ReadInteger(std::string_view section, std::string_view key) const
{
    const std::optional<std::string> value = ReadString(section, key);
    return value ? ParseIniInteger(*value) : std::nullopt;
}

} // namespace vantrel
