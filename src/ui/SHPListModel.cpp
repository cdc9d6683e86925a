#include "SHPListModel.h"

namespace vantrel {

void TSHPListModel::SetEntries(const std::vector<TDirEntry>& entries)
{
    beginResetModel();
    Items.clear();
    Thumbnails.clear();
    Items.reserve(entries.size());
    int slotCount = 0;
    for (const TDirEntry& e : entries)
        Items.push_back({QString::fromStdString(e.Name), e.IsFolder, e.IsFolder ? -1 : slotCount++});
    Thumbnails.resize(size_t(slotCount));
    endResetModel();
}

void TSHPListModel::Clear() { SetEntries({}); }

bool TSHPListModel::IsFileItem(int row) const
{
    return row >= 0 && row < ItemCount() && !Items[size_t(row)].IsFolder;
}

TThumbnailSlot* TSHPListModel::Thumbnail(int row)
{
    if (!IsFileItem(row))
        return nullptr;
    const int slot = Items[size_t(row)].Slot;
    return slot >= 0 && slot < int(Thumbnails.size()) ? &Thumbnails[size_t(slot)] : nullptr;
}

int TSHPListModel::MadeThumbnailCount() const
{
    int n = 0;
    for (const TThumbnailSlot& t : Thumbnails)
        n += t.Made ? 1 : 0;
    return n;
}

int TSHPListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ItemCount();
}

QVariant TSHPListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= ItemCount())
        return {};
    const TListItem& item = Items[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return item.Caption;
    case IsFolderRole:
        return item.IsFolder;
    case SlotRole:
        return item.Slot;
    default:
        return {};
    }
}

} // namespace vantrel
