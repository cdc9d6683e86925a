// Files written together: nothing replaces a target before Commit, and nothing is left behind.
#include "sprite/FileUtil.h"
#include "sprite/Types.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <thread>

using namespace vantrel;

TEST(FileBatch, CommitReplacesTheTargetsAndAnAbandonedBatchLeavesNothing)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("vantrel-batch-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    const std::string a = (dir / "a.png").string(), b = (dir / "b.png").string();
    WriteFileAtomic(a, std::vector<uint8_t>{1});
    {
        TFileBatch batch;
        batch.Add(a, std::vector<uint8_t>{2, 2});
        batch.Add(b, std::vector<uint8_t>{3});
        EXPECT_EQ(ReadWholeFile(a), std::vector<uint8_t>{1});
        EXPECT_FALSE(FileExists(b));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    TFileBatch batch;
    batch.Add(a, std::vector<uint8_t>{2, 2});
    batch.Add(b, std::vector<uint8_t>{3});
    batch.Commit();
    EXPECT_EQ(ReadWholeFile(a), (std::vector<uint8_t>{2, 2}));
    EXPECT_EQ(ReadWholeFile(b), std::vector<uint8_t>{3});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    EXPECT_THROW(batch.Add((dir / "no" / "c.png").string(), std::vector<uint8_t>{1}), FileError);
    fs::remove_all(dir);
}

TEST(FileBatch, DeferredCommitsWaitForTheirBatchOnTheirThreadOnly)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("vantrel-defer-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    const std::string a = (dir / "a.shp").string(), b = (dir / "b.shp").string(), c = (dir / "c.shp").string();
    WriteFileAtomic(a, std::vector<uint8_t>{1});
    TFileBatch kept, dropped;
    {
        const TDeferCommits deferred(kept);
        WriteFileAtomic(a, std::vector<uint8_t>{2});
        std::thread([&] { WriteFileAtomic(c, std::vector<uint8_t>{4}); }).join();
        {
            const TDeferCommits inner(dropped);
            WriteFileAtomic(b, std::vector<uint8_t>{3});
        }
        EXPECT_EQ(TDeferCommits::Current(), &kept);
    }
    EXPECT_EQ(TDeferCommits::Current(), nullptr);
    EXPECT_EQ(ReadWholeFile(a), std::vector<uint8_t>{1}); // the old file until the batch renames it
    EXPECT_EQ(ReadWholeFile(c), std::vector<uint8_t>{4}); // the other thread committed at once
    dropped = TFileBatch(); // abandoned: its temporary file goes
    TFileBatch::FlushToDisk({&kept});
    kept.Replace();
    EXPECT_EQ(ReadWholeFile(a), std::vector<uint8_t>{2});
    EXPECT_FALSE(FileExists(b));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    fs::remove_all(dir);
}

// Writes of every size (filling the buffer exactly, crossing it, larger than it) arrive whole and
// in order, and reads give back exactly what is there.
TEST(AtomicFile, WritesOfEverySizeArriveInOrderAndReadBackExactly)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("vantrel-atomic-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    const std::string path = (dir / "out.shp").string();
    std::vector<uint8_t> expected;
    {
        TAtomicFile file(path);
        uint8_t value = 0;
        for (const size_t size : {size_t(1), size_t(256 << 10) - 1, size_t(0), size_t(3), size_t(300 << 10), size_t(10),
                                  size_t(256 << 10), size_t(1)}) {
            const std::vector<uint8_t> piece(size, ++value);
            file.Write(piece);
            expected.insert(expected.end(), piece.begin(), piece.end());
        }
        file.Commit();
        EXPECT_THROW(file.Write(std::vector<uint8_t>{1}), FileError);
    }
    EXPECT_EQ(ReadWholeFile(path), expected);
    EXPECT_EQ(ReadFileHead(path, 5), std::vector<uint8_t>(expected.begin(), expected.begin() + 5));
    EXPECT_EQ(ReadFileHead(path, expected.size() + 9), expected);
    WriteFileAtomic(path, {});
    EXPECT_TRUE(ReadWholeFile(path).empty());
    EXPECT_TRUE(ReadFileHead(path, 16).empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}
