// File and folder helpers of the sprite core: whole-file reads, safe writes, the program's
// folder and its data folders, sorted folder listings and case-insensitive lookups.
// Paths are UTF-8 strings with the platform's separator.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

#ifdef _WIN32
constexpr char PathSeparator = '\\';
#else
constexpr char PathSeparator = '/';
#endif

// An empty path stays empty; a path ending in the separator is unchanged; a final "/" becomes
// the separator; otherwise the separator is appended.
std::string AddTrailingBackslash(std::string_view path);

// The file-name part of a path (after the last separator).
std::string ExtractFileName(std::string_view path);
// The extension of a path with its dot ("" when the file name has none).
std::string ExtractFileExt(std::string_view path);
// The path with its extension (the last dot of the file name and what follows) replaced.
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// The folder of the running executable, without a trailing separator.
std::string ExecutableFolder();
// The program's own folder: the executable's folder unless set otherwise (the command-line
// tool's --data-dir, tests). Setting it makes it the only folder the data folders are looked for
// in; setting "" goes back to the lookup.
std::string AppFolder();
void SetAppFolder(std::string folder);

// The data folders of the bundled data set.
inline constexpr const char* PaletteFolderName = "palette";
inline constexpr const char* BackgroundFolderName = "Backgrounds";
inline constexpr const char* SpriteFolderName = "SHPs";
inline constexpr const char* SchemeFolderName = "cscheme";

// The folders the data folders are looked for in, in order: the folder set by SetAppFolder alone,
// else the list set by SetDataRoots, else DefaultDataRoots().
std::vector<std::string> DataRoots();
void SetDataRoots(std::vector<std::string> roots);
// The executable's folder, then share/vantrel beside the folder holding it
// (<executable's folder>/../share/vantrel), where an installed program finds its data.
std::vector<std::string> DefaultDataRoots();
// The user's own data folder, whose palette/, Backgrounds/ and cscheme/ are listed beside the
// ones found; "" when the program has set none.
std::string UserDataFolder();
void SetUserDataFolder(std::string folder);

// The data folder `name` (without trailing separator) of the first root holding it, the name
// written exactly as given or, when no root has that, in any case; the first root + name when
// there is none.
std::string FindDataFolder(std::string_view name);
// FindDataFolder(name), followed by the user's folder of that name when it exists and is another
// folder.
std::vector<std::string> DataFolderList(std::string_view name);
// FindDataFolder("palette") + separator.
std::string PaletteFolder();

// Files are read only when they are regular files: a pipe, socket, device or folder given by
// name is refused with FileError (it is checked before opening and again once open, and opening
// never waits for a writer).

// Reads a whole file in one piece. Throws FileError naming the file and the reason.
std::vector<uint8_t> ReadWholeFile(const std::string& path);
// Reads at most maxBytes from the start of a file. Throws FileError.
std::vector<uint8_t> ReadFileHead(const std::string& path, size_t maxBytes);

// A file written through a temporary file in the target's folder, whose name is the target's
// with a dot before and a dot and six characters after it (a long name is cut so that the
// temporary name stays within 255 bytes). Commit flushes it to disk and renames it over the
// target; until then the target is untouched, and the temporary file is removed when the object
// goes without Commit, when a step fails, or when the process is ended by Ctrl+C, SIGTERM or
// SIGHUP. A target that is a symbolic link is followed: the file it points to is replaced and the
// link stays. A target that is not a regular file (a pipe, a device, a folder) or that is
// read-only is refused. Every failure throws FileError naming the file and the reason.
// Where the system allows it (Linux), a target that does not exist yet is written to a file
// without a name in its folder instead, which is given the target's name once complete: nothing
// is ever seen under another name, and a process ended in any way leaves nothing behind.
class TAtomicFile {
public:
    explicit TAtomicFile(const std::string& path);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    void Write(std::span<const uint8_t> data);
    // Close (flushing the data to disk), then Replace.
    void Commit();
    // The two steps of Commit, for files flushed to disk together (TFileBatch): Close ends the
    // writing, Replace renames the temporary file over the target (or names the file without a
    // name, which stays open until then).
    void Close(bool flushToDisk);
    void Replace();
    // The temporary file being written ("" for a file without a name and once it has replaced
    // the target).
    std::string TemporaryPath() const;

private:
    friend class TDeferCommits;
    friend class TFileBatch;
    struct TState;
    explicit TAtomicFile(std::unique_ptr<TState> state);
    std::unique_ptr<TState> State;
    [[noreturn]] void Fail(int err);
};

// Writes data through a TAtomicFile.
void WriteFileAtomic(const std::string& path, std::span<const uint8_t> data);

// Many files written as WriteFileAtomic writes one, but flushed to disk together (one flush
// instead of one a file): Add writes each to a temporary file beside its target (a TAtomicFile),
// Commit flushes them and renames them over their targets in the order added. Temporary files not
// committed are removed when the batch ends. Add and Commit throw FileError; a failed rename
// leaves the targets before it replaced.
class TFileBatch {
public:
    TFileBatch();
    ~TFileBatch();
    TFileBatch(TFileBatch&&) noexcept;
    TFileBatch& operator=(TFileBatch&&) noexcept;
    void Add(const std::string& path, std::span<const uint8_t> data);
    void Commit();

    bool Empty() const { return Pending.empty(); }
    // The two steps of Commit, for several batches flushed together: FlushToDisk flushes the
    // files of every batch, Replace renames one batch's files.
    static void FlushToDisk(const std::vector<TFileBatch*>& batches);
    void Replace();

private:
    friend class TDeferCommits;
    std::vector<std::unique_ptr<TAtomicFile>> Pending;
};

// While one lives, TAtomicFile::Commit on its thread only closes the file and adds it to the
// batch, which flushes and renames it later with others: the files of many small outputs reach
// the disk in one flush, and still replace their targets only once complete. Other threads
// commit as before.
class TDeferCommits {
public:
    explicit TDeferCommits(TFileBatch& batch);
    ~TDeferCommits();
    TDeferCommits(const TDeferCommits&) = delete;
    TDeferCommits& operator=(const TDeferCommits&) = delete;

    // The batch of the calling thread's deferred commits, or null.
    static TFileBatch* Current();
    static void Defer(TAtomicFile& file);

private:
    TFileBatch* Previous;
};

// Random access to the bytes of a file or of a buffer, for the probes that look at a few bytes
// of many files.
class TByteSource {
public:
    virtual ~TByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads up to n bytes at offset; returns how many were read (fewer at the end).
    virtual size_t ReadAt(uint64_t offset, uint8_t* dst, size_t n) = 0;
};

class TMemorySource final : public TByteSource {
public:
    explicit TMemorySource(std::span<const uint8_t> bytes) : Bytes(bytes) {}
    uint64_t Size() const override { return Bytes.size(); }
    size_t ReadAt(uint64_t offset, uint8_t* dst, size_t n) override;

private:
    std::span<const uint8_t> Bytes;
};

// A file opened for reading. Throws FileError when it cannot be opened.
class TFileSource final : public TByteSource {
public:
    explicit TFileSource(const std::string& path);
    ~TFileSource() override;
    TFileSource(const TFileSource&) = delete;
    TFileSource& operator=(const TFileSource&) = delete;
    uint64_t Size() const override { return FileSize; }
    size_t ReadAt(uint64_t offset, uint8_t* dst, size_t n) override;

private:
    std::string Path;
    void* Handle = nullptr;
    uint64_t FileSize = 0;
};

// FileExists: a regular file (links followed); PathExists: anything at all, even a dangling
// link; IsSpecialFile: a pipe, socket or device (links followed), which the readers refuse.
bool FileExists(const std::string& path);
bool PathExists(const std::string& path);
bool IsSpecialFile(const std::string& path);
bool DirectoryExists(const std::string& path);

struct TDirEntry {
    std::string Name;
    bool IsFolder = false;
};
// The entries of a folder (hidden ones included, "." and ".." excluded), sorted by name without
// regard to case. A folder that cannot be read gives an empty list.
std::vector<TDirEntry> ListDirectory(const std::string& folder);
// The order of ListDirectory: names without regard to case, names that differ only in case by
// their bytes.
bool NameOrderNoCase(const TDirEntry& a, const TDirEntry& b);

// folder + name when that exists; otherwise the entry of folder whose name matches name without
// regard to case; "" when there is none.
std::string FindNoCase(const std::string& folder, const std::string& name);

// Case-insensitive ASCII helpers.
std::string LowerCase(std::string_view s);
std::string UpperCase(std::string_view s);
bool SameTextNoCase(std::string_view a, std::string_view b);

} // namespace vantrel
