// Paints the cells of the open dialog's list: the cell background (red while selected), the
// bordered picture area whose content the dialog draws, and a caption of up to three lines.
#pragma once

#include <QAbstractItemDelegate>
#include <QColor>
#include <functional>

namespace vantrel {

class TThumbnailDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    static constexpr int CellWidth = 100;
    static constexpr int CellHeight = 120;
    static constexpr int CaptionLines = 3;
    static inline const QColor ListBackground{233, 233, 233};
    static inline const QColor ItemBorder{73, 73, 73};
    static inline const QColor SelectionColour{102, 0, 0};
    static inline const QColor InactiveSelectionColour{119, 0, 0};

    // Draws the picture of an item into the given area; false when the item left the list
    // instead (its cell is then cleared).
    using TPictureDrawer = std::function<bool(QPainter& painter, const QModelIndex& index, const QRect& area)>;

    explicit TThumbnailDelegate(TPictureDrawer drawer, QObject* parent = nullptr);

    // The bordered frame of the picture and the picture area inside it, for a cell rectangle.
    static QRect PictureFrame(const QRect& cell);
    static QRect PictureRect(const QRect& cell);
    static QRect CaptionRect(const QRect& cell);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void DrawCaption(QPainter& painter, const QRect& area, const QString& text, const QFont& font) const;

    TPictureDrawer Drawer;
};

} // namespace vantrel
