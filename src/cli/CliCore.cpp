#include "CliCore.h"

#include "sprite/Types.h"

#include <algorithm>
#include <cstdio>
#include <new>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define VANTREL_ISATTY _isatty
#define VANTREL_FILENO _fileno
#else
#include <unistd.h>
#define VANTREL_ISATTY isatty
#define VANTREL_FILENO fileno
#endif

namespace vantrel::cli {

void ThrowUsage(std::string_view command, const std::string& problem)
{
    const std::string help = std::string(ToolName) + (command.empty() ? " --help" : " help " + std::string(command));
    throw TCliError(ExitUsage, (command.empty() ? "" : std::string(command) + ": ") + problem + " (see '" + help + "')");
}

void ThrowInput(const std::string& message) { throw TCliError(ExitInput, message); }
void ThrowOutput(const std::string& message) { throw TCliError(ExitOutput, message); }

void Reading(const std::function<void()>& f, const std::string& task)
{
    try {
        f();
    } catch (const FileError& e) {
        ThrowInput(e.what());
    } catch (const SHPError& e) {
        ThrowInput(e.what());
    } catch (const std::bad_alloc&) {
        ThrowInput("Not enough memory to " + task);
    }
}

void Writing(const std::function<void()>& f, const std::string& task)
{
    try {
        f();
    } catch (const FileError& e) {
        ThrowOutput(e.what());
    } catch (const SHPError& e) {
        ThrowOutput(e.what());
    } catch (const std::bad_alloc&) {
        ThrowOutput("Not enough memory to " + task);
    }
}

// Appended piece by piece: GCC 12 at -O3 takes "x" + std::string + "y" for overlapping copies
// (a false -Wrestrict).
std::string Quoted(std::string_view path)
{
    std::string quoted;
    quoted.reserve(path.size() + 2);
    quoted.append(1, '"').append(path).append(1, '"');
    return quoted;
}

std::string ErrorLine(const std::string& message) { return std::string(ToolName) + ": " + message + "\n"; }

void PrintError(const std::string& message)
{
    std::fflush(stdout);
    std::fputs(ErrorLine(message).c_str(), stderr);
    std::fflush(stderr);
}

TArgs::TArgs(std::string command, const std::vector<std::string>& args, const std::vector<TOptionSpec>& specs)
    : CommandName(std::move(command))
{
    auto find = [&](std::string_view name) -> const TOptionSpec* {
        for (const TOptionSpec& s : specs)
            if (s.Name == name || (!s.Alias.empty() && s.Alias == name))
                return &s;
        return nullptr;
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            Positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t eq = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
        std::string name = a.substr(0, eq);
        const TOptionSpec* option = find(name);
        std::optional<std::string> value;
        if (!option && a[1] != '-') { // "-j2": a one-letter option and its value in one
            const TOptionSpec* letter = find(a.substr(0, 2));
            if (letter && letter->TakesValue) {
                option = letter;
                name = a.substr(0, 2);
                value = a.substr(2);
            }
        }
        if (!option)
            Fail("unknown option '" + name + "'");
        if (Has(option->Name))
            Fail("option '" + option->Name + "' given more than once");
        if (!value && eq != std::string::npos) {
            if (!option->TakesValue)
                Fail("option '" + option->Name + "' takes no value");
            value = a.substr(eq + 1);
        } else if (!value && option->TakesValue) {
            if (i + 1 >= args.size())
                Fail("option '" + option->Name + "' needs a value");
            value = args[++i];
        }
        Options.emplace_back(option->Name, std::move(value));
    }
}

bool TArgs::Has(std::string_view name) const
{
    return std::any_of(Options.begin(), Options.end(), [&](const auto& o) { return o.first == name; });
}

std::optional<std::string> TArgs::Value(std::string_view name) const
{
    for (const auto& o : Options)
        if (o.first == name)
            return o.second;
    return std::nullopt;
}

void TArgs::RequirePositionals(size_t min, size_t max, std::string_view what) const
{
    if (Positional.size() < min)
        Fail("missing " + std::string(what));
    if (Positional.size() > max)
        Fail("unexpected argument '" + Positional[max] + "'");
}

void TArgs::Exclusive(const std::vector<std::string>& names) const
{
    std::string first;
    for (const std::string& n : names) {
        if (!Has(n))
            continue;
        if (!first.empty())
            Fail("options '" + first + "' and '" + n + "' cannot be used together");
        first = n;
    }
}

int64_t TArgs::Integer(std::string_view name, int64_t lo, int64_t hi) const
{
    const std::string text = Value(name).value_or("");
    const std::optional<int64_t> v = ParseInteger(text);
    if (!v)
        Fail("option '" + std::string(name) + "' needs a whole number, not '" + text + "'");
    if (*v < lo || *v > hi)
        Fail("option '" + std::string(name) + "' must be from " + std::to_string(lo) + " to " + std::to_string(hi) +
             ", not " + text);
    return *v;
}

void TArgs::Fail(const std::string& problem) const { ThrowUsage(CommandName, problem); }

std::optional<int64_t> ParseInteger(std::string_view text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size() || text.size() - i > 18)
        return std::nullopt;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    return negative ? -v : v;
}

bool StderrIsTerminal() { return VANTREL_ISATTY(VANTREL_FILENO(stderr)) != 0; }

std::string ShortenedName(const std::string& path, size_t maxBytes)
{
    if (path.size() <= maxBytes)
        return path;
    size_t start = path.size() - maxBytes + 3;
    while (start < path.size() && (uint8_t(path[start]) & 0xC0) == 0x80)
        ++start; // not inside a UTF-8 sequence
    return "..." + path.substr(start);
}

TProgress::TProgress() : Enabled(StderrIsTerminal()) {}

TProgress::~TProgress() { Clear(); }

void TProgress::Show(size_t index, size_t count, const std::string& path)
{
    if (!Enabled)
        return;
    const std::string name = ShortenedName(path, 60);
    std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", index + 1, count, name.c_str());
    std::fflush(stderr);
    Shown = true;
}

void TProgress::Clear()
{
    if (!Shown)
        return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    Shown = false;
}

void WriteStdout(std::string_view text)
{
#ifdef _WIN32
    static const bool binary = (_setmode(_fileno(stdout), _O_BINARY), true);
    (void)binary;
#endif
    std::fwrite(text.data(), 1, text.size(), stdout);
}

} // namespace vantrel::cli
