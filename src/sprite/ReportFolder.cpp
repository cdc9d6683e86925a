// The folder report loads sprites, so it lives apart from the report formatting.
#include "Report.h"

#include "SHP.h"

namespace vantrel {

TFolderReportResult MakeFolderReport(const std::string& folder, bool ignoreBoringFrames, const TReportProgress& progress)
{
    TSHPReport report;
    report.BaseFolder = AddTrailingBackslash(folder);
    report.IgnoreBoringFrames = ignoreBoringFrames;
    std::vector<std::string> files;
    ListSHPFiles(files, report.BaseFolder);
    for (size_t i = 0; i < files.size(); ++i) {
        if (progress)
            progress(i, files.size(), files[i]);
        TSHP sprite;
        sprite.KeepHeaders = true;
        sprite.HeadersOnly = true;
        try {
            sprite.LoadFromFile(files[i]);
        } catch (const SHPError& e) {
            throw SHPError("Cannot read file \"" + files[i] + "\": " + e.what());
        }
        ReportSHP(report, sprite);
    }
    return {report.Text(), int(files.size()), report.IgnoredCount};
}

} // namespace vantrel
