// Many files in one command as a user runs it: vantrel-cli converting the td and ts sprites of
// the corpus ten times over (350 files in ten folders, --recursive) to one layout, with one job
// and with two, turn about. "speedup" is the time of one job over the time of two.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

constexpr int Copies = 10;
#ifdef _WIN32
constexpr const char* Quiet = " >NUL 2>&1";
#else
constexpr const char* Quiet = " >/dev/null 2>&1";
#endif

// The inputs, made once and removed when the program ends.
class TBatchFolder {
public:
    TBatchFolder()
    {
        const fs::path corpus = VANTREL_CORPUS_DIR;
        if (!fs::is_directory(corpus / "td") || !fs::is_directory(corpus / "ts"))
            return;
#ifdef _WIN32
        Root = fs::temp_directory_path() / "vantrel-bench-batch";
#else
        Root = fs::temp_directory_path() / ("vantrel-bench-batch-" + std::to_string(::getpid()));
#endif
        for (int copy = 0; copy < Copies; ++copy) {
            const fs::path folder = Root / "in" / ("copy" + std::to_string(copy));
            fs::create_directories(folder);
            for (const char* layout : {"td", "ts"})
                for (const auto& entry : fs::directory_iterator(corpus / layout))
                    if (entry.path().extension() == ".shp") {
                        fs::copy_file(entry.path(), folder / entry.path().filename());
                        Files += copy == 0;
                    }
        }
    }
    ~TBatchFolder()
    {
        std::error_code ec;
        if (!Root.empty())
            fs::remove_all(Root, ec);
    }
    TBatchFolder(const TBatchFolder&) = delete;
    TBatchFolder& operator=(const TBatchFolder&) = delete;

    fs::path Root;
    int Files = 0; // in one copy
};

const TBatchFolder& Inputs()
{
    static const TBatchFolder folder;
    return folder;
}

// Seconds of one run of the tool, its output folder removed beforehand (outside the time).
double ConvertAll(const TBatchFolder& inputs, const char* layout, int jobs)
{
    const fs::path out = inputs.Root / "out";
    std::error_code ec;
    fs::remove_all(out, ec);
    const std::string command = std::string("\"") + VANTREL_CLI_PATH + "\" convert --layout " + layout + " -j " +
                                std::to_string(jobs) + " -r --output-dir \"" + out.string() + "\" \"" +
                                (inputs.Root / "in").string() + "\"" + Quiet;
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return status == 0 ? elapsed.count() : -1;
}

void BM_BatchConvert(benchmark::State& state, const char* layout)
{
    const TBatchFolder& inputs = Inputs();
    if (inputs.Root.empty()) {
        state.SkipWithError("no corpus");
        return;
    }
    double one = 0, two = 0;
    for (auto _ : state) {
        const double a = ConvertAll(inputs, layout, 1);
        const double b = ConvertAll(inputs, layout, 2);
        if (a < 0 || b < 0) {
            state.SkipWithError("vantrel-cli convert failed");
            return;
        }
        one += a;
        two += b;
        state.SetIterationTime(a + b);
    }
    const double runs = double(state.iterations());
    state.counters["files"] = double(inputs.Files * Copies);
    state.counters["j1_s"] = one / runs;
    state.counters["j2_s"] = two / runs;
    state.counters["speedup"] = one / two;
}

BENCHMARK_CAPTURE(BM_BatchConvert, to_td, "td")->UseManualTime()->Iterations(5)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_BatchConvert, to_ts, "ts")->UseManualTime()->Iterations(5)->Unit(benchmark::kSecond);

} // namespace
