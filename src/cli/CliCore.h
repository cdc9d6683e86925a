// The command-line tool's plumbing: exit statuses, errors, the hand-written option parser,
// strict number parsing, and the progress line.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::cli {

inline constexpr const char* ToolName = "vantrel-cli";

enum ExitStatus : int {
    ExitOK = 0,
    ExitUsage = 1,   // the command line is wrong
    ExitInput = 2,   // an input cannot be read or is not what the command needs
    ExitOutput = 3,  // an output cannot be written
};

// An error that ends the command with its exit status; the message names the file and the reason
// (or, for usage errors, the problem).
class TCliError : public std::runtime_error {
public:
    TCliError(ExitStatus status, const std::string& message) : std::runtime_error(message), Status(status) {}
    ExitStatus Status;
};

// A usage error of a command: "render: unknown option '--x' (see 'vantrel-cli help render')".
[[noreturn]] void ThrowUsage(std::string_view command, const std::string& problem);
[[noreturn]] void ThrowInput(const std::string& message);
[[noreturn]] void ThrowOutput(const std::string& message);

// Runs f; library errors become input errors (reading) or output errors (writing). Running out
// of memory says "Not enough memory to " + task.
void Reading(const std::function<void()>& f, const std::string& task = "read the input");
void Writing(const std::function<void()>& f, const std::string& task = "build the output");

// "\"path\"": how messages name files.
std::string Quoted(std::string_view path);

// One error line: "vantrel-cli: message\n".
std::string ErrorLine(const std::string& message);
// Writes one error line to stderr.
void PrintError(const std::string& message);

struct TOptionSpec {
    std::string Name;       // "--frame", "-o"
    bool TakesValue = false;
    std::string Alias = {}; // another spelling of the same option
};

// The arguments of one command, parsed by hand: options as "--name", "--name VALUE" or
// "--name=VALUE"; "--" ends the options; everything else is a positional argument. Unknown
// options, missing values, values given to flags and options given twice are usage errors.
class TArgs {
public:
    TArgs(std::string command, const std::vector<std::string>& args, const std::vector<TOptionSpec>& specs);

    bool Has(std::string_view name) const;
    std::optional<std::string> Value(std::string_view name) const;
    const std::vector<std::string>& Positionals() const { return Positional; }
    const std::string& Command() const { return CommandName; }

    // Usage checks on the positional arguments.
    void RequirePositionals(size_t min, size_t max, std::string_view what) const;
    // At most one of the named options.
    void Exclusive(const std::vector<std::string>& names) const;

    // Strict numbers: an optional sign and decimal digits only, within [lo, hi].
    int64_t Integer(std::string_view name, int64_t lo, int64_t hi) const;
    [[noreturn]] void Fail(const std::string& problem) const;

private:
    std::string CommandName;
    std::vector<std::pair<std::string, std::optional<std::string>>> Options;
    std::vector<std::string> Positional;
};

// Parses a whole decimal integer (optional sign); nullopt when the text is anything else.
std::optional<int64_t> ParseInteger(std::string_view text);

bool StderrIsTerminal();
// A path cut to its last maxBytes bytes (at a character boundary) behind "...".
std::string ShortenedName(const std::string& path, size_t maxBytes);

// A progress line on stderr while stderr is a terminal; nothing otherwise.
class TProgress {
public:
    TProgress();
    ~TProgress();
    TProgress(const TProgress&) = delete;
    TProgress& operator=(const TProgress&) = delete;
    void Show(size_t index, size_t count, const std::string& path);
    void Clear();

private:
    bool Enabled = false;
    bool Shown = false;
};

// Writes text to stdout as it is (binary, no line-break translation).
void WriteStdout(std::string_view text);

} // namespace vantrel::cli
