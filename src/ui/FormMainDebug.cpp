// The Debug menu's reports: the raw frame headers of the SHP files below the SHPs folder found
// by the data-folder lookup, and the zero test, each written to a text file beside the program,
// or into the user's data folder when the program's folder cannot be written.
#include "FormMain.h"
#include "sprite/FileUtil.h"
#include "sprite/Report.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <span>

namespace vantrel {

namespace {

std::string SHPsFolder() { return AddTrailingBackslash(FindDataFolder(SpriteFolderName)); }

// The program's folder when it can be written (or when there is no user data folder to go to),
// else the user's data folder, made when missing.
std::string ReportFolder()
{
    const QString program = QString::fromStdString(AppFolder());
    const QString user = QString::fromStdString(UserDataFolder());
    if (user.isEmpty() || QFileInfo(program).isWritable() || !QDir().mkpath(user))
        return AppFolder();
    return UserDataFolder();
}

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
    if (const auto written = WriteReport(reportName, result.Text))
        ShowMessage(QString::fromStdString(FolderReportSummary(*written, result.FileCount, result.IgnoredCount)));
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
    if (const auto written = WriteReport(ZeroTestFileName, result.Text))
        ShowMessage(QString::fromStdString(ZeroTestSummary(*written, result.FileCount)));
}

std::optional<std::string> TFrmMain::WriteReport(const std::string& fileName, const std::string& text)
{
    const std::string folder = ReportFolder();
    const std::string path = AddTrailingBackslash(folder) + fileName;
    try {
        WriteFileAtomic(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return std::nullopt;
    }
    return folder == AppFolder() ? fileName : path;
}

} // namespace vantrel
