#include "SpriteSheet.h"

#include "FileUtil.h"
#include "SHP.h"
#include "Text.h"
#include "WorkBudget.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

constexpr int MaxSpriteSide = 65535;
constexpr int MaxSpriteFrames = 65535;

int IntegerSquareRoot(int n)
{
    int s = 0;
    while (int64_t(s + 1) * (s + 1) <= n)
        ++s;
    return s;
}

// The field as a number when it holds only decimal digits.
bool ReadDecimal(std::string_view field, int& value)
{
    if (field.empty())
        return false;
    int v = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

std::string Size(int64_t w, int64_t h) { return std::to_string(w) + " x " + std::to_string(h); }

} // namespace

TSheetGrid SheetGrid(int frameCount)
{
    const int s = IntegerSquareRoot(std::max(frameCount, 0));
    TSheetGrid grid{s, s};
    while (int64_t(grid.Columns) * grid.Rows < frameCount) {
        ++grid.Rows;
        if (int64_t(grid.Columns) * grid.Rows >= frameCount)
            break;
        ++grid.Columns;
    }
    return grid;
}

std::string SheetSuffix(const TSheetLayout& layout, std::string_view extension)
{
    return PadNumber(layout.FrameWidth, 4) + "x" + PadNumber(layout.FrameHeight, 4) + "-" +
           PadNumber(layout.FrameCount, 6) + std::string(extension);
}

std::string SheetExportPath(std::string_view chosenPath, const TSheetLayout& layout, std::string_view extension)
{
    return ChangeFileExt(chosenPath, SheetSuffix(layout, extension));
}

bool ParseSheetName(std::string_view fileName, TSheetLayout& layout)
{
    if (fileName.size() < SheetSuffixLength)
        return false;
    const std::string_view t = fileName.substr(fileName.size() - SheetSuffixLength);
    if (t[4] != 'x' || t[9] != '-')
        return false;
    ReadDecimal(t.substr(0, 4), layout.FrameWidth);
    ReadDecimal(t.substr(5, 4), layout.FrameHeight);
    ReadDecimal(t.substr(10, 6), layout.FrameCount);
    return true;
}

TSheetLayout InitialSheetLayout(const TBitmap8& bitmap, std::string_view fileName)
{
    TSheetLayout layout{bitmap.Width, bitmap.Height, 1};
    ParseSheetName(fileName, layout);
    return layout;
}

std::string SheetLayoutProblem(int bitmapWidth, int bitmapHeight, const TSheetLayout& layout)
{
    const int fw = layout.FrameWidth;
    const int fh = layout.FrameHeight;
    const int count = layout.FrameCount;
    if (bitmapWidth < 1 || bitmapHeight < 1)
        return "The picture is empty.";
    if (fw < 1 || fh < 1)
        return "The frame size " + Size(fw, fh) + " is not possible; width and height must be at least 1.";
    if (count < 1)
        return "The frame count must be at least 1.";
    if (fw > bitmapWidth || fh > bitmapHeight)
        return "A frame of " + Size(fw, fh) + " is larger than the picture of " + Size(bitmapWidth, bitmapHeight) + ".";
    if (fw > MaxSpriteSide || fh > MaxSpriteSide)
        return "A frame of " + Size(fw, fh) + " is too large; a sprite's frames are at most 65535 x 65535.";
    if (count > MaxSpriteFrames)
        return "A sprite holds at most 65535 frames, not " + std::to_string(count) + ".";
    const int columns = bitmapWidth / fw;
    const int64_t rowsNeeded = (int64_t(count) - 1) / columns + 1;
    if (rowsNeeded * fh > bitmapHeight) {
        const int64_t room = int64_t(columns) * (bitmapHeight / fh);
        return "The picture of " + Size(bitmapWidth, bitmapHeight) + " holds " + std::to_string(room) +
               " frames of " + Size(fw, fh) + ", not " + std::to_string(count) + ".";
    }
    return {};
}

bool SheetFits(int bitmapWidth, int bitmapHeight, const TSheetLayout& layout)
{
    return SheetLayoutProblem(bitmapWidth, bitmapHeight, layout).empty();
}

bool SheetCellInside(int bitmapWidth, int bitmapHeight, const TSheetLayout& layout, int cell)
{
    const int fw = layout.FrameWidth;
    const int fh = layout.FrameHeight;
    if (cell < 0 || fw < 1 || fh < 1 || fw > bitmapWidth)
        return false;
    const int columns = bitmapWidth / fw;
    return (int64_t(cell / columns) + 1) * fh <= bitmapHeight;
}

TBitmap8 SheetCell(const TBitmap8& bitmap, const TSheetLayout& layout, int cell)
{
    if (!bitmap.IsIndexed() || !SheetCellInside(bitmap.Width, bitmap.Height, layout, cell))
        throw BmpError("Cell " + std::to_string(cell) + " of " + Size(layout.FrameWidth, layout.FrameHeight) +
                       " is not inside the picture of " + Size(bitmap.Width, bitmap.Height));
    const int columns = bitmap.Width / layout.FrameWidth;
    const int left = (cell % columns) * layout.FrameWidth;
    const int top = (cell / columns) * layout.FrameHeight;
    TBitmap8 result = MakeBitmap8(layout.FrameWidth, layout.FrameHeight);
    result.ColourTable = bitmap.ColourTable;
    for (int y = 0; y < result.Height; ++y)
        std::memcpy(result.Row(y), bitmap.Row(top + y) + left, size_t(result.Width));
    return result;
}

void CopyFrameIndices(const TSHP& sprite, int i, TBitmap8& bitmap, int left, int top)
{
    const TSHPFrame& frame = sprite.GetFrame(i);
    if (!frame.Data || left < 0 || top < 0 || left >= bitmap.Width)
        return;
    const int width = std::min(sprite.Width, bitmap.Width - left);
    const int rows = int(std::clamp<int64_t>(int64_t(bitmap.Height) - top, 0, sprite.Height));
    for (int r = 0; r < rows; ++r)
        std::memcpy(bitmap.Row(top + r) + left, frame.Data.get() + size_t(r) * size_t(sprite.Width), size_t(width));
}

namespace {

// The grid of a sprite's map; BmpError for a sprite without frames or canvas, or whose map would
// be larger than a picture may be.
TSheetGrid ExportGrid(const TSHP& sprite)
{
    const int n = sprite.FrameCount();
    if (n == 0)
        throw BmpError("The sprite has no frames to export.");
    if (sprite.Width < 1 || sprite.Height < 1)
        throw BmpError("The sprite's canvas of " + Size(sprite.Width, sprite.Height) + " is empty.");
    const TSheetGrid grid = SheetGrid(n);
    const std::string problem = PictureSizeProblem(uint64_t(grid.Columns) * uint64_t(sprite.Width),
                                                   uint64_t(grid.Rows) * uint64_t(sprite.Height));
    if (!problem.empty())
        throw BmpError("The sprite map of " + std::to_string(n) + " frames of " + Size(sprite.Width, sprite.Height) +
                       " cannot be made: " + problem + ".");
    return grid;
}

std::array<uint32_t, 256> SheetColourTable(const TSHP& sprite)
{
    std::array<uint32_t, 256> table{};
    for (size_t e = 0; e < table.size(); ++e)
        table[e] = ColourToARGB(sprite.Palette[e]);
    return table;
}

} // namespace

TBitmap8 ExportSpriteSheet(const TSHP& sprite)
{
    const TSheetGrid grid = ExportGrid(sprite);
    TBitmap8 bitmap = MakeBitmap8(grid.Columns * sprite.Width, grid.Rows * sprite.Height);
    bitmap.ColourTable = SheetColourTable(sprite);
    for (int i = 0; i < sprite.FrameCount(); ++i)
        CopyFrameIndices(sprite, i, bitmap, (i % grid.Columns) * sprite.Width, (i / grid.Columns) * sprite.Height);
    return bitmap;
}

std::string SheetExportPath(const TSHP& sprite, std::string_view chosenPath)
{
    return SheetExportPath(chosenPath, TSheetLayout{sprite.Width, sprite.Height, sprite.FrameCount()});
}

// Row by row, bottom row first as the file holds them: the working memory is one row.
std::string SaveSpriteSheet(const TSHP& sprite, const std::string& chosenPath)
{
    const TSheetGrid grid = ExportGrid(sprite);
    const int n = sprite.FrameCount();
    const size_t frameWidth = size_t(sprite.Width);
    const int width = grid.Columns * sprite.Width;
    const int height = grid.Rows * sprite.Height;
    const std::string path = SheetExportPath(sprite, chosenPath);
    TAtomicFile file(path);
    file.Write(Bmp8Head(width, height, SheetColourTable(sprite)));
    std::vector<uint8_t> row(Bmp8RowBytes(width), 0);
    for (int y = height - 1; y >= 0; --y) {
        const int cellRow = y / sprite.Height;
        const size_t rowInFrame = size_t(y % sprite.Height);
        for (int column = 0; column < grid.Columns; ++column) {
            const int i = cellRow * grid.Columns + column;
            uint8_t* out = row.data() + size_t(column) * frameWidth;
            const uint8_t* data = i < n ? sprite.Frames[size_t(i)].Data.get() : nullptr;
            if (data)
                std::memcpy(out, data + rowInFrame * frameWidth, frameWidth);
            else
                std::memset(out, 0, frameWidth);
        }
        file.Write(row);
    }
    file.Commit();
    return path;
}

} // namespace vantrel
