// The Debug menu's reports: the raw frame headers of the SHP files below the SHPs folder beside
// the program, and the zero test, each written to a text file beside the program.
#include "FormMain.h"
#include "sprite/FileUtil.h"
#include "sprite/Report.h"

#include <QAction>
#include <QApplication>

#include <span>

namespace vantrel {

namespace {

std::string ProgramFolder() { return AddTrailingBackslash(AppFolder()); }

std::string SHPsFolder() { return ProgramFolder() + "SHPs" + PathSeparator; }

// A wait cursor for the length of a run.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

} // namespace

void TFrmMain::ConnectDebugCommands()
{
    connect(DebugSHPsFolder1, &QAction::triggered, this, &TFrmMain::DebugSHPsFolder1Click);
    connect(DebugSHPsFolderIgnoreBoringFrames1, &QAction::triggered, this,
            &TFrmMain::DebugSHPsFolderIgnoreBoringFrames1Click);
    connect(ZeroTest1, &QAction::triggered, this, &TFrmMain::ZeroTest1Click);
}

void TFrmMain::DebugSHPsFolder1Click() { RunFolderReport(false); }

void TFrmMain::DebugSHPsFolderIgnoreBoringFrames1Click() { RunFolderReport(true); }

void TFrmMain::RunFolderReport(bool ignoreBoringFrames)
{
    const char* reportName = ignoreBoringFrames ? ReportNotBoringFileName : ReportFileName;
    TFolderReportResult result;
    try {
        const TWaitCursor wait;
        result = MakeFolderReport(SHPsFolder(), ignoreBoringFrames);
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    if (WriteReport(reportName, result.Text))
        ShowMessage(QString::fromStdString(FolderReportSummary(reportName, result.FileCount, result.IgnoredCount)));
}

void TFrmMain::ZeroTest1Click()
{
    TFolderReportResult result;
    try {
        const TWaitCursor wait;
        result = MakeZeroTest(SHPsFolder());
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    if (WriteReport(ZeroTestFileName, result.Text))
        ShowMessage(QString::fromStdString(ZeroTestSummary(ZeroTestFileName, result.FileCount)));
}

bool TFrmMain::WriteReport(const std::string& fileName, const std::string& text)
{
    try {
        WriteFileAtomic(ProgramFolder() + fileName,
                        std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return false;
    }
    return true;
}

} // namespace vantrel
