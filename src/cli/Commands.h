// The commands of vantrel-cli. Each takes the arguments after its name and returns the exit
// status; errors are thrown as TCliError.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::cli {

using TArgList = std::vector<std::string>;

int CmdInfo(const TArgList& args);
int CmdProbe(const TArgList& args);
int CmdRender(const TArgList& args);
int CmdExportMap(const TArgList& args);
int CmdImportMap(const TArgList& args);
int CmdExport(const TArgList& args);
int CmdImport(const TArgList& args);
int CmdEdit(const TArgList& args);
int CmdConvert(const TArgList& args);
int CmdRecolour(const TArgList& args);
int CmdReport(const TArgList& args);
int CmdZeroTest(const TArgList& args);
int CmdMakeTest(const TArgList& args);
int CmdThumbnail(const TArgList& args);

struct TCommand {
    const char* Name;
    int (*Run)(const TArgList&);
    const char* Summary;
    const char* Help;
};

// Every command, in the order the tool's help lists them.
const std::vector<TCommand>& CommandTable();
const TCommand* FindCommand(std::string_view name);

// The tool's own help, and the paragraphs it shares with the manual page.
std::string ToolHelp();
extern const char* const ToolSummary;
extern const char* const BatchText;
extern const char* const DataFoldersText;
extern const char* const ExitStatusText;
// The manual page (roff) of the tool: its help and the help of every command.
std::string ManPage(std::string_view version);

// True when args ask for the command's help ("--help" or "-h" before any "--").
bool WantsHelp(const TArgList& args);

} // namespace vantrel::cli
