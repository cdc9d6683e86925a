#include "Report.h"

#include "SHP.h"
#include "Types.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace vantrel {

namespace {

constexpr size_t TSFileHeaderSize = 8;
constexpr size_t TSFrameHeaderSize = 24;

uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t DWord(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint32_t Word24(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16; }

fs::path ToPath(const std::string& s)
{
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(s.data()), s.size()));
}

void ListInto(std::vector<std::string>& list, const std::string& folder, std::set<fs::path>& visited)
{
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(ToPath(folder), ec);
    if (!ec && !visited.insert(real).second)
        return;
    for (const TDirEntry& entry : ListDirectory(folder)) {
        if (entry.IsFolder)
            ListInto(list, folder + entry.Name + PathSeparator, visited);
        else if (IsSHPExtension(ExtractFileExt(entry.Name)) && !IsSpecialFile(folder + entry.Name))
            list.push_back(folder + entry.Name);
    }
}

std::string Dec(uint64_t v) { return std::to_string(v); }

} // namespace

void ListSHPFiles(std::vector<std::string>& list, const std::string& folder)
{
    std::set<fs::path> visited;
    ListInto(list, AddTrailingBackslash(folder), visited);
}

std::string RelativeReportName(const std::string& file, const std::string& baseFolder)
{
    if (!baseFolder.empty() && file.size() >= baseFolder.size() && file.compare(0, baseFolder.size(), baseFolder) == 0)
        return file.substr(baseFolder.size());
    return file;
}

std::string TSHPReport::Text() const
{
    std::string text;
    for (const std::string& line : Lines) {
        text += line;
        text += ReportLineBreak;
    }
    return text;
}

bool FrameHeaderIsInteresting(const uint8_t* h)
{
    const bool hasArea = Word(h + 4) != 0 && Word(h + 6) != 0;
    return hasArea && (Word(h + 8) >= 4 || Word(h + 10) != 0 || h[15] != 0 || DWord(h + 16) != 0);
}

std::string ReportFrameLine(int index, const uint8_t* h)
{
    char line[128];
    std::snprintf(line, sizeof line, "Frame %04d: %4u,%4u %4u x %4u %04X %04X %03u,%03u,%03u,%03u %08X %08X", index,
                  unsigned(Word(h)), unsigned(Word(h + 2)), unsigned(Word(h + 4)), unsigned(Word(h + 6)),
                  unsigned(Word(h + 8)), unsigned(Word(h + 10)), unsigned(h[14]), unsigned(h[13]), unsigned(h[12]),
                  unsigned(h[15]), unsigned(DWord(h + 16)), unsigned(DWord(h + 20)));
    return line;
}

void ReportSHP(TSHPReport& report, const TSHP& sprite)
{
    if (sprite.Format == TSHPFormat::None) {
        ++report.IgnoredCount;
        return;
    }
    const std::string name = RelativeReportName(sprite.FileName, report.BaseFolder);
    if (sprite.Width == 0 || sprite.Height == 0) {
        if (!report.IgnoreBoringFrames)
            report.Lines.insert(report.Lines.end(), {name, MsgWidthOrHeightZero, ""});
        return;
    }
    if (sprite.Format == TSHPFormat::TD)
        return;
    if (sprite.RawFileHeader.size() < TSFileHeaderSize || sprite.RawFrameHeaders.empty()) {
        report.Lines.insert(report.Lines.end(), {name, MsgHeadersNil, ""});
        return;
    }
    const uint8_t* fileHeader = sprite.RawFileHeader.data();
    const std::string headline = name + " " + Dec(Word(fileHeader + 2)) + "x" + Dec(Word(fileHeader + 4)) +
                                 " Count: " + Dec(Word(fileHeader + 6));
    bool pending = true;
    if (!report.IgnoreBoringFrames) {
        report.Lines.push_back(headline);
        pending = false;
    }
    // Only the headers the file holds are listed, however many its header announces.
    const size_t count = std::min<size_t>(Word(fileHeader + 6), sprite.RawFrameHeaders.size() / TSFrameHeaderSize);
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* h = sprite.RawFrameHeaders.data() + k * TSFrameHeaderSize;
        if (report.IgnoreBoringFrames && !FrameHeaderIsInteresting(h))
            continue;
        if (pending) {
            report.Lines.push_back(headline);
            pending = false;
        }
        report.Lines.push_back(ReportFrameLine(int(k), h));
    }
    if (!pending)
        report.Lines.emplace_back();
}

bool ZeroTestIsTD(TByteSource& file)
{
    uint8_t head[14] = {};
    file.ReadAt(0, head, sizeof head);
    const uint64_t size = file.Size();
    const uint64_t table = 14 + 8 * uint64_t(Word(head));
    if (size <= table)
        return false;
    uint8_t entries[16] = {};
    file.ReadAt(table, entries, sizeof entries);
    return Word24(entries) == size || Word24(entries + 8) == size;
}

std::vector<std::string> ZeroTestLines(const std::string& name, TByteSource& file)
{
    if (ZeroTestIsTD(file))
        return {};
    uint8_t h[8] = {};
    const size_t got = file.ReadAt(0, h, sizeof h);
    const bool shortFile = got < sizeof h;
    if (Word(h) == 0 && !shortFile)
        return {};
    std::string values = " Zero:" + Dec(Word(h)) + " WH:" + Dec(Word(h + 2)) + "x" + Dec(Word(h + 4)) +
                         " Count:" + Dec(Word(h + 6));
    if (shortFile)
        values += " Size:" + Dec(file.Size());
    return {name + ":", values};
}

TFolderReportResult MakeZeroTest(const std::string& folder, const TReportProgress& progress)
{
    TSHPReport report;
    report.BaseFolder = AddTrailingBackslash(folder);
    std::vector<std::string> files;
    ListSHPFiles(files, report.BaseFolder);
    for (size_t i = 0; i < files.size(); ++i) {
        if (progress)
            progress(i, files.size(), files[i]);
        TFileSource file(files[i]);
        for (std::string& line : ZeroTestLines(RelativeReportName(files[i], report.BaseFolder), file))
            report.Lines.push_back(std::move(line));
    }
    return {report.Text(), int(files.size()), 0};
}

std::string FolderReportSummary(const std::string& reportName, int fileCount, int ignoredCount)
{
    std::string text = reportName.empty() ? std::string() : reportName + " saved. ";
    return text + Dec(uint64_t(fileCount)) + " SHP(s) Processed. " + Dec(uint64_t(ignoredCount)) +
           " SHP(s) ignored (Not TD/TS SHP)";
}

std::string ZeroTestSummary(const std::string& reportName, int fileCount)
{
    std::string text = reportName.empty() ? std::string() : reportName + " saved. ";
    return text + Dec(uint64_t(fileCount)) + " SHP(s) Processed";
}

} // namespace vantrel
