#include "FramesPanel.h"

#include "SpriteView.h"
#include "imaging/Thumbnail.h"
#include "sprite/FrameEdit.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMimeData>

#include <algorithm>

namespace vantrel {

namespace {

const QColor PartnerColour(255, 214, 150);
constexpr int PictureSide = 4 * TFramesModel::ThumbnailSize;

} // namespace

// --- model -----------------------------------------------------------------------------------------

void TFramesModel::Reset()
{
    beginResetModel();
    Thumbnails.clear();
    Partners.clear();
    if (Sprite())
        Look = LookOf(*Sprite());
    endResetModel();
}

TFramesModel::TLook TFramesModel::LookOf(const TSHP& sprite) const
{
    return {sprite.Palette,       sprite.Game,       sprite.SHPType,         sprite.UseSideColour,
            sprite.SideColour,    sprite.TransparentShadows, sprite.Luminosity, CanPairShadows(sprite)};
}

void TFramesModel::CheckLook()
{
    if (!Sprite() || rowCount() == 0)
        return;
    const TLook look = LookOf(*Sprite());
    if (look == Look)
        return;
    Look = look;
    Thumbnails.clear();
    emit dataChanged(index(0), index(rowCount() - 1), {Qt::DecorationRole, Qt::DisplayRole, Qt::ToolTipRole});
}

void TFramesModel::SetPartners(const std::vector<int>& frames)
{
    std::vector<bool> partners(size_t(rowCount()), false);
    for (int f : frames)
        if (f >= 0 && f < rowCount())
            partners[size_t(f)] = true;
    if (partners == Partners)
        return;
    Partners = std::move(partners);
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::BackgroundRole, PartnerRole});
}

int TFramesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !Sprite() ? 0 : Sprite()->FrameCount();
}

QString TFramesModel::Caption(int frame) const
{
    QString text = QString::number(frame);
    if (!CanPairShadows(*Sprite()))
        return text;
    const int half = Sprite()->FrameCount() / 2;
    return frame < half ? text : text + QString("\nshadow of %1").arg(frame - half);
}

QPixmap TFramesModel::Thumbnail(int frame) const
{
    if (const QPixmap* made = Thumbnails.object(frame))
        return *made;
    QImage image;
    try {
        // Sampled from canvases of more than PictureSide pixels a side, then shrunk smoothly.
        image = TViewFrame{Owner, frame, false, false, {}}.Picture(PictureSide);
    } catch (const std::exception&) {
        image = QImage();
    }
    const QSize box(ThumbnailSize, ThumbnailSize);
    const bool small = !image.isNull() && image.width() <= box.width() && image.height() <= box.height();
    auto* pixmap = new QPixmap(QPixmap::fromImage(small ? ComposePreview(image, box) : ComposeThumbnail(image, box)));
    const QPixmap result = *pixmap;
    Thumbnails.insert(frame, pixmap);
    ++Made;
    return result;
}

QVariant TFramesModel::data(const QModelIndex& index, int role) const
{
    if (!Sprite() || !index.isValid() || index.row() >= rowCount())
        return {};
    const int frame = index.row();
    const bool partner = size_t(frame) < Partners.size() && Partners[size_t(frame)];
    switch (role) {
    case Qt::DisplayRole:
        return Caption(frame);
    case Qt::DecorationRole:
        return Thumbnail(frame);
    case Qt::ToolTipRole:
        return QString("Frame ") + Caption(frame).replace('\n', ", ");
    case Qt::BackgroundRole:
        return partner ? QVariant(PartnerColour) : QVariant();
    case PartnerRole:
        return partner;
    default:
        return {};
    }
}

Qt::ItemFlags TFramesModel::flags(const QModelIndex& index) const
{
    // Frames are dropped between rows, never onto one.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

Qt::DropActions TFramesModel::supportedDropActions() const { return Qt::MoveAction; }

Qt::DropActions TFramesModel::supportedDragActions() const { return Qt::MoveAction; }

QStringList TFramesModel::mimeTypes() const { return {MimeType}; }

QMimeData* TFramesModel::mimeData(const QModelIndexList&) const
{
    auto* data = new QMimeData;
    data->setData(MimeType, DragToken());
    return data;
}

bool TFramesModel::IsOwnDrag(const QMimeData* data) const
{
    return data && data->hasFormat(MimeType) && data->data(MimeType) == DragToken();
}

QByteArray TFramesModel::DragToken() const
{
    return QString("%1:%2").arg(QCoreApplication::applicationPid()).arg(quintptr(this)).toLatin1();
}

// --- list ------------------------------------------------------------------------------------------

TFramesList::TFramesList(QWidget* parent) : QListView(parent)
{
    setObjectName("FramesList");
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setUniformItemSizes(true);
    setIconSize(QSize(TFramesModel::ThumbnailSize, TFramesModel::ThumbnailSize));
    setSpacing(1);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

QSize TFramesList::sizeHint() const
{
    const int text = fontMetrics().horizontalAdvance("00000 shadow of 0000");
    return {iconSize().width() + text + 2 * frameWidth() + 24, 400};
}

int TFramesList::DropPosition(QPoint at) const
{
    const int count = model() ? model()->rowCount() : 0;
    const QModelIndex index = indexAt(at);
    if (!index.isValid())
        return count > 0 && at.y() < visualRect(model()->index(0, 0)).top() ? 0 : count;
    return at.y() < visualRect(index).center().y() ? index.row() : index.row() + 1;
}

void TFramesList::dropEvent(QDropEvent* event)
{
    setState(NoState);
    viewport()->update();
    const auto* frames = qobject_cast<const TFramesModel*>(model());
    if (!frames || !frames->IsOwnDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    // The frames are moved by the window once the drag has ended; the view moves no rows itself
    // (the model removes none).
    event->setDropAction(Qt::MoveAction);
    event->accept();
    const int before = DropPosition(event->position().toPoint());
    QMetaObject::invokeMethod(this, [this, before] { emit FramesDropped(before); }, Qt::QueuedConnection);
}

// --- panel -----------------------------------------------------------------------------------------

TFramesPanel::TFramesPanel(QWidget* parent) : QDockWidget("Frames", parent)
{
    setObjectName("FramesPanel");
    Model = new TFramesModel(this);
    List = new TFramesList(this);
    List->setModel(Model);
    setWidget(List);
    setMinimumWidth(150);
    connect(List, &TFramesList::FramesDropped, this, &TFramesPanel::FramesDropped);
    connect(List->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (!Syncing && current.isValid())
            emit FrameChosen(current.row());
    });
    connect(List->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TFramesPanel::UpdatePartners);
    connect(Model, &QAbstractItemModel::modelReset, this, &TFramesPanel::UpdatePartners);
}

void TFramesPanel::SetOwner(const std::unique_ptr<TSHP>* owner) { Model->SetOwner(owner); }

void TFramesPanel::SpriteShown()
{
    Model->Reset();
    if (Model->rowCount() > 0)
        SelectFrames({0}, 0);
}

void TFramesPanel::FramesChanged(const std::vector<int>& select, int current)
{
    const std::vector<int> chosen = SelectedFrames();
    Model->Reset();
    SelectFrames(select.empty() ? chosen : select, current);
}

void TFramesPanel::ShowCurrent(int frame)
{
    if (Syncing || frame < 0 || frame >= Model->rowCount())
        return;
    QItemSelectionModel* selection = List->selectionModel();
    const QModelIndex index = Model->index(frame);
    if (selection->currentIndex() == index)
        return;
    Syncing = true;
    selection->setCurrentIndex(index, selection->isSelected(index) ? QItemSelectionModel::NoUpdate
                                                                    : QItemSelectionModel::ClearAndSelect);
    List->scrollTo(index);
    Syncing = false;
}

void TFramesPanel::SetPairing(bool on)
{
    if (on == Pairing)
        return;
    Pairing = on;
    UpdatePartners();
}

std::vector<int> TFramesPanel::SelectedFrames() const
{
    std::vector<int> frames;
    for (const QModelIndex& i : List->selectionModel()->selectedRows())
        frames.push_back(i.row());
    std::sort(frames.begin(), frames.end());
    return frames;
}

void TFramesPanel::SelectFrames(const std::vector<int>& frames, int current)
{
    const int count = Model->rowCount();
    QItemSelection selection;
    for (size_t k = 0; k < frames.size();) {
        size_t end = k + 1;
        while (end < frames.size() && frames[end] == frames[end - 1] + 1)
            ++end;
        if (frames[k] >= 0 && frames[end - 1] < count)
            selection.select(Model->index(frames[k]), Model->index(frames[end - 1]));
        k = end;
    }
    Syncing = true;
    List->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (current >= 0 && current < count) {
        List->selectionModel()->setCurrentIndex(Model->index(current), QItemSelectionModel::NoUpdate);
        List->scrollTo(Model->index(current));
    }
    Syncing = false;
    UpdatePartners();
}

void TFramesPanel::UpdatePartners()
{
    TSHP* sprite = Model->Sprite();
    if (!sprite || !Pairing || !CanPairShadows(*sprite)) {
        Model->SetPartners({});
        return;
    }
    const std::vector<int> chosen = SelectedFrames();
    std::vector<int> partners;
    for (int f : vantrel::SelectFrames(*sprite, chosen, true))
        if (!std::binary_search(chosen.begin(), chosen.end(), f))
            partners.push_back(f);
    Model->SetPartners(partners);
}

} // namespace vantrel
