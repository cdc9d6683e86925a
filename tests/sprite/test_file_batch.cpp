// Files written together: nothing replaces a target before Commit, and nothing is left behind.
#include "sprite/FileUtil.h"
#include "sprite/Types.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

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
