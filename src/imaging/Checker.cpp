#include "ImageUtil.h"
#include "Imaging.h"

namespace vantrel {

namespace {

// A square of side 2 x half: the top-left and bottom-right quarters grey first, the others
// grey second.
QImage MakeChecker(int half, int first, int second)
{
    QImage image = NewImage(2 * half, 2 * half, QImage::Format_RGB32);
    const QRgb a = qRgb(first, first, first);
    const QRgb b = qRgb(second, second, second);
    for (int y = 0; y < 2 * half; ++y) {
        QRgb* row = RowOf(image, y);
        for (int x = 0; x < 2 * half; ++x)
            row[x] = (x < half) == (y < half) ? a : b;
    }
    return image;
}

} // namespace

const QImage& GetCheckerCell()
{
    static const QImage cell = MakeChecker(6, 25, 62);
    return cell;
}

QImage MakeCheckerTile() { return MakeChecker(8, 200, 250); }

QImage MakeCheckerBackground(int width, int height)
{
    if (width < 1 || height < 1)
        return {};
    QImage background = NewImage(width, height, QImage::Format_RGB32);
    TileBackground(background, MakeCheckerTile());
    return background;
}

} // namespace vantrel
