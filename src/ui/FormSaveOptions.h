// The Save Options dialog: the target file name, the compression mode and the forced frame
// flags of a save.
#pragma once

#include "sprite/Types.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vantrel {

inline constexpr int CompressionModeCount = 4;
inline constexpr int FlagBoxCount = 15;
inline constexpr const char* MsgFlagBoxCount = "C <> 15";

class TFrmSaveOptions : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSaveOptions(QWidget* parent = nullptr);

    // False from each showing until "Save" is pressed.
    bool Accepted = false;

    QLabel* Label1 = nullptr;
    QLineEdit* FilenameEdit = nullptr;
    QPushButton* Button1 = nullptr;
    QGroupBox* CompressionMode = nullptr;
    std::array<QRadioButton*, CompressionModeCount> CompressionItems{};
    // Which layout the save writes.
    QLabel* LayoutLabel = nullptr;
    QGroupBox* ForceFlagsGroup = nullptr;
    std::array<QCheckBox*, FlagBoxCount> FlagBoxes{};
    QLabel* ForceFlagLabel = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* PngBitBtn1 = nullptr;
    QPushButton* PngBitBtn2 = nullptr;
    // The file-save dialog of "Change", starting at the file named; it asks before replacing a
    // file.
    QFileDialog* ChangeDialog = nullptr;

    // The layout the save writes: shown in LayoutLabel; the compression choice applies to the
    // TS/RA2 layout only and is disabled for TD/RA1.
    void SetLayout(TSHPFormat layout);
    TSHPFormat Layout() const { return CurrentLayout; }

    // The chosen compression mode, 0..3 in the order of the items.
    int SelectedCompression() const;
    void SetSelectedCompression(int mode);
    // The tags of the checked flag boxes, or-ed.
    uint16_t GetForcedFlags() const;

    void Button1Click();
    void CompressionModeClick();
    void CheckBox1Click();
    void PngBitBtn1Click();
    void PngBitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TSHPFormat CurrentLayout = TSHPFormat::TS;
    void CollectFlagBoxes();
    void FitCompressionItems();
    void UpdateForceFlagLabel();
};

// The text of the flag label: the frame flags the writer uses for uncompressed (v) and
// compressed (v + 2) frames under the given compression mode.
QString ForceFlagText(int compressionMode, uint16_t forcedFlags);

} // namespace vantrel
