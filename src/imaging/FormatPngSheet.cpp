// The indexed PNG sprite sheet: the grid and file-name suffix of the BMP sprite map
// (tank0064x0048-000032.png) in a PNG of colour type 3, the palette as PLTE, index 0 transparent.
// Read back, any PNG serves: indexed ones keep their indices, true-colour ones are matched.
#include "FormatSupport.h"

#include "sprite/FileUtil.h"

namespace vantrel {

namespace {

class TPngSheetFormat final : public TImageFormat {
public:
    std::string_view Id() const override { return "png-sheet"; }
    std::string_view Name() const override { return "Indexed PNG sprite sheet"; }
    std::vector<std::string> Patterns() const override { return {"*.png"}; }
    bool CanRead() const override { return true; }
    bool CanWrite() const override { return true; }

    std::vector<std::string> OutputPaths(const TSHP& sprite, const std::string& chosenPath) const override
    {
        return {SheetExportPath(chosenPath, {sprite.Width, sprite.Height, sprite.FrameCount()}, ".png")};
    }

    std::vector<std::string> Write(const TSHP& sprite, const std::string& chosenPath) const override
    {
        CheckExportable(sprite);
        const std::string path = OutputPaths(sprite, chosenPath)[0];
        WriteFileAtomic(path, IndexedPNG(ExportSpriteSheet(sprite), path));
        return {path};
    }

    TFramesRead Read(const std::string& path, const TFrameReadOptions& options) const override
    {
        return CutIntoFrames(ReadIndexedPicture(path, options), path, options);
    }
};

} // namespace

const TImageFormat& PngSheetFormat()
{
    static const TPngSheetFormat format;
    return format;
}

} // namespace vantrel
