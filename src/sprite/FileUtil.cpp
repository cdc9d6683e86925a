#include "FileUtil.h"

#include "Types.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

namespace fs = std::filesystem;

namespace vantrel {

namespace {

fs::path ToPath(const std::string& s)
{
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(s.data()), s.size()));
}

std::string FromPath(const fs::path& p)
{
    const std::u8string u = p.u8string();
    return std::string(reinterpret_cast<const char*>(u.data()), u.size());
}

std::string ErrnoText(int err) { return std::generic_category().message(err); }

[[noreturn]] void ThrowFileError(const char* what, const std::string& path, int err)
{
    throw FileError(std::string(what) + " \"" + path + "\": " + ErrnoText(err));
}

bool IsSeparator(char c)
{
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

std::FILE* OpenForReading(const std::string& path)
{
#ifdef _WIN32
    std::FILE* f = _wfopen(ToPath(path).c_str(), L"rb");
#else
    std::FILE* f = std::fopen(path.c_str(), "rb");
#endif
    if (!f)
        ThrowFileError("Cannot open file", path, errno);
    return f;
}

uint64_t SizeOfOpenFile(std::FILE* f, const std::string& path)
{
#ifdef _WIN32
    if (_fseeki64(f, 0, SEEK_END) != 0)
        ThrowFileError("Cannot read file", path, errno);
    const int64_t size = _ftelli64(f);
    _fseeki64(f, 0, SEEK_SET);
#else
    struct stat st {};
    if (fstat(fileno(f), &st) != 0)
        ThrowFileError("Cannot read file", path, errno);
    if (S_ISDIR(st.st_mode))
        ThrowFileError("Cannot read file", path, EISDIR);
    const int64_t size = st.st_size;
#endif
    return size < 0 ? 0 : uint64_t(size);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Flushes an open file's data to disk (a file system that cannot, such as a pipe's, counts as done).
bool SyncToDisk(std::FILE* f)
{
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return ::fsync(fileno(f)) == 0 || errno == EINVAL || errno == EROFS;
#endif
}

// Flushes the given files' data to disk: on Linux everything written to their file system at once,
// elsewhere each file (Windows) or the whole system's buffers.
void FlushToDisk(const std::vector<std::string>& files)
{
    if (files.empty())
        return;
#if defined(__linux__)
    const int fd = ::open(ToPath(files.front()).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
#elif defined(_WIN32)
    for (const std::string& file : files) {
        FilePtr f(_wfopen(ToPath(file).c_str(), L"r+b"));
        if (f)
            _commit(_fileno(f.get()));
    }
#else
    ::sync();
#endif
}

std::string& AppFolderOverride()
{
    static std::string folder;
    return folder;
}

std::vector<std::string>& DataRootList()
{
    static std::vector<std::string> roots;
    return roots;
}

std::string& UserDataFolderSetting()
{
    static std::string folder;
    return folder;
}

std::string WithoutTrailingSeparators(std::string folder)
{
    while (folder.size() > 1 && IsSeparator(folder.back()))
        folder.pop_back();
    return folder;
}

// The same folder on disk (links and "..", "." resolved); false when either is missing.
bool SameFolder(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return fs::equivalent(ToPath(a), ToPath(b), ec) && !ec;
}

} // namespace

std::string AddTrailingBackslash(std::string_view path)
{
    if (path.empty())
        return {};
    std::string result(path);
    if (result.back() == PathSeparator)
        return result;
    if (result.back() == '/')
        result.back() = PathSeparator;
    else
        result += PathSeparator;
    return result;
}

std::string ExtractFileName(std::string_view path)
{
    size_t i = path.size();
    while (i > 0 && !IsSeparator(path[i - 1]))
        --i;
    return std::string(path.substr(i));
}

std::string ExtractFileExt(std::string_view path)
{
    const std::string name = ExtractFileName(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view ext)
{
    const std::string name = ExtractFileName(path);
    const size_t dot = name.rfind('.');
    std::string result(path.substr(0, path.size() - name.size()));
    result += dot == std::string::npos ? name : name.substr(0, dot);
    result += ext;
    return result;
}

std::string ExecutableFolder()
{
    static const std::string folder = [] {
        std::string exe;
#if defined(_WIN32)
        std::wstring buffer(32768, L'\0');
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        buffer.resize(n);
        exe = FromPath(fs::path(buffer));
#elif defined(__APPLE__)
        uint32_t size = 0;
        _NSGetExecutablePath(nullptr, &size);
        std::string buffer(size, '\0');
        if (_NSGetExecutablePath(buffer.data(), &size) == 0)
            exe = FromPath(fs::weakly_canonical(fs::path(buffer.c_str())));
#else
        std::error_code ec;
        exe = FromPath(fs::read_symlink("/proc/self/exe", ec));
#endif
        std::string dir = exe.substr(0, exe.size() - ExtractFileName(exe).size());
        while (dir.size() > 1 && IsSeparator(dir.back()))
            dir.pop_back();
        return dir.empty() ? FromPath(fs::current_path()) : dir;
    }();
    return folder;
}

std::string AppFolder()
{
    const std::string& folder = AppFolderOverride();
    return folder.empty() ? ExecutableFolder() : folder;
}

void SetAppFolder(std::string folder) { AppFolderOverride() = WithoutTrailingSeparators(std::move(folder)); }

std::vector<std::string> DefaultDataRoots()
{
    fs::path installed = (ToPath(ExecutableFolder()) / ".." / "share" / "vantrel").lexically_normal();
    return {ExecutableFolder(), WithoutTrailingSeparators(FromPath(installed.make_preferred()))};
}

std::vector<std::string> DataRoots()
{
    if (!AppFolderOverride().empty())
        return {AppFolderOverride()};
    return DataRootList().empty() ? DefaultDataRoots() : DataRootList();
}

void SetDataRoots(std::vector<std::string> roots)
{
    for (std::string& root : roots)
        root = WithoutTrailingSeparators(std::move(root));
    DataRootList() = std::move(roots);
}

std::string UserDataFolder() { return UserDataFolderSetting(); }

void SetUserDataFolder(std::string folder) { UserDataFolderSetting() = WithoutTrailingSeparators(std::move(folder)); }

std::string FindDataFolder(std::string_view name)
{
    const std::vector<std::string> roots = DataRoots();
    for (const std::string& root : roots)
        if (const std::string path = AddTrailingBackslash(root) + std::string(name); DirectoryExists(path))
            return path;
    for (const std::string& root : roots)
        if (const std::string path = FindNoCase(root, std::string(name)); DirectoryExists(path))
            return path;
    return roots.empty() ? std::string(name) : AddTrailingBackslash(roots.front()) + std::string(name);
}

std::vector<std::string> DataFolderList(std::string_view name)
{
    std::vector<std::string> folders{FindDataFolder(name)};
    if (UserDataFolder().empty())
        return folders;
    const std::string user = FindNoCase(UserDataFolder(), std::string(name));
    if (DirectoryExists(user) && !SameFolder(user, folders.front()))
        folders.push_back(user);
    return folders;
}

std::string PaletteFolder() { return AddTrailingBackslash(FindDataFolder(PaletteFolderName)); }

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    FilePtr f(OpenForReading(path));
    const uint64_t size = SizeOfOpenFile(f.get(), path);
    if (size > uint64_t(SIZE_MAX / 2))
        throw FileError("Cannot read file \"" + path + "\": the file is too large");
    std::vector<uint8_t> data(size);
    const size_t got = size ? std::fread(data.data(), 1, size, f.get()) : 0;
    if (got != size) {
        if (std::ferror(f.get()))
            ThrowFileError("Cannot read file", path, errno ? errno : EIO);
        data.resize(got);
    }
    return data;
}

std::vector<uint8_t> ReadFileHead(const std::string& path, size_t maxBytes)
{
    FilePtr f(OpenForReading(path));
    const uint64_t size = SizeOfOpenFile(f.get(), path);
    std::vector<uint8_t> data(size_t(std::min<uint64_t>(size, maxBytes)));
    const size_t got = data.empty() ? 0 : std::fread(data.data(), 1, data.size(), f.get());
    if (std::ferror(f.get()))
        ThrowFileError("Cannot read file", path, errno ? errno : EIO);
    data.resize(got);
    return data;
}

namespace {

// Writes data to a new temporary file beside path (flushed to disk when sync is set) and returns
// its name. Throws FileError and leaves nothing behind on failure.
fs::path WriteTemp(const std::string& path, std::span<const uint8_t> data, bool sync)
{

    const fs::path target = ToPath(path);
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    static std::mt19937_64 random{std::random_device{}()};
    static std::mutex randomLock;
    fs::path temp;
    FilePtr f;
    for (int attempt = 0; attempt < 100 && !f; ++attempt) {
        uint64_t tag;
        {
            std::lock_guard lock(randomLock);
            tag = random();
        }
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(tag));
        // Built by appending: "." + name trips a false -Wrestrict of GCC 12 at -O3.
        std::u8string name = u8".";
        name += target.filename().u8string();
        name.append(suffix, suffix + std::strlen(suffix));
        temp = folder / name;
#ifdef _WIN32
        f.reset(_wfopen(temp.c_str(), L"wbx"));
#else
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat st {};
            if (::stat(target.c_str(), &st) == 0)
                ::fchmod(fd, st.st_mode & 07777);
            f.reset(::fdopen(fd, "wb"));
            if (!f)
                ::close(fd);
        }
#endif
        if (!f && errno != EEXIST)
            break;
    }
    if (!f)
        ThrowFileError("Cannot create file", path, errno);

    auto fail = [&](int err) {
        f.reset();
        std::error_code ec;
        fs::remove(temp, ec);
        ThrowFileError("Cannot write file", path, err);
    };
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), f.get()) != data.size())
        fail(errno ? errno : EIO);
    if (std::fflush(f.get()) != 0)
        fail(errno ? errno : EIO);
    if (sync && !SyncToDisk(f.get()))
        fail(errno);
    if (std::fclose(f.release()) != 0)
        fail(errno ? errno : EIO);
    return temp;
}

// Renames a temporary file over its target; removes it on failure.
void RenameOver(const fs::path& temp, const std::string& path)
{
    std::error_code ec;
    fs::rename(temp, ToPath(path), ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw FileError("Cannot write file \"" + path + "\": " + ec.message());
    }
}

} // namespace

void WriteFileAtomic(const std::string& path, std::span<const uint8_t> data)
{
    RenameOver(WriteTemp(path, data, true), path);
}

TFileBatch::~TFileBatch()
{
    for (const auto& [temp, target] : Pending) {
        std::error_code ec;
        fs::remove(ToPath(temp), ec);
    }
}

void TFileBatch::Add(const std::string& path, std::span<const uint8_t> data)
{
    Pending.emplace_back(FromPath(WriteTemp(path, data, false)), path);
}

void TFileBatch::Commit()
{
    std::vector<std::string> temps;
    for (const auto& entry : Pending)
        temps.push_back(entry.first);
    FlushToDisk(temps);
    while (!Pending.empty()) {
        const auto [temp, target] = Pending.front();
        Pending.erase(Pending.begin());
        RenameOver(ToPath(temp), target);
    }
}

size_t TMemorySource::ReadAt(uint64_t offset, uint8_t* dst, size_t n)
{
    if (offset >= Bytes.size())
        return 0;
    n = size_t(std::min<uint64_t>(n, Bytes.size() - offset));
    std::memcpy(dst, Bytes.data() + offset, n);
    return n;
}

TFileSource::TFileSource(const std::string& path) : Path(path)
{
    std::FILE* f = OpenForReading(path);
    Handle = f;
    try {
        FileSize = SizeOfOpenFile(f, path);
    } catch (...) {
        std::fclose(f);
        throw;
    }
}

TFileSource::~TFileSource()
{
    if (Handle)
        std::fclose(static_cast<std::FILE*>(Handle));
}

size_t TFileSource::ReadAt(uint64_t offset, uint8_t* dst, size_t n)
{
    if (offset >= FileSize || n == 0)
        return 0;
    auto* f = static_cast<std::FILE*>(Handle);
#ifdef _WIN32
    if (_fseeki64(f, int64_t(offset), SEEK_SET) != 0)
#else
    if (fseeko(f, off_t(offset), SEEK_SET) != 0)
#endif
        ThrowFileError("Cannot read file", Path, errno);
    const size_t got = std::fread(dst, 1, n, f);
    if (got < n && std::ferror(f))
        ThrowFileError("Cannot read file", Path, errno ? errno : EIO);
    return got;
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(ToPath(path), ec);
}

bool DirectoryExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(ToPath(path), ec);
}

std::vector<TDirEntry> ListDirectory(const std::string& folder)
{
    std::vector<TDirEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(ToPath(folder), fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeEc;
        entries.push_back({FromPath(it->path().filename()), it->is_directory(typeEc)});
    }
    std::sort(entries.begin(), entries.end(), NameOrderNoCase);
    return entries;
}

bool NameOrderNoCase(const TDirEntry& a, const TDirEntry& b)
{
    const std::string la = LowerCase(a.Name), lb = LowerCase(b.Name);
    return la != lb ? la < lb : a.Name < b.Name;
}

std::string FindNoCase(const std::string& folder, const std::string& name)
{
    const std::string dir = AddTrailingBackslash(folder);
    std::error_code ec;
    if (fs::exists(ToPath(dir + name), ec))
        return dir + name;
    for (const TDirEntry& e : ListDirectory(folder))
        if (SameTextNoCase(e.Name, name))
            return dir + e.Name;
    return {};
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return r;
}

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return r;
}

bool SameTextNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

} // namespace vantrel
