// The items of the open dialog's list: one per sub-folder (".." included) and per SHP file of
// the current folder, with a thumbnail slot for every file item.
#pragma once

#include "sprite/FileUtil.h"

#include <QAbstractListModel>
#include <QImage>
#include <QString>
#include <vector>

namespace vantrel {

struct TListItem {
    QString Caption;
    bool IsFolder = false;
    int Slot = -1; // thumbnail slot of a file item, -1 for a folder item
};

// A file item's thumbnail, made the first time its cell is drawn.
struct TThumbnailSlot {
    bool Made = false;
    QImage Image; // the cell's picture area, checkerboard included
};

class TSHPListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { IsFolderRole = Qt::UserRole + 1, SlotRole };

    using QAbstractListModel::QAbstractListModel;

    // Replaces the items (and frees every thumbnail) with the given entries, in their order.
    void SetEntries(const std::vector<TDirEntry>& entries);
    void Clear();

    const TListItem& Item(int row) const { return Items[size_t(row)]; }
    int ItemCount() const { return int(Items.size()); }
    bool IsFileItem(int row) const;
    // The slot of a file item; null for a folder item or a slot number out of range.
    TThumbnailSlot* Thumbnail(int row);
    int MadeThumbnailCount() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<TListItem> Items;
    std::vector<TThumbnailSlot> Thumbnails;
};

} // namespace vantrel
