// The sprite-map import dialog: the cell size and frame count with which an 8-bit sprite map is
// cut into frames, a preview of the cells and the whole picture.
#pragma once

#include <QDialog>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace vantrel {

class TImage;

class TFrmImport_SpriteMap : public QDialog {
    Q_OBJECT
public:
    explicit TFrmImport_SpriteMap(QWidget* parent = nullptr);

    bool Accepted = false;

    QGroupBox* GroupBox2 = nullptr;
    TImage* PreviewImg = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    TImage* FullImage = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* FrameWidth = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* FrameHeight = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* FrameCount = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* ImportButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QTimer* AnimateTimer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace vantrel
