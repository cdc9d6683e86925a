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
