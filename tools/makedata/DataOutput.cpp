#include "MakeData.h"

#include "sprite/FileUtil.h"

#include <algorithm>
#include <filesystem>

namespace vantrel::makedata {

namespace {

std::filesystem::path ToPath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool SameContent(const std::string& path, std::span<const uint8_t> bytes)
{
    if (!FileExists(path))
        return false;
    const std::vector<uint8_t> old = ReadWholeFile(path);
    return std::equal(old.begin(), old.end(), bytes.begin(), bytes.end());
}

} // namespace

std::string TDataWriter::FullPath(const std::string& relative) const
{
    std::string path = AddTrailingBackslash(Root) + relative;
    std::replace(path.begin(), path.end(), '/', PathSeparator);
    return path;
}

void TDataWriter::Write(const std::string& relative, std::span<const uint8_t> bytes)
{
    const std::string path = FullPath(relative);
    if (SameContent(path, bytes)) {
        ++Unchanged;
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(ToPath(path).parent_path(), ec);
    if (ec)
        throw FileError("Cannot create the folder of " + path + ": " + ec.message());
    WriteFileAtomic(path, bytes);
    ++Written;
}

uint64_t TRandom::Next()
{
    uint64_t z = (State += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace vantrel::makedata
