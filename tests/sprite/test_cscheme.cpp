#include "render_test_files.h"
#include "sprite/CScheme.h"
#include "sprite/SHP.h"

#include <gtest/gtest.h>

using namespace vantrel;
using render_test::TAppFolder;

namespace {

void AppendBCSRecord(std::vector<uint8_t>& file, uint8_t gameType, uint8_t from, uint8_t to, const std::string& name)
{
    file.push_back(gameType);
    for (int i = 0; i < 256; ++i)
        file.push_back(i == from ? to : uint8_t(i));
    file.push_back(uint8_t(name.size()));
    file.push_back(uint8_t(name.size() >> 8));
    file.insert(file.end(), name.begin(), name.end());
}

std::vector<uint8_t> BCS(uint16_t count) { return {uint8_t(count), uint8_t(count >> 8)}; }

void ClearLibrary()
{
    Schemes.clear();
    SchemeCount = 0;
}

std::vector<std::string> LibraryNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < SchemeCount; ++i)
        names.push_back(Schemes[size_t(i)].Name);
    return names;
}

TCScheme Mapping(uint8_t from, uint8_t to, uint8_t gameType = 0)
{
    TCScheme s = ParseSchemeText("[Data]\n" + std::to_string(from) + "=" + std::to_string(to));
    s.GameType = gameType;
    return s;
}

} // namespace

TEST(CScheme, DataOnlyFileChangesOneIndex)
{
    const TCScheme s = ParseSchemeText("[Data]\n16=80\n");
    EXPECT_EQ(s.Name, "Untitled");
    EXPECT_EQ(s.GameType, 0);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(s.Map[size_t(i)], i == 16 ? 80 : i) << i;
}

TEST(CScheme, IntegerValues)
{
    const TCScheme s = ParseSchemeText("[Info]\ngametype=0x12\n[Data]\n"
                                       "1=336\n2=-1\n3=$1f\n4=0X20\n5=+7\n6=256\n7=abc\n8=12abc\n9=\n10=0x\n"
                                       "11=-0x5\n12=\"9\"\n13=99999999999999999999999\n014=3\n");
    EXPECT_EQ(s.GameType, 18);
    // 7 to 11 are not integers and keep their index; 13 keeps the low bits of a huge number.
    const std::array<int, 15> expected = {0, 80, 255, 31, 32, 7, 0, 7, 8, 9, 10, 11, 9, 255, 14};
    for (int i = 1; i < 15; ++i)
        EXPECT_EQ(s.Map[size_t(i)], expected[size_t(i)]) << i;
    EXPECT_EQ(ParseSchemeText("[Info]\ngametype=$12").GameType, 18);
    EXPECT_EQ(ParseSchemeText("[Info]\ngametype=- 3").GameType, 0);
}

TEST(CScheme, NamesSectionsQuotesAndComments)
{
    const TCScheme s = ParseSchemeText("\xEF\xBB\xBF; a comment\r\n"
                                       "17=1\r\n"
                                       "  [ INFO ]  \r\n"
                                       "  NAME  =  'Dark Red'  \r\n"
                                       "name=ignored\r\n"
                                       "[data]\r\n"
                                       " ;16=99\r\n"
                                       "16 = 5\r\n"
                                       "16=6\r\n"
                                       "[Info]\r\n"
                                       "gametype=4\r\n"
                                       "[DATA]\r\n"
                                       "18=1\r\n");
    EXPECT_EQ(s.Name, "Dark Red");
    EXPECT_EQ(s.GameType, 0); // only the first Info section counts
    EXPECT_EQ(s.Map[16], 5);
    EXPECT_EQ(s.Map[17], 17); // before any section
    EXPECT_EQ(s.Map[18], 18); // in a repeated section

    EXPECT_EQ(ParseSchemeText("[Info]\nName=").Name, "");
    EXPECT_EQ(ParseSchemeText("[Info]\nName=\"Blue'").Name, "\"Blue'");
    EXPECT_EQ(ParseSchemeText("[Info]\nName=\"Say \"hi\"\"").Name, "Say \"hi\"");
    EXPECT_EQ(ParseSchemeText("[Info]\nName=" + std::string(3000, 'x')).Name.size(), 2047u);
}

TEST(CScheme, UnreadableFileGivesTheDefaults)
{
    TAppFolder app;
    const TCScheme s = ReadSchemeFile(app.Make("missing.cscheme"));
    EXPECT_EQ(s.Name, "Untitled");
    EXPECT_EQ(s.Map, Mapping(0, 0).Map);
}

TEST(CScheme, DefaultBCSRecordsAndTruncation)
{
    TAppFolder app;
    std::vector<uint8_t> file = BCS(3);
    AppendBCSRecord(file, 2, 16, 80, "First");
    AppendBCSRecord(file, 19, 0, 1, "");
    AppendBCSRecord(file, 5, 1, 2, "Third");
    ClearLibrary();
    ReadDefaultBCS(app.Write("full.bcs", file));
    ASSERT_EQ(SchemeCount, 3);
    EXPECT_EQ(LibraryNames(), (std::vector<std::string>{"First", "", "Third"}));
    EXPECT_EQ(Schemes[0].GameType, 2);
    EXPECT_EQ(Schemes[0].Map[16], 80);
    EXPECT_EQ(Schemes[1].Map[0], 1);

    // Cut in the third name, then in the second record's map, then before the count ends.
    for (const auto& [size, kept] : {std::pair{file.size() - 1, 2}, {2u + 259 + 5 + 100, 1}, {1u, 0}}) {
        ClearLibrary();
        ReadDefaultBCS(app.Write("cut.bcs", std::vector<uint8_t>(file.begin(), file.begin() + long(size))));
        EXPECT_EQ(SchemeCount, kept) << size;
    }
    ClearLibrary();
    ReadDefaultBCS(app.Write("zero.bcs", BCS(0)));
    EXPECT_EQ(SchemeCount, 0);
    EXPECT_THROW(ReadDefaultBCS(app.Make("none.bcs")), FileError);
}

TEST(CScheme, LibraryOrderAndCaseInsensitiveLookups)
{
    TAppFolder app;
    std::vector<uint8_t> bcs = BCS(1);
    AppendBCSRecord(bcs, 1, 1, 2, "From BCS");
    app.Write("CScheme/DEFAULT.BCS", bcs);
    app.WriteText("CScheme/b.cscheme", "[Info]\nName=b");
    app.WriteText("CScheme/A/z.CSCHEME", "[Info]\nName=A/z");
    app.WriteText("CScheme/A/deep/er/x.cscheme", "[Info]\nName=A/deep/er/x");
    app.WriteText("CScheme/a.cscheme", "[Info]\nName=a");
    app.WriteText("CScheme/c.cscheme.bak", "[Info]\nName=bak");
    app.WriteText("CScheme/notes.txt", "[Info]\nName=txt");
    ClearLibrary();
    LoadSchemeLibrary();
    EXPECT_EQ(LibraryNames(), (std::vector<std::string>{"From BCS", "A/deep/er/x", "A/z", "a", "b"}));
    EXPECT_EQ(SchemeFolder(), (app.Path / "CScheme").string() + PathSeparator);

    LoadSchemeLibrary(); // read again: emptied first
    EXPECT_EQ(SchemeCount, 5);
}

TEST(CScheme, MissingFolderGivesAnEmptyLibrary)
{
    TAppFolder app;
    Schemes.push_back(Mapping(1, 2));
    SchemeCount = 1;
    LoadSchemeLibrary();
    EXPECT_EQ(SchemeCount, 0);
    EXPECT_TRUE(Schemes.empty());
}

TEST(CScheme, LinkedFolderLoopEndsTheScan)
{
    TAppFolder app;
    app.WriteText("cscheme/sub/one.cscheme", "[Info]\nName=one");
    std::error_code ec;
    std::filesystem::create_directory_symlink(app.Path / "cscheme", app.Path / "cscheme/sub/loop", ec);
    if (ec)
        GTEST_SKIP() << "no folder links here";
    ClearLibrary();
    LoadSchemeLibrary();
    EXPECT_EQ(LibraryNames(), (std::vector<std::string>{"one"}));
}

TEST(CScheme, Visibility)
{
    ClearLibrary();
    Schemes = {Mapping(3, 4, 5), Mapping(3, 4, 0), Mapping(3, 4, 25), Mapping(9, 4, 5), Mapping(3, 3, 5)};
    SchemeCount = int(Schemes.size());
    std::array<uint8_t, 256> used{};
    used[0] = used[3] = 1;
    EXPECT_TRUE(SchemeVisible(0, 0, used));
    EXPECT_TRUE(SchemeVisible(0, 5, used));
    EXPECT_FALSE(SchemeVisible(0, 4, used));
    EXPECT_TRUE(SchemeVisible(1, 0, used));
    EXPECT_FALSE(SchemeVisible(1, 5, used));
    EXPECT_TRUE(SchemeVisible(2, 0, used)); // category 25 is listed under "All" only
    for (int c = 1; c < CategoryCount; ++c)
        EXPECT_FALSE(SchemeVisible(2, c, used));
    EXPECT_FALSE(SchemeVisible(3, 0, used)); // moves only an index the sprite does not use
    EXPECT_FALSE(SchemeVisible(4, 0, used)); // identity
    EXPECT_FALSE(SchemeVisible(5, 0, used));
    EXPECT_FALSE(SchemeVisible(-1, 0, used));
    EXPECT_STREQ(CategoryNames[18], "Tiberian Dawn");
    ClearLibrary();
}

TEST(CScheme, RecolouredPaletteDrawsLikeTheRecolouredPixels)
{
    TSHP s;
    s.AddFrames(2, 3, 1);
    s.Frames[0].Data[0] = 0;
    s.Frames[0].Data[1] = 16;
    s.Frames[0].Data[2] = 200;
    s.Frames[1].Data.reset();
    s.IsSaved = true;
    TCScheme scheme = Mapping(16, 80);
    scheme.Map[200] = 3;

    const TPalette recoloured = RecolourPalette(s.Palette, scheme);
    EXPECT_EQ(recoloured[16], s.Palette[80]);
    EXPECT_EQ(recoloured[17], s.Palette[17]);
    s.SetPalette(recoloured);
    const std::vector<TColour24> preview(s.GetFrameRGB(0), s.GetFrameRGB(0) + 3);
    const TPalette original = TSHP().Palette;
    s.SetPalette(original);
    ApplyScheme(s, scheme);
    EXPECT_EQ(s.Frames[0].Data[1], 80);
    EXPECT_EQ(s.Frames[0].Data[2], 3);
    EXPECT_TRUE(s.Frames[0].Dirty);
    EXPECT_FALSE(s.IsSaved);
    EXPECT_EQ(s.Palette, original);
    EXPECT_EQ(s.GetFrameRGB(0)[1], preview[1]);
    EXPECT_EQ(s.GetFrameRGB(0)[2], preview[2]);
}

TEST(CScheme, MovingIndexZeroMakesTheBackgroundOpaque)
{
    TSHP s;
    s.AddFrames(1, 2, 1);
    s.Frames[0].Data[1] = 9;
    ApplyScheme(s, Mapping(0, 12));
    EXPECT_EQ(s.Frames[0].Data[0], 12);
    EXPECT_EQ(s.GetFrameAlpha(0)[0], 255);
    EXPECT_EQ(s.GetFrameRGB(0)[0], s.Palette[12]);
}

TEST(CScheme, HostileTextParsesToDefaults)
{
    std::string text = std::string("[\n=\n[[Data]]\n16=1\n\r\r[Data]\n17=\0 2\n", 35) + std::string(100000, '[');
    for (int i = 0; i < 256; ++i)
        text += char(i);
    for (int i = 0; i < 20000; ++i)
        text += "\n[s" + std::to_string(i) + "]\nk=v";
    const TCScheme s = ParseSchemeText(text);
    EXPECT_EQ(s.Name, "Untitled");
    EXPECT_EQ(s.Map[16], 16); // the section is "[data]", not "data"
    EXPECT_EQ(s.Map[17], 17); // a NUL is no digit
}
