// Sprites handled on several threads at once, as the command-line tool's jobs handle them: each
// thread reads, draws, re-encodes and writes sprites of its own while the others do the same.
// The ThreadSanitizer build runs these to find state the threads share unguarded.
#include "write_support.h"

#include "sprite/FileUtil.h"
#include "sprite/SHP.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace vantrel;
using namespace writetest;

namespace {

constexpr int ThreadCount = 4;

template <class F>
void OnThreads(F work)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < ThreadCount; ++t)
        threads.emplace_back(work, t);
    for (std::thread& thread : threads)
        thread.join();
}

// Reads the file at path, draws every frame, writes it in the other layout and reads that back;
// the number of frames whose pixels or drawing differ from the original's.
int RoundTripFails(const TSHP& original, const std::string& path, const std::string& other, TSHPFormat otherLayout)
{
    TSHP read;
    read.LoadFromFile(path);
    read.SaveToFile(other, otherLayout);
    TSHP again;
    again.LoadFromFile(other);
    int fails = int(again.FrameCount() != original.FrameCount());
    for (int i = 0; i < original.FrameCount() && i < again.FrameCount(); ++i) {
        const TColour24* a = read.GetFrameRGB(i);
        const TColour24* b = again.GetFrameRGB(i);
        const size_t pixels = size_t(original.Width) * size_t(original.Height);
        fails += Canvas(again, i) != Canvas(original, i) || !a || !b || !std::equal(a, a + pixels, b);
    }
    return fails;
}

} // namespace

TEST(Threads, SpritesAreReadDrawnAndWrittenOnSeveralThreadsAtOnce)
{
    TTempDir dir;
    std::atomic<int> fails{0};
    OnThreads([&](int t) {
        std::mt19937 rng(uint32_t(t + 1));
        for (int round = 0; round < 3; ++round) {
            TSHP sprite;
            MakeRandomSprite(sprite, rng, 30 + t, 20 + round, 6);
            const std::string name = dir.File(std::to_string(t) + "-" + std::to_string(round));
            const TSHPFormat layout = round % 2 ? TSHPFormat::TD : TSHPFormat::TS;
            sprite.SaveToFile(name + ".shp", layout);
            fails += RoundTripFails(sprite, name + ".shp", name + "-other.shp",
                                    layout == TSHPFormat::TD ? TSHPFormat::TS : TSHPFormat::TD);
        }
    });
    EXPECT_EQ(fails.load(), 0);
}

TEST(Threads, TemporaryFilesOfManyThreadsAreKeptApartAndRemoved)
{
    TTempDir dir;
    OnThreads([&](int t) {
        // More files open at once than the removal list has places in a block.
        std::vector<std::unique_ptr<TAtomicFile>> open;
        for (int i = 0; i < 100; ++i) {
            open.push_back(std::make_unique<TAtomicFile>(dir.File("dropped-" + std::to_string(t) + "-" + std::to_string(i))));
            open.back()->Write(std::vector<uint8_t>(10, uint8_t(i)));
        }
        for (int i = 0; i < 20; ++i) {
            const uint8_t bytes[] = {uint8_t(t), uint8_t(i)};
            WriteFileAtomic(dir.File("kept-" + std::to_string(t) + "-" + std::to_string(i)), bytes);
        }
    });
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path)) {
        ++files;
        const std::string name = entry.path().filename().string();
        ASSERT_EQ(name.rfind("kept-", 0), 0u) << name;
        const Bytes bytes = ReadBytes(entry.path().string());
        ASSERT_EQ(bytes.size(), 2u);
        EXPECT_EQ(name, "kept-" + std::to_string(bytes[0]) + "-" + std::to_string(bytes[1]));
    }
    EXPECT_EQ(files, size_t(ThreadCount) * 20);
}
