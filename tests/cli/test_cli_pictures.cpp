// export, import and edit: sprites through every picture format and back, true-colour pictures,
// frame operations with and without shadow pairing, and their usage errors.
#include "cli_harness.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace clitest;

namespace {

// A palette without repeated colours.
uint8_t Red(int i) { return uint8_t(i % 64); }
uint8_t Green(int i) { return uint8_t(i / 4); }
uint8_t Blue(int i) { return uint8_t(63 - i % 64); }

using Frames = std::vector<std::vector<uint8_t>>;

struct PictureDir : TempDir {
    // data/ with TS and RA2 palettes, and unit.shp: a TS building of 16 frames of 24 x 24 (shadow
    // frames 8 to 15); frame k holds 10 + k in a rectangle of 10 x 8 at (k % 4, k % 3), some of it 0.
    PictureDir()
    {
        Write("data/palette/TS/unittem.pal", MakePalFile(Red, Green, Blue));
        Write("data/palette/RA2/unittem.pal", MakePalFile(Red, Green, Blue));
        std::vector<TSFrameSpec> frames;
        for (int k = 0; k < 16; ++k) {
            TSFrameSpec f;
            f.X = uint16_t(k % 4);
            f.Y = uint16_t(k % 3);
            f.CX = 10;
            f.CY = 8;
            for (int p = 0; p < 80; ++p)
                f.Pixels.push_back(p % 7 == 3 ? 0 : uint8_t(10 + k + p % 3));
            f.Encode = k % 2 == 1;
            frames.push_back(f);
        }
        Unit = Write("unit.shp", MakeTSFile(24, 24, frames));
    }
    std::string Data() const { return *this / "data"; }
    std::string Unit;
};

Frames Without(const Frames& all, std::initializer_list<size_t> gone)
{
    Frames kept;
    for (size_t i = 0; i < all.size(); ++i)
        if (std::find(gone.begin(), gone.end(), i) == gone.end())
            kept.push_back(all[i]);
    return kept;
}

RunResult Ok(const std::vector<std::string>& args)
{
    const RunResult r = RunCli(args);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    return r;
}

void ExpectUsage(const std::vector<std::string>& args, const std::string& problem)
{
    const RunResult r = RunCli(args);
    EXPECT_EQ(r.Status, 1) << r.Err;
    EXPECT_NE(r.Err.find(problem), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
}

} // namespace

TEST(CliPictures, EveryFormatExportsAndImportsTheSameFrames)
{
    PictureDir dir;
    const Frames original = LoadFrames(dir.Unit);
    const std::vector<std::string> look{"--data-dir", dir.Data()};
    for (const char* format : {"bmp-map", "png-sheet", "png-frames"}) {
        std::vector<std::string> args{"export", dir.Unit, dir / (std::string(format) + ".png"), "--format", format};
        args.insert(args.end(), look.begin(), look.end());
        const std::vector<std::string> written = Lines(Ok(args).Out);
        ASSERT_EQ(written.size(), std::string(format) == "png-frames" ? 16u : 1u) << format;
        std::vector<std::string> import{"import"};
        import.insert(import.end(), written.begin(), written.end());
        import.push_back(dir / "back.shp");
        EXPECT_EQ(Ok(import).Out, dir / "back.shp" + ": 16 frame(s) of 24 x 24, 0 pixel(s) matched inexactly\n");
        EXPECT_EQ(LoadFrames(dir / "back.shp"), original) << format;
    }
    EXPECT_EQ(Lines(Ok({"export", dir.Unit, dir / "s.png", "--data-dir", dir.Data()}).Out),
              std::vector<std::string>{dir / "s0024x0024-000016.png"});
    EXPECT_TRUE(Exists(dir / "png-frames-0015.png"));
    Ok({"import", dir / "png-frames-0007.png", dir / "seq.shp", "--format", "png-frames", "--layout", "td"});
    EXPECT_EQ(LoadFrames(dir / "seq.shp"), original);
    EXPECT_EQ(ReadBytes(dir / "seq.shp").at(0), 16); // the TD/RA1 layout starts with the frame count
}

TEST(CliPictures, RenderedFramesComeBackWithTheirIndices)
{
    PictureDir dir;
    Ok({"render", dir.Unit, "-o", dir / "r.png", "--all", "--data-dir", dir.Data()});
    std::vector<std::string> import{"import"};
    for (int i = 0; i < 16; ++i)
        import.push_back(dir / (std::string(i < 10 ? "r0" : "r") + std::to_string(i) + ".png"));
    import.insert(import.end(), {dir / "back.shp", "--data-dir", dir.Data()});
    EXPECT_EQ(Ok(import).Out, dir / "back.shp" + ": 16 frame(s) of 24 x 24, 0 pixel(s) matched inexactly\n");
    EXPECT_EQ(LoadFrames(dir / "back.shp"), LoadFrames(dir.Unit));

    // Without a palette to match to, a true-colour picture is refused.
    dir.WriteText("empty/palette/readme.txt", "no palettes here");
    const RunResult none = RunCli({"import", dir / "r00.png", dir / "x.shp", "--data-dir", dir / "empty"});
    EXPECT_EQ(none.Status, 2);
    EXPECT_NE(none.Err.find("needs a palette"), std::string::npos) << none.Err;
    EXPECT_NE(none.Err.find("--palette"), std::string::npos) << none.Err;
    EXPECT_FALSE(Exists(dir / "x.shp"));
    const RunResult sizes = RunCli({"import", dir / "r00.png", dir / "s.bmp", dir / "x.shp"});
    EXPECT_EQ(sizes.Status, 2);
}

TEST(CliEdit, DeleteTakesTheShadowAlongUnlessPairingIsOff)
{
    PictureDir dir;
    const Frames original = LoadFrames(dir.Unit);
    EXPECT_EQ(Ok({"edit", dir.Unit, dir / "a.shp", "--delete", "3"}).Out, dir / "a.shp" + ": 14 frame(s) of 24 x 24\n");
    EXPECT_EQ(LoadFrames(dir / "a.shp"), Without(original, {3, 11}));
    Ok({"edit", dir.Unit, dir / "b.shp", "--delete", "3", "--no-shadow-pairing"});
    EXPECT_EQ(LoadFrames(dir / "b.shp"), Without(original, {3}));
    Ok({"edit", dir.Unit, dir / "c.shp", "--reverse", "--reverse"});
    EXPECT_EQ(LoadFrames(dir / "c.shp"), original);
    const Json before = ParseJson(Ok({"info", "--json", dir.Unit}).Out)["frames"];
    const Json after = ParseJson(Ok({"info", "--json", dir / "c.shp"}).Out)["frames"];
    for (size_t i = 0; i < 16; ++i)
        for (const char* field : {"x", "y", "cx", "cy"})
            EXPECT_EQ(after[i][field].NumberValue, before[i][field].NumberValue) << i << field;

    // Operations run in order: move pair 0 to the end of each half, then duplicate frame 1.
    Ok({"edit", dir.Unit, dir / "d.shp", "--move", "0:7", "--duplicate=1"});
    const Frames d = LoadFrames(dir / "d.shp");
    ASSERT_EQ(d.size(), 18u);
    EXPECT_EQ(d[0], original[1]);
    EXPECT_EQ(d[1], original[2]);
    EXPECT_EQ(d[2], original[2]);
    EXPECT_EQ(d[8], original[0]);
    EXPECT_EQ(d[9], original[9]);
    EXPECT_EQ(d[17], original[8]);
}

TEST(CliEdit, InsertResizeAndCropChangeTheCanvas)
{
    PictureDir dir;
    const Frames original = LoadFrames(dir.Unit);
    Ok({"export", dir.Unit, dir / "f.png", "--format", "png-frames", "--data-dir", dir.Data()});
    Ok({"edit", dir.Unit, dir / "i.shp", "--insert", dir / "f-0002.png@8", "--data-dir", dir.Data()});
    const Frames inserted = LoadFrames(dir / "i.shp");
    ASSERT_EQ(inserted.size(), 18u); // the frame at the end of the first half, an empty shadow at the end
    EXPECT_EQ(inserted[8], original[2]);
    EXPECT_EQ(inserted[17], std::vector<uint8_t>(576, 0));

    int w = 0, h = 0;
    Ok({"edit", dir.Unit, dir / "r.shp", "--resize", "30x20:bottom-right"});
    const Frames resized = LoadFrames(dir / "r.shp", &w, &h);
    ASSERT_EQ(w, 30);
    ASSERT_EQ(h, 20);
    for (int y = 0; y < 20; ++y) // the old canvas from (6, -4): rows 4 to 23 of it
        for (int x = 6; x < 30; ++x)
            ASSERT_EQ(resized[5][size_t(y * 30 + x)], original[5][size_t((y + 4) * 24 + x - 6)]) << x << "," << y;

    Ok({"edit", dir.Unit, dir / "c.shp", "--crop"});
    LoadFrames(dir / "c.shp", &w, &h);
    EXPECT_EQ(w, 13); // columns 0 to 12 (x up to 3 + 10), rows 0 to 9
    EXPECT_EQ(h, 10);
}

TEST(CliEdit, ImpossibleOperationsAreUsageErrorsNamingTheValue)
{
    PictureDir dir;
    const std::string out = dir / "out.shp";
    ExpectUsage({"edit", dir.Unit, out, "--delete", "20"}, "--delete 20: Frame 20 does not exist: the sprite has 16 frames, 0 to 15");
    ExpectUsage({"edit", dir.Unit, out, "--delete", "3,x"}, "invalid frame list '3,x' for --delete");
    ExpectUsage({"edit", dir.Unit, out, "--delete", "0-7"}, "would leave the sprite without frames");
    ExpectUsage({"edit", dir.Unit, out, "--move", "3"}, "--move needs FROM:TO");
    ExpectUsage({"edit", dir.Unit, out, "--move", "3:16", "--no-shadow-pairing"}, "Position 16 is not possible");
    ExpectUsage({"edit", dir.Unit, out, "--move", "3:-1"}, "invalid position '-1'");
    ExpectUsage({"edit", dir.Unit, out, "--resize", "0x5"}, "invalid canvas size '0x5'");
    ExpectUsage({"edit", dir.Unit, out, "--resize", "10x10:middle-ish"}, "unknown anchor 'middle-ish'");
    ExpectUsage({"edit", dir.Unit, out, "--insert", "a.png"}, "--insert needs FILE@POSITION");
    ExpectUsage({"edit", dir.Unit, out, "--insert", dir.Unit + "@17"}, "Position 17 is not possible");
    ExpectUsage({"edit", dir.Unit, out}, "no operation given");
    ExpectUsage({"edit", dir.Unit, out, "--crop=yes"}, "takes no value");
    ExpectUsage({"edit", dir.Unit, out, "--reverse", "--layout", "td", "--compression", "none"}, "TS/RA2 layout only");
    ExpectUsage({"export", dir.Unit, dir / "x.gif"}, "missing option '--format'");
    ExpectUsage({"export", dir.Unit, dir / "x.png", "--format", "picture"}, "unknown format 'picture'");
    ExpectUsage({"import", dir.Unit}, "missing INPUT... and OUTPUT.shp");
    ExpectUsage({"import", "a.png", out, "--frame-size", "9"}, "needs WIDTHxHEIGHT");
    EXPECT_FALSE(Exists(out));
}
