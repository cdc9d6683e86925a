// The Colour Switcher: the colour schemes that would change the sprite shown, previewed on its
// frames, one of which is applied to the sprite on Ok.
#pragma once

#include "sprite/CScheme.h"
#include "sprite/Types.h"

#include <QDialog>
#include <QImage>
#include <QListWidget>

#include <array>
#include <optional>
#include <vector>

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class QTimer;
class QToolButton;

namespace vantrel {

class TImage;
class TImageComboBox;
class TSHP;
class TSTrackBar;
class TThumbnailDelegate;

// The list of schemes: typing selects the next shown item whose caption starts with the typed
// text; hidden items are passed over.
class TSchemeListView : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;
    void keyboardSearch(const QString& search) override;

private:
    QString SearchText;
    qint64 LastKeyTime = 0;
};

class TFrmColourSwitcher : public QDialog {
    Q_OBJECT
public:
    explicit TFrmColourSwitcher(QWidget* parent = nullptr);

    // --- results and the sprite borrowed from the main window --------------------------------------
    bool Accepted = false;
    TSHP* Sprite = nullptr;
    TPalette OldPalette{};
    TPalette NewPalette{};
    TCScheme SelectedScheme;

    // --- state beside the controls -----------------------------------------------------------------
    std::vector<std::optional<QImage>> SchemeThumbnails; // slot i for Schemes[i]; empty until its cell is drawn
    std::array<uint8_t, 256> UsedColours{};
    bool TrackUpdating = false;

    // --- controls ----------------------------------------------------------------------------------
    TImageComboBox* CategoryCombo = nullptr;
    TSchemeListView* SchemeSHPList = nullptr;
    TThumbnailDelegate* SchemeSHPListDelegate = nullptr;
    QFrame* PalettePanel = nullptr;
    TImage* PaletteImg = nullptr;
    QFrame* PalettePanel2 = nullptr;
    TImage* PaletteImgNew = nullptr;
    QFrame* PrevPanel = nullptr;
    TImage* PreviewImage = nullptr;
    TImage* PreviewImageNew = nullptr;
    QLabel* FrameLabel = nullptr;
    QToolButton* PlayButton = nullptr;
    QToolButton* StopButton = nullptr;
    QToolButton* PrevFrameButton = nullptr;
    TSTrackBar* TrackBar = nullptr;
    QToolButton* NextFrameButton = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QTimer* AnimateTimer = nullptr;
    QMenu* AnimatePopupMenu = nullptr;
    QActionGroup* AnimateSpeedGroup = nullptr;

    // --- operations --------------------------------------------------------------------------------
    void ShowPreviews();
    void ShowPreview(TImage* image, const TPalette& palette);
    void DrawPaletteChanges(TImage* image, const TPalette& palette, const std::array<uint8_t, 256>& map);
    void FreeSchemeThumbnails();
    // The slot of a list row (its scheme's index in the library).
    int ItemSlot(int row) const;

    // --- handlers ----------------------------------------------------------------------------------
    void CategoryComboChange(int index);
    bool SchemeSHPListItemImageDraw(QPainter& painter, const QModelIndex& index, const QRect& area);
    void SchemeSHPListItemSelectionsChanged();
    void TrackBarChange();
    void PrevFrameButtonClick();
    void NextFrameButtonClick();
    void AnimateTimerTimer();
    void PlayButtonClick();
    void N1FPS1000ms1Click(QAction* item);
    void OkButtonClick();
    void CancelButtonClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void CreateControls();
    void CreateAnimationControls();
    void CreatePopupMenu();
    void ConnectHandlers();
    void LoadLibrary();
    void FillSchemeList();
    void SetTrackPosition(int position);
    void UpdateFrameLabel();
    void RunAnimationAsChosen();
    // No scheme selected: Ok disabled, grids without changes, previews of the sprite as it is.
    void ShowNoScheme();
};

} // namespace vantrel
