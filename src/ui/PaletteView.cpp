#include "PaletteView.h"

#include "imaging/Imaging.h"

#include <QPainter>

namespace vantrel {

namespace {

QColor ToQColor(TColour24 c) { return QColor(c.R, c.G, c.B); }

QRect CellRect(int index) { return {PaletteCellX(index), PaletteCellY(index), PaletteCellSize, PaletteCellSize}; }

} // namespace

QImage PaletteGridImage(const TPalette& palette)
{
    QImage image(PaletteGridSize, PaletteGridSize, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int i = 0; i < 256; ++i)
        painter.fillRect(CellRect(i), ToQColor(palette[size_t(i)]));
    return image;
}

QImage EmptyPaletteOverlay()
{
    QImage image(PaletteGridSize, PaletteGridSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void DrawUsageMask(QImage& overlay, const std::array<uint8_t, 256>& flags, uint8_t keep)
{
    QPainter painter(&overlay);
    const QImage& cell = GetCheckerCell();
    for (int i = 0; i < 256; ++i)
        if (flags[size_t(i)] != keep)
            painter.drawImage(PaletteCellX(i), PaletteCellY(i), cell);
}

TColour24 MarkerColour(TColour24 entry)
{
    const int s = (entry.R + entry.G + entry.B) % 256;
    return MakeColour(uint8_t((s + 128) % 256), uint8_t((255 - s) % 256), uint8_t(s));
}

void DrawIndexMarker(QImage& overlay, int index, bool isLeft, const TPalette& palette)
{
    const QColor colour = ToQColor(MarkerColour(palette[size_t(index & 0xFF)]));
    const int x = PaletteCellX(index);
    const int y = PaletteCellY(index);
    QPainter painter(&overlay);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (isLeft) {
        painter.fillRect(x, y + 5, 12, 2, colour);
        painter.fillRect(x + 5, y, 2, 12, colour);
        return;
    }
    for (int inset : {0, 1}) {
        const int size = PaletteCellSize - 2 * inset;
        const int l = x + inset;
        const int t = y + inset;
        painter.fillRect(l, t, size, 1, colour);
        painter.fillRect(l, t + size - 1, size, 1, colour);
        painter.fillRect(l, t, 1, size, colour);
        painter.fillRect(l + size - 1, t, 1, size, colour);
    }
}

QString ColourInfoText(int index, const TPalette& palette)
{
    const TColour24 c = palette[size_t(index & 0xFF)];
    const QString hex = QString::number(index, 16).toUpper().rightJustified(2, '0');
    return QString("Index: %1 (0x%2)\nRGB: (%3,%4,%5)").arg(index).arg(hex).arg(c.R).arg(c.G).arg(c.B);
}

} // namespace vantrel
