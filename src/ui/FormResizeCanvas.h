// The Resize Canvas dialog: the new width and height of the canvas and the anchor that tells
// where the frames stay in it.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;

namespace vantrel {

class TAnchorGrid;

class TFrmResizeCanvas : public QDialog {
    Q_OBJECT
public:
    explicit TFrmResizeCanvas(QWidget* parent = nullptr);

    QLabel* SizeLabel = nullptr;
    QSpinBox* WidthBox = nullptr;
    QSpinBox* HeightBox = nullptr;
    TAnchorGrid* AnchorGrid = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // Shows the canvas size width x height in the label and the boxes; the anchor stays as it
    // was chosen last.
    void Setup(int width, int height);
};

} // namespace vantrel
