// Many files in one command: inputs given one by one or as folders walked with --recursive,
// outputs named after their inputs under --output-dir, and the files worked on by several
// threads with their output written in the order of the inputs.
#pragma once

#include "CliCore.h"

#include "sprite/FileUtil.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::cli {

// -j/--jobs and --recursive; --output-dir as well for commands that write files.
std::vector<TOptionSpec> BatchOptions(bool writesFiles);

// One input of a batch and the name of its output relative to the output folder: its own name,
// or with --recursive the name of the folder given and its path below it.
struct TBatchInput {
    std::string Path;
    std::string Relative;
};

// The positional arguments as inputs: with --recursive a folder stands for the SHP files (the
// open dialog's nine extensions) below it, sub-folders included, sorted by name without regard
// to case; without it every argument is an input as given.
std::vector<TBatchInput> CollectInputs(const TArgs& args);

// True when --output-dir names the folder of the outputs: then every positional argument is an
// input. --recursive without it is a usage error.
bool IsBatch(const TArgs& args);

// The output of an input under the output folder, with its extension replaced by ext unless ext
// is empty.
std::string OutputPath(const std::string& outputDir, const TBatchInput& input, std::string_view ext = {});

// Refuses (usage error) two inputs whose outputs would be one file (names compared without
// regard to case, as some file systems do) and an output that is another input; then creates
// the output folders.
void PrepareOutputs(const TArgs& args, const std::vector<TBatchInput>& inputs, const std::vector<std::string>& outputs);

// -j N, else the number of processor cores; never more than there are files.
unsigned JobCount(const TArgs& args, size_t files);

// The threads each of jobs files may use for its own work (the TD/RA1 writer's): -j N shared
// among the jobs (at least one each), so that -j 1 keeps to one core; without -j, one when
// several files run at once, else every core (0).
int ThreadsPerJob(const TArgs& args, unsigned jobs);

// What the work on one file leaves: its lines for stdout and for stderr, its exit status, and
// the files it wrote that are still to be flushed to disk and renamed over their targets.
struct TFileResult {
    int Status = ExitOK;
    std::string Out;
    std::string Err;
    TFileBatch Commits;
};

// Runs work on the file, catching its error: the error's line goes to Err ("vantrel-cli: " +
// prefix + message), its status to Status. work returns the file's stdout text.
TFileResult RunCaught(const std::string& prefix, const std::function<std::string()>& work);

// Runs work(i) for every file on up to jobs threads. Each file's stderr and stdout text is
// written once the files before it are done, so that the output follows the order of the inputs;
// the files' Commits are flushed to disk together as they finish (one flush for the files done
// meanwhile) and renamed over their targets.
// While stderr is a terminal and there is more than one file, a progress bar over all files is
// shown there. Returns the highest exit status of the files. The jobs take the files in input order
// when order is empty; given an order (a permutation of the indices, the largest files first),
// the first job takes them from its start and the others from its end. Each job's writer uses
// threadsPerJob threads (0: every core).
int RunBatch(const std::vector<std::string>& names, unsigned jobs, const std::function<TFileResult(size_t)>& work,
             const std::vector<size_t>& order = {}, int threadsPerJob = 1);

// specs with BatchOptions(writesFiles) added.
std::vector<TOptionSpec> WithBatchOptions(std::vector<TOptionSpec> specs, bool writesFiles = true);

// IsBatch, then the positional arguments: one or more inputs in a batch, otherwise exactly the
// two that inputAndOutput names ("IN and OUT"). True for a batch.
bool RequireFiles(const TArgs& args, std::string_view inputAndOutput);

using TFileWork = std::function<std::string(const std::string&, const std::string&)>;

// The work of a command that writes a file for an input: without --output-dir work(INPUT, OUTPUT)
// on the two positional arguments, its text written to stdout; with it RunFileBatch, each output
// named after its input with its extension replaced by ext (kept when ext is empty).
int RunFiles(const TArgs& args, std::string_view ext, const TFileWork& work);

// The batch of a command that writes files: the inputs of CollectInputs, each written to
// outputOf(input) under --output-dir by work(input path, output path), which returns the file's
// stdout text. Errors are prefixed with the input's path. The files written for an input that
// fails are removed.
int RunFileBatch(const TArgs& args, const std::function<std::string(const TBatchInput&)>& outputOf,
                 const TFileWork& work);

} // namespace vantrel::cli
