#include "ThumbnailDelegate.h"

#include <QPainter>
#include <QTextLayout>

namespace vantrel {

namespace {
constexpr int PictureFrameSize = 70;
constexpr int PictureFrameTop = 3;
constexpr int CaptionTop = PictureFrameTop + PictureFrameSize + 3;
constexpr int CaptionMargin = 2;
} // namespace

TThumbnailDelegate::TThumbnailDelegate(TPictureDrawer drawer, QObject* parent)
    : QAbstractItemDelegate(parent), Drawer(std::move(drawer))
{
}

QRect TThumbnailDelegate::PictureFrame(const QRect& cell)
{
    return QRect(cell.left() + (CellWidth - PictureFrameSize) / 2, cell.top() + PictureFrameTop, PictureFrameSize,
                 PictureFrameSize);
}

QRect TThumbnailDelegate::PictureRect(const QRect& cell) { return PictureFrame(cell).adjusted(1, 1, -1, -1); }

QRect TThumbnailDelegate::CaptionRect(const QRect& cell)
{
    return QRect(cell.left() + CaptionMargin, cell.top() + CaptionTop, CellWidth - 2 * CaptionMargin,
                 CellHeight - CaptionTop - CaptionMargin);
}

void TThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRect cell(option.rect.topLeft(), QSize(CellWidth, CellHeight));
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    if (selected) {
        const bool active = option.state & QStyle::State_Active;
        painter->fillRect(cell.adjusted(1, 1, -1, -1), active ? SelectionColour : InactiveSelectionColour);
    }
    painter->setPen(ItemBorder);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(PictureFrame(cell).adjusted(0, 0, -1, -1));
    const QRect picture = PictureRect(cell);
    painter->setClipRect(picture);
    const bool shown = Drawer ? Drawer(*painter, index, picture) : true;
    painter->setClipping(false);
    if (!shown) {
        painter->fillRect(cell, ListBackground);
        painter->restore();
        return;
    }
    painter->setPen(selected ? Qt::white : Qt::black);
    DrawCaption(*painter, CaptionRect(cell), index.data(Qt::DisplayRole).toString(), option.font);
    painter->restore();
}

void TThumbnailDelegate::DrawCaption(QPainter& painter, const QRect& area, const QString& text,
                                     const QFont& font) const
{
    QTextLayout layout(text, font);
    QTextOption textOption(Qt::AlignHCenter);
    textOption.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(textOption);
    const QFontMetrics metrics(font);
    const int maxLines = std::max(1, std::min(CaptionLines, area.height() / std::max(1, metrics.lineSpacing())));
    layout.beginLayout();
    int y = 0;
    QList<std::pair<int, int>> lines; // start, length
    for (int n = 0; n < maxLines; ++n) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(area.width());
        lines.append({line.textStart(), line.textLength()});
    }
    layout.endLayout();
    painter.setFont(font);
    for (int n = 0; n < lines.size(); ++n) {
        QString part = text.mid(lines[n].first, lines[n].second);
        const bool last = n == lines.size() - 1;
        if (last && lines[n].first + lines[n].second < text.size())
            part = metrics.elidedText(text.mid(lines[n].first), Qt::ElideRight, area.width());
        const QRect lineRect(area.left(), area.top() + y, area.width(), metrics.lineSpacing());
        painter.drawText(lineRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, part.trimmed());
        y += metrics.lineSpacing();
    }
}

QSize TThumbnailDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return {CellWidth, CellHeight};
}

} // namespace vantrel
