// The Insert Frames dialog: where the frames read from a file go, and where frames of another
// canvas size are placed on the sprite's canvas.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;

namespace vantrel {

class TAnchorGrid;

class TFrmInsertFrames : public QDialog {
    Q_OBJECT
public:
    explicit TFrmInsertFrames(QWidget* parent = nullptr);

    QLabel* SourceLabel = nullptr;
    QSpinBox* PositionBox = nullptr;
    QLabel* PositionLabel = nullptr;
    QLabel* PairingLabel = nullptr;
    TAnchorGrid* AnchorGrid = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // What is inserted (a description of the frames), the places 0 to places (places: after the
    // last frame; with pairing the places of the first half), the one proposed, whether the
    // frames keep shadow frames (shadowNote, empty: none) and whether their size differs from the
    // canvas (then the anchor applies).
    void Setup(const QString& source, int places, int position, const QString& shadowNote, bool otherSize);

private:
    void ShowPosition(int position);
    int Places = 0;
};

} // namespace vantrel
