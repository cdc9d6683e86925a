// vantrel-cli: the sprite library's commands without a display.
#include "CliCore.h"
#include "Commands.h"

#include "Version.h"
#include "sprite/Types.h"

#include <QtGlobal>

#include <cstdio>
#include <exception>
#include <new>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

using namespace vantrel;
using namespace vantrel::cli;

namespace {

int ShowHelp(const TArgList& args)
{
    if (args.empty()) {
        WriteStdout(ToolHelp());
        return ExitOK;
    }
    if (args.size() > 1)
        ThrowUsage("help", "unexpected argument '" + args[1] + "'");
    const TCommand* command = FindCommand(args[0]);
    if (!command)
        ThrowUsage("", "unknown command '" + args[0] + "'");
    WriteStdout(command->Help);
    return ExitOK;
}

int Run(const TArgList& all)
{
    if (all.empty())
        ThrowUsage("", "no command given");
    const std::string& name = all[0];
    const TArgList args(all.begin() + 1, all.end());
    if (name == "help")
        return ShowHelp(args);
    if (name == "--help" || name == "-h")
        return ShowHelp({});
    if (name == "--version") {
        WriteStdout(std::string(ToolName) + " " + VersionText + "\n");
        return ExitOK;
    }
    const TCommand* command = FindCommand(name);
    if (!command)
        ThrowUsage("", (name.rfind('-', 0) == 0 ? "unknown option '" : "unknown command '") + name + "'");
    if (WantsHelp(args)) {
        WriteStdout(command->Help);
        return ExitOK;
    }
    return command->Run(args);
}

// The arguments as UTF-8, the encoding of every path in the libraries.
TArgList Arguments(int argc, char** argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    TArgList result;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string s(size_t(n > 0 ? n - 1 : 0), '\0');
        if (n > 1)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, s.data(), n, nullptr, nullptr);
        result.push_back(std::move(s));
    }
    LocalFree(wide);
    return result;
#else
    return TArgList(argv + 1, argv + argc);
#endif
}

} // namespace

int main(int argc, char** argv)
{
    // Errors reach the user through the commands' own messages; Qt's diagnostics stay quiet.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const TArgList args = Arguments(argc, argv);
    int status = ExitOK;
    try {
        status = Run(args);
    } catch (const TCliError& e) {
        PrintError(e.what());
        status = e.Status;
    } catch (const std::bad_alloc&) {
        PrintError("not enough memory");
        status = ExitInput;
    } catch (const std::exception& e) {
        PrintError(e.what());
        status = ExitInput;
    }
    if (std::fflush(stdout) != 0 && status == ExitOK) {
        PrintError("cannot write to standard output");
        status = ExitOutput;
    }
    return status;
}
