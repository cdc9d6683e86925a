#include "FolderListing.h"

#include "SHP.h"
#include "Types.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace vantrel {

namespace {

fs::path ToPath(const std::string& s)
{
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(s.data()), s.size()));
}

std::string FromPath(fs::path p)
{
    const std::u8string u = p.make_preferred().u8string();
    return std::string(reinterpret_cast<const char*>(u.data()), u.size());
}

} // namespace

std::vector<TDirEntry> CollectEntries(const std::string& folder)
{
    std::vector<TDirEntry> result;
    if (!DirectoryExists(folder))
        return result;
    if (!IsFileSystemRoot(folder))
        result.push_back({"..", true});
    const std::vector<TDirEntry> entries = ListDirectory(folder);
    for (const TDirEntry& e : entries)
        if (e.IsFolder)
            result.push_back(e);
    for (const TDirEntry& e : entries)
        if (!e.IsFolder && IsSHPExtension(ExtractFileExt(e.Name)))
            result.push_back(e);
    return result;
}

bool IsFileSystemRoot(const std::string& folder)
{
    if (folder.empty())
        return false;
    const fs::path p = ToPath(folder).lexically_normal();
    return p.has_root_directory() && p.relative_path().empty();
}

std::string ResolveFolder(const std::string& path, const std::string& base)
{
    if (path.empty())
        return {};
    fs::path p = ToPath(path);
    if (!p.is_absolute() && !base.empty())
        p = ToPath(base) / p;
    else if (!p.is_absolute()) {
        std::error_code ec;
        p = fs::absolute(p, ec);
    }
    p = p.lexically_normal();
    std::string result = FromPath(p);
    while (result.size() > 1 && result.back() == PathSeparator && !IsFileSystemRoot(result))
        result.pop_back();
    return result;
}

bool ProbeListedFile(const std::string& path) noexcept
{
    try {
        return FileExists(path) && IsSHPFile(path);
    } catch (...) {
        return false;
    }
}

} // namespace vantrel
