// The picture formats: the bytes of the indexed PNG files written, round trips of every format,
// PNG files of other encoders, true-colour pictures matched to a palette, and real sprites.
#include "png_encoder.h"

#include "imaging/ImageFormats.h"
#include "imaging/Imaging.h"
#include "sprite/FileUtil.h"
#include "sprite/SpriteSheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace vantrel;

namespace {

struct TempFolder {
    TempFolder()
    {
        std::random_device rd;
        Path = (std::filesystem::temp_directory_path() / ("vantrel-formats-" + std::to_string(rd()))).string() + "/";
        std::filesystem::create_directories(Path);
    }
    ~TempFolder() { std::filesystem::remove_all(Path); }
    std::string operator/(const std::string& name) const { return Path + name; }
    std::string Path;
};

// Entry i is (i, 255 - i, 3 i) with no colour twice; entry 0 is magenta.
TPalette DistinctPalette()
{
    TPalette p{};
    for (int i = 0; i < 256; ++i)
        p[size_t(i)] = MakeColour(uint8_t(i), uint8_t(255 - i), uint8_t(i * 3));
    p[0] = MakeColour(255, 0, 255);
    return p;
}

// A TS unit of `frames` frames of w x h with pixels of every index, some transparent.
std::unique_ptr<TSHP> MakeSprite(int frames, int w, int h, int maxIndex = 255)
{
    auto s = std::make_unique<TSHP>();
    s->Game = TSHPGame::TS;
    s->SetSHPType(TSHPType::Unit);
    s->AddFrames(frames, w, h);
    for (int k = 0; k < frames; ++k) {
        for (int p = 0; p < w * h; ++p)
            s->Frames[size_t(k)].Data[size_t(p)] = (p + k) % 5 == 0 ? 0 : uint8_t((p * 7 + k * 13) % (maxIndex + 1));
        s->UpdateFrameBounds(k);
    }
    s->SetPalette(DistinctPalette());
    return s;
}

std::vector<uint8_t> CanvasOf(const TSHP& s, int i)
{
    const uint8_t* d = s.Frames[size_t(i)].Data.get();
    return d ? std::vector<uint8_t>(d, d + size_t(s.Width) * size_t(s.Height)) : std::vector<uint8_t>(size_t(s.Width) * size_t(s.Height), 0);
}

void ExpectSameFrames(const TSHP& a, const TSHP& b)
{
    ASSERT_EQ(a.FrameCount(), b.FrameCount());
    ASSERT_EQ(a.Width, b.Width);
    ASSERT_EQ(a.Height, b.Height);
    for (int i = 0; i < a.FrameCount(); ++i)
        ASSERT_EQ(CanvasOf(a, i), CanvasOf(b, i)) << "frame " << i;
}

// The chunks of a PNG file: type and data.
std::vector<std::pair<std::string, std::vector<uint8_t>>> Chunks(const std::vector<uint8_t>& png)
{
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks;
    for (size_t p = 8; p + 12 <= png.size();) {
        const size_t n = size_t(png[p]) << 24 | size_t(png[p + 1]) << 16 | size_t(png[p + 2]) << 8 | png[p + 3];
        chunks.emplace_back(std::string(png.begin() + long(p) + 4, png.begin() + long(p) + 8),
                            std::vector<uint8_t>(png.begin() + long(p) + 8, png.begin() + long(p + 8 + n)));
        p += 12 + n;
    }
    return chunks;
}

TBitmap8 BitmapOf(const TSHP& s, int frame)
{
    TBitmap8 b = MakeBitmap8(s.Width, s.Height);
    CopyFrameIndices(s, frame, b, 0, 0);
    for (size_t e = 0; e < 256; ++e)
        b.ColourTable[e] = ColourToARGB(s.Palette[e]);
    return b;
}

} // namespace

TEST(ImageFormats, TheListNamesEveryFormat)
{
    std::vector<std::string> ids;
    for (const TImageFormat* f : ImageFormats())
        ids.emplace_back(f->Id());
    EXPECT_EQ(ids, (std::vector<std::string>{"bmp-map", "png-sheet", "png-frames", "picture"}));
    EXPECT_EQ(DialogFilter(*FindImageFormat("png-sheet")), "Indexed PNG sprite sheet (*.png)");
    EXPECT_EQ(DialogFilters(true), "8-bit BMP sprite map (*.bmp);;Indexed PNG sprite sheet (*.png);;"
                                   "Indexed PNG frame sequence (*.png)");
    EXPECT_FALSE(FindImageFormat("picture")->CanWrite());
    EXPECT_EQ(FindImageFormat("gif"), nullptr);
    const std::vector<std::string> patterns = FindImageFormat("picture")->Patterns();
    EXPECT_NE(std::find(patterns.begin(), patterns.end(), "*.jpg"), patterns.end());
}

TEST(ImageFormats, PngSheetIsIndexedWithThePaletteAndATransparentIndexZero)
{
    TempFolder dir;
    const auto sprite = MakeSprite(5, 7, 3);
    const std::vector<std::string> written = FindImageFormat("png-sheet")->Write(*sprite, dir / "s.png");
    ASSERT_EQ(written, std::vector<std::string>{dir / "s0007x0003-000005.png"});
    const auto chunks = Chunks(ReadWholeFile(written[0]));
    ASSERT_GE(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].first, "IHDR"); // 2 x 3 cells of 7 x 3, depth 8, colour type 3, not interlaced
    EXPECT_EQ(chunks[0].second, (std::vector<uint8_t>{0, 0, 0, 14, 0, 0, 0, 9, 8, 3, 0, 0, 0}));
    std::vector<uint8_t> plte;
    for (const TColour24& c : sprite->Palette)
        plte.insert(plte.end(), {c.R, c.G, c.B});
    bool sawPalette = false, sawTransparency = false;
    for (const auto& [type, data] : chunks) {
        if (type == "PLTE") {
            EXPECT_EQ(data, plte);
            sawPalette = true;
        }
        if (type == "tRNS") {
            EXPECT_TRUE(sawPalette);
            EXPECT_EQ(data, std::vector<uint8_t>{0});
            sawTransparency = true;
        }
    }
    EXPECT_TRUE(sawTransparency);

    const TFramesRead back = FindImageFormat("png-sheet")->Read(written[0], {});
    ExpectSameFrames(*sprite, *back.Sprite);
    EXPECT_EQ(back.Sprite->Palette, sprite->Palette);
    EXPECT_TRUE(back.Sprite->CustomPalette);
    EXPECT_EQ(back.Sprite->FileName, "s0007x0003-000005.shp");
    EXPECT_EQ(back.Matching.InexactPixels, 0u);
}

TEST(ImageFormats, EveryWritableFormatReadsBackTheSameIndices)
{
    TempFolder dir;
    const auto sprite = MakeSprite(12, 9, 4);
    for (const TImageFormat* f : ImageFormats()) {
        if (!f->CanWrite())
            continue;
        const std::vector<std::string> paths = f->Write(*sprite, dir / (std::string(f->Id()) + ".x"));
        EXPECT_EQ(paths, f->OutputPaths(*sprite, dir / (std::string(f->Id()) + ".x")));
        const TFramesRead back = f->Read(paths[0], {});
        ExpectSameFrames(*sprite, *back.Sprite);
        EXPECT_EQ(back.Sprite->Palette, sprite->Palette) << f->Id();
    }
    EXPECT_EQ(FrameSequencePath(dir / "png-frames.x", 11, 12), dir / "png-frames-0011.png");
    EXPECT_EQ(FrameSequencePath("a.png", 3, 10001), "a-00003.png");
}

TEST(ImageFormats, SequencesAreReadInNumberOrder)
{
    TempFolder dir;
    const auto sprite = MakeSprite(3, 4, 4);
    const std::vector<std::string> names{"f-2.png", "f-10.png", "f-0001.png"};
    for (size_t k = 0; k < names.size(); ++k)
        WriteFileAtomic(dir / names[k], pngtest::EncodeIndexedPng(BitmapOf(*sprite, int(k))));
    WriteFileAtomic(dir / "f-x.png", std::vector<uint8_t>{1});
    WriteFileAtomic(dir / "g-3.png", std::vector<uint8_t>{1});
    EXPECT_EQ(FrameSequenceFiles(dir / "f-2.png"),
              (std::vector<std::string>{dir / "f-0001.png", dir / "f-2.png", dir / "f-10.png"}));
    EXPECT_EQ(FrameSequenceFiles(dir / "f-x.png"), std::vector<std::string>{dir / "f-x.png"});
    const TFramesRead back = FindImageFormat("png-frames")->Read(dir / "f-10.png", {});
    ASSERT_EQ(back.Sprite->FrameCount(), 3);
    EXPECT_EQ(CanvasOf(*back.Sprite, 0), CanvasOf(*sprite, 2)); // f-0001
    EXPECT_EQ(CanvasOf(*back.Sprite, 1), CanvasOf(*sprite, 0)); // f-2
    EXPECT_EQ(CanvasOf(*back.Sprite, 2), CanvasOf(*sprite, 1)); // f-10
    EXPECT_EQ(back.Sprite->FileName, "f.shp");
    EXPECT_EQ(FrameSequenceName(dir / "f-2.png"), dir / "f.png");
    EXPECT_EQ(FrameSequenceName(dir / "f-x.png"), dir / "f-x.png");
    EXPECT_EQ(FrameSequenceName("-7.png"), "-7.png");
}

TEST(ImageFormats, PngFilesOfOtherEncodersKeepTheirIndices)
{
    TempFolder dir;
    const auto sprite = MakeSprite(1, 37, 19);
    const TBitmap8 frame = BitmapOf(*sprite, 0);
    int variant = 0;
    for (const bool interlace : {false, true})
        for (const std::vector<int>& filters : std::vector<std::vector<int>>{{0}, {1}, {2}, {3}, {4}, {4, 3, 2, 1, 0}})
            for (const int level : {0, 1, 9}) {
                pngtest::TPngOptions o;
                o.Filters = filters;
                o.Level = level;
                o.Interlace = interlace;
                const std::string path = dir / ("v" + std::to_string(variant++) + ".png");
                WriteFileAtomic(path, pngtest::EncodeIndexedPng(frame, o));
                const TFramesRead back = FindImageFormat("png-sheet")->Read(path, {});
                ASSERT_EQ(CanvasOf(*back.Sprite, 0), CanvasOf(*sprite, 0)) << path;
                ASSERT_EQ(back.Sprite->Palette, sprite->Palette);
            }
    // Fewer bits a pixel, a short palette and no transparency.
    for (const int depth : {1, 2, 4}) {
        const auto small = MakeSprite(1, 13, 5, (1 << depth) - 1);
        pngtest::TPngOptions o;
        o.BitDepth = depth;
        o.PaletteEntries = 1 << depth;
        o.TransparentEntries = 0;
        o.Interlace = depth == 2;
        const std::string path = dir / ("d" + std::to_string(depth) + ".png");
        WriteFileAtomic(path, pngtest::EncodeIndexedPng(BitmapOf(*small, 0), o));
        const TFramesRead back = FindImageFormat("picture")->Read(path, {});
        EXPECT_EQ(CanvasOf(*back.Sprite, 0), CanvasOf(*small, 0)) << depth;
    }
}

TEST(ImageFormats, RenderedFramesComeBackWithTheirIndices)
{
    TempFolder dir;
    auto sprite = MakeSprite(4, 11, 6);
    TFrameReadOptions options;
    options.TrueColourPalette = sprite->Palette;
    for (int i = 0; i < 4; ++i) {
        const std::string path = dir / ("r" + std::to_string(i) + ".png");
        SavePNG(FrameToPNG(*sprite, i, false), path);
        const TFramesRead back = ReadFrameFiles({path}, nullptr, options);
        EXPECT_EQ(CanvasOf(*back.Sprite, 0), CanvasOf(*sprite, i)) << i;
        EXPECT_EQ(back.Matching.InexactPixels, 0u);
        EXPECT_FALSE(back.Sprite->CustomPalette);
    }
    TFrameReadOptions none;
    EXPECT_THROW(ReadFrameFiles({dir / "r0.png"}, nullptr, none), NoPaletteError);
}

TEST(ImageFormats, TrueColoursAreMatchedAndCounted)
{
    TempFolder dir;
    const TPalette pal = DistinctPalette();
    QImage picture(4, 1, QImage::Format_ARGB32);
    auto rgb = [&](int e, int alpha) { return qRgba(pal[size_t(e)].R, pal[size_t(e)].G, pal[size_t(e)].B, alpha); };
    picture.setPixel(0, 0, rgb(40, 255));
    picture.setPixel(1, 0, rgb(40, 127));              // too transparent: 0
    picture.setPixel(2, 0, rgb(18, 200));              // a remap entry, exactly: kept
    picture.setPixel(3, 0, rgb(90, 255) ^ 0x00010000); // red one off: inexact
    SavePNG(picture, dir / "t.png");
    TFrameReadOptions options;
    options.Palette = pal;
    const TFramesRead read = ReadFrameFiles({dir / "t.png"}, nullptr, options);
    EXPECT_EQ(CanvasOf(*read.Sprite, 0), (std::vector<uint8_t>{40, 0, 18, 90}));
    EXPECT_EQ(read.Matching.InexactPixels, 1u);
    EXPECT_GT(read.Matching.MaxDistance, 0.0);
    EXPECT_LT(read.Matching.MaxDistance, 1.0);

    // An indexed picture whose colour table is in another order is matched by its colours.
    const auto sprite = MakeSprite(1, 6, 2);
    TBitmap8 shuffled = BitmapOf(*sprite, 0);
    for (uint8_t& p : shuffled.Pixels)
        p = p ? uint8_t(256 - p) : 0;
    for (int e = 1; e < 256; ++e)
        shuffled.ColourTable[size_t(256 - e)] = ColourToARGB(pal[size_t(e)]);
    WriteFileAtomic(dir / "shuffled.png", pngtest::EncodeIndexedPng(shuffled));
    const TFramesRead matched = ReadFrameFiles({dir / "shuffled.png"}, nullptr, options);
    EXPECT_EQ(CanvasOf(*matched.Sprite, 0), CanvasOf(*sprite, 0));
    EXPECT_EQ(matched.Matching.InexactPixels, 0u);
}

TEST(ImageFormats, CutsFilesAndInsertSources)
{
    TempFolder dir;
    const auto sprite = MakeSprite(6, 5, 4);
    const std::string sheet = FindImageFormat("png-sheet")->Write(*sprite, dir / "s.png")[0]; // 2 x 3 cells
    std::filesystem::copy_file(sheet, dir / "plain.png");
    TFrameReadOptions options;
    EXPECT_EQ(ReadFrameFiles({dir / "plain.png"}, nullptr, options).Sprite->FrameCount(), 1);
    options.FrameWidth = 5;
    options.FrameHeight = 4;
    const TFramesRead cut = ReadFrameFiles({dir / "plain.png", sheet}, nullptr, options);
    EXPECT_EQ(cut.Sprite->FrameCount(), 12);
    EXPECT_EQ(CanvasOf(*cut.Sprite, 11), CanvasOf(*sprite, 5));
    options.FrameWidth = 11;
    EXPECT_THROW(ReadFrameFiles({dir / "plain.png"}, nullptr, options), FormatError);
    options.FrameWidth = 0;
    EXPECT_THROW(ReadFrameFiles({sheet, dir / "plain.png"}, nullptr, options), FormatError); // 5 x 4 and 10 x 12

    TSHP target;
    target.Game = TSHPGame::TS;
    target.SetPalette(sprite->Palette);
    TMatchStats stats;
    TFrameSource pictures = ReadInsertSource(sheet, nullptr, target, stats);
    EXPECT_EQ(pictures.Frames.size(), 6u);
    EXPECT_FALSE(pictures.ShadowHalf);
    sprite->SaveToFile(dir / "unit.shp");
    TFrameSource shp = ReadInsertSource(dir / "unit.shp", nullptr, target, stats);
    EXPECT_EQ(shp.Frames.size(), 6u);
    EXPECT_TRUE(shp.ShadowHalf);

    // Several files: shadow halves stay halves when every file has one, frames in the order given.
    const auto other = MakeSprite(2, 5, 4, 9);
    other->SaveToFile(dir / "two.shp");
    TFrameSource both = ReadInsertSources({dir / "unit.shp", dir / "two.shp"}, nullptr, target, stats);
    ASSERT_EQ(both.Frames.size(), 8u);
    EXPECT_TRUE(both.ShadowHalf);
    const std::vector<uint8_t> second(both.Frames[3].Data.get(), both.Frames[3].Data.get() + 20);
    EXPECT_EQ(second, CanvasOf(*other, 0)); // after unit.shp's first half
    TFrameSource mixed = ReadInsertSources({dir / "two.shp", sheet}, nullptr, target, stats);
    EXPECT_EQ(mixed.Frames.size(), 8u);
    EXPECT_FALSE(mixed.ShadowHalf);
    EXPECT_THROW(ReadInsertSources({sheet, dir / "plain.png"}, nullptr, target, stats), FormatError);
}

TEST(ImageFormats, ABmpCutShortIsRefusedAsAPictureToo)
{
    TempFolder dir;
    const auto sprite = MakeSprite(4, 6, 6);
    const std::string map = FindImageFormat("bmp-map")->Write(*sprite, dir / "m.bmp")[0];
    std::vector<uint8_t> cut = ReadWholeFile(map);
    cut.resize(cut.size() - 40);
    WriteFileAtomic(map, cut);
    for (const char* format : {"bmp-map", "picture"})
        try {
            ReadFrameFiles({map}, FindImageFormat(format), {});
            ADD_FAILURE() << format << " read a map cut short";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find("the file is truncated"), std::string::npos) << e.what();
        }
}

// A picture is refused by its header's size, before it is decoded: beyond the limit of a picture,
// or beyond what its file may ask for.
TEST(ImageFormats, PicturesTooLargeForTheirFileAreRefusedUndecoded)
{
    TempFolder dir;
    for (const uint32_t side : {20000u, 12000u}) {
        std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        std::vector<uint8_t> header;
        pngtest::Put32(header, side);
        pngtest::Put32(header, side);
        header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
        pngtest::Chunk(png, "IHDR", header);
        pngtest::Chunk(png, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01}); // no rows
        pngtest::Chunk(png, "IEND", {});
        const std::string path = dir / ("claims" + std::to_string(side) + ".png");
        WriteFileAtomic(path, png);
        try {
            ReadFrameFiles({path}, nullptr, {});
            ADD_FAILURE() << side;
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find(side == 20000 ? "is larger than the limit" : "more than a file of"),
                      std::string::npos)
                << e.what();
        }
    }
}

TEST(ImageFormats, RealSpritesOfBothLayoutsRoundTrip)
{
    const std::string corpus = VANTREL_CORPUS_DIR;
    if (!DirectoryExists(corpus))
        GTEST_SKIP() << "the corpus is not at " << corpus;
    TempFolder dir;
    for (const char* name : {"ts/rv_pyro.shp", "ts/rv_yacnst_b.shp", "ts/ra2_cgwt01.shp", "td/ca_ifvtur.shp",
                             "td/ca_killzone.shp", "td/ora-cnc_chan.shp"}) {
        TSHP sprite;
        sprite.LoadFromFile(corpus + "/" + name);
        for (const char* id : {"bmp-map", "png-sheet", "png-frames"}) {
            if (sprite.FrameCount() > 300 && std::string(id) == "png-frames")
                continue; // thousands of files take long on a busy disk
            const TImageFormat& f = *FindImageFormat(id);
            const std::string out = dir / (std::string(id) + ".x");
            const std::vector<std::string> paths = f.Write(sprite, out);
            const TFramesRead back = f.Read(paths[0], {});
            ExpectSameFrames(sprite, *back.Sprite);
            for (const std::string& p : paths)
                std::filesystem::remove(p);
        }
    }
}
