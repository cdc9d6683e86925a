// report and zero-test: the debug reports over a folder.
#include "CliCore.h"
#include "Commands.h"

#include "sprite/FileUtil.h"
#include "sprite/Report.h"

namespace vantrel::cli {

namespace {

const TOptionSpec OutputOption{"-o", true, "--output"};

std::string RequireFolder(const TArgs& args)
{
    args.RequirePositionals(1, 1, "FOLDER");
    const std::string& folder = args.Positionals()[0];
    if (!DirectoryExists(folder))
        ThrowInput("Cannot read folder " + Quoted(folder) +
                   (PathExists(folder) ? ": it is not a folder" : ": no such folder"));
    return folder;
}

// The report to -o FILE or stdout, then the summary line on stdout.
void Deliver(const TArgs& args, const std::string& text, const std::function<std::string(const std::string&)>& summary)
{
    const std::optional<std::string> out = args.Value("-o");
    if (out) {
        Writing([&] { WriteFileAtomic(*out, {reinterpret_cast<const uint8_t*>(text.data()), text.size()}); });
        WriteStdout(summary(*out) + std::string(ReportLineBreak));
    } else {
        WriteStdout(text);
        WriteStdout(summary("") + std::string(ReportLineBreak));
    }
}

} // namespace

int CmdReport(const TArgList& list)
{
    const TArgs args("report", list, {{"--ignore-boring"}, OutputOption});
    const std::string folder = RequireFolder(args);
    TFolderReportResult result;
    {
        TProgress progress;
        Reading([&] {
            result = MakeFolderReport(folder, args.Has("--ignore-boring"),
                                      [&](size_t i, size_t n, const std::string& path) { progress.Show(i, n, path); });
        });
    }
    Deliver(args, result.Text,
            [&](const std::string& name) { return FolderReportSummary(name, result.FileCount, result.IgnoredCount); });
    return ExitOK;
}

int CmdZeroTest(const TArgList& list)
{
    const TArgs args("zero-test", list, {OutputOption});
    const std::string folder = RequireFolder(args);
    TFolderReportResult result;
    {
        TProgress progress;
        Reading([&] {
            result = MakeZeroTest(folder, [&](size_t i, size_t n, const std::string& path) { progress.Show(i, n, path); });
        });
    }
    Deliver(args, result.Text, [&](const std::string& name) { return ZeroTestSummary(name, result.FileCount); });
    return ExitOK;
}

} // namespace vantrel::cli
