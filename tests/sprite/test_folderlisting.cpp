// The open dialog's folder listing, path resolution and the screening of listed files.
#include "sprite/FolderListing.h"
#include "sprite/SHP.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

class TempFolder {
public:
    TempFolder()
    {
        std::random_device rd;
        Path = fs::temp_directory_path() / ("vantrel-listing-" + std::to_string(rd()));
        fs::create_directories(Path);
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
    std::string Str() const { return Path.string(); }
    std::string operator/(const std::string& name) const { return (Path / name).string(); }
    fs::path Path;
};

void Touch(const std::string& path, const std::string& text = "x") { std::ofstream(path, std::ios::binary) << text; }

TEST(FolderListing, RootHasNoParentEntryAndMissingFoldersHaveNoEntries)
{
    const std::vector<TDirEntry> root = CollectEntries(fs::path("/").make_preferred().string());
    for (const TDirEntry& e : root)
        EXPECT_NE(e.Name, "..");
    EXPECT_TRUE(CollectEntries("/no/such/folder/anywhere").empty());
    EXPECT_TRUE(CollectEntries("").empty());
}

TEST(FolderListing, ResolvesFolderPaths)
{
    const std::string sep(1, PathSeparator);
    EXPECT_EQ(ResolveFolder(""), "");
    EXPECT_EQ(ResolveFolder(sep + "a" + sep + "b" + sep + ".." + sep), sep + "a");
    EXPECT_EQ(ResolveFolder(sep + "a" + sep + "." + sep + "b" + sep + sep), sep + "a" + sep + "b");
    EXPECT_EQ(ResolveFolder("c" + sep + "d", sep + "base"), sep + "base" + sep + "c" + sep + "d");
    EXPECT_EQ(ResolveFolder(sep + "a" + sep + ".."), sep);
    EXPECT_TRUE(IsFileSystemRoot(sep));
    EXPECT_FALSE(IsFileSystemRoot(sep + "tmp"));
    EXPECT_FALSE(IsFileSystemRoot(""));
}

TEST(FolderListing, ProbeOfListedFilesNeverThrowsOrBlocks)
{
    TempFolder dir;
    TSHP s;
    s.AddFrames(1, 4, 4);
    s.Frames[0].Data[5] = 3;
    s.SaveToFile(dir / "good.shp");
    Touch(dir / "bad.shp", "no sprite here at all, only text");
    fs::create_directory(dir.Path / "folder.shp");
    EXPECT_TRUE(ProbeListedFile(dir / "good.shp"));
    EXPECT_FALSE(ProbeListedFile(dir / "bad.shp"));
    EXPECT_FALSE(ProbeListedFile(dir / "missing.shp"));
    EXPECT_FALSE(ProbeListedFile(dir / "folder.shp"));
#ifndef _WIN32
    ASSERT_EQ(mkfifo((dir / "pipe.shp").c_str(), 0600), 0);
    EXPECT_FALSE(ProbeListedFile(dir / "pipe.shp"));
#endif
}

} // namespace
