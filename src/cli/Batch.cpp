#include "Batch.h"
#include "SpriteSetup.h"

#include "imaging/Imaging.h"
#include "sprite/FileUtil.h"
#include "sprite/Types.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <thread>
#include <utility>

namespace vantrel::cli {

namespace fs = std::filesystem;

namespace {

constexpr int64_t MaxJobs = 256;

fs::path NativePath(const std::string& path) { return fs::path(std::u8string(path.begin(), path.end())); }

std::string Utf8(const fs::path& path)
{
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

// The SHP files below folder, depth first, each folder's entries in the listing's order. A
// folder reached again through a link is not walked twice.
void CollectFolder(const std::string& folder, const std::string& relative, std::set<fs::path>& walking,
                   std::vector<TBatchInput>& inputs)
{
    std::error_code ec;
    const fs::path canonical = fs::canonical(NativePath(folder), ec);
    if (ec || !walking.insert(canonical).second)
        return;
    const std::string base = AddTrailingBackslash(folder);
    const std::string sep(1, PathSeparator);
    for (const TDirEntry& entry : ListDirectory(folder)) {
        const std::string rel = relative.empty() ? entry.Name : relative + sep + entry.Name;
        if (entry.IsFolder)
            CollectFolder(base + entry.Name, rel, walking, inputs);
        else if (IsSHPExtension(ExtractFileExt(entry.Name)))
            inputs.push_back({base + entry.Name, rel});
    }
    walking.erase(canonical);
}

// The folder's own name, which its outputs are put under: "units" for "mod/units/"; none for
// ".", ".." and a root.
std::string OutputFolderName(const std::string& folder)
{
    const fs::path normal = NativePath(folder).lexically_normal();
    // "mod/units/" ends in an empty name, its folder's
    const fs::path name = normal.has_filename() ? normal.filename() : normal.parent_path().filename();
    return name == "." || name == ".." ? std::string() : Utf8(name);
}

// A file's identity for comparing outputs and inputs: absolute (relative to the current folder
// given), "." and ".." resolved, lower case.
std::string PathKey(const fs::path& currentFolder, const std::string& path)
{
    const fs::path native = NativePath(path);
    return LowerCase(Utf8((native.is_absolute() ? native : currentFolder / native).lexically_normal()));
}

// The progress bar over the files of a batch: "[#######.............]  12/350 name".
class TBatchProgress {
public:
    explicit TBatchProgress(size_t count) : Enabled(count > 1 && StderrIsTerminal()), Count(count) {}
    ~TBatchProgress() { Clear(); }
    TBatchProgress(const TBatchProgress&) = delete;
    TBatchProgress& operator=(const TBatchProgress&) = delete;

    // Redrawn at most ten times a second unless it was cleared.
    void Show(size_t done, const std::string& name)
    {
        const auto now = std::chrono::steady_clock::now();
        if (!Enabled || (Shown && done < Count && now - LastShown < std::chrono::milliseconds(100)))
            return;
        LastShown = now;
        const std::lock_guard turn(StderrLock());
        constexpr size_t Width = 24;
        const size_t filled = Count ? done * Width / Count : Width;
        const std::string bar = std::string(filled, '#') + std::string(Width - filled, '.');
        std::fprintf(stderr, "\r\033[K[%s] %zu/%zu %s", bar.c_str(), done, Count, ShortenedName(name, 48).c_str());
        std::fflush(stderr);
        Shown = true;
    }
    void Clear()
    {
        if (!Shown)
            return;
        const std::lock_guard turn(StderrLock());
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        Shown = false;
    }

private:
    bool Enabled;
    bool Shown = false;
    size_t Count;
    std::chrono::steady_clock::time_point LastShown;
};

void WriteResult(const TFileResult& result)
{
    if (!result.Err.empty()) {
        const std::lock_guard turn(StderrLock()); // not while a job decodes a picture
        std::fflush(stdout);
        std::fputs(result.Err.c_str(), stderr);
        std::fflush(stderr);
    }
    WriteStdout(result.Out);
}

// Flushes the files the finished results wrote to disk at once, then renames each over its
// target; a file that cannot be renamed turns its result into an output error.
void CommitFiles(std::vector<std::optional<TFileResult>>& results, const std::vector<size_t>& finished,
                 const std::vector<std::string>& names)
{
    std::vector<TFileBatch*> batches;
    for (size_t i : finished)
        if (!results[i]->Commits.Empty())
            batches.push_back(&results[i]->Commits);
    if (batches.empty())
        return;
    TFileBatch::FlushToDisk(batches);
    for (size_t i : finished) {
        try {
            results[i]->Commits.Replace();
        } catch (const FileError& e) {
            *results[i] = {ExitOutput, {}, ErrorLine(names[i] + ": " + e.what()), {}};
        }
    }
}

// The files from the largest to the smallest (equal sizes in their order), so that no large file
// is left to one job at the end while the others have nothing to do.
std::vector<size_t> LargestFirst(const std::vector<std::string>& paths)
{
    std::vector<uint64_t> sizes;
    for (const std::string& path : paths) {
        std::error_code ec;
        const uintmax_t size = fs::file_size(NativePath(path), ec);
        sizes.push_back(ec ? 0 : uint64_t(size));
    }
    std::vector<size_t> order(paths.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return sizes[a] > sizes[b]; });
    return order;
}

} // namespace

std::vector<TOptionSpec> BatchOptions(bool writesFiles)
{
    std::vector<TOptionSpec> specs{{"-j", true, "--jobs"}, {"--recursive", false, "-r"}};
    if (writesFiles)
        specs.push_back({"--output-dir", true});
    return specs;
}

std::vector<TBatchInput> CollectInputs(const TArgs& args)
{
    std::vector<TBatchInput> inputs;
    const bool recursive = args.Has("--recursive");
    std::string folders;
    for (const std::string& path : args.Positionals()) {
        if (recursive && DirectoryExists(path)) {
            std::set<fs::path> walking;
            CollectFolder(path, OutputFolderName(path), walking, inputs);
            folders += (folders.empty() ? "" : ", ") + Quoted(path);
        } else
            inputs.push_back({path, ExtractFileName(path)});
    }
    if (inputs.empty())
        ThrowInput("No SHP files in " + folders);
    return inputs;
}

bool IsBatch(const TArgs& args)
{
    const bool batch = args.Has("--output-dir");
    if (!batch && args.Has("--recursive"))
        args.Fail("option '--recursive' needs '--output-dir DIR'");
    return batch;
}

std::string OutputPath(const std::string& outputDir, const TBatchInput& input, std::string_view ext)
{
    const std::string path = AddTrailingBackslash(outputDir) + input.Relative;
    return ext.empty() ? path : ChangeFileExt(path, ext);
}

void PrepareOutputs(const TArgs& args, const std::vector<TBatchInput>& inputs, const std::vector<std::string>& outputs)
{
    std::error_code ec;
    const fs::path current = fs::current_path(ec);
    std::map<std::string, size_t> inputIndex;
    for (size_t i = 0; i < inputs.size(); ++i)
        inputIndex.emplace(PathKey(current, inputs[i].Path), i);
    std::map<std::string, size_t> outputIndex;
    for (size_t i = 0; i < outputs.size(); ++i) {
        const std::string key = PathKey(current, outputs[i]);
        const auto [clash, added] = outputIndex.emplace(key, i);
        if (!added)
            args.Fail("inputs " + Quoted(inputs[clash->second].Path) + " and " + Quoted(inputs[i].Path) +
                      " would both be written to " + Quoted(outputs[i]) +
                      (args.Has("--recursive") ? "" : " (--recursive with their folders keeps folders apart)"));
        const auto input = inputIndex.find(key);
        if (input != inputIndex.end() && input->second != i)
            args.Fail("the output of " + Quoted(inputs[i].Path) + " would replace the input " +
                      Quoted(inputs[input->second].Path));
    }
    std::set<std::string> created;
    for (const std::string& output : outputs) {
        const fs::path folder = NativePath(output).parent_path();
        if (folder.empty() || !created.insert(Utf8(folder)).second)
            continue;
        fs::create_directories(folder, ec);
        if (ec)
            ThrowOutput("Cannot create folder " + Quoted(Utf8(folder)) + ": " + ec.message());
    }
}

unsigned JobCount(const TArgs& args, size_t files)
{
    int64_t jobs = args.Has("-j") ? args.Integer("-j", 1, MaxJobs) : int64_t(std::thread::hardware_concurrency());
    jobs = std::clamp<int64_t>(jobs, 1, MaxJobs);
    return unsigned(std::max<int64_t>(1, std::min<int64_t>(jobs, int64_t(files))));
}

int ThreadsPerJob(const TArgs& args, unsigned jobs)
{
    if (args.Has("-j"))
        return int(std::max<int64_t>(1, args.Integer("-j", 1, MaxJobs) / std::max(1u, jobs)));
    return jobs > 1 ? 1 : 0;
}

TFileResult RunCaught(const std::string& prefix, const std::function<std::string()>& work)
{
    TFileResult result;
    try {
        result.Out = work();
    } catch (const TCliError& e) {
        result.Status = e.Status;
        result.Err = ErrorLine(prefix + e.what());
    } catch (const std::bad_alloc&) {
        result.Status = ExitInput;
        result.Err = ErrorLine(prefix + "not enough memory");
    } catch (const std::exception& e) {
        result.Status = ExitInput;
        result.Err = ErrorLine(prefix + e.what());
    }
    return result;
}

std::vector<TOptionSpec> WithBatchOptions(std::vector<TOptionSpec> specs, bool writesFiles)
{
    for (TOptionSpec& o : BatchOptions(writesFiles))
        specs.push_back(std::move(o));
    return specs;
}

bool RequireFiles(const TArgs& args, std::string_view inputAndOutput)
{
    const bool batch = IsBatch(args);
    if (batch)
        args.RequirePositionals(1, SIZE_MAX, "input");
    else
        args.RequirePositionals(2, 2, inputAndOutput);
    return batch;
}

int RunFiles(const TArgs& args, std::string_view ext, const TFileWork& work)
{
    const std::optional<std::string> dir = args.Value("--output-dir");
    if (!dir) {
        WriteStdout(work(args.Positionals()[0], args.Positionals()[1]));
        return ExitOK;
    }
    return RunFileBatch(args, [&](const TBatchInput& input) { return OutputPath(*dir, input, ext); }, work);
}

int RunFileBatch(const TArgs& args, const std::function<std::string(const TBatchInput&)>& outputOf,
                 const TFileWork& work)
{
    const std::vector<TBatchInput> inputs = CollectInputs(args);
    std::vector<std::string> outputs, names;
    for (const TBatchInput& input : inputs) {
        outputs.push_back(outputOf(input));
        names.push_back(input.Path);
    }
    PrepareOutputs(args, inputs, outputs);
    const unsigned jobs = JobCount(args, inputs.size());
    return RunBatch(names, jobs, [&](size_t i) {
        TFileBatch commits;
        TFileResult result;
        {
            const TDeferCommits deferred(commits);
            result = RunCaught(names[i] + ": ", [&] { return work(names[i], outputs[i]); });
        }
        if (result.Status == ExitOK)
            result.Commits = std::move(commits);
        return result;
    }, LargestFirst(names), ThreadsPerJob(args, jobs));
}

int RunBatch(const std::vector<std::string>& names, unsigned jobs, const std::function<TFileResult(size_t)>& work,
             const std::vector<size_t>& order, int threadsPerJob)
{
    const size_t count = names.size();
    std::vector<std::optional<TFileResult>> results(count);
    std::mutex lock;
    std::condition_variable changed;
    // The files not taken yet: order[front] to order[back - 1]. Given an order (the largest files
    // first), the first job takes from its start and the others from its end, so that one job
    // works through the largest files while the others begin with the smallest: their memory is
    // needed by one job instead of by each, and the last files taken are middle-sized ones.
    size_t front = 0, back = count;
    auto take = [&](bool fromFront) -> std::optional<size_t> {
        const std::lock_guard guard(lock);
        if (front == back)
            return std::nullopt;
        const size_t k = fromFront || order.empty() ? front++ : --back;
        return order.empty() ? k : order[k];
    };
    std::vector<size_t> finished; // since the main thread last looked
    size_t finishedCount = 0;
    // Files are flushed in groups: one flush costs about as much for many files as for one, but
    // no file's lines wait for the group longer than a moment.
    const size_t group = std::max<size_t>(16, size_t(jobs) * 8);

    auto worker = [&](bool fromFront) {
        SetWriterThreads(threadsPerJob);
        for (std::optional<size_t> next = take(fromFront); next; next = take(fromFront)) {
            const size_t i = *next;
            TFileResult result;
            try {
                result = work(i);
            } catch (...) {
                result = {ExitInput, {}, ErrorLine(names[i] + ": not enough memory"), {}};
            }
            bool wake;
            {
                const std::lock_guard guard(lock);
                results[i] = std::move(result);
                finished.push_back(i);
                ++finishedCount;
                // what the main thread waits for: a first file, a whole group, or the last
                wake = finished.size() == 1 || finished.size() == group || finishedCount == count;
            }
            if (wake)
                changed.notify_one();
        }
    };
    std::vector<std::thread> threads;
    try {
        for (unsigned k = 0; k < std::max(1u, jobs); ++k)
            threads.emplace_back(worker, k == 0);
    } catch (const std::system_error&) {
        if (threads.empty())
            worker(true); // no thread to be had: the files one after another here
    }

    TBatchProgress progress(count);
    int worst = ExitOK;
    size_t written = 0;
    std::vector<bool> committed(count, false); // the main thread's own
    std::unique_lock guard(lock);
    while (written < count) {
        changed.wait(guard, [&] { return !finished.empty(); });
        changed.wait_until(guard, std::chrono::steady_clock::now() + std::chrono::milliseconds(200),
                           [&] { return finished.size() >= group || finishedCount == count; });
        const std::vector<size_t> done = std::exchange(finished, {});
        const size_t doneCount = finishedCount;
        guard.unlock();
        // Each result is the main thread's alone once published.
        CommitFiles(results, done, names);
        for (size_t i : done)
            committed[i] = true;
        guard.lock();
        std::vector<TFileResult> ready;
        for (; written < count && committed[written]; ++written) {
            ready.push_back(std::move(*results[written]));
            results[written].reset();
        }
        guard.unlock();
        for (const TFileResult& result : ready) {
            if (!result.Out.empty() || !result.Err.empty())
                progress.Clear();
            WriteResult(result);
            worst = std::max(worst, result.Status);
        }
        progress.Show(doneCount, names[done.back()]);
        guard.lock();
    }
    guard.unlock();
    for (std::thread& t : threads)
        t.join();
    return worst;
}

} // namespace vantrel::cli
