#include "sprite/SHP.h"
#include "sprite/SpriteSheet.h"
#include "sprite/Text.h"
#include "sprite/WorkBudget.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace vantrel;

namespace {

// A sprite of count frames whose pixel (x, y) of frame i is (i * 7 + x + 3 * y) mod 256, with a
// transparent border column on the left, and a palette of distinct colours.
std::unique_ptr<TSHP> NumberedSprite(int count, int width, int height)
{
    auto s = std::make_unique<TSHP>();
    s->AddFrames(count, width, height);
    for (int i = 0; i < count; ++i) {
        uint8_t* data = s->GetFrame(i).Data.get();
        for (int y = 0; y < height; ++y)
            for (int x = 1; x < width; ++x)
                data[y * width + x] = uint8_t(i * 7 + x + 3 * y);
        s->UpdateFrameBounds(i);
    }
    for (int e = 0; e < 256; ++e)
        s->Palette[size_t(e)] = MakeColour(uint8_t(e), uint8_t(255 - e), uint8_t(e * 3));
    return s;
}

std::string TempPath(const std::string& name) { return (std::filesystem::temp_directory_path() / name).string(); }

} // namespace

TEST(Text, PadNumberFillsOnTheLeftAndNeverCuts)
{
    EXPECT_EQ(PadNumber(7, 3), "007");
    EXPECT_EQ(PadNumber(1234, 2), "1234");
    EXPECT_EQ(PadNumber(5, 4, ' '), "   5");
}

TEST(SpriteSheet, GridGrowsRowsThenColumns)
{
    auto grid = [](int n) {
        const TSheetGrid g = SheetGrid(n);
        return std::to_string(g.Columns) + "x" + std::to_string(g.Rows);
    };
    EXPECT_EQ(grid(1), "1x1");
    EXPECT_EQ(grid(2), "1x2");
    EXPECT_EQ(grid(3), "2x2");
    EXPECT_EQ(grid(6), "2x3");
    EXPECT_EQ(grid(8), "3x3");
    EXPECT_EQ(grid(16), "4x4");
    EXPECT_EQ(grid(17), "4x5");
    EXPECT_EQ(grid(344), "19x19");
    EXPECT_EQ(grid(65535), "256x256");
}

TEST(SpriteSheet, SuffixAndExportPath)
{
    const TSheetLayout tank{64, 48, 32};
    EXPECT_EQ(SheetSuffix(tank), "0064x0048-000032.bmp");
    EXPECT_EQ(SheetSuffix(tank).size(), SheetSuffixLength);
    const std::string sep(1, PathSeparator);
    EXPECT_EQ(SheetExportPath("maps" + sep + "tank.bmp", tank), "maps" + sep + "tank0064x0048-000032.bmp");
    EXPECT_EQ(SheetExportPath("tank", tank), "tank0064x0048-000032.bmp");
    EXPECT_EQ(SheetExportPath("my.maps" + sep + "tank", tank), "my.maps" + sep + "tank0064x0048-000032.bmp");
    EXPECT_EQ(SheetExportPath("tank.old.bmp", tank), "tank.old0064x0048-000032.bmp");
    // Wider numbers are written whole; such a name is then not recognised.
    const std::string wide = SheetSuffix({12345, 7, 1234567});
    EXPECT_EQ(wide, "12345x0007-1234567.bmp");
    TSheetLayout layout{1, 2, 3};
    EXPECT_FALSE(ParseSheetName("a" + wide, layout));
    EXPECT_EQ(layout, (TSheetLayout{1, 2, 3}));
}

TEST(SpriteSheet, ParseSheetNameReadsTheSuffix)
{
    TSheetLayout layout{100, 50, 1};
    EXPECT_TRUE(ParseSheetName("tank0064x0048-000032.bmp", layout));
    EXPECT_EQ(layout, (TSheetLayout{64, 48, 32}));
    // The last four characters are not examined.
    EXPECT_TRUE(ParseSheetName("x0001x0002-000003.BMP", layout));
    EXPECT_EQ(layout, (TSheetLayout{1, 2, 3}));
    // A field that is not a number keeps its value.
    layout = {100, 50, 1};
    EXPECT_TRUE(ParseSheetName("tank00a4x0048-000032.bmp", layout));
    EXPECT_EQ(layout, (TSheetLayout{100, 48, 32}));
    // No suffix: nothing changes.
    layout = {100, 50, 1};
    EXPECT_FALSE(ParseSheetName("tank.bmp", layout));
    EXPECT_FALSE(ParseSheetName("064x0048-000032.bmp", layout));
    EXPECT_EQ(layout, (TSheetLayout{100, 50, 1}));
    const TBitmap8 picture = MakeBitmap8(30, 20);
    EXPECT_EQ(InitialSheetLayout(picture, "plain.bmp"), (TSheetLayout{30, 20, 1}));
    EXPECT_EQ(InitialSheetLayout(picture, "m0010x0010-000006.bmp"), (TSheetLayout{10, 10, 6}));
}

TEST(SpriteSheet, FitsWhenTheLastCellIsInside)
{
    // 4 x 2 cells of 10 x 10.
    EXPECT_TRUE(SheetFits(40, 20, {10, 10, 8}));
    EXPECT_FALSE(SheetFits(40, 20, {10, 10, 9}));
    EXPECT_TRUE(SheetFits(40, 20, {40, 20, 1}));
    EXPECT_NE(SheetLayoutProblem(40, 20, {10, 10, 9}).find("holds 8 frames"), std::string::npos);
    for (TSheetLayout bad : {TSheetLayout{0, 10, 1}, TSheetLayout{-3, 10, 1}, TSheetLayout{41, 10, 1},
                             TSheetLayout{10, 0, 1}, TSheetLayout{10, 21, 1}, TSheetLayout{10, 10, 0},
                             TSheetLayout{10, 10, -1}}) {
        EXPECT_FALSE(SheetFits(40, 20, bad));
        EXPECT_FALSE(SheetLayoutProblem(40, 20, bad).empty());
    }
    EXPECT_FALSE(SheetFits(0, 0, {1, 1, 1}));
    EXPECT_FALSE(SheetFits(70000, 1, {70000, 1, 1})) << "a frame wider than a sprite can be";
    EXPECT_FALSE(SheetFits(65536, 2, {1, 1, 65536})) << "more frames than a sprite can hold";
    EXPECT_TRUE(SheetFits(65535, 1, {1, 1, 65535}));
    EXPECT_FALSE(SheetFits(1, 2000000000, {1, 65535, 65535})) << "no overflow in the row arithmetic";
    EXPECT_TRUE(SheetCellInside(40, 20, {10, 10, 1}, 7));
    EXPECT_FALSE(SheetCellInside(40, 20, {10, 10, 1}, 8));
    EXPECT_FALSE(SheetCellInside(40, 20, {0, 10, 1}, 0));
    EXPECT_FALSE(SheetCellInside(40, 20, {10, 10, 1}, -1));
}

TEST(SpriteSheet, SheetCellCutsOneFrame)
{
    TBitmap8 map = MakeBitmap8(6, 4);
    for (size_t p = 0; p < map.Pixels.size(); ++p)
        map.Pixels[p] = uint8_t(p);
    map.ColourTable[5] = 0x123456;
    const TBitmap8 cell = SheetCell(map, {3, 2, 4}, 3);
    EXPECT_EQ(cell.Width, 3);
    EXPECT_EQ(cell.Height, 2);
    EXPECT_EQ(cell.Pixels, (std::vector<uint8_t>{15, 16, 17, 21, 22, 23}));
    EXPECT_EQ(cell.ColourTable[5], 0x123456u);
    EXPECT_THROW(SheetCell(map, {3, 2, 4}, 4), BmpError);
}

TEST(SpriteSheet, ExportPlacesFramesInCellsWithAnOpaqueColourTable)
{
    auto sprite = NumberedSprite(3, 5, 4); // a 2 x 2 grid; the fourth cell stays empty
    sprite->GetFrame(1).Data.reset();      // a frame without pixels leaves its cell at 0
    const TBitmap8 map = ExportSpriteSheet(*sprite);
    ASSERT_EQ(map.Width, 10);
    ASSERT_EQ(map.Height, 8);
    for (int e = 0; e < 256; ++e) {
        const TColour24 c = sprite->Palette[size_t(e)];
        ASSERT_EQ(map.ColourTable[size_t(e)], 0xFF000000u | uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B) << e;
    }
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(0, std::memcmp(map.Row(y), sprite->GetFrame(0).Data.get() + y * 5, 5));
        EXPECT_EQ(0, std::memcmp(map.Row(4 + y), sprite->GetFrame(2).Data.get() + y * 5, 5));
        for (int x = 5; x < 10; ++x) {
            EXPECT_EQ(map.Row(y)[x], 0) << "cell of the frame without pixels";
            EXPECT_EQ(map.Row(4 + y)[x], 0) << "cell after the last frame";
        }
    }
}

TEST(SpriteSheet, SpritesThatCannotBeExportedAreRefused)
{
    TSHP empty;
    EXPECT_THROW(ExportSpriteSheet(empty), BmpError);
    TSHP noCanvas;
    noCanvas.AddFrames(2, 0, 0);
    EXPECT_THROW(ExportSpriteSheet(noCanvas), BmpError);

    TSHP tooMany; // 65535 empty frames of 165 x 153: a map of 42240 x 39168 pixels
    tooMany.Format = TSHPFormat::TS;
    tooMany.Width = 165;
    tooMany.Height = 153;
    tooMany.Frames.resize(65535);
    try {
        SaveSpriteSheet(tooMany, (std::filesystem::temp_directory_path() / "vantrel_toomany.bmp").string());
        FAIL();
    } catch (const BmpError& e) {
        EXPECT_NE(std::string(e.what()).find("42240 x 39168 pixels is larger than the limit"), std::string::npos)
            << e.what();
    }
}

TEST(WorkBudget, GrowsWithTheFileAndCountsFiles)
{
    EXPECT_EQ(WorkProblem(WorkBudgetFloor, 1, 8), "");
    EXPECT_EQ(WorkProblem(WorkBudgetFloor + 1, 1, 8),
              "that is 134,217,729 pixels to handle, more than a file of 8 bytes may ask for (at most 134,217,728)");
    EXPECT_EQ(WorkProblem(WorkBudgetFloor + 1, 1, 1 << 20), "") << "256 pixels for every byte of the file";
    EXPECT_NE(WorkProblem(0, 1025, 8).find("1,025 files to write"), std::string::npos);
    EXPECT_EQ(WorkProblem(0, 1025, 8200), "") << "a file for every 8 bytes";
    EXPECT_EQ(PictureSizeProblem(16384, 16384), "");
    EXPECT_NE(PictureSizeProblem(16385, 16384), "");
    EXPECT_NE(PictureSizeProblem(uint64_t(1) << 31, 1), "");
}

TEST(SpriteSheet, ExportThenImportGivesTheSamePixels)
{
    auto sprite = NumberedSprite(16, 30, 20);
    const std::string chosen = TempPath("vantrel_tank.bmp");
    const std::string written = SaveSpriteSheet(*sprite, chosen);
    EXPECT_EQ(ExtractFileName(written), "vantrel_tank0030x0020-000016.bmp");

    const TBitmap8 map = LoadBmp8(written);
    std::filesystem::remove(written);
    ASSERT_EQ(map.Width, 120);
    ASSERT_EQ(map.Height, 80);
    for (int e = 0; e < 256; ++e)
        ASSERT_EQ(map.ColourTable[size_t(e)] >> 24, 255u) << "fourth byte of entry " << e;
    const TSheetLayout layout = InitialSheetLayout(map, ExtractFileName(written));
    EXPECT_EQ(layout, (TSheetLayout{30, 20, 16}));
    EXPECT_TRUE(SheetFits(map.Width, map.Height, layout));

    const std::unique_ptr<TSHP> back = ImportSpriteSheet(map, layout, written);
    ASSERT_EQ(back->FrameCount(), 16);
    EXPECT_EQ(back->Width, 30);
    EXPECT_EQ(back->Height, 20);
    for (int i = 0; i < 16; ++i) {
        const TSHPFrame& a = sprite->GetFrame(i);
        const TSHPFrame& b = back->GetFrame(i);
        ASSERT_EQ(0, std::memcmp(a.Data.get(), b.Data.get(), 600)) << "frame " << i;
        EXPECT_EQ(b.X, 1);
        EXPECT_EQ(b.CX, 29);
        EXPECT_TRUE(b.Dirty);
    }
    EXPECT_EQ(back->Palette, sprite->Palette);
    EXPECT_TRUE(back->CustomPalette);
    EXPECT_EQ(back->Game, TSHPGame::TS);
    EXPECT_EQ(back->SHPType, TSHPType::Unit);
    EXPECT_EQ(back->Format, TSHPFormat::TS);
    EXPECT_EQ(back->FileName, "vantrel_tank0030x0020-000016.shp");
    EXPECT_FALSE(back->IsSaved);
    EXPECT_FALSE(back->HasFile);
}

TEST(SpriteSheet, ImportCutsTheLayoutAndBoundsEachFrame)
{
    TBitmap8 map = MakeBitmap8(7, 4); // 2 columns of 3 x 2 (one spare column), 2 rows
    map.Row(1)[4] = 9;                // frame 1, pixel (1, 1)
    map.Row(2)[0] = 5;                // frame 2, pixel (0, 0)
    map.Row(3)[6] = 8;                // outside every cell
    const auto sprite = ImportSpriteSheet(map, {3, 2, 3}, "x" + std::string(1, PathSeparator) + "plain");
    EXPECT_EQ(sprite->FileName, "plain.shp");
    const TSHPFrame& f0 = sprite->GetFrame(0);
    EXPECT_EQ(f0.CX, 0) << "an all-zero cell gives an empty rectangle";
    const TSHPFrame& f1 = sprite->GetFrame(1);
    EXPECT_EQ(f1.Data[1 * 3 + 1], 9);
    EXPECT_EQ((std::array<int, 4>{f1.X, f1.Y, f1.CX, f1.CY}), (std::array<int, 4>{1, 1, 1, 1}));
    EXPECT_EQ(sprite->GetFrame(2).Data[0], 5);
}

TEST(SpriteSheet, ImportRefusesOtherDepthsAndBadLayouts)
{
    TBitmap8 rgb;
    rgb.Width = 4;
    rgb.Height = 4;
    rgb.BitsPerPixel = 24;
    try {
        ImportSpriteSheet(rgb, {4, 4, 1}, "a.bmp");
        FAIL();
    } catch (const BmpError& e) {
        EXPECT_STREQ(e.what(), MsgNot8Bit);
    }
    const TBitmap8 map = MakeBitmap8(40, 20);
    EXPECT_THROW(ImportSpriteSheet(map, {10, 10, 9}, "a.bmp"), std::invalid_argument);
    EXPECT_THROW(ImportSpriteSheet(map, {0, 10, 1}, "a.bmp"), std::invalid_argument);
    EXPECT_THROW(ImportSpriteSheet(map, {10, 10, 0}, "a.bmp"), std::invalid_argument);
}

TEST(SpriteSheet, RealSpritesSurviveTheRoundTrip)
{
    const std::string corpus = VANTREL_CORPUS_DIR;
    if (!DirectoryExists(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    for (const char* name : {"ts/ora-cnc_apctur.shp", "ts/ora-ts_gatick.shp", "td/ca_ifvtur.shp"}) {
        TSHP sprite;
        sprite.LoadFromFile(corpus + "/" + name);
        ASSERT_NE(sprite.Format, TSHPFormat::None) << name;
        const std::string written = SaveSpriteSheet(sprite, TempPath("vantrel_corpus.bmp"));
        const TBitmap8 map = LoadBmp8(written);
        std::filesystem::remove(written);
        const auto back = ImportSpriteSheet(map, InitialSheetLayout(map, ExtractFileName(written)), written);
        ASSERT_EQ(back->FrameCount(), sprite.FrameCount()) << name;
        const size_t canvas = size_t(sprite.Width) * size_t(sprite.Height);
        const std::vector<uint8_t> blank(canvas, 0);
        for (int i = 0; i < sprite.FrameCount(); ++i) {
            const uint8_t* original = sprite.GetFrame(i).Data ? sprite.GetFrame(i).Data.get() : blank.data();
            ASSERT_EQ(0, std::memcmp(original, back->GetFrame(i).Data.get(), canvas)) << name << " frame " << i;
        }
    }
}
