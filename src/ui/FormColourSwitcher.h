// The Colour Switcher: the colour schemes that would change the sprite shown, previewed on its
// frames, one of which is applied to the sprite on Ok.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace vantrel {

class TImage;
class TImageComboBox;
class TSTrackBar;

class TFrmColourSwitcher : public QDialog {
    Q_OBJECT
public:
    explicit TFrmColourSwitcher(QWidget* parent = nullptr);

    bool Accepted = false;

    TImageComboBox* CategoryCombo = nullptr;
    QListWidget* SchemeSHPList = nullptr;
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

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace vantrel
