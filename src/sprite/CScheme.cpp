#include "CScheme.h"

#include "FileUtil.h"
#include "IniFile.h"
#include "SHP.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <set>

namespace vantrel {

const std::array<const char*, CategoryCount> CategoryNames = {
    "All",     "Tiberian Sun", "Red Alert 2", "Yuri's Revenge", "Allied",   "Soviet", "Yuri",
    "Brick",   "Grayscale",    "Remap",       "Brown 1",        "Brown 2",  "Blue",   "Green",
    "No Unlit", "Red",         "Yellow",      "Others",         "Tiberian Dawn", "Red Alert 1"};

std::vector<TCScheme> Schemes;
int SchemeCount = 0;

namespace {

constexpr const char* DefaultSchemeName = "Untitled";
constexpr size_t BCSRecordHead = 259; // game type, map, name length

TCScheme IdentityScheme()
{
    TCScheme scheme;
    scheme.Name = DefaultSchemeName;
    for (size_t i = 0; i < scheme.Map.size(); ++i)
        scheme.Map[i] = uint8_t(i);
    return scheme;
}

void AddScheme(TCScheme scheme)
{
    Schemes.resize(size_t(SchemeCount));
    Schemes.push_back(std::move(scheme));
    SchemeCount = int(Schemes.size());
}

uint16_t ReadWord(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

std::filesystem::path ToPath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The folder's identity on disk, so that a folder reached again through a link is not scanned
// twice (a link to a parent folder would otherwise never end the scan).
std::string FolderIdentity(const std::string& folder)
{
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::canonical(ToPath(folder), ec);
    if (ec)
        return folder;
    const std::u8string u = canonical.u8string();
    return std::string(u.begin(), u.end());
}

void ScanFolder(const std::string& folder, std::set<std::string>& visited)
{
    if (!visited.insert(FolderIdentity(folder)).second)
        return;
    for (const TDirEntry& entry : ListDirectory(folder)) {
        const std::string path = folder + entry.Name;
        if (entry.IsFolder)
            ScanFolder(AddTrailingBackslash(path), visited);
        else if (LowerCase(ExtractFileExt(entry.Name)) == ".cscheme" && FileExists(path))
            AddScheme(ReadSchemeFile(path)); // (a device or pipe of that name is passed over)
    }
}

} // namespace

std::string SchemeFolder() { return AddTrailingBackslash(FindDataFolder(SchemeFolderName)); }

void LoadSchemeLibrary()
{
    Schemes.clear();
    SchemeCount = 0;
    // A default.bcs that exists but cannot be read is reported after the folder scans, so the
    // schemes of the other files are not lost with it.
    std::exception_ptr bcsError;
    for (const std::string& folder : DataFolderList(SchemeFolderName)) {
        const std::string bcs = DirectoryExists(folder) ? FindNoCase(folder, "default.bcs") : std::string();
        if (FileExists(bcs)) {
            try {
                ReadDefaultBCS(bcs);
            } catch (const FileError&) {
                if (!bcsError)
                    bcsError = std::current_exception();
            }
        }
        ScanSchemeFolder(folder);
    }
    if (bcsError)
        std::rethrow_exception(bcsError);
}

void ReadDefaultBCS(const std::string& path) { ReadDefaultBCSBytes(ReadWholeFile(path)); }

void ReadDefaultBCSBytes(std::span<const uint8_t> file)
{
    if (file.size() < 2)
        return;
    const size_t count = ReadWord(file.data());
    Schemes.reserve(size_t(SchemeCount) + count);
    size_t pos = 2;
    for (size_t n = 0; n < count; ++n) {
        if (file.size() - pos < BCSRecordHead)
            return;
        const uint8_t* record = file.data() + pos;
        const size_t nameLength = ReadWord(record + 257);
        if (file.size() - pos - BCSRecordHead < nameLength)
            return;
        TCScheme scheme;
        scheme.GameType = record[0];
        std::copy_n(record + 1, 256, scheme.Map.begin());
        scheme.Name.assign(reinterpret_cast<const char*>(record + BCSRecordHead), nameLength);
        AddScheme(std::move(scheme));
        pos += BCSRecordHead + nameLength;
    }
}

void ScanSchemeFolder(const std::string& folder)
{
    std::set<std::string> visited;
    ScanFolder(AddTrailingBackslash(folder), visited);
}

TCScheme ReadSchemeFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const FileError&) {
        return IdentityScheme();
    }
    return ParseSchemeText(std::string(bytes.begin(), bytes.end()));
}

TCScheme ParseSchemeText(const std::string& text)
{
    const TIniFile ini(text);
    TCScheme scheme = IdentityScheme();
    if (std::optional<std::string> name = ini.ReadString("Info", "Name"))
        scheme.Name = std::move(*name);
    if (std::optional<int64_t> gameType = ini.ReadInteger("Info", "gametype"))
        scheme.GameType = uint8_t(*gameType & 0xFF);
    for (int i = 0; i < 256; ++i)
        if (std::optional<int64_t> target = ini.ReadInteger("Data", std::to_string(i)))
            scheme.Map[size_t(i)] = uint8_t(*target & 0xFF);
    return scheme;
}

bool SchemeVisible(int index, int category, const std::array<uint8_t, 256>& used)
{
    if (index < 0 || index >= SchemeCount || size_t(index) >= Schemes.size())
        return false;
    const TCScheme& scheme = Schemes[size_t(index)];
    if (category != 0 && category != scheme.GameType)
        return false;
    for (size_t i = 0; i < used.size(); ++i)
        if (used[i] && scheme.Map[i] != i)
            return true;
    return false;
}

TPalette RecolourPalette(const TPalette& palette, const TCScheme& scheme)
{
    TPalette result;
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = palette[scheme.Map[i]];
    return result;
}

void ApplyScheme(TSHP& sprite, const TCScheme& scheme)
{
    const size_t pixels = size_t(std::max(sprite.Width, 0)) * size_t(std::max(sprite.Height, 0));
    for (TSHPFrame& frame : sprite.Frames) {
        if (!frame.Data)
            continue;
        uint8_t* p = frame.Data.get();
        for (size_t k = 0; k < pixels; ++k)
            p[k] = scheme.Map[p[k]];
        frame.Dirty = true;
    }
    sprite.IsSaved = false;
}

} // namespace vantrel
