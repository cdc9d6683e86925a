#include "SHP.h"
#include "SpriteSheet.h"

#include <cstring>

namespace vantrel {

std::unique_ptr<TSHP> ImportSpriteSheet(const TBitmap8& bitmap, const TSheetLayout& layout, std::string_view bitmapPath)
{
    if (!bitmap.IsIndexed())
        throw BmpError(MsgNot8Bit);
    const std::string problem = SheetLayoutProblem(bitmap.Width, bitmap.Height, layout);
    if (!problem.empty())
        throw std::invalid_argument(problem);

    auto sprite = std::make_unique<TSHP>();
    const int fw = layout.FrameWidth;
    const int fh = layout.FrameHeight;
    sprite->AddFrames(layout.FrameCount, fw, fh);
    const int columns = bitmap.Width / fw;
    for (int i = 0; i < layout.FrameCount; ++i) {
        uint8_t* data = sprite->GetFrame(i).Data.get();
        const int left = (i % columns) * fw;
        const int top = (i / columns) * fh;
        for (int y = 0; y < fh; ++y)
            std::memcpy(data + size_t(y) * size_t(fw), bitmap.Row(top + y) + left, size_t(fw));
        sprite->UpdateFrameBounds(i);
    }
    sprite->Game = TSHPGame::TS;
    sprite->SetSHPType(TSHPType::Unit);
    sprite->SetPaletteFromValues(bitmap.ColourTable);
    sprite->FileName = ChangeFileExt(ExtractFileName(bitmapPath), ".shp");
    return sprite;
}

} // namespace vantrel
