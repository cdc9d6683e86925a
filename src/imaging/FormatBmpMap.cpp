// The 8-bit BMP sprite map: every frame in a grid of cells, the palette as colour table, the
// frame size and count in the file name (tank0064x0048-000032.bmp).
#include "FormatSupport.h"
#include "Imaging.h"

namespace vantrel {

namespace {

class TBmpMapFormat final : public TImageFormat {
public:
    std::string_view Id() const override { return "bmp-map"; }
    std::string_view Name() const override { return "8-bit BMP sprite map"; }
    std::vector<std::string> Patterns() const override { return {"*.bmp"}; }
    bool CanRead() const override { return true; }
    bool CanWrite() const override { return true; }

    std::vector<std::string> OutputPaths(const TSHP& sprite, const std::string& chosenPath) const override
    {
        return {SheetExportPath(chosenPath, {sprite.Width, sprite.Height, sprite.FrameCount()})};
    }

    std::vector<std::string> Write(const TSHP& sprite, const std::string& chosenPath) const override
    {
        CheckExportable(sprite);
        return {SaveSpriteSheet(sprite, chosenPath)};
    }

    // An 8-bit BMP, or any other 8-bit picture Qt reads, as the import of sprite maps reads it.
    TFramesRead Read(const std::string& path, const TFrameReadOptions& options) const override
    {
        TBitmap8 bitmap = LoadSpriteMap(path);
        if (!bitmap.IsIndexed())
            throw FormatError("Cannot import \"" + path + "\": " + MsgNot8Bit);
        return CutIntoFrames(ResolveIndexed(std::move(bitmap), false, options), path, options);
    }
};

} // namespace

const TImageFormat& BmpMapFormat()
{
    static const TBmpMapFormat format;
    return format;
}

} // namespace vantrel
