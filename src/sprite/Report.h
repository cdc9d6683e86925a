// The debug reports over a folder of SHP files: the listing of the SHP files below a folder, the
// report of the raw TS/RA2 frame headers (all frames, or only the interesting ones), and the zero
// test that lists files which are neither TD/RA1 files nor start with the zero word of a TS/RA2
// file. Reports are plain text, every line ended by the platform's line break.
#pragma once

#include "FileUtil.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class TSHP;

#ifdef _WIN32
inline constexpr std::string_view ReportLineBreak = "\r\n";
#else
inline constexpr std::string_view ReportLineBreak = "\n";
#endif

inline constexpr const char* ReportFileName = "SHPs_debug.txt";
inline constexpr const char* ReportNotBoringFileName = "SHPs_debug_notboring.txt";
inline constexpr const char* ZeroTestFileName = "SHPs_debug-Zero.txt";
inline constexpr const char* MsgWidthOrHeightZero = "Width or Height is Zero!";
inline constexpr const char* MsgHeadersNil = "Error: Stored Headers are Nil.... Error Loading?";

// Appends the full paths of the SHP files (by extension, any case) below folder, depth first:
// each folder's entries sorted by name without regard to case, a sub-folder's files at the place
// where the sub-folder comes. folder ends with a separator (one is added when it does not).
// Folders reached twice through links are listed once; entries that are not regular files
// (pipes, sockets, devices) are passed over.
void ListSHPFiles(std::vector<std::string>& list, const std::string& folder);

// The path of file relative to baseFolder (which ends with a separator); the whole path when it
// does not lie below it.
std::string RelativeReportName(const std::string& file, const std::string& baseFolder);

// One report being built.
struct TSHPReport {
    // Names in the report are the files' paths relative to this folder (ending with a separator).
    std::string BaseFolder;
    bool IgnoreBoringFrames = false;
    // Files of the run that neither reader accepted.
    int IgnoredCount = 0;
    std::vector<std::string> Lines;

    // The lines joined, each ended by ReportLineBreak.
    std::string Text() const;
};

// Appends the report lines of one sprite loaded with KeepHeaders (and HeadersOnly).
void ReportSHP(TSHPReport& report, const TSHP& sprite);

// A frame line of the report, from one 24-byte TS/RA2 frame header.
std::string ReportFrameLine(int index, const uint8_t* header);
// True when a frame header is worth listing in the Ignore Boring Frames mode.
bool FrameHeaderIsInteresting(const uint8_t* header);

// Called before each file of a run: its position, the number of files, its path.
using TReportProgress = std::function<void(size_t index, size_t count, const std::string& path)>;

struct TFolderReportResult {
    std::string Text;
    int FileCount = 0;
    int IgnoredCount = 0;
};

// The folder report over every SHP file below folder. Files are loaded one at a time with
// KeepHeaders and HeadersOnly. A file that cannot be read, or that the reader refuses for its
// size, ends the run with its FileError or SHPError.
TFolderReportResult MakeFolderReport(const std::string& folder, bool ignoreBoringFrames,
                                     const TReportProgress& progress = {});

// True when the file's offset table entry at its frame count (or the one after) holds the file
// size: a TD/RA1 file, which the zero test leaves out.
bool ZeroTestIsTD(TByteSource& file);
// The lines the zero test writes for one file under its report name: none for a TD/RA1 file or a
// file starting with a zero word, else the name with ":" and a line of its header values. A file
// shorter than the 8 bytes of a TS/RA2 header is always listed, since it cannot be a TS/RA2 file;
// the values it lacks read as 0 and its second line ends with its size.
std::vector<std::string> ZeroTestLines(const std::string& name, TByteSource& file);

// The zero test over every SHP file below folder. A file that cannot be read ends the run with
// its FileError.
TFolderReportResult MakeZeroTest(const std::string& folder, const TReportProgress& progress = {});

// The summaries shown after a run. reportName names where the report went (empty: not saved
// to a file).
std::string FolderReportSummary(const std::string& reportName, int fileCount, int ignoredCount);
std::string ZeroTestSummary(const std::string& reportName, int fileCount);

} // namespace vantrel
