// The data-folder lookup: the roots looked in, in order, the folder found in each, and the user's
// own folder listed after it.
#include "render_test_files.h"

#include "sprite/CScheme.h"
#include "sprite/FileUtil.h"

#include <gtest/gtest.h>

using namespace vantrel;
using render_test::TAppFolder;

namespace {

// Three folders in a temporary one: two roots looked in (first, second) and the user's own; the
// lookup goes back to the program's own when the test ends.
class DataFolderLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetAppFolder("");
        SetDataRoots({Dir.Make("first/") , Dir.Make("second/")});
        SetUserDataFolder(Dir.Make("user/"));
    }
    void TearDown() override
    {
        SetDataRoots({});
        SetUserDataFolder("");
    }
    std::string In(const std::string& relative) const { return (Dir.Path / relative).make_preferred().string(); }

    TAppFolder Dir; // (its own SetAppFolder is undone in SetUp)
};

} // namespace

TEST_F(DataFolderLookup, FirstRootHoldingTheFolderWinsAndTheExactNameBeforeOtherCase)
{
    EXPECT_EQ(FindDataFolder("palette"), In("first/palette")); // none has it: the first root's
    Dir.Make("second/palette/x");
    EXPECT_EQ(FindDataFolder("palette"), In("second/palette"));
    EXPECT_EQ(PaletteFolder(), In("second/palette") + PathSeparator);
    Dir.Make("first/Palette/x");
    EXPECT_EQ(FindDataFolder("palette"), In("second/palette"));
    Dir.Make("first/palette/x");
    EXPECT_EQ(FindDataFolder("palette"), In("first/palette"));
    Dir.Make("second/CSCHEME/x");
    EXPECT_EQ(SchemeFolder(), In("second/CSCHEME") + PathSeparator);
}

TEST_F(DataFolderLookup, UserFolderComesAfterTheFoundOneOnceAndOnlyWhenItExists)
{
    Dir.Make("second/Backgrounds/x");
    EXPECT_EQ(DataFolderList("Backgrounds"), std::vector<std::string>{In("second/Backgrounds")});
    Dir.Make("user/backgrounds/x");
    EXPECT_EQ(DataFolderList("Backgrounds"), (std::vector<std::string>{In("second/Backgrounds"), In("user/backgrounds")}));

    // The user's folder as one of the roots (a program installed below the home folder).
    SetDataRoots({In("user")});
    EXPECT_EQ(DataFolderList("Backgrounds"), std::vector<std::string>{In("user/backgrounds")});
    SetUserDataFolder("");
    EXPECT_EQ(DataFolderList("Backgrounds").size(), 1u);
}

TEST_F(DataFolderLookup, AppFolderIsTheOnlyRootWhileSet)
{
    Dir.Make("first/SHPs/x");
    SetAppFolder(In("second") + PathSeparator);
    EXPECT_EQ(DataRoots(), std::vector<std::string>{In("second")});
    EXPECT_EQ(FindDataFolder("SHPs"), In("second/SHPs"));
    SetAppFolder("");
    EXPECT_EQ(FindDataFolder("SHPs"), In("first/SHPs"));
}

TEST(DataFolderDefaults, ProgramFolderThenShareVantrelBesideIt)
{
    const std::vector<std::string> roots = DefaultDataRoots();
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0], ExecutableFolder());
    const std::filesystem::path exe(ExecutableFolder());
    EXPECT_EQ(roots[1], (exe.parent_path() / "share" / "vantrel").make_preferred().string());
}

TEST_F(DataFolderLookup, SchemeLibraryReadsTheUsersSchemesAfterTheFoundOnes)
{
    Dir.WriteText("second/cscheme/b.cscheme", "[Info]\nName=installed b");
    Dir.WriteText("user/cscheme/a.cscheme", "[Info]\nName=own a");
    Dir.WriteText("user/cscheme/sub/c.cscheme", "[Info]\nName=own c");
    LoadSchemeLibrary();
    ASSERT_EQ(SchemeCount, 3);
    EXPECT_EQ(Schemes[0].Name, "installed b");
    EXPECT_EQ(Schemes[1].Name, "own a");
    EXPECT_EQ(Schemes[2].Name, "own c");
}
