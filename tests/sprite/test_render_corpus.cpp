#include "render_test_files.h"
#include "sprite/Palette.h"
#include "sprite/SHP.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vantrel;
using render_test::TaggedPaletteFile;
using render_test::TAppFolder;

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusFiles(const std::string& folder, const std::string& ext)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(VANTREL_CORPUS_DIR) / folder, ec))
        if (entry.path().extension() == ext)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Every pixel of frame i drawn plainly: index 0 and the outside of the rectangle transparent,
// every other index its palette colour, opaque.
void ExpectPlainFrame(TSHP& s, int i)
{
    const TColour24* rgb = s.GetFrameRGB(i);
    const uint8_t* alpha = s.GetFrameAlpha(i);
    ASSERT_NE(rgb, nullptr);
    const TSHPFrame& f = s.Frames[size_t(i)];
    for (int y = 0; y < s.Height; ++y)
        for (int x = 0; x < s.Width; ++x) {
            const size_t p = size_t(y) * size_t(s.Width) + size_t(x);
            const bool inside = x >= f.X && x < f.X + f.CX && y >= f.Y && y < f.Y + f.CY;
            const uint8_t index = inside && f.Data ? f.Data[p] : 0;
            if (alpha[p] != (index ? 255 : 0) || rgb[p] != (index ? s.Palette[index] : s.TransparentColour)) {
                ADD_FAILURE() << "frame " << i << " pixel " << x << "," << y << " index " << int(index);
                return;
            }
        }
}

} // namespace

TEST(RenderCorpus, EverySpriteRendersWithTheCorpusPalettes)
{
    std::vector<fs::path> sprites = CorpusFiles("td", ".shp");
    const std::vector<fs::path> ts = CorpusFiles("ts", ".shp");
    sprites.insert(sprites.end(), ts.begin(), ts.end());
    const std::vector<fs::path> palettes = CorpusFiles("pal", ".pal");
    if (sprites.empty() || palettes.empty())
        GTEST_SKIP() << "no corpus";

    TAppFolder app; // iso palettes for the frames 3 of iso buildings
    for (const char* game : {"TS", "RA2"})
        for (const char* name : {"isosno", "isotem", "isourb"})
            app.Write(std::string("palette/") + game + "/" + name + ".pal", TaggedPaletteFile(4));

    size_t n = 0;
    for (const fs::path& file : sprites) {
        SCOPED_TRACE(file.string());
        TSHP s;
        s.LoadFromFile(file.string());
        ASSERT_NE(s.Format, TSHPFormat::None);
        if (!s.CustomPalette)
            s.LoadPalette(palettes[n++ % palettes.size()].string());
        // The largest sprites are checked on a sample of their frames, to keep the test quick.
        const size_t canvas = size_t(s.Width) * size_t(s.Height);
        const int step = int(std::max<size_t>(1, canvas * size_t(s.FrameCount()) / 500000));
        for (int i = 0; i < s.FrameCount(); i += step) {
            if (!(IsIsoBuilding(s.SHPType) && i == 3))
                ExpectPlainFrame(s, i);
            s.FreeFrameCache(i);
        }

        // Every drawing setting at once: only the three opacities occur.
        s.SetUseSideColour(true);
        s.SetSideColour(0x00F5D678);
        s.SetLuminosity(-37);
        s.SetTransparentShadows(true);
        for (int i = 0; i < s.FrameCount(); i += step) {
            const uint8_t* alpha = s.GetFrameAlpha(i);
            const uint8_t* end = alpha + canvas;
            ASSERT_EQ(std::find_if(alpha, end, [](uint8_t a) { return a != 0 && a != 127 && a != 255; }), end) << i;
            s.FreeFrameCache(i);
        }
    }
}
