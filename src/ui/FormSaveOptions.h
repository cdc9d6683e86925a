// The Save Options dialog: the target file name, the compression mode and the forced frame
// flags of a save.
#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vantrel {

class TFrmSaveOptions : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSaveOptions(QWidget* parent = nullptr);

    bool Accepted = false;

    QLabel* Label1 = nullptr;
    QLineEdit* FilenameEdit = nullptr;
    QPushButton* Button1 = nullptr;
    QGroupBox* CompressionMode = nullptr;
    std::array<QRadioButton*, 4> CompressionItems{};
    QGroupBox* ForceFlagsGroup = nullptr;
    QLabel* ForceFlagLabel = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* PngBitBtn1 = nullptr;
    QPushButton* PngBitBtn2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace vantrel
