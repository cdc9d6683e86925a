#include "FileUtil.h"

#include "Types.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <random>
#include <system_error>

#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
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

#ifdef _WIN32
std::string NotRegularReason(int mode)
{
    return (mode & _S_IFMT) == _S_IFDIR ? "it is a folder, not a file" : "it is not a regular file";
}
#else
std::string NotRegularReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder, not a file";
    if (S_ISFIFO(mode))
        return "it is a pipe (FIFO), not a regular file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a regular file";
    return "it is not a regular file";
}
#endif

[[noreturn]] void ThrowNotRegular(const char* what, const std::string& path, const std::string& reason)
{
    throw FileError(std::string(what) + " \"" + path + "\": " + reason);
}

#ifndef _WIN32
// Opens a regular file for reading and gives what it is once open. Anything else is refused before
// it is opened (so that opening a device has no effect) and again once open, and the open itself
// never waits: a pipe without a writer would block it.
int OpenRegularFile(const std::string& path, struct stat& st)
{
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        ThrowNotRegular("Cannot open file", path, NotRegularReason(st.st_mode));
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        ThrowFileError("Cannot open file", path, errno);
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        ThrowFileError("Cannot open file", path, err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        ThrowNotRegular("Cannot open file", path, NotRegularReason(st.st_mode));
    }
    ::fcntl(fd, F_SETFL, 0); // reads wait as usual: only the open must not
    return fd;
}

struct TFdCloser {
    int Fd;
    ~TFdCloser() { ::close(Fd); }
};

// The first bytes of a file, at most maxBytes, read straight into the result.
std::vector<uint8_t> ReadStart(const std::string& path, uint64_t maxBytes)
{
    struct stat st {};
    const TFdCloser file{OpenRegularFile(path, st)};
    const uint64_t size = std::min<uint64_t>(st.st_size < 0 ? 0 : uint64_t(st.st_size), maxBytes);
    if (size > uint64_t(SIZE_MAX / 2))
        throw FileError("Cannot read file \"" + path + "\": the file is too large");
    std::vector<uint8_t> data(static_cast<size_t>(size));
    size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(file.Fd, data.data() + got, data.size() - got);
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            ThrowFileError("Cannot read file", path, errno);
        got += n > 0 ? size_t(n) : 0;
    }
    data.resize(got);
    return data;
}
#endif

// Opens a regular file for reading (as OpenRegularFile does).
std::FILE* OpenForReading(const std::string& path)
{
#ifdef _WIN32
    struct _stat64 st {};
    if (_wstat64(ToPath(path).c_str(), &st) == 0 && (st.st_mode & _S_IFMT) != _S_IFREG)
        ThrowNotRegular("Cannot open file", path, NotRegularReason(st.st_mode));
    std::FILE* f = _wfopen(ToPath(path).c_str(), L"rb");
    if (!f)
        ThrowFileError("Cannot open file", path, errno);
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)))) != FILE_TYPE_DISK) {
        std::fclose(f);
        ThrowNotRegular("Cannot open file", path, "it is not a regular file");
    }
    return f;
#else
    struct stat st {};
    const int fd = OpenRegularFile(path, st);
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        const int err = errno;
        ::close(fd);
        ThrowFileError("Cannot open file", path, err);
    }
    return f;
#endif
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
    const int64_t size = st.st_size;
#endif
    return size < 0 ? 0 : uint64_t(size);
}

constexpr size_t WriteBufferSize = 256 << 10;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Files being written are reached through their descriptors, with the program's own buffer.
#ifdef _WIN32
int CreateNewFile(const fs::path& path)
{
    int fd = -1;
    const errno_t err = _wsopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                                  _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (err != 0)
        errno = err;
    return err != 0 ? -1 : fd;
}
int WriteSome(int fd, const uint8_t* data, size_t n) { return _write(fd, data, unsigned(std::min<size_t>(n, 1u << 30))); }
int CloseFile(int fd) { return _close(fd); }
#else
int CreateNewFile(const fs::path& path) { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); }
ssize_t WriteSome(int fd, const uint8_t* data, size_t n) { return ::write(fd, data, n); }
int CloseFile(int fd) { return ::close(fd); }
#endif

// Writes all of data; false with errno set when the file takes no more.
bool WriteAll(int fd, const uint8_t* data, size_t n)
{
    while (n > 0) {
        const auto done = WriteSome(fd, data, n);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = ENOSPC;
            return false;
        }
        data += done;
        n -= size_t(done);
    }
    return true;
}

// Flushes an open file's data to disk (a file system that cannot, such as a pipe's, counts as done).
bool SyncToDisk(int fd)
{
#ifdef _WIN32
    return _commit(fd) == 0;
#else
    return ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
#endif
}

// Files without a name (Linux): written in the target's folder and given the target's name once
// complete, so that no one sees them under another name and they vanish with the process however
// it ends. Each stays open until then; beyond a few dozen at once, files are written under a
// temporary name as elsewhere, so that many files waiting for their names do not use up what
// the process may open.
#if defined(__linux__) && defined(O_TMPFILE)
constexpr int MaxUnnamedFiles = 64;
std::atomic<int> UnnamedFiles{0};

// A file without a name in folder, or -1 when that cannot be had (the caller then writes a
// temporary file, whose errors say what is wrong).
int OpenUnnamedFile(const fs::path& folder)
{
    static const bool namable = ::access("/proc/self/fd", X_OK) == 0; // linkat finds the file there
    if (!namable)
        return -1;
    if (UnnamedFiles.fetch_add(1) >= MaxUnnamedFiles) {
        UnnamedFiles.fetch_sub(1);
        return -1;
    }
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        UnnamedFiles.fetch_sub(1);
    return fd;
}

void ReleaseUnnamedFile() { UnnamedFiles.fetch_sub(1); }

// Gives the open file without a name the name path: 0 or the error (EEXIST when it is taken).
int LinkUnnamedFile(int fd, const fs::path& path)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}
#else
int OpenUnnamedFile(const fs::path&) { return -1; }
void ReleaseUnnamedFile() {}
int LinkUnnamedFile(int, const fs::path&) { return ENOTSUP; }
#endif

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

// The temporary files being written, for the handler that removes them when the process is
// ended by a signal. The handler may run at any moment, so slots live in blocks that are never
// freed, a slot's state is atomic (0 free, 1 being changed, 2 holding a path), and a slot's path
// buffer is replaced only while it holds no path.
struct TPendingSlot {
    std::atomic<int> State{0};
    fs::path::value_type* Path = nullptr;
    size_t Capacity = 0;
};
struct TPendingBlock {
    TPendingSlot Slots[256];
    TPendingBlock* Next = nullptr; // set before the block is published, never changed after
};
std::atomic<TPendingBlock*> PendingBlocks{nullptr};

TPendingSlot* FillPendingSlot(TPendingSlot& slot, const fs::path::string_type& path) noexcept
{
    if (slot.Capacity < path.size() + 1) {
        auto* buffer = new (std::nothrow) fs::path::value_type[path.size() + 1];
        if (!buffer) {
            slot.State.store(0);
            return nullptr;
        }
        delete[] slot.Path;
        slot.Path = buffer;
        slot.Capacity = path.size() + 1;
    }
    std::copy(path.begin(), path.end(), slot.Path);
    slot.Path[path.size()] = 0;
    slot.State.store(2);
    return &slot;
}

// Null when no slot could be had (the file is then not removed on a signal).
TPendingSlot* RegisterPendingFile(const fs::path& temp) noexcept
{
    for (TPendingBlock* block = PendingBlocks.load(); block; block = block->Next)
        for (TPendingSlot& slot : block->Slots) {
            int expected = 0;
            if (slot.State.load() == 0 && slot.State.compare_exchange_strong(expected, 1))
                return FillPendingSlot(slot, temp.native());
        }
    auto* block = new (std::nothrow) TPendingBlock;
    if (!block)
        return nullptr;
    block->Slots[0].State.store(1);
    block->Next = PendingBlocks.load();
    while (!PendingBlocks.compare_exchange_weak(block->Next, block)) {
    }
    return FillPendingSlot(block->Slots[0], temp.native());
}

void UnregisterPendingFile(TPendingSlot* slot) noexcept
{
    if (!slot)
        return;
    slot->State.store(1);
    slot->State.store(0);
}

// Only async-signal-safe calls: unlink and raise.
void RemovePendingFilesAndDie(int sig)
{
    for (TPendingBlock* block = PendingBlocks.load(); block; block = block->Next)
        for (TPendingSlot& slot : block->Slots)
            if (slot.State.load() == 2)
#ifdef _WIN32
                _wunlink(slot.Path);
#else
                ::unlink(slot.Path);
#endif
    std::raise(sig); // the default action, restored when the handler was entered
}

// Ctrl+C, SIGTERM and SIGHUP remove the temporary files before they end the process, unless the
// program handles or ignores them itself.
void InstallSignalCleanup()
{
    static std::once_flag once;
    std::call_once(once, [] {
#ifdef _WIN32
        for (int sig : {SIGINT, SIGTERM}) {
            const auto previous = std::signal(sig, RemovePendingFilesAndDie);
            if (previous != SIG_DFL && previous != SIG_ERR)
                std::signal(sig, previous);
        }
#else
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction previous {};
            if (::sigaction(sig, nullptr, &previous) != 0 || (previous.sa_flags & SA_SIGINFO) ||
                previous.sa_handler != SIG_DFL)
                continue;
            struct sigaction action {};
            action.sa_handler = RemovePendingFilesAndDie;
            sigemptyset(&action.sa_mask);
            action.sa_flags = SA_RESETHAND;
            ::sigaction(sig, &action, nullptr);
        }
#endif
    });
}

// The file a write replaces: the target with its symbolic links followed (the file a link points
// to is replaced and the link stays), and the permission bits of an existing one, which the new
// file takes over. An existing target that is not a regular file or that is read-only is refused.
struct TTarget {
    fs::path Path;
    std::optional<unsigned> Mode;
};

#ifdef _WIN32
TTarget InspectTarget(fs::path target, const std::string& path)
{
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec)) || ec)
            break;
        const fs::path link = fs::read_symlink(target, ec);
        if (ec)
            throw FileError("Cannot write file \"" + path + "\": " + ec.message());
        target = link.is_absolute() ? link : target.parent_path() / link;
        if (depth == 39)
            ThrowFileError("Cannot write file", path, ELOOP);
    }
    std::error_code ec;
    const fs::file_status st = fs::status(target, ec);
    if (ec || !fs::exists(st))
        return {target, std::nullopt};
    if (!fs::is_regular_file(st))
        ThrowNotRegular("Cannot write file", path,
                        fs::is_directory(st) ? "it is a folder, not a file" : "it is not a regular file");
    if ((st.permissions() & fs::perms::owner_write) == fs::perms::none)
        ThrowNotRegular("Cannot write file", path, "the file is read-only");
    return {target, std::nullopt};
}
#else
// One look at the target when it does not exist yet, the usual case.
TTarget InspectTarget(fs::path target, const std::string& path)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0)
            return {target, std::nullopt}; // no file yet (or none that can be reached: creating it will say why)
        if (!S_ISLNK(st.st_mode)) {
            if (!S_ISREG(st.st_mode))
                ThrowNotRegular("Cannot write file", path, NotRegularReason(st.st_mode));
            if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
                ThrowNotRegular("Cannot write file", path, "the file is read-only");
            if (::access(target.c_str(), W_OK) != 0)
                ThrowFileError("Cannot write file", path, errno);
            return {target, unsigned(st.st_mode & 07777)};
        }
        std::error_code ec;
        const fs::path link = fs::read_symlink(target, ec);
        if (ec)
            throw FileError("Cannot write file \"" + path + "\": " + ec.message());
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    ThrowFileError("Cannot write file", path, ELOOP);
}
#endif

// "." + the target's name + "." + six characters, in the target's folder; the name is cut (at a
// character boundary) so that the whole stays within the 255 bytes file systems allow.
fs::path TemporaryName(const fs::path& target, uint64_t tag)
{
    constexpr size_t MaxNameBytes = 255;
    constexpr size_t TagLength = 6;
    std::string name = FromPath(target.filename());
    const size_t room = MaxNameBytes - 2 - TagLength;
    if (name.size() > room) {
        size_t cut = room;
        while (cut > 0 && (uint8_t(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    std::string temp = "." + name + ".";
    for (size_t i = 0; i < TagLength; ++i, tag /= 36)
        temp += "0123456789abcdefghijklmnopqrstuvwxyz"[tag % 36];
    return target.parent_path() / ToPath(temp);
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
#ifdef _WIN32
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
#else
    return ReadStart(path, UINT64_MAX);
#endif
}

std::vector<uint8_t> ReadFileHead(const std::string& path, size_t maxBytes)
{
#ifdef _WIN32
    FilePtr f(OpenForReading(path));
    const uint64_t size = SizeOfOpenFile(f.get(), path);
    std::vector<uint8_t> data(size_t(std::min<uint64_t>(size, maxBytes)));
    const size_t got = data.empty() ? 0 : std::fread(data.data(), 1, data.size(), f.get());
    if (std::ferror(f.get()))
        ThrowFileError("Cannot read file", path, errno ? errno : EIO);
    data.resize(got);
    return data;
#else
    return ReadStart(path, maxBytes);
#endif
}

struct TAtomicFile::TState {
    std::string Path; // as given, for messages
    fs::path Target;  // with its links followed
    fs::path Temp;
    int Fd = -1;
    bool Unnamed = false; // written without a name, which it gets in Replace
    bool Closed = false;  // written, to be replaced
    std::unique_ptr<uint8_t[]> Buffer; // WriteBufferSize bytes, taken at the first small write
    size_t Buffered = 0;
    TPendingSlot* Slot = nullptr;

    // Writes what the buffer holds; false with errno set when that fails.
    bool WriteBuffered()
    {
        const size_t n = std::exchange(Buffered, 0);
        return WriteAll(Fd, Buffer.get(), n);
    }

    // Closes the file; 0 or the error.
    int CloseHandle() noexcept
    {
        if (Fd < 0)
            return 0;
        const int err = CloseFile(std::exchange(Fd, -1)) == 0 ? 0 : errno ? errno : EIO;
        if (Unnamed)
            ReleaseUnnamedFile();
        return err;
    }

    // A new temporary name beside the target.
    void PickTemporaryName()
    {
        static std::mt19937_64 random{std::random_device{}()};
        static std::mutex randomLock;
        uint64_t tag;
        {
            std::lock_guard lock(randomLock);
            tag = random();
        }
        Temp = TemporaryName(Target, tag);
    }

    // Closes and removes the temporary file, unless it has been committed.
    void Discard() noexcept
    {
        CloseHandle();
        Buffer.reset();
        if (!Temp.empty()) {
            std::error_code ec;
            fs::remove(Temp, ec);
            Temp.clear();
        }
        UnregisterPendingFile(Slot);
        Slot = nullptr;
    }
};

TAtomicFile::TAtomicFile(const std::string& path) : State(std::make_unique<TState>())
{
    TState& s = *State;
    s.Path = path;
    const TTarget target = InspectTarget(ToPath(path), path);
    s.Target = target.Path;
    if (!target.Mode) {
        s.Fd = OpenUnnamedFile(s.Target.parent_path());
        s.Unnamed = s.Fd >= 0;
        if (s.Unnamed)
            return;
    }
    InstallSignalCleanup();
    for (int attempt = 0; attempt < 100 && s.Fd < 0; ++attempt) {
        s.PickTemporaryName();
        s.Fd = CreateNewFile(s.Temp);
#ifdef _WIN32
        (void)target;
#else
        if (s.Fd >= 0 && target.Mode)
            ::fchmod(s.Fd, mode_t(*target.Mode));
#endif
        if (s.Fd < 0 && errno != EEXIST)
            break;
    }
    if (s.Fd < 0)
        ThrowFileError("Cannot create file", path, errno);
    s.Slot = RegisterPendingFile(s.Temp);
}

TAtomicFile::~TAtomicFile()
{
    if (State)
        State->Discard();
}

std::string TAtomicFile::TemporaryPath() const { return FromPath(State->Temp); }

void TAtomicFile::Fail(int err)
{
    State->Discard();
    ThrowFileError("Cannot write file", State->Path, err);
}

void TAtomicFile::Write(std::span<const uint8_t> data)
{
    TState& s = *State;
    if (s.Fd < 0 || s.Closed)
        ThrowFileError("Cannot write file", s.Path, EBADF);
    if (data.empty())
        return;
    if (s.Buffered + data.size() > WriteBufferSize && !s.WriteBuffered())
        Fail(errno ? errno : EIO);
    if (data.size() < WriteBufferSize && !s.Buffer)
        s.Buffer.reset(new (std::nothrow) uint8_t[WriteBufferSize]);
    if (data.size() >= WriteBufferSize || !s.Buffer) {
        if (!WriteAll(s.Fd, data.data(), data.size()))
            Fail(errno ? errno : EIO);
        return;
    }
    std::memcpy(s.Buffer.get() + s.Buffered, data.data(), data.size());
    s.Buffered += data.size();
}

void TAtomicFile::Close(bool sync)
{
    TState& s = *State;
    if (s.Fd < 0 || s.Closed)
        ThrowFileError("Cannot write file", s.Path, EBADF);
    if (!s.WriteBuffered())
        Fail(errno ? errno : EIO);
    s.Buffer.reset(); // files closed and kept for a later rename (TFileBatch) hold no buffer
    if (sync && !SyncToDisk(s.Fd))
        Fail(errno);
    s.Closed = true;
    if (!s.Unnamed)
        if (const int err = s.CloseHandle())
            Fail(err);
}

void TAtomicFile::Replace()
{
    TState& s = *State;
    if (!s.Closed || (s.Unnamed ? s.Fd < 0 : s.Temp.empty()))
        ThrowFileError("Cannot write file", s.Path, EBADF);
    if (s.Unnamed) {
        // The target's name, or when a file of that name has come meanwhile a temporary name,
        // renamed over it below as any other.
        int err = LinkUnnamedFile(s.Fd, s.Target);
        for (int attempt = 0; err == EEXIST && attempt < 100; ++attempt) {
            s.PickTemporaryName();
            err = LinkUnnamedFile(s.Fd, s.Temp);
        }
        s.CloseHandle(); // its data is written: what closing says adds nothing
        if (err) {
            s.Temp.clear();
            ThrowFileError("Cannot write file", s.Path, err);
        }
        if (s.Temp.empty())
            return;
        s.Slot = RegisterPendingFile(s.Temp);
    }
    std::error_code ec;
    fs::rename(s.Temp, s.Target, ec);
    if (ec) {
        s.Discard();
        throw FileError("Cannot write file \"" + s.Path + "\": " + ec.message());
    }
    UnregisterPendingFile(s.Slot);
    s.Slot = nullptr;
    s.Temp.clear();
}

TAtomicFile::TAtomicFile(std::unique_ptr<TState> state) : State(std::move(state)) {}

void TAtomicFile::Commit()
{
    if (TDeferCommits::Current()) {
        Close(false);
        TDeferCommits::Defer(*this);
        return;
    }
    Close(true);
    Replace();
}

void WriteFileAtomic(const std::string& path, std::span<const uint8_t> data)
{
    TAtomicFile file(path);
    file.Write(data);
    file.Commit();
}

TFileBatch::TFileBatch() = default;
TFileBatch::~TFileBatch() = default;
TFileBatch::TFileBatch(TFileBatch&&) noexcept = default;
TFileBatch& TFileBatch::operator=(TFileBatch&&) noexcept = default;

void TFileBatch::Add(const std::string& path, std::span<const uint8_t> data)
{
    auto file = std::make_unique<TAtomicFile>(path);
    file->Write(data);
    file->Close(false);
    Pending.push_back(std::move(file));
}

void TFileBatch::Commit()
{
    FlushToDisk({this});
    Replace();
}

void TFileBatch::FlushToDisk(const std::vector<TFileBatch*>& batches)
{
    std::vector<std::string> files; // a path on each file's disk: its own, or its folder while it has none
    for (const TFileBatch* batch : batches)
        for (const auto& file : batch->Pending) {
            const TAtomicFile::TState& s = *file->State;
            const fs::path folder = s.Target.parent_path();
            files.push_back(FromPath(!s.Unnamed ? s.Temp : folder.empty() ? fs::path(".") : folder));
        }
    vantrel::FlushToDisk(files);
}

void TFileBatch::Replace()
{
    for (const auto& file : Pending)
        file->Replace();
    Pending.clear();
}

namespace {
thread_local TFileBatch* DeferringBatch = nullptr;
}

TDeferCommits::TDeferCommits(TFileBatch& batch) : Previous(DeferringBatch) { DeferringBatch = &batch; }

TDeferCommits::~TDeferCommits() { DeferringBatch = Previous; }

TFileBatch* TDeferCommits::Current() { return DeferringBatch; }

void TDeferCommits::Defer(TAtomicFile& file)
{
    DeferringBatch->Pending.push_back(std::unique_ptr<TAtomicFile>(new TAtomicFile(std::move(file.State))));
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

bool PathExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::exists(fs::symlink_status(ToPath(path), ec));
}

bool IsSpecialFile(const std::string& path)
{
    std::error_code ec;
    const fs::file_status st = fs::status(ToPath(path), ec);
    return !ec && fs::exists(st) && !fs::is_regular_file(st) && !fs::is_directory(st);
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
