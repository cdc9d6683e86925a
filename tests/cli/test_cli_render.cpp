// render: exact pixels of known sprites drawn with known palettes, and its failures.
#include "cli_harness.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <filesystem>

using namespace clitest;

namespace {

uint8_t Red(int i) { return uint8_t(i % 64); }
uint8_t Green(int i) { return uint8_t((i / 4) % 64); }
uint8_t Blue(int i) { return uint8_t(63 - i % 64); }
// The colour of index i in the test palette, as drawn (6-bit values times 4).
QRgb Colour(int i, int alpha = 255) { return qRgba(Red(i) * 4, Green(i) * 4, Blue(i) * 4, alpha); }

uint8_t One(int) { return 1; }
uint8_t Two(int) { return 2; }
uint8_t Three(int) { return 3; }

// A data folder with the TS fallback palette and the TD default palette.
struct DataDir : TempDir {
    DataDir()
    {
        Write("data/palette/TS/unittem.pal", MakePalFile(Red, Green, Blue));
        Write("data/palette/TD/temperat.pal", MakePalFile(Red, Green, Blue));
    }
    std::string Data() const { return *this / "data"; }
};

QImage Load(const std::string& path)
{
    QImage image(QString::fromStdString(path));
    return image.convertToFormat(QImage::Format_ARGB32);
}

// A 4 x 2 TS file of one raw frame (an Animation by its count).
std::vector<uint8_t> FourByTwo()
{
    TSFrameSpec f;
    f.CX = 4;
    f.CY = 2;
    f.Pixels = {0, 5, 16, 200, 17, 2, 3, 0};
    return MakeTSFile(4, 2, {f});
}

std::vector<uint8_t> WithTrailer(std::vector<uint8_t> file, uint8_t game, uint8_t type)
{
    for (int i = 0; i < 256; ++i)
        file.insert(file.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(7)}); // blue, green, red
    file.insert(file.end(), {game, type, 0, 0, 0, 'E', 'X', 'T', 'R', 'A'});
    return file;
}

} // namespace

TEST(CliRender, ExactPixelsWithTheDefaultPalette)
{
    DataDir dir;
    const std::string shp = dir.Write("a.shp", FourByTwo());
    const std::string png = dir / "a.png";
    const RunResult r = RunCli({"render", shp, "-o", png, "--data-dir", dir.Data()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "");
    const QImage image = Load(png);
    ASSERT_EQ(image.size(), QSize(4, 2));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(image.pixel(1, 0), Colour(5));
    EXPECT_EQ(image.pixel(2, 0), Colour(16));
    EXPECT_EQ(image.pixel(3, 0), Colour(200));
    EXPECT_EQ(image.pixel(0, 1), Colour(17));
    EXPECT_EQ(image.pixel(1, 1), Colour(2));
    EXPECT_EQ(qAlpha(image.pixel(3, 1)), 0);
}

TEST(CliRender, SideColourByNameOrValueAndLuminosity)
{
    DataDir dir;
    const std::string shp = dir.Write("a.shp", FourByTwo());
    const std::string png = dir / "a.png";
    ASSERT_EQ(RunCli({"render", shp, "-o", png, "--data-dir", dir.Data(), "--side-colour", "sKY bLUE"}).Status, 0);
    QImage image = Load(png);
    EXPECT_EQ(image.pixel(2, 0), qRgb(166, 202, 240));                                   // index 16: the colour
    EXPECT_EQ(image.pixel(0, 1), qRgb(166 * 16 / 17, 202 * 16 / 17, 240 * 16 / 17)); // index 17: 16/17 of it
    EXPECT_EQ(image.pixel(1, 0), Colour(5));

    ASSERT_EQ(RunCli({"render", shp, "-o", png, "--data-dir", dir.Data(), "--side-colour", "#FF0000"}).Status, 0);
    image = Load(png);
    EXPECT_EQ(image.pixel(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 1), qRgb(240, 0, 0));

    ASSERT_EQ(RunCli({"render", shp, "-o", png, "--data-dir", dir.Data(), "--luminosity", "-50"}).Status, 0);
    image = Load(png);
    EXPECT_LT(qGray(image.pixel(1, 1)), qGray(Colour(2)) + 1);
    EXPECT_NE(image.pixel(3, 0), Colour(200));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

TEST(CliRender, TDShadowsOverATiledBackground)
{
    DataDir dir;
    const std::string shp = dir.Write("td.shp", MakeTDFile(2, 2, {{4, 9, 0, 4}}));
    QImage grey(3, 3, QImage::Format_RGB32);
    grey.fill(qRgb(200, 200, 200));
    const std::string background = dir / "grey.png";
    ASSERT_TRUE(grey.save(QString::fromStdString(background)));
    const std::string png = dir / "td.png";

    ASSERT_EQ(RunCli({"render", shp, "-o", png, "--data-dir", dir.Data(), "--transparent-shadows"}).Status, 0);
    QImage image = Load(png);
    EXPECT_EQ(image.pixel(0, 0), qRgba(0, 0, 0, 127));
    EXPECT_EQ(image.pixel(1, 0), Colour(9));
    EXPECT_EQ(qAlpha(image.pixel(0, 1)), 0);
    EXPECT_EQ(image.pixel(1, 1), qRgba(0, 0, 0, 127));

    ASSERT_EQ(RunCli({"render", shp, "-o", png, "--data-dir", dir.Data(), "--transparent-shadows", "--background",
                      background, "--zoom", "2"})
                  .Status,
              0);
    image = Load(png);
    ASSERT_EQ(image.size(), QSize(4, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(qAlpha(image.pixel(x, y)), 255);
    EXPECT_EQ(image.pixel(0, 0), qRgb(100, 100, 100)); // (128 x 200 + 255) / 256
    EXPECT_EQ(image.pixel(1, 1), qRgb(100, 100, 100));
    EXPECT_EQ(image.pixel(2, 0), Colour(9));
    EXPECT_EQ(image.pixel(3, 1), Colour(9));
    EXPECT_EQ(image.pixel(0, 2), qRgb(200, 200, 200));

    ASSERT_EQ(RunCli({"render", shp, "-o", png, "--data-dir", dir.Data()}).Status, 0);
    EXPECT_EQ(Load(png).pixel(0, 0), Colour(4));
}

TEST(CliRender, DrawShadowsLaysAUnitFrameOverItsShadow)
{
    DataDir dir;
    TSFrameSpec body, shadow;
    body.CX = shadow.CX = 2;
    body.CY = shadow.CY = 1;
    body.Pixels = {5, 0};
    shadow.Pixels = {1, 1};
    const std::string shp = dir.Write("unit.shp", MakeTSFile(2, 1, {body, shadow}));
    const std::string png = dir / "unit.png";
    const std::vector<std::string> base{"render", shp, "-o", png, "--data-dir", dir.Data(), "--game", "ts", "--type", "UNIT"};

    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.Status, 0) << r.Err;
        return Load(png);
    };
    QImage image = with({"--draw-shadows", "--transparent-shadows"});
    EXPECT_EQ(image.pixel(0, 0), Colour(5));
    EXPECT_EQ(image.pixel(1, 0), qRgba(0, 0, 0, 127));
    image = with({"--draw-shadows"});
    EXPECT_EQ(image.pixel(1, 0), Colour(1));
    image = with({});
    EXPECT_EQ(qAlpha(image.pixel(1, 0)), 0);
    image = with({"--frame", "1", "--transparent-shadows"});
    EXPECT_EQ(image.pixel(0, 0), qRgba(0, 0, 0, 127));
}

TEST(CliRender, AllFramesAndTheSheet)
{
    DataDir dir;
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < 11; ++i)
        frames.push_back({uint8_t(i + 1), 0, 0, uint8_t(i + 100)});
    const std::string shp = dir.Write("anim.shp", MakeTDFile(2, 2, frames));
    ASSERT_EQ(RunCli({"render", shp, "-o", dir / "out/f.png", "--all", "--data-dir", dir.Data()}).Status, 3);
    const RunResult all = RunCli({"render", shp, "-o", dir / "f.png", "--all", "--data-dir", dir.Data()});
    ASSERT_EQ(all.Status, 0) << all.Err;
    for (int i = 0; i < 11; ++i) {
        const std::string name = dir / ((i < 10 ? "f0" : "f") + std::to_string(i) + ".png");
        ASSERT_TRUE(Exists(name)) << name;
        EXPECT_EQ(Load(name).pixel(0, 0), Colour(i + 1));
    }
    EXPECT_FALSE(Exists(dir / "f.png"));

    const std::string sheet = dir / "sheet.png";
    ASSERT_EQ(RunCli({"render", shp, "-o", sheet, "--sheet", "--data-dir", dir.Data()}).Status, 0);
    const QImage image = Load(sheet);
    ASSERT_EQ(image.size(), QSize(3 * 2, 4 * 2)); // 11 frames: 3 columns, 4 rows
    EXPECT_EQ(image.pixel(0, 0), Colour(1));
    EXPECT_EQ(image.pixel(2, 0), Colour(2));
    EXPECT_EQ(image.pixel(3, 1), Colour(101));
    EXPECT_EQ(image.pixel(2, 6), Colour(11)); // frame 10: column 1, row 3
    EXPECT_EQ(qAlpha(image.pixel(4, 6)), 0);  // the cell after the last frame

    ASSERT_EQ(RunCli({"render", shp, "-o", sheet, "--sheet", "--zoom", "3", "--data-dir", dir.Data()}).Status, 0);
    const QImage zoomed = Load(sheet);
    ASSERT_EQ(zoomed.size(), QSize(3 * 2 * 3, 4 * 2 * 3));
    for (int y = 0; y < zoomed.height(); ++y)
        for (int x = 0; x < zoomed.width(); ++x)
            ASSERT_EQ(zoomed.pixel(x, y), image.pixel(x / 3, y / 3)) << x << ", " << y;
}

// Tiny files that ask for huge or countless frames are refused before anything is drawn, naming
// the file and the sizes.
TEST(CliRender, WorkOutOfProportionToTheFileIsRefused)
{
    DataDir dir;
    const std::string huge = dir.Write("huge.shp", {0, 0, 0, 0x40, 0, 0x40, 1, 0}); // 16384 x 16384
    std::vector<uint8_t> many = {0, 0, 165, 0, 153, 0, 0xFF, 0xFF}; // 65535 empty frames of 165 x 153
    many.resize(56);
    const std::string empty = dir.Write("many.shp", many);
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"render", huge, "-o", dir / "h.png"}, "\"" + huge + "\", frame 0 of 16384 x 16384 pixels: that is"},
        {{"export-map", huge, dir / "h.bmp"}, "16384 x 16384 pixels: that is 268,435,456 pixels to handle"},
        {{"export", huge, dir / "h.png", "--format", "png-frames"}, "that is 268,435,456 pixels to handle"},
        {{"convert", huge, dir / "h.shp", "--layout", "td"}, "more than a file of 8 bytes may ask for"},
        {{"render", empty, "-o", dir / "e.png", "--all"}, "each of 65535 frame(s) of 165 x 153 pixels"},
        {{"render", empty, "-o", dir / "e.png", "--sheet"}, "a picture of 42240 x 39168 pixels is larger than"},
        {{"export-map", empty, dir / "e.bmp"}, "a picture of 42240 x 39168 pixels is larger than"},
        {{"convert", empty, dir / "e.shp", "--layout", "td"},
         "TD/RA1 layout: that is 1,654,431,075 pixels to handle, more than a file of 56 bytes may ask for (at most "
         "67,108,864)"},
    };
    for (auto [args, reason] : refused) {
        args.insert(args.end(), {"--data-dir", dir.Data()});
        const RunResult r = RunCli(args, 120);
        EXPECT_EQ(r.Status, 2) << args[0] << " " << args[1] << ": " << r.Err;
        EXPECT_NE(r.Err.find(reason), std::string::npos) << r.Err;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3) << "nothing was written";
}

TEST(CliRender, PaletteChoice)
{
    DataDir dir;
    const std::string shp = dir.Write("own.shp", WithTrailer(FourByTwo(), 2, 6));
    const std::string png = dir / "own.png";
    ASSERT_EQ(RunCli({"render", shp, "-o", png, "--data-dir", dir.Data(), "--game", "ra2"}).Status, 0);
    EXPECT_EQ(Load(png).pixel(1, 0), qRgb(7, 250, 5)); // the file's own palette, unscaled

    const std::string pal = dir.Write("ones.pal", MakePalFile(One, Two, Three));
    ASSERT_EQ(RunCli({"render", shp, "-o", png, "--data-dir", dir.Data(), "--palette", pal}).Status, 0);
    EXPECT_EQ(Load(png).pixel(1, 0), qRgb(4, 8, 12));

    TempDir empty;
    const std::string plain = empty.Write("a.shp", FourByTwo());
    const RunResult none = RunCli({"render", plain, "-o", empty / "a.png", "--data-dir", empty.Path()});
    EXPECT_EQ(none.Status, 2);
    EXPECT_NE(none.Err.find("No palette"), std::string::npos) << none.Err;
    EXPECT_FALSE(Exists(empty / "a.png"));

    const RunResult missing = RunCli({"render", plain, "-o", empty / "a.png", "--palette", empty / "nope.pal"});
    EXPECT_EQ(missing.Status, 2);
    EXPECT_NE(missing.Err.find("nope.pal"), std::string::npos);

    // A name that is no file is looked for below the palette folder, regardless of case; it may
    // not climb out of it.
    dir.Write("data/palette/TS/Ones.pal", MakePalFile(One, Two, Three));
    ASSERT_EQ(RunCli({"render", plain, "-o", png, "--data-dir", dir.Data(), "--palette", "ts/ONES.PAL"}).Status, 0);
    EXPECT_EQ(Load(png).pixel(1, 0), qRgb(4, 8, 12));
    EXPECT_EQ(RunCli({"render", plain, "-o", png, "--data-dir", dir.Data(), "--palette", "../palette/TS/Ones.pal"}).Status,
              2);
}

// Frame 3 of an iso building needs its game's iso palette: a missing one fails the input (status 2)
// when frame 3 is drawn, and does not matter for the other frames.
TEST(CliRender, MissingIsoPaletteIsAnInputError)
{
    DataDir dir;
    TSFrameSpec f;
    f.CX = 4, f.CY = 2, f.Pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::string shp = dir.Write("iso.shp", MakeTSFile(4, 2, std::vector<TSFrameSpec>(8, f)));
    const std::vector<std::string> look = {"--data-dir", dir.Data(), "--game", "ts", "--type", "building (isotemperate)"};
    auto render = [&](std::vector<std::string> args) {
        args.insert(args.end(), look.begin(), look.end());
        return RunCli(args);
    };
    EXPECT_EQ(render({"render", shp, "-o", dir / "f0.png"}).Status, 0);
    const RunResult three = render({"render", shp, "-o", dir / "f3.png", "--frame", "3"});
    EXPECT_EQ(three.Status, 2);
    EXPECT_NE(three.Err.find("isotem.pal"), std::string::npos) << three.Err;
    EXPECT_EQ(render({"render", shp, "-o", dir / "s.png", "--sheet"}).Status, 2);
    EXPECT_FALSE(Exists(dir / "f3.png") || Exists(dir / "s.png"));
    dir.Write("data/palette/TS/isotem.pal", MakePalFile(One, Two, Three));
    EXPECT_EQ(render({"render", shp, "-o", dir / "f3.png", "--frame", "3"}).Status, 0);
    EXPECT_EQ(Load(dir / "f3.png").pixel(0, 0), qRgb(4, 8, 12));
}

TEST(CliRender, FailuresNameTheFileAndKeepTheOldOutput)
{
    DataDir dir;
    const std::string shp = dir.Write("a.shp", FourByTwo());
    const std::string text = dir.WriteText("text.shp", "just some words in a file\n");
    const std::string old = dir.WriteText("old.png", "OLD");

    const RunResult notSHP = RunCli({"render", text, "-o", old, "--data-dir", dir.Data()});
    EXPECT_EQ(notSHP.Status, 2);
    EXPECT_EQ(Lines(notSHP.Err).size(), 1u);
    EXPECT_NE(notSHP.Err.find(text), std::string::npos);
    EXPECT_EQ(ReadBytes(old), std::vector<uint8_t>({'O', 'L', 'D'}));

    const RunResult outOfRange = RunCli({"render", shp, "-o", old, "--frame", "1", "--data-dir", dir.Data()});
    EXPECT_EQ(outOfRange.Status, 1);
    EXPECT_NE(outOfRange.Err.find("has 1 frame(s)"), std::string::npos) << outOfRange.Err;

    const std::string noFolder = dir / "no-such-folder/a.png";
    const RunResult unwritable = RunCli({"render", shp, "-o", noFolder, "--data-dir", dir.Data()});
    EXPECT_EQ(unwritable.Status, 3);
    EXPECT_EQ(Lines(unwritable.Err).size(), 1u);
    EXPECT_NE(unwritable.Err.find(noFolder), std::string::npos) << unwritable.Err;

    const RunResult fileAsFolder = RunCli({"render", shp, "-o", old + "/a.png", "--data-dir", dir.Data()});
    EXPECT_EQ(fileAsFolder.Status, 3);

    const RunResult replaced = RunCli({"render", shp, "-o", old, "--data-dir", dir.Data()});
    EXPECT_EQ(replaced.Status, 0);
    EXPECT_EQ(Load(old).size(), QSize(4, 2));
    // Nothing but the files written lies in the folder (no temporary files left behind).
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 4); // data, a.shp, text.shp, old.png

    const std::string empty = dir.Write("empty.shp", {0, 0, 0, 0, 0, 0, 1, 0});
    const RunResult nothing = RunCli({"render", empty, "-o", dir / "e.png", "--data-dir", dir.Data()});
    EXPECT_EQ(nothing.Status, 2);
    EXPECT_NE(nothing.Err.find("canvas is empty"), std::string::npos) << nothing.Err;
}
