// The sprite-map import dialog: the cell size and frame count with which an 8-bit sprite map is
// cut into frames, an animated preview of the cells and the whole picture.
#pragma once

#include "sprite/Bmp8.h"
#include "sprite/SpriteSheet.h"

#include <QDialog>

#include <optional>
#include <string>

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

    // --- state ------------------------------------------------------------------------------------
    // The sprite map being imported; kept for the next import once loaded.
    std::optional<TBitmap8> SheetBitmap;
    int SheetFrameWidth = 0;
    int SheetFrameHeight = 0;
    int SheetFrameCount = 0;
    bool Accepted = false;
    bool SettingFields = false;
    // The next cell the preview shows; carries over from one import to the next.
    int SheetPreviewFrame = 0;

    // --- controls ---------------------------------------------------------------------------------
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

    // --- operations -------------------------------------------------------------------------------
    // Loads the picture at path and sets the dialog up for it: the whole picture as one frame,
    // or the frame size and count its name carries. False, with nothing changed, for a picture
    // that is not 8 bits per pixel; a file that cannot be read throws FileError or BmpError.
    bool LoadSheet(const std::string& path);
    // Takes frame size and count from the suffix "WWWWxHHHH-NNNNNN.bmp" of fileName, if it has one.
    void ParseSheetName(const std::string& fileName);
    // Whether the sprite map can be cut into the frames set: sizes and count of at least 1 and
    // the last frame's cell inside the picture.
    bool SheetFits() const;
    TSheetLayout SheetLayout() const;

    // --- handlers ---------------------------------------------------------------------------------
    void FrameWidthChange();
    void AnimateTimerTimer();
    void ImportButtonClick();
    void CancelButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};

} // namespace vantrel
