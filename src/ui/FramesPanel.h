// The Frames panel of the main window: a dock with a thumbnail of every frame of the sprite shown,
// in which frames are chosen (several at a time) for the Edit menu's operations, shown by a
// click and moved by drag and drop. With shadow pairing the partners of the chosen frames are
// highlighted. Thumbnails are made for the rows drawn and made again when the sprite or the way
// it is drawn (palette, side colour, luminosity, game, type) changes.
#pragma once

#include "sprite/SHP.h"

#include <QAbstractListModel>
#include <QCache>
#include <QDockWidget>
#include <QListView>
#include <QPixmap>

#include <memory>
#include <vector>

namespace vantrel {

class TFramesModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int ThumbnailSize = 64;
    static constexpr int PartnerRole = Qt::UserRole + 1;
    static inline const char* MimeType = "application/x-vantrel-frames";

    using QAbstractListModel::QAbstractListModel;

    // The sprite shown is read through its owner, the window's.
    void SetOwner(const std::unique_ptr<TSHP>* owner) { Owner = owner; }
    TSHP* Sprite() const { return Owner ? Owner->get() : nullptr; }
    // The frames changed: rows and thumbnails are made anew.
    void Reset();
    // Thumbnails are made again when the sprite is drawn otherwise than when they were made.
    void CheckLook();
    // The frames highlighted as partners of the chosen ones.
    void SetPartners(const std::vector<int>& frames);
    int ThumbnailsMade() const { return Made; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    QStringList mimeTypes() const override;
    // A drag of frames names this model (and program), not the rows: a drop moves the chosen
    // frames.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool IsOwnDrag(const QMimeData* data) const;

private:
    // What the thumbnails depend on besides the pixels.
    struct TLook {
        TPalette Palette{};
        TSHPGame Game{};
        TSHPType Type{};
        bool UseSideColour = false;
        TColour24 SideColour;
        bool TransparentShadows = false;
        int16_t Luminosity = 0;
        bool HasShadows = false;
        friend bool operator==(const TLook&, const TLook&) = default;
    };
    TLook LookOf(const TSHP& sprite) const;
    QPixmap Thumbnail(int frame) const;
    QByteArray DragToken() const;
    QString Caption(int frame) const;

    const std::unique_ptr<TSHP>* Owner = nullptr;
    TLook Look;
    std::vector<bool> Partners;
    mutable QCache<int, QPixmap> Thumbnails{512};
    mutable int Made = 0;
};

// The list: drops of its own frames move them, and a drop between two rows puts them there.
class TFramesList : public QListView {
    Q_OBJECT
public:
    explicit TFramesList(QWidget* parent = nullptr);

    // The frame a drop at the point in the viewport puts the dragged frames before (the frame
    // count: after the last).
    int DropPosition(QPoint at) const;
    QSize sizeHint() const override;

signals:
    void FramesDropped(int before);

protected:
    void dropEvent(QDropEvent* event) override;
};

class TFramesPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit TFramesPanel(QWidget* parent = nullptr);

    TFramesModel* Model = nullptr;
    TFramesList* List = nullptr;

    // Reads the sprite shown through owner.
    void SetOwner(const std::unique_ptr<TSHP>* owner);
    // Another sprite is shown: every row made anew, frame 0 chosen.
    void SpriteShown();
    // After the frames changed: rows made anew, then select (when not empty) and show current.
    void FramesChanged(const std::vector<int>& select, int current);
    // The frame shown in the window: it becomes the current row, and the only one chosen unless
    // it already is among the chosen ones.
    void ShowCurrent(int frame);
    // Whether the operations keep frames paired (the window's choice).
    void SetPairing(bool on);
    // The chosen frames, ascending.
    std::vector<int> SelectedFrames() const;
    void SelectFrames(const std::vector<int>& frames, int current);

signals:
    // The user chose a frame to show.
    void FrameChosen(int frame);
    void FramesDropped(int before);

private:
    void UpdatePartners();
    bool Pairing = true;
    bool Syncing = false;
};

} // namespace vantrel
