// The default data set that the build writes beside the programs: its files, and that every
// sample sprite, palette, picture and scheme works as the viewer will use it.
#include "sprite/CScheme.h"
#include "sprite/FileUtil.h"
#include "sprite/Palette.h"
#include "sprite/SHP.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

using namespace vantrel;

namespace {

std::string DataPath(const std::string& relative)
{
    std::string path = AddTrailingBackslash(ExecutableFolder()) + relative;
    std::replace(path.begin(), path.end(), '/', PathSeparator);
    return path;
}

const char* const PaletteNames[] = {"temperat", "desert",  "winter", "snow",   "interior", "anim",   "unittem",
                                    "cameo",    "isotem",  "isosno", "isourb", "isolun",   "isodes", "isourn"};

struct TSample {
    const char* File;
    TSHPFormat Layout;
    TSHPGame Game;
    TSHPType Type;
    int Frames;
    int Width, Height;
    int Animated; // frames the open dialog's preview steps through
};

const TSample Samples[] = {
    {"ts-tank.shp", TSHPFormat::TS, TSHPGame::TS, TSHPType::Building, 16, 50, 40, 8},
    {"ts-apc.shp", TSHPFormat::TS, TSHPGame::TS, TSHPType::Unit, 128, 56, 44, 64},
    {"ts-powerplant.shp", TSHPFormat::TS, TSHPGame::TS, TSHPType::Building, 6, 96, 72, 3},
    {"ra2-barracks.shp", TSHPFormat::TS, TSHPGame::RA2, TSHPType::BuildingIsoSnow, 8, 110, 86, 4},
    {"ts-explosion.shp", TSHPFormat::TS, TSHPGame::TS, TSHPType::Animation, 15, 64, 64, 15},
    {"ra2-cameo.shp", TSHPFormat::TS, TSHPGame::RA2, TSHPType::Cameo, 2, 60, 48, 2},
    {"ts-cameo.shp", TSHPFormat::TS, TSHPGame::TS, TSHPType::Cameo, 1, 64, 48, 1},
    {"td-tank.shp", TSHPFormat::TD, TSHPGame::TD, TSHPType::Unit, 128, 36, 36, 128},
    {"td-flame.shp", TSHPFormat::TD, TSHPGame::TD, TSHPType::Animation, 10, 32, 40, 10},
    {"ra1-crate.shp", TSHPFormat::TS, TSHPGame::RA1, TSHPType::Animation, 8, 40, 40, 8},
    {"Terrain/ts-pine.sno", TSHPFormat::TS, TSHPGame::TS, TSHPType::Building, 2, 48, 72, 1},
};

std::unique_ptr<TSHP> LoadSample(const TSample& s)
{
    auto sprite = std::make_unique<TSHP>();
    sprite->LoadFromFile(DataPath(std::string("SHPs/") + s.File));
    return sprite;
}

bool HasOpaquePixels(TSHP& sprite, int frame)
{
    const uint8_t* alpha = sprite.GetFrameAlpha(frame);
    return alpha && std::any_of(alpha, alpha + size_t(sprite.Width) * size_t(sprite.Height),
                                [](uint8_t a) { return a == 255; });
}

class DefaultData : public ::testing::Test {
protected:
    void SetUp() override { SetAppFolder(ExecutableFolder()); }
};

} // namespace

TEST_F(DefaultData, EveryGameFolderHoldsEveryPaletteAsRampsOf6BitValues)
{
    for (const char* game : GameShortNames)
        for (const char* name : PaletteNames) {
            const std::string path = DataPath(std::string("palette/") + game + "/" + name + ".pal");
            SCOPED_TRACE(path);
            const std::vector<uint8_t> bytes = ReadWholeFile(path);
            ASSERT_EQ(bytes.size(), 768u);
            EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](uint8_t v) { return v <= 63; }));
        }
}

TEST_F(DefaultData, RemapRangeOfEachGameIsARampFromBrightToDark)
{
    const int remapStart[GameCount] = {176, 80, 16, 16};
    for (int g = 0; g < GameCount; ++g) {
        TPalette pal;
        LoadPaletteFile(DataPath(std::string("palette/") + GameShortNames[size_t(g)] + "/unittem.pal"), pal);
        auto brightness = [&](int i) { return pal[size_t(i)].R + pal[size_t(i)].G + pal[size_t(i)].B; };
        for (int k = 1; k < 16; ++k)
            EXPECT_GT(brightness(remapStart[g] + k - 1), brightness(remapStart[g] + k)) << GameShortNames[size_t(g)];
        EXPECT_EQ(pal[0], MakeColour(252, 0, 252)) << "a loud transparent colour";
    }
}

TEST_F(DefaultData, TheatrePalettesAreTintedDifferently)
{
    // Compared pair by pair: GCC 12 at -O3 takes the ordering of a std::set of vectors for an
    // overread (a false -Wstringop-overread).
    std::vector<std::vector<uint8_t>> palettes;
    for (const char* name : PaletteNames)
        palettes.push_back(ReadWholeFile(DataPath(std::string("palette/TS/") + name + ".pal")));
    for (size_t a = 0; a < palettes.size(); ++a)
        for (size_t b = a + 1; b < palettes.size(); ++b)
            EXPECT_NE(palettes[a], palettes[b]) << PaletteNames[a] << " and " << PaletteNames[b] << " differ";
}

TEST_F(DefaultData, BackgroundsLoadAndTheirNamesCoverEveryGameIcon)
{
    const char* const names[] = {"TS-Temperate", "TS-Snow", "TD-Desert", "RA1-Snow", "RA2-Urban", "Grid"};
    for (const char* name : names) {
        const QImage image(QString::fromStdString(DataPath(std::string("Backgrounds/") + name + ".png")));
        EXPECT_FALSE(image.isNull()) << name;
        EXPECT_GE(image.width(), 64) << name;
    }
}

TEST_F(DefaultData, SamplesLoadWithTheirGameTypeAndFrameCount)
{
    for (const TSample& s : Samples) {
        SCOPED_TRACE(s.File);
        const auto sprite = LoadSample(s);
        EXPECT_EQ(sprite->Format, s.Layout);
        EXPECT_EQ(sprite->Game, s.Game);
        EXPECT_EQ(sprite->SHPType, s.Type);
        EXPECT_EQ(sprite->FrameCount(), s.Frames);
        EXPECT_EQ(sprite->Width, s.Width);
        EXPECT_EQ(sprite->Height, s.Height);
        const int animated = sprite->HasShadowFrames() ? s.Frames / 2 : s.Frames;
        EXPECT_EQ(animated, s.Animated);
    }
}

TEST_F(DefaultData, SamplesDrawWithTheirDefaultPaletteAndThumbnailsLoad)
{
    for (const TSample& s : Samples) {
        SCOPED_TRACE(s.File);
        const auto sprite = LoadSample(s);
        if (!sprite->CustomPalette) {
            sprite->LoadDefaultPalette(PaletteFolder());
            EXPECT_FALSE(sprite->PaletteName.empty()) << "the palette file of its game, theatre and type exists";
        }
        for (int i = 0; i < s.Animated; ++i)
            EXPECT_TRUE(HasOpaquePixels(*sprite, i)) << "frame " << i;

        TSHP thumbnail;
        thumbnail.OneFrameLoad = true;
        thumbnail.LoadFromFile(DataPath(std::string("SHPs/") + s.File));
        EXPECT_EQ(thumbnail.Format, s.Layout);
        EXPECT_TRUE(IsSHPFile(DataPath(std::string("SHPs/") + s.File)));
    }
}

TEST_F(DefaultData, ShadowFramesHoldTheShadowEntryWhereTheShadowFalls)
{
    for (const TSample& s : Samples) {
        const auto sprite = LoadSample(s);
        if (!sprite->HasShadowFrames())
            continue;
        SCOPED_TRACE(s.File);
        int withShadow = 0;
        for (int i = sprite->FrameCount() / 2; i < sprite->FrameCount(); ++i) {
            const std::array<uint8_t, 256> used = sprite->GetUsedColours(i);
            withShadow += used[1];
            for (int index = 2; index < 256; ++index)
                EXPECT_EQ(used[size_t(index)], 0) << "frame " << i << " index " << index;
        }
        EXPECT_GE(withShadow, sprite->FrameCount() / 2 - 1) << "the foundation of an iso building casts none";
    }
}

TEST_F(DefaultData, IsoBuildingDrawsItsFoundationWithTheIsoPalette)
{
    const auto sprite = LoadSample(Samples[3]);
    sprite->LoadDefaultPalette(PaletteFolder());
    TPalette frame3, iso;
    sprite->GetFramePalette(3, frame3);
    LoadPaletteFile(DataPath("palette/RA2/isosno.pal"), iso);
    EXPECT_EQ(frame3, iso);
    EXPECT_TRUE(HasOpaquePixels(*sprite, 3));
}

TEST_F(DefaultData, TDSamplesStoreXorDeltaFrames)
{
    for (const char* name : {"td-tank.shp", "td-flame.shp"}) {
        const std::vector<uint8_t> file = ReadWholeFile(DataPath(std::string("SHPs/") + name));
        const int count = file[0] | file[1] << 8;
        int deltas = 0;
        for (int f = 0; f < count; ++f)
            deltas += (file[14 + 8 * size_t(f) + 3] & 0x60) != 0;
        EXPECT_GT(deltas, 0) << name;
    }
}

TEST_F(DefaultData, CrateBringsItsOwnPalette)
{
    const auto sprite = LoadSample(Samples[9]);
    EXPECT_TRUE(sprite->CustomPalette);
    TPalette ra1;
    LoadPaletteFile(DataPath("palette/RA1/temperat.pal"), ra1);
    EXPECT_NE(sprite->Palette, ra1);
}

TEST_F(DefaultData, TextFileWithASpriteExtensionFailsTheProbeAndTheReaders)
{
    const std::string path = DataPath("SHPs/readme.shp");
    EXPECT_FALSE(IsSHPFile(path));
    TSHP sprite;
    sprite.LoadFromFile(path);
    EXPECT_EQ(sprite.Format, TSHPFormat::None);
}

TEST_F(DefaultData, SchemesLoadAndEachSampleHasOneToChoose)
{
    LoadSchemeLibrary();
    ASSERT_GE(SchemeCount, 15);
    std::set<std::string> names;
    for (int i = 0; i < SchemeCount; ++i)
        names.insert(Schemes[size_t(i)].Name);
    EXPECT_EQ(names.size(), size_t(SchemeCount)) << "names tell the schemes apart";
    EXPECT_TRUE(names.count("Allied Blue")) << "found in a nested folder";

    for (const TSample& s : Samples) {
        const auto sprite = LoadSample(s);
        const std::array<uint8_t, 256> used = sprite->GetUsedColours(-1);
        int visible = 0;
        for (int i = 0; i < SchemeCount; ++i)
            visible += SchemeVisible(i, 0, used);
        EXPECT_GT(visible, 0) << s.File;
    }
}

#ifdef VANTREL_MAKEDATA_PATH
namespace {

std::map<std::string, std::vector<uint8_t>> FilesBelow(const std::filesystem::path& root)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), root).generic_string()] = ReadWholeFile(entry.path().string());
    return files;
}

int RunMakeData(const std::filesystem::path& folder)
{
    const std::string command = std::string("\"") + VANTREL_MAKEDATA_PATH + "\" \"" + folder.string() + "\" > " +
                                (folder.parent_path() / "makedata.log").string();
    return std::system(command.c_str());
}

} // namespace

TEST_F(DefaultData, GeneratorWritesTheSameBytesAndLeavesTheUsersFilesAlone)
{
    const std::filesystem::path root = std::filesystem::temp_directory_path() /
                                       ("vantrel-data-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(root);
    const std::filesystem::path folder = root / "bin";
    std::filesystem::create_directories(folder / "palette" / "User");
    std::filesystem::create_directories(folder / "SHPs");
    const std::vector<uint8_t> mine = {1, 2, 3};
    WriteFileAtomic((folder / "palette" / "User" / "mine.pal").string(), mine);
    WriteFileAtomic((folder / "SHPs" / "mine.shp").string(), mine);

    ASSERT_EQ(RunMakeData(folder), 0);
    ASSERT_EQ(RunMakeData(folder), 0);
    std::map<std::string, std::vector<uint8_t>> made = FilesBelow(folder);
    EXPECT_EQ(made["palette/User/mine.pal"], mine);
    EXPECT_EQ(made["SHPs/mine.shp"], mine);
    made.erase("palette/User/mine.pal");
    made.erase("SHPs/mine.shp");

    std::map<std::string, std::vector<uint8_t>> built;
    for (const char* sub : {"palette", "Backgrounds", "SHPs", "cscheme"})
        for (auto& [name, bytes] : FilesBelow(std::filesystem::path(ExecutableFolder()) / sub))
            built[std::string(sub) + "/" + name] = std::move(bytes);
    EXPECT_EQ(made.size(), built.size());
    for (const auto& [name, bytes] : made)
        EXPECT_TRUE(built.count(name) && built[name] == bytes) << name << " differs from the build's";
    std::filesystem::remove_all(root);
}
#endif

#ifdef VANTREL_CLI_PATH
TEST_F(DefaultData, CommandLineToolRendersEverySampleWithItsDefaultPalette)
{
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "vantrel-dataset-render.png";
    for (const TSample& s : Samples) {
        std::filesystem::remove(out);
        const std::string command = std::string("\"") + VANTREL_CLI_PATH + "\" render \"" +
                                    DataPath(std::string("SHPs/") + s.File) + "\" -o \"" + out.string() + "\"";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const QImage image(QString::fromStdString(out.string()));
        EXPECT_EQ(image.size(), QSize(s.Width, s.Height)) << s.File;
    }
    std::filesystem::remove(out);
}
#endif
